#include "guide/wizardpainter.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

#include <algorithm>

namespace ingranix {

namespace {

constexpr double designWidth = 100;
constexpr double designHeight = 125;

const QColor robe(72, 61, 160);
const QColor robeDark(48, 40, 115);
const QColor skin(250, 214, 180);
const QColor beard(245, 245, 240);
const QColor starGold(255, 214, 64);
const QColor wood(130, 86, 45);

QPainterPath starPath(QPointF centre, double outer, double inner) {
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 == 0 ? outer : inner;
        const double angle = -M_PI / 2 + i * M_PI / 5;
        const QPointF point = centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    path.closeSubpath();
    return path;
}

// The hand's position for an arm hanging from `shoulder`, turned `degrees` away from the body
// (side = -1 for the left arm, +1 for the right).
QPointF handAt(QPointF shoulder, double degrees, int side, double length) {
    const double radians = qDegreesToRadians(degrees);
    return shoulder + QPointF(side * length * std::sin(radians), length * std::cos(radians));
}

void drawArm(QPainter &painter, QPointF shoulder, QPointF hand) {
    painter.setPen(QPen(robeDark, 7, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(shoulder, hand);
    painter.setPen(QPen(robe, 5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(shoulder, hand);
    painter.setPen(Qt::NoPen);
    painter.setBrush(skin);
    painter.drawEllipse(hand, 3.2, 3.2);
}

} // namespace

void paintWizard(QPainter &painter, const QRectF &frame, const character::Pose &pose) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(frame.topLeft());
    painter.scale(frame.width() / designWidth, frame.height() / designHeight);

    // Shadow stays on the ground while the wizard hops.
    const double hop = std::max(0.0, pose.lift);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, int(60 - std::min(40.0, hop * 2))));
    painter.drawEllipse(QPointF(50, 120), 26 - std::min(10.0, hop / 2), 4);

    painter.translate(50, 119 - pose.lift);
    painter.rotate(pose.lean);
    painter.translate(-50, -119);

    // Robe with a few stars.
    QPainterPath robePath;
    robePath.moveTo(40, 56);
    robePath.lineTo(60, 56);
    robePath.quadTo(72, 90, 80, 118);
    robePath.quadTo(50, 123, 20, 118);
    robePath.quadTo(28, 90, 40, 56);
    QLinearGradient robeShade(20, 0, 80, 0);
    robeShade.setColorAt(0, robeDark);
    robeShade.setColorAt(0.45, robe);
    robeShade.setColorAt(1, robeDark);
    painter.setBrush(robeShade);
    painter.drawPath(robePath);
    painter.setBrush(starGold);
    painter.drawPath(starPath(QPointF(42, 95), 3.2, 1.3));
    painter.drawPath(starPath(QPointF(60, 106), 2.6, 1.1));
    painter.drawPath(starPath(QPointF(55, 78), 2.2, 0.9));

    const QPointF leftShoulder(41, 60);
    const QPointF rightShoulder(59, 60);
    const QPointF leftHand = handAt(leftShoulder, pose.leftArm, -1, 24);
    const QPointF rightHand = handAt(rightShoulder, pose.rightArm, +1, 24);

    // Head, beard, face; the hat turns with the head.
    painter.save();
    painter.translate(50, 56);
    painter.rotate(pose.headTurn);
    painter.translate(-50, -56);

    painter.setBrush(skin);
    painter.drawEllipse(QPointF(50, 44), 10.5, 11);
    QPainterPath beardPath;
    beardPath.moveTo(40, 45);
    beardPath.quadTo(50, 52, 60, 45);
    beardPath.quadTo(60, 64, 50, 76);
    beardPath.quadTo(40, 64, 40, 45);
    painter.setBrush(beard);
    painter.drawPath(beardPath);

    // Eyes: dots when open, short lines when closed.
    const double eyeHeight = std::max(0.25, 2.0 * pose.eyes);
    painter.setBrush(QColor(40, 30, 30));
    painter.drawEllipse(QPointF(46, 42), 1.4, eyeHeight / 1.4);
    painter.drawEllipse(QPointF(54, 42), 1.4, eyeHeight / 1.4);

    // Mouth in the beard: opens with the speech.
    painter.setBrush(QColor(120, 40, 40));
    painter.drawEllipse(QPointF(50, 51), 2.6, 0.5 + 2.5 * pose.mouth);

    // Hat: a tall cone, tilted around its brim.
    painter.save();
    painter.translate(50, 36);
    painter.rotate(pose.hatTilt);
    painter.translate(-50, -36);
    QPainterPath hat;
    hat.moveTo(37, 36);
    hat.quadTo(46, 20, 54, 2);
    hat.quadTo(58, 20, 63, 36);
    hat.closeSubpath();
    painter.setBrush(robe);
    painter.drawPath(hat);
    painter.setBrush(robeDark);
    painter.drawEllipse(QPointF(50, 36), 16, 3.5);
    painter.setBrush(starGold);
    painter.drawPath(starPath(QPointF(51, 22), 3.5, 1.4));
    painter.restore();

    // Stars circling the hat while the wizard thinks.
    if (pose.stars > 0.01) {
        QColor gold = starGold;
        gold.setAlphaF(float(std::clamp(pose.stars, 0.0, 1.0)));
        painter.setBrush(gold);
        for (int i = 0; i < 3; ++i) {
            const double angle = 2 * M_PI * (pose.swirl + i / 3.0);
            const QPointF centre(50 + 20 * std::cos(angle), 22 + 6 * std::sin(angle));
            painter.drawPath(starPath(centre, 3, 1.2));
        }
    }
    painter.restore();

    // Book held open in front of the chest.
    if (pose.book > 0.01) {
        painter.save();
        painter.setOpacity(std::clamp(pose.book, 0.0, 1.0));
        painter.setBrush(QColor(150, 30, 30));
        painter.drawRect(QRectF(34, 72, 32, 18));
        painter.setBrush(QColor(250, 246, 230));
        painter.drawRect(QRectF(35.5, 73, 14, 15));
        painter.drawRect(QRectF(50.5, 73, 14, 15));
        painter.setPen(QPen(QColor(120, 120, 120), 0.6));
        for (int line = 0; line < 4; ++line) {
            painter.drawLine(QPointF(37.5, 76 + 3 * line), QPointF(47.5, 76 + 3 * line));
            painter.drawLine(QPointF(52.5, 76 + 3 * line), QPointF(62.5, 76 + 3 * line));
        }
        painter.restore();
    }

    drawArm(painter, leftShoulder, leftHand);
    drawArm(painter, rightShoulder, rightHand);

    // Magnifying glass in the left hand.
    if (pose.lens > 0.01) {
        painter.save();
        painter.setOpacity(std::clamp(pose.lens, 0.0, 1.0));
        const QPointF glass = leftHand + QPointF(-4, -9);
        painter.setPen(QPen(wood, 2.2, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(leftHand, glass);
        painter.setPen(QPen(QColor(90, 90, 100), 1.6));
        painter.setBrush(QColor(200, 230, 255, 150));
        painter.drawEllipse(glass + QPointF(-1.5, -4), 5.5, 5.5);
        painter.restore();
    }

    // The wand points on from the right arm; its star glows with `sparkle`.
    const QPointF armDirection = rightHand - rightShoulder;
    const double armLength = std::hypot(armDirection.x(), armDirection.y());
    const QPointF unit = armLength > 0 ? armDirection / armLength : QPointF(0, 1);
    const QPointF wandTip = rightHand + unit * 14 + QPointF(0, -4);
    painter.setPen(QPen(wood, 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(rightHand, wandTip);
    painter.setPen(Qt::NoPen);
    if (pose.sparkle > 0.01) {
        const double glowRadius = 4 + 8 * pose.sparkle;
        QRadialGradient glow(wandTip, glowRadius);
        glow.setColorAt(0, QColor(255, 250, 200, int(220 * std::clamp(pose.sparkle, 0.0, 1.0))));
        glow.setColorAt(1, QColor(255, 250, 200, 0));
        painter.setBrush(glow);
        painter.drawEllipse(wandTip, glowRadius, glowRadius);
    }
    painter.setBrush(starGold);
    painter.drawPath(starPath(wandTip, 3 + 1.5 * pose.sparkle, 1.3));

    painter.restore();
}

} // namespace ingranix
