#include "mechanisms/mechanisms.h"
#include "mechanisms/numbers.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace ingranix;
using namespace Qt::Literals::StringLiterals;

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

// Every cell holds 10 * row + column unless the case names it: a calculation that reads the wrong
// entry then shows a result far from the expected one.
ConstantsTable makeConstants(const QString &assignments) {
    ConstantsTable table;
    for (int row = 1; row <= 4; ++row) {
        for (int column = 1; column <= 4; ++column)
            table.set(row, column, qint16(10 * row + column));
    }
    // "14=6 12=3": C(1,4) = 6, C(1,2) = 3
    for (const QString &part : assignments.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        table.set(part.at(0).digitValue(), part.at(1).digitValue(), qint16(part.mid(3).toInt()));
    return table;
}

QString run(int level, int index, const QString &colour, ConstantsTable &constants, const QString &input,
            const QString &separator = u"."_s) {
    return runMechanism(u"Livello%1"_s.arg(level), index, {input, colour, constants, separator});
}

// One table row on one line, whatever the columns.
template <typename... Values> void row(const char *name, const Values &...values) {
    (QTest::newRow(name) << ... << values);
}

// A worked example: one colour of one row, its constants, input and caption.
void example(const char *name, int index, const char *colour, const char *constants, const QString &input,
             const char *expected, const char *separator = ".") {
    row(name, index, QString::fromLatin1(colour), QString::fromLatin1(constants), input,
        QString::fromLatin1(expected), QString::fromLatin1(separator));
}

} // namespace

class TestMechanisms : public QObject {
    Q_OBJECT

private slots:
    void readInputValue_data();
    void readInputValue();
    void roundInput_data();
    void roundInput();
    void numberText_data();
    void numberText();
    void dispatch_data();
    void dispatch();
    void cells_data();
    void cells();
    void level1_data();
    void level1() { checkExample(1); }
    void level2_data();
    void level2() { checkExample(2); }
    void level3_data();
    void level3() { checkExample(3); }
    void level4_data();
    void level4() { checkExample(4); }
    void thresholdAdjustment_data();
    void thresholdAdjustment();

private:
    static void exampleColumns();
    static void checkExample(int level);
};

// ---- reading, rounding and writing numbers ----

void TestMechanisms::readInputValue_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    row("trailing letters ignored", u"12abc"_s, 12.0);
    row("tab and line feed inside", u"\t1\n2\t"_s, 12.0);
    row("comma is not a decimal point", u"3,5"_s, 3.0);
    row("exponent d lower case", u"1d3"_s, 1000.0);
    row("exponent without digits", u"1E+"_s, 1.0);
    row("second period stops", u"1.2.3"_s, 1.2);
    row("two signs", u"--4"_s, 0.0);
    row("carriage return is not a blank", u"\r5"_s, 0.0);
    row("no-break space is not a blank", QString::fromUtf8("1\u00a02"), 1.0);
    row("fullwidth digits", QString::fromUtf8("\uff11\uff12"), 0.0);
    row("hex lower case", u"&hff"_s, 255.0);
    row("octal stops at 8", u"&O18"_s, 1.0);
    row("hex beyond 64 bits", u"&H100000000000000000000"_s, std::ldexp(1.0, 80));
    row("tie rounds to even", u"9007199254740993"_s, 9007199254740992.0);
    row("negative overflow", u"-1E400"_s, -infinity);
    row("huge exponent", u"1E99999999999999999999"_s, infinity);
    row("underflow", u"1E-400"_s, 0.0);
    row("1 MB of zeros, then an exponent", "0." + QString(1 << 20, QLatin1Char('0')) + "1E1048576", 0.1);
}

void TestMechanisms::readInputValue() {
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(ingranix::readInputValue(text), expected);
}

void TestMechanisms::roundInput_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<int>("expected"); // -1 when out of range
    row("-0.5 to 0", -0.5, 0);
    row("just below a half", 0.49999999999999994, 0);
    row("largest", 32767.4, 32767);
    row("32767.5 rounds out of range", 32767.5, -1);
    row("smallest, tie to even", -32768.5, -32768);
    row("-32768.6 out of range", -32768.6, -1);
    row("infinity", infinity, -1);
    row("not a number", notANumber, -1);
}

void TestMechanisms::roundInput() {
    QFETCH(double, x);
    QFETCH(int, expected);
    const std::optional<qint16> n = ingranix::roundInput(x);
    QCOMPARE(n.has_value(), expected != -1);
    if (n)
        QCOMPARE(int(*n), expected);
}

