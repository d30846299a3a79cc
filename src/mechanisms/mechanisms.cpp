#include "mechanisms.h"

#include "mechanismtables.h"
#include "numbers.h"

#include <cmath>
#include <cstdlib>
#include <optional>

namespace ingranix {

namespace detail {

namespace {

// The caption of every calculation that cannot give a result: a zero divisor, a rounded input
// outside -32768..32767, a 16-bit step out of range, a value that is not finite.
QString unknown() {
    return QStringLiteral("?");
}

QString zeroOne(bool one) {
    return one ? QStringLiteral("1") : QStringLiteral("0");
}

// One step of 16-bit arithmetic. Operands are widened to 32 bits first, where a sum or product of
// two 16-bit values cannot overflow, then the result is checked against the 16-bit range.
std::optional<qint16> fit16(qint32 value) {
    if (value < -32768 || value > 32767)
        return std::nullopt;
    return qint16(value);
}

QString integerCaption(std::optional<qint16> value) {
    return value ? integerText(*value) : unknown();
}

bool isOdd(qint16 n) {
    return n % 2 != 0;
}

// Int(a / b) in double precision; the caller has ruled out b == 0.
double floorQuotient(double dividend, double divisor) {
    return std::floor(dividend / divisor);
}

// ---- calculations on x (finite: the caller answers "?" for an infinite input) ----

QString add(double x, qint16 k, QStringView sep) {
    return numberText(x + k, sep);
}

QString subtract(double x, qint16 k, QStringView sep) {
    return x <= k ? unknown() : numberText(x - k, sep);
}

// Int(x / 2) < x / 2 means "not an even whole number"; fmod says the same exactly, also for tiny
// inputs whose half would underflow to zero.
QString parityOnX(double x, qint16, QStringView) {
    return zeroOne(std::fmod(x, 2.0) == 0.0);
}

QString thresholdOnX(double x, qint16 k, QStringView) {
    if (x == k)
        return integerText(k);
    return zeroOne(x > k);
}

QString multiply(double x, qint16 k, QStringView sep) {
    return numberText(x * k, sep);
}

QString subtractToZero(double x, qint16 k, QStringView sep) {
    return x >= k ? numberText(x - k, sep) : QStringLiteral("0");
}

QString quotientOnX(double x, qint16 k, QStringView sep) {
    if (x < k)
        return QStringLiteral("0");
    return k == 0 ? unknown() : numberText(floorQuotient(x, k), sep);
}

QString distance(double x, qint16 k, QStringView sep) {
    return numberText(std::fabs(x - k), sep);
}

QString ratioOnX(double x, qint16 k, QStringView sep) {
    if (x >= k)
        return k == 0 ? unknown() : numberText(floorQuotient(x, k), sep);
    return x == 0 ? unknown() : numberText(floorQuotient(k, x), sep); // k / tiny x may be infinite: "?"
}

// ---- calculations on n ----

QString parity(qint16 n, qint16, QStringView) {
    return zeroOne(!isOdd(n));
}

QString threshold(qint16 n, qint16 k, QStringView) {
    if (n == k)
        return integerText(k);
    return zeroOne(n > k);
}

QString quotient(qint16 n, qint16 k, QStringView sep) {
    if (n < k)
        return QStringLiteral("0");
    return k == 0 ? unknown() : numberText(floorQuotient(n, k), sep);
}

QString ratio(qint16 n, qint16 k, QStringView sep) {
    if (n >= k)
        return k == 0 ? unknown() : numberText(floorQuotient(n, k), sep);
    return n == 0 ? unknown() : numberText(floorQuotient(k, n), sep);
}

template <int step> QString shiftThenProduct(qint16 n, qint16 k, QStringView) {
    const auto shifted = fit16(n + step);
    return integerCaption(shifted ? fit16(*shifted * k) : std::nullopt);
}

QString distanceTimesConstant(qint16 n, qint16 k, QStringView) {
    const auto difference = fit16(n - k);
    const auto product = difference ? fit16(*difference * k) : std::nullopt;
    return integerCaption(product ? fit16(std::abs(qint32(*product))) : std::nullopt); // |-32768| too
}

QString sumThenProduct(qint16 n, qint16 k, QStringView) {
    const auto sum = fit16(k + n);
    return integerCaption(sum ? fit16(*sum * k) : std::nullopt);
}

QString productThenShift(qint16 n, qint16 k, QStringView) {
    const auto product = fit16(k * n);
    return integerCaption(product ? fit16(*product - k) : std::nullopt);
}

QString quotientPlusConstant(qint16 n, qint16 k, QStringView sep) {
    return k == 0 ? unknown() : numberText(floorQuotient(n, k) + k, sep);
}

QString quotientPlusOne(qint16 n, qint16 k, QStringView sep) {
    return k == 0 ? unknown() : numberText(floorQuotient(n, k) + 1, sep);
}

QString inverseQuotientPlusOne(qint16 n, qint16 k, QStringView sep) {
    return n == 0 ? unknown() : numberText(floorQuotient(k, n) + 1, sep);
}

QString parityShift(qint16 n, qint16 k, QStringView) {
    return integerCaption(isOdd(n) ? fit16(n - k) : fit16(k + n));
}

QString parityProductOrQuotient(qint16 n, qint16 k, QStringView sep) {
    if (isOdd(n))
        return integerCaption(fit16(k * n));
    return n == 0 ? unknown() : numberText(floorQuotient(k, n), sep);
}

QString parityProductThenShift(qint16 n, qint16 k, QStringView) {
    const auto product = fit16(k * n);
    return integerCaption(product ? fit16(*product + (isOdd(n) ? 2 : 1)) : std::nullopt);
}

using OnX = QString (*)(double x, qint16 k, QStringView separator);
using OnN = QString (*)(qint16 n, qint16 k, QStringView separator);

// Each kind works either on x or on n; exactly one of the two is set.
struct Formula {
    OnX onX = nullptr;
    OnN onN = nullptr;
};

Formula formulaOf(Calculation calculation) {
    switch (calculation) {
    case Calculation::Add:
        return {add, nullptr};
    case Calculation::Subtract:
        return {subtract, nullptr};
    case Calculation::ParityOnX:
        return {parityOnX, nullptr};
    case Calculation::ThresholdOnX:
        return {thresholdOnX, nullptr};
    case Calculation::Multiply:
        return {multiply, nullptr};
    case Calculation::SubtractToZero:
        return {subtractToZero, nullptr};
    case Calculation::QuotientOnX:
        return {quotientOnX, nullptr};
    case Calculation::Distance:
        return {distance, nullptr};
    case Calculation::RatioOnX:
        return {ratioOnX, nullptr};
    case Calculation::Parity:
        return {nullptr, parity};
    case Calculation::Threshold:
    case Calculation::ThresholdUnadjusted:
        return {nullptr, threshold};
    case Calculation::Quotient:
        return {nullptr, quotient};
    case Calculation::Ratio:
        return {nullptr, ratio};
    case Calculation::ShiftDownThenProduct:
        return {nullptr, shiftThenProduct<-1>};
    case Calculation::ShiftUpThenProduct:
        return {nullptr, shiftThenProduct<1>};
    case Calculation::ShiftTwoThenProduct:
        return {nullptr, shiftThenProduct<2>};
    case Calculation::DistanceTimesConstant:
        return {nullptr, distanceTimesConstant};
    case Calculation::SumThenProduct:
        return {nullptr, sumThenProduct};
    case Calculation::ProductThenShift:
        return {nullptr, productThenShift};
    case Calculation::QuotientPlusConstant:
        return {nullptr, quotientPlusConstant};
    case Calculation::QuotientPlusOne:
        return {nullptr, quotientPlusOne};
    case Calculation::InverseQuotientPlusOne:
        return {nullptr, inverseQuotientPlusOne};
    case Calculation::ParityShift:
        return {nullptr, parityShift};
    case Calculation::ParityProductOrQuotient:
        return {nullptr, parityProductOrQuotient};
    case Calculation::ParityProductThenShift:
        return {nullptr, parityProductThenShift};
    }
    return {};
}

// Level 1 thresholds first move a threshold of 0, 1 or 2 up by four, in the table itself, so the
// change outlives the experiment (and is saved with the mechanism). Once done it finds nothing more.
void adjustThreshold(ConstantsTable &constants, Entry entry) {
    const qint16 threshold = constants.at(entry.row, entry.column);
    if (threshold >= 0 && threshold <= 2)
        constants.set(entry.row, entry.column, qint16(threshold + 4));
}

} // namespace

QString runCalculation(const Cell &cell, const MechanismInput &in) {
    if (cell.calculation == Calculation::Threshold || cell.calculation == Calculation::ThresholdOnX)
        adjustThreshold(in.constants, cell.constant);

    const qint16 k = cell.constant.row == 0 ? 0 : in.constants.at(cell.constant.row, cell.constant.column);
    const double x = readInputValue(in.inputText);
    const Formula formula = formulaOf(cell.calculation);
    if (formula.onX)
        return std::isfinite(x) ? formula.onX(x, k, in.decimalSeparator) : unknown();
    const std::optional<qint16> n = roundInput(x);
    return n && formula.onN ? formula.onN(*n, k, in.decimalSeparator) : unknown();
}

} // namespace detail

QString runMechanism(QStringView levelText, int mechanismIndex, const MechanismInput &in) {
    const int level = levelNumber(levelText);
    const int colour = gearColourIndex(in.gearColour);
    if (level == 0 || mechanismIndex < 1 || mechanismIndex > 9 || colour < 0)
        return detail::unknown();
    const detail::MechanismRow &row = detail::levelTable(level)[std::size_t(mechanismIndex - 1)];
    return detail::runCalculation(row.byColour[std::size_t(colour)], in);
}

} // namespace ingranix
