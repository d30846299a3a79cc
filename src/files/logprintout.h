#pragma once

#include "files/loglines.h"

#include <QFont>
#include <QString>
#include <QStringList>

class QFontMetricsF;
class QPainter;
class QPrinter;

namespace ingranix::logprintout {

// The font of printed and saved documents.
QFont documentFont(bool bold = false);

// Draws one line whose cells, split at tabs, start at regular stops `tabStop` apart; `y` is the
// line's top. Each cell is drawn on its own so that the text read back from the page keeps its cells
// apart.
void drawTabbedLine(QPainter &painter, qreal y, const QString &line, const QFontMetricsF &metrics,
                    qreal tabStop);

// Renders the lines as one document on `printer` (tabs at regular stops), starting on a new page.
// False, with a short reason in *error, when the printer cannot be used.
bool render(QPrinter &printer, const QStringList &lines, QString *error = nullptr);

// One whole job on the system's default printer; false when none exists or printing fails.
bool printOnDefaultPrinter(const QStringList &lines, const QString &jobName, QString *error = nullptr);

} // namespace ingranix::logprintout
