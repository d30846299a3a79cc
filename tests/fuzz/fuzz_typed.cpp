// libFuzzer target for every text a player types: as a number in the input box (read, rounded,
// written back, and run through one calculation) and as a model in the notebook (a value, or a calm
// mistake that points inside the text). Both must keep the invariants the captions rely on.
// An input that starts as a lesson file does ("Ingranix lezione ") is read as one instead.

#include "files/lessonfile.h"
#include "mechanisms/mechanisms.h"
#include "mechanisms/numbers.h"
#include "notebook/modellanguage.h"

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

void checkNumber(const QString &text) {
    const double x = readInputValue(text);
    const std::optional<qint16> n = roundInput(x); // ties go to even
    check(!std::isnan(x) && n.has_value() == (std::isfinite(x) && x >= -32768.5 && x < 32767.5));
    check(!n || std::fabs(x - *n) <= 0.5);
    const QString caption = numberText(x, u".");
    check(numberText(x, u",") == QString(caption).replace(u'.', u','));
    // printf's %.15G in the C locale follows the same rules (15 digits, exponent below 1E-04 and from
    // 1E+15, no trailing zeros): an independent reference. Zero, negative too, is "0"; no number "?".
    char reference[64];
    std::snprintf(reference, sizeof reference, "%.15G", x);
    check(caption == QLatin1StringView(!std::isfinite(x) ? "?" : x == 0 ? "0" : reference));
}

// A model is a value, or a calm mistake that points inside the text and gives no caption.
void checkModel(const QString &text) {
    const notebook::Model model = notebook::Model::compile(text);
    const auto &error = model.error();
    check(model.text() == text &&
          (error ? !model.isValid() && !model.isEmpty() : model.isValid() != model.isEmpty()));
    check(!error || (!error->message.isEmpty() && error->position >= 0 && error->length >= 0 &&
                     error->position + error->length <= text.size()));
    // A number or "?", never an infinity, written as the machine writes numbers.
    for (const char16_t *input : {u"0", u"-3", u"2.5", u"40000", u"1E308", u"abc"}) {
        const double value = model.value(readInputValue(input));
        check(!std::isinf(value) &&
              model.caption(input, u",") == (model.isValid() ? numberText(value, u",") : QString()));
    }
}

// A lesson is read whole or refused with a reason; one that reads is written back to the same lesson.
void checkLesson(QByteArrayView bytes) {
    using namespace lessonfile;
    const ReadResult result = parse(bytes);
    if (result.problem != Problem::None) {
        check(result.lesson == Lesson() && !problemText(result.problem).isEmpty());
        check(result.line >= 0 && result.line <= bytes.count('\n') + 1);
        return;
    }
    check(result.line == 0 && result.lesson.experiments.size() <= std::size_t(maxExperiments));
    const QByteArray text = toText(result.lesson);
    const ReadResult again = parse(text);
    check(again.problem == Problem::None && again.lesson == result.lesson && toText(again.lesson) == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArrayView bytes(data, qsizetype(size));
    if (bytes.startsWith("Ingranix lezione ")) {
        checkLesson(bytes);
        return 0;
    }
    // As UTF-8 (what typing and pasting give) and as raw UTF-16 (lone surrogates, controls, anything).
    std::u16string units(size / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * sizeof(char16_t));
    for (const QString &text : {QString::fromUtf8(bytes), QStringView(units).toString()}) {
        checkNumber(text);
        checkModel(text);
    }
    // The first byte also picks one of the 144 calculations and its constants; the rest is its input.
    if (size > 0) {
        ConstantsTable constants;
        for (int e = 0; e < 16; ++e)
            constants.set(e / 4 + 1, e % 4 + 1, qint16((e / 4 * 7 + e % 4 * 3 + 10 + data[0]) % 10));
        const QString input = QString::fromUtf8(bytes.sliced(1));
        const QString level = QStringLiteral("Livello%1").arg(1 + data[0] % 4);
        for (const char16_t *colour : {u"rosso", u"verde", u"blu", u"grigio"})
            check(!runMechanism(level, 1 + (data[0] / 4) % 9, {input, colour, constants, u"."}).isEmpty());
    }
    return 0;
}
