#include "machinesurface.h"

#include "twips.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace ingranix {

MachineSurface::MachineSurface(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

std::vector<GradientBand> gradientBands(int interiorWidth, int interiorHeight) {
    std::vector<GradientBand> bands;
    const int width = std::max(interiorWidth, 0);
    // Whole twips, a tie going to the even neighbour, then a 256th; 32-bit positions so that a
    // large screen does not overflow.
    const int bandHeight = std::max(1, int(std::nearbyint(double(width))) / 256);
    bands.reserve(256);
    for (int k = 0; k < 256; ++k)
        bands.push_back({k * bandHeight, bandHeight, width, 255 - k});
    const int covered = 256 * bandHeight;
    if (covered < interiorHeight)
        bands.back().height += interiorHeight - covered;
    return bands;
}

QPoint centredOrigin(QSize room, QSize machine) {
    return {std::max(0, (room.width() - machine.width()) / 2),
            std::max(0, (room.height() - machine.height()) / 2)};
}

QPoint MachineSurface::centred() const {
    return centredOrigin(
        size(), QSize(twipsToPixels(machineWidthTwips, zoom_), twipsToPixels(machineHeightTwips, zoom_)));
}

void MachineSurface::setZoom(double zoom) {
    if (zoom == zoom_)
        return;
    zoom_ = zoom;
    origin_ = centred();
    update();
}

void MachineSurface::resizeEvent(QResizeEvent *) {
    const QPoint now = centred();
    if (now == origin_)
        return;
    // Only the surface's own children: the controls inside the frames move with their frame.
    const QPoint by = now - origin_;
    origin_ = now;
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        child->move(child->pos() + by);
    update();
}

void MachineSurface::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    // The bands as the machine's designed interior has them, from the machine's top; the first band's
    // colour continues above it, the last one's to the bottom, and every band across the whole width.
    const auto bands = gradientBands(machineWidthTwips, int(pixelsToTwips(height() - origin_.y(), zoom_)));
    if (origin_.y() > 0)
        painter.fillRect(QRect(0, 0, width(), origin_.y()), QColor(50, 0, bands.front().blue));
    for (const GradientBand &band : bands) {
        // Edges converted from twips one by one, so neighbouring bands meet without gaps.
        const int top = origin_.y() + twipsToPixels(band.top, zoom_);
        const int bottom = origin_.y() + twipsToPixels(band.top + band.height, zoom_);
        if (bottom > top)
            painter.fillRect(QRect(0, top, width(), bottom - top), QColor(50, 0, band.blue));
    }
    if (!painted_) {
        painted_ = true;
        emit firstPainted();
    }
}

QPoint machineOrigin(const QWidget *widget) {
    if (const auto *surface = qobject_cast<const MachineSurface *>(widget ? widget->parentWidget() : nullptr))
        return surface->origin();
    return {};
}

} // namespace ingranix
