// The baseline for start-up figures: an empty Qt main window, shown maximized, that ends after its
// first paint, exactly as the game does under INGRANIX_QUIT_AFTER_FIRST_PAINT.
#include "ui/firstpaint.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QWidget(&window));
    ingranix::QuitAfterFirstPaint::installOn(window.centralWidget());
    window.showMaximized();
    return app.exec();
}
