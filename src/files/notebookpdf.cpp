#include "files/notebookpdf.h"

#include "files/logprintout.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace ingranix::notebookpdf {

namespace {

void setError(QString *error, const QString &text) {
    if (error)
        *error = text;
}

// A model of any length stays on the page; the screen keeps the whole text.
constexpr int longestModelShown = 600;

// Table columns as shares of the page's width: input, output, the player's prediction, model, mark, note.
constexpr qreal columnShare[] = {0.14, 0.14, 0.20, 0.16, 0.10, 0.26};

class PageWriter {
public:
    PageWriter(QPdfWriter &writer, QPainter &painter) : writer_(writer), painter_(painter) {
        const QRectF page = writer.pageLayout().paintRectPixels(writer.resolution());
        width_ = page.width();
        height_ = page.height();
    }

    qreal width() const { return width_; }
    qreal room() const { return height_ - y_; }
    qreal y() const { return y_; }
    void advance(qreal height) { y_ += height; }

    // False when the writer cannot start a page.
    bool ensureRoom(qreal height) {
        if (y_ == 0 || y_ + height <= height_)
            return true;
        if (!writer_.newPage())
            return false;
        y_ = 0;
        return true;
    }

    // Cells at regular stops one inch apart, as on the printed log.
    void tabbedLine(const QString &line, const QFontMetricsF &metrics) {
        logprintout::drawTabbedLine(painter_, y_, line, metrics, writer_.resolution());
        y_ += metrics.lineSpacing();
    }

    void wrappedText(const QString &text) {
        const QRectF bounds(0, y_, width_, height_ - y_);
        QRectF used;
        painter_.drawText(bounds, Qt::TextWrapAnywhere | Qt::AlignLeft | Qt::AlignTop, text, &used);
        y_ += used.height();
    }

    static qreal rowHeight(const QFontMetricsF &metrics) { return metrics.lineSpacing() * 1.2; }

    void tableRow(const QStringList &cells, const QFontMetricsF &metrics) {
        qreal x = 0;
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const qreal cellWidth = width_ * columnShare[i];
            // Every cell is drawn apart, so text read back from the page keeps its cells apart.
            const QString shown = metrics.elidedText(cells.at(i), Qt::ElideRight, cellWidth * 0.92);
            painter_.drawText(QPointF(x, y_ + metrics.ascent()), shown);
            x += cellWidth;
        }
        y_ += rowHeight(metrics);
    }

private:
    QPdfWriter &writer_;
    QPainter &painter_;
    qreal width_ = 0;
    qreal height_ = 0;
    qreal y_ = 0;
};

const QStringList tableHeader = {QStringLiteral("input"),          QStringLiteral("output"),
                                 QStringLiteral("mia previsione"), QStringLiteral("modello"),
                                 QStringLiteral("verifica"),       QStringLiteral("nota")};

} // namespace

QString pdfPath(const QString &chosen) {
    if (chosen.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        return chosen;
    return chosen + QStringLiteral(".pdf");
}

QStringList headingLines(const Content &content) {
    QString model = content.model.trimmed();
    if (model.size() > longestModelShown)
        model = model.left(longestModelShown) + QStringLiteral("…");
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    QStringList lines{content.titleLine, QString(),
                      QStringLiteral("Data: ") + italian.toString(content.date, QLocale::LongFormat),
                      QStringLiteral("Il mio modello: ") + model};
    if (!content.summary.isEmpty())
        lines << content.summary;
    if (!content.kinds.isEmpty())
        lines << content.kinds;
    return lines;
}

bool write(const QString &path, const Content &content, QString *error) {
    // The old file stays whole until the new document is complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, file.errorString());
        return false;
    }
    bool ok = true;
    {
        QPdfWriter writer(&file);
        writer.setResolution(300);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        writer.setTitle(QStringLiteral("Quaderno di Ingranix"));
        writer.setCreator(QStringLiteral("Ingranix"));

        QPainter painter;
        if (!painter.begin(&writer)) {
            setError(error, QStringLiteral("the PDF cannot be started"));
            file.cancelWriting();
            return false;
        }
        PageWriter page(writer, painter);
        const QFont plain = logprintout::documentFont();
        const QFont bold = logprintout::documentFont(true);
        const QFontMetricsF metrics(plain, &writer);
        const QFontMetricsF boldMetrics(bold, &writer);

        painter.setFont(plain);
        painter.setPen(Qt::black);
        const QStringList heading = headingLines(content);
        for (qsizetype i = 0; i < heading.size(); ++i) {
            if (i == 3) // the model may be long: it wraps within the page
                page.wrappedText(heading.at(i));
            else
                page.tabbedLine(heading.at(i), metrics);
        }
        page.advance(metrics.lineSpacing());

        auto header = [&] {
            painter.setFont(bold);
            painter.setPen(Qt::black);
            page.tableRow(tableHeader, boldMetrics);
            painter.setFont(plain);
        };
        header();
        for (const Row &row : content.rows) {
            const qreal before = page.y();
            if (!page.ensureRoom(PageWriter::rowHeight(metrics))) {
                ok = false;
                break;
            }
            if (page.y() < before) // a new page repeats the header
                header();
            painter.setPen(row.counted ? QColor(Qt::black) : QColor(140, 140, 140));
            page.tableRow({row.input, row.output, row.myPrediction, row.model, row.mark, row.note}, metrics);
        }

        if (ok && !content.plot.isNull()) {
            page.advance(metrics.lineSpacing());
            const QSizeF size =
                QSizeF(content.plot.size()).scaled(page.width(), page.width(), Qt::KeepAspectRatio);
            ok = page.ensureRoom(size.height());
            if (ok) {
                painter.drawImage(QRectF(QPointF(0, page.y()), size), content.plot);
                page.advance(size.height());
            }
        }
        if (!painter.end())
            ok = false;
    }
    if (!ok) {
        setError(error, QStringLiteral("the PDF could not be written"));
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        setError(error, file.errorString());
        return false;
    }
    return true;
}

} // namespace ingranix::notebookpdf
