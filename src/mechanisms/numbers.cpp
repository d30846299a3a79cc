#include "numbers.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace ingranix {

namespace {

// Blanks, tabs and line feeds are skipped anywhere in the input, even inside a number ("1 2" is 12).
bool isSkipped(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

int digitValue(char16_t c, int base) {
    int value = base; // not a digit
    if (c >= u'0' && c <= u'9')
        value = c - u'0';
    else if (c >= u'a' && c <= u'f')
        value = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
        value = c - u'A' + 10;
    return value < base ? value : -1;
}

// Walks the text one significant character at a time, skipping blanks, so the parser never copies
// the input: a 1 MB paste costs one pass and no allocation.
class Cursor {
public:
    explicit Cursor(QStringView text) : text_(text) { skip(); }

    bool atEnd() const { return pos_ >= text_.size(); }
    char16_t peek() const { return atEnd() ? u'\0' : text_[pos_].unicode(); }
    void advance() {
        ++pos_;
        skip();
    }

private:
    void skip() {
        while (pos_ < text_.size() && isSkipped(text_[pos_].unicode()))
            ++pos_;
    }

    QStringView text_;
    qsizetype pos_ = 0;
};

// &H / &O: a whole number in base 16 or 8, read as a non-negative magnitude (no 16- or 32-bit wrap:
// "&HFFFF" is 65535, "&HFFFFFFFFFFFFFFFF" is 18446744073709551615 rounded to a double). The first
// 64 bits are kept exactly, later digits only scale the value and mark a lost remainder so the final
// conversion still rounds correctly; past the range of a double the value is an infinity.
double readWholeNumber(Cursor &cursor, int base, int bitsPerDigit) {
    std::uint64_t mantissa = 0;
    int extraBits = 0;
    bool lostBits = false;
    for (int digit = digitValue(cursor.peek(), base); digit >= 0; digit = digitValue(cursor.peek(), base)) {
        if (extraBits == 0 && mantissa <= (std::numeric_limits<std::uint64_t>::max() >> bitsPerDigit)) {
            mantissa = (mantissa << bitsPerDigit) | std::uint64_t(digit);
        } else {
            extraBits = std::min(extraBits + bitsPerDigit, 4096); // 2^4096 is already infinite
            lostBits = lostBits || digit != 0;
        }
        cursor.advance();
    }
    if (lostBits)
        mantissa |= 1; // a sticky bit far below a double's 53 bits keeps the rounding exact
    return std::ldexp(double(mantissa), extraBits);
}

// Significant digits kept for the decimal conversion: enough for a correctly rounded double,
// with one more non-zero digit standing for any further ones.
constexpr int maxKeptDigits = 780;
// Explicit exponents are clamped far beyond both a double's range and any text's length, so that
// "1E99999999999999999999" cannot overflow and digit positions still count exactly.
constexpr std::int64_t exponentLimit = 1'000'000'000'000'000;

double readDecimal(Cursor &cursor) {
    std::array<char, maxKeptDigits + 32> buffer; // digits, a sticky digit, 'E' and a small exponent
    int kept = 0;
    std::uint64_t leading = 0; // the first 15 kept digits as a whole number
    bool lostDigits = false;
    std::int64_t scale = 0; // power of ten by which the kept digits are multiplied; |scale| <= text length
    bool anyDigit = false;

    auto takeDigit = [&](char digit, bool afterPoint) {
        anyDigit = true;
        if (kept == 0 && digit == '0') { // leading zeros carry no digits, only position
            if (afterPoint)
                --scale;
            return;
        }
        if (kept < maxKeptDigits) {
            if (kept < 15)
                leading = leading * 10 + std::uint64_t(digit - '0');
            buffer[std::size_t(kept++)] = digit;
            if (afterPoint)
                --scale;
        } else {
            lostDigits = lostDigits || digit != '0';
            if (!afterPoint)
                ++scale;
        }
    };

    while (cursor.peek() >= u'0' && cursor.peek() <= u'9') {
        takeDigit(char(cursor.peek()), false);
        cursor.advance();
    }
    if (cursor.peek() == u'.') {
        cursor.advance();
        while (cursor.peek() >= u'0' && cursor.peek() <= u'9') {
            takeDigit(char(cursor.peek()), true);
            cursor.advance();
        }
    }
    if (!anyDigit)
        return 0.0; // "", "-", ".", "E5": not a number

    const char16_t e = cursor.peek();
    if (e == u'E' || e == u'e' || e == u'D' || e == u'd') {
        cursor.advance();
        bool negative = false;
        if (cursor.peek() == u'+' || cursor.peek() == u'-') {
            negative = cursor.peek() == u'-';
            cursor.advance();
        }
        std::int64_t exponent = 0;
        while (cursor.peek() >= u'0' && cursor.peek() <= u'9') {
            exponent = std::min(exponent * 10 + (cursor.peek() - u'0'), exponentLimit);
            cursor.advance();
        }
        scale += negative ? -exponent : exponent;
    }

    if (kept == 0)
        return 0.0;
    // Typed numbers are short: up to 15 digits are exact in a double, and so are powers of ten up to
    // 1e22, so one multiplication or division rounds correctly without the general conversion.
    static constexpr std::array<double, 23> powersOfTen{1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (kept <= 15 && scale >= -22 && scale <= 22) {
        return scale >= 0 ? double(leading) * powersOfTen[std::size_t(scale)]
                          : double(leading) / powersOfTen[std::size_t(-scale)];
    }
    if (lostDigits) {
        buffer[std::size_t(kept++)] = '1';
        --scale;
    }
    // Far outside a double's range the answer is known without converting.
    if (scale + kept > 400)
        return std::numeric_limits<double>::infinity();
    if (scale + kept < -400)
        return 0.0;

    // "<digits>E<scale>" has no decimal point, so the conversion cannot depend on the C locale.
    char *end = buffer.data() + kept;
    *end++ = 'E';
    end = std::to_chars(end, buffer.data() + buffer.size(), scale).ptr;
    double value = 0.0;
    const auto result = std::from_chars(buffer.data(), end, value);
    // Out of range means too large or too small; the value's size tells which, not the exponent alone:
    // 310 digits without an exponent are too large.
    if (result.ec == std::errc::result_out_of_range)
        value = scale + kept > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return value;
}

} // namespace

double readInputValue(QStringView text) {
    Cursor cursor(text);
    bool negative = false;
    if (cursor.peek() == u'+' || cursor.peek() == u'-') {
        negative = cursor.peek() == u'-';
        cursor.advance();
    }

    double magnitude = 0.0;
    if (cursor.peek() == u'&') {
        cursor.advance();
        const char16_t prefix = cursor.peek();
        if (prefix == u'H' || prefix == u'h') {
            cursor.advance();
            magnitude = readWholeNumber(cursor, 16, 4);
        } else if (prefix == u'O' || prefix == u'o') {
            cursor.advance();
            magnitude = readWholeNumber(cursor, 8, 3);
        }
    } else {
        magnitude = readDecimal(cursor);
    }
    return negative ? -magnitude : magnitude;
}

std::optional<qint16> roundInput(double x) {
    if (!std::isfinite(x))
        return std::nullopt;
    // Explicit ties-to-even, independent of the floating-point rounding mode. x - floor(x) is exact.
    const double below = std::floor(x);
    const double fraction = x - below;
    double rounded = below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0))
        rounded = below + 1.0;
    if (rounded < -32768.0 || rounded > 32767.0)
        return std::nullopt;
    return qint16(rounded);
}

