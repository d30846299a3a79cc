// Writes the desktop icons as <output folder>/ingranix-<size>.png:
//   make_icons <output folder>
#include "icon.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char *argv[]) {
    // Drawing text-free pictures needs no display; offscreen keeps the tool usable on a build server.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 2) {
        err << "usage: make_icons <output folder>\n";
        return 2;
    }
    const QDir folder(args.at(1));
    if (!QDir().mkpath(folder.path())) {
        err << "make_icons: cannot create " << folder.path() << "\n";
        return 1;
    }
    for (const int size : icon::sizes) {
        const QString file = folder.filePath(QStringLiteral("ingranix-%1.png").arg(size));
        if (!icon::draw(size).save(file, "PNG")) {
            err << "make_icons: cannot write " << file << "\n";
            return 1;
        }
    }
    return 0;
}
