#pragma once

#include <QPointF>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

// What pdftotext (poppler-utils) writes for a PDF with these options.
inline QString pdftotext(const QStringList &options, const QString &pdfPath) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), options + QStringList{pdfPath, QStringLiteral("-")});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The lines of a PDF as pdftotext lays them out; it ends every page with a form feed.
inline QStringList pdfTextLines(const QString &pdfPath) {
    return pdftotext({QStringLiteral("-layout")}, pdfPath).split(u'\n');
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

// The words of a PDF's page with the top left corner of each, in points, in the order drawn.
inline QList<std::pair<QString, QPointF>> pdfWords(const QString &pdfPath, int page = 1) {
    const QString number = QString::number(page);
    const QString boxes = pdftotext(
        {QStringLiteral("-bbox"), QStringLiteral("-f"), number, QStringLiteral("-l"), number}, pdfPath);
    static const QRegularExpression word(
        QString::fromLatin1(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)"[^>]*>([^<]*)<)re"));
    QList<std::pair<QString, QPointF>> words;
    for (const auto &m : word.globalMatch(boxes))
        words.append({m.captured(3), QPointF(m.captured(1).toDouble(), m.captured(2).toDouble())});
    return words;
}
