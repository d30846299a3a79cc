#include "files/lessonfile.h"
#include "play/game.h"
#include "ui/mainwindow.h"
#include "ui/notebookdock.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace ingranix;

// The notebook with a long log: from a keystroke in the model field to the repainted table and plot,
// opening the notebook, and opening and saving a lesson. Each against the same with an empty log, in the
// same run. Run it under
// xvfb-run -a -s "-screen 0 1280x1024x24".
class NotebookWindowBench : public QObject {
    Q_OBJECT
private slots:
    void keystroke_data();
    void keystroke();
    void firstOpening_data();
    void firstOpening();
    void lesson_data();
    void lesson();

private:
    static std::unique_ptr<MainWindow> windowWith(int experiments);
};

std::unique_ptr<MainWindow> NotebookWindowBench::windowWith(int experiments) {
    auto window = std::make_unique<MainWindow>(QCoreApplication::applicationDirPath());
    window->setNotebookFactory([](Game &game, Board &board, QWidget *parent) -> NotebookPanel * {
        return new NotebookDock(game, board, parent);
    });
    window->setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return nullptr;
    for (int i = 0; i < 200 && !window->game().started(); ++i)
        QTest::qWait(50);
    window->findChild<QAction *>(QStringLiteral("Nascondi"))->trigger(); // a quiet machine
    auto *level = window->findChild<QComboBox *>(QStringLiteral("Combo1"));
    level->setCurrentIndex(2); // Livello3: numbers over a wide range
    emit level->activated(2);
    auto *in1 = window->findChild<QLineEdit *>(QStringLiteral("in1"));
    for (int i = 0; i < experiments; ++i) {
        in1->setText(QString::number(i - 300));
        window->game().exp_Click();
    }
    return window;
}

void NotebookWindowBench::keystroke_data() {
    QTest::addColumn<int>("experiments");
    QTest::newRow("empty log (baseline)") << 0;
    QTest::newRow("1000 experiments") << 1000;
}

void NotebookWindowBench::keystroke() {
    QFETCH(int, experiments);
    std::unique_ptr<MainWindow> window = windowWith(experiments);
    QVERIFY(window);
    window->findChild<QAction *>(QStringLiteral("quaderno"))->trigger();
    auto *dock = window->findChild<NotebookDock *>();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto *model = window->findChild<QLineEdit *>(QStringLiteral("modello"));
    QTest::keyClicks(model, QStringLiteral("2 * x - 3"));
    QCoreApplication::processEvents();
    bool add = true;
    // Each keystroke changes the model: "2 * x - 31", then back to "2 * x - 3".
    QBENCHMARK {
        QTest::keyClick(model, add ? Qt::Key_1 : Qt::Key_Backspace);
        add = !add;
        dock->repaint();
    }
    QCOMPARE(dock->notebook().rowCount(), experiments);
}

void NotebookWindowBench::firstOpening_data() {
    keystroke_data();
}

void NotebookWindowBench::firstOpening() {
    QFETCH(int, experiments);
    // The notebook is built once per window: each run takes a new window.
    QList<double> times;
    for (int run = 0; run < 5; ++run) {
        std::unique_ptr<MainWindow> window = windowWith(experiments);
        QVERIFY(window);
        QAction *open = window->findChild<QAction *>(QStringLiteral("quaderno"));
        QElapsedTimer timer;
        timer.start();
        open->trigger();
        QCoreApplication::sendPostedEvents();
        window->findChild<NotebookDock *>()->repaint();
        times.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    QTest::setBenchmarkResult(times.at(2), QTest::WalltimeMilliseconds);
}

namespace {

struct FixedChooser : FileChooser {
    explicit FixedChooser(QString name) : name(std::move(name)) {}
    QString name;
    std::optional<QString> chooseSaveFile(const QString &) override { return name; }
    std::optional<QString> chooseOpenFile(const QString &) override { return name; }
};

double median(QList<double> times) {
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

} // namespace

void NotebookWindowBench::lesson_data() {
    QTest::addColumn<int>("experiments");
    QTest::addColumn<bool>("saving");
    QTest::newRow("open: empty lesson (baseline)") << 0 << false;
    QTest::newRow("open: 10000 experiments") << 10000 << false;
    QTest::newRow("save: empty lesson (baseline)") << 0 << true;
    QTest::newRow("save: 10000 experiments") << 10000 << true;
}

// "Apri lezione..." to the repainted notebook (file, machine, log, table, plot), or "Salva lezione..."
// to the file on disk; median of 5.
void NotebookWindowBench::lesson() {
    QFETCH(int, experiments);
    QFETCH(bool, saving);
    QTemporaryDir dir;
    lessonfile::Lesson lesson;
    lesson.saved = QDateTime::currentDateTime();
    lesson.mechanism = {QStringLiteral("Livello3"), QStringLiteral("verde"), QStringLiteral("verde"), 7, {}};
    lesson.model = QStringLiteral("se(x <= 3; ?; 2 * x - 3)");
    for (int i = 0; i < experiments; ++i)
        lesson.experiments.push_back({QString::number(i - 300),
                                      QString::number(2 * i - 603),
                                      QStringLiteral("Livello3"),
                                      QStringLiteral("verde"),
                                      7,
                                      {},
                                      i >= experiments / 2,
                                      {}});
    const QString path = dir.filePath(QStringLiteral("lezione.lezione"));
    QCOMPARE(lessonfile::save(path, lesson), lessonfile::Problem::None);

    std::unique_ptr<MainWindow> window = windowWith(0);
    QVERIFY(window);
    window->findChild<QAction *>(QStringLiteral("quaderno"))->trigger();
    auto *dock = window->findChild<NotebookDock *>();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    dock->setFileChooser(std::make_unique<FixedChooser>(path));
    if (saving)
        dock->openLesson();
    QList<double> times;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        if (saving) {
            dock->saveLesson();
        } else {
            dock->openLesson();
            QCoreApplication::sendPostedEvents();
            dock->repaint();
        }
        times.append(timer.nsecsElapsed() / 1e6);
        if (!saving)
            dock->openLesson(); // and once more untimed, so the saves below start from the lesson
    }
    QCOMPARE(dock->notebook().rowCount(), experiments);
    QTest::setBenchmarkResult(median(times), QTest::WalltimeMilliseconds);
}

QTEST_MAIN(NotebookWindowBench)
#include "bench_notebookwindow.moc"
