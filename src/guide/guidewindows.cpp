#include "guide/guidewindows.h"

#include "guide/wizardpainter.h"

#include <QAccessibleWidget>
#include <QBitmap>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QScreen>

#include <algorithm>
#include <array>
#include <cmath>

namespace ingranix {

namespace {

constexpr int maxTextWidth = 260;
constexpr int padding = 10;
constexpr int tailHeight = 12;
constexpr int gap = 2;

// Drawn frames kept for reuse, in bytes: about fifty frames of the usual wizard, the whole greeting.
// A larger cache saves little drawing (a frame costs about 0.4 ms) and holds memory for the whole game.
constexpr int frameCacheBytes = 4 << 20;

// Steps finer than the eye can follow on a figure of this size: half a degree moves a hand by a
// quarter of a pixel, a 32nd of a weight changes a colour by a few levels.
constexpr double angleStep = 0.5;
constexpr double lengthStep = 0.25;
constexpr double weightStep = 1.0 / 32;
constexpr int swirlSteps = 256; // a star on its 20-unit circle moves half a unit per step

qint32 rounded(double value, double step) {
    // The file reader keeps values sane; this only keeps a NaN or a huge number from lround.
    if (!(std::abs(value) < 1e6))
        value = 0;
    return qint32(std::lround(value / step));
}

// The pose rounded to what can be seen: poses with the same key look the same.
QByteArray poseKey(const character::Pose &pose) {
    const double turn = pose.swirl - std::floor(std::abs(pose.swirl) < 1e6 ? pose.swirl : 0);
    const std::array<qint32, 13> parts{
        rounded(pose.leftArm, angleStep),  rounded(pose.rightArm, angleStep),
        rounded(pose.hatTilt, angleStep),  rounded(pose.headTurn, angleStep),
        rounded(pose.lean, angleStep),     rounded(pose.lift, lengthStep),
        rounded(pose.sparkle, weightStep), rounded(pose.mouth, weightStep),
        rounded(pose.eyes, weightStep),    rounded(pose.book, weightStep),
        rounded(pose.lens, weightStep),    rounded(turn * swirlSteps, 1) % swirlSteps,
        rounded(pose.stars, weightStep)};
    return QByteArray(reinterpret_cast<const char *>(parts.data()), qsizetype(sizeof parts));
}

// Screen readers speak a notification as it shows, whatever has the focus: the balloon shows anew
// for every speech. The wizard is an animation, named for the player.
QAccessibleInterface *guideAccessible(const QString &key, QObject *object) {
    auto *widget = qobject_cast<QWidget *>(object);
    if (widget && key == u"ingranix::BalloonWindow")
        return new QAccessibleWidget(widget, QAccessible::Notification);
    if (widget && key == u"ingranix::FigureWindow")
        return new QAccessibleWidget(widget, QAccessible::Animation);
    return nullptr;
}

} // namespace

void makeGuideWindow(QWidget &window) {
    QAccessible::installFactory(guideAccessible); // installs once, however often it is called
    // Transparent for input: a click on the wizard or his balloon reaches the machine beneath.
    window.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput);
    window.setAttribute(Qt::WA_ShowWithoutActivating);
    window.setAttribute(Qt::WA_TranslucentBackground);
    window.setFocusPolicy(Qt::NoFocus);
}

FigureWindow::FigureWindow(QWidget *parent) : QWidget(parent), frames_(frameCacheBytes) {
    makeGuideWindow(*this);
    setObjectName(QStringLiteral("guideFigure"));
    setAccessibleName(QStringLiteral("mago"));
}

void FigureWindow::setPose(const character::Pose &pose) {
    pose_ = pose;
    const QByteArray key = poseKey(pose);
    if (key == key_)
        return; // looks the same: nothing to draw, nothing to send to the screen
    key_ = key;
    const Rendered frame = rendered();
    if (!frame.shape.isEmpty())
        setMask(frame.shape); // Qt passes it on only when the shape really differs
    update();
}

FigureWindow::Rendered FigureWindow::rendered() {
    if (size().isEmpty())
        return {};
    if (const Rendered *cached = frames_.object(key_))
        return *cached;
    ++draws_;
    const qreal ratio = devicePixelRatioF();
    QImage image(size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        paintWizard(painter, QRectF(QPointF(0, 0), QSizeF(size())), pose_);
    }
    auto *frame = new Rendered;
    // Pixels at least half covered belong to the shape: the faint shadow and the outer half of
    // the antialiased edge would stand dark on a screen that cannot blend.
    QImage alpha = image.createAlphaMask(Qt::ThresholdAlphaDither);
    if (alpha.size() != size())
        alpha = alpha.scaled(size());
    frame->shape = QRegion(QBitmap::fromImage(alpha));
    frame->pixmap = QPixmap::fromImage(std::move(image));
    const qsizetype bytes = qsizetype(frame->pixmap.width()) * frame->pixmap.height() * 4;
    // A frame too large for the cache is still shown (from this copy); it is drawn again next time.
    const Rendered copy = *frame;
    frames_.insert(key_, frame, bytes);
    return copy;
}

