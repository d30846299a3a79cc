#include "modellanguage.h"

#include "mechanisms/numbers.h"

#include <muParserBase.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ingranix::notebook {

using namespace Qt::Literals::StringLiterals;

namespace {

// A child's model is a line or two; past this the window says so at once instead of parsing a paste
// of a whole page. Every character becomes at most a few in the parser's text, far below its limit.
constexpr qsizetype maxTextLength = 2000;
static_assert(maxTextLength * 5 < mu::MaxLenExpression);

constexpr double unknownValue = std::numeric_limits<double>::quiet_NaN();

// ---- the arithmetic of the model: "?" (NaN) in, "?" out; anything not finite becomes "?" ----

double finiteOrUnknown(double v) {
    return std::isfinite(v) ? v : unknownValue;
}

bool anyUnknown(double a, double b) {
    return std::isnan(a) || std::isnan(b);
}

double truth(bool b) {
    return b ? 1.0 : 0.0;
}

double plus(double a, double b) {
    return finiteOrUnknown(a + b);
}
double minus(double a, double b) {
    return finiteOrUnknown(a - b);
}
double times(double a, double b) {
    return finiteOrUnknown(a * b);
}
double dividedBy(double a, double b) {
    return b == 0 ? unknownValue : finiteOrUnknown(a / b);
}
// pow(1, NaN) and pow(NaN, 0) are 1 in C; here "?" wins.
double power(double a, double b) {
    return anyUnknown(a, b) ? unknownValue : finiteOrUnknown(std::pow(a, b));
}
double negated(double a) {
    return -a;
}
double unaryPlus(double a) {
    return a;
}

double less(double a, double b) {
    return anyUnknown(a, b) ? unknownValue : truth(a < b);
}
double greater(double a, double b) {
    return anyUnknown(a, b) ? unknownValue : truth(a > b);
}
double lessOrEqual(double a, double b) {
    return anyUnknown(a, b) ? unknownValue : truth(a <= b);
}
double greaterOrEqual(double a, double b) {
    return anyUnknown(a, b) ? unknownValue : truth(a >= b);
}
double equal(double a, double b) {
    return anyUnknown(a, b) ? unknownValue : truth(a == b);
}
double notEqual(double a, double b) {
    return anyUnknown(a, b) ? unknownValue : truth(a != b);
}
double both(double a, double b) {
    return anyUnknown(a, b) ? unknownValue : truth(a != 0 && b != 0);
}
double either(double a, double b) {
    return anyUnknown(a, b) ? unknownValue : truth(a != 0 || b != 0);
}

double whole(double v) {
    return std::floor(v);
}
double remainderOf(double a, double b) {
    return finiteOrUnknown(std::fmod(a, b)); // fmod by 0 is NaN: "?"
}
double absolute(double v) {
    return std::fabs(v);
}
double rounded(double v) {
    return std::nearbyint(v); // ties to even, as the machine rounds its input
}
double even(double v) {
    return std::isnan(v) ? unknownValue : truth(std::fmod(v, 2.0) == 0.0);
}
double odd(double v) {
    return std::isnan(v) ? unknownValue : truth(std::fabs(std::fmod(v, 2.0)) == 1.0);
}
// Both branches are already computed, and pure, so choosing afterwards equals choosing first:
// se(x = 0; 0; 1/x) at 0 is 0 even though 1/x there is "?".
double choice(double condition, double then, double otherwise) {
    return std::isnan(condition) ? unknownValue : (condition != 0 ? then : otherwise);
}

// ---- the player's words ----

// One row per function the player may call: its word, the parser's name for it, an example for the
// messages, and the function itself, whose number of values is the word's arity. The parser's set-up,
// the reading of words and the suggestions all come from here.
using Function =
    std::variant<double (*)(double), double (*)(double, double), double (*)(double, double, double)>;
enum class Arity : quint8 { One, Two, Three }; // in the order of Function's alternatives

struct FunctionWord {
    std::u16string_view name;  // as the player writes it (any case)
    std::string_view internal; // as the parser reads it
    std::u16string_view example;
    Function function;

