// Process start to first painted window, and resident memory then: the game against two Qt
// baselines started the same way in the same run, an empty main window and a main window with a
// menu bar, a label, a line edit and a button. Each program reports the moment of its first paint
// on the system's monotonic clock and ends. Runs are interleaved so that the machine's noise falls
// on all of them alike; the "busy" rows keep one core spinning meanwhile. Run under xvfb-run -a.

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <thread>

namespace {

qint64 monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

struct Start {
    double ms = -1;
    double residentMb = -1;
};

Start startOnce(const QString &program) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LD_PRELOAD"),
               QCoreApplication::applicationDirPath() + QStringLiteral("/ingranix-firstpaint.so"));
    process.setProcessEnvironment(env);
    const qint64 launched = monotonicNs();
    process.start(QCoreApplication::applicationDirPath() + u'/' + program, {});
    if (!process.waitForFinished(30000))
        return {};
    const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 3 || fields.at(0) != "first-paint")
        return {};
    return {double(fields.at(1).toLongLong() - launched) / 1e6, fields.at(2).toDouble() / 1024};
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values.at(values.size() / 2);
}

} // namespace

class StartupBench : public QObject {
    Q_OBJECT
private slots:
    void startToFirstPaint_data();
    void startToFirstPaint();
};

void StartupBench::startToFirstPaint_data() {
    QTest::addColumn<bool>("busy");
    QTest::newRow("quiet machine") << false;
    QTest::newRow("other core busy") << true;
}

void StartupBench::startToFirstPaint() {
    QFETCH(bool, busy);
    std::atomic<bool> stop = false;
    std::thread spinner;
    if (busy)
        spinner = std::thread([&stop] {
            while (!stop.load(std::memory_order_relaxed)) {
            }
        });
    // INGRANIX_BENCH_ALSO: more programs beside these, in the same folder (another build of the game,
    // say), started in the same rounds.
    const QStringList programs = QStringList{QStringLiteral("empty_window"), QStringLiteral("text_window"),
                                             QStringLiteral("ingranix")} +
                                 qEnvironmentVariable("INGRANIX_BENCH_ALSO").split(u',', Qt::SkipEmptyParts);
    const int rounds = qEnvironmentVariableIntValue("INGRANIX_BENCH_ROUNDS") > 0
                           ? qEnvironmentVariableIntValue("INGRANIX_BENCH_ROUNDS")
                           : 21;
    QList<QList<double>> ms(programs.size());
    QList<QList<double>> mb(programs.size());
    QList<double> toEmpty, toText;
    for (int round = 0; round < rounds; ++round) {
        QList<double> took;
        for (qsizetype i = 0; i < programs.size(); ++i) {
            const Start start = startOnce(programs.at(i));
            QVERIFY2(start.ms > 0, qPrintable(programs.at(i)));
            ms[i] << start.ms;
            mb[i] << start.residentMb;
            took << start.ms;
        }
        toEmpty << took.at(2) / took.at(0);
        toText << took.at(2) / took.at(1);
    }
    stop = true;
    if (spinner.joinable())
        spinner.join();
    for (qsizetype i = 0; i < programs.size(); ++i)
        qInfo("%-12s %6.1f ms (median of %d), %5.1f MB resident", qPrintable(programs.at(i)),
              median(ms.at(i)), rounds, median(mb.at(i)));
    qInfo("ingranix / text window %.2f, / empty window %.2f (medians of the rounds' ratios); memory "
          "%+.1f MB beside the text window",
          median(toText), median(toEmpty), median(mb.at(2)) - median(mb.at(1)));
    for (qsizetype i = 3; i < programs.size(); ++i) {
        QList<double> ratios;
        for (int round = 0; round < rounds; ++round)
            ratios << ms.at(2).at(round) / ms.at(i).at(round);
        qInfo("ingranix / %s %.2f (median of the rounds' ratios)", qPrintable(programs.at(i)),
              median(ratios));
    }
    QTest::setBenchmarkResult(median(ms.at(2)), QTest::WalltimeMilliseconds);
}

QTEST_GUILESS_MAIN(StartupBench)
#include "bench_startup.moc"
