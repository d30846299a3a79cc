#pragma once

#include <QDate>
#include <QImage>
#include <QList>
#include <QString>

namespace ingranix::notebookpdf {

// One experiment as the notebook shows it: texts as on screen, and whether it counts (rows made
// with other settings are printed in grey).
struct Row {
    QString input;
    QString output;
    QString model;
    QString mark; // "✓", "✗" or empty
    QString note; // "previsione", "altro meccanismo", "altro colore" or empty
    bool counted = true;
    QString myPrediction; // the player's own, with its mark ("7 ✓"), or empty; printed beside the output
};

// Everything the saved notebook holds, as plain data.
struct Content {
    QString titleLine; // as the printout's: "IX40" TAB level TAB colour
    QDate date;
    QString model;   // the player's model text
    QString summary; // "Il tuo modello spiega ..."
    QList<Row> rows;
    QImage plot;
    QString kinds; // "Numeri provati: ...", the marks under the summary; empty: none printed
};

// The filter offered by the save dialog.
inline constexpr char dialogFilter[] = "Documenti PDF (*.pdf)";

// The chosen name with ".pdf" added when it has another ending or none.
QString pdfPath(const QString &chosen);

// The lines of text before the table, as written: title line, date, model, summary, kinds tried.
QStringList headingLines(const Content &content);

// Writes the notebook as an A4 PDF at `path`, replacing the file only once the whole document is
// written. False, with a short reason in *error, when the file cannot be written.
bool write(const QString &path, const Content &content, QString *error = nullptr);

} // namespace ingranix::notebookpdf
