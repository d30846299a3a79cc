// make_resources: draws the game's pictures and gear movies into a folder.
//
//   make_resources <folder>
//
// Writes the four indicator lights (the red one is also the lights' picture before the first
// blink), the emblem and the four gear movies, then reads every file back through Qt's own
// readers, as the game will, and fails if any of them does not come back as drawn.

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
    // Bright enough to glow on the navy panel; the blue is lifted most, as navy swallows it.
    const Named lights[] = {{"lucir.gif", QColor(235, 35, 35)},
                            {"luciv.gif", QColor(40, 205, 60)},
                            {"lucig.gif", QColor(175, 175, 185)},
                            {"lucib.gif", QColor(50, 120, 255)}};
    for (const Named &l : lights) {
        gif::Animation still;
        still.frames = {art::flattenEdges(art::light(l.colour), art::navy)};
        ok = writeGif(folder, QString::fromLatin1(l.name), still) && ok;
    }
    ok = writePng(folder, QStringLiteral("emblem.png"), art::emblem()) && ok;

    const Named movies[] = {{"rosso.gif", QColor(228, 52, 46)},
                            {"verde.gif", QColor(58, 182, 70)},
                            {"blu.gif", QColor(46, 108, 228)},
                            {"grigio.gif", QColor(150, 156, 168)}};
    for (const Named &m : movies) {
        // 30 frames at 20 a second, 95 colours: smooth, and each movie under 300 KB.
        gif::Animation movie;
        movie.frames = art::gearMovie(m.colour, QSize(321, 241), 30);
        movie.delayCentiseconds = 5;
        movie.maxColours = 95;
        ok = writeGif(folder, QString::fromLatin1(m.name), movie) && ok;
    }
    return ok ? 0 : 1;
}
