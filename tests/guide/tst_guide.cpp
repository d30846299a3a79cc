// The guide: its scripts, its speech text and its character file, then the character on the screen
// with a voice that the test controls, and last with its real voice, heard.

#include "guide/characterfile.h"
#include "guide/guideagent.h"
#include "guide/guidecharacter.h"
#include "guide/guidevoice.h"
#include "guide/guidewindows.h"
#include "guide/scripts.h"
#include "guide/speechtext.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace ingranix;

namespace {

// Writes down every call the scripts make, in order.
class FakeGuide : public GuideCharacter {
public:
    QStringList calls;
    bool load(const QString &id, const QString &f) override {
        log("load " + id + ' ' + f);
        return true;
    }
    void setLanguageId(int id) override { log(QString("language %1").arg(id)); }
    void setBalloonFont(const QString &f, int pt) override { log(QString("font %1 %2").arg(f).arg(pt)); }
    void moveTo(qint16 x, qint16 y) override { log(QString("moveTo %1,%2").arg(x).arg(y)); }
    void show() override { log("show"); }
    void hide() override { log("hide"); }
    void speak(const QString &text) override { log("speak " + text); }
    void play(const QString &animation) override { log("play " + animation); }
    void stopAll() override { log("stopAll"); }
    qint16 width() const override { return 133; } // odd: half pixels, each rounding down to even
    qint16 height() const override { return 161; }
    void log(const QString &call) { calls << call; }
};

// Records what it is asked to say; answers at once, or never, like a speech service without a sound device.
class FakeVoice : public GuideVoice {
public:
    explicit FakeVoice(bool answers = false) : answers(answers) {}
    const bool answers;
    QStringList said;
    int stops = 0;

    void setLocale(const QLocale &) override {}
    bool isAvailable() const override { return true; }
    void say(const QString &text) override {
        said << text;
        if (answers)
            QTimer::singleShot(0, this, [this] { emit finished(); });
    }
    void stop() override { ++stops; }
};

using Script = std::function<void(GuideCharacter &)>;
using Start = std::function<void(GuideAgent &)>;

void row(const char *name, const Script &script, const QString &calls) {
    QTest::newRow(name) << script << calls;
}

} // namespace

Q_DECLARE_METATYPE(Script)
Q_DECLARE_METATYPE(Start)
Q_DECLARE_METATYPE(QList<speech::Part>)

class TestGuide : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    character::Model shipped_;
    std::unique_ptr<GuideAgent> real_; // the game's own voice
    QProcess recorder_;

    // A guide with a small quick character (or none: its file is missing), shown unless told otherwise.
    std::unique_ptr<GuideAgent> makeGuide(bool figure, FakeVoice *voice = nullptr, bool shown = true) {
        auto guide = std::make_unique<GuideAgent>(std::unique_ptr<GuideVoice>(voice));
        guide->load("merlin", dir_.filePath(figure ? "merlin.json" : "missing.json"));
        if (shown) {
            guide->show();
            waitIdle(*guide);
        }
        return guide;
    }
    static bool waitIdle(GuideAgent &guide) {
        return QTest::qWaitFor([&] { return !guide.isBusy(); }, 10000);
    }
    static const character::Pose &pose(const GuideAgent &guide) {
        return static_cast<FigureWindow *>(guide.figureWindow())->pose();
    }

    // The null sink's monitor, recorded until heard() is asked.
    void record() {
        recorder_.start("parecord", {"--device=" + qEnvironmentVariable("INGRANIX_NULL_SINK") + ".monitor",
                                     "--file-format=wav", dir_.filePath("heard.wav")});
        QVERIFY(recorder_.waitForStarted(5000));
        QTest::qWait(300); // the stream is set up; what follows is heard
    }
    // Ends the recording: the seconds from its first sound to its last.
    double heard() {
        recorder_.terminate(); // parecord closes its file properly on SIGTERM
        recorder_.waitForFinished(5000);
        const QStringList trim{"silence", "1", "0.02", "1%", "reverse"};
        QProcess sox;
        sox.start("sox", QStringList{dir_.filePath("heard.wav"), "-n"} + trim + trim + QStringList{"stat"});
        sox.waitForFinished(20000);
        const auto length =
            QRegularExpression(R"(Length \(seconds\):\s+(\S+))").match(sox.readAllStandardError());
        return length.hasMatch() ? length.captured(1).toDouble() : -1;
    }

