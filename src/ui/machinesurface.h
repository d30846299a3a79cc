#pragma once

#include <QWidget>

namespace ingranix {

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
