// The guide on a clock the test moves by hand, so every row runs in an instant and the same way on a
// busy machine: when each request starts and ends, what the balloon and the voice are given, how a
// glide travels, that a guide at rest sets no alarm at all; and its poses and mouth through time.

#include "guide/guideagent.h"
#include "guide/guidevoice.h"
#include "guide/guidewindows.h"
#include "guide/posetimeline.h"
#include "guide/speechplayer.h"

#include <QLineEdit>
#include <QScreen>
#include <QtTest>

#include <cmath>

using namespace ingranix;
using namespace ingranix::guide;
using namespace Qt::Literals::StringLiterals;

namespace {

// Rings each alarm at the very time it was set for, as time is moved on.
class ManualClock : public guide::WakeClock {
public:
    qint64 time = 0;
    qint64 lastRing = -1;
    std::optional<qint64> alarmAt;
    qint64 now() const override { return time; }
    void wakeAt(std::optional<qint64> at) override { alarmAt = at; }
    void runUntil(qint64 until) {
        for (int rounds = 0; rounds < 100000; ++rounds) {
            QCoreApplication::processEvents(); // the requests queued meanwhile start now
            if (!alarmAt || *alarmAt > until)
                break;
            time = lastRing = std::max(time, *alarmAt);
            alarmAt.reset();
            emit alarm();
        }
        time = until;
        QCoreApplication::processEvents();
    }
};

// Writes into the run's log what it is asked; says it has finished only when the test tells it.
class LoggingVoice : public GuideVoice {
public:
    LoggingVoice(QStringList &log, const ManualClock &clock) : log_(log), clock_(clock) {}
    void setLocale(const QLocale &) override {}
    bool isAvailable() const override { return true; }
    void say(const QString &text) override { log_ << u"%1 say %2"_s.arg(clock_.time).arg(text); }
    void stop() override { log_ << u"%1 stop"_s.arg(clock_.time); }
    void finish() { emit finished(); }

private:
    QStringList &log_;
    const ManualClock &clock_;
};

const character::Pose armAt(double angle) {
    return {.rightArm = angle};
}

} // namespace

class TestGuideTiming : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    // Runs "<ms> <call>" steps on a guide with a small character, shown and settled by time 0; logs
    // "<ms> <kind> <detail>" as each request starts and "<ms> idle" when all are done. With a voice, the
    // log has what it is asked too, and the steps "voice" (it has finished) and "reader" (a screen reader
    // starts). "balloon" logs the balloon's text from then on as "[text]", "ask" whether the guide is on
    // screen with nothing to do, "where" where the wizard stands, and "flood" queues a thousand speeches.
    struct Run {
        QStringList log; // outlives the guide, whose voice may still write into it as it goes
        ManualClock *clock = nullptr;
        std::unique_ptr<GuideAgent> guide;
        bool balloon = false; // whether the balloon's text is logged too
    };
    std::unique_ptr<Run> run(const QString &steps, qint64 until, bool withVoice = false) {
        auto result = std::make_unique<Run>();
        auto clock = std::make_unique<ManualClock>();
        clock->time = -1000;
        result->clock = clock.get();
        auto *voice = withVoice ? new LoggingVoice(result->log, *clock) : nullptr;
        result->guide =
            std::make_unique<GuideAgent>(std::unique_ptr<GuideVoice>(voice), nullptr, std::move(clock));
        GuideAgent &guide = *result->guide;
        guide.load(u"merlin"_s, dir_.filePath(u"merlin.json"_s));
        Run *r = result.get();
        const auto note = [r](const QString &what) { r->log << u"%1 %2"_s.arg(r->clock->time).arg(what); };
        connect(
            &guide, &GuideAgent::requestStarted, this,
            [note](const QString &kind, const QString &detail) { note((kind + u' ' + detail).trimmed()); });
        connect(&guide, &GuideAgent::balloonTextChanged, this, [r, note](const QString &text) {
            if (r->balloon)
                note(u'[' + text + u']');
        });
        connect(&guide, &GuideAgent::idle, this, [note] { note(u"idle"_s); });
        guide.show();
        r->clock->runUntil(0);
        r->log.clear();
        for (const QString &step : steps.split(u'|')) {
            const QStringList words = step.split(u' ');
            r->clock->runUntil(words[0].toLongLong());
            const QString call = words[1], argument = words.mid(2).join(u' ');
            if (call == u"show")
                guide.show();
            else if (call == u"hide")
                guide.hide();
            else if (call == u"moveTo")
                guide.moveTo(qint16(argument.section(u',', 0, 0).toInt()),
                             qint16(argument.section(u',', 1).toInt()));
            else if (call == u"play")
                guide.play(argument);
            else if (call == u"speak")
                guide.speak(argument);
            else if (call == u"stopAll")
                guide.stopAll();
            else if (call == u"voice")
                voice->finish();
            else if (call == u"reader")
                guide.setScreenReaderRunning(true);
            else if (call == u"balloon")
                r->balloon = true;
            else if (call == u"flood") { // a player hammering Enter on an empty box: so many wait, no more
                for (int i = 0; i < 1000; ++i)
                    guide.speak(u"vuoto"_s);
                note(u"waiting %1"_s.arg(guide.pendingRequests()));
            } else if (call == u"where")
                note(u"at %1,%2"_s.arg(guide.figureWindow()->x()).arg(guide.figureWindow()->y()));
            else if (call == u"ask") // would an aside such as a coaching remark go now?
                note(guide.isIdleOnScreen() ? u"ready"_s : u"busy or away"_s);
        }
        r->clock->runUntil(until);
        return result;
    }

