// The guide's parts without windows or real time: its queue of requests, its poses through time, its
// tweens, and its speech against a voice the test answers. Time is a number the test moves on, so
// every row runs in an instant and the same way on a busy machine.

#include "guide/guidevoice.h"
#include "guide/posetimeline.h"
#include "guide/requestqueue.h"
#include "guide/speechplayer.h"
#include "guide/tween.h"

#include <QtTest>

#include <cmath>

using namespace ingranix;
using namespace ingranix::guide;
using namespace Qt::Literals::StringLiterals;

namespace {

// Writes what it is asked into the log, at the time the test has reached. It answers only when told.
class LoggingVoice : public GuideVoice {
public:
    LoggingVoice(QStringList &log, const qint64 &now) : log_(log), now_(now) {}
    void setLocale(const QLocale &) override {}
    bool isAvailable() const override { return true; }
    void say(const QString &text) override { log_ << u"%1 say %2"_s.arg(now_).arg(text); }
    void stop() override { log_ << u"%1 stop"_s.arg(now_); }

private:
    QStringList &log_;
    const qint64 &now_;
};

// Runs a speech player through events "<ms> <what>": "speak <text>", "voice" (the voice has
// finished), "cut", "clear", "reader running|unknown|absent". Between events, and for a minute
// after the last, time moves from one wake-up to the next as a perfect timer would. The log holds
// "<ms> say <text>", "<ms> stop", "<ms> end", "<ms> [<balloon>]" and "<ms> open|shut" (the mouth).
QStringList runSpeech(const QStringList &events, bool withVoice) {
    QStringList log;
    qint64 now = 0;
    LoggingVoice voice(log, now);
    SpeechPlayer player(withVoice ? &voice : nullptr);
    SpeechPlayer::Reader reader = SpeechPlayer::Reader::Absent;
    player.setReaderProbe([&] { return reader; });
    QObject::connect(&player, &SpeechPlayer::shownChanged,
                     [&](const QString &text) { log << u"%1 [%2]"_s.arg(now).arg(text); });
    QObject::connect(&player, &SpeechPlayer::finished, [&] { log << u"%1 end"_s.arg(now); });
    bool open = false;
    const auto watchMouth = [&] {
        if ((player.mouthAt(now) > 0) != open) {
            open = !open;
            log << u"%1 %2"_s.arg(now).arg(open ? u"open" : u"shut");
        }
    };
    const auto runUntil = [&](qint64 until) {
        for (int rounds = 0; rounds < 100000; ++rounds) {
            const std::optional<qint64> wake = player.wakeAt(now);
            if (!wake || *wake > until)
                break;
            if (*wake <= now) {
                log << u"%1 asks to wake at %2"_s.arg(now).arg(*wake);
                break;
            }
            now = *wake;
            player.advance(now);
            watchMouth();
        }
        now = until;
    };
    for (const QString &event : events) {
        const qsizetype blank = event.indexOf(u' ');
        runUntil(event.left(blank).toLongLong());
        const QString what = event.mid(blank + 1);
        if (what.startsWith(u"speak "_s))
            player.start(what.mid(6), now);
        else if (what == u"voice")
            player.voiceFinished(now);
        else if (what == u"cut")
            player.cut();
        else if (what == u"clear")
            player.clearBalloon();
        else if (what.startsWith(u"reader "_s))
            reader = what.endsWith(u"running")   ? SpeechPlayer::Reader::Running
                     : what.endsWith(u"unknown") ? SpeechPlayer::Reader::Unknown
                                                 : SpeechPlayer::Reader::Absent;
        watchMouth();
    }
    runUntil(now + 60000);
    return log;
}

const character::Pose armAt(double angle) {
    return {.rightArm = angle};
}

} // namespace

class TestGuideParts : public QObject {
    Q_OBJECT

