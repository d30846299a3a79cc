#pragma once

#include <QWidget>

namespace ingranix {

// The window's interior: a band gradient from blue-violet at the top to dark red, under every
// control.
class MachineSurface : public QWidget {
    Q_OBJECT
public:
    explicit MachineSurface(QWidget *parent = nullptr);

signals:
    void firstPainted();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool painted_ = false;
};

} // namespace ingranix
