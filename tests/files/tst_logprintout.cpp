#include "files/logprintout.h"
#include "pdftext.h"

#include <QGuiApplication>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

using namespace ingranix;

namespace {

const QString header = QStringLiteral("in\tout");
const QString prompt = QString(16, u' ') + QStringLiteral("Livello");
const QString colourPrompt = QString(11, u' ') + QStringLiteral("ingranaggi");

} // namespace

class TestLogPrintout : public QObject {
    Q_OBJECT

private slots:
    void lines_data();
    void lines();
    void rendersReadableText_data();
    void rendersReadableText();
    void longLogsGoOnNewPages();
    void unusablePrinterFails();
    void noDefaultPrinterFails();

private:
    QTemporaryDir dir;
};

void TestLogPrintout::lines_data() {
    QTest::addColumn<QString>("level");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("two experiments")
        << "Livello3"
        << "rosso" << QStringList{header, "4\t7", "10\t13"}
        << QStringList{"IX40\tLivello3\trosso", "", "", header, "", "4\t7", "", "10\t13", ""};
    QTest::newRow("only the header") << "Livello1"
                                     << "blu" << QStringList{header}
                                     << QStringList{"IX40\tLivello1\tblu", "", "", header, ""};
    QTest::newRow("initial selector texts, blanks kept")
        << prompt << colourPrompt << QStringList{header}
        << QStringList{"IX40\t" + prompt + "\t" + colourPrompt, "", "", header, ""};
    QTest::newRow("question mark and negatives unchanged")
        << "Livello1"
        << "verde" << QStringList{header, "3\t?", "-2\t-7", "2,5\t-0,5"}
        << QStringList{
               "IX40\tLivello1\tverde", "", "", header, "", "3\t?", "", "-2\t-7", "", "2,5\t-0,5", ""};
    QTest::newRow("no log at all") << "Livello2"
                                   << "grigio" << QStringList{}
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
    QTest::newRow("experiments") << logprintout::lines("Livello3", "rosso",
                                                       {header, "4\t7", "-3\t?", "12,75\t-1234,5"});
    QTest::newRow("initial texts") << logprintout::lines(prompt, colourPrompt, {header});
    QTest::newRow("empty cells and a long input")
        << logprintout::lines("Livello2", "blu", {header, "\t", "123456789012345678901234567890\t0"});
}

void TestLogPrintout::rendersReadableText() {
    QFETCH(QStringList, printed);
    QVERIFY(dir.isValid());
    const QString pdf = dir.filePath(QStringLiteral("%1.pdf").arg(QTest::currentDataTag()));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QString error;
    QVERIFY2(logprintout::render(printer, printed, &error), qPrintable(error));

    const QStringList text = pdfTextLines(pdf);
    QVERIFY2(!text.isEmpty(), "pdftotext (poppler-utils) could not read the document");
    const QString difference = comparePrinted(text, printed);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestLogPrintout::longLogsGoOnNewPages() {
    QStringList log{header};
    for (int i = 1; i <= 150; ++i)
        log << QStringLiteral("%1\t%2").arg(i).arg(-i);
    const QStringList printed = logprintout::lines("Livello2", "verde", log);
    const QString pdf = dir.filePath(QStringLiteral("long.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QVERIFY(logprintout::render(printer, printed));

    QProcess pdfinfo;
    pdfinfo.start(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY(pdfinfo.waitForFinished(30000));
    const QString info = QString::fromUtf8(pdfinfo.readAllStandardOutput());
    const QRegularExpressionMatch pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    QVERIFY2(pages.hasMatch(), qPrintable(info));
    // 303 lines at 11 pt do not fit on one page, and no line may be lost at a page end.
    QVERIFY(pages.captured(1).toInt() >= 4);
    const QString difference = comparePrinted(pdfTextLines(pdf), printed);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestLogPrintout::unusablePrinterFails() {
    QFile plain(dir.filePath(QStringLiteral("plain-file")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    // A folder that is a regular file cannot be written, even by root.
    printer.setOutputFileName(dir.filePath(QStringLiteral("plain-file/out.pdf")));
    QString error;
    QVERIFY(!logprintout::render(printer, logprintout::lines("Livello1", "rosso", {header}), &error));
    QVERIFY(!error.isEmpty());
}

void TestLogPrintout::noDefaultPrinterFails() {
    // main() pointed the printing system at a server that does not exist.
    QString error;
    QVERIFY(!logprintout::printOnDefaultPrinter(logprintout::lines("Livello1", "rosso", {header}),
                                                QStringLiteral("Ingranix"), &error));
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