void TestMechanisms::numberText_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("expected");
    const QString period = u"."_s;
    const QString comma = u","_s;
    row("fraction, comma", 5.5, comma, u"5,5"_s);
    row("negative zero", -0.0, period, u"0"_s);
    row("1.1 x 3 keeps 15 digits", 1.1 * 3, period, u"3.3"_s);
    row("largest fixed", 999999999999999.0, period, u"999999999999999"_s);
    row("rounds up to 1E+15", 999999999999999.9, period, u"1E+15"_s);
    row("long mantissa, comma", 123456789012345678.0, comma, u"1,23456789012346E+17"_s);
    row("smallest fixed, comma", 0.00012, comma, u"0,00012"_s);
    row("1E-05", 0.00001, period, u"1E-05"_s);
    row("rounds up to 0.0001", 0.00009999999999999999, period, u"0.0001"_s);
    row("not a number", notANumber, period, u"?"_s);
    row("empty separator falls back to period", 5.5, QString(), u"5.5"_s);
}

void TestMechanisms::numberText() {
    QFETCH(double, value);
    QFETCH(QString, separator);
    QFETCH(QString, expected);
    QCOMPARE(ingranix::numberText(value, separator), expected);
}

// ---- dispatch ----

void TestMechanisms::dispatch_data() {
    QTest::addColumn<QString>("level");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<int>("levelNumber");
    QTest::addColumn<QString>("expected");
    const QString rosso = u"rosso"_s;
    const QString unknown = u"?"_s;
    // C(1,1) = 11, C(2,1) = 21: input 1 through an addition tells which level ran.
    row("Livello1 1 rosso adds C(1,1)", u"Livello1"_s, 1, rosso, 1, u"12"_s);
    row("Livello2 1 rosso adds C(2,1)", u"Livello2"_s, 1, rosso, 2, u"22"_s);
    row("Livello3 1 grigio adds C(2,1)", u"Livello3"_s, 1, u"grigio"_s, 3, u"22"_s);
    row("Livello4 9 verde", u"Livello4"_s, 9, u"verde"_s, 4, u"132"_s);
    row("level in lower case", u"livello1"_s, 1, rosso, 0, unknown);
    row("Livello5", u"Livello5"_s, 1, rosso, 0, unknown);
    row("index 0", u"Livello1"_s, 0, rosso, 1, unknown);
    row("index 10", u"Livello1"_s, 10, rosso, 1, unknown);
    row("colour capitalised", u"Livello1"_s, 1, u"Rosso"_s, 1, unknown);
}

void TestMechanisms::dispatch() {
    QFETCH(QString, level);
    QFETCH(int, index);
    QFETCH(QString, colour);
    QFETCH(int, levelNumber);
    QFETCH(QString, expected);
    QCOMPARE(ingranix::levelNumber(level), levelNumber);
    ConstantsTable constants = makeConstants({});
    const ConstantsTable before = constants;
    QCOMPARE(runMechanism(level, index, {u"1"_s, colour, constants, u"."}), expected);
    QCOMPARE(constants, before);
}

// ---- every cell of every level on one input: catches a calculation or constant in the wrong cell ----

