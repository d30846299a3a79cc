#pragma once

#include <QRect>

#include <cmath>

namespace ingranix {

// The layout is given in twips: 15 to a pixel at 96 DPI. Qt's device-independent pixels already
// follow the screen's scale, so one conversion serves every screen.
inline constexpr double twipsPerPixel = 15.0;

// The machine's controls fill this much of the window's interior, from its top-left corner.
inline constexpr int machineWidthTwips = 10575;
inline constexpr int machineHeightTwips = 8415;

inline int twipsToPixels(double twips) {
    return int(std::lround(twips / twipsPerPixel));
}
inline double pixelsToTwips(int pixels) {
    return pixels * twipsPerPixel;
}

inline QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

} // namespace ingranix
