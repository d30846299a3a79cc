#include "icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace icon {
namespace {

// Everything is drawn on a 256-unit grid and scaled; `Pen` keeps outlines at least `minPixels`
// wide so that the shapes stay separated at 16 pixels.
constexpr double grid = 256.0;

struct Canvas {
    QPainter &painter;
    int size;

    double unitsPerPixel() const { return grid / size; }
    QPen pen(const QColor &colour, double units, double minPixels = 0.75) const {
        QPen p(colour, std::max(units, minPixels * unitsPerPixel()));
        p.setJoinStyle(Qt::RoundJoin);
        return p;
    }
};

// A spur gear with trapezoid teeth and a round hole; the hole is cut out so the window shows through.
QPainterPath gearPath(QPointF centre, double outer, double root, int teeth, double hole, double turn = 0) {
    QPolygonF outline;
    const double step = 2 * std::numbers::pi / teeth;
    for (int i = 0; i < teeth; ++i) {
        const double a = turn + i * step;
        // Flank, top land, flank, root land: the tooth's top is narrower than its foot.
        const double corners[4][2] = {
            {a, root}, {a + 0.15 * step, outer}, {a + 0.45 * step, outer}, {a + 0.6 * step, root}};
        for (const auto &c : corners)
            outline << centre + QPointF(c[1] * std::cos(c[0]), c[1] * std::sin(c[0]));
    }
    outline << outline.first();
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addPolygon(outline);
    path.addEllipse(centre, hole, hole);
    return path;
}

void drawGear(const Canvas &c, QPointF centre, double outer, int teeth, const QColor &colour, double turn) {
    QRadialGradient fill(centre - QPointF(outer * 0.3, outer * 0.3), outer * 1.3);
    fill.setColorAt(0, colour.lighter(140));
    fill.setColorAt(1, colour.darker(115));
    c.painter.setBrush(fill);
    c.painter.setPen(c.pen(colour.darker(250), 5));
    c.painter.drawPath(gearPath(centre, outer, outer * 0.76, teeth, outer * 0.24, turn));
}

QRectF tileRect(const Canvas &c) {
    // The tile fills the small icons edge to edge: a margin would only be a blurred half pixel.
    const double margin = c.size <= 24 ? 0 : 10;
    return QRectF(margin, margin, grid - 2 * margin, grid - 2 * margin);
}

void drawTile(const Canvas &c) {
    const QRectF tile = tileRect(c);
    QRadialGradient sky(QPointF(100, 90), 200);
    sky.setColorAt(0, QColor(0x5c, 0xb0, 0xff));
    sky.setColorAt(1, QColor(0x17, 0x46, 0xb8));
    c.painter.setBrush(sky);
    c.painter.setPen(c.size <= 24 ? QPen(Qt::NoPen) : c.pen(QColor(0x0c, 0x24, 0x6e), 5));
    c.painter.drawRoundedRect(tile, 48, 48);
}

void drawChimney(const Canvas &c) {
    c.painter.setPen(c.pen(QColor(0x5a, 0x14, 0x0c), 5));
    c.painter.setBrush(QColor(0xd8, 0x3a, 0x2a));
    c.painter.drawRect(QRectF(170, 36, 28, 44));
    c.painter.drawRoundedRect(QRectF(162, 28, 44, 14), 4, 4);
    c.painter.setPen(Qt::NoPen);
    c.painter.setBrush(QColor(255, 255, 255, 220));
    c.painter.drawEllipse(QPointF(212, 30), 10, 8);
    c.painter.drawEllipse(QPointF(226, 44), 6, 5);
}

void drawBody(const Canvas &c) {
    const QRectF body(34, 72, 188, 164);
    QLinearGradient metal(body.topLeft(), body.bottomLeft());
    metal.setColorAt(0, QColor(0xff, 0xd0, 0x55));
    metal.setColorAt(1, QColor(0xf2, 0x8c, 0x12));
    c.painter.setBrush(metal);
    c.painter.setPen(c.pen(QColor(0x5a, 0x30, 0x00), 8, 1.0));
    c.painter.drawRoundedRect(body, 30, 30);
}

// The four gear colours, as on the machine's light panel.
void drawLights(const Canvas &c) {
    c.painter.setPen(Qt::NoPen);
    c.painter.setBrush(QColor(0, 0, 128));
    c.painter.drawRoundedRect(QRectF(54, 86, 148, 36), 18, 18);
    const QColor colours[] = {QColor(0xe5, 0x20, 0x20), QColor(0x2e, 0xc0, 0x3a), QColor(0x30, 0x7c, 0xff),
                              QColor(0xb8, 0xb8, 0xb8)};
    for (int i = 0; i < 4; ++i) {
        const QPointF centre(74 + i * 36, 104);
        QRadialGradient shine(centre - QPointF(4, 4), 14);
        shine.setColorAt(0, colours[i].lighter(170));
        shine.setColorAt(1, colours[i]);
        c.painter.setBrush(shine);
        c.painter.drawEllipse(centre, 12, 12);
    }
}

void drawWindow(const Canvas &c) {
    const QPointF centre(128, 180);
    QLinearGradient chrome(centre - QPointF(0, 48), centre + QPointF(0, 48));
    chrome.setColorAt(0, QColor(0xf4, 0xf4, 0xf8));
    chrome.setColorAt(1, QColor(0x8a, 0x90, 0xa0));
    c.painter.setBrush(chrome);
    c.painter.setPen(c.pen(QColor(0x3a, 0x3a, 0x48), 5));
    c.painter.drawEllipse(centre, 48, 48);
    c.painter.setBrush(QColor(0xff, 0xf6, 0xe0));
    c.painter.setPen(Qt::NoPen);
    c.painter.drawEllipse(centre, 39, 39);

    // The big red gear fills the window; from 48 pixels a small blue one meshes below it.
    c.painter.save();
    QPainterPath glass;
    glass.addEllipse(centre, 39, 39);
    c.painter.setClipPath(glass);
    if (c.size >= 48)
        drawGear(c, centre + QPointF(22, 22), 17, 8, QColor(0x2a, 0x6c, 0xf0), 0.2);
    drawGear(c, centre - QPointF(6, 6), c.size >= 48 ? 29 : 33, 9, QColor(0xe2, 0x2a, 0x24), 0.1);
    c.painter.restore();
}

} // namespace

QImage draw(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (size <= 0)
        return image;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / grid, size / grid);
    const Canvas c{painter, size};

    drawTile(c);
    // What stands behind the machine stays inside the tile, like the emblem's gears on its blue ground.
    QPainterPath tile;
    tile.addRoundedRect(tileRect(c), 48, 48);
    painter.setClipPath(tile);
    if (size >= 32)
        drawGear(c, QPointF(48, 62), 40, 10, QColor(0xf6, 0xc0, 0x1c), 0.0);
    if (size >= 64)
        drawChimney(c);
    painter.setClipping(false);
    drawBody(c);
    drawLights(c);
    drawWindow(c);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace icon