void FigureWindow::setFade(double opacity) {
    opacity = std::clamp(opacity, 0.0, 1.0);
    if (opacity == fade_)
        return;
    fade_ = opacity;
    update();
}

void FigureWindow::paintEvent(QPaintEvent *) {
    ++paints_;
    if (key_.isEmpty())
        key_ = poseKey(pose_);
    QPainter painter(this);
    painter.setOpacity(fade_);
    painter.drawPixmap(0, 0, rendered().pixmap);
}

void FigureWindow::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    if (event->size() == event->oldSize())
        return;
    // Every drawn frame has the old size: draw again, and shape the window anew.
    frames_.clear();
    key_ = poseKey(pose_);
    const Rendered frame = rendered();
    if (!frame.shape.isEmpty())
        setMask(frame.shape);
}

BalloonWindow::BalloonWindow(QWidget *parent) : QWidget(parent) {
    makeGuideWindow(*this);
    setObjectName(QStringLiteral("guideBalloon"));
}

void BalloonWindow::setBalloonFont(const QFont &font) {
    setFont(font);
    // Measured when next needed: measuring loads the font, and the game's start need not wait for it.
    textSize_ = QSize();
    if (isVisible())
        resize(textSize());
    update();
}

void BalloonWindow::setText(const QString &shown, const QString &whole) {
    if (shown == text_ && whole == whole_)
        return;
    text_ = shown;
    if (whole != whole_) {
        whole_ = whole;
        textSize_ = QSize(); // laid out once per speech, not on every word
        // Screen readers get the whole sentence once, not every word as it appears.
        setAccessibleName(whole);
    }
    update();
}

QSize BalloonWindow::textSize() {
    if (!textSize_.isValid())
        textSize_ = sizeForText();
    return textSize_;
}

QSize BalloonWindow::sizeForText() const {
    const QRect bounds = fontMetrics().boundingRect(QRect(0, 0, maxTextWidth, 10000),
                                                    Qt::TextWordWrap | Qt::AlignLeft, whole_);
    return {std::max(bounds.width(), 40) + 2 * padding, bounds.height() + 2 * padding + tailHeight};
}

void BalloonWindow::placeBeside(const QRect &figure) {
    // The balloon is sized for the whole text from the start, so it does not grow word by word.
    const QSize size = textSize();
    QScreen *screen = QGuiApplication::screenAt(figure.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);

    const int centreX = figure.width() > 0 ? figure.center().x() : figure.x();
    int x = centreX - size.width() / 2;
    x = std::clamp(x, area.left(), std::max(area.left(), area.right() + 1 - size.width()));
    int y = figure.top() - size.height() - gap;
    const bool tailDown = y >= area.top();
    if (!tailDown)
        y = figure.bottom() + 1 + gap;
    y = std::clamp(y, area.top(), std::max(area.top(), area.bottom() + 1 - size.height()));
    const int tailX = std::clamp(centreX - x, padding + 6, std::max(padding + 6, size.width() - padding - 6));
    // While the guide glides this runs on every tick: only a real change goes to the screen.
    const QRect geometry(QPoint(x, y), size);
    if (geometry != this->geometry())
        setGeometry(geometry);
    if (tailX != tailX_ || tailDown != tailDown_ || outline_.isEmpty()) {
        tailX_ = tailX;
        tailDown_ = tailDown;
        updateOutline();
    }
}

void BalloonWindow::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    updateOutline();
}

QRectF BalloonWindow::body() const {
    return tailDown_ ? QRectF(0.5, 0.5, width() - 1, height() - tailHeight - 1)
                     : QRectF(0.5, tailHeight + 0.5, width() - 1, height() - tailHeight - 1);
}

void BalloonWindow::updateOutline() {
    const QRectF body = this->body();
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
    outline_ = path.united(tail);
    // Shaped to the outline and its pen, so that without a compositor no black shows around it.
    if (!size().isEmpty()) {
        QBitmap shape(size());
        shape.fill(Qt::color0);
        QPainter painter(&shape);
        painter.setPen(QPen(Qt::color1, 1));
        painter.setBrush(Qt::color1);
        painter.drawPath(outline_);
        painter.end();
        setMask(shape);
    }
    update();
}

void BalloonWindow::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.setBrush(QColor(255, 255, 225));
    painter.drawPath(outline_);
    painter.setPen(Qt::black);
    painter.drawText(body().adjusted(padding, padding, -padding, -padding).toRect(),
                     Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text_);
}

} // namespace ingranix
