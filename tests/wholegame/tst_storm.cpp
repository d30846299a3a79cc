// Hours of play in a minute: a seeded storm of random player events on the real window under Xvfb
// (clicks anywhere but on the file menu, keys, typed texts, the Istruzioni and Assistente menus, the
// notebook opened and closed with F2, its PDF dialog always cancelled),
// after which resident memory must have stopped growing. INGRANIX_STORM_EVENTS sets the number of
// events (4000 by default), INGRANIX_STORM_SEED the seed.

#include "guide/guideagent.h"
#include "guide/guidewindows.h"
#include "play/game.h"
#include "ui/mainwindow.h"
#include "ui/notebookdock.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>

#include <malloc.h>
#include <unistd.h>

#include <memory>

using namespace ingranix;

namespace {

double residentMiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / (1 << 20) : -1;
}

// The keys and texts a player hammers in; a key added here joins the storm.
const Qt::Key stormKeys[] = {Qt::Key_Return, Qt::Key_Tab,   Qt::Key_Backspace, Qt::Key_Escape, Qt::Key_Up,
                             Qt::Key_Down,   Qt::Key_Space, Qt::Key_Delete,    Qt::Key_F2};
const char *const stormTexts[] = {"7", "-3", "2.5", "abc", "40000", "1E400", "è"};
struct MenuItem {
    const char *menu;
    const char *item;
};
const MenuItem stormMenuItems[] = {{"istruzioni", "obiettivo"},
                                   {"istruzioni", "controlli"},
                                   {"istruzioni", "operazioni"},
                                   {"Assmenu", "Mostra"},
                                   {"Assmenu", "Nascondi"}};

// Random events, one per tick of a timer, so that a dialog's own event loop cannot stop the storm:
// a second timer closes any dialog that comes up, and notes it.
class Storm : public QObject {
public:
    Storm(MainWindow &window, quint32 seed) : w_(window), random_(seed) {
        connect(&events_, &QTimer::timeout, this, &Storm::step);
        connect(&dialogs_, &QTimer::timeout, this, &Storm::closeDialogs);
    }

    void run(int count) {
        left_ = count;
        QEventLoop loop;
        loop_ = &loop;
        events_.start(2);
        dialogs_.start(100);
        loop.exec();
        loop_ = nullptr;
        dialogs_.stop();
    }
    QStringList dialogsMet() const { return dialogsMet_; }

private:
    void step() {
        if (left_-- <= 0) {
            events_.stop();
            loop_->quit();
            return;
        }
        // Events go to the window as the display server would send them: to an open popup first.
        QWindow *window = w_.windowHandle();
        const int pick = int(random_.bounded(100));
        if (pick < 40)
            QTest::mouseClick(window, Qt::LeftButton, {}, randomPointOutsideFileMenu());
        else if (pick < 70)
            QTest::keyClick(window, stormKeys[random_.bounded(int(std::size(stormKeys)))]);
        else if (pick < 90)
            typeText(window, QString::fromUtf8(stormTexts[random_.bounded(int(std::size(stormTexts)))]));
        else
            chooseMenuItem(stormMenuItems[random_.bounded(int(std::size(stormMenuItems)))]);
    }

    // The file menu leads to file dialogs, which a storm cannot answer sensibly.
    QPoint randomPointOutsideFileMenu() {
        QMenuBar *bar = w_.menuBar();
        const QRect title = bar->actionGeometry(menu("file")->menuAction());
        const QRect file(bar->mapTo(&w_, title.topLeft()), title.size());
        for (;;) {
            const QPoint point(int(random_.bounded(w_.width())), int(random_.bounded(w_.height())));
            if (!file.contains(point))
                return point;
        }
    }

    static void typeText(QWindow *window, const QString &text) {
        for (const QChar c : text) {
            const Qt::Key key = c.unicode() < 128 ? QTest::asciiToKey(char(c.unicode())) : Qt::Key_unknown;
            QTest::sendKeyEvent(QTest::Click, window, key, QString(c), Qt::NoModifier);
        }
    }

