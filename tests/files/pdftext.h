#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

// The lines of a PDF as pdftotext (poppler-utils) lays them out; it ends every page with a form feed.
inline QStringList pdfTextLines(const QString &pdfPath) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdfPath, QStringLiteral("-")});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput()).split(u'\n');
}

// Lines as a reader sees them on paper: the empty ones left out, cells apart by one blank.
inline QStringList visibleLines(const QStringList &lines) {
    QStringList seen;
    for (QString line : lines) {
        line = line.replace(u'\t', u' ').simplified();
        if (!line.isEmpty())
            seen << line;
    }
    return seen;
}

// Empty when the printed text shows the expected lines in their order; otherwise both, for the message.
inline QString comparePrinted(const QStringList &text, const QStringList &expected) {
    const QString printed = visibleLines(text).join(u'\n'), wanted = visibleLines(expected).join(u'\n');
    return printed == wanted ? QString() : "printed:\n" + printed + "\nexpected:\n" + wanted;
}