void TestMechanisms::cells_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("constants");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("captions"); // rosso, verde, blu, grigio

    // add 4 gives 10.4, subtract 3 gives 3.4; n = 6: parity "1", threshold 6 shows "6";
    // on x (index 6): parity "0", threshold "1".
    QString c = u"11=4 12=3 14=6"_s;
    QString in = u"6.4"_s;
    row("Mechanism1_1", 1, 1, c, in, QStringList{"10.4", "3.4", "1", "6"});
    row("Mechanism1_2", 1, 2, c, in, QStringList{"6", "1", "3.4", "10.4"});
    row("Mechanism1_3", 1, 3, c, in, QStringList{"3.4", "10.4", "6", "1"});
    row("Mechanism1_4", 1, 4, c, in, QStringList{"1", "6", "10.4", "3.4"});
    row("Mechanism1_5", 1, 5, c, in, QStringList{"3.4", "10.4", "1", "6"});
    row("Mechanism1_6", 1, 6, c, in, QStringList{"10.4", "0", "3.4", "1"});
    row("Mechanism1_7", 1, 7, c, in, QStringList{"6", "3.4", "1", "10.4"});
    row("Mechanism1_8", 1, 8, c, in, QStringList{"10.4", "3.4", "3.4", "6"});

    // add 2: 13.5, multiply 3: 34.5, subtract 4: 7.5, quotient 3 on n = 12: 4, on x: 3.
    c = u"21=2 22=3 23=4 24=3"_s;
    in = u"11.5"_s;
    row("Mechanism2_1", 2, 1, c, in, QStringList{"13.5", "34.5", "7.5", "4"});
    row("Mechanism2_2", 2, 2, c, in, QStringList{"34.5", "13.5", "7.5", "4"});
    row("Mechanism2_3", 2, 3, c, in, QStringList{"7.5", "34.5", "13.5", "3"});
    row("Mechanism2_4", 2, 4, c, in, QStringList{"3", "34.5", "7.5", "13.5"});
    row("Mechanism2_5", 2, 5, c, in, QStringList{"13.5", "7.5", "34.5", "4"});
    row("Mechanism2_6", 2, 6, c, in, QStringList{"13.5", "7.5", "4", "34.5"});
    row("Mechanism2_7", 2, 7, c, in, QStringList{"13.5", "4", "7.5", "34.5"});
    row("Mechanism2_8", 2, 8, c, in, QStringList{"34.5", "4", "13.5", "7.5"});
    row("Mechanism2_9", 2, 9, c, in, QStringList{"4", "34.5", "7.5", "13.5"});

    // From here C(r,c) = 10r + c: each result names its operation and its entry. Input 1000 for
    // Level 3; for Level 4 the odd input 7 and the even 50 take both sides of every parity row.
    c = QString();
    in = u"1000"_s;
    row("Mechanism3_1", 3, 1, c, in, QStringList{"32", "22000", "977", "1021"});
    row("Mechanism3_2", 3, 2, c, in, QStringList{"23000", "1023", "977", "43"});
    row("Mechanism3_3", 3, 3, c, in, QStringList{"968", "34000", "1031", "30"});
    row("Mechanism3_4", 3, 4, c, in, QStringList{"29", "31000", "977", "1041"});
    row("Mechanism3_5", 3, 5, c, in, QStringList{"1041", "957", "42000", "41"});
    row("Mechanism3_6", 3, 6, c, in, QStringList{"1034", "967", "41", "41000"});
    row("Mechanism3_7", 3, 7, c, in, QStringList{"1021", "71", "957", "12000"});
    row("Mechanism3_8", 3, 8, c, in, QStringList{"11000", "83", "1021", "977"});
    row("Mechanism3_9", 3, 9, c, in, QStringList{"41", "22000", "987", "1024"});

    in = u"7"_s;
    row("Mechanism4_1 odd", 4, 1, c, in, QStringList{"252", "1470", "336", "2244"});
    row("Mechanism4_2 odd", 4, 2, c, in, QStringList{"258", "4", "-36", "301"});
    row("Mechanism4_3 odd", 4, 3, c, in, QStringList{"252", "301", "264", "24"});
    row("Mechanism4_4 odd", 4, 4, c, in, QStringList{"-36", "264", "184", "24"});
    row("Mechanism4_5 odd", 4, 5, c, in, QStringList{"1470", "264", "272", "-36"});
    row("Mechanism4_6 odd", 4, 6, c, in, QStringList{"24", "264", "1470", "1"});
    row("Mechanism4_7 odd", 4, 7, c, in, QStringList{"-36", "1", "24", "301"});
    row("Mechanism4_8 odd", 4, 8, c, in, QStringList{"1470", "-36", "84", "104"});
    row("Mechanism4_9 odd", 4, 9, c, in, QStringList{"24", "396", "1", "240"});
    in = u"50"_s;
    row("Mechanism4_1 even", 4, 1, c, in, QStringList{"2058", "336", "2142", "4136"});
    row("Mechanism4_2 even", 4, 2, c, in, QStringList{"2107", "1", "93", "0"});
    row("Mechanism4_3 even", 4, 3, c, in, QStringList{"2058", "0", "2156", "26"});
    row("Mechanism4_4 even", 4, 4, c, in, QStringList{"93", "2156", "1173", "26"});
    row("Mechanism4_5 even", 4, 5, c, in, QStringList{"336", "2156", "1734", "93"});
    row("Mechanism4_6 even", 4, 6, c, in, QStringList{"26", "2156", "336", "3"});
    row("Mechanism4_7 even", 4, 7, c, in, QStringList{"93", "3", "26", "0"});
    row("Mechanism4_8 even", 4, 8, c, in, QStringList{"336", "93", "686", "663"});
    row("Mechanism4_9 even", 4, 9, c, in, QStringList{"26", "2288", "3", "1701"});
}

void TestMechanisms::cells() {
    QFETCH(int, level);
    QFETCH(int, index);
    QFETCH(QString, constants);
    QFETCH(QString, input);
    QFETCH(QStringList, captions);
    const char *const colours[] = {"rosso", "verde", "blu", "grigio"};
    for (int colour = 0; colour < 4; ++colour) {
        ConstantsTable table = makeConstants(constants);
        QCOMPARE(run(level, index, QString::fromLatin1(colours[colour]), table, input), captions.at(colour));
    }
}