    constexpr Arity arity() const { return Arity(function.index()); }
};

constexpr auto functionWords = std::to_array<FunctionWord>({
    {u"intero", "fi", u"intero(x / 2)", whole},
    {u"resto", "fr", u"resto(x; 2)", remainderOf},
    {u"ass", "fa", u"ass(x - 5)", absolute},
    {u"arrotonda", "fn", u"arrotonda(x)", rounded},
    {u"pari", "fp", u"pari(x)", even},
    {u"dispari", "fd", u"dispari(x)", odd},
    {u"se", "fs", u"se(x < 3; 0; 1)", choice},
});

constexpr std::size_t wordIndex(std::u16string_view name) {
    for (std::size_t f = 0; f < functionWords.size(); ++f) {
        if (functionWords[f].name == name)
            return f;
    }
    return functionWords.size();
}
constexpr std::size_t absoluteWord = wordIndex(u"ass"); // |v| is ass(v)
static_assert(absoluteWord < functionWords.size());

// The words that are not functions: the input, and the two logical joins.
constexpr std::u16string_view inputWord = u"x";
constexpr std::u16string_view andWord = u"e";
constexpr std::u16string_view orWord = u"o";

// Every word the language knows, for suggestions; on a tie the earlier one is offered.
constexpr auto knownWords = [] {
    std::array<std::u16string_view, functionWords.size() + 3> words{};
    std::size_t n = 0;
    words[n++] = inputWord;
    for (const FunctionWord &word : functionWords)
        words[n++] = word.name;
    words[n++] = andWord;
    words[n++] = orWord;
    return words;
}();

// Names a child may know from a spreadsheet in English or from a calculator.
constexpr auto foreignWords = std::to_array<std::pair<std::u16string_view, std::u16string_view>>({
    {u"if", u"se"},
    {u"mod", u"resto"},
    {u"round", u"arrotonda"},
    {u"int", u"intero"},
    {u"floor", u"intero"},
    {u"and", u"e"},
    {u"or", u"o"},
    {u"abs", u"ass"},
});
// Each is offered as a word the language knows.
static_assert(std::ranges::all_of(foreignWords, [](const auto &pair) {
    return std::ranges::find(knownWords, pair.second) != knownWords.end();
}));

int editDistance(std::u16string_view a, std::u16string_view b) {
    std::vector<int> previous(b.size() + 1), current(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        previous[j] = int(j);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = int(i);
        for (std::size_t j = 1; j <= b.size(); ++j) {
            current[j] = std::min(
                {previous[j] + 1, current[j - 1] + 1, previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
        }
        std::swap(previous, current);
    }
    return previous[b.size()];
}

// The known word nearest to an unknown one, when it is near enough to be a slip of the finger.
std::u16string_view suggestionFor(std::u16string_view word) {
    for (const auto &[foreign, ours] : foreignWords) {
        if (word == foreign)
            return ours;
    }
    if (word.size() > 20)
        return {};
    std::u16string_view best;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::u16string_view known : knownWords) {
        const int distance = editDistance(word, known);
        const int allowed = known.size() <= 4 ? 1 : 2;
        if (distance <= allowed && distance < bestDistance) {
            best = known;
            bestDistance = distance;
        }
    }
    return best;
}

QString toText(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar *>(text.data()), qsizetype(text.size()));
}

QString quoted(QStringView text) {
    constexpr qsizetype shown = 24;
    if (text.size() > shown) {
        const qsizetype cut = text[shown - 1].isHighSurrogate() ? shown - 1 : shown; // whole characters only
        return u"«"_s + text.first(cut).toString() + u"…»"_s;
    }
    return u"«"_s + text.toString() + u"»"_s;
}

// ---- the parser: muParser with only our operators, functions and the value "?" ----

// Literals reach the parser as std::to_chars wrote them: locale-free, exact both ways.
int readLiteral(const mu::char_type *text, int *position, mu::value_type *value) {
    if (*text < '0' || *text > '9')
        return 0;
    const auto [end, error] = std::from_chars(text, text + std::strlen(text), *value);
    if (error != std::errc())
        return 0;
    *position += int(end - text);
    return 1;
}

class ModelParser final : public mu::ParserBase {
public:
    explicit ModelParser(double *x) {
        EnableBuiltInOprt(false);
        AddValIdent(readLiteral);
        ModelParser::InitCharSets();
        ModelParser::InitFun();
        ModelParser::InitConst();
        ModelParser::InitOprt();
        DefineVar("x", x);
    }

protected:
    void InitCharSets() override {
        DefineNameChars("abcdefghijklmnopqrstuvwxyz");
        DefineOprtChars("+-*/^<>=!&|");
        DefineInfixOprtChars("+-");
    }
    void InitFun() override {
        for (const FunctionWord &word : functionWords)
            std::visit([&](auto function) { DefineFun(mu::string_type(word.internal), function); },
                       word.function);
    }
    void InitConst() override { DefineConst("q", unknownValue); }
    void InitOprt() override {
        DefineInfixOprt("-", negated);
        DefineInfixOprt("+", unaryPlus);
        DefineOprt("+", plus, mu::prADD_SUB);
        DefineOprt("-", minus, mu::prADD_SUB);
        DefineOprt("*", times, mu::prMUL_DIV);
        DefineOprt("/", dividedBy, mu::prMUL_DIV);
        DefineOprt("^", power, mu::prPOW, mu::oaRIGHT);
        DefineOprt("<", less, mu::prCMP);
        DefineOprt(">", greater, mu::prCMP);
        DefineOprt("<=", lessOrEqual, mu::prCMP);
        DefineOprt(">=", greaterOrEqual, mu::prCMP);
        DefineOprt("==", equal, mu::prCMP);
        DefineOprt("!=", notEqual, mu::prCMP);
        DefineOprt("&&", both, mu::prLAND);
        DefineOprt("||", either, mu::prLOR);
    }
};

// ---- reading the player's text ----

enum class Kind : quint8 {
    Value,      // a number, x or ?
    Operator,   // + - * / ^ and their school forms
    Comparison, // < > <= >= = <> and their school forms
    Logical,    // e, o
    Function,
    Open,
    Close,
    BarOpen,
    BarClose,
    Separator,
};

// One token of the player's text and the piece of parser text it became.
struct Token {
    Kind kind;
    int position;
    int length;
    int outPosition;
    int outLength;
    int link = -1;     // Close/BarClose: its opener; Open: the function word before it, or -1
    int function = -1; // Function: index into functionWords
};

bool endsOperand(Kind kind) {
    return kind == Kind::Value || kind == Kind::Close || kind == Kind::BarClose;
}

bool isBinary(Kind kind) {
    return kind == Kind::Operator || kind == Kind::Comparison || kind == Kind::Logical;
}

struct Frame {
    int opener = -1;       // token index of ( or |; -1 for the whole text
    bool call = false;     // the parentheses of a function
    bool compared = false; // a comparison since the frame opened or since e, o, ;
};

// Turns the school notation into the parser's notation, remembering where every piece came from so
// that the parser's complaints can point at the player's text. Loops only, no recursion: nesting
// lives in a vector.
class Translator {
public:
    explicit Translator(QStringView text) : text_(text) {}

