#pragma once

#include <QProcess>
#include <QStringList>

// The text of a PDF as pdftotext lays it out, one entry per printed line; empty when pdftotext
// cannot read the file.
inline QStringList pdfTextLines(const QString &pdfPath) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdfPath, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitStatus() != QProcess::NormalExit ||
        pdftotext.exitCode() != 0)
        return {};
    QStringList lines;
    // A page break comes as a form feed before a page's first line; it is kept as a line of its own.
    for (QString line : QString::fromUtf8(pdftotext.readAllStandardOutput()).split(u'\n')) {
        if (line.startsWith(u'\f')) {
            lines << QStringLiteral("\f");
            line.remove(0, 1);
        }
        lines << line;
    }
    while (!lines.isEmpty() && lines.constLast().trimmed().isEmpty())
        lines.removeLast();
    return lines;
}

// The printed lines as a reader sees them: cells apart by blanks, runs of blanks not counted.
inline QStringList visibleLines(const QStringList &lines) {
    QStringList visible;
    for (const QString &line : lines) {
        QString cells = line;
        cells.replace(u'\t', u' ');
        visible << (line == u'\f' ? line : cells.simplified());
    }
    return visible;
}

// The non-empty lines of `text` must be `expected`'s non-empty lines, in order, and at least as many
// empty lines must stand between them as the printout asked for.
inline QString comparePrinted(const QStringList &text, const QStringList &expected) {
    auto runs = [](const QStringList &lines) {
        QList<std::pair<int, QString>> result; // empty lines before, then the line
        int empties = 0;
        for (const QString &line : visibleLines(lines)) {
            if (line == u'\f') {
                empties = 1000; // empty lines at a page's end or start leave no trace
            } else if (line.isEmpty()) {
                ++empties;
            } else {
                result.append({empties, line});
                empties = 0;
            }
        }
        return result;
    };
    const auto got = runs(text);
    const auto want = runs(expected);
    if (got.size() != want.size())
        return QStringLiteral("%1 printed lines, expected %2:\n%3")
            .arg(got.size())
            .arg(want.size())
            .arg(text.join(u'\n'));
    for (qsizetype i = 0; i < got.size(); ++i) {
        if (got.at(i).second != want.at(i).second)
            return QStringLiteral("line \"%1\", expected \"%2\"").arg(got.at(i).second, want.at(i).second);
        if (i > 0 && got.at(i).first < want.at(i).first)
            return QStringLiteral("%1 empty lines before \"%2\", expected %3")
                .arg(got.at(i).first)
                .arg(got.at(i).second)
                .arg(want.at(i).first);
    }
    return {};
}
