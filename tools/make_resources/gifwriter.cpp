#include "gifwriter.h"

#include <QHash>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace gif {
namespace {

struct ColourCount {
    QRgb rgb;
    qint64 count;
};

int channel(QRgb rgb, int c) {
    return c == 0 ? qRed(rgb) : c == 1 ? qGreen(rgb) : qBlue(rgb);
}

// One box of the median cut: a run of the shared colour list.
struct Box {
    int begin = 0;
    int end = 0;
    qint64 pixels = 0;
    int longest = 0; // channel with the widest range
    int range = 0;
};

void measure(Box &box, const std::vector<ColourCount> &colours) {
    std::array<int, 3> lo{255, 255, 255};
    std::array<int, 3> hi{0, 0, 0};
    box.pixels = 0;
    for (int i = box.begin; i < box.end; ++i) {
        box.pixels += colours[i].count;
        for (int c = 0; c < 3; ++c) {
            lo[c] = std::min(lo[c], channel(colours[i].rgb, c));
            hi[c] = std::max(hi[c], channel(colours[i].rgb, c));
        }
    }
    box.range = -1;
    for (int c = 0; c < 3; ++c) {
        if (hi[c] - lo[c] > box.range) {
            box.range = hi[c] - lo[c];
            box.longest = c;
        }
    }
}

// Weighted so that greens, to which the eye is most sensitive, are matched most closely.
int distance(QRgb a, QRgb b) {
    const int dr = qRed(a) - qRed(b);
    const int dg = qGreen(a) - qGreen(b);
    const int db = qBlue(a) - qBlue(b);
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

class Mapper {
public:
    explicit Mapper(const QList<QRgb> &palette) : palette_(palette) {}
    uchar index(QRgb rgb) {
        rgb |= 0xff000000u;
        const auto found = cache_.constFind(rgb);
        if (found != cache_.constEnd())
            return found.value();
        int best = 0;
        int bestDistance = std::numeric_limits<int>::max();
        for (int i = 0; i < palette_.size(); ++i) {
            const int d = distance(rgb, palette_[i]);
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        cache_.insert(rgb, uchar(best));
        return uchar(best);
    }

private:
    QList<QRgb> palette_;
    QHash<QRgb, uchar> cache_;
};

QByteArray toIndices(const QImage &image, Mapper &mapper, int transparent) {
    QByteArray indices(qsizetype(image.width()) * image.height(), Qt::Uninitialized);
    qsizetype at = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            indices[at++] = char(qAlpha(line[x]) == 0 ? transparent : mapper.index(line[x]));
    }
    return indices;
}

// Packs variable-width codes least significant bit first into 255-byte sub-blocks.
class BitWriter {
public:
    void write(quint32 code, int width) {
        bits_ |= quint64(code) << count_;
        count_ += width;
        while (count_ >= 8) {
            block_.append(char(bits_ & 0xff));
            bits_ >>= 8;
            count_ -= 8;
            if (block_.size() == 255)
                flushBlock();
        }
    }
    QByteArray finish() {
        if (count_ > 0)
            block_.append(char(bits_ & 0xff));
        flushBlock();
        out_.append('\0');
        return out_;
    }

private:
    void flushBlock() {
        if (block_.isEmpty())
            return;
        out_.append(char(block_.size()));
        out_.append(block_);
        block_.clear();
    }
    quint64 bits_ = 0;
    int count_ = 0;
    QByteArray block_;
    QByteArray out_;
};

void appendWord(QByteArray &out, int value) {
    out.append(char(value & 0xff));
    out.append(char((value >> 8) & 0xff));
}

} // namespace

QList<QRgb> medianCutPalette(const QList<QImage> &images, int maxColours) {
    QHash<QRgb, qint64> histogram;
    for (const QImage &image : images) {
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < argb.height(); ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
            for (int x = 0; x < argb.width(); ++x) {
                if (qAlpha(line[x]) != 0)
                    ++histogram[line[x] | 0xff000000u];
            }
        }
    }
    std::vector<ColourCount> colours;
    colours.reserve(histogram.size());
    for (auto it = histogram.constBegin(); it != histogram.constEnd(); ++it)
        colours.push_back({it.key(), it.value()});
    if (colours.empty())
        return {qRgb(0, 0, 0)};
    // A deterministic order keeps regenerated files byte-identical.
    std::sort(colours.begin(), colours.end(),
              [](const ColourCount &a, const ColourCount &b) { return a.rgb < b.rgb; });