    void chooseMenuItem(const MenuItem &entry) {
        QMenuBar *bar = w_.menuBar();
        QMenu *shown = menu(entry.menu);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(shown->menuAction()).center());
        if (!shown->isVisible())
            return; // the click closed an open menu instead, as a player's would
        auto *action = w_.findChild<QAction *>(QString::fromLatin1(entry.item));
        QTest::mouseClick(shown, Qt::LeftButton, {}, shown->actionGeometry(action).center());
    }

    QMenu *menu(const char *name) const { return w_.findChild<QMenu *>(QString::fromLatin1(name)); }

    void closeDialogs() {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            dialogsMet_ << QString::fromLatin1(modal->metaObject()->className());
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
            else
                modal->close();
        }
    }

    MainWindow &w_;
    QRandomGenerator random_;
    QTimer events_;
    QTimer dialogs_;
    QEventLoop *loop_ = nullptr;
    int left_ = 0;
    QStringList dialogsMet_;
};

std::unique_ptr<MainWindow> startedWindow() {
    auto window = std::make_unique<MainWindow>(QCoreApplication::applicationDirPath());
    window->showMaximized();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return nullptr;
    for (int i = 0; i < 200 && !window->game().started(); ++i)
        QTest::qWait(50);
    return window;
}

} // namespace

class StormTest : public QObject {
    Q_OBJECT
private slots:
    void memoryStopsGrowing();
    void logLineCostsLittle();
};

void StormTest::memoryStopsGrowing() {
    const int asked = qEnvironmentVariableIntValue("INGRANIX_STORM_EVENTS");
    const int events = asked > 0 ? asked : 4000;
    const quint32 seed = qEnvironmentVariableIsSet("INGRANIX_STORM_SEED")
                             ? quint32(qEnvironmentVariableIntValue("INGRANIX_STORM_SEED"))
                             : 12;
    const auto window = startedWindow();
    QVERIFY(window && window->game().started());
    const auto *figure = static_cast<const FigureWindow *>(window->guide().figureWindow());
    // The notebook is built now, so that its PDF dialog can be answered "cancel" like a player would.
    window->findChild<QAction *>(QStringLiteral("quaderno"))->trigger();
    struct Cancel : FileChooser {
        std::optional<QString> chooseSaveFile(const QString &) override { return std::nullopt; }
        std::optional<QString> chooseOpenFile(const QString &) override { return std::nullopt; }
    };
    window->findChild<NotebookDock *>()->setFileChooser(std::make_unique<Cancel>());
    qInfo("at start: resident %.1f MiB", residentMiB());

    Storm storm(*window, seed);
    QElapsedTimer clock;
    clock.start();
    const int warmUp = 1000;
    double warmResident = 0;
    qsizetype warmFrames = 0;
    for (int done = 0; done < events;) {
        const int batch = std::min(warmUp, events - done);
        storm.run(batch);
        done += batch;
        if (done == warmUp) {
            warmResident = residentMiB();
            warmFrames = figure->cachedBytes();
        }
        qInfo("after %5d events (%4.1f s): resident %.1f MiB, guide's drawn frames %.1f MiB", done,
              double(clock.elapsed()) / 1000, residentMiB(), double(figure->cachedBytes()) / (1 << 20));
    }
    QVERIFY2(storm.dialogsMet().isEmpty(), qPrintable(storm.dialogsMet().join(u' ')));
    if (events <= warmUp)
        QSKIP("too few events to compare with the warm-up");
    // The guide's frame cache fills as the guide happens to move, up to a bound of its own; the
    // rest must not grow. The margin is what a leak of 1.5 MiB per thousand events would pass
    // within the three thousand events after the warm-up, with room for a one-time step of the heap.
    const double growth =
        residentMiB() - warmResident - double(figure->cachedBytes() - warmFrames) / (1 << 20);
    QVERIFY2(
        growth < 3.0,
        qPrintable(QStringLiteral("resident memory grew %1 MiB after the warm-up").arg(growth, 0, 'f', 1)));
}

// The experiment log grows by a line per experiment, by design; a line must stay cheap.
void StormTest::logLineCostsLittle() {
    const auto window = startedWindow();
    QVERIFY(window && window->game().started());
    auto *in1 = window->findChild<QLineEdit *>(QStringLiteral("in1"));
    const auto experiments = [&](int from, int count) {
        for (int i = from; i < from + count; ++i) {
            in1->setText(QString::number(i));
            window->game().exp_Click();
        }
    };
    experiments(0, 100); // the guide's reactions to the first experiments come and go
    malloc_trim(0);
    const double before = double(mallinfo2().uordblks);
    const int lines = 5000;
    experiments(1000, lines);
    const double perLine = (double(mallinfo2().uordblks) - before) / lines;
    qInfo("heap per experiment logged: %.0f bytes", perLine);
    QVERIFY2(perLine < 2048, qPrintable(QString::number(perLine)));
}

QTEST_MAIN(StormTest)
#include "tst_storm.moc"
