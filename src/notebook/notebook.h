#pragma once

#include "notebook/modellanguage.h"
#include "play/interfaces.h"

#include <QString>

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
    bool prediction = false; // run after the model last changed (and while it was valid)
};

// The scientist's notebook: the experiments of the current log, the player's model, and what the
// model says of them. It never says a model is right: only how many experiments it explains and
// how many new ones it predicted in a row. Pure state, no widgets; the window shows it.
class Notebook {
public:
    explicit Notebook(QString decimalSeparator);

    // The log, as the game reports it.
    void addExperiment(const LoggedExperiment &experiment);
    void clear(); // a new mechanism empties the log
    // A whole log at once (an opened lesson), after the rows there are: the totals are counted once.
    void addExperiments(const std::vector<LoggedExperiment> &experiments);
    // Returns true when the settings really changed (and rows may count differently).
    bool setCurrentSettings(const MachineSettings &settings);

    // Returns true when the model's text really changed (which restarts the predictions).
    bool setModelText(const QString &text);
    const Model &model() const;
    // The model of an opened lesson, the rows from `firstPrediction` on run after it last changed.
    void restoreModel(const QString &text, int firstPrediction);
    // Rows from this one on were run after the model last changed.
    int firstPrediction() const { return firstPrediction_; }
    const LoggedExperiment &experiment(int index) const { return rows_.at(std::size_t(index)).experiment; }

    int rowCount() const;
    RowView row(int index) const;

    int countedCount() const;    // rows that count
    int explainedCount() const;  // counted rows the model explains
    int predictedInARow() const; // counted predictions explained in a row, up to the newest

    // "Il tuo modello spiega 7 esperimenti su 8 e ha previsto 3 esperimenti nuovi di fila."
    QString summaryText() const;
    // "Il tuo modello prevede: 13" for the text in the input box; empty when there is nothing to say.
    QString predictionText(const QString &in1Text) const;

private:
    struct Row {
        LoggedExperiment experiment;
        QString modelCaption; // cached: recomputed only when the model changes
        Standing standing = Standing::OtherMechanism;
    };

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
};

} // namespace ingranix::notebook
