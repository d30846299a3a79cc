#include "guide/guidewindows.h"

#include "guide/wizardpainter.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <algorithm>

namespace ingranix {

namespace {

constexpr int maxTextWidth = 260;
constexpr int padding = 10;
constexpr int tailHeight = 12;
constexpr int gap = 2;

} // namespace

void makeGuideWindow(QWidget &window) {
    window.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus);
    window.setAttribute(Qt::WA_ShowWithoutActivating);
    window.setAttribute(Qt::WA_TranslucentBackground);
    window.setFocusPolicy(Qt::NoFocus);
}

FigureWindow::FigureWindow(QWidget *parent) : QWidget(parent) {
    makeGuideWindow(*this);
    setObjectName(QStringLiteral("guideFigure"));
}

void FigureWindow::setPose(const character::Pose &pose) {
    if (pose == pose_)
        return;
    pose_ = pose;
    update();
}

void FigureWindow::setFade(double opacity) {
    opacity = std::clamp(opacity, 0.0, 1.0);
    if (opacity == fade_)
        return;
    fade_ = opacity;
    update();
}

void FigureWindow::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setOpacity(fade_);
    paintWizard(painter, QRectF(rect()), pose_);
}

BalloonWindow::BalloonWindow(QWidget *parent) : QWidget(parent) {
    makeGuideWindow(*this);
    setObjectName(QStringLiteral("guideBalloon"));
}

void BalloonWindow::setBalloonFont(const QFont &font) {
    setFont(font);
    resize(sizeForText());
    update();
}

void BalloonWindow::setText(const QString &shown, const QString &whole) {
    if (shown == text_ && whole == whole_)
        return;
    text_ = shown;
    whole_ = whole;
    update();
}

QSize BalloonWindow::sizeForText() const {
    const QRect bounds = fontMetrics().boundingRect(QRect(0, 0, maxTextWidth, 10000),
                                                    Qt::TextWordWrap | Qt::AlignLeft, whole_);
    return {std::max(bounds.width(), 40) + 2 * padding, bounds.height() + 2 * padding + tailHeight};
}

void BalloonWindow::placeBeside(const QRect &figure) {
    // The balloon is sized for the whole text from the start, so it does not grow word by word.
    const QSize size = sizeForText();
    QScreen *screen = QGuiApplication::screenAt(figure.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);

    const int centreX = figure.width() > 0 ? figure.center().x() : figure.x();
    int x = centreX - size.width() / 2;
    x = std::clamp(x, area.left(), std::max(area.left(), area.right() + 1 - size.width()));
    int y = figure.top() - size.height() - gap;
    tailDown_ = y >= area.top();
    if (!tailDown_)
        y = figure.bottom() + 1 + gap;
    y = std::clamp(y, area.top(), std::max(area.top(), area.bottom() + 1 - size.height()));
    tailX_ = std::clamp(centreX - x, padding + 6, std::max(padding + 6, size.width() - padding - 6));
    setGeometry(QRect(QPoint(x, y), size));
    update();
}

void BalloonWindow::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body = tailDown_ ? QRectF(0.5, 0.5, width() - 1, height() - tailHeight - 1)
                                  : QRectF(0.5, tailHeight + 0.5, width() - 1, height() - tailHeight - 1);
    QPainterPath path;
    path.addRoundedRect(body, 10, 10);
    QPainterPath tail;
    if (tailDown_) {
        tail.moveTo(tailX_ - 6, body.bottom() - 1);
        tail.lineTo(tailX_, height() - 0.5);
        tail.lineTo(tailX_ + 6, body.bottom() - 1);
    } else {
        tail.moveTo(tailX_ - 6, body.top() + 1);
        tail.lineTo(tailX_, 0.5);
        tail.lineTo(tailX_ + 6, body.top() + 1);
    }
    tail.closeSubpath();
    path = path.united(tail);
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.setBrush(QColor(255, 255, 225));
    painter.drawPath(path);
    painter.setPen(Qt::black);
    painter.drawText(body.adjusted(padding, padding, -padding, -padding).toRect(),
                     Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text_);
}

} // namespace ingranix