    QList<QRgb> palette;
    if (int(colours.size()) <= maxColours) {
        for (const ColourCount &c : colours)
            palette.append(c.rgb);
        return palette;
    }

    std::vector<Box> boxes(1);
    boxes[0].end = int(colours.size());
    measure(boxes[0], colours);
    while (int(boxes.size()) < maxColours) {
        // Split the box whose colours spread widest, favouring the boxes that cover many pixels.
        int pick = -1;
        double bestScore = 0;
        for (int i = 0; i < int(boxes.size()); ++i) {
            if (boxes[i].end - boxes[i].begin < 2)
                continue;
            const double score = boxes[i].range * std::sqrt(double(boxes[i].pixels));
            if (score > bestScore) {
                bestScore = score;
                pick = i;
            }
        }
        if (pick < 0)
            break;
        Box box = boxes[pick];
        const int c = box.longest;
        std::sort(colours.begin() + box.begin, colours.begin() + box.end,
                  [c](const ColourCount &a, const ColourCount &b) {
                      return channel(a.rgb, c) != channel(b.rgb, c) ? channel(a.rgb, c) < channel(b.rgb, c)
                                                                    : a.rgb < b.rgb;
                  });
        qint64 half = 0;
        int split = box.begin + 1;
        for (int i = box.begin; i < box.end - 1; ++i) {
            half += colours[i].count;
            split = i + 1;
            if (half * 2 >= box.pixels)
                break;
        }
        Box lower{box.begin, split, 0, 0, 0};
        Box upper{split, box.end, 0, 0, 0};
        measure(lower, colours);
        measure(upper, colours);
        boxes[pick] = lower;
        boxes.push_back(upper);
    }
    for (const Box &box : boxes) {
        double r = 0, g = 0, b = 0;
        for (int i = box.begin; i < box.end; ++i) {
            r += double(qRed(colours[i].rgb)) * double(colours[i].count);
            g += double(qGreen(colours[i].rgb)) * double(colours[i].count);
            b += double(qBlue(colours[i].rgb)) * double(colours[i].count);
        }
        const double n = double(box.pixels);
        palette.append(qRgb(int(std::lround(r / n)), int(std::lround(g / n)), int(std::lround(b / n))));
    }
    return palette;
}

QByteArray lzwEncode(const QByteArray &indices, int minCodeSize) {
    const quint32 clearCode = 1u << minCodeSize;
    const quint32 endCode = clearCode + 1;
    constexpr quint32 maxTableCode = 4095;

    // next[code * 256 + byte] is the code for that string extended by `byte`, or 0 if none yet.
    std::vector<quint16> next(4096 * 256, 0);
    BitWriter out;
    int width = minCodeSize + 1;
    quint32 lastCode = endCode;
    out.write(clearCode, width);

    qint64 current = -1;
    for (const char ch : indices) {
        const auto byte = quint8(ch);
        if (current < 0) {
            current = byte;
            continue;
        }
        const quint16 extended = next[std::size_t(current) * 256 + byte];
        if (extended != 0) {
            current = extended;
            continue;
        }
        out.write(quint32(current), width);
        next[std::size_t(current) * 256 + byte] = quint16(++lastCode);
        // The decoder learns each code one step later than we do, so we widen once the code just
        // added no longer fits: from then on both sides read and write the wider codes.
        if (lastCode >= (1u << width))
            ++width;
        if (lastCode == maxTableCode) {
            out.write(clearCode, width);
            std::fill(next.begin(), next.end(), quint16(0));
            width = minCodeSize + 1;
            lastCode = endCode;
        }
        current = byte;
    }
    if (current >= 0)
        out.write(quint32(current), width);
    out.write(clearCode, width);
    out.write(endCode, minCodeSize + 1);

    QByteArray data;
    data.append(char(minCodeSize));
    data.append(out.finish());
    return data;
}

