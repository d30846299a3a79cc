#include "mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

// Pictures, movies and the guide lie beside the program in a build tree, and in share/ingranix
// once installed.
QString findResourceFolder() {
    const QString beside = QCoreApplication::applicationDirPath();
    const QString installed = QDir(beside).absoluteFilePath(QStringLiteral("../share/ingranix"));
    if (!QFileInfo::exists(beside + QStringLiteral("/lucir.gif")) &&
        QFileInfo::exists(installed + QStringLiteral("/lucir.gif")))
        return QDir::cleanPath(installed);
    return beside;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ingranix"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.ingranix.Ingranix"));

    ingranix::MainWindow window(findResourceFolder());
    // The view (zoom, fitting, the notebook's width) is kept where the desktop keeps a program's
    // settings; the game itself starts afresh every time.
    QSettings settings(QStringLiteral("Ingranix"), QStringLiteral("Ingranix"));
    window.applyViewSettings(ingranix::zoom::readSettings(settings));
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window,
                     [&] { ingranix::zoom::writeSettings(settings, window.viewSettings()); });
    window.showMaximized();
    return app.exec();
}
