// The guide's scripts, its speech text and its character file: everything that needs no window.

#include "guide/characterfile.h"
#include "guide/guidecharacter.h"
#include "guide/scripts.h"
#include "guide/speechtext.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <limits>

using namespace ingranix;

namespace {

// Writes down every call the scripts make, in order.
class FakeGuide : public GuideCharacter {
public:
    QStringList calls;
    qint16 frameWidth = 128;
    qint16 frameHeight = 160;
    bool logReads = false;

    bool load(const QString &id, const QString &filePath) override {
        calls << QStringLiteral("load %1 %2").arg(id, filePath);
        return true;
    }
    void setLanguageId(int languageId) override { calls << QStringLiteral("language %1").arg(languageId); }
    void setBalloonFont(const QString &family, int pointSize) override {
        calls << QStringLiteral("font %1 %2").arg(family).arg(pointSize);
    }
    void moveTo(qint16 x, qint16 y) override { calls << QStringLiteral("moveTo %1,%2").arg(x).arg(y); }
    void show() override { calls << QStringLiteral("show"); }
    void hide() override { calls << QStringLiteral("hide"); }
    void speak(const QString &text) override { calls << QStringLiteral("speak ") + text; }
    void play(const QString &animation) override { calls << QStringLiteral("play ") + animation; }
    void stopAll() override { calls << QStringLiteral("stopAll"); }
    qint16 width() const override {
        if (logReads)
            const_cast<FakeGuide *>(this)->calls << QStringLiteral("width");
        return frameWidth;
    }
    qint16 height() const override {
        if (logReads)
            const_cast<FakeGuide *>(this)->calls << QStringLiteral("height");
        return frameHeight;
    }
};

using Script = std::function<void(GuideCharacter &)>;

const QString welcome1 = QStringLiteral("speak Benvenuti alla ingranix1 1\\Pau=500\\ ");
const QString welcome2 = QStringLiteral(
    "speak \\Pau=200\\la prima cosa da fare è scegliere il tipo di livello....... livello1 .... livello2 "
    "....eccetera");

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return QString();
    return path;
}

} // namespace

Q_DECLARE_METATYPE(Script)
Q_DECLARE_METATYPE(QList<speech::Part>)

namespace QTest {
template <> char *toString(const speech::Part &part) {
    return part.kind == speech::Part::Pause ? qstrdup(QByteArray("pause ") + QByteArray::number(part.pauseMs))
                                            : qstrdup(QByteArray("words \"") + part.text.toUtf8() + '"');
}
} // namespace QTest

class TestGuide : public QObject {
    Q_OBJECT

private slots:
    void scriptRequests_data();
    void scriptRequests();
    void positions_data();
    void positions();
    void frameSizeIsReadJustBeforeUse();
    void roundToPixel_data();
    void roundToPixel();

    void parseSpeech_data();
    void parseSpeech();
    void runawayTextIsCut();
    void displayText_data();
    void displayText();
    void estimate_data();
    void estimate();

    void shippedCharacterHasEveryAnimation();
    void characterRoundTrip();
    void badCharacterFile_data();
    void badCharacterFile();
    void strangeNumbersAreTamed();
};

