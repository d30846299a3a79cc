#pragma once

#include <QWidget>

namespace ingranix {

// The window's interior: a band gradient from blue-violet at the top to dark red, under every
// control.
class MachineSurface : public QWidget {
    Q_OBJECT
public:
    explicit MachineSurface(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace ingranix
