#pragma once

#include "files/mechanismrecord.h"
#include "guide/coaching.h"
#include "interfaces.h"
#include "mechanisms/constants.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace ingranix {

namespace lessonfile {
struct Lesson;
}

// One game of Ingranix: all state and every rule of the window's handlers, without any widget.
// Handlers keep the names the window's controls give them, so a reader can match both.
class Game {
public:
    explicit Game(const GameServices &services);

    // Start-up. Runs once, on the window's first showing; later calls do nothing.
    void Form_Activate();

    void exp_Click();
    void in1_KeyPress(int keyCode); // 13 (Enter) runs an experiment
    void Combo1_Click();
    // The level selector's text changed, typed or chosen: the level the game reads is that text.
    void Combo1_Change();
    void Combo2_Click();
    void Command1_Click();
    void Timer1_Timer();

    void salva_Click();
    void apri_Click();
    void stampa_Click();

    // Opens a lesson already read and checked: the mechanism as "apri" puts it back, with the same
    // visible effects, and the lesson's experiments as the log, which the observer gets whole. The guide
    // names the lesson by `fileName`.
    void restoreLesson(const lessonfile::Lesson &lesson, const QString &fileName);

    void obiettivo_Click();
    void controlli_Click();
    void operazioni_Click();
    void Mostra_Click();
    void Nascondi_Click();

    // A remark of the notebook's coach. The guide says it only while it is on screen with nothing else
    // to do: never while put away ("Assistente" > "Nascondi"), never over one of its own scripts (the
    // reactions to the first experiments are queued before the notebook hears of an experiment). True
    // when it was said.
    bool offerCoaching(guidescript::Coaching remark);

    // State, for the window and for tests.
    qint16 mechanismIndex() const { return mechanismIndex_; }
    void setMechanismIndex(qint16 index) { mechanismIndex_ = index; }
    const QString &gearColour() const { return gearColour_; }
    void setGearColour(const QString &colour) { gearColour_ = colour; }
    const ConstantsTable &mechanismConstants() const { return constants_; }
    void setMechanismConstants(const ConstantsTable &table) { constants_ = table; }
    const QStringList &experimentLog() const { return log_; }
    // The experiments of the current log (header left out), oldest first, with their settings.
    const std::vector<LoggedExperiment> &experiments() const { return experiments_; }
    // The settings as they stand now; the level is the selector's text at this moment.
    MachineSettings settings() const;
    // What a mechanism file or a lesson keeps of the machine as it stands: settings and selectors' texts.
    MechanismState mechanismState() const;
    // Puts a kept machine back, as "apri" and an opened lesson do: the selectors' texts, the boxes'
    // colour (white for grigio), the index and the constants; the log and the movie stay as they are.
    void restore(const MechanismState &state);
    // At most one observer; nullptr removes it.
    void setObserver(GameObserver *observer) { observer_ = observer; }
    qint16 experimentCount() const { return experimentCount_; }
    qint16 levelChoiceCount() const { return levelChoiceCount_; }
    qint16 colourChoiceCount() const { return colourChoiceCount_; }
    qint16 lightTick() const { return lightTick_; }
    bool started() const { return started_; }

    // The decimal separator numbers are written with (the user's, unless a test sets another).
    void setDecimalSeparator(const QString &separator) { decimalSeparator_ = separator; }
    const QString &decimalSeparator() const { return decimalSeparator_; }

    // Where a resource file lies: the program's folder and the name, joined by the separator.
    QString resourcePath(const QString &fileName) const;

    static const QString logHeader; // "in" TAB "out"
    static constexpr float label7Rest = 3120.0f;
    static constexpr float label7Step = 150.0f;

private:
    void runExperiment();
    void appendLog(const QString &line);
    void fillConstants(bool newMechanism);
    void showGearMovie(const QString &colour);
    void tellSettingsChanged();

    GameServices s_;
    QString decimalSeparator_;

    bool started_ = false;
    qint16 mechanismIndex_ = 1;
    QString gearColour_;
    ConstantsTable constants_;
    QStringList log_;
    std::vector<LoggedExperiment> experiments_;
    GameObserver *observer_ = nullptr;
    qint16 experimentCount_ = 0;
    qint16 levelChoiceCount_ = 0;
    qint16 colourChoiceCount_ = 0;
    qint16 lightTick_ = 0;
    bool decimalPointTold_ = false; // the guide has told how the machine reads decimals
};

// The colour a gear colour name gives the boxes when chosen in the selector; false for other texts.
bool boxColourForSelection(const QString &colourName, BoxColour *colour);
// The colour an opened mechanism file gives them ("grigio" turns them white).
bool boxColourForOpenedFile(const QString &colourName, BoxColour *colour);

// The light pictures of each tick: for lights 1..6, the file each shows.
QStringList lightPattern(qint16 tick);

// Never seeded: every program start gives the same sequence.
class FixedSequenceRandom : public RandomSource {
public:
    double next() override;

private:
    quint32 state_ = 0x50000;
};

} // namespace ingranix
