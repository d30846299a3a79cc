#include "mechanisms/mechanisms.h"
#include "mechanisms/numbers.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace ingranix;
using namespace Qt::Literals::StringLiterals;

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

// Every cell holds 10 * row + column unless the case names it ("14=6 12=3": C(1,4) = 6, C(1,2) = 3),
// so a calculation that reads the wrong entry shows a result far from the expected one.
ConstantsTable makeConstants(const QString &assignments) {
    ConstantsTable table;
    for (int row = 1; row <= 4; ++row)
        for (int column = 1; column <= 4; ++column)
            table.set(row, column, qint16(10 * row + column));
    for (const QString &part : assignments.split(u' ', Qt::SkipEmptyParts))
        table.set(part.at(0).digitValue(), part.at(1).digitValue(), qint16(part.mid(3).toInt()));
    return table;
}

QString run(int level, int index, const QString &colour, ConstantsTable &constants, const QString &input) {
    return runMechanism(u"Livello%1"_s.arg(level), index, {input, colour, constants, u"."});
}

// One calculation on one input; `after` names the constants when the run changes them.
void example(const char *name, int level, int index, const char *colour, const char *constants,
             const QString &input, const char *expected, const char *after = nullptr) {
    QTest::newRow(name) << level << index << QString::fromLatin1(colour) << QString::fromLatin1(constants)
                        << input << QString::fromLatin1(expected)
                        << QString::fromLatin1(after ? after : constants);
}

} // namespace

