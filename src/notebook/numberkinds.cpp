#include "notebook/numberkinds.h"

#include "mechanisms/numbers.h"

#include <QStringList>

#include <cmath>

namespace ingranix::notebook {

using namespace Qt::Literals::StringLiterals;

NumberKinds kindsOf(QStringView input) {
    const double x = readInputValue(input);
    NumberKinds kinds = 0;
    if (x > 1000) // an infinity too: the largest of all
        kinds |= kindBit(NumberKind::Large);
    if (x < 0)
        kinds |= kindBit(NumberKind::Negative);
    if (!std::isfinite(x))
        return kinds;
    if (x == 0)
        kinds |= kindBit(NumberKind::Zero);
    if (x != std::trunc(x))
        return kinds | kindBit(NumberKind::Fraction);
    if (x > 0)
        kinds |= kindBit(NumberKind::PositiveWhole);
    // fmod is exact; a whole double beyond 2^53 is always even.
    kinds |= kindBit(std::fmod(x, 2.0) == 0 ? NumberKind::Even : NumberKind::Odd);
    return kinds;
}

QString kindMarkName(KindMark mark) {
    static const std::array<QString, kindMarkCount> names{
        u"interi positivi"_s,     u"zero"_s,          u"negativi"_s, u"con la virgola"_s,
        u"grandi (oltre 1000)"_s, u"pari e dispari"_s};
    return names[std::size_t(mark)];
}

static_assert(int(KindMark::PositiveWhole) == int(NumberKind::PositiveWhole) &&
              int(KindMark::Zero) == int(NumberKind::Zero) &&
              int(KindMark::Negative) == int(NumberKind::Negative) &&
              int(KindMark::Fraction) == int(NumberKind::Fraction) &&
              int(KindMark::Large) == int(NumberKind::Large));

bool isTried(NumberKinds tried, KindMark mark) {
    switch (mark) {
    case KindMark::EvenAndOdd: {
        const NumberKinds both = kindBit(NumberKind::Even) | kindBit(NumberKind::Odd);
        return (tried & both) == both;
    }
    default: // the first five marks are the first five kinds
        return (tried & kindBit(NumberKind(mark))) != 0;
    }
}

QString kindsText(NumberKinds tried) {
    QStringList done, waiting;
    for (int i = 0; i < kindMarkCount; ++i)
        (isTried(tried, KindMark(i)) ? done : waiting) << kindMarkName(KindMark(i));
    QString text = u"Numeri provati: "_s + (done.isEmpty() ? u"nessuno"_s : done.join(u", "_s)) + u'.';
    if (!waiting.isEmpty())
        text += u" Non ancora: "_s + waiting.join(u", "_s) + u'.';
    return text;
}

} // namespace ingranix::notebook
