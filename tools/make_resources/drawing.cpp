#include "drawing.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

#include <cmath>

namespace art {
namespace {

struct Gear {
    QPointF centre;
    int teeth = 12;
    double module = 6; // pixels of pitch radius per tooth and a half: the size of one tooth
    int holes = 4;     // must divide `teeth` for a movie to loop seamlessly
    QColor colour;
    double angle = 0; // degrees, clockwise on screen
    double pitchRadius() const { return module * teeth / 2; }
    double tipRadius() const { return pitchRadius() + module; }
    double rootRadius() const { return pitchRadius() - 1.25 * module; }
    double hubRadius() const { return std::max(0.26 * pitchRadius(), 7.0); }
};

QPointF polar(const QPointF &centre, double radius, double radians) {
    return centre + QPointF(radius * std::cos(radians), radius * std::sin(radians));
}

QPainterPath toothedOutline(const Gear &g) {
    const double pitch = 2 * M_PI / g.teeth;
    const double start = qDegreesToRadians(g.angle);
    QPolygonF outline;
    for (int k = 0; k < g.teeth; ++k) {
        const double c = start + k * pitch;
        for (int s = 0; s <= 3; ++s)
            outline << polar(g.centre, g.rootRadius(), c - 0.5 * pitch + s * 0.07 * pitch);
        // Slightly convex flanks and a round tip: a friendly tooth that still meshes.
        outline << polar(g.centre, g.pitchRadius(), c - 0.2 * pitch);
        for (int s = 0; s <= 4; ++s)
            outline << polar(g.centre, g.tipRadius(), c - 0.12 * pitch + s * 0.06 * pitch);
        outline << polar(g.centre, g.pitchRadius(), c + 0.2 * pitch);
        for (int s = 0; s <= 3; ++s)
            outline << polar(g.centre, g.rootRadius(), c + 0.29 * pitch + s * 0.07 * pitch);
    }
    QPainterPath path;
    path.addPolygon(outline);
    path.closeSubpath();
    return path;
}

// The gear's body with its lightening holes cut out.
QPainterPath gearBody(const Gear &g) {
    QPainterPath body = toothedOutline(g);
    body.setFillRule(Qt::OddEvenFill);
    const double inner = g.rootRadius() - 1.3 * g.module;
    const double ring = (inner + g.hubRadius()) / 2;
    const double holeRadius =
        std::min(0.36 * (inner - g.hubRadius()), 0.62 * ring * std::sin(M_PI / std::max(g.holes, 2)));
    for (int h = 0; h < g.holes; ++h) {
        const QPointF at = polar(g.centre, ring, qDegreesToRadians(g.angle) + (h + 0.5) * 2 * M_PI / g.holes);
        body.addEllipse(at, holeRadius, holeRadius);
    }
    return body;
}

// A soft round shadow rather than the gear's own outline: it does not turn with the gear, so it
// costs nothing in a movie's later frames.
void drawGearShadow(QPainter &p, const Gear &g, const QColor &shade) {
    const QPointF at = g.centre + QPointF(4, 5);
    const double r = g.pitchRadius() + 0.3 * g.module;
    QRadialGradient soft(at, r);
    QColor edge = shade;
    edge.setAlpha(0);
    soft.setColorAt(0, shade);
    soft.setColorAt(0.85, shade);
    soft.setColorAt(1, edge);
    p.setPen(Qt::NoPen);
    p.setBrush(soft);
    p.drawEllipse(at, r, r);
}

void drawGear(QPainter &p, const Gear &g) {
    const double r = g.tipRadius();
    const QColor outline = g.colour.darker(260);
    // Light from above, fixed on the screen: a turning gear keeps its shading, as a real one does,
    // and a shade that is constant along each row keeps the movie frames small.
    QLinearGradient body(g.centre - QPointF(0, r), g.centre + QPointF(0, r));
    body.setColorAt(0, g.colour.lighter(160));
    body.setColorAt(0.45, g.colour);
    body.setColorAt(1, g.colour.darker(160));
    p.setPen(QPen(outline, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(body);
    p.drawPath(gearBody(g));

    p.setBrush(Qt::NoBrush);
    QColor groove = outline;
    groove.setAlpha(110);
    p.setPen(QPen(groove, 1.4));
    const double rim = g.rootRadius() - 1.3 * g.module;
    p.drawEllipse(g.centre, rim, rim);
    // A cartoon shine along the upper left of the rim.
    p.setPen(QPen(QColor(255, 255, 255, 150), std::max(2.0, 0.35 * g.module), Qt::SolidLine, Qt::RoundCap));
    const double shine = g.rootRadius() - 0.55 * g.module;
    p.drawArc(QRectF(g.centre - QPointF(shine, shine), QSizeF(2 * shine, 2 * shine)), 105 * 16, 55 * 16);

    const double hub = g.hubRadius();
    QRadialGradient hubFill(g.centre, hub, g.centre + QPointF(-0.4 * hub, -0.4 * hub));
    hubFill.setColorAt(0, g.colour.lighter(190));
    hubFill.setColorAt(1, g.colour.lighter(112));
    p.setPen(QPen(outline, 2));
    p.setBrush(hubFill);
    p.drawEllipse(g.centre, hub, hub);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(45, 45, 70));
    p.drawEllipse(g.centre, 0.42 * hub, 0.42 * hub);
    p.setBrush(QColor(255, 255, 255, 170));
    p.drawEllipse(g.centre + QPointF(-0.14 * hub, -0.16 * hub), 0.12 * hub, 0.12 * hub);
}

// The angle that keeps `driven` meshed with `driver`: a tooth of one faces a gap of the other
// on the line between their centres, and they turn in opposite directions at the teeth ratio.
double meshedAngle(const Gear &driver, const Gear &driven) {
    const QPointF d = driven.centre - driver.centre;
    const double line = qRadiansToDegrees(std::atan2(d.y(), d.x()));
    const double ratio = double(driver.teeth) / driven.teeth;
    return line + 180 + 180.0 / driven.teeth - ratio * (driver.angle - line);
}

// A gear placed beside `driver`, at `directionDegrees` from its centre, exactly at meshing distance.
Gear meshedGear(const Gear &driver, int teeth, int holes, double directionDegrees, const QColor &colour) {
    Gear g;
    g.teeth = teeth;
    g.module = driver.module;
    g.holes = holes;
    g.colour = colour;
    g.centre =
        polar(driver.centre, driver.pitchRadius() + g.pitchRadius(), qDegreesToRadians(directionDegrees));
    g.angle = meshedAngle(driver, g);
    return g;
}

void drawBall(QPainter &p, const QPointF &centre, double radius, const QColor &colour) {
    const double ring = radius * 1.2;
    QLinearGradient chrome(centre - QPointF(ring, ring), centre + QPointF(ring, ring));
    chrome.setColorAt(0, QColor(250, 250, 255));
    chrome.setColorAt(0.5, QColor(170, 175, 190));
    chrome.setColorAt(1, QColor(80, 85, 105));
    p.setPen(QPen(QColor(20, 20, 50), std::max(1.0, radius * 0.07)));
    p.setBrush(chrome);
    p.drawEllipse(centre, ring, ring);

    QRadialGradient ball(centre, radius, centre + QPointF(-0.35 * radius, -0.4 * radius));
    ball.setColorAt(0, colour.lighter(175));
    ball.setColorAt(0.45, colour);
    ball.setColorAt(1, colour.darker(210));
    p.setPen(QPen(QColor(30, 30, 60), std::max(0.8, radius * 0.05)));
    p.setBrush(ball);
    p.drawEllipse(centre, radius, radius);

    // Glints: a bright oval up left, a faint reflected crescent down right.
    p.save();
    p.translate(centre + QPointF(-0.32 * radius, -0.42 * radius));
    p.rotate(-35);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 215));
    p.drawEllipse(QPointF(0, 0), 0.38 * radius, 0.22 * radius);
    p.restore();
    p.setPen(QPen(QColor(255, 255, 255, 80), std::max(1.0, 0.12 * radius), Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const double arc = 0.72 * radius;
    p.drawArc(QRectF(centre - QPointF(arc, arc), QSizeF(2 * arc, 2 * arc)), 200 * 16, 70 * 16);
}

void drawSparkle(QPainter &p, const QPointF &at, double size) {
    QPainterPath star;
    star.moveTo(at + QPointF(0, -size));
    star.quadTo(at, at + QPointF(size, 0));
    star.quadTo(at, at + QPointF(0, size));
    star.quadTo(at, at + QPointF(-size, 0));
    star.quadTo(at, at + QPointF(0, -size));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 220));
    p.drawPath(star);
}

void drawNumberCard(QPainter &p, const QPointF &centre, double tilt, const QString &text) {
    p.save();
    p.translate(centre);
    p.rotate(tilt);
    const QRectF card(-20, -25, 40, 50);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 40, 70));
    p.drawRoundedRect(card.translated(3, 4), 7, 7);
    p.setPen(QPen(QColor(20, 30, 90), 3));
    p.setBrush(QColor(255, 255, 255));
    p.drawRoundedRect(card, 7, 7);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setBold(true);
    font.setPixelSize(36);
    p.setFont(font);
    p.setPen(QColor(0, 0, 128));
    p.drawText(card, Qt::AlignCenter, text);
    p.restore();
}

