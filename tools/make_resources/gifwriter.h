#pragma once

#include <QImage>
#include <QList>
#include <QString>

// A small GIF89a writer, because Qt reads GIF but cannot write it.
//
// All frames share one global palette of at most 255 colours, chosen by median cut over every
// frame; the table's last index is kept for transparency. The first frame is stored whole; each later frame
// stores only the rectangle that changed since the previous one, with unchanged pixels
// transparent, so a still background costs almost nothing. Pixels with alpha 0 become
// transparent; partly transparent pixels must already be blended onto their ground by the caller.
namespace gif {

struct Animation {
    QList<QImage> frames; // all of the same size
    int delayCentiseconds = 4;
    int maxColours = 255;    // fewer colours give smaller files
    bool loopForever = true; // written only when there is more than one frame
};

// Writes `animation` to `path`; returns false, leaving any earlier file in place, on an I/O
// error or when the frames are empty or of different sizes. `shown`, if given, receives the
// frames exactly as a viewer will show them, after the reduction to the palette.
bool write(const QString &path, const Animation &animation, QList<QImage> *shown = nullptr);

// Palette of at most `maxColours` entries for the opaque pixels of `images` (median cut).
QList<QRgb> medianCutPalette(const QList<QImage> &images, int maxColours);

// LZW-compressed image data, as it follows an image descriptor: the minimum code size byte,
// the data sub-blocks and the block terminator. `indices` are palette indices below
// 2^minCodeSize; minCodeSize is 2 to 8.
QByteArray lzwEncode(const QByteArray &indices, int minCodeSize);

} // namespace gif
