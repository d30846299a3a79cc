// libFuzzer target for the input reader: any text a player can paste must read, round and be written
// back without a crash, and the results must keep the invariants the captions rely on.

#include "mechanisms/mechanisms.h"
#include "mechanisms/numbers.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace ingranix;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

void checkText(QStringView text) {
    const double x = readInputValue(text);
    check(!std::isnan(x));

    const std::optional<qint16> n = roundInput(x);
    check(n.has_value() == (std::isfinite(x) && x >= -32768.5 && x < 32767.5)); // ties go to even
    if (n)
        check(std::fabs(x - *n) <= 0.5);

    for (const char16_t *separator : {u".", u","}) {
        const QString caption = numberText(x, separator);
        check(!caption.isEmpty());
        check(caption != u"-0");
        check((caption == u"?") == !std::isfinite(x));
        if (std::isfinite(x) && x != 0 && QStringView(separator) == u".") {
            // printf's %.15G in the C locale follows the same rules (15 digits, exponent below 1E-04 and
            // from 1E+15, no trailing zeros): an independent reference.
            char reference[64];
            std::snprintf(reference, sizeof reference, "%.15G", x);
            check(caption == QLatin1StringView(reference));
        }
        if (std::isfinite(x) && QStringView(separator) == u".") {
            // The caption read back is x to 15 significant digits (which, next to the largest double,
            // may round past it to infinity).
            const double back = readInputValue(caption);
            if (std::isinf(back))
                check(std::fabs(x) > 1.7976931348623e308);
            else
                check(back == x || std::fabs(back - x) <= std::fabs(x) * 1e-14);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    // The same bytes as UTF-8 (what a paste usually is) and as raw UTF-16 code units (lone surrogates,
    // control characters, anything a QString can hold).
    checkText(QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)));
    std::u16string units(size / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * sizeof(char16_t));
    checkText(QStringView(units));

    // The first byte also picks one of the 144 calculations, and the whole input is its text.
    if (size > 0) {
        const int level = 1 + data[0] % 4;
        const int index = 1 + (data[0] / 4) % 9;
        const char16_t *const colours[] = {u"rosso", u"verde", u"blu", u"grigio"};
        ConstantsTable constants;
        for (int r = 1; r <= 4; ++r) {
            for (int c = 1; c <= 4; ++c)
                constants.set(r, c, qint16((r * 7 + c * 3 + data[0]) % 10));
        }
        const QString input =
            QString::fromUtf8(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
        const QString levelText = QStringLiteral("Livello%1").arg(level);
        for (const char16_t *colour : colours)
            check(!runMechanism(levelText, index, {input, colour, constants, u"."}).isEmpty());
    }
    return 0;
}
