#include "files/logprintout.h"
#include "pdftext.h"

#include <QDir>
#include <QGuiApplication>
#include <QPrinterInfo>
#include <QSet>
#include <QtTest>

using namespace ingranix;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString header = u"in\tout"_s;

QString spoolFolder() {
    const QString fromEnvironment = qEnvironmentVariable("INGRANIX_PRINT_SPOOL");
    return fromEnvironment.isEmpty() ? u"/var/spool/ingranix-printed"_s : fromEnvironment;
}

// Each job file by name and time of writing: a job id used again after the printing system lost
// its history writes over an old file, and that is a new job too.
QSet<QString> jobFiles() {
    QSet<QString> jobs;
    for (const QFileInfo &file : QDir(spoolFolder()).entryInfoList({u"job-*.pdf"_s}, QDir::Files))
        jobs.insert(file.fileName() + u'|' + QString::number(file.lastModified().toMSecsSinceEpoch()));
    return jobs;
}

QString jobPath(const QString &job) {
    return QDir(spoolFolder()).filePath(job.section(u'|', 0, 0));
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void eachPrintoutIsOneJob_data();
    void eachPrintoutIsOneJob();
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

void TestPrinting::eachPrintoutIsOneJob_data() {
    QTest::addColumn<QList<QStringList>>("printouts");
    QTest::newRow("one printout") << QList<QStringList>{
        logprintout::lines("Livello1", "rosso", {header, "5\t8", "-4\t?", "0\t-12", "2,5\t-0,75"})};
    QTest::newRow("two printouts are two jobs")
        << QList<QStringList>{logprintout::lines("Livello2", "verde", {header, "3\t9"}),
                              logprintout::lines("Livello4", "blu", {header, "7\t-1", "1\t?"})};
}

void TestPrinting::eachPrintoutIsOneJob() {
    QFETCH(QList<QStringList>, printouts);
    const QSet<QString> before = jobFiles();
    for (const QStringList &printed : printouts) {
        QString error;
        QVERIFY2(logprintout::printOnDefaultPrinter(printed, u"Ingranix"_s, &error), qPrintable(error));
    }

    // Wait up to 30 s for the job files to appear.
    QSet<QString> fresh;
    for (QDeadlineTimer deadline(30000); !deadline.hasExpired() && fresh.size() < printouts.size();
         QThread::msleep(100))
        fresh = jobFiles() - before;
    QCOMPARE(fresh.size(), printouts.size());
    QList<QStringList> texts;
    for (const QString &job : fresh)
        texts << pdfTextLines(jobPath(job));
    // Each job holds one printout alone, whichever order the job files come in.
    for (const QStringList &printed : printouts) {
        QString differences;
        int matching = 0;
        for (const QStringList &text : texts) {
            const QString difference = comparePrinted(text, printed);
            matching += difference.isEmpty();
            differences += difference + u'\n';
        }
        QVERIFY2(matching == 1, qPrintable(differences));
    }
}

void TestPrinting::stoppedPrinterIsReported() {
    const QString stopped = u"IngranixStopped"_s;
    if (!QPrinterInfo::availablePrinterNames().contains(stopped))
        QSKIP("no stopped test queue: run tools/ci/setup-printer.sh as root first");
    // The printing system takes PRINTER as the user's default.
    const QByteArray previous = qgetenv("PRINTER");
    qputenv("PRINTER", stopped.toUtf8());
    const QString defaultName = QPrinterInfo::defaultPrinter().printerName();
    const QSet<QString> before = jobFiles();
    QString error;
    const bool printed = logprintout::printOnDefaultPrinter(logprintout::lines("Livello1", "rosso", {header}),
                                                            u"Ingranix"_s, &error);
    previous.isEmpty() ? qunsetenv("PRINTER") : qputenv("PRINTER", previous);

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
