// The guide on the screen on a clock the test moves by hand: when each request starts and ends,
// how a glide travels, and that a guide at rest sets no alarm at all.

#include "guide/guideagent.h"
#include "guide/guidevoice.h"
#include "guide/guidewindows.h"

#include <QtTest>

using namespace ingranix;
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

} // namespace

class TestGuideTiming : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    // Runs "<ms> <call>" steps on a guide with a small character, shown and settled by time 0; logs
    // "<ms> <kind> <detail>" as each request starts and "<ms> idle" when all are done, parted by '|'. With a
    // voice, the log has what it is asked too, and the steps "voice" (it has finished) and "reader" (a screen
    // reader starts). "ask" logs whether the guide is on screen with nothing to do.
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
        connect(&guide, &GuideAgent::requestStarted, this, [r](const QString &kind, const QString &detail) {
            r->log << u"%1 %2 %3"_s.arg(r->clock->time).arg(kind, detail).trimmed();
        });
        connect(&guide, &GuideAgent::balloonTextChanged, this, [r](const QString &text) {
            if (r->balloon)
                r->log << u"%1 [%2]"_s.arg(r->clock->time).arg(text);
        });
        connect(&guide, &GuideAgent::idle, this, [r] { r->log << u"%1 idle"_s.arg(r->clock->time); });
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
            else if (call == u"flood") // a player hammering Enter on an empty box: so many wait, no more
                for (int i = 0; i < 1000; ++i)
                    guide.speak(u"vuoto"_s);
            else if (call == u"balloon")
                r->balloon = true;
            else if (call == u"where")
                r->log << u"%1 at %2,%3"_s.arg(r->clock->time)
                              .arg(guide.figureWindow()->x())
                              .arg(guide.figureWindow()->y());
            else if (call == u"waiting")
                r->log << u"%1 waiting %2"_s.arg(r->clock->time).arg(guide.pendingRequests());
            else if (call == u"ask") // would an aside such as a coaching remark go now?
                r->log << u"%1 %2"_s.arg(r->clock->time)
                              .arg(guide.isIdleOnScreen() ? u"ready" : u"busy or away");
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

    // When each request starts and the guide is idle again, and the last alarm it sets, when all is at
    // rest: after that it costs nothing. With a voice, what the voice is asked too: a speech ends with
    // it, or at a deadline drawn from its length; a voice that misses twice in a row is not asked again;
    // beside a screen reader it is never used nor stopped, since stopping speech would silence the
    // reader too.
    void requestsLastWhatTheyPromise_data() {
        QTest::addColumn<QString>("steps"); // parted by '|'
        QTest::addColumn<bool>("withVoice");
        QTest::addColumn<QString>("log");
        QTest::addColumn<int>("quiet");
        QTest::newRow("fades out, then in")
            << u"0 hide|1000 ask|2000 show|2400 ask"_s << false
            << u"0 hide|250 idle|1000 busy or away|2000 show|2300 idle|2400 ready"_s << 2300;
        QTest::newRow("a short glide: 150 ms at least")
            << u"1000 moveTo 10,0"_s << false << u"1000 moveTo 10,0|1150 idle"_s << 1150;
        QTest::newRow("a long glide: 900 ms at most")
            << u"1000 moveTo 2000,0"_s << false << u"1000 moveTo 2000,0|1900 idle"_s << 1900;
        QTest::newRow("a glide from where it stands: 300 pixels up, 1.2 ms a pixel")
            << u"0 moveTo 100,400|1000 moveTo 100,100"_s << false
            << u"0 moveTo 100,400|494 idle|1000 moveTo 100,100|1360 idle"_s << 1360;
        QTest::newRow("moved while hidden: at once")
            << u"0 hide|1000 moveTo 50,60"_s << false << u"0 hide|250 idle|1000 moveTo 50,60|1000 idle"_s
            << 250;
        QTest::newRow("an animation: its frames, then back to rest")
            << u"1000 play wave"_s << false << u"1000 play wave|1500 idle"_s << 1700;
        QTest::newRow("words one by one, then read, then the balloon gone")
            << u"0 balloon|1000 speak Ciao a tutti"_s << false
            << u"1000 speak Ciao a tutti|1132 [Ciao]|1396 [Ciao a]|1528 [Ciao a tutti]|3340 idle|4840 []"_s
            << 4840;
        QTest::newRow("words, a pause, words")
            << u"0 balloon|1000 speak Uno\\pau=500\\due"_s << false
            << u"1000 speak Uno\\pau=500\\due|1198 [Uno]|2098 [Uno due]|3800 idle|5300 []"_s << 5300;
        QTest::newRow("the next speech takes the last balloon down at once")
            << u"0 balloon|1000 speak Ciao|4000 speak \\pau=100\\Dopo"_s << false
            << u"1000 speak Ciao|1132 [Ciao]|2900 idle|4000 speak \\pau=100\\Dopo|4000 []|4232 [Dopo]|6000 idle|7500 []"_s
            << 7500;
        QTest::newRow("hidden while the balloon lingers")
            << u"0 balloon|1000 speak Ciao|3500 hide"_s << false
            << u"1000 speak Ciao|1132 [Ciao]|2900 idle|3500 hide|3500 []|3750 idle"_s << 3750;
        QTest::newRow("a pause alone")
            << u"1000 speak \\pau=60\\"_s << false << u"1000 speak \\pau=60\\|1060 idle"_s << 1060;
        QTest::newRow("one after another")
            << u"0 play wave|0 speak uno|1000 ask"_s << false
            << u"0 play wave|500 speak uno|1000 busy or away|2400 idle"_s << 3900;
        QTest::newRow("stopped: the rest dropped")
            << u"0 play wave|0 speak uno|400 stopAll"_s << false << u"0 play wave|400 idle"_s << 600;
        QTest::newRow("stopped mid-glide: it stands where it was going")
            << u"1000 moveTo 500,400|1100 stopAll|1100 where"_s << false
            << u"1000 moveTo 500,400|1100 idle|1100 at 500,400"_s << 1080;
        QTest::newRow("stopped fading out: away at once")
            << u"1000 hide|1100 stopAll|1100 ask"_s << false << u"1000 hide|1100 idle|1100 busy or away"_s
            << 1066;
        QTest::newRow("stopped while the voice speaks, a flood of requests waiting")
            << u"1000 speak uno|1100 flood|1100 waiting|1200 stopAll"_s << true
            << u"1000 speak uno|1000 say uno|1100 waiting %1|1200 stop|1200 idle"_s.arg(
                   1 + GuideAgent::maxWaitingRequests)
            << 1198;
        QTest::newRow("a miss, an answer, two misses: then never asked")
            << u"1000 speak uno|5000 speak uno|5500 voice|9000 speak uno|13000 speak uno|17000 speak uno"_s
            << true
            << u"1000 speak uno|1000 say uno|2600 stop|4100 idle|5000 speak uno|5000 say uno|7000 idle|9000 speak uno|9000 say uno|10600 stop|12100 idle|13000 speak uno|13000 say uno|14600 stop|16100 idle|17000 speak uno|18900 idle"_s
            << 20400;
        QTest::newRow("a screen reader starts: the voice is never stopped, nor asked again")
            << u"1000 speak uno|1100 reader|1200 stopAll|2000 speak uno"_s << true
            << u"1000 speak uno|1000 say uno|1200 idle|2000 speak uno|3900 idle"_s << 5400;
    }
    void requestsLastWhatTheyPromise() {
        QFETCH(QString, steps);
        QFETCH(bool, withVoice);
        QFETCH(QString, log);
        QFETCH(int, quiet);
        const auto done = run(steps, 30000, withVoice);
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
        const int firstStep = path[0].x(), middleStep = path[7].x() - path[6].x();
        QVERIFY2(firstStep < middleStep, qPrintable(u"%1 %2"_s.arg(firstStep).arg(middleStep)));
    }
};

QTEST_MAIN(TestGuideTiming)
#include "tst_guidetiming.moc"
