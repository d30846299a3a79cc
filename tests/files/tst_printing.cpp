#include "files/logprintout.h"
#include "pdftext.h"

#include <QDir>
#include <QGuiApplication>
#include <QPrinterInfo>
#include <QSet>
#include <QtTest>

using namespace ingranix;

namespace {

const QString header = QStringLiteral("in\tout");

QString spoolFolder() {
    const QString fromEnvironment = qEnvironmentVariable("INGRANIX_PRINT_SPOOL");
    return fromEnvironment.isEmpty() ? QStringLiteral("/var/spool/ingranix-printed") : fromEnvironment;
}

// Each job file by name and time of writing: a job id used again after the printing system lost
// its history writes over an old file, and that is a new job too.
QSet<QString> jobFiles() {
    QSet<QString> jobs;
    const QFileInfoList files = QDir(spoolFolder()).entryInfoList({QStringLiteral("job-*.pdf")}, QDir::Files);
    for (const QFileInfo &file : files)
        jobs.insert(file.fileName() + u'|' + QString::number(file.lastModified().toMSecsSinceEpoch()));
    return jobs;
}

QString jobPath(const QString &job) {
    return QDir(spoolFolder()).filePath(job.section(u'|', 0, 0));
}

// The job files that appear after `before`, waiting up to 30 s for `count` of them.
QStringList newJobs(const QSet<QString> &before, int count) {
    QDeadlineTimer deadline(30000);
    QSet<QString> fresh;
    while (!deadline.hasExpired()) {
        fresh = jobFiles() - before;
        if (fresh.size() >= count)
            break;
        QThread::msleep(100);
    }
    QStringList paths;
    for (const QString &job : fresh)
        paths << jobPath(job);
    paths.sort();
    return paths;
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void printsOneJobWithTheLog();
    void twoPrintoutsAreTwoJobs();
    void stoppedPrinterIsReported();
    void cleanupTestCase();

private:
    QSet<QString> jobsAtStart;
};

void TestPrinting::initTestCase() {
    if (QPrinterInfo::defaultPrinter().isNull())
        QSKIP("no default printer: run tools/ci/setup-printer.sh as root first");
    QVERIFY2(QDir(spoolFolder()).exists(), qPrintable(spoolFolder() + " does not exist"));
    jobsAtStart = jobFiles();
}

void TestPrinting::cleanupTestCase() {
    // The documents this run printed are checked: they need not pile up in the spool folder.
    for (const QString &job : jobFiles() - jobsAtStart)
        QFile::remove(jobPath(job));
}

void TestPrinting::printsOneJobWithTheLog() {
    const QStringList printed =
        logprintout::lines("Livello1", "rosso", {header, "5\t8", "-4\t?", "0\t-12", "2,5\t-0,75"});
    const QSet<QString> before = jobFiles();
    QString error;
    QVERIFY2(logprintout::printOnDefaultPrinter(printed, QStringLiteral("Ingranix"), &error),
             qPrintable(error));

    const QStringList jobs = newJobs(before, 1);
    QCOMPARE(jobs.size(), 1);
    const QStringList text = pdfTextLines(jobs.first());
    QVERIFY2(!text.isEmpty(), qPrintable("pdftotext cannot read " + jobs.first()));
    const QString difference = comparePrinted(text, printed);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestPrinting::twoPrintoutsAreTwoJobs() {
    const QStringList first = logprintout::lines("Livello2", "verde", {header, "3\t9"});
    const QStringList second = logprintout::lines("Livello4", "blu", {header, "7\t-1", "1\t?"});
    const QSet<QString> before = jobFiles();
    QVERIFY(logprintout::printOnDefaultPrinter(first, QStringLiteral("Ingranix")));
    QVERIFY(logprintout::printOnDefaultPrinter(second, QStringLiteral("Ingranix")));

    const QStringList jobs = newJobs(before, 2);
    QCOMPARE(jobs.size(), 2);
    // Each job holds its own printout alone; which file is which does not depend on names sorting.
    QStringList texts;
    for (const QString &job : jobs)
        texts << pdfTextLines(job).join(u'\n');
    const bool inOrder = comparePrinted(texts.at(0).split(u'\n'), first).isEmpty() &&
                         comparePrinted(texts.at(1).split(u'\n'), second).isEmpty();
    const bool swapped = comparePrinted(texts.at(1).split(u'\n'), first).isEmpty() &&
                         comparePrinted(texts.at(0).split(u'\n'), second).isEmpty();
    QVERIFY2(inOrder || swapped, qPrintable(texts.join("\n----\n")));
}

void TestPrinting::stoppedPrinterIsReported() {
    const QString stopped = QStringLiteral("IngranixStopped");
    if (!QPrinterInfo::availablePrinterNames().contains(stopped))
        QSKIP("no stopped test queue: run tools/ci/setup-printer.sh as root first");
    // The printing system takes PRINTER as the user's default.
    const QByteArray previous = qgetenv("PRINTER");
    const bool hadPrevious = qEnvironmentVariableIsSet("PRINTER");
    qputenv("PRINTER", stopped.toUtf8());
    const QString defaultName = QPrinterInfo::defaultPrinter().printerName();
    const QSet<QString> before = jobFiles();
    QString error;
    const bool printed = logprintout::printOnDefaultPrinter(logprintout::lines("Livello1", "rosso", {header}),
                                                            QStringLiteral("Ingranix"), &error);
    if (hadPrevious)
        qputenv("PRINTER", previous);
    else
        qunsetenv("PRINTER");

    QCOMPARE(defaultName, stopped);
    QVERIFY(!printed);
    QVERIFY(!error.isEmpty());
    QVERIFY(jobFiles() == before);
}

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    TestPrinting test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_printing.moc"
