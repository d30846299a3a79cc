#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include <algorithm>

// Process start to first painted window: the game against an empty Qt main window, in the same run.
// Both programs end right after their first paint. INGRANIX_STARTUP_BEFORE may name an earlier build
// of the game (beside the same resources), measured too, to show a change did not slow the start.
class StartupBench : public QObject {
    Q_OBJECT
private slots:
    void startToFirstPaint_data();
    void startToFirstPaint();
    void ratio();

private:
    static double medianMs(const QString &program, int runs);
    static QString before() { return qEnvironmentVariable("INGRANIX_STARTUP_BEFORE"); }
};

double StartupBench::medianMs(const QString &program, int runs) {
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("INGRANIX_QUIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
        process.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        process.start(program, {});
        if (!process.waitForFinished(30000))
            return -1;
        times.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

void StartupBench::startToFirstPaint_data() {
    QTest::addColumn<QString>("program");
    QTest::newRow("empty Qt window") << "empty_window";
    QTest::newRow("ingranix") << "ingranix";
    if (!before().isEmpty())
        QTest::newRow("ingranix before") << before();
}

void StartupBench::startToFirstPaint() {
    QFETCH(QString, program);
    const QString path = program.contains(u'/')
                             ? program
                             : QCoreApplication::applicationDirPath() + QLatin1Char('/') + program;
    const double ms = medianMs(path, 9);
    QVERIFY(ms > 0);
    QTest::setBenchmarkResult(ms, QTest::WalltimeMilliseconds);
}

void StartupBench::ratio() {
    const QString dir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    // Interleave the two so that machine noise falls on both alike.
    QList<double> ratios;
    for (int i = 0; i < 5; ++i) {
        const double empty = medianMs(dir + QStringLiteral("empty_window"), 3);
        const double game = medianMs(dir + QStringLiteral("ingranix"), 3);
        QVERIFY(empty > 0 && game > 0);
        ratios.append(game / empty);
    }
    std::sort(ratios.begin(), ratios.end());
    qInfo("start-up, game / empty window: %.2f (median of 5)", ratios.at(2));
    if (before().isEmpty())
        return;
    QList<double> changes;
    for (int i = 0; i < 5; ++i) {
        const double earlier = medianMs(before(), 3);
        const double game = medianMs(dir + QStringLiteral("ingranix"), 3);
        QVERIFY(earlier > 0 && game > 0);
        changes.append(game / earlier);
    }
    std::sort(changes.begin(), changes.end());
    qInfo("start-up, game / earlier build: %.2f (median of 5)", changes.at(2));
}

QTEST_GUILESS_MAIN(StartupBench)
#include "bench_startup.moc"
