#include "mechanisms/mechanisms.h"
#include "mechanisms/mechanismtables.h"
#include "mechanisms/numbers.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace ingranix;

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

// Every cell holds 10 * row + column unless the case names it: a calculation that reads the wrong
// entry then shows a result far from the expected one.
ConstantsTable makeConstants(const QString &assignments) {
    ConstantsTable table;
    for (int row = 1; row <= 4; ++row) {
        for (int column = 1; column <= 4; ++column)
            table.set(row, column, qint16(10 * row + column));
    }
    // "14=6 12=3": C(1,4) = 6, C(1,2) = 3
    const auto parts = assignments.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        const int row = part.at(0).digitValue();
        const int column = part.at(1).digitValue();
        table.set(row, column, qint16(part.mid(3).toInt()));
    }
    return table;
}

const char *const colourNames[] = {"rosso", "verde", "blu", "grigio"};

QString run(int level, int index, const QString &colour, ConstantsTable &constants, const QString &input,
            const QString &separator = QStringLiteral(".")) {
    return runMechanism(QStringLiteral("Livello%1").arg(level), index, {input, colour, constants, separator});
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
    void integerText_data();
    void integerText();

    void dispatch_data();
    void dispatch();
    void rowNames();

    void level1Rows_data();
    void level1Rows() { checkRow(1); }
    void level2Rows_data();
    void level2Rows() { checkRow(2); }
    void level3Rows_data();
    void level3Rows() { checkRow(3); }
    void level4Rows_data();
    void level4Rows() { checkRow(4); }

    void level1Examples_data();
    void level1Examples() { checkExample(1); }
    void level2Examples_data();
    void level2Examples() { checkExample(2); }
    void level3Examples_data();
    void level3Examples() { checkExample(3); }
    void level4Examples_data();
    void level4Examples() { checkExample(4); }

    void thresholdAdjustment_data();
    void thresholdAdjustment();

private:
    static void rowColumns();
    static void exampleColumns();
    static void example(const char *name, int index, const char *colour, const char *constants,
                        const QString &input, const char *expected, const char *separator = ".");
    static void checkRow(int level);
    static void checkExample(int level);
};

// ---- reading, rounding and writing numbers ----

void TestMechanisms::readInputValue_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("trailing letters ignored") << "12abc" << 12.0;
    QTest::newRow("not a number") << "abc" << 0.0;
    QTest::newRow("leading blanks") << "  7" << 7.0;
    QTest::newRow("blank inside") << "1 2" << 12.0;
    QTest::newRow("tab and line feed inside") << "\t1\n2\t" << 12.0;
    QTest::newRow("comma is not a decimal point") << "3,5" << 3.0;
    QTest::newRow("exponent E") << "1E3" << 1000.0;
    QTest::newRow("exponent d lower case") << "1d3" << 1000.0;
    QTest::newRow("negative exponent") << "25E-1" << 2.5;
    QTest::newRow("exponent without digits") << "1E+" << 1.0;
    QTest::newRow("fraction") << "2.5" << 2.5;
    QTest::newRow("second period stops") << "1.2.3" << 1.2;
    QTest::newRow("leading period") << "-.5" << -0.5;
    QTest::newRow("trailing period") << "5." << 5.0;
    QTest::newRow("plus sign") << "+4" << 4.0;
    QTest::newRow("blank after sign") << "- 4" << -4.0;
    QTest::newRow("two signs") << "--4" << 0.0;
    QTest::newRow("lone exponent") << "E5" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("blanks only") << " \t\n " << 0.0;
    QTest::newRow("carriage return is not a blank") << "\r5" << 0.0;
    QTest::newRow("no-break space is not a blank") << QString::fromUtf8("1\u00a02") << 1.0;
    QTest::newRow("fullwidth digits") << QString::fromUtf8("\uff11\uff12") << 0.0;
    QTest::newRow("arabic-indic digits") << QString::fromUtf8("\u0661\u0662") << 0.0;
    QTest::newRow("control characters") << QString::fromUtf8("\x01\x02"
                                                             "5")
                                        << 0.0;
    QTest::newRow("lone surrogate after digits") << (QStringLiteral("8") + QChar(0xd800)) << 8.0;
    QTest::newRow("hex") << "&H1F" << 31.0;
    QTest::newRow("hex lower case") << "&hff" << 255.0;
    QTest::newRow("octal") << "&O17" << 15.0;
    QTest::newRow("octal stops at 8") << "&O18" << 1.0;
    QTest::newRow("hex is not 16-bit wrapped") << "&HFFFF" << 65535.0;
    QTest::newRow("hex beyond 64 bits") << "&HFFFFFFFFFFFFFFFF" << 18446744073709551615.0;
    QTest::newRow("hex 2^80") << "&H100000000000000000000" << std::ldexp(1.0, 80);
    QTest::newRow("negative hex") << "-&H10" << -16.0;
    QTest::newRow("hex without digits") << "&H" << 0.0;
    QTest::newRow("unknown prefix") << "&X1" << 0.0;
    QTest::newRow("exact decimal") << "0.1" << 0.1;
    QTest::newRow("many digits rounded once") << "123456789012345678901234567890" << 1.2345678901234568e29;
    QTest::newRow("tie rounds to even") << "9007199254740993" << 9007199254740992.0;
    QTest::newRow("smallest normal") << "2.2250738585072014E-308" << 2.2250738585072014e-308;
    QTest::newRow("largest double") << "1.7976931348623157E308" << 1.7976931348623157e308;
    QTest::newRow("overflow") << "1E400" << infinity;
    QTest::newRow("negative overflow") << "-1E400" << -infinity;
    QTest::newRow("huge exponent") << "1E99999999999999999999" << infinity;
    QTest::newRow("underflow") << "1E-400" << 0.0;
    QTest::newRow("hex overflow") << ("&H1" + QString(300, QLatin1Char('0'))) << infinity;
    QTest::newRow("1 MB of digits") << QString(1 << 20, QLatin1Char('9')) << infinity;
    QTest::newRow("1 MB of blanks, then 5") << (QString(1 << 20, QLatin1Char(' ')) + "5") << 5.0;
    QTest::newRow("1 MB of zeros after the point")
        << ("0." + QString(1 << 20, QLatin1Char('0')) + "1") << 0.0;
    QTest::newRow("1 MB of digits, then an exponent")
        << ("0." + QString(1 << 20, QLatin1Char('0')) + "1E1048576") << 0.1;
    QTest::newRow("1 MB of letters") << QString(1 << 20, QLatin1Char('x')) << 0.0;
}

