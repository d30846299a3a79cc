#pragma once

#include <QWidget>

#include <vector>

namespace ingranix {

// One band of the background gradient, in twips.
struct GradientBand {
    int top;
    int height;
    int width;
    int blue; // the band's colour is RGB(50, 0, blue)
};
// 256 bands from blue-violet to dark red across an interior of the given size (twips); the band
// height is the width / 256, and the last band reaches the bottom of the interior.
std::vector<GradientBand> gradientBands(int interiorWidth, int interiorHeight);

// Where the machine (`machine` pixels) lies in a room of `room` pixels: centred, the leftover split
// evenly on both sides, and never above or left of the room's corner when the machine is larger.
QPoint centredOrigin(QSize room, QSize machine);

// The window's interior: a band gradient from blue-violet at the top to dark red, under every
// control. The machine's controls lie on it centred in the room it has; the gradient follows the
// machine, as at its designed size, and continues around it.
class MachineSurface : public QWidget {
    Q_OBJECT
public:
    explicit MachineSurface(QWidget *parent = nullptr);
    // The machine and the gradient's bands are drawn this many times their designed size. The caller
    // then places the controls afresh, at origin().
    void setZoom(double zoom);
    // Where the machine's top-left corner lies now: the controls on the surface itself are placed
    // this far from its corner. A resize moves them along as the centre moves.
    QPoint origin() const { return origin_; }

signals:
    void firstPainted();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QPoint centred() const;

    bool painted_ = false;
    double zoom_ = 1.0;
    QPoint origin_;
};

// The origin of the surface `widget` lies on directly; (0, 0) for any other widget.
QPoint machineOrigin(const QWidget *widget);

} // namespace ingranix
