#include "machinesurface.h"

#include "play/game.h"
#include "twips.h"

#include <QPainter>

namespace ingranix {

MachineSurface::MachineSurface(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
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