private slots:
    void initTestCase() {
        character::Model quick{u"merlin"_s, 64, 80, {}, {}};
        quick.animations[u"wave"_s].frames = {{100, {.rightArm = 150}}, {400, {.rightArm = 100}}};
        QFile file(dir_.filePath(u"merlin.json"_s));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(character::toJson(quick)) > 0);
    }

    // When each request starts and the guide is idle again, what the balloon shows, and the last alarm
    // it sets, when all is at rest: after that it costs nothing. With a voice, what the voice is asked too: a
    // speech ends with it, or at a deadline drawn from its length; a voice that misses twice in a row is not
    // asked again; beside a screen reader it is never used nor stopped, since stopping speech would silence
    // the reader too.
    void requestsLastWhatTheyPromise_data() {
        QTest::addColumn<QString>("steps"); // parted by '|'
        QTest::addColumn<QString>("log");   // with a voice where it is asked to say something
        QTest::addColumn<int>("quiet");
        QTest::newRow("fades out, then in")
            << u"0 hide|1000 ask|2000 show|2400 ask"_s
            << u"0 hide|250 idle|1000 busy or away|2000 show|2300 idle|2400 ready"_s << 2300;
        QTest::newRow("a long glide: 900 ms at most")
            << u"1000 moveTo 2000,0"_s << u"1000 moveTo 2000,0|1900 idle"_s << 1900;
        QTest::newRow("a glide from where it stands: 300 pixels up, 1.2 ms a pixel")
            << u"0 moveTo 100,400|1000 moveTo 100,100"_s
            << u"0 moveTo 100,400|494 idle|1000 moveTo 100,100|1360 idle"_s << 1360;
        QTest::newRow("one the character lacks passes; one it has: its frames, then back to rest")
            << u"1000 play dance|1000 play wave"_s << u"1000 play dance|1000 idle|1000 play wave|1500 idle"_s
            << 1700;
        QTest::newRow("words one by one, then read, then the balloon gone")
            << u"0 balloon|1000 speak Ciao a tutti"_s
            << u"1000 speak Ciao a tutti|1132 [Ciao]|1396 [Ciao a]|1528 [Ciao a tutti]|3340 idle|4840 []"_s
            << 4840;
        QTest::newRow("words, a pause, words")
            << u"0 balloon|1000 speak Uno\\pau=500\\due"_s
            << u"1000 speak Uno\\pau=500\\due|1198 [Uno]|2098 [Uno due]|3800 idle|5300 []"_s << 5300;
        QTest::newRow("the next speech takes the last balloon down at once")
            << u"0 balloon|1000 speak Ciao|4000 speak \\pau=100\\Dopo"_s
            << u"1000 speak Ciao|1132 [Ciao]|2900 idle|4000 speak \\pau=100\\Dopo|"
               u"4000 []|4232 [Dopo]|6000 idle|7500 []"_s
            << 7500;
        QTest::newRow("a pause alone")
            << u"1000 speak \\pau=60\\"_s << u"1000 speak \\pau=60\\|1060 idle"_s << 1060;
        QTest::newRow("one after another")
            << u"0 play wave|0 speak uno|1000 ask"_s
            << u"0 play wave|500 speak uno|1000 busy or away|2400 idle"_s << 3900;
        QTest::newRow("stopped: the rest dropped")
            << u"0 play wave|0 speak uno|400 stopAll"_s << u"0 play wave|400 idle"_s << 600;
        QTest::newRow("stopped mid-glide: it stands where it was going")
            << u"1000 moveTo 500,400|1100 stopAll|1100 where"_s
            << u"1000 moveTo 500,400|1100 idle|1100 at 500,400"_s << 1080;
        QTest::newRow("stopped while the voice speaks, a flood of requests waiting")
            << u"1000 speak uno|1100 flood|1200 stopAll"_s
            << u"1000 speak uno|1000 say uno|1100 waiting %1|1200 stop|1200 idle"_s.arg(
                   1 + GuideAgent::maxWaitingRequests)
            << 1198;
        QTest::newRow("a miss, an answer, two misses: then never asked")
            << u"1000 speak uno|5000 speak uno|5500 voice|9000 speak uno|13000 speak uno|17000 speak uno"_s
            << u"1000 speak uno|1000 say uno|2600 stop|4100 idle|5000 speak uno|5000 say uno|7000 idle|"
               u"9000 speak uno|9000 say uno|10600 stop|12100 idle|13000 speak uno|13000 say uno|14600 stop|"
               u"16100 idle|17000 speak uno|18900 idle"_s
            << 20400;
        QTest::newRow("a screen reader starts: the voice is never stopped, nor asked again")
            << u"1000 speak uno|1100 reader|1200 stopAll|2000 speak uno"_s
            << u"1000 speak uno|1000 say uno|1200 idle|2000 speak uno|3900 idle"_s << 5400;
    }
    void requestsLastWhatTheyPromise() {
        QFETCH(QString, steps);
        QFETCH(QString, log);
        QFETCH(int, quiet);
        const auto done = run(steps, 30000, log.contains(u" say "_s)); // a row that hears the voice has one
        QCOMPARE(done->log.join(u'|'), log);
        QCOMPARE(done->clock->lastRing, quiet);
        QVERIFY(!done->clock->alarmAt);
        const auto *figure = static_cast<const FigureWindow *>(done->guide->figureWindow());
        QVERIFY(figure->pose() == done->guide->model().rest);
        QVERIFY(done->guide->balloonText().isEmpty());
    }

    // A glide is seen on its way, a step every 40 ms along the straight line, slow at both ends.
    void glideTravelsTheLine() {
        const auto done = run(u"1000 moveTo 300,400"_s, 1000);
        QList<QPoint> path;
        while (done->clock->time < 1600) {
            done->clock->runUntil(done->clock->time + 40);
            path << done->guide->figureWindow()->pos();
        }
        QCOMPARE(path.size(), 15);
        QCOMPARE(path.last(), QPoint(300, 400));
        for (qsizetype i = 1; i < path.size(); ++i)
            QVERIFY(path[i].x() >= path[i - 1].x() && qAbs(path[i].x() * 4 - path[i].y() * 3) <= 4);
        QVERIFY(path[0].x() < path[7].x() - path[6].x()); // the first step shorter than the middle one
    }

    void windowsFollowTheDrawing_data() {
        QTest::addColumn<QPoint>("at");  // where the guide is sent
        QTest::addColumn<bool>("above"); // whether the balloon stands above it
        QTest::newRow("room above") << QPoint(300, 300) << true;
        QTest::newRow("top of the screen") << QPoint(300, 0) << false;
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QTest::newRow("sent below, at the right edge")
            << QPoint(screen.topRight() + QPoint(-63, 5000)) << true;
    }
    // Shaped to their drawing: without a compositor what lies outside would stand black around them.
    // And however they appear, the game keeps the keyboard.
    void windowsFollowTheDrawing() {
        QFETCH(QPoint, at);
        QFETCH(bool, above);
        QLineEdit in1; // the game's window, with the keyboard in its box
        in1.show();
        QVERIFY(QTest::qWaitForWindowActive(&in1));
        const auto done = run(u"0 moveTo %1,%2|1000 speak Ciao a tutti"_s.arg(at.x()).arg(at.y()), 1600);
        QWidget *figure = done->guide->figureWindow(), *balloon = done->guide->balloonWindow();
        QVERIFY(balloon->isVisible());
        const QRect box = balloon->geometry(), screen = QGuiApplication::primaryScreen()->availableGeometry();
        const int centre = figure->geometry().center().x();
        QVERIFY(screen.contains(box) && screen.contains(figure->geometry()));
        QVERIFY(above ? box.bottom() < figure->y() : box.top() > figure->geometry().bottom());
        // Centred on the wizard, or as near as the screen lets it, and large enough for its words.
        QVERIFY(qAbs(box.center().x() - centre) <= 1 || box.right() == screen.right());
        QVERIFY(box.width() > balloon->fontMetrics().horizontalAdvance(u"Ciao a tutti"_s) &&
                box.height() > 2 * balloon->fontMetrics().height());
        // Pale yellow inside, as a comic's balloon.
        const QImage drawn = balloon->grab().toImage();
        qsizetype pale = 0;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                pale += drawn.pixelColor(x, y) == QColor(255, 255, 225);
        QVERIFY2(pale > drawn.width() * drawn.height() / 3, qPrintable(QString::number(pale)));
        // The wizard's robe and the balloon's tail are in their windows' shapes, the corners are not.
        QVERIFY(figure->mask().contains(QPoint(figure->width() / 2, figure->height() * 3 / 4)));
        QVERIFY(balloon->mask().contains(QPoint(centre - box.x(), above ? box.height() - 3 : 2)));
        for (const QWidget *window : {figure, balloon})
            QVERIFY(!window->mask().contains(QPoint(0, 0)) &&
                    !window->mask().contains(window->rect().bottomRight()));
        QVERIFY(QApplication::activeWindow() == &in1 && in1.hasFocus());
    }

    // The arm's angle at a time, and when the timeline next asks to be woken (-1: not until told).
    void poseThroughTime_data() {
        QTest::addColumn<int>("cutAt"); // -1: never cut
        QTest::addColumn<int>("at");
        QTest::addColumn<double>("arm");
        QTest::addColumn<int>("wake");
        const auto ease = [](double t) { return t * t * (3 - 2 * t); };
        const double at300 = 150 - 50 * ease(198 / 400.0);
        QTest::newRow("a step that would pass the frame's end") << -1 << 66 << 20 + 130 * ease(0.66) << 100;
        QTest::newRow("second frame, on its own steps") << -1 << 300 << at300 << 364;
        QTest::newRow("cut: back from the last pose") << 566 << 632 << 100 - 80 * ease(0.33) << 698;
        QTest::newRow("cut: the last step stops at rest") << 566 << 764 << 100 - 80 * ease(0.99) << 766;
        QTest::newRow("cut mid-frame: back from where it was")
            << 300 << 366 << at300 + (20 - at300) * ease(0.33) << 432;
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

    // While it talks the wizard's mouth opens wide and closes again, several times a second, never past
    // wide open.
    void mouthFlapsWhileTalking() {
        const auto done = run(u"1000 speak Ciao a tutti, oggi facciamo esperimenti"_s, 1000);
        const auto *figure = static_cast<const FigureWindow *>(done->guide->figureWindow());
        double widest = 0, narrowest = 1;
        while (done->clock->time < 2500) {
            done->clock->runUntil(done->clock->time + SpeechPlayer::stepMs / 3);
            widest = std::max(widest, figure->pose().mouth);
            narrowest = std::min(narrowest, figure->pose().mouth);
        }
        QVERIFY2(widest > 0.7 && widest <= 1, qPrintable(QString::number(widest)));
        QVERIFY2(narrowest > 0 && narrowest < 0.2, qPrintable(QString::number(narrowest)));
    }
};

QTEST_MAIN(TestGuideTiming)
#include "tst_guidetiming.moc"