void TestGuide::scriptRequests_data() {
    QTest::addColumn<Script>("script");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("LoadGuide") << Script([](GuideCharacter &g) {
        guidescript::LoadGuide(g, "/opt/ingranix");
    }) << QStringList{"load merlin /opt/ingranix/merlin.json", "language 1040", "font Arial 12"};
    QTest::newRow("GreetPlayer") << Script([](GuideCharacter &g) {
        guidescript::GreetPlayer(g, {1920, 1080});
    })
                                 << QStringList{"moveTo 1720,530",
                                                "show",
                                                welcome1,
                                                welcome2,
                                                "speak \\Pau=300",
                                                "moveTo 164,480",
                                                "play getattention",
                                                "play getattention",
                                                "play gestureleft"};
    QTest::newRow("CoachAfterLevel")
        << Script(guidescript::CoachAfterLevel)
        << QStringList{
               "speak Bene\\pau=200\\ adesso scegli un  colore dal menù ingranaggi ....\\pau=200\\ ricorda "
               "per ogni colore\\pau=200\\la macchina esegue un calcolo diverso "};
    QTest::newRow("CoachAfterColour")
        << Script(guidescript::CoachAfterColour)
        << QStringList{
               "moveTo 214,280", "play gestureright",
               "speak Bravo\\pau=1000\\Adesso inserisci ,un numero, e clicca su esperimento.\\pau=1000\\ "
               "Oppure usa il tasto invio della tua tastiera "};
    QTest::newRow("obiettivo") << Script(guidescript::explainGoal)
                               << QStringList{
                                      "stopAll", "play search",
                                      "speak Dunque. il gioco è semplice.\\pau=550\\......Tu sei lo "
                                      "scienziato.......devi scoprire il calcolo.....eseguito dalla "
                                      "macchina.",
                                      "speak \\pau=500\\Ricorda!Giammai avrai conferme da me.....o dalla "
                                      "macchina dell'esatezza del tuo modello.",
                                      "speak \\pau=500\\Solo più verifiche possono assicurare una buona "
                                      "affidabilità del modello!"};
    QTest::newRow("controlli") << Script(guidescript::explainControls)
                               << QStringList{
                                      "stopAll",
                                      "moveTo 164,480",
                                      "play announce",
                                      "speak \\pau=500\\La macchina esegue la stessa operazione con i vari "
                                      "dati che inseriamo,fino a quando non si decide di cambiare.",
                                      "play gestureleft",
                                      "speak \\pau=500\\Questo puo' essere fatto. Cliccando sul "
                                      "bottone.....Nuovo meccanismo di calcolo."};
    QTest::newRow("operazioni")
        << Script(guidescript::explainOperations)
        << QStringList{
               "stopAll",
               "play read",
               "speak Allora......\\pau=500\\ Le macchine operano solo con numeri naturali.\\pau=500\\ e "
               "producono numeri naturali come risultati.",
               "speak \\pau=500\\Nel caso di divisioni con risultato non intero, si considera solo la "
               "parte intera.",
               "speak \\pau=500\\ Se la macchina non è in grado di effettuare l'operazione "
               "\\pau=500\\(es. divisione per zero o sottraendo maggiore del minuendo) fornisce '?', come "
               "risultato.",
               "speak \\pau=500\\? punto interrogativo = calcolo impossibile per quell'input."};
    QTest::newRow("Mostra") << Script(guidescript::showGuide) << QStringList{"show"};
    QTest::newRow("Nascondi") << Script(guidescript::hideGuide) << QStringList{"stopAll", "hide"};
    QTest::newRow("WarnEmptyInput") << Script(guidescript::WarnEmptyInput)
                                    << QStringList{
                                           "play StopListening",
                                           "speak agisci con piu' attenzione!\\pau=500\\Devi inserire il "
                                           "dato"};
    QTest::newRow("experiment 1") << Script([](GuideCharacter &g) { guidescript::reactToExperiment(g, 1); })
                                  << QStringList{
                                         "play gestureleft",
                                         "speak La macchina ha eseguito un calcolo e lo ripeterà sempre "
                                         "uguale, anche se cambierai i numeri in input."};
    QTest::newRow("experiment 2") << Script([](GuideCharacter &g) { guidescript::reactToExperiment(g, 2); })
                                  << QStringList{
                                         "speak Prova a inventare un calcolo che dia lo stesso output della "
                                         "macchina, e poi verifica se è giusto,mettendo nuovi input e "
                                         "cliccando sempre su esperimento."};
    QTest::newRow("experiment 3") << Script([](GuideCharacter &g) { guidescript::reactToExperiment(g, 3); })
                                  << QStringList{
                                         "speak Il tuo modello è valido se con esso riesci a indovinare il "
                                         "risultato di ogni esperimento.",
                                         "speak \\pau=500\\Quando hai trovato un modello valido puoi "
                                         "cambiare colore o meccanismo di calcolo.",
                                         "play processing"};
    QTest::newRow("experiment 4") << Script([](GuideCharacter &g) { guidescript::reactToExperiment(g, 4); })
                                  << QStringList{};
    QTest::newRow("experiment 0") << Script([](GuideCharacter &g) { guidescript::reactToExperiment(g, 0); })
                                  << QStringList{};
    QTest::newRow("experiment past 16 bits")
        << Script([](GuideCharacter &g) { guidescript::reactToExperiment(g, 32768 + 1); }) << QStringList{};

    const QString opened =
        QStringLiteral("speak è stato aperto il meccanismo di calcolo che hai salvato con il "
                       "nome %1.\\pau=1000\\In questo caso devi inserire solo i dati ");
    QTest::newRow("opened with .txt")
        << Script([](GuideCharacter &g) { guidescript::announceOpenedFile(g, "/home/anna/prova.txt"); })
        << QStringList{"show", "play search", opened.arg("/home/anna/prova")};
    QTest::newRow("opened without extension loses four letters")
        << Script([](GuideCharacter &g) { guidescript::announceOpenedFile(g, "macchinetta"); })
        << QStringList{"show", "play search", opened.arg("macchin")};
    QTest::newRow("opened name of exactly four")
        << Script([](GuideCharacter &g) { guidescript::announceOpenedFile(g, ".txt"); })
        << QStringList{"show", "play search", opened.arg("")};
    QTest::newRow("opened name too short to speak")
        << Script([](GuideCharacter &g) { guidescript::announceOpenedFile(g, "abc"); })
        << QStringList{"show", "play search"};
    QTest::newRow("opened cut inside a surrogate pair") << Script([](GuideCharacter &g) {
        guidescript::announceOpenedFile(g, QString::fromUtf8("gatto😀abc"));
    }) << QStringList{"show", "play search", opened.arg("gatto")};
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
    QTest::addColumn<int>("frameWidth");
    QTest::addColumn<int>("frameHeight");
    QTest::addColumn<QString>("welcomePlace");
    QTest::addColumn<QString>("cornerPlace"); // end of the welcome, and the controls
    QTest::addColumn<QString>("colourPlace");

    QTest::newRow("full HD, even frame") << QSize(1920, 1080) << 128 << 160 << "1720,530"
                                         << "164,480"
                                         << "214,280";
    // Half pixels round to the even neighbour, down and up.
    QTest::newRow("odd screen height rounds down") << QSize(1024, 769) << 128 << 160 << "824,374"
                                                   << "164,480"
                                                   << "214,280";
    QTest::newRow("odd screen height rounds up") << QSize(1024, 771) << 128 << 160 << "824,376"
                                                 << "164,480"
                                                 << "214,280";
    QTest::newRow("odd frame rounds down") << QSize(800, 600) << 129 << 161 << "600,290"
                                           << "164,480"
                                           << "214,280";
    QTest::newRow("odd frame rounds up") << QSize(800, 600) << 131 << 163 << "600,290"
                                         << "166,482"
                                         << "216,282";
    QTest::newRow("no figure") << QSize(800, 600) << 0 << 0 << "600,290"
                               << "100,400"
                               << "150,200";
    QTest::newRow("empty screen") << QSize(0, 0) << 128 << 160 << "-200,-10"
                                  << "164,480"
                                  << "214,280";
    QTest::newRow("screen beyond 16 bits") << QSize(40000, 70000) << 128 << 160 << "32767,32767"
                                           << "164,480"
                                           << "214,280";
    QTest::newRow("largest frame") << QSize(800, 600) << 32767 << 32767 << "600,290"
                                   << "16484,16784"
                                   << "16534,16584";
}

