// The baseline for start-up figures: an empty Qt main window, shown maximized, that ends after its
// first paint, watched by the same preloaded watcher as the game.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QWidget(&window));
    window.showMaximized();
    return app.exec();
}
