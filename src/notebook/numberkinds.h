#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <array>

namespace ingranix::notebook {

// The kinds of number a scientist tries, for an input read as the machine reads it (a period as its
// decimal mark; "2,5" is 2, a word is 0). They depend on the typed text alone, never on the machine.
enum class NumberKind : quint8 {
    PositiveWhole, // 1, 2, 3 ...
    Zero,
    Negative, // below zero, fractions too
    Fraction, // not a whole number ("con la virgola", written with a period: 2.5)
    Large,    // over 1000
    Even,     // a whole number: 0, 2, -4 ...
    Odd,
};
inline constexpr int numberKindCount = 7;

// A set of kinds, one bit each: the kinds of a whole log are one OR away.
using NumberKinds = quint8;
constexpr NumberKinds kindBit(NumberKind kind) {
    return NumberKinds(1u << unsigned(kind));
}

NumberKinds kindsOf(QStringView input);

// The six marks under the notebook's summary; the last is lit once both an even and an odd whole
// number were tried.
enum class KindMark : quint8 { PositiveWhole, Zero, Negative, Fraction, Large, EvenAndOdd };
inline constexpr int kindMarkCount = 6;

// "interi positivi", "zero", "negativi", "con la virgola", "grandi (oltre 1000)", "pari e dispari".
QString kindMarkName(KindMark mark);
bool isTried(NumberKinds tried, KindMark mark);
// The marks as one sentence, for the PDF and a screen reader:
// "Numeri provati: interi positivi, zero. Non ancora: negativi, ...".
QString kindsText(NumberKinds tried);

} // namespace ingranix::notebook