void TestMechanisms::readInputValue() {
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(ingranix::readInputValue(text), expected);
}

void TestMechanisms::roundInput_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<bool>("inRange");
    QTest::addColumn<int>("expected");

    QTest::newRow("2.5 to even 2") << 2.5 << true << 2;
    QTest::newRow("3.5 to even 4") << 3.5 << true << 4;
    QTest::newRow("-2.5 to even -2") << -2.5 << true << -2;
    QTest::newRow("0.5 to 0") << 0.5 << true << 0;
    QTest::newRow("-0.5 to 0") << -0.5 << true << 0;
    QTest::newRow("1.5 to 2") << 1.5 << true << 2;
    QTest::newRow("just below a half") << 0.49999999999999994 << true << 0;
    QTest::newRow("6.4 to 6") << 6.4 << true << 6;
    QTest::newRow("-6.6 to -7") << -6.6 << true << -7;
    QTest::newRow("largest") << 32767.4 << true << 32767;
    QTest::newRow("32767.5 rounds out of range") << 32767.5 << false << 0;
    QTest::newRow("smallest, tie to even") << -32768.5 << true << -32768;
    QTest::newRow("-32768.6 out of range") << -32768.6 << false << 0;
    QTest::newRow("40000") << 40000.0 << false << 0;
    QTest::newRow("huge") << 1e300 << false << 0;
    QTest::newRow("infinity") << infinity << false << 0;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << false << 0;
}

void TestMechanisms::roundInput() {
    QFETCH(double, x);
    QFETCH(bool, inRange);
    QFETCH(int, expected);
    const std::optional<qint16> n = ingranix::roundInput(x);
    QCOMPARE(n.has_value(), inRange);
    if (inRange)
        QCOMPARE(int(*n), expected);
}