void TestGuide::positions() {
    QFETCH(QSize, screen);
    QFETCH(int, frameWidth);
    QFETCH(int, frameHeight);
    QFETCH(QString, welcomePlace);
    QFETCH(QString, cornerPlace);
    QFETCH(QString, colourPlace);

    FakeGuide guide;
    guide.frameWidth = qint16(frameWidth);
    guide.frameHeight = qint16(frameHeight);
    guidescript::GreetPlayer(guide, screen);
    guidescript::explainControls(guide);
    guidescript::CoachAfterColour(guide);
    const QStringList moves = guide.calls.filter(QRegularExpression("^moveTo "));
    QCOMPARE(moves, (QStringList{"moveTo " + welcomePlace, "moveTo " + cornerPlace, "moveTo " + cornerPlace,
                                 "moveTo " + colourPlace}));
}

void TestGuide::frameSizeIsReadJustBeforeUse() {
    // The character may have been reloaded while the welcome was queued: its size is read when the
    // move is worked out, not before the speeches.
    FakeGuide guide;
    guide.logReads = true;
    guidescript::GreetPlayer(guide, {800, 600});
    const qsizetype end = guide.calls.size() - 1;
    const qsizetype lastSpeech = guide.calls.lastIndexOf(QRegularExpression("speak .*"), end);
    const qsizetype firstRead = guide.calls.indexOf(QRegularExpression("width|height"));
    const qsizetype secondMove = guide.calls.lastIndexOf(QRegularExpression("moveTo .*"), end);
    QCOMPARE(lastSpeech, 4);
    QCOMPARE(firstRead, 5);
    QCOMPARE(secondMove, 7);
}