private slots:
    // The real voice is heard through with_null_sink.sh: speech-dispatcher speaks into a PulseAudio null
    // sink whose monitor is recorded and measured with sox.
    void init() {
        if (!QString(QTest::currentTestFunction()).startsWith("realVoice") || real_)
            return;
        if (!qEnvironmentVariableIsSet("INGRANIX_NULL_SINK"))
            QSKIP("needs the sound stack of with_null_sink.sh");
        real_ = std::make_unique<GuideAgent>();
        QSignalSpy answer(real_.get(), &GuideAgent::voiceAvailabilityChanged);
        guidescript::LoadGuide(*real_, QCoreApplication::applicationDirPath());
        QVERIFY2(answer.wait(20000) && real_->hasVoice(), "speech-dispatcher has no Italian voice");
        real_->show();
        QVERIFY(waitIdle(*real_));
    }

    void initTestCase() {
        QVERIFY(character::loadFile(QCoreApplication::applicationDirPath() + "/merlin.json", shipped_));
        character::Model quick{"merlin", 64, 80, {}, {}};
        quick.animations["wave"].frames = {{100, {.rightArm = 150}}, {400, {.rightArm = 100}}};
        QFile file(dir_.filePath("merlin.json"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(character::toJson(quick)) > 0);
    }

    void scriptRequests_data() {
        QTest::addColumn<Script>("script");
        QTest::addColumn<QString>("expected"); // the calls in order, parted by '|'
        const Script load = [](GuideCharacter &g) { guidescript::LoadGuide(g, "/opt/ingranix"); };
        const Script greet = [](GuideCharacter &g) { guidescript::GreetPlayer(g, {1921, 1083}); };
        const Script experiments = [](GuideCharacter &g) {
            for (int count = 1; count <= 4; ++count) // the fourth says nothing
                guidescript::reactToExperiment(g, count);
        };
        row("LoadGuide", load, "load merlin /opt/ingranix/merlin.json|language 1040|font Arial 12");
        row("GreetPlayer", greet,
            R"(moveTo 1721,532|show|speak Benvenuti alla ingranix1 1\Pau=500\ |speak \Pau=200\la prima )"
            R"(cosa da fare è scegliere il tipo di livello....... livello1 .... livello2 ....eccetera|)"
            R"(speak \Pau=300|moveTo 166,480|play getattention|play getattention|play gestureleft)");
        row("CoachAfterLevel", guidescript::CoachAfterLevel,
            R"(speak Bene\pau=200\ adesso scegli un  colore dal menù ingranaggi ....\pau=200\ ricorda per )"
            R"(ogni colore\pau=200\la macchina esegue un calcolo diverso )");
        row("CoachAfterColour", guidescript::CoachAfterColour,
            R"(moveTo 216,280|play gestureright|speak Bravo\pau=1000\Adesso inserisci ,un numero, e )"
            R"(clicca su esperimento.\pau=1000\ Oppure usa il tasto invio della tua tastiera )");
        row("obiettivo", guidescript::explainGoal,
            R"(stopAll|play search|speak Dunque. il gioco è semplice.\pau=550\......Tu sei lo )"
            R"(scienziato.......devi scoprire il calcolo.....eseguito dalla macchina.|speak \pau=500\)"
            R"(Ricorda!Giammai avrai conferme da me.....o dalla macchina dell'esatezza del tuo modello.|)"
            R"(speak \pau=500\Solo più verifiche possono assicurare una buona affidabilità del modello!)");
        row("controlli", guidescript::explainControls,
            R"(stopAll|moveTo 166,480|play announce|speak \pau=500\La macchina esegue la stessa )"
            R"(operazione con i vari dati che inseriamo,fino a quando non si decide di cambiare.|play )"
            R"(gestureleft|speak \pau=500\Questo puo' essere fatto. Cliccando sul bottone.....Nuovo )"
            R"(meccanismo di calcolo.)");
        row("operazioni", guidescript::explainOperations,
            R"(stopAll|play read|speak Allora......\pau=500\ Le macchine operano solo con numeri )"
            R"(naturali.\pau=500\ e producono numeri naturali come risultati.|speak \pau=500\Nel caso di )"
            R"(divisioni con risultato non intero, si considera solo la parte intera.|speak \pau=500\ Se )"
            R"(la macchina non è in grado di effettuare l'operazione \pau=500\(es. divisione per zero o )"
            R"(sottraendo maggiore del minuendo) fornisce '?', come risultato.|speak \pau=500\? punto )"
            R"(interrogativo = calcolo impossibile per quell'input.)");
        row("Mostra", guidescript::showGuide, "show");
        row("Nascondi", guidescript::hideGuide, "stopAll|hide");
        row("WarnEmptyInput", guidescript::WarnEmptyInput,
            R"(play StopListening|speak agisci con piu' attenzione!\pau=500\Devi inserire il dato)");
        row("experiments 1 to 4", experiments,
            R"(play gestureleft|speak La macchina ha eseguito un calcolo e lo ripeterà sempre uguale, )"
            R"(anche se cambierai i numeri in input.|speak Prova a inventare un calcolo che dia lo stesso )"
            R"(output della macchina, e poi verifica se è giusto,mettendo nuovi input e cliccando sempre )"
            R"(su esperimento.|speak Il tuo modello è valido se con esso riesci a indovinare il risultato )"
            R"(di ogni esperimento.|speak \pau=500\Quando hai trovato un modello valido puoi cambiare )"
            R"(colore o meccanismo di calcolo.|play processing)");
        const auto opened = [](const QString &path) {
            return [path](GuideCharacter &g) { guidescript::announceOpenedFile(g, path); };
        };
        const QString said = R"(show|play search|speak è stato aperto il meccanismo di calcolo che hai )"
                             R"(salvato con il nome %1.\pau=1000\In questo caso devi inserire solo i dati )";
        row("opened .txt", opened("/home/anna/prova.txt"), said.arg("/home/anna/prova"));
        row("opened name too short", opened("abc"), "show|play search");
        row("opened cut inside a surrogate pair", opened("gatto😀abc"), said.arg("gatto"));
    }
    void scriptRequests() {
        QFETCH(Script, script);
        QFETCH(QString, expected);
        FakeGuide guide;
        script(guide);
        QCOMPARE(guide.calls.join('|'), expected);
        // The shipped character knows every animation the scripts play.
        for (const QString &call : guide.calls.filter(QRegularExpression("^play ")))
            QVERIFY2(shipped_.animations.contains(call.mid(5)), qPrintable(call));
    }

    void pixelsStayWithin16Bits() { // the everyday positions, ties to even both ways, are in the scripts
        QCOMPARE(guidescript::roundToPixel(40000.0), qint16(32767));
        QCOMPARE(guidescript::roundToPixel(-40000.0), qint16(-32768));
        QCOMPARE(guidescript::roundToPixel(qQNaN()), qint16(0));
    }

    void parseSpeech_data() {
        using speech::Part;
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<Part>>("expected");
        const auto w = [](const QString &t) { return Part{Part::Words, t, 0}; };
        const auto p = [](int ms) { return Part{Part::Pause, QString(), ms}; };
        QTest::newRow("unterminated in the middle")
            << R"(a \pau=300 b)" << QList<Part>{w("a "), p(300), w(" b")};
        QTest::newRow("runaway digits are one capped pause")
            << R"(\pau=99999999999999999999999999\x)" << QList<Part>{p(speech::maxPauseMs), w("x")};
        QTest::newRow("no number: words kept apart") << R"(a\pau=\b)" << QList<Part>{w("a b")};
        QTest::newRow("other backslashes are text") << R"(C:\dati\x)" << QList<Part>{w(R"(C:\dati\x)")};
        QTest::newRow("signed: plus counts, minus is none")
            << R"(a\pau=+90\b\pau=-5\c)" << QList<Part>{w("a"), p(90), w("b c")};
        QTest::newRow("tag prefix cut by the end") << R"(ciao\pau=)" << QList<Part>{w("ciao")};
        // A megabyte of text would hold the guide for hours; a surrogate pair is never split at the cut.
        const QString runaway = QString(speech::maxSpokenChars - 1, u'a') + "😀" + QString(1 << 20, u'b');
        QTest::newRow("runaway text is cut")
            << runaway + R"(\pau=100\)" + runaway
            << QList<Part>{w(runaway.left(speech::maxSpokenChars - 1)), p(100)};
    }
    void parseSpeech() {
        QFETCH(QString, text);
        QFETCH(QList<speech::Part>, expected);
        QCOMPARE(speech::parse(text), expected);
    }

    void posesBlendInAStraightLine() {
        const character::Pose from{.leftArm = 0, .mouth = 1}, to{.leftArm = 100, .mouth = 0};
        QCOMPARE(character::blend(from, to, 0.25).leftArm, 25.0);
        QCOMPARE(character::blend(from, to, 0.25).mouth, 0.75);
        QVERIFY(character::blend(from, to, 2) == to); // past the end stays at the end
    }

    void poseWeightsStayWithinZeroAndOne() {
        const QByteArray json =
            R"({"format":"ingranix-character","width":64,"height":80,"animations":{"a":{"frames":[
            {"pose":{"sparkle":5,"mouth":5,"eyes":5,"book":5,"lens":5,"stars":5}},
            {"pose":{"sparkle":-5,"mouth":-5,"eyes":-5,"book":-5,"lens":-5,"stars":-5}}]}}})";
        character::Model model;
        QVERIFY(character::fromJson(json, model));
        const QList<character::Frame> frames = model.animations.value("a").frames;
        QVERIFY(frames.value(0).pose ==
                (character::Pose{.sparkle = 1, .mouth = 1, .eyes = 1, .book = 1, .lens = 1, .stars = 1}));
        QVERIFY(frames.value(1).pose ==
                (character::Pose{.sparkle = 0, .mouth = 0, .eyes = 0, .book = 0, .lens = 0, .stars = 0}));
    }

    void badCharacterFile_data() {
        QTest::addColumn<QByteArray>("content"); // null: no file at all
        QTest::addColumn<int>("width");          // 7: the caller's model was left alone
        QTest::addColumn<int>("totalMs");        // of all the animations loaded
        const QByteArray head = R"({"format":"ingranix-character",)";
        QTest::newRow("missing file") << QByteArray() << 7 << 0;
        QTest::newRow("cut short") << QByteArray(head + R"("width":128,"height":)") << 7 << 0;
        QTest::newRow("somebody else's JSON") << QByteArray(R"({"width":128,"height":160})") << 7 << 0;
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe\x01{{{\x80", 9) << 7 << 0;
        QTest::newRow("too large") << QByteArray(head + QByteArray(character::maxFileBytes, ' ') + "}") << 7
                                   << 0;
        QTest::newRow("frame size only") << QByteArray(head + R"("width":128,"height":160})") << 128 << 0;
        // Out-of-range numbers are clamped, and animations without frames are left out.
        QTest::newRow("strange numbers")
            << QByteArray(head + R"("width":1e9,"height":-5,"animations":{
            "wild":{"frames":[{"ms":-100,"pose":{"lift":1e300}},{"ms":1e12},"not a frame",{"pose":null}]},
            "empty":{"frames":[]}, "":{"frames":[{"ms":100}]}}})")
            << character::maxFrameSide << character::minFrameMs + character::maxFrameMs + 100;
    }
    void badCharacterFile() {
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
        GuideAgent guide(std::unique_ptr<GuideVoice>{}); // takes the file alike, or stands without a figure
        QCOMPARE(guide.load("merlin", file.fileName()), width != 7);
        QCOMPARE(guide.width(), qint16(width == 7 ? 0 : width));
    }

    void requestsRunInOrderSeenOnlyWhenShown() {
        auto *voice = new FakeVoice(true);
        auto guide = makeGuide(true, voice, false);
        QStringList started;
        connect(guide.get(), &GuideAgent::requestStarted, this,
                [&](const QString &kind, const QString &detail) { started << kind + ' ' + detail; });
        guide->moveTo(100, 120);
        guide->show();
        guide->speak("Ciao");
        guide->play("wave");
        guide->play("dance"); // unknown to the character: passes without holding up the rest
        guide->hide();
        QVERIFY(started.isEmpty()); // every call only queued its request
        QVERIFY(waitIdle(*guide));
        QCOMPARE(started.join('|'), "moveTo 100,120|show |speak Ciao|play wave|play dance|hide ");
        QVERIFY(!guide->isShownOnScreen());

        // Hidden, requests pass unseen and unheard; showing the guide again replays none of them.
        QSignalSpy balloon(guide.get(), &GuideAgent::balloonTextChanged);
        guidescript::explainOperations(*guide);
        guide->moveTo(50, 60);
        QVERIFY(waitIdle(*guide));
        QVERIFY(!guide->figureWindow()->isVisible() && !guide->balloonWindow()->isVisible());
        guidescript::showGuide(*guide);
        QVERIFY(waitIdle(*guide));
        QVERIFY(guide->figureWindow()->isVisible());
        QCOMPARE(guide->figureWindow()->pos(), QPoint(50, 60));
        QCOMPARE(balloon.count(), 0);
        QCOMPARE(voice->said, QStringList{"Ciao"});
    }

    void speechShowsWordsNeverTags_data() {
        QTest::addColumn<bool>("voiced"); // a voice that answers; none: the balloon keeps its estimated pace
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>(
            "words"); // what the voice is given, a piece at a time, and the balloon shows
        QTest::addColumn<int>("atLeastMs");
        QTest::newRow("pause between words")
            << true << R"(Ciao\pau=60\a tutti)" << QStringList{"Ciao", "a tutti"} << 60;
        QTest::newRow("tag in capitals, blank at the end")
            << true << R"(Bene\PAU=60\ adesso\pau=20\ )" << QStringList{"Bene", "adesso"} << 60;
        QTest::newRow("unterminated pause alone") << true << R"(\Pau=60)" << QStringList{} << 60;
        QTest::newRow("no voice") << false << "Ciao a tutti" << QStringList{"Ciao a tutti"}
                                  << speech::estimateMs(QStringLiteral("Ciao a tutti"));
    }
    void speechShowsWordsNeverTags() {
        QFETCH(bool, voiced);
        QFETCH(QString, text);
        QFETCH(QStringList, words);
        QFETCH(int, atLeastMs);
        auto *voice = voiced ? new FakeVoice(true) : nullptr;
        auto guide = makeGuide(false, voice);
        QSignalSpy shown(guide.get(), &GuideAgent::balloonTextChanged);
        QElapsedTimer timer;
        timer.start();
        guide->speak(text);
        QVERIFY(waitIdle(*guide));
        QVERIFY2(timer.elapsed() >= atLeastMs, qPrintable(QString::number(timer.elapsed())));
        const QString balloon = words.join(' ');    // all of it, still up a moment after the speech
        for (const QList<QVariant> &args : shown) { // growing a whole word at a time
            const QString now = args.at(0).toString();
            QVERIFY2(balloon.startsWith(now) &&
                         (now.size() == balloon.size() || balloon.at(now.size()) == ' '),
                     qPrintable(now));
        }
        QCOMPARE(guide->balloonText(), balloon);
        QCOMPARE(guide->balloonWindow()->isVisible(), !balloon.isEmpty());
        QVERIFY(!guide->figureWindow()->isVisible()); // no character file: the balloon alone
        QCOMPARE(voice ? voice->said : QStringList(), voiced ? words : QStringList());
        QCOMPARE(voice ? voice->stops : 0, 0); // each piece ended by the voice, not by its deadline
    }

    void silentVoiceMeetsItsDeadlinesThenIsMuted() {
        QVERIFY(!GuideAgent().hasVoice()); // the game's own voice waits for its engine's answer
        auto *voice = new FakeVoice;
        auto guide = makeGuide(false, voice);
        const QStringList texts{"uno", "uno due"};
        for (const QString &text : texts) {
            QVERIFY(guide->hasVoice());
            QElapsedTimer timer;
            timer.start();
            guide->speak(text);
            QVERIFY(waitIdle(*guide));
            // Never cut before the deadline drawn from the text's length, a while past its estimate.
            const int deadline = GuideAgent::speechDeadlineMs(speech::estimateMs(text));
            QVERIFY2(deadline > speech::estimateMs(text) && timer.elapsed() >= deadline,
                     qPrintable(QString::number(timer.elapsed())));
            QCOMPARE(guide->balloonText(), text);
        }
        QCOMPARE(voice->stops, 2);   // told to give up each time
        QVERIFY(!guide->hasVoice()); // and after two misses in a row not used again
        guide->speak("quattro");
        QTRY_COMPARE(guide->balloonText(), QStringLiteral("quattro"));
        QCOMPARE(voice->said, texts);
    }

    void stopAllCutsAndDrops_data() {
        QTest::addColumn<Start>("start"); // what the guide is doing when StopAll comes
        QTest::newRow("speak") << Start([](GuideAgent &g) { g.speak("Una frase"); });
        QTest::newRow("moveTo") << Start([](GuideAgent &g) { g.moveTo(500, 400); });
        QTest::newRow("play") << Start([](GuideAgent &g) { g.play("wave"); });
        QTest::newRow("hide") << Start([](GuideAgent &g) { g.hide(); });
    }
    void stopAllCutsAndDrops() {
        QFETCH(Start, start);
        const QString kind = QTest::currentDataTag();
        auto *voice = new FakeVoice; // silent: the speech is surely still going
        auto guide = makeGuide(true, voice);
        const QWidget *figure = guide->figureWindow();
        const QRegion resting = figure->mask();
        QStringList started;
        connect(guide.get(), &GuideAgent::requestStarted, this,
                [&](const QString &kind, const QString &detail) { started << kind + ' ' + detail; });
        start(*guide);
        QTRY_COMPARE(started.size(), 1);
        for (int i = 0; i < 1000; ++i) // a player hammering Enter on an empty box: so many wait, no more
            guidescript::WarnEmptyInput(*guide);
        QCOMPARE(guide->pendingRequests(), 1 + GuideAgent::maxWaitingRequests);
        if (kind == "speak") // the wizard opens his mouth to talk
            QTRY_VERIFY(!guide->balloonText().isEmpty() && pose(*guide).mouth > 0.5);
        if (kind == "play") // the figure moves away from its rest, and its shape follows
            QTRY_VERIFY(!(pose(*guide) == guide->model().rest) && figure->mask() != resting);
        if (kind == "moveTo") // a glide, not a jump: seen on the first half of its way
            QTRY_VERIFY(figure->x() > 0 && figure->x() < 250);

        guide->stopAll();
        QCOMPARE(guide->pendingRequests(), 0);
        QCOMPARE(voice->stops, kind == "speak" ? 1 : 0);
        QCOMPARE(guide->balloonText(), QString());
        QCOMPARE(guide->currentAnimation(), QString());
        // What was cut short has settled at once.
        QCOMPARE(figure->pos(), kind == "moveTo" ? QPoint(500, 400) : QPoint(0, 0));
        QCOMPARE(guide->isShownOnScreen(), kind != "hide");
        QTRY_VERIFY(pose(*guide) == guide->model().rest);
        QCOMPARE(figure->mask(), resting);
        guide->speak("dopo");
        QTRY_COMPARE(started.last(), QStringLiteral("speak dopo"));
        QCOMPARE(started.size(), 2); // none of the dropped requests ever started
    }

    void windowsFollowTheDrawing_data() {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("above"); // where the balloon stands
        QTest::newRow("room above") << QPoint(300, 300) << true;
        QTest::newRow("top of the screen") << QPoint(300, 0) << false;
        QTest::newRow("sent below the screen") << QPoint(300, 5000) << true;
        QTest::newRow("right edge") << QGuiApplication::primaryScreen()->availableGeometry().topRight() +
                                           QPoint(-63, 300)
                                    << true;
    }
    // Shaped to their drawing: without a compositor what lies outside would stand black around them.
    // And however they appear, the game keeps the keyboard.
    void windowsFollowTheDrawing() {
        QFETCH(QPoint, at);
        QFETCH(bool, above);
        QWidget game;
        auto *in1 = new QLineEdit(&game);
        game.show();
        QVERIFY(QTest::qWaitForWindowActive(&game));
        in1->setFocus();
        auto guide = makeGuide(true, nullptr, false);
        guide->moveTo(at.x(), at.y());
        guide->show();
        guide->speak("Ciao a tutti");
        const QWidget *figure = guide->figureWindow();
        const QRegion shape = figure->mask();
        QVERIFY(!shape.contains(QPoint(0, 0)) && !shape.contains(QPoint(figure->width() - 1, 0)));
        QVERIFY(shape.contains(QPoint(figure->width() / 2, figure->height() * 3 / 4))); // the robe
        QTRY_VERIFY(guide->balloonWindow()->isVisible());
        const QWidget *balloon = guide->balloonWindow();
        const QRect box = balloon->geometry();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const int centre = figure->geometry().center().x();
        QVERIFY(screen.contains(box));
        QVERIFY(above ? box.bottom() < figure->y() : box.top() > figure->geometry().bottom());
        QVERIFY(qAbs(box.center().x() - centre) <= 1 ||
                box.right() == screen.right()); // or as near as it can
        QVERIFY(box.width() > balloon->fontMetrics().horizontalAdvance("Ciao a tutti") &&
                box.height() > 2 * balloon->fontMetrics().height());
        const QRegion outline = balloon->mask();
        QVERIFY(outline.contains(QPoint(box.width() / 2, box.height() / 2)));
        QVERIFY(outline.contains(QPoint(centre - box.x(), above ? box.height() - 3 : 2))); // the tail's tip
        for (const QPoint corner : {QPoint(0, 0), QPoint(box.width() - 1, 0), QPoint(0, box.height() - 1),
                                    QPoint(box.width() - 1, box.height() - 1)})
            QVERIFY(!outline.contains(corner));
        QCOMPARE(QApplication::activeWindow(), &game);
        QCOMPARE(QApplication::focusWidget(), in1);
    }
    // Spoken faster than the guide's estimate from its length, so an end taken from the estimate, or
    // from the deadline a silent voice runs into, would show.
    void realVoiceEndsWithItsSound() {
        const QString text =
            "Il tuo modello è valido se con esso riesci a indovinare il risultato di ogni esperimento.";
        QSignalSpy finished(real_.get(), &GuideAgent::requestFinished);
        record();
        QElapsedTimer took;
        took.start();
        real_->speak(text);
        QVERIFY(finished.wait(GuideAgent::speechDeadlineMs(speech::estimateMs(text)) + 3000));
        const double seconds = double(took.elapsed()) / 1000;
        QTest::qWait(300);
        const double sound = heard();
        qInfo("heard for %.2f s, the request took %.2f s, its estimate %.2f s", sound, seconds,
              speech::estimateMs(text) / 1000.0);
        QVERIFY2(sound > 1.0, "the speech was not heard");
        // It ends with the sound, give or take the service's own delays (a third of a second here).
        QVERIFY(seconds > sound - 0.2 && seconds < sound + 0.8);
        QVERIFY(seconds < speech::estimateMs(text) / 1000.0 - 0.5);
        QVERIFY(real_->hasVoice());
    }

    void realVoiceStopsAtNascondi() {
        record();
        QElapsedTimer clock;
        clock.start();
        real_->speak(
            "Prova a inventare un calcolo che dia lo stesso output della macchina, e poi verifica se è "
            "giusto, mettendo nuovi input e cliccando sempre su esperimento.");
        QTest::qWait(1500); // well into the sentence
        const double hidden = double(clock.elapsed()) / 1000;
        guidescript::hideGuide(*real_);
        QTest::qWait(1000);
        const double sound = heard();
        qInfo("heard for %.2f s, of which %.2f s after the hide", sound, sound - hidden);
        QVERIFY2(sound > 1.0, "the speech was not heard before the hide");
        QVERIFY2(sound - hidden < 0.5, "the voice went on speaking after Nascondi");
        QCOMPARE(real_->balloonText(), QString());
    }
};

QTEST_MAIN(TestGuide)
#include "tst_guide.moc"