QString numberText(double value, QStringView decimalSeparator) {
    if (!std::isfinite(value))
        return QStringLiteral("?");
    if (value == 0.0)
        return QStringLiteral("0"); // also -0: a caption never shows "-0"

    // Most captions are whole numbers of fewer than 16 digits: they are exact, print them directly.
    if (std::fabs(value) < 1e15 && value == std::trunc(value))
        return QString::number(qint64(value));

    // Scientific form with 15 significant digits, correctly rounded and locale-free:
    // "-d.dddddddddddddde+XX". The shortest form that reads back as the value is cheaper, and when it
    // has at most 15 digits it is that rounding: two 15-digit decimals lie further apart than the
    // half-unit (of a 53-bit mantissa) within which both would have to sit.
    std::array<char, 40> sci;
    auto converted = std::to_chars(sci.data(), sci.data() + sci.size(), value, std::chars_format::scientific);
    const auto mantissaDigits = [&] {
        int count = 0;
        for (const char *c = sci.data(); c < converted.ptr && *c != 'e'; ++c)
            count += (*c >= '0' && *c <= '9') ? 1 : 0;
        return count;
    };
    if (!std::isnormal(value) || mantissaDigits() > 15) // subnormals have fewer than 53 bits
        converted =
            std::to_chars(sci.data(), sci.data() + sci.size(), value, std::chars_format::scientific, 14);
    const char *p = sci.data();
    const char *const end = converted.ptr;
    const bool negative = *p == '-';
    if (negative)
        ++p;

    std::array<char, 15> digits;
    int count = 0;
    for (; p < end && *p != 'e'; ++p) {
        if (*p != '.')
            digits[std::size_t(count++)] = *p;
    }
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), end, exponent);
    while (count > 1 && digits[std::size_t(count - 1)] == '0')
        --count;

    // The caption is built as the part before the decimal separator, the separator (when there is
    // a fraction) and the part after it, then copied once into the string.
    std::array<char, 32> head;
    std::array<char, 48> tail;
    int headSize = 0;
    int tailSize = 0;
    if (negative)
        head[std::size_t(headSize++)] = '-';
    if (exponent >= 15 || exponent < -4) {
        head[std::size_t(headSize++)] = digits[0];
        for (int i = 1; i < count; ++i)
            tail[std::size_t(tailSize++)] = digits[std::size_t(i)];
        // Written after the separator's place; when there is no fraction it follows the digit directly.
        tail[std::size_t(tailSize++)] = 'E';
        tail[std::size_t(tailSize++)] = exponent < 0 ? '-' : '+';
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10)
            tail[std::size_t(tailSize++)] = '0';
        tailSize = int(std::to_chars(tail.data() + tailSize, tail.data() + tail.size(), magnitude).ptr -
                       tail.data());
    } else if (exponent >= 0) {
        for (int i = 0; i <= exponent; ++i)
            head[std::size_t(headSize++)] = i < count ? digits[std::size_t(i)] : '0';
        for (int i = exponent + 1; i < count; ++i)
            tail[std::size_t(tailSize++)] = digits[std::size_t(i)];
    } else {
        head[std::size_t(headSize++)] = '0';
        for (int i = -1; i > exponent; --i)
            tail[std::size_t(tailSize++)] = '0';
        for (int i = 0; i < count; ++i)
            tail[std::size_t(tailSize++)] = digits[std::size_t(i)];
    }

    const bool hasFraction = tailSize > 0 && tail[0] != 'E';
    const QStringView separator = decimalSeparator.isEmpty() ? QStringView(u".") : decimalSeparator;
    const qsizetype separatorSize = hasFraction ? separator.size() : 0;
    QString text(headSize + separatorSize + tailSize, Qt::Uninitialized);
    QChar *out = text.data();
    for (int i = 0; i < headSize; ++i)
        *out++ = QLatin1Char(head[std::size_t(i)]);
    for (qsizetype i = 0; i < separatorSize; ++i)
        *out++ = separator[i];
    for (int i = 0; i < tailSize; ++i)
        *out++ = QLatin1Char(tail[std::size_t(i)]);
    return text;
}

QString integerText(qint32 value) {
    return QString::number(value);
}

QString systemDecimalSeparator() {
    return QLocale::system().decimalPoint();
}

} // namespace ingranix