    std::optional<ModelError> run();
    ModelError explain(const mu::ParserError &error) const;

    const std::string &output() const { return output_; }

private:
    char32_t codePointAt(qsizetype i, int *units) const;
    void push(Kind kind, qsizetype position, qsizetype length, std::string_view out);
    std::optional<ModelError> readNumber(qsizetype &i);
    std::optional<ModelError> readWord(qsizetype &i);
    std::optional<ModelError> readSymbol(qsizetype &i);
    std::optional<ModelError> closeBracket(Kind kind, qsizetype position);
    ModelError unclosed() const;
    ModelError at(const Token &token, QString message) const;
    QStringView textOf(const Token &token) const { return text_.mid(token.position, token.length); }
    int tokenAtOutput(int outPosition) const;
    ModelError arityError(int functionToken) const;
    ModelError wantsParenthesis(const Token &function) const;

    QStringView text_;
    std::string output_;
    std::vector<Token> tokens_;
    std::vector<Frame> frames_{Frame{}};
};

ModelError errorAt(qsizetype position, qsizetype length, QString message) {
    return ModelError{int(position), int(length), std::move(message)};
}

ModelError Translator::at(const Token &token, QString message) const {
    return errorAt(token.position, token.length, std::move(message));
}

char32_t Translator::codePointAt(qsizetype i, int *units) const {
    const QChar c = text_[i];
    if (c.isHighSurrogate() && i + 1 < text_.size() && text_[i + 1].isLowSurrogate()) {
        *units = 2;
        return QChar::surrogateToUcs4(c, text_[i + 1]);
    }
    *units = 1;
    return c.unicode();
}

void Translator::push(Kind kind, qsizetype position, qsizetype length, std::string_view out) {
    // muParser reads a function only when "(" follows at once; everything else is spaced apart so that
    // two operators never run together ("<" then "-" must not read as one).
    const bool glued = kind == Kind::Open && !tokens_.empty() && tokens_.back().kind == Kind::Function;
    if (!output_.empty() && !glued)
        output_ += ' ';
    tokens_.push_back({kind, int(position), int(length), int(output_.size()), int(out.size())});
    output_ += out;
}

std::optional<ModelError> Translator::run() {
    qsizetype i = 0;
    while (i < text_.size()) {
        int units = 1;
        const char32_t c = codePointAt(i, &units);
        std::optional<ModelError> error;
        if (QChar::isSpace(c))
            i += units;
        else if (c >= U'0' && c <= U'9')
            error = readNumber(i);
        else if (QChar::isLetter(c))
            error = readWord(i);
        else
            error = readSymbol(i);
        if (error)
            return error;
    }
    if (frames_.size() > 1)
        return unclosed();
    return std::nullopt;
}

// Digits with at most one decimal mark, "," or ".": "2,5" and "2.5" are the same number.
std::optional<ModelError> Translator::readNumber(qsizetype &i) {
    const qsizetype start = i;
    std::string digits;
    auto isDigit = [&](qsizetype k) { return k < text_.size() && text_[k] >= u'0' && text_[k] <= u'9'; };
    auto isMark = [&](qsizetype k) { return k < text_.size() && (text_[k] == u',' || text_[k] == u'.'); };
    bool wholePartNonZero = false;
    while (isDigit(i)) {
        wholePartNonZero = wholePartNonZero || text_[i] != u'0';
        digits += char(text_[i++].unicode());
    }
    if (isMark(i) && isDigit(i + 1)) {
        digits += '.';
        ++i;
        while (isDigit(i))
            digits += char(text_[i++].unicode());
        if (isMark(i) && isDigit(i + 1)) {
            qsizetype end = i;
            while (isDigit(end) || (isMark(end) && isDigit(end + 1)))
                ++end;
            return errorAt(start, end - start, u"in un numero ci va una sola virgola"_s);
        }
    }
    double value = 0;
    if (std::from_chars(digits.data(), digits.data() + digits.size(), value).ec ==
        std::errc::result_out_of_range) {
        if (wholePartNonZero)
            return errorAt(start, i - start, u"questo numero è troppo grande"_s);
        value = 0; // so many zeros after the mark that the digits vanish
    }
    // "2e3" would read as "2 e 3", a logical "and": a calculator's habit deserves a word, not a 1.
    if (i < text_.size() && (text_[i].toCaseFolded() == u'e' || text_[i].toCaseFolded() == u'o') &&
        !(i + 1 < text_.size() && text_[i + 1].isLetter())) {
        return errorAt(start, i + 1 - start,
                       u"lascia uno spazio tra "_s + quoted(text_.mid(start, i - start)) + u" e "_s +
                           quoted(text_.mid(i, 1)));
    }
    std::array<char, 32> literal;
    const auto written = std::to_chars(literal.data(), literal.data() + literal.size(), value);
    push(Kind::Value, start, i - start,
         std::string_view(literal.data(), std::size_t(written.ptr - literal.data())));
    return std::nullopt;
}

std::optional<ModelError> Translator::readWord(qsizetype &i) {
    const qsizetype start = i;
    while (i < text_.size()) {
        int units = 1;
        const char32_t c = codePointAt(i, &units);
        if (!QChar::isLetter(c) && !QChar::isMark(c))
            break;
        i += units;
    }
    const QStringView word = text_.mid(start, i - start);
    const QString folded = word.toString().toCaseFolded();
    const std::u16string_view key(reinterpret_cast<const char16_t *>(folded.utf16()),
                                  std::size_t(folded.size()));
    if (key == inputWord) {
        push(Kind::Value, start, word.size(), "x");
        return std::nullopt;
    }
    if (key == andWord || key == orWord) {
        push(Kind::Logical, start, word.size(), key == andWord ? "&&" : "||");
        frames_.back().compared = false;
        return std::nullopt;
    }
    for (std::size_t f = 0; f < functionWords.size(); ++f) {
        if (key == functionWords[f].name) {
            push(Kind::Function, start, word.size(), functionWords[f].internal);
            tokens_.back().function = int(f);
            return std::nullopt;
        }
    }
    const std::u16string_view suggestion = suggestionFor(key);
    QString message = u"non conosco "_s + quoted(word);
    if (!suggestion.empty())
        message += u": forse "_s + quoted(toText(suggestion)) + u"?"_s;
    return errorAt(start, word.size(), message);
}

std::optional<ModelError> Translator::readSymbol(qsizetype &i) {
    const qsizetype start = i;
    int units = 1;
    const char32_t c = codePointAt(i, &units);
    const char32_t next = i + units < text_.size() ? text_[i + units].unicode() : 0;
    i += units;

    auto binary = [&](Kind kind, std::string_view out, int extra = 0) -> std::optional<ModelError> {
        i += extra;
        if (kind == Kind::Comparison) {
            Frame &frame = frames_.back();
            // "1 < x < 5" reads as (1 < x) < 5, always true; "x < < 5" is only a missing value.
            if (frame.compared && !tokens_.empty() && endsOperand(tokens_.back().kind)) {
                return errorAt(start, i - start,
                               u"per confrontare tre valori scrivi due confronti uniti da «e», "
                               u"come in 1 < x e x < 5"_s);
            }
            frame.compared = true;
        }
        push(kind, start, i - start, out);
        return std::nullopt;
    };

    switch (c) {
    case U'+':
        return binary(Kind::Operator, "+");
    case U'-':
    case U'\u2212': // the minus sign of a pasted text
        return binary(Kind::Operator, "-");
    case U'*':
    case U'\u00D7': // ×
    case U'\u00B7': // ·
    case U'\u22C5': // ⋅
        return binary(Kind::Operator, "*");
    case U'/':
    case U':':
    case U'\u00F7': // ÷
        return binary(Kind::Operator, "/");
    case U'^':
        return binary(Kind::Operator, "^");
    case U'<':
        if (next == u'=')
            return binary(Kind::Comparison, "<=", 1);
        if (next == u'>')
            return binary(Kind::Comparison, "!=", 1);
        return binary(Kind::Comparison, "<");
    case U'>':
        if (next == u'=')
            return binary(Kind::Comparison, ">=", 1);
        return binary(Kind::Comparison, ">");
    case U'=':
        return binary(Kind::Comparison, "==");
    case U'\u2264': // ≤
        return binary(Kind::Comparison, "<=");
    case U'\u2265': // ≥
        return binary(Kind::Comparison, ">=");
    case U'\u2260': // ≠
        return binary(Kind::Comparison, "!=");
    case U'?':
        push(Kind::Value, start, 1, "q");
        return std::nullopt;
    case U'(': {
        const int function =
            !tokens_.empty() && tokens_.back().kind == Kind::Function ? int(tokens_.size() - 1) : -1;
        push(Kind::Open, start, 1, "(");
        tokens_.back().link = function;
        frames_.push_back({int(tokens_.size() - 1), function >= 0, false});
        return std::nullopt;
    }
    case U')':
        return closeBracket(Kind::Close, start);
    case U'|':
        // A bar after a value closes |v|; anywhere else it opens one.
        if (!tokens_.empty() && endsOperand(tokens_.back().kind))
            return closeBracket(Kind::BarClose, start);
        push(Kind::BarOpen, start, 1, functionWords[absoluteWord].internal);
        output_ += '(';
        tokens_.back().outLength += 1;
        frames_.push_back({int(tokens_.size() - 1), false, false});
        return std::nullopt;
    case U';':
        if (!frames_.back().call)
            return errorAt(start, 1, u"«;» serve a separare i valori di una funzione, come in resto(x; 2)"_s);
        frames_.back().compared = false;
        push(Kind::Separator, start, 1, ",");
        return std::nullopt;
    case U'\u00B2': // ²
    case U'\u00B3': // ³
        return errorAt(start, 1, u"per le potenze usa «^», come in x ^ 2"_s);
    case U',':
    case U'.':
        return errorAt(
            start, 1,
            c == U',' ? u"«,» si usa solo dentro i numeri, come in 2,5: per separare i valori usa «;»"_s
                      : u"«.» si usa solo dentro i numeri, come in 2.5: per separare i valori usa «;»"_s);
    default:
        break;
    }
    if (!QChar::isPrint(c))
        return errorAt(start, units, u"c'è un carattere invisibile che non capisco"_s);
    return errorAt(start, units, u"non capisco il carattere "_s + quoted(text_.mid(start, units)));
}

std::optional<ModelError> Translator::closeBracket(Kind kind, qsizetype position) {
    const bool bar = kind == Kind::BarClose;
    if (frames_.size() == 1) {
        if (!bar)
            return errorAt(position, 1, u"c'è una parentesi chiusa di troppo"_s);
        // "2|x|": the first bar follows a value, but another one comes later: an operation is missing.
        if (text_.indexOf(u'|', position + 1) >= 0) {
            return errorAt(position, 1, u"manca un segno di operazione prima di «|»"_s);
        }
        return errorAt(position, 1, u"c'è una sbarra «|» di troppo"_s);
    }
    const Token &opener = tokens_[std::size_t(frames_.back().opener)];
    if ((opener.kind == Kind::BarOpen) != bar)
        return unclosed();
    push(kind, position, 1, ")");
    tokens_.back().link = frames_.back().opener;
    frames_.pop_back();
    return std::nullopt;
}

// The innermost bracket still open.
ModelError Translator::unclosed() const {
    const Token &opener = tokens_[std::size_t(frames_.back().opener)];
    return at(opener, opener.kind == Kind::BarOpen ? u"manca la seconda sbarra «|»"_s
                                                   : u"manca una parentesi chiusa"_s);
}

int Translator::tokenAtOutput(int outPosition) const {
    const auto found =
        std::lower_bound(tokens_.begin(), tokens_.end(), outPosition,
                         [](const Token &t, int p) { return t.outPosition + t.outLength <= p; });
    return found == tokens_.end() ? -1 : int(found - tokens_.begin());
}

ModelError Translator::arityError(int functionToken) const {
    const Token &token = tokens_[std::size_t(functionToken)];
    const FunctionWord &word = functionWords[std::size_t(token.function)];
    const QString name = quoted(textOf(token));
    const QString example = toText(word.example);
    switch (word.arity()) {
    case Arity::One:
        return at(token, name + u" vuole un solo valore, come in "_s + example);
    case Arity::Two:
        return at(token, name + u" vuole due valori separati da «;», come in "_s + example);
    case Arity::Three:
        break;
    }
    return at(token, name + u" vuole tre parti separate da «;»: se(condizione; allora; altrimenti)"_s);
}

ModelError Translator::wantsParenthesis(const Token &function) const {
    return at(function, u"dopo "_s + quoted(textOf(function)) +
                            u" ci vuole una parentesi aperta, come in "_s +
                            toText(functionWords[std::size_t(function.function)].example));
}

// muParser's complaint, told at the player's place in the player's words.
ModelError Translator::explain(const mu::ParserError &error) const {
    if (tokens_.empty()) // a text that is not blank gives a token or a mistake of its own first
        return errorAt(0, int(text_.size()), u"non capisco il modello a questo punto"_s);
    // An unexpected operator is reported where its reading ended, everything else where it starts.
    int position = error.GetPos();
    if (error.GetCode() == mu::ecUNEXPECTED_OPERATOR)
        position -= int(error.GetToken().size());
    const int index = tokenAtOutput(position);
    if (index < 0) { // at the end: the last piece wants something after it
        const Token &last = tokens_.back();
        if (last.kind == Kind::Function)
            return wantsParenthesis(last);
        return at(last, u"manca un valore dopo "_s + quoted(textOf(last)));
    }
    const Token &token = tokens_[std::size_t(index)];
    const Token *previous = index > 0 ? &tokens_[std::size_t(index - 1)] : nullptr;
    const QString here = quoted(textOf(token));

    switch (error.GetCode()) {
    case mu::ecTOO_MANY_PARAMS:
    case mu::ecTOO_FEW_PARAMS: {
        // Reported at the call's ")" or at its name.
        int function = index;
        if (token.kind == Kind::Close && token.link >= 0)
            function = tokens_[std::size_t(token.link)].link;
        if (function >= 0 && tokens_[std::size_t(function)].kind == Kind::Function)
            return arityError(function);
        break;
    }
    default:
        break;
    }
    if (token.kind == Kind::Function &&
        (index + 1 == int(tokens_.size()) || tokens_[std::size_t(index + 1)].kind != Kind::Open) &&
        !(previous && endsOperand(previous->kind))) {
        return wantsParenthesis(token);
    }
    if (previous && endsOperand(previous->kind) &&
        (token.kind == Kind::Value || token.kind == Kind::Function || token.kind == Kind::Open ||
         token.kind == Kind::BarOpen)) {
        return at(token,
                  u"manca un segno di operazione tra "_s + quoted(textOf(*previous)) + u" e "_s + here);
    }
    if (isBinary(token.kind) || token.kind == Kind::Close || token.kind == Kind::BarClose ||
        token.kind == Kind::Separator) {
        if (previous && isBinary(previous->kind)) {
            const QStringView sign = textOf(token);
            if (sign == u"-" || sign == u"+" || sign == u"\u2212")
                return at(token, u"due segni di fila: metti il secondo tra parentesi, come in 3 * (-2)"_s);
            return at(token, u"manca un valore tra "_s + quoted(textOf(*previous)) + u" e "_s + here);
        }
        return at(token, u"manca un valore prima di "_s + here);
    }
    return at(token, u"non capisco il modello a questo punto"_s);
}

} // namespace

