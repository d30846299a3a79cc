#include "game.h"

#include "files/lessonfile.h"
#include "files/loglines.h"
#include "files/mechanismrecord.h"
#include "guide/guidecharacter.h"
#include "guide/scripts.h"
#include "mechanisms/mechanisms.h"
#include "mechanisms/numbers.h"
#include "mechanisms/settingnames.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace ingranix {

const QString Game::logHeader = QStringLiteral("in\tout");

namespace {

// The counters only grow; they stop at the top of their range instead of wrapping to negative
// values, which would replay the guide's first reactions.
void countUp(qint16 &counter) {
    if (counter < 32767)
        ++counter;
}

const QString movieExtension = QStringLiteral(".gif");

} // namespace

Game::Game(const GameServices &services) : s_(services), decimalSeparator_(systemDecimalSeparator()) {}

QString Game::resourcePath(const QString &fileName) const {
    return s_.resourceFolder + QDir::separator() + fileName;
}

void Game::Form_Activate() {
    if (started_)
        return;
    started_ = true;

    appendLog(logHeader);
    s_.board.setIn1Text(QString());
    mechanismIndex_ = 1;

    int colourDraw = s_.clock.seconds() % 10;
    if (colourDraw == 0)
        colourDraw = 1;
    using enum GearColour;
    static constexpr GearColour byDraw[] = {Rosso, Blu, Verde, Grigio, Blu, Verde, Grigio, Rosso, Verde};
    if (colourDraw >= 1 && colourDraw <= 9)
        gearColour_ = nameOf(byDraw[colourDraw - 1]).toString();

    s_.movie.setBackgroundColor(255);
    showGearMovie(gearColour_);
    fillConstants(false);

    guidescript::LoadGuide(s_.guide, s_.resourceFolder);
    guidescript::GreetPlayer(s_.guide, s_.screenPixels ? s_.screenPixels() : QSize(1024, 768));
}

void Game::showGearMovie(const QString &colour) {
    // Only a colour name becomes a file name: a text typed into the selector never reaches the disk.
    s_.movie.setMovie(gearColourIndex(colour) >= 0 ? resourcePath(colour + movieExtension) : QString());
    s_.movie.gotoFrame(1);
}

void Game::fillConstants(bool newMechanism) {
    for (int r = 1; r <= 4; ++r) {
        for (int c = 1; c <= 4; ++c) {
            const int seconds = s_.clock.seconds();
            const int t = newMechanism ? seconds : seconds % 10;
            const int d = int(std::floor(5.0 * s_.random.next())) + 1;
            int v = d * (t + 1);
            v = v / (newMechanism ? 10 : 5) + 1;
            if (v >= 10)
                v = 5;
            constants_.set(r, c, qint16(v));
        }
    }
    if (newMechanism) {
        // Every constant drawn lies between 1 and 9 here: 5 to 9 fold to 2, 3, 4, 2, 3.
        static const qint16 folded[9] = {1, 2, 3, 4, 2, 3, 4, 2, 3};
        constants_.set(2, 4, folded[constants_.at(2, 4) - 1]);
    }
}

void Game::appendLog(const QString &line) {
    log_.append(line);
    s_.board.appendLogLine(line);
}

void Game::exp_Click() {
    runExperiment();
}

void Game::in1_KeyPress(int keyCode) {
    // Enter runs the same experiment as the button, logged alike: the guide invites the player to
    // use it, and the printed log must not lose those experiments.
    if (keyCode == 13)
        runExperiment();
}

