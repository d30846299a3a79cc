// The second baseline for start-up figures: a Qt main window with a menu bar, a label, a line edit
// and a button, shown maximized; bench_startup preloads the same first-paint watcher into it as into
// the game. Unlike the empty window it makes Qt load fonts and draw text.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("file"))->addAction(QStringLiteral("esci"));
    auto *central = new QWidget(&window);
    auto *layout = new QVBoxLayout(central);
    layout->addWidget(new QLabel(QStringLiteral("input"), central));
    layout->addWidget(new QLineEdit(central));
    layout->addWidget(new QPushButton(QStringLiteral("esperimento"), central));
    layout->addStretch();
    window.setCentralWidget(central);
    window.showMaximized();
    return app.exec();
}