class TestMechanisms : public QObject {
    Q_OBJECT

private slots:
    void readInputValue_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("comma is not a decimal point") << u"3,5"_s << 3.0;
        QTest::newRow("exponent e with sign") << u"-25e-1"_s << -2.5;
        QTest::newRow("exponent d") << u"+1d3"_s << 1000.0;
        QTest::newRow("second period stops") << u"1.2.3"_s << 1.2;
        QTest::newRow("hex digits in both cases, up to a colon, no 16-bit wrap")
            << u"-&hAf9aF0:"_s << -11508464.0;
        QTest::newRow("octal stops at 8") << u"&o178"_s << 15.0;
        QTest::newRow("& without a base") << u"&17"_s << 0.0;
        QTest::newRow("underflow") << u"1E-400"_s << 0.0;
        QTest::newRow("310 digits overflow") << QString(u"1"_s + QString(309, u'0')) << double(infinity);
    }

    void readInputValue() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        // Exactly (QCOMPARE lets doubles differ in their last bits), and from a view that a digit follows,
        // which must not be read.
        const double x = ingranix::readInputValue(QStringView(text + u'9').chopped(1));
        QVERIFY2(x == expected, qPrintable(QString::number(x, 'g', 17)));
    }

    void numberText_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fraction, comma") << -5.5 << u","_s << u"-5,5"_s;
        QTest::newRow("1.1 x 3 keeps 15 digits") << double(1.1 * 3) << u"."_s << u"3.3"_s;
        QTest::newRow("1E+15") << double(1e15) << u"."_s << u"1E+15"_s;
        QTest::newRow("1E-05") << 0.00001 << u"."_s << u"1E-05"_s;
        QTest::newRow("rounds up to 0.0001") << 0.00009999999999999999 << u"."_s << u"0.0001"_s;
        QTest::newRow("15 digits, no fraction left") << 123456789012345.6 << u","_s << u"123456789012346"_s;
    }

    void numberText() {
        QFETCH(double, value);
        QFETCH(QString, separator);
        QFETCH(QString, expected);
        QCOMPARE(ingranix::numberText(value, separator), expected);
    }

    // Every cell of every level on one input, for rosso, verde, blu and grigio: a calculation or a constant
    // in the wrong cell shows. Then the boundaries and failures of each kind of calculation, and what runs
    // nothing.
    void examples_data() {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("colour"); // empty: the four colours
        QTest::addColumn<QString>("constants");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("after");
        // The nine cells of a level, index 1 to 9: each row names its captions for rosso, verde, blu, grigio.
        const auto level = [](int level, const char *constants, const char *input,
                              std::initializer_list<const char *> captions) {
            int index = 0;
            for (const char *cell : captions)
                QTest::addRow("Mechanism%d_%d", level, ++index)
                    << level << index << QString() << QString::fromLatin1(constants)
                    << QString::fromLatin1(input) << QString::fromLatin1(cell)
                    << QString::fromLatin1(constants);
        };
        // add 4: 10.4, subtract 3: 3.4; n = 6: parity "1", threshold 6 shows "6";
        // on x (index 6): parity "0", threshold "1".
        level(1, "11=4 12=3 14=6", "6.4",
              {"10.4 3.4 1 6", "6 1 3.4 10.4", "3.4 10.4 6 1", "1 6 10.4 3.4", "3.4 10.4 1 6", "10.4 0 3.4 1",
               "6 3.4 1 10.4", "10.4 3.4 3.4 6", "3.4 10.4 6 1"});
        // add 2: 13.5, multiply 3: 34.5, subtract 4: 7.5; dividing by 1, quotient on n = 12: 12, on x: 11.
        level(2, "21=2 22=3 23=4 24=1", "11.5",
              {"13.5 34.5 7.5 12", "34.5 13.5 7.5 12", "7.5 34.5 13.5 11", "11 34.5 7.5 13.5",
               "13.5 7.5 34.5 12", "13.5 7.5 12 34.5", "13.5 12 7.5 34.5", "34.5 12 13.5 7.5",
               "12 34.5 7.5 13.5"});
        // From here C(r,c) = 10r + c, so each result names its operation and its entry; C(2,4) = C(3,3) = 1
        // divide by 1 in Level 3. Level 4 takes an odd input (the even side: tst_notebook).
        level(3, "24=1 33=1", "1000",
              {"32 22000 977 1021", "23000 1023 977 43", "968 34000 1031 1000", "29 31000 977 1041",
               "1041 957 42000 1000", "1034 999 1000 41000", "1021 71 957 12000", "11000 83 1021 977",
               "1000 22000 987 1001"});
        level(4, "", "7",
              {"252 1470 336 2244", "258 4 -36 301", "252 301 264 24", "-36 264 184 24", "1470 264 272 -36",
               "24 264 1470 1", "-36 1 24 301", "1470 -36 84 104", "24 396 1 240"});
        example("Livello5 runs nothing", 5, 1, "rosso", "", "1", "?");
        example("index 0 runs nothing", 1, 0, "rosso", "", "1", "?");
        example("no colour runs nothing", 1, 1, "?", "", "1", "?");
        // Thresholds of 0, 1 and 2 first move up by four, in the table itself; C(1,4) = 1 at index 1
        // shows it unmoved.
        example("threshold: 2 becomes 6", 1, 9, "blu", "14=2", "6", "6", "14=6");
        example("threshold: moved even when the result is ?", 1, 4, "verde", "14=0", "40000", "?", "14=4");
        example("threshold: not moved at index 1", 1, 1, "grigio", "14=1", "1", "1");
        example("threshold on x: 1 becomes 5", 1, 6, "grigio", "14=1", "5", "5", "14=5");
        example("sum: infinite input", 3, 2, "verde", "23=6", "1E400", "?");
        // Level 4 in 16-bit steps (every boundary on the machine's own constants is in tst_notebook).
        example("shift then product: last in range", 4, 1, "blu", "42=1", "32766", "32767");
        example("product then shift: last in range", 4, 4, "verde", "44=2", "-16383", "-32768");
        example("quotient plus constant: extremes stay whole", 4, 9, "rosso", "24=-1", "-32768", "32767");
    }

    void examples() {
        QFETCH(int, level);
        QFETCH(int, index);
        QFETCH(QString, colour);
        QFETCH(QString, constants);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QFETCH(QString, after);
        QStringList shown;
        for (const QString &name : colour.isEmpty()
                                       ? QStringList{u"rosso"_s, u"verde"_s, u"blu"_s, u"grigio"_s}
                                       : QStringList{colour == u"?" ? QString() : colour}) {
            ConstantsTable table = makeConstants(constants);
            // Twice: a moved threshold finds nothing more to move and gives the same caption.
            shown << run(level, index, name, table, input);
            QCOMPARE(run(level, index, name, table, input), shown.last());
            QCOMPARE(table, makeConstants(after));
        }
        QCOMPARE(shown.join(u' '), expected);
    }
};

QTEST_GUILESS_MAIN(TestMechanisms)
#include "tst_mechanisms.moc"