void Game::runExperiment() {
    const QString input = s_.board.in1Text();
    if (input.isEmpty()) {
        guidescript::WarnEmptyInput(s_.guide);
        return;
    }

    s_.board.setLabel7(input);
    s_.board.setLabel7ColourFromIn1();
    // The label travels to the movie in steps; the bound keeps a strange movie position from
    // holding the handler.
    for (int step = 0; step < 10000 && s_.board.label7Left() < s_.movie.left(); ++step)
        s_.board.setLabel7Left(s_.board.label7Left() + label7Step);
    s_.board.setLabel7Left(label7Rest);

    // The machine reads "3,5" as 3 but writes its own results with the desktop's mark, perhaps a
    // comma: the player is told once, calmly, how to write a decimal. The reading stays as it is.
    if (!decimalPointTold_ && input.contains(u',')) {
        decimalPointTold_ = true;
        guidescript::tellDecimalPoint(s_.guide, input);
    }
    countUp(experimentCount_);
    guidescript::reactToExperiment(s_.guide, experimentCount_);
    s_.movie.play();

    const MechanismInput in{input, gearColour_, constants_, decimalSeparator_};
    s_.board.setOut1Caption(runMechanism(s_.board.levelText(), mechanismIndex_, in));

    const QString output = s_.board.out1Caption();
    appendLog(input + QLatin1Char('\t') + output);
    experiments_.push_back({input, output, settings()});
    s_.board.setIn1Text(QString());
    s_.board.focusIn1();
    if (observer_)
        observer_->experimentLogged(experiments_.back());
}

MachineSettings Game::settings() const {
    return {s_.board.levelText(), gearColour_, mechanismIndex_, constants_};
}

void Game::tellSettingsChanged() {
    if (observer_)
        observer_->settingsChanged();
}

void Game::Combo1_Click() {
    s_.board.setFrameCaptions(s_.board.levelText());
    countUp(levelChoiceCount_);
    if (levelChoiceCount_ == 1)
        guidescript::CoachAfterLevel(s_.guide);
    // As after a colour: the next thing typed is a number for the machine, not the level's name.
    s_.board.focusIn1();
    tellSettingsChanged();
}

void Game::Combo1_Change() {
    tellSettingsChanged();
}

void Game::Combo2_Click() {
    countUp(colourChoiceCount_);
    if (colourChoiceCount_ == 1)
        guidescript::CoachAfterColour(s_.guide);
    const QString colour = s_.board.colourText();
    showGearMovie(colour);
    gearColour_ = colour;
    BoxColour boxes;
    if (boxColourForSelection(colour, &boxes))
        s_.board.setBoxColour(boxes, true);
    s_.board.focusIn1();
    tellSettingsChanged();
}

void Game::Command1_Click() {
    log_.clear();
    experiments_.clear();
    s_.board.clearLog();
    appendLog(logHeader);
    mechanismIndex_ = qint16(s_.clock.seconds() % 10);
    if (mechanismIndex_ == 0)
        mechanismIndex_ = 1;
    fillConstants(true);
    s_.board.focusIn1();
    if (observer_)
        observer_->logCleared();
}

void Game::Timer1_Timer() {
    // Wrapping keeps the parity alternating forever.
    lightTick_ = qint16(quint16(lightTick_) + 1u);
    const QStringList files = lightPattern(lightTick_);
    for (int light = 1; light <= 6; ++light)
        s_.board.setLightPicture(light, resourcePath(files.at(light - 1)));
}

MechanismState Game::mechanismState() const {
    MechanismState state;
    state.levelText = s_.board.levelText();
    state.colourSelectorText = s_.board.colourText();
    state.gearColour = gearColour_;
    state.mechanismIndex = mechanismIndex_;
    state.constants = constants_;
    return state;
}

void Game::restore(const MechanismState &state) {
    s_.board.setLevelText(state.levelText);
    s_.board.setColourText(state.colourSelectorText);
    gearColour_ = state.gearColour;
    BoxColour boxes;
    if (boxColourForOpenedFile(gearColour_, &boxes))
        s_.board.setBoxColour(boxes, false);
    mechanismIndex_ = state.mechanismIndex;
    constants_ = state.constants;
}

