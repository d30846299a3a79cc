// A seeded storm of random events on the real window, with the notebook in it: what resident memory does
// over hours of play. A memory goal, so a benchmark; run it on a display (tests/wholegame/xvfb.sh).

#include "guide/guidewindows.h"
#include "wholegame/windowtest.h"

#include <unistd.h>

static double residentMiB() {
    QFile statm(u"/proc/self/statm"_s);
    const QList<QByteArray> fields =
        statm.open(QIODevice::ReadOnly) ? statm.readAll().split(' ') : QList<QByteArray>();
    return fields.size() > 1 ? fields.at(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / (1 << 20) : -1;
}

// Hours of play in a minute: seeded random player events on the real window, after which memory must
// have stopped growing. INGRANIX_STORM_EVENTS sets their number (4000), INGRANIX_STORM_SEED the seed.
class StormTest : public WindowTest {
    Q_OBJECT
    // One random event, sent to the window as the display server would, to an open popup first: a
    // click anywhere but on the file menu (whose dialogs a storm cannot answer), a key, a text, or an
    // item of the Istruzioni and Assistente menus.
    void stormEvent(QRandomGenerator &random) {
        static const Qt::Key keys[] = {Qt::Key_Return, Qt::Key_Tab,    Qt::Key_Backspace,
                                       Qt::Key_Escape, Qt::Key_Up,     Qt::Key_Down,
                                       Qt::Key_Space,  Qt::Key_Delete, Qt::Key_F2};
        static const char *const texts[] = {"7", "-3", "2.5", "abc", "40000", "1E400", "è"};
        static const char *const items[] = {"obiettivo", "controlli", "operazioni", "Mostra", "Nascondi"};
        QWindow *window = window_->windowHandle();
        QMenuBar *bar = window_->menuBar();
        const int pick = int(random.bounded(100));
        if (pick < 40) {
            const QRect file = bar->actionGeometry(control<QMenu>("file")->menuAction());
            const QPoint point(int(random.bounded(window_->width())), int(random.bounded(window_->height())));
            if (!file.translated(bar->mapTo(window_.get(), QPoint(0, 0))).contains(point))
                QTest::mouseClick(window, Qt::LeftButton, {}, point);
        } else if (pick < 70) {
            QTest::keyClick(window, keys[random.bounded(int(std::size(keys)))]);
        } else if (pick < 90) {
            for (const QChar c : QString::fromUtf8(texts[random.bounded(int(std::size(texts)))]))
                QTest::sendKeyEvent(QTest::Click, window, Qt::Key_unknown, QString(c), Qt::NoModifier);
        } else {
            auto *action = control<QAction>(items[random.bounded(int(std::size(items)))]);
            auto *menu = qobject_cast<QMenu *>(action->parent());
            clickOnBar(bar, menu->menuAction());
            if (menu->isVisible()) // else the click closed an open menu instead, as a player's would
                clickInMenu(menu, action);
        }
    }

private slots:
    void memoryStopsGrowing() {
        const int events = std::max(qEnvironmentVariableIntValue("INGRANIX_STORM_EVENTS"), 0);
        QRandomGenerator random(qEnvironmentVariable("INGRANIX_STORM_SEED", u"12"_s).toUInt());
        // What is built once, on first use, is built now: the notebook, its PDF dialog answered
        // "cancel" as a player would, and the about panel's emblem. Any dialog that comes up anyway is
        // closed and noted.
        clickMenu(nullptr, "quaderno");
        clickMenu(nullptr, "informazioni");
        QTest::keyClick(control("Label6"), Qt::Key_Space);
        dock()->setFileChooser(std::make_unique<FixedChooser>());
        QStringList dialogs;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&dialogs] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                dialogs << QString::fromLatin1(modal->metaObject()->className());
                modal->close();
            }
        });
        closer.start(100);
        // Resident memory without the guide's frame cache, which fills as the guide happens to move, up
        // to a bound of its own.
        const auto *figure = static_cast<const FigureWindow *>(window_->guide().figureWindow());
        const auto resident = [figure] { return residentMiB() - double(figure->cachedBytes()) / (1 << 20); };
        // Measured after a first thousand events, then twice over 1,500 more. Caches and fonts may take
        // a one-time step in either stretch (later on a loaded machine); a leak grows in both. A leak of
        // 1.5 MiB per thousand events grows 2.25 MiB in each.
        const int total = events > 0 ? std::max(events, 8) : 4000;
        QList<double> samples;
        for (int done = 1; done <= total; ++done) {
            stormEvent(random);
            QTest::qWait(1);
            if (done == total / 4 || done == total * 5 / 8 || done == total)
                samples << resident();
        }
        QVERIFY2(dialogs.isEmpty(), qPrintable(dialogs.join(u' ')));
        const double first = samples[1] - samples[0], second = samples[2] - samples[1];
        qInfo("resident MiB: %.1f after %d events, %.1f after %d, %.1f after %d", samples[0], total / 4,
              samples[1], total * 5 / 8, samples[2], total);
        QVERIFY2(std::min(first, second) < 1.5, qPrintable(u"%1 %2"_s.arg(first).arg(second)));
    }
};

int main(int argc, char *argv[]) {
    return runWindowTest<StormTest>(argc, argv,
                                    [](Game &game, Board &board, QWidget *parent) -> NotebookPanel * {
                                        return new NotebookDock(game, board, parent);
                                    });
}

#include "bench_storm.moc"