// What a compiled model keeps: its text, its mistake, or the parser ready to evaluate. The parser
// reads x through a pointer, so the two live together and are never moved.
struct Model::Compiled {
    QString text;
    bool blank = true;
    std::optional<ModelError> error;
    mutable double x = 0;
    std::unique_ptr<ModelParser> parser;
};

Model::Model() = default;
Model::~Model() = default;
Model::Model(const Model &) = default;
Model &Model::operator=(const Model &) = default;

Model Model::compile(const QString &text) {
    auto compiled = std::make_shared<Compiled>();
    compiled->text = text;
    compiled->blank = text.trimmed().isEmpty();
    Model model;
    if (compiled->blank) {
        model.compiled_ = std::move(compiled);
        return model;
    }
    if (text.size() > maxTextLength) {
        compiled->error = errorAt(maxTextLength, text.size() - maxTextLength, u"il modello è troppo lungo"_s);
        model.compiled_ = std::move(compiled);
        return model;
    }

    Translator translator(text);
    compiled->error = translator.run();
    if (!compiled->error) {
        auto parser = std::make_unique<ModelParser>(&compiled->x);
        try {
            parser->SetExpr(translator.output());
            parser->Eval(); // muParser parses on the first evaluation
            compiled->parser = std::move(parser);
        } catch (const mu::ParserError &error) {
            compiled->error = translator.explain(error);
        }
    }
    model.compiled_ = std::move(compiled);
    return model;
}

bool Model::isEmpty() const {
    return !compiled_ || compiled_->blank;
}

bool Model::isValid() const {
    return compiled_ && compiled_->parser;
}

const std::optional<ModelError> &Model::error() const {
    static const std::optional<ModelError> none;
    return compiled_ ? compiled_->error : none;
}

const QString &Model::text() const {
    static const QString empty;
    return compiled_ ? compiled_->text : empty;
}

double Model::value(double x) const {
    if (!isValid())
        return unknownValue;
    compiled_->x = std::isfinite(x) ? x : unknownValue; // the machine answers "?" for such an input too
    try {
        return finiteOrUnknown(compiled_->parser->Eval());
    } catch (const mu::ParserError &) {
        return unknownValue;
    }
}

QString Model::caption(QStringView inputText, QStringView decimalSeparator) const {
    if (!isValid())
        return {};
    return numberText(value(readInputValue(inputText)), decimalSeparator);
}

} // namespace ingranix::notebook
