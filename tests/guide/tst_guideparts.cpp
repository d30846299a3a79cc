// The guide's parts without windows or real time: its poses through time and its mouth as it talks.
// Time is a number the test moves on, so every row runs in an instant and the same way on a busy
// machine. Its speech, balloon and voice are in tst_guidetiming.

#include "guide/posetimeline.h"
#include "guide/speechplayer.h"

#include <QtTest>

#include <cmath>

using namespace ingranix;
using namespace ingranix::guide;
using namespace Qt::Literals::StringLiterals;

namespace {

const character::Pose armAt(double angle) {
    return {.rightArm = angle};
}

} // namespace

class TestGuideParts : public QObject {
    Q_OBJECT

private slots:
    // The arm's angle at a time, and when the timeline next asks to be woken (-1: not until told).
    void poseThroughTime_data() {
        QTest::addColumn<int>("cutAt"); // -1: never cut
        QTest::addColumn<int>("at");
        QTest::addColumn<double>("arm");
        QTest::addColumn<int>("wake");
        const auto ease = [](double t) { return t * t * (3 - 2 * t); };
        const double at300 = 150 - 50 * ease(198 / 400.0);
        QTest::newRow("before the first step: still") << -1 << 50 << 20.0 << 66;
        QTest::newRow("a step that would pass the frame's end") << -1 << 66 << 20 + 130 * ease(0.66) << 100;
        QTest::newRow("the first frame's pose at its end") << -1 << 100 << 150.0 << 166;
        QTest::newRow("second frame, on its own steps") << -1 << 300 << at300 << 364;
        QTest::newRow("between steps") << -1 << 460 << 150 - 50 * ease(330 / 400.0) << 496;
        QTest::newRow("the last pose at the end: it holds") << -1 << 500 << 100.0 << -1;
        QTest::newRow("cut: the way back") << 566 << 566 << 100.0 << 632;
        QTest::newRow("cut: back from the last pose") << 566 << 632 << 100 - 80 * ease(0.33) << 698;
        QTest::newRow("cut: the last step stops at rest") << 566 << 764 << 100 - 80 * ease(0.99) << 766;
        QTest::newRow("cut mid-frame: back from where it was")
            << 300 << 366 << at300 + (20 - at300) * ease(0.33) << 432;
        QTest::newRow("cut mid-frame: at rest") << 300 << 10000 << 20.0 << -1;
    }
    void poseThroughTime() {
        QFETCH(int, cutAt);
        QFETCH(int, at);
        QFETCH(double, arm);
        QFETCH(int, wake);
        PoseTimeline timeline; // a wave: up to 150 in 100 ms, down to 100 in 400 ms, from a rest of 20
        timeline.setRest(armAt(20));
        timeline.start(u"wave"_s, {{100, armAt(150)}, {400, armAt(100)}}, 0);
        if (cutAt >= 0)
            timeline.cutToRest(cutAt);
        const character::Pose pose = timeline.poseAt(at);
        QVERIFY2(std::abs(pose.rightArm - arm) < 1e-9, qPrintable(QString::number(pose.rightArm)));
        QCOMPARE(pose.leftArm, character::Pose().leftArm); // what no frame moves stays still
        QCOMPARE(timeline.name(), cutAt >= 0 ? QString() : u"wave"_s);
        QCOMPARE(timeline.wakeAt(at).value_or(-1), wake);
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

    // While it talks the mouth opens wide and closes again, several times a second, never past wide open.
    void mouthFlapsWhileTalking() {
        const QString words = u"Ciao a tutti, oggi facciamo esperimenti"_s;
        SpeechPlayer player(nullptr);
        player.start(words, 1000);
        double widest = 0, narrowest = 1;
        for (qint64 now = 1000; now < 1000 + speech::estimateMs(words); now += SpeechPlayer::stepMs / 3) {
            widest = std::max(widest, player.mouthAt(now));
            narrowest = std::min(narrowest, player.mouthAt(now));
        }
        QVERIFY2(widest > 0.7 && widest <= 1, qPrintable(QString::number(widest)));
        QVERIFY2(narrowest > 0 && narrowest < 0.2, qPrintable(QString::number(narrowest)));
    }
};

QTEST_MAIN(TestGuideParts)
#include "tst_guideparts.moc"