void TestMechanisms::numberText_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("expected");

    QTest::newRow("fraction, period") << 5.5 << "."
                                      << "5.5";
    QTest::newRow("fraction, comma") << 5.5 << ","
                                     << "5,5";
    QTest::newRow("whole, comma") << 5.0 << ","
                                  << "5";
    QTest::newRow("negative whole") << -3.0 << "."
                                    << "-3";
    QTest::newRow("zero") << 0.0 << "."
                          << "0";
    QTest::newRow("negative zero") << -0.0 << "."
                                   << "0";
    QTest::newRow("1.1 x 3 keeps 15 digits") << 1.1 * 3 << "."
                                             << "3.3";
    QTest::newRow("0.1 + 0.2") << 0.1 + 0.2 << ","
                               << "0,3";
    QTest::newRow("one third") << 1.0 / 3 << "."
                               << "0.333333333333333";
    QTest::newRow("two thirds rounded") << -2.0 / 3 << "."
                                        << "-0.666666666666667";
    QTest::newRow("trailing zeros dropped") << 123456.789 << "."
                                            << "123456.789";
    QTest::newRow("whole with zeros") << 1000.0 << "."
                                      << "1000";
    QTest::newRow("largest fixed") << 999999999999999.0 << "."
                                   << "999999999999999";
    QTest::newRow("rounds up to 1E+15") << 999999999999999.9 << "."
                                        << "1E+15";
    QTest::newRow("1E+15") << 1e15 << "."
                           << "1E+15";
    QTest::newRow("long mantissa") << 123456789012345678.0 << "."
                                   << "1.23456789012346E+17";
    QTest::newRow("long mantissa, comma") << 123456789012345678.0 << ","
                                          << "1,23456789012346E+17";
    QTest::newRow("negative exponent form") << -2.5e20 << "."
                                            << "-2.5E+20";
    QTest::newRow("three-digit exponent") << 1e308 << "."
                                          << "1E+308";
    QTest::newRow("smallest fixed") << 0.0001 << "."
                                    << "0.0001";
    QTest::newRow("small fixed") << 0.00012 << ","
                                 << "0,00012";
    QTest::newRow("1E-05") << 0.00001 << "."
                           << "1E-05";
    QTest::newRow("below 0.0001") << 0.00009999 << "."
                                  << "9.999E-05";
    QTest::newRow("rounds up to 0.0001") << 0.00009999999999999999 << "."
                                         << "0.0001";
    QTest::newRow("tiny negative") << -1e-20 << "."
                                   << "-1E-20";
    QTest::newRow("denormal") << 5e-324 << "."
                              << "4.94065645841247E-324";
    QTest::newRow("infinity") << infinity << "."
                              << "?";
    QTest::newRow("minus infinity") << -infinity << "."
                                    << "?";
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "."
                                  << "?";
    QTest::newRow("empty separator falls back to period") << 5.5 << ""
                                                          << "5.5";
}

void TestMechanisms::numberText() {
    QFETCH(double, value);
    QFETCH(QString, separator);
    QFETCH(QString, expected);
    QCOMPARE(ingranix::numberText(value, separator), expected);
}

void TestMechanisms::integerText_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero") << 0 << "0";
    QTest::newRow("smallest 16-bit") << -32768 << "-32768";
    QTest::newRow("largest 16-bit") << 32767 << "32767";
}

void TestMechanisms::integerText() {
    QFETCH(int, value);
    QFETCH(QString, expected);
    QCOMPARE(ingranix::integerText(value), expected);
}

// ---- dispatch ----

void TestMechanisms::dispatch_data() {
    QTest::addColumn<QString>("level");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<int>("levelNumber");
    QTest::addColumn<QString>("expected");

    // C(1,1) = 11, C(2,1) = 21: input 1 through an addition tells which level ran.
    QTest::newRow("Livello1 1 rosso adds C(1,1)") << "Livello1" << 1 << "rosso" << 1 << "12";
    QTest::newRow("Livello2 1 rosso adds C(2,1)") << "Livello2" << 1 << "rosso" << 2 << "22";
    QTest::newRow("Livello3 1 grigio adds C(2,1)") << "Livello3" << 1 << "grigio" << 3 << "22";
    QTest::newRow("Livello4 9 verde") << "Livello4" << 9 << "verde" << 4 << "132";
    QTest::newRow("level in lower case") << "livello1" << 1 << "rosso" << 0 << "?";
    QTest::newRow("level with a blank") << "Livello1 " << 1 << "rosso" << 0 << "?";
    QTest::newRow("Livello5") << "Livello5" << 1 << "rosso" << 0 << "?";
    QTest::newRow("selector prompt") << "Scegli il livello" << 1 << "rosso" << 0 << "?";
    QTest::newRow("empty level") << "" << 1 << "rosso" << 0 << "?";
    QTest::newRow("index 0") << "Livello1" << 0 << "rosso" << 1 << "?";
    QTest::newRow("index 10") << "Livello1" << 10 << "rosso" << 1 << "?";
    QTest::newRow("negative index") << "Livello2" << -1 << "rosso" << 2 << "?";
    QTest::newRow("colour capitalised") << "Livello1" << 1 << "Rosso" << 1 << "?";
    QTest::newRow("empty colour") << "Livello1" << 1 << "" << 1 << "?";
    QTest::newRow("unknown colour") << "Livello4" << 1 << "giallo" << 4 << "?";
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
    const QString input = QStringLiteral("1");
    QCOMPARE(runMechanism(level, index, {input, colour, constants, u"."}), expected);
    QCOMPARE(constants, before);
}

void TestMechanisms::rowNames() {
    for (int level = 1; level <= 4; ++level) {
        const detail::LevelTable &table = detail::levelTable(level);
        for (int index = 1; index <= 9; ++index) {
            QCOMPARE(QString::fromLatin1(table[std::size_t(index - 1)].name),
                     QStringLiteral("Mechanism%1_%2").arg(level).arg(index));
        }
    }
}

// ---- every row of every level on one input: catches a calculation or constant in the wrong cell ----

