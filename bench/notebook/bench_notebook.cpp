// The notebook re-checks every experiment whenever the model changes (on each keystroke).
// Goals: re-checking a model against 1,000 experiments under 1 ms; compiling a typical model well
// under 1 ms; the coach's decisions for 1,000 experiments under 0.1 ms. Baseline in the same run: the
// machine computing the same 1,000 outputs.

#include "mechanisms/mechanisms.h"
#include "notebook/coach.h"
#include "notebook/notebook.h"

#include <QElapsedTimer>

#include <QTest>

#include <algorithm>

using namespace ingranix;
using namespace ingranix::notebook;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString typicalModel = u"se(x <= 3; ?; x - 3)"_s;
// The same model typed differently: a real change, so the notebook re-checks everything.
const QString typicalModelRetyped = u"se(x <= 3; ?; x-3)"_s;
// What a Level 4 calculation looks like with every 16-bit step checked: a long model.
const QString longModel =
    u"se(arrotonda(x) < -32768 o arrotonda(x) > 32767; ?; se(dispari(arrotonda(x)); "
    "se((3 * arrotonda(x)) < -32768 o (3 * arrotonda(x)) > 32767; ?; 3 * arrotonda(x)); "
    "intero(3 / arrotonda(x))))"_s;

struct Log {
    MachineSettings settings;
    QStringList inputs;
    std::vector<LoggedExperiment> experiments;
};

// 1,000 experiments on Mechanism1_8 verde (x - C(1,2), "?" up to it), whole and fractional inputs.
Log makeLog() {
    Log log;
    log.settings.levelText = u"Livello1"_s;
    log.settings.gearColour = u"verde"_s;
    log.settings.mechanismIndex = 8;
    log.settings.constants.set(1, 2, 3);
    for (int i = 0; i < 1000; ++i) {
        const QString input = i % 8 == 0 ? u"%1.5"_s.arg(i % 50) : QString::number((i * 7) % 101 - 20);
        log.inputs << input;
        ConstantsTable constants = log.settings.constants;
        const QString output = runMechanism(log.settings.levelText, 8, {input, u"verde", constants, u"."});
        log.experiments.push_back({input, output, log.settings});
    }
    return log;
}

// Every third experiment with the player's own prediction, every other of those the machine's output.
QString myPrediction(const LoggedExperiment &experiment, int i) {
    return i % 3 != 0 ? QString() : i % 2 == 0 ? experiment.output : u"7"_s;
}

Notebook makeNotebook(const Log &log) {
    Notebook notebook(u"."_s);
    notebook.setCurrentSettings(log.settings);
    for (std::size_t i = 0; i < log.experiments.size(); ++i)
        notebook.addExperiment(log.experiments[i], myPrediction(log.experiments[i], int(i)));
    return notebook;
}

double microsecondsPer(QElapsedTimer &timer, int runs) {
    return double(timer.nsecsElapsed()) / 1000.0 / runs;
}

} // namespace

class BenchNotebook : public QObject {
    Q_OBJECT

private slots:
    void recheckThousandExperiments();
    void captionsOfThousandExperiments();
    void machineOnThousandExperiments();
    void compileTypicalModel();
    void compileLongModel();
    void coachDecision();
    void figures();
};

// A keystroke: the model compiled again and every row's caption, mark and the totals recomputed.
void BenchNotebook::recheckThousandExperiments() {
    const Log log = makeLog();
    Notebook notebook = makeNotebook(log);
    bool flip = false;
    QBENCHMARK {
        notebook.setModelText((flip = !flip) ? typicalModel : typicalModelRetyped);
    }
    QCOMPARE(notebook.explainedCount(), 1000);
}

void BenchNotebook::captionsOfThousandExperiments() {
    const Log log = makeLog();
    const Model model = Model::compile(typicalModel);
    qsizetype sum = 0;
    QBENCHMARK {
        for (const QString &input : log.inputs)
            sum += model.caption(input, u".").size();
    }
    QVERIFY(sum > 0);
}

// The baseline: the machine itself computing the same 1,000 outputs.
void BenchNotebook::machineOnThousandExperiments() {
    const Log log = makeLog();
    ConstantsTable constants = log.settings.constants;
    qsizetype sum = 0;
    QBENCHMARK {
        for (const QString &input : log.inputs)
            sum += runMechanism(u"Livello1", 8, {input, u"verde", constants, u"."}).size();
    }
    QVERIFY(sum > 0);
}

void BenchNotebook::compileTypicalModel() {
    bool valid = true;
    QBENCHMARK {
        valid = valid && Model::compile(typicalModel).isValid();
    }
    QVERIFY(valid);
}

