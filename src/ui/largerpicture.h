#pragma once

#include <QString>

namespace ingranix {

// The lights and the gear movies come at their designed size ("lucir.gif") and, beside them, drawn at
// three times it ("lucir@3x.gif"). Zoomed beyond 100% the window draws from the larger one, scaled
// down to the size shown, so that they stay sharp on a whiteboard; at 100% and below it draws the
// designed one, so that every pixel there is as designed.
inline constexpr int largerPictureScale = 3;

// The larger picture's path beside `designed`: "@3x" before the file's extension.
inline QString largerPicturePath(const QString &designed) {
    if (designed.isEmpty())
        return {};
    const qsizetype slash = designed.lastIndexOf(u'/');
    const qsizetype dot = designed.lastIndexOf(u'.');
    const qsizetype at = dot > slash ? dot : designed.size();
    return designed.left(at) + QStringLiteral("@%1x").arg(largerPictureScale) + designed.mid(at);
}

} // namespace ingranix
