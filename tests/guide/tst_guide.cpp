// The guide: an opened file's announcement, its coaching, its speech text, its character file and
// figure, and last its real voice, heard. Its timing, windows and balloon are in tst_guidetiming.

#include "guide/coaching.h"
#include "guide/guideagent.h"
#include "guide/guidevoice.h"
#include "guide/guidewindows.h"
#include "guide/scripts.h"
#include "guide/speechtext.h"

#include <QtTest>

#include <functional>

using namespace ingranix;
using namespace Qt::Literals::StringLiterals;

namespace {

// Writes down every call a script makes, in order.
class FakeGuide : public GuideCharacter {
public:
    QStringList calls;
    bool load(const QString &id, const QString &f) override { return log("load " + id + ' ' + f); }
    void setLanguageId(int id) override { log(QString("language %1").arg(id)); }
    void setBalloonFont(const QString &f, int pt) override { log(QString("font %1 %2").arg(f).arg(pt)); }
    void moveTo(qint16 x, qint16 y) override { log(QString("moveTo %1,%2").arg(x).arg(y)); }
    void show() override { log("show"); }
    void hide() override { log("hide"); }
    void speak(const QString &text) override { log("speak " + text); }
    void play(const QString &animation) override { log("play " + animation); }
    void stopAll() override { log("stopAll"); }
    bool isIdleOnScreen() const override { return true; }
    qint16 width() const override { return 133; }
    qint16 height() const override { return 161; }
    bool log(const QString &call) { return !(calls << call).isEmpty(); }
};

} // namespace

Q_DECLARE_METATYPE(double character::Pose::*)

class TestGuide : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    character::Model shipped_;
    static bool waitIdle(GuideAgent &g) {
        return QTest::qWaitFor([&] { return !g.isBusy(); }, 20000);
    }

    // The null sink's monitor recorded while `act` runs: the seconds from its first sound to its last.
    double heardDuring(const std::function<void()> &act) {
        QProcess recorder, sox;
        recorder.start("parecord", {"--device=" + qEnvironmentVariable("INGRANIX_NULL_SINK") + ".monitor",
                                    "--file-format=wav", dir_.filePath("heard.wav")});
        QTest::qWait(500); // the stream is set up; what follows is heard
        act();
        QTest::qWait(1000);
        recorder.terminate(); // parecord closes its file properly on SIGTERM
        recorder.waitForFinished(10000);
        const QStringList trim{"silence", "1", "0.02", "1%", "reverse"};
        sox.start("sox", QStringList{dir_.filePath("heard.wav"), "-n"} + trim + trim + QStringList{"stat"});
        sox.waitForFinished(30000);
        const QString stat = sox.readAllStandardError();
        return QRegularExpression(R"(Length \(seconds\):\s+(\S+))").match(stat).captured(1).toDouble();
    }