void BenchNotebook::compileLongModel() {
    bool valid = true;
    QBENCHMARK {
        valid = valid && Model::compile(longModel).isValid();
    }
    QVERIFY(valid);
}

// One decision of the coach after an experiment, the log 1,000 experiments long and the model explaining
// every one: the rule that looks furthest (the kinds of number tried) is the one that answers.
void BenchNotebook::coachDecision() {
    const Log log = makeLog();
    Notebook notebook = makeNotebook(log);
    notebook.setModelText(u"se(x <= 3; ?; x - 3)"_s);
    const Coach coach;
    int remarks = 0;
    QBENCHMARK {
        remarks += coach.remark(notebook, CoachEvent::Experiment) ? 1 : 0;
    }
    QVERIFY(remarks > 0);
}

// The same figures as means over many runs, in the units of the README's table.
void BenchNotebook::figures() {
    const Log log = makeLog();
    Notebook notebook = makeNotebook(log);
    constexpr int runs = 2000;
    QElapsedTimer timer;

    timer.start();
    for (int i = 0; i < runs; ++i)
        notebook.setModelText(i % 2 ? typicalModel : typicalModelRetyped);
    const double recheck = microsecondsPer(timer, runs);

    ConstantsTable constants = log.settings.constants;
    qsizetype sum = 0;
    timer.restart();
    for (int i = 0; i < runs; ++i) {
        for (const QString &input : log.inputs)
            sum += runMechanism(u"Livello1", 8, {input, u"verde", constants, u"."}).size();
    }
    const double machine = microsecondsPer(timer, runs);

    timer.restart();
    for (int i = 0; i < runs * 10; ++i)
        sum += Model::compile(typicalModel).isValid() ? 1 : 0;
    const double compileTypical = microsecondsPer(timer, runs * 10);

    timer.restart();
    for (int i = 0; i < runs; ++i)
        sum += Model::compile(longModel).isValid() ? 1 : 0;
    const double compileLong = microsecondsPer(timer, runs);

    // The longest model the notebook reads: a keystroke's worst case.
    const QString longest = u"x+"_s.repeated(999) + u"x"_s;
    timer.restart();
    for (int i = 0; i < runs / 10; ++i)
        sum += Model::compile(longest).isValid() ? 1 : 0;
    const double compileLongest = microsecondsPer(timer, runs / 10);

    // The coach's decisions for 1,000 experiments, one after each as the log grows: each timed alone,
    // less what reading the clock twice costs; the median of many logs, as a busy machine preempts some.
    const Coach coach;
    std::vector<double> perLog;
    for (int run = 0; run < 51; ++run) {
        Notebook growing(u"."_s);
        growing.setCurrentSettings(log.settings);
        growing.setModelText(typicalModel);
        qint64 deciding = 0;
        for (std::size_t i = 0; i < log.experiments.size(); ++i) {
            growing.addExperiment(log.experiments[i], myPrediction(log.experiments[i], int(i)));
            const qint64 before = timer.nsecsElapsed();
            sum += coach.remark(growing, CoachEvent::Experiment) ? 1 : 0;
            const qint64 decided = timer.nsecsElapsed();
            deciding += 2 * decided - before - timer.nsecsElapsed(); // the clock read once more, taken off
        }
        perLog.push_back(double(deciding) / 1000.0);
    }
    std::sort(perLog.begin(), perLog.end());
    const double decisions = perLog[perLog.size() / 2];
    timer.restart();
    for (int i = 0; i < runs * 100; ++i)
        sum += coach.remark(notebook, CoachEvent::Experiment) ? 1 : 0;
    const double oneDecision = double(timer.nsecsElapsed()) / (runs * 100);

    qInfo("re-check 1,000 experiments (compile, captions, marks, totals): %.0f us (goal: under 1000 us)",
          recheck);
    qInfo("the coach's decisions for 1,000 experiments, one after each: %.1f us (goal: under 100 us); "
          "one decision on the whole log: %.0f ns",
          decisions, oneDecision);
    qInfo("the machine computing the same 1,000 outputs: %.0f us (ratio %.1f)", machine, recheck / machine);
    qInfo("compile \"%s\": %.1f us; a %d-character model: %.1f us; %d characters: %.0f us",
          qPrintable(typicalModel), compileTypical, int(longModel.size()), compileLong, int(longest.size()),
          compileLongest);
    QVERIFY(sum > 0);
}

QTEST_GUILESS_MAIN(BenchNotebook)
#include "bench_notebook.moc"