void TestGuide::roundToPixel_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("half down to even") << 0.5 << 0;
    QTest::newRow("half up to even") << 1.5 << 2;
    QTest::newRow("negative half") << -0.5 << 0;
    QTest::newRow("negative one and a half") << -1.5 << -2;
    QTest::newRow("below half") << 2.4999 << 2;
    QTest::newRow("above half") << 2.5001 << 3;
    QTest::newRow("top of range") << 32767.4 << 32767;
    QTest::newRow("tie past the top") << 32767.5 << 32767;
    QTest::newRow("bottom of range") << -32768.5 << -32768;
    QTest::newRow("far past the bottom") << -1e12 << -32768;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << 32767;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0;
}

void TestGuide::roundToPixel() {
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(int(guidescript::roundToPixel(value)), expected);
}

void TestGuide::parseSpeech_data() {
    using speech::Part;
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<Part>>("expected");
    const auto words = [](const QString &t) { return Part{Part::Words, t, 0}; };
    const auto pause = [](int ms) { return Part{Part::Pause, QString(), ms}; };

    QTest::newRow("plain words") << "Ciao" << QList<Part>{words("Ciao")};
    QTest::newRow("empty") << "" << QList<Part>{};
    QTest::newRow("closing tag, trailing blank dropped")
        << "Benvenuti alla ingranix1 1\\Pau=500\\ "
        << QList<Part>{words("Benvenuti alla ingranix1 1"), pause(500)};
    QTest::newRow("unterminated tag at the end") << "\\Pau=300" << QList<Part>{pause(300)};
    QTest::newRow("lower case between words")
        << "Bene\\pau=200\\ adesso" << QList<Part>{words("Bene"), pause(200), words(" adesso")};
    QTest::newRow("upper case") << "a\\PAU=10\\b" << QList<Part>{words("a"), pause(10), words("b")};
    QTest::newRow("pauses in a row add up")
        << "\\pau=500\\\\pau=200\\x" << QList<Part>{pause(700), words("x")};
    QTest::newRow("blanks inside the tag") << "\\pau= 250 \\x" << QList<Part>{pause(250), words("x")};
    QTest::newRow("unterminated in the middle")
        << "a \\pau=300 b" << QList<Part>{words("a "), pause(300), words(" b")};
    QTest::newRow("pause is capped") << "\\pau=600000\\x"
                                     << QList<Part>{pause(speech::maxPauseMs), words("x")};
    QTest::newRow("runaway digits are one capped pause")
        << "\\pau=99999999999999999999999999\\x" << QList<Part>{pause(speech::maxPauseMs), words("x")};
    QTest::newRow("no number: no pause, words kept apart") << "a\\pau=\\b" << QList<Part>{words("a b")};
    QTest::newRow("letters for a number") << "a\\pau=abc\\b" << QList<Part>{words("a b")};
    QTest::newRow("negative pause") << "a\\pau=-5\\b" << QList<Part>{words("a b")};
    QTest::newRow("other backslashes are text") << "C:\\dati\\x" << QList<Part>{words("C:\\dati\\x")};
    QTest::newRow("tag without equals is text") << "a\\pau 100\\" << QList<Part>{words("a\\pau 100\\")};
    QTest::newRow("only blanks between tags") << "\\pau=100\\   \\pau=100\\" << QList<Part>{pause(200)};
    QTest::newRow("tag prefix cut by the end") << "ciao\\pau=" << QList<Part>{words("ciao")};
}

