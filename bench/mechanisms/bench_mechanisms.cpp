// Cost of one experiment's calculation: reading the input text, computing, writing the caption.
// Goal: a mean under 300 ns per calculation.

#include "mechanisms/mechanisms.h"
#include "mechanisms/numbers.h"

#include <QElapsedTimer>
#include <QTest>

using namespace ingranix;

namespace {

const char16_t *const colours[] = {u"rosso", u"verde", u"blu", u"grigio"};
const char16_t *const levels[] = {u"Livello1", u"Livello2", u"Livello3", u"Livello4"};
// Whole, fractional, negative, zero, large, non-numeric and exponent inputs: every path of the reader
// and both caption writers.
const char16_t *const inputs[] = {u"7",   u"12",    u"2.5", u"-3",  u"0",
                                  u"0.4", u"32000", u"abc", u"1E3", u"123.456"};
constexpr int calculationsPerRound = 4 * 9 * 4 * int(std::size(inputs));

ConstantsTable drawnConstants() {
    ConstantsTable table;
    for (int r = 1; r <= 4; ++r) {
        for (int c = 1; c <= 4; ++c)
            table.set(r, c, qint16(1 + (r * 5 + c * 3) % 9));
    }
    return table;
}

// All 144 calculations on every input once; returns a checksum so nothing is optimised away.
qsizetype runAll(ConstantsTable &constants) {
    qsizetype sum = 0;
    for (const char16_t *level : levels) {
        for (int index = 1; index <= 9; ++index) {
            for (const char16_t *colour : colours) {
                for (const char16_t *input : inputs)
                    sum += runMechanism(level, index, {input, colour, constants, u"."}).size();
            }
        }
    }
    return sum;
}

} // namespace

class BenchMechanisms : public QObject {
    Q_OBJECT

private slots:
    void allCalculations();
    void oneLevel1Calculation();
    void meanPerCalculation();
};

void BenchMechanisms::allCalculations() {
    ConstantsTable constants = drawnConstants();
    qsizetype sum = 0;
    QBENCHMARK {
        sum += runAll(constants);
    }
    QVERIFY(sum > 0);
}

void BenchMechanisms::oneLevel1Calculation() {
    ConstantsTable constants = drawnConstants();
    const QString input = QStringLiteral("12.5");
    qsizetype sum = 0;
    QBENCHMARK {
        sum += runMechanism(u"Livello1", 1, {input, u"rosso", constants, u"."}).size();
    }
    QVERIFY(sum > 0);
}

// QBENCHMARK reports per round of 1440 calculations; this prints the figure per calculation.
void BenchMechanisms::meanPerCalculation() {
    ConstantsTable constants = drawnConstants();
    qsizetype sum = runAll(constants); // warm-up
    constexpr int rounds = 2000;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i)
        sum += runAll(constants);
    const double nanoseconds = double(timer.nsecsElapsed()) / (double(rounds) * calculationsPerRound);
    qInfo("mean per calculation, all 144 on %d inputs: %.1f ns (goal: under 300 ns)", int(std::size(inputs)),
          nanoseconds);

    const QString input = QStringLiteral("12.5");
    constexpr int level1Runs = 2'000'000;
    timer.restart();
    for (int i = 0; i < level1Runs; ++i)
        sum += runMechanism(u"Livello1", 1, {input, u"rosso", constants, u"."}).size();
    qInfo("one Level 1 calculation (Mechanism1_1 rosso, \"12.5\"): %.1f ns (goal: under 300 ns)",
          double(timer.nsecsElapsed()) / level1Runs);
    QVERIFY(sum > 0);
}

QTEST_GUILESS_MAIN(BenchMechanisms)
#include "bench_mechanisms.moc"