// ---- the worked examples and every failure, level by level ----

void TestMechanisms::exampleColumns() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QString>("constants");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("separator");
}

void TestMechanisms::checkExample(int level) {
    QFETCH(int, index);
    QFETCH(QString, colour);
    QFETCH(QString, constants);
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QFETCH(QString, separator);
    ConstantsTable table = makeConstants(constants);
    QCOMPARE(run(level, index, colour, table, input, separator), expected);
}

void TestMechanisms::level1_data() {
    exampleColumns();
    example("subtract: equal is ?", 1, "verde", "12=3", "3", "?");
    example("subtract: fraction, comma", 6, "blu", "12=3", "3.5", "0,5", ",");
    example("add: 40000 has no 16-bit limit", 7, "grigio", "11=3", "40000", "40003");
    example("add: -0 never shows -0", 8, "rosso", "11=0", "-0", "0");
    example("add: infinite input", 5, "verde", "11=4", "1E400", "?");
    example("parity: -3 is odd", 2, "verde", "", "-3", "0");
    example("parity: 2.5 rounds to 2", 3, "grigio", "", "2.5", "1");
    example("parity: 3.5 rounds to 4", 4, "rosso", "", "3.5", "1");
    example("parity: 40000 has no n", 5, "blu", "", "40000", "?");
    example("parity on x: 40000 is not rounded", 6, "verde", "", "40000", "1");
    example("threshold: above", 2, "rosso", "14=6", "7", "1");
    example("threshold: equal shows it", 3, "blu", "14=6", "6", "6");
    example("threshold: below", 4, "verde", "14=6", "5", "0");
    example("threshold: 6.4 rounds to 6", 5, "grigio", "14=6", "6.4", "6");
    example("threshold: 40000 has no n", 8, "grigio", "14=6", "40000", "?");
    example("threshold on x: 6.4 is above", 6, "grigio", "14=6", "6.4", "1");
    example("threshold on x: infinite input", 6, "grigio", "14=6", "-1E400", "?");
}

void TestMechanisms::level2_data() {
    exampleColumns();
    example("subtract to zero: equal", 2, "blu", "23=4", "4", "0");
    example("subtract to zero: fraction", 4, "blu", "23=4", "4.5", "0.5");
    example("multiply: fraction, comma", 1, "verde", "22=3", "2.5", "7,5", ",");
    example("multiply: overflow", 5, "blu", "22=9", "1E308", "?");
    example("add: whole, comma", 3, "blu", "21=3", "2", "5", ",");
    example("add: infinite input", 4, "grigio", "21=3", "-1E400", "?");
    example("quotient: equal", 2, "grigio", "24=3", "3", "1");
    example("quotient: below", 5, "grigio", "24=3", "2", "0");
    example("quotient: 11.5 rounds to 12", 7, "verde", "24=3", "11.5", "4");
    example("quotient: 40000 has no n", 9, "rosso", "24=4", "40000", "?");
    example("quotient: zero divisor", 1, "grigio", "24=0", "5", "?");
    example("quotient: zero divisor, below", 5, "grigio", "24=0", "-5", "0");
    example("quotient on x: 40000 is not rounded", 4, "rosso", "24=4", "40000", "10000");
    example("quotient on x: zero divisor", 3, "grigio", "24=0", "7", "?");
}

void TestMechanisms::level3_data() {
    exampleColumns();
    example("guarded ratio on n: 3", 1, "rosso", "31=4", "3", "1");
    example("guarded ratio on n: 2.5 rounds to 2", 1, "rosso", "31=4", "2.5", "2");
    example("guarded ratio on n: negative", 1, "rosso", "31=3", "-2", "-2");
    example("guarded ratio on n: 0", 1, "rosso", "31=4", "0", "?");
    example("guarded ratio on n: 40000", 1, "rosso", "31=4", "40000", "?");
    example("guarded ratio on n: zero constant", 2, "grigio", "23=0", "5", "?");
    example("ratio on x: 2.5 is not rounded", 3, "grigio", "33=4", "2.5", "1");
    example("ratio on x: 0.4 divides", 4, "rosso", "34=4", "0.4", "10");
    example("ratio on x: tiny input overflows", 4, "rosso", "34=4", "1E-320", "?");
    example("ratio on x: zero constant", 4, "rosso", "34=0", "3", "?");
    example("ratio on n: 0", 5, "grigio", "24=3", "0", "?");
    example("ratio on n: C(1,4)", 7, "verde", "14=2", "9", "4");
    example("ratio on n: zero constant, negative input", 9, "rosso", "24=0", "-5", "0");
    example("product: fraction, comma", 1, "verde", "22=3", "2.5", "7,5", ",");
    example("product: overflow", 9, "verde", "22=9", "-1E308", "?");
    example("distance: below", 1, "blu", "23=5", "2", "3");
    example("distance: above", 1, "blu", "23=5", "7", "2");
    example("Mechanism3_2 grigio", 2, "grigio", "23=6", "3", "2");
    example("sum: infinite input", 2, "verde", "23=6", "1E400", "?");
}

