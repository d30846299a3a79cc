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

void MachineSurface::setZoom(double zoom) {
    if (zoom == zoom_)
        return;
    zoom_ = zoom;
    update();
}

void MachineSurface::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const auto bands = gradientBands(int(pixelsToTwips(width(), zoom_)), int(pixelsToTwips(height(), zoom_)));
    for (const GradientBand &band : bands) {
        // Edges converted from twips one by one, so neighbouring bands meet without gaps.
        const int top = twipsToPixels(band.top, zoom_);
        const int bottom = twipsToPixels(band.top + band.height, zoom_);
        if (bottom > top)
            painter.fillRect(QRect(0, top, twipsToPixels(band.width, zoom_), bottom - top),
                             QColor(50, 0, band.blue));
    }
    if (!painted_) {
        painted_ = true;
        emit firstPainted();
    }
}

} // namespace ingranix
