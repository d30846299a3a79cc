#pragma once

#include "guide/characterfile.h"

#include <QFont>
#include <QWidget>

namespace ingranix {

// Sets what every guide window needs: frameless, above other windows, off the task bar, and never
// taking the keyboard focus from the game when it appears.
void makeGuideWindow(QWidget &window);

// The wizard's frame: paints the pose it is given.
class FigureWindow : public QWidget {
    Q_OBJECT
public:
    explicit FigureWindow(QWidget *parent = nullptr);
    void setPose(const character::Pose &pose);
    const character::Pose &pose() const { return pose_; }
    // Fading is painted by the window itself: not every platform can fade a whole window.
    void setFade(double opacity);
    double fade() const { return fade_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    character::Pose pose_;
    double fade_ = 1;
};

// The word balloon. Its tail points at `anchor`, the point of the wizard it belongs to.
class BalloonWindow : public QWidget {
    Q_OBJECT
public:
    explicit BalloonWindow(QWidget *parent = nullptr);
    void setBalloonFont(const QFont &font);
    // `whole` is the entire speech, so the balloon keeps one size while `shown` grows word by word.
    void setText(const QString &shown, const QString &whole);
    QString text() const { return text_; }
    // Places the balloon above the frame (x, y, width, height), or below it when the screen has
    // no room above, always inside the screen.
    void placeBeside(const QRect &figure);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QSize sizeForText() const;

    QString text_;
    QString whole_;
    bool tailDown_ = true; // the balloon stands above the wizard
    int tailX_ = 0;
};

} // namespace ingranix
