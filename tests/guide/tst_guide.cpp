// The guide's scripts, its speech text and its character file: everything that needs no window.

#include "guide/characterfile.h"
#include "guide/guidecharacter.h"
#include "guide/scripts.h"
#include "guide/speechtext.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace ingranix;

namespace {

// Writes down every call the scripts make, in order.
class FakeGuide : public GuideCharacter {
public:
    QStringList calls;
    qint16 frameWidth = 128;
    qint16 frameHeight = 160;

    bool load(const QString &id, const QString &path) override {
        calls << "load " + id + ' ' + path;
        return true;
    }
    void setLanguageId(int id) override { calls << QStringLiteral("language %1").arg(id); }
    void setBalloonFont(const QString &family, int size) override {
        calls << QStringLiteral("font %1 %2").arg(family).arg(size);
    }
    void moveTo(qint16 x, qint16 y) override { calls << QStringLiteral("moveTo %1,%2").arg(x).arg(y); }
    void show() override { calls << "show"; }
    void hide() override { calls << "hide"; }
    void speak(const QString &text) override { calls << "speak " + text; }
    void play(const QString &animation) override { calls << "play " + animation; }
    void stopAll() override { calls << "stopAll"; }
    qint16 width() const override { return frameWidth; }
    qint16 height() const override { return frameHeight; }
};

using Script = std::function<void(GuideCharacter &)>;

Script experiment(int n) {
    return [n](GuideCharacter &g) { guidescript::reactToExperiment(g, n); };
}

Script opened(const QString &path) {
    return [path](GuideCharacter &g) { guidescript::announceOpenedFile(g, path); };
}

} // namespace

Q_DECLARE_METATYPE(Script)
Q_DECLARE_METATYPE(QList<speech::Part>)

class TestGuide : public QObject {
    Q_OBJECT

private slots:
    void scriptRequests_data();
    void scriptRequests();
    void positions_data();
    void positions();
    void parseSpeech_data();
    void parseSpeech();
    void badCharacterFile_data();
    void badCharacterFile();
};

