#pragma once

// The 144 calculations as data: four levels of nine mechanisms, each mechanism one calculation per
// gear colour. A cell names the kind of calculation and the constant it reads; the code for each
// kind lives once in mechanisms.cpp. Internal to the mechanisms library and its tests.

#include "mechanisms.h"

#include <QString>
#include <QStringView>

#include <array>

namespace ingranix::detail {

enum class Calculation : quint8 {
    // on x, the unrounded input
    Add,            // x + k
    Subtract,       // x <= k: "?"; else x - k
    ParityOnX,      // Int(x / 2) < x / 2: "0"; else "1"
    ThresholdOnX,   // adjust k; x > k: "1"; x = k: k; else "0"
    Multiply,       // x * k
    SubtractToZero, // x >= k: x - k; else "0"
    QuotientOnX,    // x >= k: Int(x / k); else "0"
    Distance,       // |x - k|
    RatioOnX,       // x >= k: Int(x / k); else Int(k / x)
    // on n, the rounded input
    Parity,              // n even: "1"; else "0"
    Threshold,           // adjust k; n > k: "1"; n = k: k; else "0"
    ThresholdUnadjusted, // as Threshold, without adjusting k
    Quotient,            // n < k: "0"; else Int(n / k)
    Ratio,               // n >= k: Int(n / k); else Int(k / n)
    // on n, sums, differences, products and |v| in checked 16-bit arithmetic
    ShiftDownThenProduct,    // (n - 1) * k
    ShiftUpThenProduct,      // (n + 1) * k
    ShiftTwoThenProduct,     // (n + 2) * k
    DistanceTimesConstant,   // |(n - k) * k|
    SumThenProduct,          // (k + n) * k
    ProductThenShift,        // k * n - k
    QuotientPlusConstant,    // Int(n / k) + k
    QuotientPlusOne,         // Int(n / k) + 1
    InverseQuotientPlusOne,  // Int(k / n) + 1
    ParityShift,             // odd: n - k; even: k + n
    ParityProductOrQuotient, // odd: k * n; even: Int(k / n)
    ParityProductThenShift,  // odd: k * n + 2; even: k * n + 1
};

// Which entry C(row, column) of the constants table a calculation reads; row 0 reads none.
struct Entry {
    qint8 row = 0;
    qint8 column = 0;
};

struct Cell {
    Calculation calculation;
    Entry constant;
};

constexpr int colourCount = int(gearColourNames.size());

// Row I of level L's table is Mechanism<L>_<I>.
struct MechanismRow {
    std::array<Cell, colourCount> byColour; // rosso, verde, blu, grigio
};

using LevelTable = std::array<MechanismRow, 9>;

// The table of level 1..4.
const LevelTable &levelTable(int level);

// Runs one calculation on the input, reading (and for Level 1 thresholds adjusting) the constants.
QString runCalculation(const Cell &cell, const MechanismInput &in);

} // namespace ingranix::detail
