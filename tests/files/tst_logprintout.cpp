#include "files/logprintout.h"
#include "files/notebookpdf.h"
#include "pdftext.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace ingranix;
using namespace Qt::Literals::StringLiterals;

const QString header = u"in\tout"_s;

class TestLogPrintout : public QObject {
    Q_OBJECT

private slots:
    void render() {
        // 305 lines at 11 pt fill more than four pages, and no line may be lost at a page's end.
        QStringList log{header, "-3\t?", "12,75\t-1234,5", "\t", "123456789012345678901234567890\t0"};
        for (int i = 1; i <= 146; ++i)
            log << u"%1\t%2"_s.arg(i).arg(-i);
        const QStringList printed = logprintout::lines("Livello2", "verde", log);
        const QString pdf = dir.filePath(u"log.pdf"_s);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        QString error;
        QVERIFY2(logprintout::render(printer, printed, &error), qPrintable(error));
        const QStringList text = pdfTextLines(pdf);
        const QString difference = comparePrinted(text, printed);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        const qsizetype pages = text.join(u'\n').count(u'\f');
        QVERIFY(pages >= 5 && pages <= 10);
        // A document that cannot be written (inside a plain file: even for root) is reported.
        printer.setOutputFileName(pdf + u"/out.pdf"_s);
        error.clear();
        QVERIFY(!logprintout::render(printer, {header}, &error) && !error.isEmpty());
    }

    void printerProblemsAreReported() {
        const QStringList printed = logprintout::lines("Livello1", "rosso", {header});
        // The printing system takes PRINTER as the user's default: here a queue that does not exist.
        qputenv("PRINTER", "NoSuchQueue");
        QString error;
        QVERIFY(!logprintout::printOnDefaultPrinter(printed, u"Ingranix"_s, &error) && !error.isEmpty());
        qunsetenv("PRINTER");
    }

    // The notebook's PDF over several pages: the date, the table's titles again on every page, no row lost,
    // a model too long for the page cut with "…" (its one-page case, its name and an unwritable place are
    // played by the notebook window's test).
    void notebookPdf() {
        notebookpdf::Content content{u"IX40\tLivello2\tblu"_s,
                                     QDate(2024, 3, 5),
                                     u"x"_s + u" + 1"_s.repeated(200),
                                     u"Il tuo modello spiega 1 esperimento su 200."_s,
                                     {},
                                     QImage(40, 30, QImage::Format_RGB32),
                                     u"Numeri provati: zero. Non ancora: negativi."_s};
        for (int i = 0; i < 200; ++i)
            content.rows.append({QString::number(i), QString::number(2 * i), QString::number(2 * i + 1),
                                 u"✗"_s, i == 7 ? u"altro colore"_s : QString(), i != 7,
                                 i % 50 == 0 ? QString::number(2 * i) + u" ✓"_s : QString()});
        const QString pdf = dir.filePath(u"quaderno.pdf"_s);
        QString error;
        QVERIFY2(notebookpdf::write(pdf, content, &error), qPrintable(error));
        const QStringList text = pdfTextLines(pdf);
        const QStringList lines = visibleLines(text);
        QCOMPARE(lines.mid(0, 2), (QStringList{u"IX40 Livello2 blu"_s, u"Data: martedì 5 marzo 2024"_s}));
        QCOMPARE(notebookpdf::headingLines(content).at(3),
                 u"Il mio modello: "_s + content.model.left(600) + u"…"_s);
        QVERIFY(lines.at(2).startsWith(u"Il mio modello: x + 1"_s) && text.join(u' ').contains(u"…"_s));
        notebookpdf::Content whole = content;
        whole.model = QString(600, u'x'); // just as long as is shown: whole, without "…"
        QCOMPARE(notebookpdf::headingLines(whole).at(3), u"Il mio modello: "_s + whole.model);
        QVERIFY(lines.contains(u"7 14 15 ✗ altro colore"_s) && lines.contains(u"199 398 399 ✗"_s) &&
                lines.contains(u"150 300 300 ✓ 301 ✗"_s));
        const qsizetype pages = text.join(u'\n').count(u'\f');
        QVERIFY(pages > 1 && lines.count(u"input output mia previsione modello verifica nota"_s) == pages);
    }

private:
    QTemporaryDir dir;
};

QTEST_MAIN(TestLogPrintout)
#include "tst_logprintout.moc"