void TestGuide::scriptRequests_data() {
    QTest::addColumn<Script>("script");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("LoadGuide") << Script([](GuideCharacter &g) {
        guidescript::LoadGuide(g, "/opt/ingranix");
    }) << QStringList{"load merlin /opt/ingranix/merlin.json", "language 1040", "font Arial 12"};
    QTest::newRow("GreetPlayer")
        << Script([](GuideCharacter &g) {
               guidescript::GreetPlayer(g, {1920, 1080});
           })
        << QStringList{
               "moveTo 1720,530",
               "show",
               "speak Benvenuti alla ingranix1 1\\Pau=500\\ ",
               "speak \\Pau=200\\la prima cosa da fare è scegliere il tipo di livello....... livello1 "
               ".... livello2 ....eccetera",
               "speak \\Pau=300",
               "moveTo 164,480",
               "play getattention",
               "play getattention",
               "play gestureleft"};
    QTest::newRow("CoachAfterLevel")
        << Script(guidescript::CoachAfterLevel)
        << QStringList{"speak Bene\\pau=200\\ adesso scegli un  colore dal menù ingranaggi ....\\pau=200\\ "
                       "ricorda per ogni colore\\pau=200\\la macchina esegue un calcolo diverso "};
    QTest::newRow("CoachAfterColour")
        << Script(guidescript::CoachAfterColour)
        << QStringList{
               "moveTo 214,280", "play gestureright",
               "speak Bravo\\pau=1000\\Adesso inserisci ,un numero, e clicca su esperimento.\\pau=1000\\ "
               "Oppure usa il tasto invio della tua tastiera "};
    QTest::newRow("obiettivo")
        << Script(guidescript::explainGoal)
        << QStringList{"stopAll", "play search",
                       "speak Dunque. il gioco è semplice.\\pau=550\\......Tu sei lo scienziato.......devi "
                       "scoprire il calcolo.....eseguito dalla macchina.",
                       "speak \\pau=500\\Ricorda!Giammai avrai conferme da me.....o dalla macchina "
                       "dell'esatezza del tuo modello.",
                       "speak \\pau=500\\Solo più verifiche possono assicurare una buona affidabilità del "
                       "modello!"};
    QTest::newRow("controlli")
        << Script(guidescript::explainControls)
        << QStringList{
               "stopAll",
               "moveTo 164,480",
               "play announce",
               "speak \\pau=500\\La macchina esegue la stessa operazione con i vari dati che "
               "inseriamo,fino a quando non si decide di cambiare.",
               "play gestureleft",
               "speak \\pau=500\\Questo puo' essere fatto. Cliccando sul bottone.....Nuovo meccanismo "
               "di calcolo."};
    QTest::newRow("operazioni")
        << Script(guidescript::explainOperations)
        << QStringList{
               "stopAll",
               "play read",
               "speak Allora......\\pau=500\\ Le macchine operano solo con numeri naturali.\\pau=500\\ "
               "e producono numeri naturali come risultati.",
               "speak \\pau=500\\Nel caso di divisioni con risultato non intero, si considera solo la "
               "parte intera.",
               "speak \\pau=500\\ Se la macchina non è in grado di effettuare l'operazione "
               "\\pau=500\\(es. divisione per zero o sottraendo maggiore del minuendo) fornisce '?', "
               "come risultato.",
               "speak \\pau=500\\? punto interrogativo = calcolo impossibile per quell'input."};
    QTest::newRow("Mostra") << Script(guidescript::showGuide) << QStringList{"show"};
    QTest::newRow("Nascondi") << Script(guidescript::hideGuide) << QStringList{"stopAll", "hide"};
    QTest::newRow("WarnEmptyInput")
        << Script(guidescript::WarnEmptyInput)
        << QStringList{"play StopListening",
                       "speak agisci con piu' attenzione!\\pau=500\\Devi inserire il dato"};
    QTest::newRow("experiment 1") << experiment(1)
                                  << QStringList{
                                         "play gestureleft",
                                         "speak La macchina ha eseguito un calcolo e lo ripeterà sempre "
                                         "uguale, anche se cambierai i numeri in input."};
    QTest::newRow("experiment 2") << experiment(2)
                                  << QStringList{
                                         "speak Prova a inventare un calcolo che dia lo stesso output "
                                         "della macchina, e poi verifica se è giusto,mettendo nuovi "
                                         "input e cliccando sempre su esperimento."};
    QTest::newRow("experiment 3") << experiment(3)
                                  << QStringList{
                                         "speak Il tuo modello è valido se con esso riesci a indovinare "
                                         "il risultato di ogni esperimento.",
                                         "speak \\pau=500\\Quando hai trovato un modello valido puoi "
                                         "cambiare colore o meccanismo di calcolo.",
                                         "play processing"};
    QTest::newRow("experiment 4 is silent") << experiment(4) << QStringList{};

    const QString said =
        QStringLiteral("speak è stato aperto il meccanismo di calcolo che hai salvato con il "
                       "nome %1.\\pau=1000\\In questo caso devi inserire solo i dati ");
    QTest::newRow("opened .txt") << opened("/home/anna/prova.txt")
                                 << QStringList{"show", "play search", said.arg("/home/anna/prova")};
    QTest::newRow("opened name too short") << opened("abc") << QStringList{"show", "play search"};
    QTest::newRow("opened cut inside a surrogate pair")
        << opened(QString::fromUtf8("gatto😀abc")) << QStringList{"show", "play search", said.arg("gatto")};
}

void TestGuide::scriptRequests() {
    QFETCH(Script, script);
    QFETCH(QStringList, expected);
    FakeGuide guide;
    script(guide);
    QCOMPARE(guide.calls, expected);
}

void TestGuide::positions_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<int>("frameSide"); // width, and height = width + 32
    QTest::addColumn<QString>("moves"); // welcome, its end, the controls, the colour hint

    QTest::newRow("full HD") << QSize(1920, 1080) << 128 << "1720,530 164,480 164,480 214,280";
    // Half pixels round to the even neighbour, down and up.
    QTest::newRow("tie rounds down to even") << QSize(1024, 769) << 128 << "824,374 164,480 164,480 214,280";
    QTest::newRow("tie rounds up to even") << QSize(1024, 771) << 128 << "824,376 164,480 164,480 214,280";
    QTest::newRow("odd frame") << QSize(800, 600) << 131 << "600,290 166,482 166,482 216,282";
    QTest::newRow("no figure") << QSize(800, 600) << 0 << "600,290 100,400 100,400 150,200";
    QTest::newRow("screen beyond 16 bits")
        << QSize(40000, 70000) << 128 << "32767,32767 164,480 164,480 214,280";
}

