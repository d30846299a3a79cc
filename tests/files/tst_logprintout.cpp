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
        // Every page, the first too, starts its text at the same height; cells stand an inch apart.
        const auto words = pdfWords(pdf);
        QCOMPARE(words.value(0).second.y(), pdfWords(pdf, 2).value(0).second.y());
        QCOMPARE(words.value(1).second.x() - words.value(0).second.x(), 72.0);
        // A document that cannot be written (inside a plain file: even for root) is reported.
        printer.setOutputFileName(pdf + u"/out.pdf"_s);
        error.clear();
        QVERIFY(!logprintout::render(printer, {header}, &error) && !error.isEmpty());
    }

    void printerProblemsAreReported() {
        const QStringList printed = logprintout::lines("Livello1", "rosso", {header});
        // The printing system takes PRINTER as the user's default: a queue that does not exist, then the
        // stopped one of the virtual printer.
        QStringList queues{u"NoSuchQueue"_s};
        if (QPrinterInfo::availablePrinterNames().contains(u"IngranixStopped"_s))
            queues << u"IngranixStopped"_s;
        for (const QString &queue : queues) {
            qputenv("PRINTER", queue.toUtf8());
            QString error;
            QVERIFY2(!logprintout::printOnDefaultPrinter(printed, u"Ingranix"_s, &error), qPrintable(queue));
            QVERIFY(!error.isEmpty());
        }
        qunsetenv("PRINTER");
    }

    // The notebook's PDF: heading lines, the table's titles again on every page, no row lost, a model
    // too long for the page cut with "…"; an unwritable place is a calm failure.
    void notebookPdf() {
        QCOMPARE(notebookpdf::pdfPath(u"quaderno"_s), u"quaderno.pdf"_s);
        QCOMPARE(notebookpdf::pdfPath(u"Q.PDF"_s), u"Q.PDF"_s);
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
        // The title starts at the page's 15 mm margins, its cells an inch apart as on the printed log.
        const auto words = pdfWords(pdf);
        const qreal margin = 15 / 25.4 * 72;
        QVERIFY(words.size() > 3 && words[0].first == u"IX40" && words[2].first == u"blu");
        QVERIFY(qAbs(words[0].second.x() - margin) < 0.5 && qAbs(words[0].second.y() - margin) < 0.5);
        QCOMPARE(pdfWords(pdf, 2).value(0).second.y(), words[0].second.y()); // every page starts as high
        for (const auto &[word, corner] : words) // and no row runs into the bottom margin of the A4 page
            QVERIFY2(corner.y() < 841.89 - margin - 10, qPrintable(word));
        QVERIFY(qAbs(words[1].second.x() - margin - 72) < 0.5 &&
                qAbs(words[2].second.x() - margin - 144) < 0.5);
        QProcess fonts; // the table's titles in bold, the rest plain
        fonts.start(u"pdffonts"_s, {pdf});
        QVERIFY(fonts.waitForFinished(30000));
        const QString used = QString::fromUtf8(fonts.readAllStandardOutput());
        QVERIFY2(used.contains(QRegularExpression(u"\\n[^\\s-]+ "_s)) &&
                     used.contains(QRegularExpression(u"\\n\\S+-Bold "_s)),
                 qPrintable(used));
        QCOMPARE(lines.value(lines.indexOf(content.summary) + 1), content.kinds);
        QVERIFY(lines.contains(u"7 14 15 ✗ altro colore"_s) && lines.contains(u"199 398 399 ✗"_s) &&
                lines.contains(u"150 300 300 ✓ 301 ✗"_s));
        const qsizetype pages = text.join(u'\n').count(u'\f');
        QVERIFY(pages > 1 && lines.count(u"input output mia previsione modello verifica nota"_s) == pages);
        QVERIFY(!notebookpdf::write(dir.filePath(u"quaderno.pdf/no.pdf"_s), content, &error) &&
                !error.isEmpty());
    }

private:
    QTemporaryDir dir;
};

QTEST_MAIN(TestLogPrintout)
#include "tst_logprintout.moc"
