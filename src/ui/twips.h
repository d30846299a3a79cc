#pragma once

#include <QRect>

#include <cmath>

namespace ingranix {

// The layout is given in twips: 15 to a pixel at 96 DPI. Qt's device-independent pixels already
// follow the screen's scale, so one conversion serves every screen. The view's zoom multiplies on
// top of it; at 1 the result is exactly the unzoomed one.
inline constexpr double twipsPerPixel = 15.0;

// The machine's controls fill this much of the window's interior, from its top-left corner.
inline constexpr int machineWidthTwips = 10575;
inline constexpr int machineHeightTwips = 8415;

inline int twipsToPixels(double twips, double zoom = 1.0) {
    return int(std::lround(twips * zoom / twipsPerPixel));
}
inline double pixelsToTwips(int pixels, double zoom = 1.0) {
    return pixels * twipsPerPixel / zoom;
}

inline QRect twipsRect(int left, int top, int width, int height, double zoom = 1.0) {
    return QRect(twipsToPixels(left, zoom), twipsToPixels(top, zoom), twipsToPixels(width, zoom),
                 twipsToPixels(height, zoom));
}
inline QRect twipsRect(const QRect &twips, double zoom = 1.0) {
    return twipsRect(twips.x(), twips.y(), twips.width(), twips.height(), zoom);
}

} // namespace ingranix
