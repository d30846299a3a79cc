#pragma once

#include "mechanisms/constants.h"

#include <QString>
#include <QStringView>

namespace ingranix {

// What a mechanism file keeps, and what opening one puts back.
struct MechanismState {
    QString levelText;          // Combo1's text as shown
    QString colourSelectorText; // Combo2's text as shown (only opening writes it)
    QString gearColour;
    qint16 mechanismIndex = 1;
    ConstantsTable constants;
    bool operator==(const MechanismState &) const = default;
};

namespace mechanismfile {

inline constexpr const char *dialogFilter = "Documenti(*.txt)";

// The record: level*colour*index*C(1,1)*...*C(4,4)* (no quotes).
QString buildRecord(const MechanismState &state);
// The path a save writes to: ".txt" appended unless the name already ends in ".txt" (any case).
QString savePath(const QString &chosenName);
// Appends "\"record\"\r\n" to the file. Never damages lines already there. False, with a short
// reason in *error, when the file cannot be created or fully written.
bool appendRecord(const QString &path, const MechanismState &state, QString *error = nullptr);
// R: the text between the quotes of the file's first line (the whole first line when unquoted),
// reading at most a few kilobytes; "" when nothing can be read.
QString readRecordText(const QString &path);
// Puts level, colour, index and constants of R into `state` by their fixed positions; every step
// that cannot be done is skipped and leaves its target unchanged.
void applyRecord(QStringView record, MechanismState &state);

} // namespace mechanismfile
} // namespace ingranix
