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
    check(!std::isnan(x));
    const std::optional<qint16> n = roundInput(x);
    check(n.has_value() == (std::isfinite(x) && x >= -32768.5 && x < 32767.5)); // ties go to even
    check(!n || std::fabs(x - *n) <= 0.5);
    const QString caption = numberText(x, u".");
    check(numberText(x, u",") == QString(caption).replace(u'.', u','));
    check(!caption.isEmpty() && caption != u"-0" && (caption == u"?") == !std::isfinite(x));
    if (!std::isfinite(x))
        return;
    // printf's %.15G in the C locale follows the same rules (15 digits, exponent below 1E-04 and from
    // 1E+15, no trailing zeros): an independent reference.
    char reference[64];
    std::snprintf(reference, sizeof reference, "%.15G", x);
    check(x == 0 || caption == QLatin1StringView(reference));
    // Read back, the caption is x to 15 significant digits (next to the largest double it may round past
    // it to infinity).
    const double back = readInputValue(caption);
    check(std::isinf(back) ? std::fabs(x) > 1.7976931348623e308
                           : back == x || std::fabs(back - x) <= std::fabs(x) * 1e-14);
}

void checkModel(const QString &text) {
    const notebook::Model model = notebook::Model::compile(text);
    check(model.text() == text);
    if (const auto &error = model.error()) {
        check(!model.isValid() && !model.isEmpty() && !error->message.isEmpty());
        check(error->position >= 0 && error->length >= 0 && error->position + error->length <= text.size());
        check(model.caption(u"1", u".").isEmpty());
        return;
    }
    check(model.isValid() != model.isEmpty());
    for (const char16_t *input : {u"0", u"-3", u"2.5", u"40000", u"1E308", u"abc"}) {
        // A number or "?", never an infinity, written as the machine writes numbers.
        const QString caption = model.caption(input, u",");
        const double value = model.value(readInputValue(input));
        check(model.isEmpty()
                  ? caption.isEmpty()
                  : !caption.isEmpty() && !std::isinf(value) && caption == numberText(value, u","));
    }
}

// A lesson is read whole or refused with a reason; one that reads is written back to the same lesson.
void checkLesson(QByteArrayView bytes) {
    using namespace lessonfile;
    const ReadResult result = parse(bytes);
    if (result.problem != Problem::None) {
        check(result.lesson == Lesson());
        check(result.line >= 0 && result.line <= bytes.count('\n') + 1);
        check(!problemText(result.problem).isEmpty());
        return;
    }
    check(result.line == 0 && result.lesson.experiments.size() <= std::size_t(maxExperiments));
    const int first = result.lesson.firstAfterModel();
    for (std::size_t i = 0; i < result.lesson.experiments.size(); ++i)
        check(result.lesson.experiments[i].afterModel == (int(i) >= first));
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
    for (const QString &text : {QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)),
                                QString::fromUtf16(units.data(), qsizetype(units.size()))}) {
        checkNumber(text);
        checkModel(text);
    }
    // The first byte also picks one of the 144 calculations and its constants; the rest is its input.
    if (size > 0) {
        ConstantsTable constants;
        for (int e = 0; e < 16; ++e)
            constants.set(e / 4 + 1, e % 4 + 1, qint16((e / 4 * 7 + e % 4 * 3 + 10 + data[0]) % 10));
        const QString input =
            QString::fromUtf8(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
        const QString level = QStringLiteral("Livello%1").arg(1 + data[0] % 4);
        for (const char16_t *colour : {u"rosso", u"verde", u"blu", u"grigio"})
            check(!runMechanism(level, 1 + (data[0] / 4) % 9, {input, colour, constants, u"."}).isEmpty());
    }
    return 0;
}
