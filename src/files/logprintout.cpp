#include "files/logprintout.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>

namespace ingranix::logprintout {

namespace {

void setError(QString *error, const QString &text) {
    if (error)
        *error = text;
}

} // namespace

QFont documentFont(bool bold) {
    QFont font(QStringLiteral("Liberation Sans"), 11);
    font.setStyleHint(QFont::SansSerif);
    font.setBold(bold);
    return font;
}

void drawTabbedLine(QPainter &painter, qreal y, const QString &line, const QFontMetricsF &metrics,
                    qreal tabStop) {
    qreal x = 0;
    const QStringList cells = line.split(u'\t');
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            x = (std::floor(x / tabStop) + 1) * tabStop;
        if (!cells.at(i).isEmpty()) {
            painter.drawText(QPointF(x, y + metrics.ascent()), cells.at(i));
            x += metrics.horizontalAdvance(cells.at(i));
        }
    }
}

bool render(QPrinter &printer, const QStringList &lines, QString *error) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        setError(error, QStringLiteral("the printer cannot be opened"));
        return false;
    }
    const QFont font = documentFont();
    painter.setFont(font);
    painter.setPen(Qt::black);

    const QFontMetricsF metrics(font, &printer);
    const qreal lineHeight = metrics.lineSpacing();
    // Regular stops one inch apart: wide enough for a level name or a number.
    const qreal tabStop = printer.resolution();
    const qreal pageHeight = printer.pageLayout().paintRectPixels(printer.resolution()).height();

    bool ok = true;
    qreal y = 0;
    for (const QString &line : lines) {
        if (y > 0 && y + lineHeight > pageHeight) {
            if (!printer.newPage()) {
                ok = false;
                break;
            }
            y = 0;
        }
        drawTabbedLine(painter, y, line, metrics, tabStop);
        y += lineHeight;
    }
    if (!painter.end() || !ok || printer.printerState() == QPrinter::Error) {
        setError(error, QStringLiteral("the printer reported an error"));
        return false;
    }
    return true;
}

bool printOnDefaultPrinter(const QStringList &lines, const QString &jobName, QString *error) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        setError(error, QStringLiteral("no default printer"));
        return false;
    }
    // A stopped queue would hold the job silently: the player is told instead.
    if (info.state() == QPrinter::Error) {
        setError(error, QStringLiteral("the printer %1 is stopped").arg(info.printerName()));
        return false;
    }
    // One printer per call: the job is handed to the printing system as soon as the painter ends.
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(jobName);
    if (!printer.isValid()) {
        setError(error, QStringLiteral("the printer %1 cannot be used").arg(info.printerName()));
        return false;
    }
    return render(printer, lines, error);
}

} // namespace ingranix::logprintout