void TestMechanisms::rowColumns() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("constants");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("captions"); // rosso, verde, blu, grigio
}

void TestMechanisms::checkRow(int level) {
    QFETCH(int, index);
    QFETCH(QString, constants);
    QFETCH(QString, input);
    QFETCH(QStringList, captions);
    for (int colour = 0; colour < 4; ++colour) {
        ConstantsTable table = makeConstants(constants);
        QCOMPARE(run(level, index, colourNames[colour], table, input), captions.at(colour));
    }
}

void TestMechanisms::level1Rows_data() {
    rowColumns();
    // add 4 gives 10.4, subtract 3 gives 3.4; n = 6: parity "1", threshold 6 shows "6";
    // on x (index 6): parity "0", threshold "1".
    const QString c = QStringLiteral("11=4 12=3 14=6");
    const QString in = QStringLiteral("6.4");
    QTest::newRow("Mechanism1_1") << 1 << c << in << QStringList{"10.4", "3.4", "1", "6"};
    QTest::newRow("Mechanism1_2") << 2 << c << in << QStringList{"6", "1", "3.4", "10.4"};
    QTest::newRow("Mechanism1_3") << 3 << c << in << QStringList{"3.4", "10.4", "6", "1"};
    QTest::newRow("Mechanism1_4") << 4 << c << in << QStringList{"1", "6", "10.4", "3.4"};
    QTest::newRow("Mechanism1_5") << 5 << c << in << QStringList{"3.4", "10.4", "1", "6"};
    QTest::newRow("Mechanism1_6") << 6 << c << in << QStringList{"10.4", "0", "3.4", "1"};
    QTest::newRow("Mechanism1_7") << 7 << c << in << QStringList{"6", "3.4", "1", "10.4"};
    QTest::newRow("Mechanism1_8") << 8 << c << in << QStringList{"10.4", "3.4", "3.4", "6"};
}

void TestMechanisms::level2Rows_data() {
    rowColumns();
    // add 2: 13.5, multiply 3: 34.5, subtract 4: 7.5, quotient 3 on n = 12: 4, on x: 3.
    const QString c = QStringLiteral("21=2 22=3 23=4 24=3");
    const QString in = QStringLiteral("11.5");
    QTest::newRow("Mechanism2_1") << 1 << c << in << QStringList{"13.5", "34.5", "7.5", "4"};
    QTest::newRow("Mechanism2_2") << 2 << c << in << QStringList{"34.5", "13.5", "7.5", "4"};
    QTest::newRow("Mechanism2_3") << 3 << c << in << QStringList{"7.5", "34.5", "13.5", "3"};
    QTest::newRow("Mechanism2_4") << 4 << c << in << QStringList{"3", "34.5", "7.5", "13.5"};
    QTest::newRow("Mechanism2_5") << 5 << c << in << QStringList{"13.5", "7.5", "34.5", "4"};
    QTest::newRow("Mechanism2_6") << 6 << c << in << QStringList{"13.5", "7.5", "4", "34.5"};
    QTest::newRow("Mechanism2_7") << 7 << c << in << QStringList{"13.5", "4", "7.5", "34.5"};
    QTest::newRow("Mechanism2_8") << 8 << c << in << QStringList{"34.5", "4", "13.5", "7.5"};
    QTest::newRow("Mechanism2_9") << 9 << c << in << QStringList{"4", "34.5", "7.5", "13.5"};
}

void TestMechanisms::level3Rows_data() {
    rowColumns();
    // C(r,c) = 10r + c and input 1000: each result names its operation and its entry.
    const QString in = QStringLiteral("1000");
    QTest::newRow("Mechanism3_1") << 1 << QString() << in << QStringList{"32", "22000", "977", "1021"};
    QTest::newRow("Mechanism3_2") << 2 << QString() << in << QStringList{"23000", "1023", "977", "43"};
    QTest::newRow("Mechanism3_3") << 3 << QString() << in << QStringList{"968", "34000", "1031", "30"};
    QTest::newRow("Mechanism3_4") << 4 << QString() << in << QStringList{"29", "31000", "977", "1041"};
    QTest::newRow("Mechanism3_5") << 5 << QString() << in << QStringList{"1041", "957", "42000", "41"};
    QTest::newRow("Mechanism3_6") << 6 << QString() << in << QStringList{"1034", "967", "41", "41000"};
    QTest::newRow("Mechanism3_7") << 7 << QString() << in << QStringList{"1021", "71", "957", "12000"};
    QTest::newRow("Mechanism3_8") << 8 << QString() << in << QStringList{"11000", "83", "1021", "977"};
    QTest::newRow("Mechanism3_9") << 9 << QString() << in << QStringList{"41", "22000", "987", "1024"};
}