private slots:
    void initTestCase() {
        QVERIFY(character::loadFile(QCoreApplication::applicationDirPath() + "/merlin.json", shipped_));
        character::Model none{{}, 7, 0, {}, {}}; // a file that is not there leaves the model alone
        QVERIFY(!character::loadFile(QCoreApplication::applicationDirPath() + "/none.json", none) &&
                none.width == 7);
    }

    // A file's name is said without its extension: a name too short to have one is not said, and a
    // character the cut splits in two is left out; the wizard's search is one the character knows.
    void openedFileAnnounced_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("calls"); // parted by '|', the last by its start
        QTest::newRow("too short") << u"abc"_s << u"show|play search"_s;
        QTest::newRow("cut inside a surrogate pair")
            << u"gatto😀abc"_s
            << u"show|play search|speak è stato aperto il meccanismo di calcolo "
               u"che hai salvato con il nome gatto."_s;
    }
    void openedFileAnnounced() {
        QFETCH(QString, name);
        QFETCH(QString, calls);
        FakeGuide guide;
        guidescript::announceOpenedFile(guide, name);
        QCOMPARE(guide.calls.size(), calls.count('|') + 1);
        QVERIFY2(guide.calls.join('|').startsWith(calls), qPrintable(guide.calls.join('|')));
        for (const QString &call : guide.calls.filter(QRegularExpression("^play ")))
            QVERIFY2(shipped_.animations.contains(call.mid(5)), qPrintable(call));
    }

    // The coaching remarks speak of the method, never of an answer: none says or implies that a model or
    // a prediction is right.
    void coachingNeverSaysRight_data() {
        QTest::addColumn<int>("remark");
        for (guidescript::Coaching remark : guidescript::allCoachings)
            QTest::addRow("%d", int(remark)) << int(remark);
    }
    void coachingNeverSaysRight() {
        QFETCH(int, remark);
        const QString text = guidescript::coachingText(guidescript::Coaching(remark));
        const QString plain = speech::displayText(text).toLower();
        QVERIFY(plain.size() > 20);
        for (const char *word : {"giust", "corrett", "esatt", "hai trovato", "indovin", "valid"})
            QVERIFY2(!plain.contains(QLatin1String(word)), word);
    }

    void parseSpeech_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // the parts parted by '|' (a pause as <ms>)
        QTest::newRow("unterminated") << uR"(a \pau=300 b)"_s << u"a |<300>| b"_s;
        QTest::newRow("runaway digits: capped")
            << uR"(\pau=99999999999999999999999999\x)"_s << u"<10000>|x"_s;
        QTest::newRow("no number: words kept apart") << uR"(a\pau=\b)"_s << u"a b"_s;
        QTest::newRow("a tag as long as a tag may be") << uR"(a\pau= 00000000100\b)"_s << u"a|<100>|b"_s;
        QTest::newRow("+ counts, - is none") << uR"(a\pau=+90\b\pau=-5\c)"_s << u"a|<90>|b c"_s;
        // A megabyte of text would hold the guide for hours; a surrogate pair is never split at the cut.
        const QString runaway = QString(speech::maxSpokenChars - 1, u'a') + "😀" + QString(1 << 20, u'b');
        QTest::newRow("runaway text") << QString(runaway + R"(\pau=100\)" + runaway)
                                      << QString(runaway.left(speech::maxSpokenChars - 1) + "|<100>");
    }
    void parseSpeech() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QStringList parts;
        for (const speech::Part &part : speech::parse(text))
            parts << (part.kind == part.Pause ? QString("<%1>").arg(part.pauseMs) : part.text);
        QCOMPARE(parts.join('|'), expected);
    }

    void badCharacterFile_data() {
        // content, width (7: the caller's model was left alone), total ms of the
        // animations loaded
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("totalMs");
        const QByteArray head = R"({"format":"ingranix-character",)";
        QTest::newRow("cut short") << QByteArray(head + R"("width":128,"height":)") << 7 << 0;
        QTest::newRow("somebody else's JSON") << QByteArray(R"({"width":128,"height":160})") << 7 << 0;
        // Out-of-range numbers are clamped, and animations without frames are left out.
        QTest::newRow("strange numbers")
            << QByteArray(head + R"("width":1e9,"height":-5,"animations":{
            "wild":{"frames":[{"ms":-100,"pose":{"lift":1e300}},{"ms":1e12},"not a frame",{"pose":null}]},
            "empty":{"frames":[]}, "":{"frames":[{"ms":100}]}}})")
            << int(character::maxFrameSide) << int(character::minFrameMs + character::maxFrameMs + 100);
    }
    void badCharacterFile() {
        QFETCH(QByteArray, content);
        QFETCH(int, width);
        QFETCH(int, totalMs);
        character::Model model{{}, 7, 0, {}, {}};
        QCOMPARE(character::fromJson(content, model), width != 7);
        QCOMPARE(model.width, width);
        int total = 0;
        for (const character::Animation &animation : std::as_const(model.animations))
            total += animation.durationMs();
        QCOMPARE(total, totalMs);
    }

    // Each part of a pose shows on the figure, moved by a small step, and the window's shape follows
    // the parts that reach its outline; a pose met again is drawn as before, so the cache of drawn
    // frames never hands back another pose's picture. The wand's glow lights a disc around its tip.
    void everyPartOfAPoseShows_data() {
        QTest::addColumn<double character::Pose::*>("part");
        QTest::addColumn<double>("step");
        QTest::addColumn<bool>("outline");
        QTest::addColumn<int>("least"); // pixels the step changes at least
        QTest::newRow("mouth") << &character::Pose::mouth << 0.25 << false << 1;
        QTest::newRow("eyes") << &character::Pose::eyes << -0.25 << false << 1;
        QTest::newRow("sparkle") << &character::Pose::sparkle << 0.25 << true << 100; // a glow 6 pixels round
        QTest::newRow("book") << &character::Pose::book << 0.25 << false << 1;
        QTest::newRow("lens") << &character::Pose::lens << 0.25 << true << 1;
        QTest::newRow("stars") << &character::Pose::stars << 0.25 << true << 1;
        QTest::newRow("wand arm") << &character::Pose::rightArm << 8.0 << true << 1;
        QTest::newRow("free arm") << &character::Pose::leftArm << 8.0 << true << 1;
        QTest::newRow("hat") << &character::Pose::hatTilt << 8.0 << true << 1;
        QTest::newRow("head") << &character::Pose::headTurn << 8.0 << true << 1;
        QTest::newRow("lean") << &character::Pose::lean << 4.0 << true << 1;
        QTest::newRow("hop") << &character::Pose::lift << 4.0 << true << 1;
    }
    void everyPartOfAPoseShows() {
        QFETCH(double character::Pose::*, part);
        QFETCH(double, step);
        QFETCH(bool, outline);
        QFETCH(int, least);
        FigureWindow figure;
        figure.resize(shipped_.width, shipped_.height);
        figure.show(); // as the guide shows it: its size settled, its frames drawn once and kept
        const auto drawn = [&figure](const character::Pose &pose) {
            figure.setPose(pose);
            return figure.grab().toImage();
        };
        character::Pose before = shipped_.rest;
        character::Pose after = before;
        after.*part += step;
        const QImage first = drawn(before);
        const QRegion shape = figure.mask();
        const QImage moved = drawn(after);
        int changed = 0;
        for (int y = 0; y < first.height(); ++y)
            for (int x = 0; x < first.width(); ++x)
                changed += moved.pixel(x, y) != first.pixel(x, y);
        QVERIFY(changed >= least);
        QCOMPARE(figure.mask() != shape, outline);
        QCOMPARE(drawn(before), first);
        QCOMPARE(figure.mask(), shape);
    }

    // The game's own voice, heard through with_null_sink.sh: speech-dispatcher speaks into a PulseAudio
    // null sink whose monitor is recorded and measured with sox.
    void realVoice() {
        if (!qEnvironmentVariableIsSet("INGRANIX_NULL_SINK"))
            QSKIP("needs the sound stack of with_null_sink.sh");
        GuideAgent guide;
        QSignalSpy answer(&guide, &GuideAgent::voiceAvailabilityChanged);
        guidescript::LoadGuide(guide, QCoreApplication::applicationDirPath());
        QVERIFY2(answer.wait(30000) && guide.hasVoice(), "speech-dispatcher has no Italian voice");
        // No voice here speaks Zulu: rather than an accent reading it, there is no voice.
        TextToSpeechVoice foreign;
        QSignalSpy told(&foreign, &GuideVoice::availabilityChanged);
        foreign.setLocale(QLocale(QLocale::Zulu));
        QVERIFY(told.wait(30000) && !foreign.isAvailable());
        guide.show();
        QVERIFY(waitIdle(guide));
        // It ends with its sound and the time to read the whole sentence, seconds before the estimate from
        // its length would end it (blanks cost the estimate time, not the voice or the reader), and is never
        // cut by the deadline drawn from that length. A busy machine may slow the voice, so the end is
        // measured against the sound, with room for delays.
        QString text = "Il tuo modello è valido se con esso riesci a indovinare il risultato di ogni "
                       "esperimento.";
        text.replace(' ', "    ");
        QElapsedTimer timer;
        double took = -1;
        const double sound = heardDuring([&] {
            timer.start();
            guide.speak(text);
            if (waitIdle(guide))
                took = timer.elapsed() / 1000.0;
        });
        QVERIFY2(sound > 1.0, "the speech was not heard");
        const double reading = GuideAgent::readingMs(speech::displayText(text)) / 1000.0;
        QVERIFY2(took > sound + reading - 0.2 && took < sound + reading + 1.5,
                 "the speech did not end with its sound");
        QVERIFY2(took < GuideAgent::speechDeadlineMs(speech::estimateMs(text)) / 1000.0 - 1.0 &&
                     guide.hasVoice(),
                 "the voice was cut by its deadline");
        // Nascondi, two seconds into the sentence, silences the voice at once.
        const double cut = heardDuring([&] {
            guide.speak(text);
            QTest::qWait(2000);
            guidescript::hideGuide(guide);
        });
        QVERIFY2(cut > 0.5 && cut < 3.0, qPrintable(QString("heard for %1 s").arg(cut)));
        QCOMPARE(guide.balloonText(), QString());
    }
};

QTEST_MAIN(TestGuide)
#include "tst_guide.moc"
