// What an experiment's handler pays to the guide: queueing its reaction must cost the same few
// microseconds whether the guide is idle or in the middle of a long speech. And what the guide's
// drawing costs the machine while it plays: the goal is under 2% of one core above the idle
// baseline. Run that part on a real X server for realistic figures, e.g.
//   QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" bench_guide animationCpu

#include "guide/guideagent.h"
#include "guide/guidewindows.h"
#include "guide/scripts.h"

#include <QtTest>

#include <ctime>

using namespace ingranix;

namespace {

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

} // namespace

class BenchGuide : public QObject {
    Q_OBJECT

private slots:
    void experimentBurst_data();
    void experimentBurst();
    void animationCpu_data();
    void animationCpu();
};

void BenchGuide::experimentBurst_data() {
    QTest::addColumn<bool>("busy");
    QTest::newRow("idle guide") << false;
    QTest::newRow("busy guide") << true;
}

void BenchGuide::experimentBurst() {
    QFETCH(bool, busy);
    GuideAgent guide(nullptr);
    guide.load(QStringLiteral("merlin"),
               QCoreApplication::applicationDirPath() + QStringLiteral("/merlin.json"));
    guide.show();
    QTRY_VERIFY(!guide.isBusy());
    if (busy) {
        guidescript::explainOperations(guide); // a long speech running and more waiting
        QTRY_VERIFY(!guide.balloonText().isEmpty());
    }
    // The largest reaction of an experiment: two speeches and an animation. The queue is emptied
    // after every burst, so an idle guide stays idle and a busy one stays busy.
    QBENCHMARK {
        guidescript::reactToExperiment(guide, 3);
        if (!busy)
            guide.stopAll();
    }
    QCOMPARE(guide.isBusy(), busy);
    guide.stopAll();
}

void BenchGuide::animationCpu_data() {
    QTest::addColumn<QString>("what");
    QTest::newRow("resting (baseline)") << "rest";
    QTest::newRow("every animation") << "animations";
    QTest::newRow("greeting") << "greeting";
}

void BenchGuide::animationCpu() {
    QFETCH(QString, what);
    const int seconds = qEnvironmentVariableIntValue("INGRANIX_BENCH_SECONDS") > 0
                            ? qEnvironmentVariableIntValue("INGRANIX_BENCH_SECONDS")
                            : 10;
    GuideAgent guide(nullptr);
    QVERIFY(guide.load(QStringLiteral("merlin"),
                       QCoreApplication::applicationDirPath() + QStringLiteral("/merlin.json")));
    guide.moveTo(400, 400);
    guide.show();
    QTRY_VERIFY(!guide.isBusy());
    QTest::qWait(200); // let the window settle on screen before measuring

    // Whenever the guide runs out of work it gets the same work again, for the whole measurement.
    const auto refill = [&] {
        if (what == QLatin1String("animations")) {
            for (const QString &name : guide.model().animations.keys())
                guide.play(name);
        } else if (what == QLatin1String("greeting")) {
            guidescript::GreetPlayer(guide, QSize(1280, 1024));
        }
    };
    connect(&guide, &GuideAgent::idle, this, refill);
    refill();

    // A plain event loop, not a polling wait, so the baseline measures the guide and not the wait.
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    QElapsedTimer wall;
    wall.start();
    const double cpuStart = processCpuSeconds();
    loop.exec();
    const double share = 100 * (processCpuSeconds() - cpuStart) / (double(wall.elapsed()) / 1000);
    guide.disconnect(this);
    guide.stopAll();
    const auto *figure = static_cast<const FigureWindow *>(guide.figureWindow());
    qInfo("%s: %.2f%% of one core over %d s (%d paints, %d frames drawn)", qPrintable(what), share, seconds,
          figure->paintCount(), figure->drawCount());
}

QTEST_MAIN(BenchGuide)
#include "bench_guide.moc"