void Game::salva_Click() {
    const auto chosen = s_.files.chooseSaveFile(QString::fromLatin1(mechanismfile::dialogFilter));
    if (!chosen || chosen->isEmpty())
        return;
    if (!mechanismfile::appendRecord(mechanismfile::savePath(*chosen), mechanismState()))
        guidescript::reportSaveFailed(s_.guide);
}

void Game::apri_Click() {
    const auto chosen = s_.files.chooseOpenFile(QString::fromLatin1(mechanismfile::dialogFilter));
    if (!chosen || chosen->isEmpty())
        return;

    MechanismState state = mechanismState();
    mechanismfile::applyRecord(mechanismfile::readRecordText(*chosen), state);
    restore(state);
    s_.board.focusIn1();
    tellSettingsChanged();

    // The player hears the file's own name, not the folders above it.
    guidescript::announceOpenedFile(s_.guide, QFileInfo(*chosen).fileName());
}

void Game::restoreLesson(const lessonfile::Lesson &lesson, const QString &fileName) {
    restore(lesson.mechanism);

    log_ = QStringList{logHeader};
    experiments_.clear();
    log_.reserve(qsizetype(lesson.experiments.size()) + 1);
    experiments_.reserve(lesson.experiments.size());
    for (const lessonfile::Experiment &e : lesson.experiments) {
        log_.append(e.input + QLatin1Char('\t') + e.output);
        experiments_.push_back(
            {e.input, e.output, {e.levelText, e.gearColour, e.mechanismIndex, e.constants}});
    }
    s_.board.replaceLog(log_);
    s_.board.focusIn1();
    if (observer_)
        observer_->logRestored(experiments_);
    tellSettingsChanged();
    guidescript::announceOpenedLesson(s_.guide, QFileInfo(fileName).completeBaseName());
}

void Game::stampa_Click() {
    const QStringList lines = logprintout::lines(s_.board.levelText(), s_.board.colourText(), log_);
    if (!s_.printer.print(lines))
        guidescript::reportPrintFailed(s_.guide);
}

void Game::obiettivo_Click() {
    guidescript::explainGoal(s_.guide);
}
void Game::controlli_Click() {
    guidescript::explainControls(s_.guide);
}
void Game::operazioni_Click() {
    guidescript::explainOperations(s_.guide);
}
void Game::Mostra_Click() {
    guidescript::showGuide(s_.guide);
}
void Game::Nascondi_Click() {
    guidescript::hideGuide(s_.guide);
}

bool Game::offerCoaching(guidescript::Coaching remark) {
    if (!s_.guide.isIdleOnScreen())
        return false;
    guidescript::coach(s_.guide, remark);
    return true;
}

bool boxColourForSelection(const QString &colourName, BoxColour *colour) {
    // In the order of gearColourNames: rosso, verde, blu, grigio.
    static constexpr BoxColour byGear[] = {BoxColour::Red, BoxColour::Green, BoxColour::Blue,
                                           BoxColour::ButtonFace};
    static_assert(std::size(byGear) == gearColourNames.size());
    const int gear = gearColourIndex(colourName);
    if (gear < 0)
        return false;
    *colour = byGear[gear];
    return true;
}

bool boxColourForOpenedFile(const QString &colourName, BoxColour *colour) {
    if (!boxColourForSelection(colourName, colour))
        return false;
    if (*colour == BoxColour::ButtonFace)
        *colour = BoxColour::White;
    return true;
}

QStringList lightPattern(qint16 tick) {
    if (tick % 2 == 0)
        return {"lucig.gif", "luciv.gif", "lucir.gif", "lucib.gif", "lucig.gif", "lucig.gif"};
    return {"lucir.gif", "lucib.gif", "lucib.gif", "luciv.gif", "luciv.gif", "lucib.gif"};
}

double FixedSequenceRandom::next() {
    // A 24-bit linear congruential generator: values k / 2^24, strictly below 1.
    state_ = (state_ * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFFu;
    return double(state_) / 16777216.0;
}

} // namespace ingranix
