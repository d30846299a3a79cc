// libFuzzer target for the model reader: any text a player can type or paste must compile to a value
// or to a calm mistake that points inside the text, and a compiled model must evaluate to a caption.

#include "mechanisms/numbers.h"
#include "notebook/modellanguage.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdlib>

using namespace ingranix;
using namespace ingranix::notebook;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

void checkText(const QString &text) {
    const Model model = Model::compile(text);
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    // As UTF-8 (what typing and pasting give) and as raw UTF-16 (lone surrogates, controls, anything).
    checkText(QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)));
    checkText(QString(reinterpret_cast<const QChar *>(data), qsizetype(size / 2)));
    return 0;
}
