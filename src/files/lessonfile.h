#pragma once

#include "files/mechanismrecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <vector>

namespace ingranix::lessonfile {

// A lesson as its file keeps it: plain data, so that this reader knows nothing of the game, the notebook
// or any widget. The format is described in the README ("The lesson file").

// One experiment of the log, with the machine's settings just after it ran.
struct Experiment {
    QString input;
    QString output;
    QString levelText;
    QString gearColour;
    qint16 mechanismIndex = 1;
    ConstantsTable constants;
    bool afterModel = false; // run after the model last changed
    QString ownPrediction;   // what the child expected, empty when nothing was written
    bool operator==(const Experiment &) const = default;
};

struct Lesson {
    QDateTime saved;
    MechanismState mechanism; // the machine as it stands: selectors' texts, colour, index, constants
    QString model;            // the player's model, as typed
    std::vector<Experiment> experiments;
    bool operator==(const Lesson &) const = default;
    // The first experiment run after the model last changed (the experiments' count when none was).
    int firstAfterModel() const;
};

inline constexpr int version = 1;
inline constexpr const char *dialogFilter = "Lezioni di Ingranix (*.lezione)";
// Bounds that keep a wrong or hostile file from costing more than a long lesson: a class makes a few
// hundred experiments, the log grows by about 300 bytes each.
inline constexpr int maxExperiments = 100000;
inline constexpr qint64 maxFileBytes = 64 * 1024 * 1024;

enum class Problem {
    None,
    Unreadable,   // missing, not a regular file, or the system refuses it
    NotALesson,   // it does not start as a lesson
    NewerVersion, // a lesson of a later format
    Truncated,    // it stops before its end line
    TooLarge,     // beyond the bounds above
    Damaged,      // a line that does not read
    OutOfRange,   // an index or a constant the machine never holds
    ModelMistake, // the model does not compile (told by whoever compiles it; this reader does not)
};

struct ReadResult {
    Problem problem = Problem::None;
    int line = 0; // 1-based, where a Damaged or OutOfRange problem lies
    Lesson lesson;
};

// The file's text. Texts are escaped (\\, \t, \n, \r), so every record stays one line.
QByteArray toText(const Lesson &lesson);
// Reads a lesson from its text; on any problem the lesson is left empty.
ReadResult parse(QByteArrayView text);
// Reads the file at `path`, refusing by its size before reading anything.
ReadResult read(const QString &path);
// Writes the whole lesson or nothing: through a temporary file that replaces `path` only once complete,
// so a crash or a full disk leaves any earlier file as it was. TooLarge when the lesson is beyond the
// bounds the reader accepts; Unreadable (with a short reason in *error) when the file cannot be written.
Problem save(const QString &path, const Lesson &lesson, QString *error = nullptr);

// The path a save writes to: ".lezione" appended unless the name already ends so; "" when none was chosen.
QString savePath(const QString &chosenName);
// The calm sentence the notebook shows for a problem; nothing of the game has changed when it shows.
QString problemText(Problem problem);

} // namespace ingranix::lessonfile
