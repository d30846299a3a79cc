#pragma once

#include <QPointF>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

// The lines of a PDF as pdftotext (poppler-utils) lays them out; it ends every page with a form feed.
inline QStringList pdfTextLines(const QString &pdfPath) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdfPath, QStringLiteral("-")});
    pdftotext.waitForFinished(30000);
    return QString::fromUtf8(pdftotext.readAllStandardOutput()).split(u'\n');
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
    const QStringList printed = visibleLines(text);
    const QStringList wanted = visibleLines(expected);
    if (printed == wanted)
        return {};
    return QStringLiteral("printed:\n") + printed.join(u'\n') + QStringLiteral("\nexpected:\n") +
           wanted.join(u'\n');
}

// The words of a PDF's page with the top left corner of each, in points, in the order drawn.
inline QList<std::pair<QString, QPointF>> pdfWords(const QString &pdfPath, int page = 1) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-bbox"), QStringLiteral("-f"), QString::number(page),
                     QStringLiteral("-l"), QString::number(page), pdfPath, QStringLiteral("-")});
    pdftotext.waitForFinished(30000);
    static const QRegularExpression word(
        QString::fromLatin1(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)"[^>]*>([^<]*)<)re"));
    QList<std::pair<QString, QPointF>> words;
    for (const auto &m : word.globalMatch(QString::fromUtf8(pdftotext.readAllStandardOutput())))
        words.append({m.captured(3), QPointF(m.captured(1).toDouble(), m.captured(2).toDouble())});
    return words;
}