    // A wave: the arm goes up to 150 in 100 ms, then down to 100 in 400 ms, from a rest of 20.
    static PoseTimeline waving(qint64 cutAt) {
        PoseTimeline timeline;
        timeline.setRest(armAt(20));
        timeline.start(u"wave"_s, {{100, armAt(150)}, {400, armAt(100)}}, 0);
        if (cutAt >= 0)
            timeline.cutToRest(cutAt);
        return timeline;
    }

private slots:
    // One request runs at a time: none starts while another runs, and only the running one ends.
    void queueRunsOneAtATime() {
        RequestQueue queue;
        QVERIFY(queue.add({Request::Kind::Show, {}, {}}) && queue.add({Request::Kind::Hide, {}, {}}));
        QCOMPARE(queue.startNext()->kind, Request::Kind::Show);
        QVERIFY(!queue.startNext());
        QCOMPARE(queue.endCurrent()->kind, Request::Kind::Show);
        QVERIFY(!queue.endCurrent());
        QCOMPARE(queue.startNext()->kind, Request::Kind::Hide);
    }

    void tweenGoesFromEndToEnd_data() {
        QTest::addColumn<int>("durationMs"); // from 10 to 30, starting at 100
        QTest::addColumn<bool>("eased");
        QTest::addColumn<int>("stepMs");
        QTest::addColumn<int>("at");
        QTest::addColumn<double>("value");
        QTest::newRow("before the start") << 200 << false << 0 << 50 << 10.0;
        QTest::newRow("a quarter, straight") << 200 << false << 0 << 150 << 15.0;
        QTest::newRow("a quarter, eased") << 200 << true << 0 << 150 << 10 + 20 * 0.15625;
        QTest::newRow("half way, eased") << 200 << true << 0 << 200 << 20.0;
        QTest::newRow("between steps: the step before") << 200 << false << 40 << 179 << 10 + 20 * 0.2;
        QTest::newRow("the end") << 200 << true << 40 << 300 << 30.0;
        QTest::newRow("long after") << 200 << false << 0 << 100000 << 30.0;
        QTest::newRow("no length: over at once") << 0 << true << 0 << 100 << 30.0;
    }
    void tweenGoesFromEndToEnd() {
        QFETCH(int, durationMs);
        QFETCH(bool, eased);
        QFETCH(int, stepMs);
        QFETCH(int, at);
        QFETCH(double, value);
        const Tween<double> tween(10, 30, 100, durationMs, eased ? Easing::InOut : Easing::Linear, stepMs);
        QCOMPARE(tween.at(at), value);
        QCOMPARE(tween.isOver(at), at >= 100 + durationMs);
    }

    // The arm's angle at a time, and when the timeline next asks to be woken (-1: not until told).
    void poseThroughTime_data() {
        QTest::addColumn<int>("cutAt"); // -1: never cut
        QTest::addColumn<int>("at");
        QTest::addColumn<double>("arm");
        QTest::addColumn<int>("wake");
        const auto ease = [](double t) { return t * t * (3 - 2 * t); };
        const double at300 = 150 - 50 * ease(198 / 400.0);
        QTest::newRow("the start: the pose it started in") << -1 << 0 << 20.0 << 66;
        QTest::newRow("before the first step: still") << -1 << 50 << 20.0 << 66;
        QTest::newRow("a step that would pass the frame's end") << -1 << 66 << 20 + 130 * ease(0.66) << 100;
        QTest::newRow("the first frame's pose at its end") << -1 << 100 << 150.0 << 166;
        QTest::newRow("second frame, on its own steps") << -1 << 300 << at300 << 364;
        QTest::newRow("between steps") << -1 << 460 << 150 - 50 * ease(330 / 400.0) << 496;
        QTest::newRow("the last pose at the end: it holds") << -1 << 500 << 100.0 << -1;
        QTest::newRow("the last pose held long after") << -1 << 5000 << 100.0 << -1;
        QTest::newRow("cut: the way back") << 566 << 566 << 100.0 << 632;
        QTest::newRow("cut: back from the last pose") << 566 << 632 << 100 - 80 * ease(0.33) << 698;
        QTest::newRow("cut: the last step stops at rest") << 566 << 764 << 100 - 80 * ease(0.99) << 766;
        QTest::newRow("cut: at rest at the end of the way") << 566 << 766 << 20.0 << -1;
        QTest::newRow("cut mid-frame: back from where it was")
            << 300 << 366 << at300 + (20 - at300) * ease(0.33) << 432;
        QTest::newRow("cut mid-frame: at rest") << 300 << 10000 << 20.0 << -1;
    }
    void poseThroughTime() {
        QFETCH(int, cutAt);
        QFETCH(int, at);
        QFETCH(double, arm);
        QFETCH(int, wake);
        const PoseTimeline timeline = waving(cutAt);
        const character::Pose pose = timeline.poseAt(at);
        QVERIFY2(std::abs(pose.rightArm - arm) < 1e-9, qPrintable(QString::number(pose.rightArm)));
        QCOMPARE(pose.leftArm, character::Pose().leftArm); // what no frame moves stays still
        QCOMPARE(timeline.name(), cutAt >= 0 ? QString() : u"wave"_s);
        QCOMPARE(timeline.wakeAt(at).value_or(-1), wake);
    }

