// The guide speaking through the machine's real speech engine, where there is one.

#include "guide/guideagent.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

using namespace ingranix;

class TestGuideVoice : public QObject {
    Q_OBJECT

private slots:
    void speaksItalianAndAlwaysFinishes();
};

void TestGuideVoice::speaksItalianAndAlwaysFinishes() {
    GuideAgent guide; // the real voice, on its own thread
    QSignalSpy answer(&guide, &GuideAgent::voiceAvailabilityChanged);
    QElapsedTimer waited;
    waited.start();
    guide.setLanguageId(1040); // asking for Italian starts the engine; this call must not wait for it
    QVERIFY2(waited.elapsed() < 500, "starting the speech engine blocked the caller");
    if (!answer.wait(20000))
        QSKIP("No speech engine answered within 20 s (none installed, or the speech service is stuck)");
    if (!guide.hasVoice())
        QSKIP("No speech engine with an Italian voice on this machine");

    guide.show();
    const QString text = QStringLiteral("Ciao!\\pau=200\\Sono il mago.");
    QSignalSpy finished(&guide, &GuideAgent::requestFinished);
    guide.speak(text);
    // Without a sound device the engine may never report the end: the deadline ends the speech then.
    const int limit = GuideAgent::speechDeadlineMs(400) + 200 + GuideAgent::speechDeadlineMs(12 * 70) + 3000;
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, limit);
    QCOMPARE(finished.last().at(1).toString(), text);
    guide.stopAll();
}

QTEST_MAIN(TestGuideVoice)
#include "tst_guidevoice.moc"
