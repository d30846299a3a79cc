#include "files/loglines.h"

namespace ingranix::logprintout {

QString titleLine(const QString &levelText, const QString &colourText) {
    return QStringLiteral("IX40\t") + levelText + u'\t' + colourText;
}

QStringList lines(const QString &levelText, const QString &colourText, const QStringList &log) {
    QStringList printed;
    printed.reserve(3 + 2 * log.size());
    printed << titleLine(levelText, colourText) << QString() << QString();
    // The header and every experiment alike are followed by one empty line.
    for (const QString &line : log)
        printed << line << QString();
    return printed;
}

} // namespace ingranix::logprintout
