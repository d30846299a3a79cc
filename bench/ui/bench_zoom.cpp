#include "play/game.h"
#include "ui/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QTest>

#include <memory>

using namespace ingranix;

// Changing the zoom on a whiteboard's screen: from the menu's step to the frame in the display
// server, against the same window repainted whole with no change, in the same run: a zoom step
// repaints everything, so a whole frame is its floor. The goal: one 60 Hz frame (16.7 ms) at
// 3840x2160. Run it under xvfb-run -a -s "-screen 0 3840x2160x24".
class ZoomBench : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase() { window_.reset(); }
    void change_data();
    void change();

private:
    std::unique_ptr<MainWindow> window_;
};

void ZoomBench::initTestCase() {
    window_ = std::make_unique<MainWindow>(QCoreApplication::applicationDirPath());
    window_->setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QTRY_VERIFY_WITH_TIMEOUT(window_->game().started(), 10000);
    window_->findChild<QAction *>(QStringLiteral("Nascondi"))->trigger(); // a quiet machine
    qInfo("screen %dx%d", window_->width(), window_->height());
}

void ZoomBench::change_data() {
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to"); // equal: the baseline, every widget repainted with nothing changed
    QTest::addColumn<bool>("notebook");
    QTest::newRow("baseline: whole repaint at 350%") << 3.5 << 3.5 << false;
    QTest::newRow("350% <-> 400%") << 3.5 << 4.0 << false;
    QTest::newRow("baseline: whole repaint at 100%") << 1.0 << 1.0 << false;
    QTest::newRow("100% <-> 110%") << 1.0 << 1.1 << false;
    QTest::newRow("baseline: whole repaint at 200%, notebook open") << 2.0 << 2.0 << true;
    QTest::newRow("200% <-> 250%, notebook open") << 2.0 << 2.5 << true;
}

void ZoomBench::change() {
    QFETCH(double, from);
    QFETCH(double, to);
    QFETCH(bool, notebook);
    auto *toggle = window_->findChild<QAction *>(QStringLiteral("quaderno"));
    auto *dock = window_->findChild<QWidget *>(QStringLiteral("quadernoDock"));
    if (notebook != (dock && dock->isVisible()))
        toggle->trigger();
    window_->setZoom(from);
    QTest::qWait(50);
    bool there = false;
    const QList<QWidget *> widgets = window_->findChildren<QWidget *>();
    QBENCHMARK {
        there = !there;
        if (from == to) {
            for (QWidget *widget : widgets)
                widget->update();
        } else {
            window_->setZoom(there ? to : from);
        }
        // The layouts' and the style's deferred work and the paint they asked for, then a round trip
        // to the display server, which has the frame when it answers.
        QCoreApplication::sendPostedEvents();
        QGuiApplication::sync();
    }
}

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    ZoomBench bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "bench_zoom.moc"
