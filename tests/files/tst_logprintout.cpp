#include "files/logprintout.h"
#include "pdftext.h"

#include <QGuiApplication>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

using namespace ingranix;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString header = u"in\tout"_s;
const QString prompt = QString(16, u' ') + u"Livello"_s;
const QString colourPrompt = QString(11, u' ') + u"ingranaggi"_s;

} // namespace

class TestLogPrintout : public QObject {
    Q_OBJECT

private slots:
    void lines_data();
    void lines();
    void rendersReadableText_data();
    void rendersReadableText();
    void failuresAreReported();

private:
    QTemporaryDir dir;
};

void TestLogPrintout::lines_data() {
    QTest::addColumn<QString>("level");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("experiments, unchanged")
        << u"Livello3"_s << u"rosso"_s << QStringList{header, "3\t?", "-2,5\t-7"}
        << QStringList{"IX40\tLivello3\trosso", "", "", header, "", "3\t?", "", "-2,5\t-7", ""};
    QTest::newRow("initial selector texts, blanks kept")
        << prompt << colourPrompt << QStringList{header}
        << QStringList{"IX40\t" + prompt + "\t" + colourPrompt, "", "", header, ""};
    QTest::newRow("no log at all") << u"Livello2"_s << u"grigio"_s << QStringList{}
                                   << QStringList{"IX40\tLivello2\tgrigio", "", ""};
}

void TestLogPrintout::lines() {
    QFETCH(QString, level);
    QFETCH(QString, colour);
    QFETCH(QStringList, log);
    QFETCH(QStringList, expected);
    QCOMPARE(logprintout::lines(level, colour, log), expected);
}

void TestLogPrintout::rendersReadableText_data() {
    QTest::addColumn<QStringList>("printed");
    QTest::addColumn<int>("pages");
    QTest::newRow("experiments") << logprintout::lines("Livello3", "rosso",
                                                       {header, "4\t7", "-3\t?", "12,75\t-1234,5", "\t",
                                                        "123456789012345678901234567890\t0"})
                                 << 1;
    // 303 lines at 11 pt need at least four pages, and no line may be lost at a page end.
    QStringList log{header};
    for (int i = 1; i <= 150; ++i)
        log << u"%1\t%2"_s.arg(i).arg(-i);
    QTest::newRow("long log") << logprintout::lines("Livello2", "verde", log) << 4;
}

void TestLogPrintout::rendersReadableText() {
    QFETCH(QStringList, printed);
    QFETCH(int, pages);
    QVERIFY(dir.isValid());
    const QString pdf = dir.filePath(u"%1.pdf"_s.arg(QTest::currentDataTag()));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QString error;
    QVERIFY2(logprintout::render(printer, printed, &error), qPrintable(error));

    const QStringList text = pdfTextLines(pdf);
    QVERIFY2(!text.isEmpty(), "pdftotext (poppler-utils) could not read the document");
    QVERIFY(text.count(u"\f"_s) + 1 >= pages);
    const QString difference = comparePrinted(text, printed);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestLogPrintout::failuresAreReported() {
    const QStringList printed = logprintout::lines("Livello1", "rosso", {header});
    QFile plain(dir.filePath(u"plain-file"_s));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    // A folder that is a regular file cannot be written, even by root.
    printer.setOutputFileName(dir.filePath(u"plain-file/out.pdf"_s));
    QString error;
    QVERIFY(!logprintout::render(printer, printed, &error));
    QVERIFY(!error.isEmpty());

    // main() pointed the printing system at a server that does not exist: there is no printer.
    error.clear();
    QVERIFY(!logprintout::printOnDefaultPrinter(printed, u"Ingranix"_s, &error));
    QVERIFY(!error.isEmpty());
}

int main(int argc, char **argv) {
    // This test never reaches a real printer, whatever the machine has.
    qputenv("CUPS_SERVER", "/nonexistent/ingranix-test/cups.sock");
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");
    QGuiApplication app(argc, argv);
    TestLogPrintout test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_logprintout.moc"