void TestMechanisms::level4Rows_data() {
    rowColumns();
    // C(r,c) = 10r + c; the odd input 7 and the even input 50 take both sides of every parity row.
    const QString odd = QStringLiteral("7");
    QTest::newRow("Mechanism4_1 odd") << 1 << QString() << odd << QStringList{"252", "1470", "336", "2244"};
    QTest::newRow("Mechanism4_2 odd") << 2 << QString() << odd << QStringList{"258", "4", "-36", "301"};
    QTest::newRow("Mechanism4_3 odd") << 3 << QString() << odd << QStringList{"252", "301", "264", "24"};
    QTest::newRow("Mechanism4_4 odd") << 4 << QString() << odd << QStringList{"-36", "264", "184", "24"};
    QTest::newRow("Mechanism4_5 odd") << 5 << QString() << odd << QStringList{"1470", "264", "272", "-36"};
    QTest::newRow("Mechanism4_6 odd") << 6 << QString() << odd << QStringList{"24", "264", "1470", "1"};
    QTest::newRow("Mechanism4_7 odd") << 7 << QString() << odd << QStringList{"-36", "1", "24", "301"};
    QTest::newRow("Mechanism4_8 odd") << 8 << QString() << odd << QStringList{"1470", "-36", "84", "104"};
    QTest::newRow("Mechanism4_9 odd") << 9 << QString() << odd << QStringList{"24", "396", "1", "240"};
    const QString even = QStringLiteral("50");
    QTest::newRow("Mechanism4_1 even")
        << 1 << QString() << even << QStringList{"2058", "336", "2142", "4136"};
    QTest::newRow("Mechanism4_2 even") << 2 << QString() << even << QStringList{"2107", "1", "93", "0"};
    QTest::newRow("Mechanism4_3 even") << 3 << QString() << even << QStringList{"2058", "0", "2156", "26"};
    QTest::newRow("Mechanism4_4 even") << 4 << QString() << even << QStringList{"93", "2156", "1173", "26"};
    QTest::newRow("Mechanism4_5 even") << 5 << QString() << even << QStringList{"336", "2156", "1734", "93"};
    QTest::newRow("Mechanism4_6 even") << 6 << QString() << even << QStringList{"26", "2156", "336", "3"};
    QTest::newRow("Mechanism4_7 even") << 7 << QString() << even << QStringList{"93", "3", "26", "0"};
    QTest::newRow("Mechanism4_8 even") << 8 << QString() << even << QStringList{"336", "93", "686", "663"};
    QTest::newRow("Mechanism4_9 even") << 9 << QString() << even << QStringList{"26", "2288", "3", "1701"};
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

void TestMechanisms::example(const char *name, int index, const char *colour, const char *constants,
                             const QString &input, const char *expected, const char *separator) {
    QTest::newRow(name) << index << colour << constants << input << expected << separator;
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

void TestMechanisms::level1Examples_data() {
    exampleColumns();
    example("subtract: equal is ?", 1, "verde", "12=3", "3", "?");
    example("subtract: 4 - 3", 1, "verde", "12=3", "4", "1");
    example("subtract: fraction", 2, "blu", "12=3", "3.5", "0.5");
    example("subtract: abc is 0, ?", 4, "grigio", "12=3", "abc", "?");
    example("subtract: comma separator", 6, "blu", "12=3", "3.5", "0,5", ",");
    example("add: abc", 1, "rosso", "11=4", "abc", "4");
    example("add: negative", 2, "grigio", "11=4", "-10", "-6");
    example("add: fraction", 3, "verde", "11=4", "2.5", "6.5");
    example("add: fraction, comma", 3, "verde", "11=4", "2.5", "6,5", ",");
    example("add: 40000 has no 16-bit limit", 7, "grigio", "11=3", "40000", "40003");
    example("add: -0 never shows -0", 8, "rosso", "11=0", "-0", "0");
    example("add: infinite input", 5, "verde", "11=4", "1E400", "?");
    example("add: largest double stays finite", 1, "rosso", "11=4", "1.7976931348623157E308",
            "1.79769313486232E+308");
    example("parity: 0 is even", 1, "blu", "", "0", "1");
    example("parity: -3 is odd", 2, "verde", "", "-3", "0");
    example("parity: 2.5 rounds to 2", 3, "grigio", "", "2.5", "1");
    example("parity: 3.5 rounds to 4", 4, "rosso", "", "3.5", "1");
    example("parity: 40000 has no n", 5, "blu", "", "40000", "?");
    example("parity: infinite input", 7, "blu", "", "1E400", "?");
    example("parity on x: 2.5 is not even", 6, "verde", "", "2.5", "0");
    example("parity on x: 4", 6, "verde", "", "4", "1");
    example("parity on x: -3", 6, "verde", "", "-3", "0");
    example("parity on x: 40000 is not rounded", 6, "verde", "", "40000", "1");
    example("parity on x: infinite input", 6, "verde", "", "1E400", "?");
    example("threshold: above", 2, "rosso", "14=6", "7", "1");
    example("threshold: equal shows it", 3, "blu", "14=6", "6", "6");
    example("threshold: below", 4, "verde", "14=6", "5", "0");
    example("threshold: 6.4 rounds to 6", 5, "grigio", "14=6", "6.4", "6");
    example("threshold: negative threshold", 7, "rosso", "14=-3", "-3", "-3");
    example("threshold: 40000 has no n", 8, "grigio", "14=6", "40000", "?");
    example("threshold on x: 6.4 is above", 6, "grigio", "14=6", "6.4", "1");
    example("threshold on x: equal", 6, "grigio", "14=6", "6", "6");
    example("threshold on x: 40000 is not rounded", 6, "grigio", "14=6", "40000", "1");
    example("threshold on x: infinite input", 6, "grigio", "14=6", "-1E400", "?");
    example("unadjusted threshold 1: input 1", 1, "grigio", "14=1", "1", "1");
    example("unadjusted threshold 1: input 0", 1, "grigio", "14=1", "0", "0");
}

void TestMechanisms::level2Examples_data() {
    exampleColumns();
    example("subtract to zero: 10", 1, "blu", "23=4", "10", "6");
    example("subtract to zero: equal", 2, "blu", "23=4", "4", "0");
    example("subtract to zero: below", 3, "rosso", "23=4", "3", "0");
    example("subtract to zero: fraction", 4, "blu", "23=4", "4.5", "0.5");
    example("subtract to zero: abc", 5, "verde", "23=4", "abc", "0");
    example("subtract to zero: infinite input", 6, "verde", "23=4", "1E400", "?");
    example("multiply: fraction", 1, "verde", "22=3", "2.5", "7.5");
    example("multiply: fraction, comma", 1, "verde", "22=3", "2.5", "7,5", ",");
    example("multiply: negative", 2, "rosso", "22=3", "-2", "-6");
    example("multiply: abc", 3, "verde", "22=3", "abc", "0");
    example("multiply: 1.1 keeps 15 digits", 4, "verde", "22=3", "1.1", "3.3");
    example("multiply: overflow", 5, "blu", "22=9", "1E308", "?");
    example("multiply: by zero, negative input", 6, "grigio", "22=0", "-5", "0");
    example("add: fraction", 1, "rosso", "21=3", "2.5", "5.5");
    example("add: fraction, comma", 2, "verde", "21=3", "2.5", "5,5", ",");
    example("add: whole, comma", 3, "blu", "21=3", "2", "5", ",");
    example("add: infinite input", 4, "grigio", "21=3", "-1E400", "?");
    example("quotient: 10", 1, "grigio", "24=3", "10", "3");
    example("quotient: equal", 2, "grigio", "24=3", "3", "1");
    example("quotient: below", 5, "grigio", "24=3", "2", "0");
    example("quotient: negative", 6, "blu", "24=3", "-5", "0");
    example("quotient: 11.5 rounds to 12", 7, "verde", "24=3", "11.5", "4");
    example("quotient: by 1 shows n", 8, "verde", "24=1", "12345.4", "12345");
    example("quotient: 40000 has no n", 9, "rosso", "24=4", "40000", "?");
    example("quotient: zero divisor", 1, "grigio", "24=0", "5", "?");
    example("quotient: zero divisor, input 0", 2, "grigio", "24=0", "0", "?");
    example("quotient: zero divisor, below", 5, "grigio", "24=0", "-5", "0");
    example("quotient on x: 11.5", 3, "grigio", "24=3", "11.5", "3");
    example("quotient on x: below", 4, "rosso", "24=3", "2.9", "0");
    example("quotient on x: 40000 is not rounded", 4, "rosso", "24=4", "40000", "10000");
    example("quotient on x: zero divisor", 3, "grigio", "24=0", "7", "?");
    example("quotient on x: infinite input", 4, "rosso", "24=3", "1E400", "?");
}

void TestMechanisms::level3Examples_data() {
    exampleColumns();
    example("guarded ratio on n: 9", 1, "rosso", "31=4", "9", "2");
    example("guarded ratio on n: equal", 1, "rosso", "31=4", "4", "1");
    example("guarded ratio on n: 3", 1, "rosso", "31=4", "3", "1");
    example("guarded ratio on n: 1", 1, "rosso", "31=4", "1", "4");
    example("guarded ratio on n: 2.5 rounds to 2", 1, "rosso", "31=4", "2.5", "2");
    example("guarded ratio on n: negative", 1, "rosso", "31=3", "-2", "-2");
    example("guarded ratio on n: 0", 1, "rosso", "31=4", "0", "?");
    example("guarded ratio on n: abc", 2, "grigio", "23=6", "abc", "?");
    example("guarded ratio on n: 0.4", 1, "rosso", "31=4", "0.4", "?");
    example("guarded ratio on n: -0.5", 2, "grigio", "23=6", "-0.5", "?");
    example("guarded ratio on n: 40000", 1, "rosso", "31=4", "40000", "?");
    example("guarded ratio on n: zero constant", 2, "grigio", "23=0", "5", "?");
    example("ratio on x: 2.5 is not rounded", 3, "grigio", "33=4", "2.5", "1");
    example("ratio on x: 10", 3, "grigio", "33=4", "10", "2");
    example("ratio on x: 40000", 3, "grigio", "33=4", "40000", "10000");
    example("ratio on x: 0", 4, "rosso", "34=4", "0", "?");
    example("ratio on x: abc", 3, "grigio", "33=4", "abc", "?");
    example("ratio on x: 0.4 divides", 4, "rosso", "34=4", "0.4", "10");
    example("ratio on x: tiny input overflows", 4, "rosso", "34=4", "1E-320", "?");
    example("ratio on x: infinite input", 3, "grigio", "33=4", "1E400", "?");
    example("ratio on x: zero constant", 4, "rosso", "34=0", "3", "?");
    example("ratio on n: 0", 5, "grigio", "24=3", "0", "?");
    example("ratio on n: 40000", 6, "blu", "24=3", "40000", "?");
    example("ratio on n: C(1,4)", 7, "verde", "14=2", "9", "4");
    example("ratio on n: zero constant", 9, "rosso", "24=0", "5", "?");
    example("ratio on n: zero constant, negative input", 9, "rosso", "24=0", "-5", "0");
    example("product: fraction", 1, "verde", "22=3", "2.5", "7.5");
    example("product: fraction, comma", 1, "verde", "22=3", "2.5", "7,5", ",");
    example("product: negative", 1, "verde", "22=3", "-2", "-6");
    example("product: overflow", 9, "verde", "22=9", "-1E308", "?");
    example("distance: below", 1, "blu", "23=5", "2", "3");
    example("distance: above", 1, "blu", "23=5", "7", "2");
    example("distance: equal", 1, "blu", "23=5", "5", "0");
    example("distance: negative", 1, "blu", "23=5", "-1", "6");
    example("distance: infinite input", 4, "blu", "23=5", "-1E400", "?");
    example("Mechanism3_2 rosso", 2, "rosso", "23=6", "3", "18");
    example("Mechanism3_2 verde", 2, "verde", "23=6", "3", "9");
    example("Mechanism3_2 blu", 2, "blu", "23=6", "3", "3");
    example("Mechanism3_2 grigio", 2, "grigio", "23=6", "3", "2");
    example("sum: infinite input", 2, "verde", "23=6", "1E400", "?");
}

void TestMechanisms::level4Examples_data() {
    exampleColumns();
    example("Mechanism4_1 rosso", 1, "rosso", "42=3 44=2", "5", "12");
    example("Mechanism4_1 verde", 1, "verde", "42=3 44=2", "5", "6");
    example("Mechanism4_1 blu", 1, "blu", "42=3 44=2", "5", "18");
    example("Mechanism4_1 grigio", 1, "grigio", "42=3 44=2", "5", "14");
    example("shift then product: 0", 1, "rosso", "42=3", "0", "-3");
    example("shift then product: 2.5 rounds to 2", 3, "rosso", "42=3", "2.5", "3");
    example("shift then product: 3.5 rounds to 4", 8, "blu", "14=3", "3.5", "9");
    example("shift then product: abc is 0", 9, "verde", "44=3", "abc", "6");
    example("shift then product: step out of range", 5, "blu", "34=9", "4000", "?");
    example("shift then product: shift out of range", 8, "grigio", "13=1", "32767", "?");
    example("shift then product: last in range", 1, "blu", "42=1", "32766", "32767");
    example("shift then product: 40000 has no n", 4, "blu", "23=1", "40000", "?");
    example("distance times constant: |-32768| out of range", 1, "verde", "42=8", "-4088", "?");
    example("distance times constant: largest", 1, "verde", "42=8", "-4087", "32760");
    example("sum then product: out of range", 1, "grigio", "44=9", "3700", "?");
    example("product then shift: 0", 3, "blu", "44=3", "0", "-3");
    example("product then shift: out of range", 4, "verde", "44=2", "-16384", "?");
    example("product then shift: last in range", 4, "verde", "44=2", "-16383", "-32768");
    example("parity shift: odd", 2, "blu", "43=4", "7", "3");
    example("parity shift: even", 2, "blu", "43=4", "8", "12");
    example("parity shift: 1", 2, "blu", "43=4", "1", "-3");
    example("parity shift: negative odd", 2, "blu", "43=4", "-3", "-7");
    example("parity shift: 0 is even", 2, "blu", "43=4", "0", "4");
    example("parity shift: out of range", 4, "rosso", "43=9", "32766", "?");
    example("Mechanism4_8 verde: odd", 8, "verde", "43=4", "7", "3");
    example("Mechanism4_8 verde: even", 8, "verde", "43=4", "8", "12");
    example("product or quotient: odd", 2, "grigio", "43=6", "3", "18");
    example("product or quotient: even", 2, "grigio", "43=6", "4", "1");
    example("product or quotient: even above", 3, "verde", "43=6", "8", "0");
    example("product or quotient: negative even floors", 7, "grigio", "43=6", "-4", "-2");
    example("product or quotient: 0", 7, "grigio", "43=6", "0", "?");
    example("product or quotient: 0.4 is 0", 3, "verde", "43=6", "0.4", "?");
    example("product or quotient: odd out of range", 2, "grigio", "43=9", "-3641", "?");
    example("inverse quotient: 1", 2, "verde", "24=3", "1", "4");
    example("inverse quotient: 2", 2, "verde", "24=3", "2", "2");
    example("inverse quotient: 5", 2, "verde", "24=3", "5", "1");
    example("inverse quotient: negative floors", 2, "verde", "24=3", "-2", "-1");
    example("inverse quotient: 0", 2, "verde", "24=3", "0", "?");
    example("inverse quotient: abc", 2, "verde", "24=3", "abc", "?");
    example("quotient plus one: 7", 6, "grigio", "24=3", "7", "3");
    example("quotient plus one: -1 floors", 6, "grigio", "24=3", "-1", "0");
    example("quotient plus one: zero constant", 7, "verde", "24=0", "7", "?");
    example("quotient plus constant: 10", 3, "grigio", "24=3", "10", "6");
    example("quotient plus constant: zero constant", 6, "rosso", "24=0", "7", "?");
    example("quotient plus constant: extremes stay whole", 9, "rosso", "24=-1", "-32768", "32767");
    example("product then shift parity: odd", 9, "grigio", "34=5", "3", "17");
    example("product then shift parity: even", 9, "grigio", "34=5", "4", "21");
    example("product then shift parity: out of range", 9, "grigio", "34=1", "32767", "?");
    example("infinite input", 5, "rosso", "42=3", "1E400", "?");
}

// ---- Level 1's threshold adjustment, which writes into the constants table ----

void TestMechanisms::thresholdAdjustment_data() {
    QTest::addColumn<int>("threshold");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("thresholdAfter");

    QTest::newRow("0 becomes 4") << 0 << 2 << "rosso"
                                 << "4"
                                 << "4" << 4;
    QTest::newRow("1 becomes 5, input 1") << 1 << 5 << "grigio"
                                          << "1"
                                          << "0" << 5;
    QTest::newRow("1 becomes 5, input 5") << 1 << 5 << "grigio"
                                          << "5"
                                          << "5" << 5;
    QTest::newRow("2 becomes 6") << 2 << 9 << "blu"
                                 << "6"
                                 << "6" << 6;
    QTest::newRow("3 stays") << 3 << 7 << "rosso"
                             << "3"
                             << "3" << 3;
    QTest::newRow("negative stays") << -1 << 8 << "grigio"
                                    << "-1"
                                    << "-1" << -1;
    QTest::newRow("on x too") << 1 << 6 << "grigio"
                              << "5"
                              << "5" << 5;
    QTest::newRow("even when the result is ?") << 0 << 4 << "verde"
                                               << "40000"
                                               << "?" << 4;
    QTest::newRow("not at index 1") << 1 << 1 << "grigio"
                                    << "1"
                                    << "1" << 1;
    QTest::newRow("not by other calculations") << 1 << 2 << "grigio"
                                               << "1"
                                               << "12" << 1;
    QTest::newRow("not for an unknown colour") << 1 << 2 << "Rosso"
                                               << "1"
                                               << "?" << 1;
}

void TestMechanisms::thresholdAdjustment() {
    QFETCH(int, threshold);
    QFETCH(int, index);
    QFETCH(QString, colour);
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QFETCH(int, thresholdAfter);

    ConstantsTable table = makeConstants(QStringLiteral("14=%1").arg(threshold));
    QCOMPARE(run(1, index, colour, table, input), expected);
    QCOMPARE(int(table.at(1, 4)), thresholdAfter);
    // Idempotent: a second run finds nothing more to change and gives the same caption.
    QCOMPARE(run(1, index, colour, table, input), expected);
    QCOMPARE(int(table.at(1, 4)), thresholdAfter);
    QCOMPARE(int(table.at(1, 1)), 11); // nothing else in the table moves
}

QTEST_GUILESS_MAIN(TestMechanisms)
#include "tst_mechanisms.moc"