void TestGuide::parseSpeech() {
    QFETCH(QString, text);
    QFETCH(QList<speech::Part>, expected);
    QCOMPARE(speech::parse(text), expected);
}

void TestGuide::runawayTextIsCut() {
    // A megabyte of text would hold the guide for hours; a surrogate pair is never split at the cut.
    QString text =
        QString(speech::maxSpokenChars - 1, u'a') + QString::fromUtf8("😀") + QString(1 << 20, u'b');
    const QList<speech::Part> parts = speech::parse(text + "\\pau=100\\" + text);
    QCOMPARE(parts.size(), 2);
    QCOMPARE(parts.at(0).text, QString(speech::maxSpokenChars - 1, u'a'));
    QCOMPARE(parts.at(1).pauseMs, 100);
    QVERIFY(speech::estimateMs(parts) <= 60000 + 100);
}

void TestGuide::displayText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("tag between two words parts them") << "ricorda per ogni colore\\pau=200\\la macchina"
                                                      << "ricorda per ogni colore la macchina";
    QTest::newRow("tag beside a blank adds none") << "Bene\\pau=200\\ adesso"
                                                  << "Bene adesso";
    QTest::newRow("only a pause shows nothing") << "\\Pau=300"
                                                << "";
    QTest::newRow("dots stay") << "semplice.\\pau=550\\......Tu"
                               << "semplice. ......Tu";
}

void TestGuide::displayText() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(speech::displayText(text), shown);
}

void TestGuide::estimate_data() {
    QTest::addColumn<QString>("words");
    QTest::addColumn<int>("ms");
    QTest::newRow("nothing") << "" << 0;
    QTest::newRow("blanks") << "   " << 0;
    QTest::newRow("one letter takes the minimum") << "a" << 400;
    QTest::newRow("ten letters") << "abcdefghij" << 700;
    QTest::newRow("surrounding blanks do not count") << "  abcdefghij  " << 700;
    QTest::newRow("a very long text is capped") << QString(100000, u'x') << 60000;
}

void TestGuide::estimate() {
    QFETCH(QString, words);
    QFETCH(int, ms);
    QCOMPARE(speech::estimateMs(words), ms);
}

void TestGuide::shippedCharacterHasEveryAnimation() {
    const QString path = QCoreApplication::applicationDirPath() + '/' +
                         guidescript::characterFileName(QStringLiteral("merlin"));
    character::Model model;
    QString problem;
    QVERIFY2(character::loadFile(path, model, &problem), qPrintable(problem));
    QVERIFY(model.width >= 64 && model.height >= 64);

    const QStringList names{"getattention", "gestureleft", "gestureright", "announce",
                            "search",       "read",        "processing",   "StopListening"};
    QList<character::Pose> signatures;
    for (const QString &name : names) {
        QVERIFY2(model.animations.contains(name), qPrintable(name));
        const character::Animation &animation = model.animations.value(name);
        // Visible: some frame leaves the rest pose. Short enough not to hold the queue for long.
        QVERIFY2(std::any_of(animation.frames.cbegin(), animation.frames.cend(),
                             [&](const character::Frame &f) { return !(f.pose == model.rest); }),
                 qPrintable(name));
        QVERIFY2(animation.durationMs() >= 300 && animation.durationMs() <= 3000, qPrintable(name));
        // Of its own: no two animations share their middle pose.
        const character::Pose middle = animation.frames.at(animation.frames.size() / 2).pose;
        QVERIFY2(!signatures.contains(middle), qPrintable(name));
        signatures << middle;
    }
}