bool write(const QString &path, const Animation &animation, QList<QImage> *shown) {
    if (animation.frames.isEmpty())
        return false;
    const QSize size = animation.frames.first().size();
    if (size.isEmpty() || size.width() > 65535 || size.height() > 65535)
        return false;
    QList<QImage> frames;
    for (const QImage &frame : animation.frames) {
        if (frame.size() != size)
            return false;
        frames.append(frame.convertToFormat(QImage::Format_ARGB32));
    }

    QList<QRgb> palette = medianCutPalette(frames, std::clamp(animation.maxColours, 1, 255));
    Mapper mapper(palette);
    // The smallest table that holds the palette and one entry more, the last, for transparency:
    // fewer colours give shorter codes.
    int depth = 2;
    while ((1 << depth) - 1 < palette.size())
        ++depth;
    const int transparent = (1 << depth) - 1;
    while (palette.size() < (1 << depth))
        palette.append(qRgb(0, 0, 0));

    QByteArray out("GIF89a");
    appendWord(out, size.width());
    appendWord(out, size.height());
    out.append(char(0xf0 | (depth - 1))); // global table of 2^depth entries, 8 bits per primary
    out.append('\0');                     // background index
    out.append('\0');                     // square pixels
    for (QRgb rgb : palette) {
        out.append(char(qRed(rgb)));
        out.append(char(qGreen(rgb)));
        out.append(char(qBlue(rgb)));
    }
    const bool animated = frames.size() > 1;
    if (animated && animation.loopForever) {
        out.append("\x21\xff\x0bNETSCAPE2.0\x03\x01", 16);
        appendWord(out, 0); // 0: repeat forever
        out.append('\0');
    }

    QByteArray previous;
    for (const QImage &frame : frames) {
        const QByteArray indices = toIndices(frame, mapper, transparent);
        if (shown) {
            QImage expected(size, QImage::Format_ARGB32);
            for (int y = 0; y < size.height(); ++y) {
                auto *line = reinterpret_cast<QRgb *>(expected.scanLine(y));
                for (int x = 0; x < size.width(); ++x) {
                    const int index = quint8(indices[qsizetype(y) * size.width() + x]);
                    line[x] = index == transparent ? qRgba(0, 0, 0, 0) : palette[index];
                }
            }
            shown->append(expected);
        }
        QRect changed(QPoint(0, 0), size);
        QByteArray stored = indices;
        if (!previous.isEmpty()) {
            // Keep only the rectangle that changed, and let unchanged pixels show through.
            int left = size.width(), top = size.height(), right = -1, bottom = -1;
            for (int y = 0; y < size.height(); ++y) {
                for (int x = 0; x < size.width(); ++x) {
                    const qsizetype at = qsizetype(y) * size.width() + x;
                    if (indices[at] != previous[at]) {
                        left = std::min(left, x);
                        right = std::max(right, x);
                        top = std::min(top, y);
                        bottom = std::max(bottom, y);
                    }
                }
            }
            if (right < 0)
                changed = QRect(0, 0, 1, 1); // an identical frame still needs one pixel of data
            else
                changed = QRect(QPoint(left, top), QPoint(right, bottom));
            stored.resize(qsizetype(changed.width()) * changed.height());
            qsizetype to = 0;
            for (int y = changed.top(); y <= changed.bottom(); ++y) {
                for (int x = changed.left(); x <= changed.right(); ++x) {
                    const qsizetype at = qsizetype(y) * size.width() + x;
                    stored[to++] = indices[at] == previous[at] ? char(transparent) : indices[at];
                }
            }
        }
        const bool hasTransparency = stored.contains(char(transparent));
        // Graphic control: disposal 1 (leave the frame in place), delay, transparency.
        out.append("\x21\xf9\x04", 3);
        out.append(char((1 << 2) | (hasTransparency ? 1 : 0)));
        appendWord(out, animated ? animation.delayCentiseconds : 0);
        out.append(char(transparent));
        out.append('\0');
        out.append(char(0x2c));
        appendWord(out, changed.left());
        appendWord(out, changed.top());
        appendWord(out, changed.width());
        appendWord(out, changed.height());
        out.append('\0'); // no local palette, not interlaced
        out.append(lzwEncode(stored, depth));
        // Outside the rectangle nothing changed, so the viewer's canvas now equals this frame.
        previous = indices;
    }
    out.append(char(0x3b));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return file.write(out) == out.size() && file.commit();
}

} // namespace gif
