// make_resources: draws the game's pictures and gear movies into a folder.
//
//   make_resources <folder>
//
// Writes the four indicator lights (the red one is also the lights' picture before the first
// blink), the emblem and the four gear movies, then reads every file back through Qt's own
// readers, as the game will, and fails if any of them does not come back as drawn. The lights and
// the movies come twice: at their designed size, and as "<name>@3x.gif" at three times it, which
// the window draws from when it is zoomed beyond 100%, so that they stay sharp on a whiteboard.

#include "drawing.h"
#include "gifwriter.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageReader>
#include <QTextStream>

#include <cstdlib>

namespace {

QTextStream &err() {
    static QTextStream stream(stderr);
    return stream;
}

// Largest difference of any colour channel, over all pixels; alpha must match on both sides.
int worstDifference(const QImage &a, const QImage &b) {
    if (a.size() != b.size())
        return 256;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    int worst = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            if ((qAlpha(p[col]) == 0) != (qAlpha(q[col]) == 0))
                return 256;
            if (qAlpha(p[col]) == 0)
                continue;
            worst = std::max({worst, std::abs(qRed(p[col]) - qRed(q[col])),
                              std::abs(qGreen(p[col]) - qGreen(q[col])),
                              std::abs(qBlue(p[col]) - qBlue(q[col]))});
        }
    }
    return worst;
}

// Reads `path` back frame by frame and compares it with what was written.
bool readsBack(const QString &path, const QList<QImage> &drawn) {
    QImageReader reader(path);
    if (!reader.canRead()) {
        err() << path << ": Qt cannot read it: " << reader.errorString() << "\n";
        return false;
    }
    if (drawn.size() > 1 && reader.imageCount() != drawn.size()) {
        err() << path << ": " << reader.imageCount() << " frames instead of " << drawn.size() << "\n";
        return false;
    }
    for (qsizetype i = 0; i < drawn.size(); ++i) {
        const QImage frame = reader.read();
        const int worst = worstDifference(frame, drawn[i]);
        if (worst != 0) {
            err() << path << ": frame " << i + 1 << " differs from the drawing by " << worst << "\n";
            return false;
        }
    }
    return true;
}

bool writeGif(const QDir &folder, const QString &name, const gif::Animation &animation) {
    const QString path = folder.filePath(name);
    QList<QImage> shown;
    if (!gif::write(path, animation, &shown)) {
        err() << path << ": cannot write\n";
        return false;
    }
    // Exact: any difference is a fault of the encoder, not of the palette.
    return readsBack(path, shown);
}

bool writePng(const QDir &folder, const QString &name, const QImage &image) {
    const QString path = folder.filePath(name);
    if (!image.save(path, "PNG")) {
        err() << path << ": cannot write\n";
        return false;
    }
    return readsBack(path, {image});
}

} // namespace

int main(int argc, char *argv[]) {
    // Drawing needs fonts but no screen: run the same on a desktop, a server or in a build.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        err() << "usage: make_resources <folder>\n";
        return 2;
    }
    QDir folder(args[1]);
    if (!folder.mkpath(QStringLiteral("."))) {
        err() << args[1] << ": cannot create the folder\n";
        return 1;
    }

    bool ok = true;
    struct Named {
        const char *name;
        QColor colour;
    };
    // The designed set, then the larger one; every picture is drawn afresh at its size, not scaled.
    struct Set {
        int scale;
        const char *suffix;
    };
    const Set sets[] = {{1, ""}, {3, "@3x"}};
    auto named = [](const char *stem, const Set &set) {
        return QString::fromLatin1(stem) + QString::fromLatin1(set.suffix) + QStringLiteral(".gif");
    };
    // Bright enough to glow on the navy panel; the blue is lifted most, as navy swallows it.
    const Named lights[] = {{"lucir", QColor(235, 35, 35)},
                            {"luciv", QColor(40, 205, 60)},
                            {"lucig", QColor(175, 175, 185)},
                            {"lucib", QColor(50, 120, 255)}};
    const Named movies[] = {{"rosso", QColor(228, 52, 46)},
                            {"verde", QColor(58, 182, 70)},
                            {"blu", QColor(46, 108, 228)},
                            {"grigio", QColor(150, 156, 168)}};
    for (const Set &set : sets) {
        for (const Named &l : lights) {
            gif::Animation still;
            still.frames = {art::flattenEdges(art::light(l.colour, 38 * set.scale), art::navy)};
            ok = writeGif(folder, named(l.name, set), still) && ok;
        }
        for (const Named &m : movies) {
            // 30 frames at 20 a second, 95 colours: smooth, and each designed movie under 300 KB.
            gif::Animation movie;
            movie.frames = art::gearMovie(m.colour, QSize(321, 241) * set.scale, 30);
            movie.delayCentiseconds = 5;
            movie.maxColours = 95;
            ok = writeGif(folder, named(m.name, set), movie) && ok;
        }
    }
    ok = writePng(folder, QStringLiteral("emblem.png"), art::emblem()) && ok;

    return ok ? 0 : 1;
}
