#pragma once

#include <QString>
#include <QStringList>

// The experiment log as it is printed, as text only: the game builds these lines without any printer,
// and the printing part renders them.
namespace ingranix::logprintout {

// The title line: "IX40" TAB level TAB colour.
QString titleLine(const QString &levelText, const QString &colourText);

// The printed lines: title "IX40" TAB level TAB colour, two empty lines, the header, an empty line,
// then every experiment followed by an empty line.
QStringList lines(const QString &levelText, const QString &colourText, const QStringList &log);

} // namespace ingranix::logprintout
