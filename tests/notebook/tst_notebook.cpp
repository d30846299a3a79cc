// The player's model language, its power to write every machine calculation, and the notebook's
// bookkeeping of experiments, marks and predictions.

#include "../cases.h"
#include "mechanisms/mechanisms.h"
#include "mechanisms/mechanismtables.h"
#include "notebook/notebook.h"

#include <QRegularExpression>
#include <QTest>

using namespace ingranix;
using namespace ingranix::notebook;
using namespace Qt::Literals::StringLiterals;

namespace {

// A language row: the model, its typed inputs (blank-separated) and their captions with "," as
// decimal separator; or, with a position, the mistake's message and the part of the text it points at
// (a model with a mistake is given the input "3", whose caption must be empty).
void add(QStringView text, QStringView inputs, QStringView expected, int position = -1, int length = 1) {
    const QString tag = text.size() > 40 ? u"%1 characters"_s.arg(text.size()) : text.toString();
    row(qPrintable(tag), text.toString(), inputs.toString(),
        position < 0 ? expected.toString() : u" %1 @%2+%3"_s.arg(expected).arg(position).arg(length));
}

// The 26 kinds of calculation, in the order of detail::Calculation, written in the notebook's
// language: K is the constant, N the rounded input, [v] a step of the machine's 16-bit arithmetic.
// clang-format off
constexpr const char16_t *calculationModels[] = {
    u"x + K", u"se(x <= K; ?; x - K)", u"pari(x)", u"se(x = K; K; se(x > K; 1; 0))", u"x · K",
    u"se(x >= K; x - K; 0)", u"se(x < K; 0; intero(x : K))", u"|x - K|",
    u"se(x ≥ K; intero(x / K); intero(K / x))",
    u"pari(N)", u"se(N = K; K; se(N > K; 1; 0))", u"se(N = K; K; se(N > K; 1; 0))",
    u"se(N < K; 0; intero(N / K))", u"se(N >= K; intero(N / K); intero(K / N))",
    u"[[N - 1] × K]", u"[[N + 1] × K]", u"[[N + 2] × K]", u"[|[[N - K] * K]|]", u"[[K + N] * K]",
    u"[[K * N] - K]", u"intero(N ÷ K) + K", u"intero(N / K) + 1", u"intero(K / N) + 1",
    u"se(dispari(N); [N - K]; [K + N])", u"se(dispari(N); [K * N]; intero(K / N))",
    u"[[K * N] + se(dispari(N); 2; 1)]"};
// clang-format on

} // namespace

class TestNotebook : public QObject {
    Q_OBJECT

private slots:
    void language_data();
    void language();
    void everyCalculation();
    void notebook_data();
    void notebook();
};

