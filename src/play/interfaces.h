#pragma once

#include "mechanisms/constants.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// What the game needs from the outside world. The window, the movie player, the clock, the random
// source, the file dialogs and the printer implement these; tests implement them with fakes.
namespace ingranix {

class GuideCharacter; // guide/guidecharacter.h

// Background colours the game gives the input and output boxes.
enum class BoxColour { Red, Green, Blue, ButtonFace, White };

// The main window's controls, as the game reads and writes them.
class Board {
public:
    virtual ~Board() = default;

    virtual QString in1Text() const = 0;
    virtual void setIn1Text(const QString &text) = 0;
    virtual void focusIn1() = 0;
    virtual QString out1Caption() const = 0;
    virtual void setOut1Caption(const QString &caption) = 0;

    // Label7, the number that travels into the machine; its left edge is in twips.
    virtual void setLabel7(const QString &caption) = 0;
    virtual void setLabel7ColourFromIn1() = 0; // text colour = in1's current background
    virtual float label7Left() const = 0;
    virtual void setLabel7Left(float twips) = 0;

    virtual QString levelText() const = 0; // Combo1
    virtual void setLevelText(const QString &text) = 0;
    virtual QString colourText() const = 0; // Combo2
    virtual void setColourText(const QString &text) = 0;
    virtual void setFrameCaptions(const QString &caption) = 0; // Frame1, then Frame2

    // in1, in2, out1 and out2 (all = true), or in1 and out1 only.
    virtual void setBoxColour(BoxColour colour, bool all) = 0;

    // The hidden list List1 mirrors the experiment log.
    virtual void appendLogLine(const QString &line) = 0;
    virtual void clearLog() = 0;
    // The whole log at once (an opened lesson); a board that can take many lines together overrides it.
    virtual void replaceLog(const QStringList &lines) {
        clearLog();
        for (const QString &line : lines)
            appendLogLine(line);
    }

    // Light 1..6 shows the picture file `path`.
    virtual void setLightPicture(int light, const QString &path) = 0;
};

// The gear movie player.
class Movie {
public:
    virtual ~Movie() = default;
    virtual void setMovie(const QString &path) = 0;
    virtual void setBackgroundColor(qint32 bgr) = 0; // 0x00BBGGRR
    virtual void gotoFrame(int frame) = 0;
    virtual void play() = 0;
    virtual float left() const = 0; // twips, in Label7's coordinates
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual int seconds() const = 0; // seconds of the current time, 0..59
};

// Uniform values in [0, 1), strictly below 1; never seeded from anything.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual double next() = 0;
};

// nullopt when the player cancels.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    virtual std::optional<QString> chooseSaveFile(const QString &filter) = 0;
    virtual std::optional<QString> chooseOpenFile(const QString &filter) = 0;
};

class LogPrinter {
public:
    virtual ~LogPrinter() = default;
    // One whole job; false when there is no printer or it reports an error.
    virtual bool print(const QStringList &lines) = 0;
};

// What selects the hidden calculation at one moment: the level selector's text, the gear colour,
// the mechanism index and the constants.
struct MachineSettings {
    QString levelText;
    QString gearColour;
    qint16 mechanismIndex = 1;
    ConstantsTable constants;

    friend bool operator==(const MachineSettings &, const MachineSettings &) = default;
};

// One experiment as the log keeps it, with the machine's settings just after it ran (a Level 1
// threshold may have moved a constant during the run).
struct LoggedExperiment {
    QString input;
    QString output;
    MachineSettings settings;
};

// Told what the game did, after its own state has changed; the notebook follows the game this way.
// Calls come on the game's thread, from inside the handlers; an observer must not call back into them.
class GameObserver {
public:
    virtual ~GameObserver() = default;
    virtual void experimentLogged(const LoggedExperiment &experiment) = 0;
    virtual void logCleared() = 0;      // a new mechanism: the log is back to its header
    virtual void settingsChanged() = 0; // a handler changed the level, colour, index or constants
    // An opened lesson replaced the whole log with these experiments; an observer that can take them at
    // once overrides this.
    virtual void logRestored(const std::vector<LoggedExperiment> &experiments) {
        logCleared();
        for (const LoggedExperiment &experiment : experiments)
            experimentLogged(experiment);
    }
};

// Everything the outside world lends the game.
struct GameServices {
    Board &board;
    Movie &movie;
    GuideCharacter &guide;
    Clock &clock;
    RandomSource &random;
    FileChooser &files;
    LogPrinter &printer;
    QString resourceFolder;              // where pictures, movies and the guide character lie
    std::function<QSize()> screenPixels; // the size of the screen the guide stands on
};

} // namespace ingranix