    void aHeldPoseSleepsToTheNextFrame() {
        PoseTimeline timeline;
        timeline.start(u"think"_s, {{100, armAt(90)}, {300, armAt(90)}, {100, armAt(0)}}, 1000);
        QCOMPARE(timeline.wakeAt(1100).value_or(-1), 1400);
        QCOMPARE(timeline.poseAt(1399).rightArm, 90.0);
    }

    // Every pose of every animation the game ships, one after another and back to rest: each frame's
    // pose shows at its end, the last holds, and no step reads past the frames (the sanitizer build
    // runs this too).
    void everyShippedPose_data() {
        QTest::addColumn<QList<character::Frame>>("frames");
        character::Model model;
        QVERIFY(character::loadFile(QCoreApplication::applicationDirPath() + u"/merlin.json"_s, model));
        QVERIFY(!model.animations.isEmpty());
        for (auto it = model.animations.cbegin(); it != model.animations.cend(); ++it)
            QTest::newRow(qPrintable(it.key())) << it->frames;
    }
    void everyShippedPose() {
        QFETCH(QList<character::Frame>, frames);
        const character::Pose rest = armAt(33);
        PoseTimeline timeline;
        timeline.setRest(rest);
        timeline.start(u"any"_s, frames, 0);
        qint64 end = 0;
        for (const character::Frame &frame : frames) {
            for (qint64 t = end; t < end + frame.durationMs; t += PoseTimeline::stepMs)
                QVERIFY(std::isfinite(timeline.poseAt(t).leftArm));
            end += frame.durationMs;
            QVERIFY(timeline.poseAt(end) == frame.pose);
        }
        QVERIFY(!timeline.wakeAt(end));
        QVERIFY(timeline.poseAt(end + 5000) == frames.last().pose);
        timeline.cutToRest(end + 5000);
        QVERIFY(timeline.poseAt(end + 5000 + PoseTimeline::returnToRestMs) == rest);
        QVERIFY(!timeline.wakeAt(end + 5000 + PoseTimeline::returnToRestMs));
    }