void TestGuide::characterRoundTrip() {
    character::Model model;
    model.id = "prova";
    model.width = 100;
    model.height = 90;
    model.rest.eyes = 0.5;
    character::Frame frame;
    frame.durationMs = 250;
    frame.pose = model.rest;
    frame.pose.leftArm = 135;
    frame.pose.sparkle = 0.25;
    model.animations["wave"].frames = {frame, frame};

    character::Model back;
    QVERIFY(character::fromJson(character::toJson(model), back));
    QCOMPARE(back.id, model.id);
    QCOMPARE(back.width, 100);
    QCOMPARE(back.height, 90);
    QVERIFY(back.rest == model.rest);
    QCOMPARE(back.animations.keys(), QStringList{"wave"});
    QCOMPARE(back.animations["wave"].frames.size(), 2);
    QVERIFY(back.animations["wave"].frames.at(1).pose == frame.pose);
    QCOMPARE(back.animations["wave"].durationMs(), 500);
}

void TestGuide::badCharacterFile_data() {
    QTest::addColumn<QByteArray>("content"); // empty name: no file at all
    QTest::addColumn<bool>("loads");
    const QByteArray head = R"({"format":"ingranix-character",)";
    QTest::newRow("missing file") << QByteArray() << false;
    QTest::newRow("empty file") << QByteArray("") << false;
    QTest::newRow("not JSON") << QByteArray("merlin, il mago") << false;
    QTest::newRow("cut short") << QByteArray(head + R"("width":128,"height":)") << false;
    QTest::newRow("an array") << QByteArray("[1,2,3]") << false;
    QTest::newRow("somebody else's JSON") << QByteArray(R"({"width":128,"height":160})") << false;
    QTest::newRow("no frame size") << QByteArray(head + R"("animations":{}})") << false;
    QTest::newRow("size as text") << QByteArray(head + R"("width":"128","height":"160"})") << false;
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe\x01{{{\x80", 9) << false;
    QTest::newRow("too large") << QByteArray(head + QByteArray(character::maxFileBytes, ' ') + "}") << false;
    QTest::newRow("frame size only") << QByteArray(head + R"("width":128,"height":160})") << true;
}

void TestGuide::badCharacterFile() {
    QFETCH(QByteArray, content);
    QFETCH(bool, loads);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path =
        content.isNull() ? dir.filePath("merlin.json") : writeFile(dir, "merlin.json", content);
    QVERIFY(!path.isEmpty());
    character::Model model;
    model.width = 7; // a failed load leaves the caller's model alone
    QCOMPARE(character::loadFile(path, model), loads);
    QCOMPARE(model.width, loads ? 128 : 7);
}

void TestGuide::strangeNumbersAreTamed() {
    const QByteArray json = R"({"format":"ingranix-character","width":1e9,"height":-5,
        "rest":{"mouth":7,"leftArm":"up"},
        "animations":{
          "wild":{"frames":[{"ms":-100,"pose":{"lift":1e300}},{"ms":1e12},"not a frame",{"pose":null}]},
          "empty":{"frames":[]},
          "noFrames":{},
          "":{"frames":[{"ms":100}]}}})";
    character::Model model;
    QVERIFY(character::fromJson(json, model));
    QCOMPARE(model.width, character::maxFrameSide);
    QCOMPARE(model.height, character::minFrameSide);
    QCOMPARE(model.rest.mouth, 1.0);
    QCOMPARE(model.rest.leftArm, character::Pose{}.leftArm);
    QCOMPARE(model.animations.keys(), QStringList{"wild"}); // animations without frames are left out
    const character::Animation wild = model.animations.value("wild");
    QCOMPARE(wild.frames.size(), 3);
    QCOMPARE(wild.frames.at(0).durationMs, character::minFrameMs);
    QCOMPARE(wild.frames.at(0).pose.lift, 50.0);
    QCOMPARE(wild.frames.at(1).durationMs, character::maxFrameMs);
    QCOMPARE(wild.frames.at(2).durationMs, 100);
}

QTEST_GUILESS_MAIN(TestGuide)
#include "tst_guide.moc"
