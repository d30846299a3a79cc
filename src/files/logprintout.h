#pragma once

#include <QString>
#include <QStringList>

class QPrinter;

namespace ingranix::logprintout {

// The printed lines: title "IX40" TAB level TAB colour, two empty lines, the header, an empty line,
// then every experiment followed by an empty line.
QStringList lines(const QString &levelText, const QString &colourText, const QStringList &log);

// Renders the lines as one document on `printer` (tabs at regular stops), starting on a new page.
// False, with a short reason in *error, when the printer cannot be used.
bool render(QPrinter &printer, const QStringList &lines, QString *error = nullptr);

// One whole job on the system's default printer; false when none exists or printing fails.
bool printOnDefaultPrinter(const QStringList &lines, const QString &jobName, QString *error = nullptr);

} // namespace ingranix::logprintout