    // When the voice is asked ("say"), told to "stop", and when the speech ends ("end"); the balloon
    // ("[shown]"), which without a voice grows a whole word at a time by the estimated pace, holds the
    // whole sentence to be read and goes a while after; the mouth ("open", "shut"), moving only while
    // words are said. Only the kinds of line a row expects are compared, and a wake-up asked for a
    // time already past always shows.
    void speechPlays_data() {
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<bool>("withVoice");
        QTest::addColumn<QString>("expected");
        // "uno": 400 ms by estimate, so 400 + 200 + 1000 before the player stops waiting; then the
        // word stays 1.5 s to be read.
        QTest::newRow("the voice ends after the deadline: too late")
            << QStringList{"0 speak uno", "2000 voice"} << true << u"0 say uno | 1600 stop | 3100 end"_s;
        QTest::newRow("each part its own deadline")
            << QStringList{u"0 speak Ciao\\pau=100\\a tutti"_s, "2000 voice"} << true
            << u"0 say Ciao | 1600 stop | 1700 say a tutti | 3500 end"_s;
        QTest::newRow("a screen reader runs: the balloon's own pace")
            << QStringList{"0 reader running", "0 speak uno"} << true << u"1900 end"_s;
        QTest::newRow("no word yet from the desktop about a reader")
            << QStringList{"0 reader unknown", "0 speak uno"} << true << u"1900 end"_s;
        QTest::newRow("cut while the voice speaks")
            << QStringList{"0 speak uno", "300 cut"} << true << u"0 say uno | 300 stop"_s;
        QTest::newRow("cut after a reader started: never stopped")
            << QStringList{"0 speak uno", "100 reader running", "300 cut"} << true << u"0 say uno"_s;
        QTest::newRow("a pause alone") << QStringList{u"0 speak \\pau=60\\"_s} << true << u"60 end"_s;
        // A voice that answers between two misses is asked again (two misses in a row: tst_guidetiming).
        QTest::newRow("a miss, an answer, a miss: still asked")
            << QStringList{"0 speak uno", "4000 speak due", "4300 voice", "8000 speak tre",
                           "12000 speak quattro"}
            << true << u"0 say uno | 4000 say due | 8000 say tre | 12000 say quattro"_s;
        QTest::newRow("balloon: one sentence")
            << QStringList{"0 speak Ciao a tutti"} << false
            << u"132 [Ciao] | 396 [Ciao a] | 528 [Ciao a tutti] | 3840 []"_s;
        QTest::newRow("balloon: words, a pause, words") << QStringList{u"0 speak Uno\\pau=500\\due"_s}
                                                        << false << u"198 [Uno] | 1098 [Uno due] | 4300 []"_s;
        QTest::newRow("balloon: the next speech takes the last one down at once")
            << QStringList{"0 speak Ciao", u"3000 speak \\pau=100\\Dopo"_s} << false
            << u"132 [Ciao] | 3000 [] | 3232 [Dopo] | 6500 []"_s;
        QTest::newRow("balloon: taken down while it lingers")
            << QStringList{"0 speak Ciao", "2500 clear"} << false << u"132 [Ciao] | 2500 []"_s;
        QTest::newRow("mouth: words, a pause, words") << QStringList{u"0 speak Uno\\pau=500\\due"_s} << false
                                                      << u"0 open | 400 shut | 900 open | 1300 shut"_s;
        QTest::newRow("mouth: the voice ends")
            << QStringList{"0 speak uno", "700 voice"} << true << u"0 open | 700 shut"_s;
        QTest::newRow("mouth: the deadline passes")
            << QStringList{"0 speak uno"} << true << u"0 open | 1600 shut"_s;
        QTest::newRow("mouth: cut") << QStringList{"0 speak uno", "200 cut"} << true
                                    << u"0 open | 200 shut"_s;
    }
    void speechPlays() {
        QFETCH(QStringList, events);
        QFETCH(bool, withVoice);
        QFETCH(QString, expected);
        QStringList kinds{u"asks"_s};
        for (const QString &line : expected.split(u" | "_s)) {
            const QString kind = line.section(u' ', 1, 1);
            kinds << QRegularExpression::escape(kind.startsWith(u'[') ? u"["_s : kind);
        }
        const QRegularExpression compared(u"^\\d+ ("_s + kinds.join(u'|') + u")"_s);
        QCOMPARE(runSpeech(events, withVoice).filter(compared).join(u" | "_s), expected);
    }

    // While it talks the mouth opens wide and closes again, several times a second, never past wide open.
    void mouthFlapsWhileTalking_data() {
        QTest::addColumn<QString>("words");
        QTest::newRow("a short word") << u"sì"_s;
        QTest::newRow("a sentence") << u"Ciao a tutti, oggi facciamo esperimenti"_s;
    }
    void mouthFlapsWhileTalking() {
        QFETCH(QString, words);
        SpeechPlayer player(nullptr);
        player.start(words, 1000);
        double widest = 0, narrowest = 1;
        for (qint64 now = 1000; now < 1000 + speech::estimateMs(words); now += SpeechPlayer::stepMs / 3) {
            const double mouth = player.mouthAt(now);
            widest = std::max(widest, mouth);
            narrowest = std::min(narrowest, mouth);
        }
        QVERIFY2(widest > 0.7 && widest <= 1, qPrintable(QString::number(widest)));
        QVERIFY2(narrowest > 0 && narrowest < 0.2, qPrintable(QString::number(narrowest)));
    }
};

QTEST_MAIN(TestGuideParts)
#include "tst_guideparts.moc"
