#pragma once

#include "guide/characterfile.h"

#include <QCache>
#include <QFont>
#include <QPainterPath>
#include <QPixmap>
#include <QRegion>
#include <QWidget>

namespace ingranix {

// Sets what every guide window needs: frameless, above other windows, off the task bar, never
// taking the keyboard focus from the game when it appears, and letting clicks through to the game.
void makeGuideWindow(QWidget &window);

// The wizard's frame: paints the pose it is given. Poses are drawn into a small cache, keyed by the
// pose rounded finer than a pixel can show, so a pose held still or met again soon costs no drawing.
// The window is shaped to the drawn figure: without a compositor a translucent window stands on
// black, and the shape keeps that black from showing around the wizard.
class FigureWindow : public QWidget {
    Q_OBJECT
public:
    explicit FigureWindow(QWidget *parent = nullptr);
    void setPose(const character::Pose &pose);
    const character::Pose &pose() const { return pose_; }
    // Fading is painted by the window itself: not every platform can fade a whole window.
    void setFade(double opacity);
    double fade() const { return fade_; }
    // How many times the figure has been painted and drawn anew; for tests and benchmarks.
    int paintCount() const { return paints_; }
    int drawCount() const { return draws_; }
    qsizetype cachedBytes() const { return frames_.totalCost(); } // what the drawn frames hold

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Rendered {
        QPixmap pixmap;
        QRegion shape;
    };
    Rendered rendered(); // the current pose, drawn now or taken from the cache

    character::Pose pose_;
    QByteArray key_; // pose_ rounded; a new key means a new picture
    double fade_ = 1;
    QCache<QByteArray, Rendered> frames_;
    int paints_ = 0;
    int draws_ = 0;
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
    void resizeEvent(QResizeEvent *event) override;

private:
    QSize textSize(); // sizeForText(), measured once per text and font
    QSize sizeForText() const;
    QRectF body() const; // the balloon without its tail
    // Works out the outline for the current size and tail, and shapes the window to it.
    void updateOutline();

    QString text_;
    QString whole_;
    QSize textSize_;       // invalid until measured
    bool tailDown_ = true; // the balloon stands above the wizard
    int tailX_ = 0;
    QPainterPath outline_;
};

} // namespace ingranix