void TestMechanisms::level4_data() {
    exampleColumns();
    example("shift then product: 0", 1, "rosso", "42=3", "0", "-3");
    example("shift then product: 3.5 rounds to 4", 8, "blu", "14=3", "3.5", "9");
    example("shift then product: step out of range", 5, "blu", "34=9", "4000", "?");
    example("shift then product: shift out of range", 8, "grigio", "13=1", "32767", "?");
    example("shift then product: last in range", 1, "blu", "42=1", "32766", "32767");
    example("shift then product: 40000 has no n", 4, "blu", "23=1", "40000", "?");
    example("distance times constant: |-32768| out of range", 1, "verde", "42=8", "-4088", "?");
    example("distance times constant: largest", 1, "verde", "42=8", "-4087", "32760");
    example("sum then product: out of range", 1, "grigio", "44=9", "3700", "?");
    example("product then shift: out of range", 4, "verde", "44=2", "-16384", "?");
    example("product then shift: last in range", 4, "verde", "44=2", "-16383", "-32768");
    example("parity shift: odd", 2, "blu", "43=4", "7", "3");
    example("parity shift: negative odd", 2, "blu", "43=4", "-3", "-7");
    example("parity shift: out of range", 4, "rosso", "43=9", "32766", "?");
    example("product or quotient: negative even floors", 7, "grigio", "43=6", "-4", "-2");
    example("product or quotient: 0.4 is 0", 3, "verde", "43=6", "0.4", "?");
    example("product or quotient: odd out of range", 2, "grigio", "43=9", "-3641", "?");
    example("inverse quotient: negative floors", 2, "verde", "24=3", "-2", "-1");
    example("inverse quotient: 0", 2, "verde", "24=3", "0", "?");
    example("quotient plus one: -1 floors", 6, "grigio", "24=3", "-1", "0");
    example("quotient plus one: zero constant", 7, "verde", "24=0", "7", "?");
    example("quotient plus constant: extremes stay whole", 9, "rosso", "24=-1", "-32768", "32767");
    example("product then shift parity: out of range", 9, "grigio", "34=1", "32767", "?");
}

// ---- Level 1's threshold adjustment, which writes into the constants table ----

void TestMechanisms::thresholdAdjustment_data() {
    QTest::addColumn<int>("threshold");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("thresholdAfter");
    const QString grigio = u"grigio"_s;
    row("0 becomes 4", 0, 2, u"rosso"_s, u"4"_s, u"4"_s, 4);
    row("1 becomes 5, input 1", 1, 5, grigio, u"1"_s, u"0"_s, 5);
    row("1 becomes 5, input 5", 1, 5, grigio, u"5"_s, u"5"_s, 5);
    row("3 stays", 3, 7, u"rosso"_s, u"3"_s, u"3"_s, 3);
    row("on x too", 1, 6, grigio, u"5"_s, u"5"_s, 5);
    row("even when the result is ?", 0, 4, u"verde"_s, u"40000"_s, u"?"_s, 4);
    row("not at index 1", 1, 1, grigio, u"1"_s, u"1"_s, 1);
    row("not by other calculations", 1, 2, grigio, u"1"_s, u"12"_s, 1);
}

void TestMechanisms::thresholdAdjustment() {
    QFETCH(int, threshold);
    QFETCH(int, index);
    QFETCH(QString, colour);
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QFETCH(int, thresholdAfter);
    ConstantsTable table = makeConstants(u"14=%1"_s.arg(threshold));
    // Twice: the second run finds nothing more to change and gives the same caption.
    for (int run = 0; run < 2; ++run) {
        QCOMPARE(::run(1, index, colour, table, input), expected);
        QCOMPARE(int(table.at(1, 4)), thresholdAfter);
    }
    QCOMPARE(int(table.at(1, 1)), 11); // nothing else in the table moves
}

QTEST_GUILESS_MAIN(TestMechanisms)
#include "tst_mechanisms.moc"
