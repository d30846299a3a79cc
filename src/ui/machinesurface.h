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

// The window's interior: a band gradient from blue-violet at the top to dark red, under every
// control.
class MachineSurface : public QWidget {
    Q_OBJECT
public:
    explicit MachineSurface(QWidget *parent = nullptr);
    // The gradient's bands are drawn this many times their designed size.
    void setZoom(double zoom);

signals:
    void firstPainted();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool painted_ = false;
    double zoom_ = 1.0;
};

} // namespace ingranix