void TestNotebook::language_data() {
    columns<QString, QString, QString>(); // text, inputs, the captions or "message @position+length"

    // x is read as the machine reads it: a period is its decimal mark, a comma ends it, a word is 0; a
    // number in the model takes either mark.
    add(u"X", u"2.5 2,5 abc", u"2,5 2 0");
    add(u"2,5+1.5+x", u"0.25", u"4,25");
    add(u"x · 3 : 2 × 4 ÷ 3", u"3", u"6");
    add(u"-x ^ 2", u"3 0", u"-9 0"); // power before sign; no "-0"
    add(u"2 ^ 3 ^ x", u"2", u"512");
    add(u"2 + x * 3 - 3 - 2", u"4", u"9");
    add(u"resto(x; 2)", u"7.5 -7", u"1,5 -1");
    add(u"ass(3 - x)", u"5", u"2");
    add(u"|x - |x - 3||", u"2", u"1");
    add(u"SE(X > 1; Intero(x); 0)", u"2.5", u"2");
    add(u"x<=3 e x>=3 e x<>2", u"3 4 1E999", u"1 0 ?");
    add(u"x ≤ 3 e x ≥ 3 e x ≠ 2", u"3 2", u"1 0");
    add(u"x < 1 o x > 5", u"6 3 1E999", u"1 0 ?");
    add(u"x + 1 > 3 o 1 e 0", u"3 2", u"1 0"); // sum, comparison, e, o: in this order
    add(u"  ", u"3", u"");

    // "?" goes through everything, except a se() whose condition is known; so do overflows. An infinite
    // input is "?" too.
    add(u"x ^ 0", u"2 1E999", u"1 ?");
    add(u"se(x; x > 2; 2)", u"3 0 1E999", u"1 2 ?");
    add(u"se(x = 0; 0; 1 / x)", u"0 4", u"0 0,25");
    add(u"1 / (1 / (x - 2))", u"2 4", u"? 2");
    add(u"1 / x ^ 1000000", u"2 1", u"? 1");
    add(u"x ^ 0,5", u"4 -4", u"2 ?");
    add(u"x + 0,"_s + QString(400, u'0') + u"1"_s, u"3", u"3");

    add(u"intro(x)", u"3", u"non conosco «intro»: forse «intero»?", 0, 5);
    add(u"mod(x; 2)", u"3", u"non conosco «mod»: forse «resto»?", 0, 3); // a spreadsheet's English name
    add(u"x + х", u"3", u"non conosco «х»: forse «x»?", 4);              // a Cyrillic х
    add(u"жх", u"3", u"non conosco «жх»", 0, 2);
    add(u"a"_s + u"𝑥"_s.repeated(12), u"3", u"non conosco «a𝑥𝑥𝑥𝑥𝑥𝑥𝑥𝑥𝑥𝑥𝑥…»", 0, 25);
    add(u"x + 1)", u"3", u"c'è una parentesi chiusa di troppo", 5);
    add(u"* 2", u"3", u"manca un valore prima di «*»", 0);
    add(u"x +", u"3", u"manca un valore dopo «+»", 2);
    add(u"x < = 2", u"3", u"manca un valore tra «<» e «=»", 4);
    add(u"--x", u"3", u"due segni di fila: metti il secondo tra parentesi, come in 3 * (-2)", 1);
    add(u"2 + 3x", u"3", u"manca un segno di operazione tra «3» e «x»", 5);
    add(u"resto(x)", u"3", u"«resto» vuole due valori separati da «;», come in resto(x; 2)", 0, 5);
    add(u"intero(x; 2)", u"3", u"«intero» vuole un solo valore, come in intero(x / 2)", 0, 6);
    add(u"se(x; 1)", u"3", u"«se» vuole tre parti separate da «;»: se(condizione; allora; altrimenti)", 0, 2);
    add(u"(intero x) / 2", u"3", u"dopo «intero» ci vuole una parentesi aperta, come in intero(x / 2)", 1, 6);
    add(u"x; 2", u"3", u"«;» serve a separare i valori di una funzione, come in resto(x; 2)", 1);
    add(u"resto(7, 2)", u"3", u"«,» si usa solo dentro i numeri, come in 2,5: per separare i valori usa «;»",
        7);
    add(u"resto(2,5.1, 2)", u"3", u"in un numero ci va una sola virgola", 6, 5);
    add(u"x * 2,5.", u"3", u"«.» si usa solo dentro i numeri, come in 2.5: per separare i valori usa «;»", 7);
    add(u"x * 2e3", u"3", u"lascia uno spazio tra «2» e «e»", 4, 2);
    add(u"x > 1ex", u"3", u"non conosco «ex»: forse «x»?", 5, 2); // a word, not a calculator's exponent
    add(u"1 < x < 5", u"",
        u"per confrontare tre valori scrivi due confronti uniti da «e», come in 1 < x e x < 5", 6);
    add(u"|x - 3", u"3", u"manca la seconda sbarra «|»", 0);
    add(u"x|", u"3", u"c'è una sbarra «|» di troppo", 1);
    add(u"2|x|", u"3", u"manca un segno di operazione prima di «|»", 1);
    add(u"x²", u"3", u"per le potenze usa «^», come in x ^ 2", 1);
    add(u"x 😀", u"3", u"non capisco il carattere «😀»", 2, 2);
    // A lone surrogate.
    add(u"x "_s + QChar(0xD800) + u" 1"_s, u"3", u"c'è un carattere invisibile che non capisco", 2);
    add(u"x + 1"_s + QString(400, u'0'), u"3", u"questo numero è troppo grande", 4, 401);

    // Pasted or runaway texts: a message or a value at once, no deep recursion anywhere.
    add(QString(100'000, u'x'), u"3", u"il modello è troppo lungo", 2000, 98'000);
    add(QString(10'000, u'(') + u'x' + QString(10'000, u')'), u"3", u"il modello è troppo lungo", 2000,
        18'001);
    add(QString(999, u'(') + u'x', u"3", u"manca una parentesi chiusa", 998);
    add(u"x"_s + u"+x"_s.repeated(999) + u" "_s, u"1", u"1000");
    add(QString(990, u'|') + u"x - 5"_s + QString(990, u'|'), u"3", u"2");
    add(u"se(x; "_s.repeated(190) + u"x"_s + u"; 0)"_s.repeated(190), u"3", u"3");
}

void TestNotebook::language() {
    const auto [text, inputs, expected] = fetch<QString, QString, QString>();
    const Model model = Model::compile(text);
    QStringList said; // a model with a mistake gives no caption
    for (const QString &input : inputs.split(u' '))
        said << model.caption(input, u",");
    if (const std::optional<ModelError> &error = model.error())
        said << u"%1 @%2+%3"_s.arg(error->message).arg(error->position).arg(error->length);
    QCOMPARE(said.join(u' '), expected);
}

// Every calculation of the machine can be written as a model that explains all its outputs.
void TestNotebook::everyCalculation() {
    QStringList inputs{u"2.5"_s, u"3.5"_s, u"0.4"_s, u"abc"_s, u"40000"_s, u"32767"_s, u"-32768"_s};
    for (int i = -20; i <= 60; ++i)
        inputs << QString::number(i);
    for (int run = 0; run < 2 * 4 * 9 * 4; ++run) { // constants 1-9 or 0, level, mechanism, colour
        const int level = run / 36 % 4 + 1, index = run / 4 % 9 + 1;
        const char16_t *colour = std::array{u"rosso", u"verde", u"blu", u"grigio"}[std::size_t(run % 4)];
        ConstantsTable constants;
        for (int e = 0; e < 16; ++e) // drawn once: 1-9, or 0
            constants.set(e / 4 + 1, e % 4 + 1, qint16(run >= 4 * 9 * 4 ? 0 : 1 + (e * 7 + 3) % 9));
        QStringList outputs, captions;
        for (const QString &input : inputs)
            outputs << runMechanism(u"Livello%1"_s.arg(level), index, {input, colour, constants, u","});
        // A Level 1 threshold moves its constant on the first run; the model uses it as it stands.
        const detail::Cell cell =
            detail::levelTable(level)[std::size_t(index - 1)].byColour[std::size_t(run % 4)];
        const int k = cell.constant.row == 0 ? 0 : constants.at(cell.constant.row, cell.constant.column);
        QString text =
            QString::fromUtf16(calculationModels[int(cell.calculation)]).replace(u'K', QString::number(k));
        if (text.contains(u'N')) // n itself is "?" outside 16 bits
            text = u"se(N < -32768 o N > 32767; ?; %1)"_s.arg(text).replace(u'N', u"arrotonda(x)"_s);
        while (text.contains(u'[')) // innermost first
            text.replace(QRegularExpression(uR"(\[([^][]*)\])"_s),
                         u"se((\\1) < -32768 o (\\1) > 32767; ?; \\1)"_s);
        const Model model = Model::compile(text);
        for (const QString &input : inputs)
            captions << model.caption(input, u",");
        QVERIFY2(captions == outputs,
                 qPrintable(u"Livello%1 %2 %3: %4"_s.arg(level).arg(index).arg(colour, text)));
    }
}

void TestNotebook::notebook_data() {
    // steps, rows, summary ("1 esperimento su 2." follows "Il tuo modello spiega ")
    columns<QString, QString, QString>();
    const auto play = [](QStringView steps, QStringView rows, QStringView summary) {
        row(qPrintable(steps.toString()), steps.toString(), rows.toString(), summary.toString());
    };
    play(u"+1=2 | +2=3 | p:3=", u"-c -c", u"Scrivi un modello per vedere quanti esperimenti spiega.");
    play(u"+1=2 | m:x + | p:3=", u"-c", u"Sistema il modello per vedere quanti esperimenti spiega.");
    play(u"m:x + 1 | +1=2 | c:blu | p:12=13 | p:=", u"✓op",
         u"Fai un esperimento per mettere alla prova il tuo modello.");
    play(u"+1=2 | +2=5 | m:x + 1", u"✓c ✗c", u"1 esperimento su 2."); // written after the experiments
    play(u"+2=? | +2.5=3,5 | +0=0 | m:se(x <= 2; ?; x + 1) | p:2.5=3,5 | p:1=?", u"✓c ✓c ✗c",
         u"2 esperimenti su 3.");
    play(u"m:x + 1 | +1=2 | +2=3 | +3=4", u"✓cp ✓cp ✓cp",
         u"3 esperimenti su 3 e ha previsto 3 esperimenti nuovi di fila.");
    play(u"m:x + 1 | +1=2 | +2=5 | +3=4", u"✓cp ✗cp ✓cp",
         u"2 esperimenti su 3 e ha previsto 1 esperimento nuovo di fila."); // a miss restarts the streak
    // A change restarts the streak, a faulty model predicts nothing, blanks around are no change.
    play(u"m:x + 1 | +1=2 | m:x+1 | +2=3 | m:x + | +3=4 | m:x + 1 | +4=5 | m~  x + 1  | +5=6",
         u"✓c ✓c ✓c ✓cp ✓cp", u"5 esperimenti su 5 e ha previsto 2 esperimenti nuovi di fila.");
    play(u"+1=2 | l:Livello2 | +2=3 | c:verde | +3=4 | m:x + 1", u"✓m ✓o ✓c", u"1 esperimento su 1.");
    // Another colour keeps the streak.
    play(u"m:x + 1 | +1=2 | c:verde | +5=0 | c:rosso | +2=3", u"✓cp ✗op ✓cp",
         u"2 esperimenti su 2 e ha previsto 2 esperimenti nuovi di fila.");
    play(u"m:x + 1 | +1=2 | new | +2=3", u"✓cp",
         u"1 esperimento su 1 e ha previsto 1 esperimento nuovo di fila.");
}

// Steps: "m:text" sets the model and expects a change, "m~text" none; "+in=out" logs an experiment
// with the current settings; "c:verde" changes the colour, "l:Livello2" the level (another mechanism);
// "new" empties the log; "p:in=caption" expects the prediction for a typed input ("p:in=" none).
void TestNotebook::notebook() {
    const auto [steps, rows, summary] = fetch<QString, QString, QString>();
    Notebook notebook(u","_s);
    MachineSettings settings{u"Livello1"_s, u"rosso"_s, 1, {}};
    notebook.setCurrentSettings(settings);
    for (const QString &step : steps.split(u" | "_s)) {
        const QString arg = step.mid(step[0] == u'+' ? 1 : 2);
        const QString in = arg.section(u'=', 0, 0), out = arg.section(u'=', 1);
        if (step[0] == u'm') {
            QCOMPARE(notebook.setModelText(arg), step[1] == u':');
        } else if (step[0] == u'+') {
            notebook.addExperiment({in, out, settings});
        } else if (step[0] == u'p') {
            QCOMPARE(notebook.predictionText(in), out.isEmpty() ? out : u"Il tuo modello prevede: "_s + out);
        } else if (step == u"new") {
            notebook.clear();
        } else {
            (step[0] == u'c' ? settings.gearColour : settings.levelText) = arg;
            notebook.setCurrentSettings(settings);
        }
    }
    // A word a row: its mark (✓, ✗ or -), its standing (c counted, m other mechanism, o other colour),
    // p for a prediction.
    QStringList words;
    for (int i = 0; i < notebook.rowCount(); ++i)
        words << QString(u"-✓✗"[int(notebook.row(i).mark)]) + u"cmo"[int(notebook.row(i).standing)] +
                     (notebook.row(i).prediction ? u"p"_s : u""_s);
    QCOMPARE(words.join(u' '), rows);
    QCOMPARE(notebook.summaryText(), (summary[0].isDigit() ? u"Il tuo modello spiega "_s : u""_s) + summary);
}

QTEST_GUILESS_MAIN(TestNotebook)
#include "tst_notebook.moc"