QImage movieGround(const QSize &size) {
    QImage ground(size, QImage::Format_ARGB32_Premultiplied);
    ground.fill(navy);
    QPainter p(&ground);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF outer = QRectF(QPointF(0, 0), QSizeF(size));
    // A bevel makes the navy frame read as metal.
    p.setPen(QPen(QColor(70, 80, 200), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(outer.adjusted(1, 1, -1, -1));

    const QRectF panel = outer.adjusted(10, 10, -10, -10);
    QLinearGradient cream(panel.topLeft(), panel.bottomLeft());
    cream.setColorAt(0, QColor(255, 250, 232));
    cream.setColorAt(1, QColor(250, 232, 192));
    p.setPen(Qt::NoPen);
    p.setBrush(cream);
    p.drawRoundedRect(panel, 16, 16);

    p.save();
    QPainterPath clip;
    clip.addRoundedRect(panel, 16, 16);
    p.setClipPath(clip);
    p.setPen(QPen(QColor(236, 214, 170), 1));
    for (double x = panel.left() + 20; x < panel.right(); x += 20)
        p.drawLine(QPointF(x, panel.top()), QPointF(x, panel.bottom()));
    for (double y = panel.top() + 20; y < panel.bottom(); y += 20)
        p.drawLine(QPointF(panel.left(), y), QPointF(panel.right(), y));
    // Inner shadow under the frame's top and left edges: the panel lies inside the machine.
    p.setPen(QPen(QColor(60, 40, 0, 60), 6));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(panel.adjusted(-1, -1, 2, 2), 17, 17);
    p.restore();
    p.setPen(QPen(QColor(0, 0, 70), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(panel, 16, 16);

    const double inset = 5;
    const QPointF rivets[] = {{inset, inset},
                              {outer.width() - inset, inset},
                              {inset, outer.height() - inset},
                              {outer.width() - inset, outer.height() - inset},
                              {outer.width() / 2, inset},
                              {outer.width() / 2, outer.height() - inset}};
    for (const QPointF &at : rivets) {
        QRadialGradient metal(at, 3, at - QPointF(1, 1));
        metal.setColorAt(0, QColor(240, 240, 255));
        metal.setColorAt(1, QColor(110, 115, 160));
        p.setPen(Qt::NoPen);
        p.setBrush(metal);
        p.drawEllipse(at, 2.6, 2.6);
    }
    return ground;
}

} // namespace

QImage light(const QColor &colour, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double half = size / 2.0;
    drawBall(p, QPointF(half, half), (half - 1.4) / 1.2, colour);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage flattenEdges(const QImage &image, const QColor &ground) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int a = qAlpha(line[x]);
            if (a == 0 || a == 255)
                continue;
            auto mix = [a](int top, int under) { return (top * a + under * (255 - a) + 127) / 255; };
            line[x] = qRgb(mix(qRed(line[x]), ground.red()), mix(qGreen(line[x]), ground.green()),
                           mix(qBlue(line[x]), ground.blue()));
        }
    }
    return out;
}

QList<QImage> gearMovie(const QColor &colour, const QSize &size, int frameCount) {
    const QImage ground = movieGround(size);
    // Scaled from a 321 x 241 design, so a double-size movie is the same picture.
    const double k = size.width() / 321.0;
    Gear driver;
    driver.teeth = 18;
    driver.module = 7 * k;
    driver.holes = 6;
    driver.colour = colour;
    driver.centre = QPointF(109 * k, 136 * k);
    driver.angle = 0;
    const int middleTeeth = 12;
    const int smallTeeth = 9;
    // One run moves six teeth past each mesh: the big gear turns a third, the middle one a half,
    // the small one two thirds. Each gear's holes repeat every three teeth, so the pose after the
    // last frame is the first frame's.
    const double teethPerRun = 6;

    QList<QImage> frames;
    for (int f = 0; f < frameCount; ++f) {
        const double t = double(f) / frameCount;
        // Start gently and stop gently, like a machine that is switched on and off.
        const double progress = t - std::sin(2 * M_PI * t) / (2 * M_PI);
        driver.angle = progress * teethPerRun * 360.0 / driver.teeth;
        const Gear middle = meshedGear(driver, middleTeeth, 4, -30, colour.lighter(112));
        const Gear small = meshedGear(middle, smallTeeth, 3, 58, colour.darker(112));

        QImage frame = ground.copy();
        QPainter p(&frame);
        p.setRenderHint(QPainter::Antialiasing);
        p.setClipRect(QRectF(10, 10, size.width() - 20, size.height() - 20).adjusted(1, 1, -1, -1));
        const Gear *gears[] = {&driver, &middle, &small};
        for (const Gear *g : gears)
            drawGearShadow(p, *g, QColor(90, 60, 10, 50));
        for (const Gear *g : gears)
            drawGear(p, *g);
        p.end();
        frames.append(frame.convertToFormat(QImage::Format_ARGB32));
    }
    return frames;
}

QImage emblem(const QSize &size) {
    QImage image(QSize(553, 404), QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QRadialGradient sky(QPointF(276, 190), 380);
    sky.setColorAt(0, QColor(120, 180, 255));
    sky.setColorAt(0.55, QColor(45, 100, 215));
    sky.setColorAt(1, QColor(15, 35, 135));
    p.fillRect(image.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 22));
    for (int ray = 0; ray < 16; ray += 2) {
        const double a = ray * M_PI / 8;
        const double b = (ray + 1) * M_PI / 8;
        const QPointF c(276, 230);
        p.drawPolygon(QPolygonF{c, polar(c, 600, a), polar(c, 600, b)});
    }
    for (const auto &[x, y, s] : {std::tuple{52.0, 58.0, 13.0},
                                  {505.0, 190.0, 10.0},
                                  {34.0, 250.0, 8.0},
                                  {95.0, 160.0, 6.0},
                                  {520.0, 92.0, 7.0},
                                  {300.0, 28.0, 8.0}})
        drawSparkle(p, QPointF(x, y), s);

    p.setBrush(QColor(0, 0, 40, 80));
    p.drawEllipse(QPointF(280, 375), 205, 20);

    // Gears peeping out from behind the machine.
    Gear back;
    back.teeth = 14;
    back.module = 9;
    back.holes = 7;
    back.colour = QColor(160, 165, 178);
    back.centre = QPointF(105, 235);
    back.angle = 8;
    drawGear(p, back);
    Gear yellow = meshedGear(back, 10, 5, -78, QColor(255, 196, 40));
    drawGear(p, yellow);

    // Chimney with puffs of steam.
    QLinearGradient brick(QPointF(372, 0), QPointF(408, 0));
    brick.setColorAt(0, QColor(240, 90, 70));
    brick.setColorAt(1, QColor(170, 40, 35));
    p.setPen(QPen(QColor(20, 30, 90), 4));
    p.setBrush(brick);
    p.drawRect(QRectF(374, 62, 34, 70));
    p.drawRoundedRect(QRectF(366, 52, 50, 16), 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawEllipse(QPointF(398, 36), 16, 13);
    p.drawEllipse(QPointF(425, 22), 12, 10);
    p.drawEllipse(QPointF(447, 11), 8, 7);

    // The machine's body.
    const QRectF bodyRect(118, 120, 330, 232);
    QLinearGradient bodyFill(bodyRect.topLeft(), bodyRect.bottomLeft());
    bodyFill.setColorAt(0, QColor(255, 214, 92));
    bodyFill.setColorAt(1, QColor(245, 150, 40));
    p.setPen(QPen(QColor(20, 30, 90), 5));
    p.setBrush(QColor(40, 45, 80));
    p.drawRoundedRect(QRectF(150, 340, 52, 26), 8, 8);
    p.drawRoundedRect(QRectF(366, 340, 52, 26), 8, 8);
    p.setBrush(bodyFill);
    p.drawRoundedRect(bodyRect, 36, 36);
    p.setPen(QPen(QColor(255, 255, 255, 120), 5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(bodyRect.left() + 10, bodyRect.top() + 10, 70, 70), 100 * 16, 70 * 16);

    // The row of lights, in the panel's navy.
    p.setPen(QPen(QColor(20, 30, 90), 3));
    p.setBrush(navy);
    p.drawRoundedRect(QRectF(150, 138, 268, 42), 21, 21);
    const QColor lights[] = {QColor(235, 35, 35),   QColor(40, 205, 60), QColor(50, 120, 255),
                             QColor(175, 175, 185), QColor(235, 35, 35), QColor(40, 205, 60)};
    for (int i = 0; i < 6; ++i)
        drawBall(p, QPointF(174 + i * 44, 159), 13, lights[i]);

    // The porthole with the calculation's gears inside.
    const QPointF port(232, 266);
    QLinearGradient chrome(port - QPointF(80, 80), port + QPointF(80, 80));
    chrome.setColorAt(0, QColor(250, 250, 255));
    chrome.setColorAt(1, QColor(95, 100, 125));
    p.setPen(QPen(QColor(20, 30, 90), 4));
    p.setBrush(chrome);
    p.drawEllipse(port, 74, 74);
    p.setBrush(QColor(255, 248, 226));
    p.drawEllipse(port, 62, 62);
    p.save();
    QPainterPath window;
    window.addEllipse(port, 60, 60);
    p.setClipPath(window);
    Gear red;
    red.teeth = 12;
    red.module = 5;
    red.holes = 4;
    red.colour = QColor(230, 50, 45);
    red.centre = port + QPointF(-18, -10);
    red.angle = 10;
    const Gear green = meshedGear(red, 9, 3, 15, QColor(60, 185, 70));
    const Gear blue = meshedGear(red, 8, 4, 85, QColor(45, 110, 230));
    const Gear *gears[] = {&red, &green, &blue};
    for (const Gear *g : gears)
        drawGearShadow(p, *g, QColor(90, 60, 10, 50));
    for (const Gear *g : gears)
        drawGear(p, *g);
    p.restore();
    p.setPen(QPen(QColor(255, 255, 255, 170), 6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(port - QPointF(50, 50), QSizeF(100, 100)), 110 * 16, 50 * 16);

    // A gauge and three buttons.
    const QPointF gauge(375, 240);
    p.setPen(QPen(QColor(20, 30, 90), 4));
    p.setBrush(Qt::white);
    p.drawEllipse(gauge, 36, 36);
    p.setPen(QPen(QColor(20, 30, 90), 2.5, Qt::SolidLine, Qt::RoundCap));
    for (int tick = 0; tick <= 6; ++tick) {
        const double a = qDegreesToRadians(150.0 + tick * 40);
        p.drawLine(polar(gauge, 24, a), polar(gauge, 31, a));
    }
    p.setPen(QPen(QColor(225, 30, 30), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(gauge, polar(gauge, 26, qDegreesToRadians(300)));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 30, 90));
    p.drawEllipse(gauge, 5, 5);
    const QColor buttons[] = {QColor(40, 205, 60), QColor(235, 35, 35), QColor(50, 120, 255)};
    for (int i = 0; i < 3; ++i)
        drawBall(p, QPointF(340 + i * 35, 312), 10, buttons[i]);

    // The number goes in through the funnel and the answer slides out of the chute.
    QLinearGradient steel(QPointF(150, 0), QPointF(250, 0));
    steel.setColorAt(0, QColor(235, 238, 250));
    steel.setColorAt(1, QColor(120, 125, 150));
    p.setPen(QPen(QColor(20, 30, 90), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(steel);
    p.drawPolygon(QPolygonF{{150, 70}, {250, 70}, {214, 112}, {214, 128}, {186, 128}, {186, 112}});
    drawNumberCard(p, QPointF(196, 42), -14, QStringLiteral("3"));
    p.setPen(QPen(QColor(20, 30, 90), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(steel);
    p.drawPolygon(QPolygonF{{444, 262}, {530, 322}, {522, 340}, {444, 300}});
    drawNumberCard(p, QPointF(494, 282), 34, QStringLiteral("7"));
    p.end();
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

} // namespace art
