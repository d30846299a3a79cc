#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QSize>

// The game's pictures, drawn in a bright cartoon style. Every function is pure: same arguments,
// same pixels, so regenerating the resources gives the same files.
namespace art {

// The panel the lights and the machine's joints sit on.
inline const QColor navy{0, 0, 128};

// A shiny ball in a chrome ring, `size` pixels square, with a transparent ground.
QImage light(const QColor &colour, int size = 38);

// The about panel's emblem: a cartoon machine with gears and coloured lights on a blue ground.
QImage emblem(const QSize &size = QSize(553, 404));

// The frames of one gear movie: three meshing gears of `colour` that start at rest, speed up,
// slow down and stop exactly in their starting pose, so the movie also loops seamlessly.
QList<QImage> gearMovie(const QColor &colour, const QSize &size, int frameCount);

// Alpha blended onto `ground`; pixels with no coverage at all stay fully transparent.
QImage flattenEdges(const QImage &image, const QColor &ground);

} // namespace art
