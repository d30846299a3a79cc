#include "notebook.h"

#include "mechanisms/numbers.h"

#include <algorithm>
#include <array>

namespace ingranix::notebook {

using namespace Qt::Literals::StringLiterals;

namespace {

QString experiments(int count) {
    return count == 1 ? u"1 esperimento"_s : QString::number(count) + u" esperimenti"_s;
}

// Indexed by Mark: the symbol shown, and what a screen reader says instead of the symbol's name.
const std::array<QString, 3> markSymbols{QString(), u"✓"_s, u"✗"_s};
const std::array<QString, 3> markMeanings{QString(), u"spiegato"_s, u"non spiegato"_s};
static_assert(int(Mark::None) == 0 && int(Mark::Explained) == 1 && int(Mark::Missed) == 2);
// Indexed by Mark: what a screen reader says of the player's own prediction.
const std::array<QString, 3> myMarkMeanings{QString(), u"uguale all'output"_s, u"diversa dall'output"_s};
// Indexed by Standing: the note of a row that does not count.
const std::array<QString, 3> standingNotes{QString(), u"altro meccanismo"_s, u"altro colore"_s};
static_assert(int(Standing::Counted) == 0 && int(Standing::OtherMechanism) == 1 &&
              int(Standing::OtherColour) == 2);

} // namespace

QString markText(Mark mark) {
    return markSymbols[std::size_t(mark)];
}

QString markWords(Mark mark) {
    return markMeanings[std::size_t(mark)];
}

QString noteText(const RowView &row) {
    if (row.standing != Standing::Counted)
        return standingNotes[std::size_t(row.standing)];
    return row.prediction ? u"previsione"_s : QString();
}

QString myPredictionText(const RowView &row) {
    const QString typed = row.myPrediction.trimmed();
    if (typed.isEmpty())
        return {};
    return row.myMark == Mark::None ? typed : typed + u' ' + markText(row.myMark);
}

QString myPredictionWords(const RowView &row) {
    if (row.myMark == Mark::None)
        return {};
    return u"la mia previsione "_s + row.myPrediction.trimmed() + u", "_s +
           myMarkMeanings[std::size_t(row.myMark)];
}

std::optional<QString> myPredictionCaption(QStringView text, QStringView decimalSeparator) {
    const QStringView trimmed = text.trimmed();
    if (trimmed == u"?")
        return QStringLiteral("?");
    if (std::none_of(trimmed.begin(), trimmed.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    QString pointed = trimmed.toString();
    pointed.replace(u',', u'.');
    return numberText(readInputValue(pointed), decimalSeparator);
}

Notebook::Notebook(QString decimalSeparator) : decimalSeparator_(std::move(decimalSeparator)) {}

Notebook::Row Notebook::makeRow(const LoggedExperiment &experiment, const QString &myPrediction) const {
    Row row{experiment,
            model_.caption(experiment.input, decimalSeparator_),
            standingOf(experiment.settings),
            myPrediction,
            Mark::None,
            kindsOf(experiment.input)};
    if (const auto caption = myPredictionCaption(myPrediction, decimalSeparator_))
        row.myMark = *caption == experiment.output ? Mark::Explained : Mark::Missed;
    return row;
}

void Notebook::addExperiment(const LoggedExperiment &experiment, const QString &myPrediction) {
    rows_.push_back(makeRow(experiment, myPrediction));
    // Only the newest row is new: the totals follow without walking the whole log again.
    const Row &added = rows_.back();
    streakBroken_ = 0;
    if (added.standing != Standing::Counted)
        return;
    ++counted_;
    kindsTried_ |= added.kinds;
    const bool explained = markOf(added) == Mark::Explained;
    explained_ += explained ? 1 : 0;
    if (isPrediction(int(rows_.size()) - 1)) {
        streakBroken_ = explained ? 0 : predictedInARow_;
        predictedInARow_ = explained ? predictedInARow_ + 1 : 0;
    }
    if (added.myMark != Mark::None) {
        const bool matched = added.myMark == Mark::Explained;
        ++myPredicted_;
        myMatched_ += matched ? 1 : 0;
        myMatchedInARow_ = matched ? myMatchedInARow_ + 1 : 0;
    }
}

void Notebook::clear() {
    rows_.clear();
    firstPrediction_ = 0;
    ++generation_;
    recount();
}

void Notebook::addExperiments(const std::vector<LoggedExperiment> &experiments,
                              const QStringList &myPredictions) {
    rows_.reserve(rows_.size() + experiments.size());
    for (std::size_t i = 0; i < experiments.size(); ++i)
        rows_.push_back(makeRow(experiments[i], myPredictions.value(qsizetype(i))));
    recount();
}

bool Notebook::setCurrentSettings(const MachineSettings &settings) {
    if (settings == current_)
        return false;
    current_ = settings;
    ++generation_;
    for (Row &row : rows_)
        row.standing = standingOf(row.experiment.settings);
    recount();
    return true;
}

bool Notebook::setModelText(const QString &text) {
    const bool changed = text.trimmed() != model_.text().trimmed();
    // Compiled again even for blanks around it, so that a mistake's place follows the text.
    model_ = Model::compile(text);
    if (!changed)
        return false;
    for (Row &row : rows_)
        row.modelCaption = model_.caption(row.experiment.input, decimalSeparator_);
    firstPrediction_ = int(rows_.size());
    recount();
    return true;
}

void Notebook::restoreModel(const QString &text, int firstPrediction) {
    model_ = Model::compile(text);
    for (Row &row : rows_)
        row.modelCaption = model_.caption(row.experiment.input, decimalSeparator_);
    firstPrediction_ = std::clamp(firstPrediction, 0, int(rows_.size()));
    recount();
}

int Notebook::rowCount() const {
    return int(rows_.size());
}

RowView Notebook::row(int index) const {
    const Row &row = rows_.at(std::size_t(index));
    return {row.experiment.input, row.experiment.output, row.modelCaption, markOf(row),
            row.standing,         isPrediction(index),   row.myPrediction, row.myMark};
}

QString Notebook::summaryText() const {
    const QString mine = myPredictionsText();
    return mine.isEmpty() ? modelSummaryText() : modelSummaryText() + u' ' + mine;
}

QString Notebook::myPredictionsText() const {
    if (myPredicted_ == 0)
        return {};
    return u"Hai previsto "_s + QString::number(myMatched_) +
           (myMatched_ == 1 ? u" risultato su "_s : u" risultati su "_s) + QString::number(myPredicted_) +
           u'.';
}

QString Notebook::modelSummaryText() const {
    if (model_.isEmpty())
        return u"Scrivi un modello per vedere quanti esperimenti spiega."_s;
    if (!model_.isValid())
        return u"Sistema il modello per vedere quanti esperimenti spiega."_s;
    if (counted_ == 0)
        return u"Fai un esperimento per mettere alla prova il tuo modello."_s;
    QString text =
        u"Il tuo modello spiega "_s + experiments(explained_) + u" su "_s + QString::number(counted_);
    if (predictedInARow_ == 1)
        text += u" e ha previsto 1 esperimento nuovo di fila"_s;
    else if (predictedInARow_ > 1)
        text += u" e ha previsto "_s + QString::number(predictedInARow_) + u" esperimenti nuovi di fila"_s;
    return text + u"."_s;
}

QString Notebook::predictionText(const QString &in1Text) const {
    if (in1Text.isEmpty() || !model_.isValid())
        return {};
    return u"Il tuo modello prevede: "_s + model_.caption(in1Text, decimalSeparator_);
}

Standing Notebook::standingOf(const MachineSettings &settings) const {
    if (settings == current_)
        return Standing::Counted;
    MachineSettings sameColour = settings;
    sameColour.gearColour = current_.gearColour;
    return sameColour == current_ ? Standing::OtherColour : Standing::OtherMechanism;
}

Mark Notebook::markOf(const Row &row) const {
    if (!model_.isValid())
        return Mark::None;
    return row.modelCaption == row.experiment.output ? Mark::Explained : Mark::Missed;
}

bool Notebook::isPrediction(int index) const {
    return model_.isValid() && index >= firstPrediction_;
}

void Notebook::recount() {
    counted_ = 0;
    explained_ = 0;
    predictedInARow_ = 0;
    // Not an experiment: nothing was just contradicted.
    streakBroken_ = 0;
    myPredicted_ = 0;
    myMatched_ = 0;
    myMatchedInARow_ = 0;
    kindsTried_ = 0;
    // Walking back from the newest row, no counted row has broken either run yet.
    bool streakOpen = true, myRunOpen = true;
    for (int i = int(rows_.size()) - 1; i >= 0; --i) {
        const Row &row = rows_[std::size_t(i)];
        if (row.standing != Standing::Counted)
            continue;
        ++counted_;
        kindsTried_ |= row.kinds;
        const bool explained = markOf(row) == Mark::Explained;
        explained_ += explained ? 1 : 0;
        streakOpen = streakOpen && explained && isPrediction(i);
        predictedInARow_ += streakOpen ? 1 : 0;
        if (row.myMark == Mark::None)
            continue;
        const bool matched = row.myMark == Mark::Explained;
        ++myPredicted_;
        myMatched_ += matched ? 1 : 0;
        myRunOpen = myRunOpen && matched;
        myMatchedInARow_ += myRunOpen ? 1 : 0;
    }
}

} // namespace ingranix::notebook
