// What an experiment's handler pays to the guide: queueing its reaction must cost the same few
// microseconds whether the guide is idle or in the middle of a long speech.

#include "guide/guideagent.h"
#include "guide/scripts.h"

#include <QtTest>

using namespace ingranix;

class BenchGuide : public QObject {
    Q_OBJECT

private slots:
    void experimentBurst_data();
    void experimentBurst();
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

QTEST_MAIN(BenchGuide)
#include "bench_guide.moc"
