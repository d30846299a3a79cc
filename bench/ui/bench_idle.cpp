#include "play/game.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <malloc.h>
#include <unistd.h>

using namespace ingranix;

// The game at rest: lights blinking, movie still, guide done greeting. CPU over 10 s and resident
// memory, against two Qt windows started the same way in the same run: an empty main window, and
// one with a menu bar and a few texts.
class IdleBench : public QObject {
    Q_OBJECT
private slots:
    void tick();
    void logLineMemory();
    void idleCpuAndMemory();

private:
    struct Usage {
        double cpuPercent = -1;
        double residentMb = -1;
    };
    static Usage measure(const QString &program, int settleMs, int windowMs);
    static double cpuSeconds(qint64 pid);
    static double residentMb(qint64 pid);
};

void IdleBench::tick() {
    MainWindow window(QCoreApplication::applicationDirPath());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QBENCHMARK {
        window.game().Timer1_Timer();
    }
}

// The experiment log grows by a line per experiment, by design (a new mechanism clears it): what a
// line costs on the heap of the real window, its list line included.
void IdleBench::logLineMemory() {
    MainWindow window(QCoreApplication::applicationDirPath());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *in1 = window.findChild<QLineEdit *>(QStringLiteral("in1"));
    const auto experiments = [&](int from, int count) {
        for (int i = from; i < from + count; ++i) {
            in1->setText(QString::number(i));
            window.game().exp_Click();
        }
    };
    experiments(0, 100); // the guide's reactions to the first experiments come and go
    malloc_trim(0);
    const double before = double(mallinfo2().uordblks);
    experiments(1000, 5000);
    qInfo("one logged experiment: %.0f bytes of heap", (double(mallinfo2().uordblks) - before) / 5000);
}

double IdleBench::cpuSeconds(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Fields after the command name, which is in parentheses and may hold blanks.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return (fields.at(11).toDouble() + fields.at(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

double IdleBench::residentMb(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

IdleBench::Usage IdleBench::measure(const QString &program, int settleMs, int windowMs) {
    QProcess process;
    process.start(program, {});
    Usage usage;
    if (!process.waitForStarted())
        return usage;
    QThread::msleep(settleMs);
    const double before = cpuSeconds(process.processId());
    QThread::msleep(windowMs);
    const double after = cpuSeconds(process.processId());
    usage.cpuPercent = 100.0 * (after - before) / (windowMs / 1000.0);
    usage.residentMb = residentMb(process.processId());
    process.kill();
    process.waitForFinished();
    return usage;
}

void IdleBench::idleCpuAndMemory() {
    const QString dir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    const Usage empty = measure(dir + QStringLiteral("empty_window"), 3000, 10000);
    const Usage text = measure(dir + QStringLiteral("text_window"), 3000, 10000);
    // The guide's welcome lasts about half a minute; measure once it has finished.
    const Usage game = measure(dir + QStringLiteral("ingranix"), 40000, 10000);
    QVERIFY(empty.cpuPercent >= 0 && text.cpuPercent >= 0 && game.cpuPercent >= 0);
    qInfo("idle CPU over 10 s: game %.2f%% of one core, empty window %.2f%%, window with text %.2f%%",
          game.cpuPercent, empty.cpuPercent, text.cpuPercent);
    qInfo(
        "resident memory: game %.1f MB, empty window %.1f MB (%+.1f MB), window with text %.1f MB (%+.1f MB)",
        game.residentMb, empty.residentMb, game.residentMb - empty.residentMb, text.residentMb,
        game.residentMb - text.residentMb);
}

QTEST_MAIN(IdleBench)
#include "bench_idle.moc"
