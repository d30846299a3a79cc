#pragma once

#include "notebook/modellanguage.h"
#include "notebook/numberkinds.h"
#include "play/interfaces.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace ingranix::notebook {

// How a logged experiment stands against the machine as it is set now.
enum class Standing {
    Counted,        // made with the current settings: it counts
    OtherMechanism, // "altro meccanismo": another level text, index or constants
    OtherColour,    // "altro colore": only the gear colour differs
};

// What the model says of one experiment.
enum class Mark {
    None,      // no model, or a model with a mistake
    Explained, // the model's caption equals the machine's output ("✓")
    Missed,    // it does not ("✗")
};

// One row of the notebook's table, as shown.
struct RowView {
    QString input;        // as logged
    QString output;       // as logged
    QString modelCaption; // empty when there is no valid model
    Mark mark = Mark::None;
    Standing standing = Standing::Counted;
    bool prediction = false;  // run after the model last changed (and while it was valid)
    QString myPrediction;     // the player's own prediction, as typed; empty when none was made
    Mark myMark = Mark::None; // ✓ when the machine wrote it, ✗ when not; None when not compared
};

// A row's texts, as the table shows them, the PDF prints them and a screen reader says them.
QString markText(Mark mark);                  // "✓", "✗" or empty
QString markWords(Mark mark);                 // "spiegato", "non spiegato" or empty: the symbol's meaning
QString noteText(const RowView &row);         // "previsione", "altro meccanismo", "altro colore" or empty
QString myPredictionText(const RowView &row); // "7 ✓": as typed, with its mark; empty when none was made
// "la mia previsione 7, uguale all'output": the prediction with its mark's meaning; empty when not compared.
QString myPredictionWords(const RowView &row);

// The player's own prediction as the machine would write it: "?" stays "?", a number is read with a
// comma or a point as its decimal mark and written with `decimalSeparator`. nullopt for a text that
// is neither ("", "boh"): such a text is kept in its row but not compared.
std::optional<QString> myPredictionCaption(QStringView text, QStringView decimalSeparator);

// The scientist's notebook: the experiments of the current log, the player's model, and what the
// model says of them. It never says a model is right: only how many experiments it explains and
// how many new ones it predicted in a row. Pure state, no widgets; the window shows it.
class Notebook {
public:
    explicit Notebook(QString decimalSeparator);

    // The log, as the game reports it.
    // myPrediction: what the player expected the machine to answer, as typed (empty: none).
    void addExperiment(const LoggedExperiment &experiment, const QString &myPrediction = {});
    void clear(); // a new mechanism empties the log
    // A whole log at once (an opened lesson), after the rows there are: the totals are counted once.
    // myPredictions: the player's own, one per experiment in the same order (missing ones: none).
    void addExperiments(const std::vector<LoggedExperiment> &experiments,
                        const QStringList &myPredictions = {});
    // Returns true when the settings really changed (and rows may count differently).
    bool setCurrentSettings(const MachineSettings &settings);

    // Returns true when the model's text really changed (which restarts the predictions).
    bool setModelText(const QString &text);
    const Model &model() const { return model_; }
    // The model of an opened lesson, the rows from `firstPrediction` on run after it last changed.
    void restoreModel(const QString &text, int firstPrediction);
    // Rows from this one on were run after the model last changed.
    int firstPrediction() const { return firstPrediction_; }
    const LoggedExperiment &experiment(int index) const { return rows_.at(std::size_t(index)).experiment; }

    int rowCount() const;
    RowView row(int index) const;

    // Inline: the coach reads these after every experiment.
    int countedCount() const { return counted_; }     // rows that count
    int explainedCount() const { return explained_; } // counted rows the model explains
    // Counted predictions explained in a row, up to the newest.
    int predictedInARow() const { return predictedInARow_; }
    // When the newest experiment is a counted prediction the model missed: how many it had explained in
    // a row before it; otherwise 0.
    int streakBrokenByNewest() const { return streakBroken_; }

    // The player's own predictions among the counted rows: those compared, those the machine wrote,
    // and how many of those came in a row, up to the newest (rows without one leave the run alone).
    int myPredictedCount() const { return myPredicted_; }
    int myMatchedCount() const { return myMatched_; }
    int myMatchedInARow() const { return myMatchedInARow_; }

    // The kinds of number among the counted experiments' inputs.
    NumberKinds kindsTried() const { return kindsTried_; }
    // Changes whenever the log is emptied or the settings change: the coach remembers per mechanism.
    int mechanismGeneration() const { return generation_; }

    // "Il tuo modello spiega 7 esperimenti su 8 e ha previsto 3 esperimenti nuovi di fila.", followed
    // by myPredictionsText() when there is one.
    QString summaryText() const;
    // "Hai previsto 4 risultati su 5."; empty while no counted row has a compared prediction.
    QString myPredictionsText() const;
    // "Il tuo modello prevede: 13" for the text in the input box; empty when there is nothing to say.
    QString predictionText(const QString &in1Text) const;

private:
    struct Row {
        LoggedExperiment experiment;
        QString modelCaption; // cached: recomputed only when the model changes
        Standing standing = Standing::OtherMechanism;
        QString myPrediction;
        Mark myMark = Mark::None; // fixed when logged: the output never changes
        NumberKinds kinds = 0;
    };

    Row makeRow(const LoggedExperiment &experiment, const QString &myPrediction) const;
    QString modelSummaryText() const;
    Standing standingOf(const MachineSettings &settings) const;
    Mark markOf(const Row &row) const;
    bool isPrediction(int index) const;
    void recount();

    QString decimalSeparator_;
    MachineSettings current_;
    Model model_;
    std::vector<Row> rows_;
    int firstPrediction_ = 0; // rows from here on were run after the model last changed
    int counted_ = 0;
    int explained_ = 0;
    int predictedInARow_ = 0;
    int streakBroken_ = 0;
    int myPredicted_ = 0;
    int myMatched_ = 0;
    int myMatchedInARow_ = 0;
    NumberKinds kindsTried_ = 0;
    int generation_ = 0;
};

} // namespace ingranix::notebook