void TestGuide::positions() {
    QFETCH(QSize, screen);
    QFETCH(int, frameSide);
    QFETCH(QString, moves);
    FakeGuide guide;
    guide.frameWidth = qint16(frameSide);
    guide.frameHeight = qint16(frameSide ? frameSide + 32 : 0);
    guidescript::GreetPlayer(guide, screen);
    guidescript::explainControls(guide);
    guidescript::CoachAfterColour(guide);
    QCOMPARE(guide.calls.filter(QRegularExpression("^moveTo ")).join(' ').remove("moveTo "), moves);
}

void TestGuide::parseSpeech_data() {
    using speech::Part;
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<Part>>("expected");
    const auto words = [](const QString &t) { return Part{Part::Words, t, 0}; };
    const auto pause = [](int ms) { return Part{Part::Pause, QString(), ms}; };

    QTest::newRow("closing tag, trailing blank dropped")
        << "Benvenuti alla ingranix1 1\\Pau=500\\ "
        << QList<Part>{words("Benvenuti alla ingranix1 1"), pause(500)};
    QTest::newRow("unterminated tag at the end") << "\\Pau=300" << QList<Part>{pause(300)};
    QTest::newRow("lower case between words")
        << "Bene\\pau=200\\ adesso" << QList<Part>{words("Bene"), pause(200), words(" adesso")};
    QTest::newRow("unterminated in the middle")
        << "a \\pau=300 b" << QList<Part>{words("a "), pause(300), words(" b")};
    QTest::newRow("runaway digits are one capped pause")
        << "\\pau=99999999999999999999999999\\x" << QList<Part>{pause(speech::maxPauseMs), words("x")};
    QTest::newRow("no number: words kept apart") << "a\\pau=\\b" << QList<Part>{words("a b")};
    QTest::newRow("other backslashes are text") << "C:\\dati\\x" << QList<Part>{words("C:\\dati\\x")};
    QTest::newRow("tag prefix cut by the end") << "ciao\\pau=" << QList<Part>{words("ciao")};
    // A megabyte of text would hold the guide for hours; a surrogate pair is never split at the cut.
    const QString runaway =
        QString(speech::maxSpokenChars - 1, u'a') + QString::fromUtf8("😀") + QString(1 << 20, u'b');
    QTest::newRow("runaway text is cut")
        << runaway + "\\pau=100\\" + runaway
        << QList<Part>{words(runaway.left(speech::maxSpokenChars - 1)), pause(100)};
}

void TestGuide::parseSpeech() {
    QFETCH(QString, text);
    QFETCH(QList<speech::Part>, expected);
    QCOMPARE(speech::parse(text), expected);
}

void TestGuide::badCharacterFile_data() {
    QTest::addColumn<QByteArray>("content"); // null: no file at all
    QTest::addColumn<int>("width");          // 7: the caller's model was left alone
    QTest::addColumn<int>("totalMs");        // of all the animations loaded
    const QByteArray head = R"({"format":"ingranix-character",)";
    QTest::newRow("missing file") << QByteArray() << 7 << 0;
    QTest::newRow("cut short") << QByteArray(head + R"("width":128,"height":)") << 7 << 0;
    QTest::newRow("somebody else's JSON") << QByteArray(R"({"width":128,"height":160})") << 7 << 0;
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe\x01{{{\x80", 9) << 7 << 0;
    QTest::newRow("too large") << QByteArray(head + QByteArray(character::maxFileBytes, ' ') + "}") << 7 << 0;
    QTest::newRow("frame size only") << QByteArray(head + R"("width":128,"height":160})") << 128 << 0;
    // Out-of-range numbers are clamped, and animations without frames are left out.
    QTest::newRow("strange numbers") << QByteArray(head + R"("width":1e9,"height":-5,"animations":{
          "wild":{"frames":[{"ms":-100,"pose":{"lift":1e300}},{"ms":1e12},"not a frame",{"pose":null}]},
          "empty":{"frames":[]}, "":{"frames":[{"ms":100}]}}})")
                                     << character::maxFrameSide
                                     << character::minFrameMs + character::maxFrameMs + 100;
}

void TestGuide::badCharacterFile() {
    QFETCH(QByteArray, content);
    QFETCH(int, width);
    QFETCH(int, totalMs);
    QTemporaryDir dir;
    QFile file(dir.filePath("merlin.json"));
    if (!content.isNull())
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
    character::Model model;
    model.width = 7;
    QCOMPARE(character::loadFile(file.fileName(), model), width != 7);
    QCOMPARE(model.width, width);
    int total = 0;
    for (const character::Animation &animation : std::as_const(model.animations))
        total += animation.durationMs();
    QCOMPARE(total, totalMs);
}

QTEST_GUILESS_MAIN(TestGuide)
#include "tst_guide.moc"
