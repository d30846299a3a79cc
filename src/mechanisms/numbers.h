#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace ingranix {

// x: the input box's text read leniently (blanks skipped anywhere, optional sign, digits, one '.',
// an exponent with E or D, &H / &O prefixes; reading stops at the first character that cannot
// continue the number; a text that does not begin with a number reads as 0). Never throws.
// A value too large for a double reads as an infinity of its sign.
// &H / &O digits are a non-negative magnitude, never wrapped to 16, 32 or 64 bits ("&HFFFF" is 65535);
// a sign before the prefix applies to it.
double readInputValue(QStringView text);

// n: x rounded half-to-even to a signed 16-bit whole number; nullopt when it falls outside
// -32768..32767 or x is not finite.
std::optional<qint16> roundInput(double x);

// The caption for a double: 15 significant digits, exponent form ("1E+15", "1E-05") for magnitudes
// of 1e15 and more or below 0.0001, no trailing zeros, the given decimal separator, never "-0".
// A value that is not finite gives "?".
QString numberText(double value, QStringView decimalSeparator);

// The caption for a whole number: its digits, "-" in front when negative.
QString integerText(qint32 value);

// The decimal separator of the user's regional settings.
QString systemDecimalSeparator();

} // namespace ingranix
