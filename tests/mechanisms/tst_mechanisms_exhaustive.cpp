// All 144 calculations on every rounded input -32768..32767, with every constant 0..9 in the cells
// they read: each caption must be "?" or well-formed number text, and "?" may appear only where the
// game's rules allow it. Run under UBSan this also proves there is no signed overflow and no division
// by zero anywhere in the arithmetic.

#include "mechanisms/mechanisms.h"
#include "mechanisms/mechanismtables.h"
#include "mechanisms/numbers.h"

#include <QRegularExpression>
#include <QTest>

#include <vector>

using namespace ingranix;
using detail::Calculation;

namespace {

// Number text with either separator, or an integer text; no "-0", no leading zeros, at most 15 digits
// before the separator, no trailing zeros after it.
const QRegularExpression wellFormed(QStringLiteral(
    R"(^(\?|0|-?[1-9][0-9]{0,14}([.,][0-9]*[1-9])?|-?0[.,][0-9]*[1-9]|-?[1-9]([.,][0-9]*[1-9])?E[+-][0-9]{2,3})$)"));
const QRegularExpression wholeNumber(QStringLiteral(R"(^(\?|0|-?[1-9][0-9]{0,4})$)"));

// The regex's whole-number branch as a tight loop: with whole inputs and constants nearly every
// caption is one, and 94 million regex matches would dominate the run (above all under sanitizers).
bool isWholeNumberText(const QString &caption, int maxDigits) {
    const QChar *p = caption.constData();
    const QChar *const end = p + caption.size();
    if (caption.size() == 1 && *p == u'0')
        return true;
    if (p != end && *p == u'-')
        ++p;
    if (p == end || *p < u'1' || *p > u'9' || end - p > maxDigits)
        return false;
    for (++p; p != end; ++p) {
        if (*p < u'0' || *p > u'9')
            return false;
    }
    return true;
}

bool isUnknown(const QString &caption) {
    return caption.size() == 1 && caption.front() == u'?';
}

bool isRatio(Calculation c) {
    return c == Calculation::Ratio || c == Calculation::RatioOnX;
}

bool dividesByN(Calculation c) {
    return c == Calculation::InverseQuotientPlusOne || c == Calculation::ParityProductOrQuotient;
}

// Where "?" is allowed with the constants the game draws (1..9) and a whole input n in range.
bool unknownAllowed(int level, Calculation c, int n, int constant) {
    switch (level) {
    case 1:
        return c == Calculation::Subtract && n <= constant;
    case 2:
        return false;
    case 3:
        return isRatio(c) && n == 0;
    default:
        // 16-bit overflow needs a large input; for small ones only the division by n can fail.
        return (dividesByN(c) && n == 0) || n < -1000 || n > 1000;
    }
}

} // namespace

class TestMechanismsExhaustive : public QObject {
    Q_OBJECT

private slots:
    void allCalculations_data();
    void allCalculations();
};

void TestMechanismsExhaustive::allCalculations_data() {
    QTest::addColumn<int>("level");
    for (int level = 1; level <= 4; ++level)
        QTest::addRow("Livello%d", level) << level;
}

void TestMechanismsExhaustive::allCalculations() {
    QFETCH(int, level);
    const QString levelText = QStringLiteral("Livello%1").arg(level);
    const char16_t *const colours[] = {u"rosso", u"verde", u"blu", u"grigio"};

    std::vector<QString> inputs;
    inputs.reserve(65536);
    for (int n = -32768; n <= 32767; ++n)
        inputs.push_back(integerText(n));

    qint64 calculations = 0;
    for (int constant = 0; constant <= 9; ++constant) {
        for (int index = 1; index <= 9; ++index) {
            for (int colour = 0; colour < 4; ++colour) {
                const Calculation calculation = detail::levelTable(level)[std::size_t(index - 1)]
                                                    .byColour[std::size_t(colour)]
                                                    .calculation;
                const QRegularExpression &shape = level == 4 ? wholeNumber : wellFormed;
                // Every cell holds the same value, so each calculation sees it in whatever cells it reads.
                ConstantsTable constants;
                for (int r = 1; r <= 4; ++r) {
                    for (int c = 1; c <= 4; ++c)
                        constants.set(r, c, qint16(constant));
                }
                for (int n = -32768; n <= 32767; ++n) {
                    // Level 1 thresholds may have adjusted the table on an earlier input; that is the
                    // table the next experiment really sees.
                    const QString caption = runMechanism(
                        levelText, index, {inputs[std::size_t(n + 32768)], colours[colour], constants, u"."});
                    ++calculations;
                    const bool wellShaped = isUnknown(caption) ||
                                            isWholeNumberText(caption, level == 4 ? 5 : 15) ||
                                            shape.match(caption).hasMatch();
                    if (!wellShaped) {
                        QFAIL(qPrintable(QStringLiteral("Mechanism%1_%2 %3, C = %4, input %5: \"%6\"")
                                             .arg(level)
                                             .arg(index)
                                             .arg(QStringView(colours[colour]))
                                             .arg(constant)
                                             .arg(n)
                                             .arg(caption)));
                    }
                    if (constant >= 1 && isUnknown(caption) &&
                        !unknownAllowed(level, calculation, n, constant))
                        QFAIL(qPrintable(QStringLiteral("Mechanism%1_%2 %3, C = %4, input %5: unexpected ?")
                                             .arg(level)
                                             .arg(index)
                                             .arg(QStringView(colours[colour]))
                                             .arg(constant)
                                             .arg(n)));
                }
            }
        }
    }
    QCOMPARE(calculations, qint64(10 * 36 * 65536));
}

QTEST_GUILESS_MAIN(TestMechanismsExhaustive)
#include "tst_mechanisms_exhaustive.moc"
