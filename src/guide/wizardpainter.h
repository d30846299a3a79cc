#pragma once

#include "guide/characterfile.h"

#include <QRectF>

class QPainter;

namespace ingranix {

// Draws the wizard in one pose, scaled to fill `frame` (the design frame is 100 x 125).
void paintWizard(QPainter &painter, const QRectF &frame, const character::Pose &pose);

} // namespace ingranix
