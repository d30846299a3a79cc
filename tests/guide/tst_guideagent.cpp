// The guide on screen: its queue, its timing, its windows and its voice, offscreen.

#include "guide/guideagent.h"
#include "guide/guidevoice.h"
#include "guide/guidewindows.h"
#include "guide/scripts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace ingranix;

namespace {

// A voice the test controls: it records what it is asked to say and answers only when told.
class FakeVoice : public GuideVoice {
public:
    bool available = true;
    int finishAfterMs = -1; // -1: never reports the end, like a speech service without a sound device
    QStringList said;
    int stops = 0;

    void setLocale(const QLocale &) override {}
    bool isAvailable() const override { return available; }
    void say(const QString &text) override {
        said << text;
        if (finishAfterMs >= 0)
            QTimer::singleShot(finishAfterMs, this, [this] { emit finished(); });
    }
    void stop() override { ++stops; }
};

QString characterPath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/merlin.json");
}

std::unique_ptr<GuideAgent> makeGuide(std::unique_ptr<GuideVoice> voice = nullptr) {
    auto guide = std::make_unique<GuideAgent>(std::move(voice));
    guide->load(QStringLiteral("merlin"), characterPath());
    guide->setBalloonFont(QStringLiteral("Arial"), 12);
    return guide;
}

// Waits until the guide has nothing left to do.
bool waitIdle(GuideAgent &guide, int timeoutMs = 15000) {
    QElapsedTimer timer;
    timer.start();
    while (guide.isBusy() && timer.elapsed() < timeoutMs)
        QTest::qWait(10);
    return !guide.isBusy();
}

QStringList kinds(const QSignalSpy &spy) {
    QStringList out;
    for (const QList<QVariant> &args : spy)
        out << args.at(0).toString() + ' ' + args.at(1).toString();
    return out;
}

} // namespace

class TestGuideAgent : public QObject {
    Q_OBJECT

private slots:
    void callsReturnAtOnceAndRunInOrder();
    void speechTakesItsTime_data();
    void speechTakesItsTime();
    void balloonNeverShowsTags();
    void stopAllDropsWaitingRequests();
    void instructionsCutTheWelcomeShort();
    void hiddenGuideShowsNothing();
    void hidingDropsQueuedSpeechForGood();
    void moveToGlides();
    void everyAnimationPlays_data();
    void everyAnimationPlays();
    void unknownAnimationIsCalm();
    void missingCharacterShowsBalloonAlone();
    void neverTakesTheFocus();
    void voiceEndsTheSpeech();
    void silentVoiceMeetsItsDeadline();
};

void TestGuideAgent::callsReturnAtOnceAndRunInOrder() {
    auto guide = makeGuide();
    QSignalSpy started(guide.get(), &GuideAgent::requestStarted);
    QSignalSpy finished(guide.get(), &GuideAgent::requestFinished);
    QSignalSpy idle(guide.get(), &GuideAgent::idle);

    guide->moveTo(100, 120);
    guide->show();
    guide->speak(QStringLiteral("Ciao"));
    guide->play(QStringLiteral("gestureleft"));
    guide->hide();
    // Nothing has started yet: every call only queued its request.
    QCOMPARE(started.count(), 0);
    QCOMPARE(guide->pendingRequests(), 5);

    QVERIFY(waitIdle(*guide));
    const QStringList expected{"moveTo 100,120", "show ", "speak Ciao", "play gestureleft", "hide "};
    QCOMPARE(kinds(started), expected);
    QCOMPARE(kinds(finished), expected);
    QCOMPARE(idle.count(), 1);
    QCOMPARE(guide->position(), QPoint(100, 120));
    QVERIFY(!guide->isShownOnScreen());
}

void TestGuideAgent::speechTakesItsTime_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("atLeastMs");
    QTest::addColumn<QString>("balloon");

    QTest::newRow("words") << "Ciao" << 400 << "Ciao";
    QTest::newRow("pause between words") << "Ciao\\pau=300\\mondo" << 400 + 300 + 400 << "Ciao mondo";
    QTest::newRow("unterminated pause only") << "\\Pau=300" << 300 << "";
    QTest::newRow("upper-case pause") << "\\PAU=250\\a" << 250 + 400 << "a";
    QTest::newRow("malformed tag") << "a\\pau=xyz\\b" << 400 << "a b";
}

void TestGuideAgent::speechTakesItsTime() {
    QFETCH(QString, text);
    QFETCH(int, atLeastMs);
    QFETCH(QString, balloon);

    auto guide = makeGuide();
    guide->show();
    QVERIFY(waitIdle(*guide));
    QSignalSpy finished(guide.get(), &GuideAgent::requestFinished);
    QElapsedTimer timer;
    timer.start();
    guide->speak(text);
    QVERIFY(waitIdle(*guide));
    const qint64 took = timer.elapsed();
    QVERIFY2(took >= atLeastMs - 20, qPrintable(QString::number(took)));
    QVERIFY2(took < atLeastMs + 2000, qPrintable(QString::number(took)));
    QCOMPARE(finished.count(), 1);
    // The balloon stays up a moment after the speech, showing all of it.
    QCOMPARE(guide->balloonText(), balloon);
}

void TestGuideAgent::balloonNeverShowsTags() {
    auto guide = makeGuide();
    QSignalSpy balloon(guide.get(), &GuideAgent::balloonTextChanged);
    guide->show();
    guidescript::CoachAfterLevel(*guide);
    QVERIFY(waitIdle(*guide));
    QVERIFY(balloon.count() > 2); // the words appear as they are spoken, not all at once
    for (const QList<QVariant> &args : balloon)
        QVERIFY2(!args.at(0).toString().contains('\\'), qPrintable(args.at(0).toString()));
    QCOMPARE(guide->balloonText(),
             QStringLiteral("Bene adesso scegli un  colore dal menù ingranaggi .... ricorda "
                            "per ogni colore la macchina esegue un calcolo diverso"));
}

void TestGuideAgent::stopAllDropsWaitingRequests() {
    auto guide = makeGuide();
    guide->show();
    QVERIFY(waitIdle(*guide));
    QSignalSpy started(guide.get(), &GuideAgent::requestStarted);
    QSignalSpy idle(guide.get(), &GuideAgent::idle);
    guide->speak(QStringLiteral("Una frase abbastanza lunga da essere ancora in corso"));
    guide->speak(QStringLiteral("seconda"));
    guide->play(QStringLiteral("announce"));
    QTRY_COMPARE(started.count(), 1);
    QTRY_VERIFY(!guide->balloonText().isEmpty());

    guide->stopAll();
    QCOMPARE(guide->pendingRequests(), 0);
    QCOMPARE(idle.count(), 1);
    QCOMPARE(guide->balloonText(), QString());
    QTest::qWait(300);
    QCOMPARE(started.count(), 1); // the dropped requests never start
    QVERIFY(guide->isShownOnScreen());

    // What follows a StopAll starts at once.
    guide->speak(QStringLiteral("dopo"));
    QTRY_COMPARE_WITH_TIMEOUT(started.count(), 2, 200);
}

void TestGuideAgent::instructionsCutTheWelcomeShort() {
    auto guide = makeGuide();
    QSignalSpy started(guide.get(), &GuideAgent::requestStarted);
    guidescript::GreetPlayer(*guide, {800, 600});
    QTRY_VERIFY(guide->balloonText().startsWith(QStringLiteral("Benvenuti")));
    guidescript::explainGoal(*guide);
    QTRY_COMPARE(started.last().at(0).toString(), QStringLiteral("play"));
    QCOMPARE(started.last().at(1).toString(), QStringLiteral("search"));
    QTRY_VERIFY(guide->balloonText().startsWith(QStringLiteral("Dunque")));
    guide->stopAll();
    // No part of the welcome came back after the goal speech began.
    const QStringList all = kinds(started);
    QVERIFY(!all.mid(all.indexOf("play search")).join('|').contains("livello"));
}

void TestGuideAgent::hiddenGuideShowsNothing() {
    auto guide = makeGuide();
    QSignalSpy balloon(guide.get(), &GuideAgent::balloonTextChanged);
    QSignalSpy finished(guide.get(), &GuideAgent::requestFinished);
    guidescript::explainOperations(*guide); // never shown: the instructions do not show it
    guide->moveTo(50, 60);
    QVERIFY(waitIdle(*guide, 500)); // unseen requests pass at once
    QCOMPARE(finished.count(), 6);
    QCOMPARE(balloon.count(), 0);
    QVERIFY(!guide->isShownOnScreen());
    QVERIFY(!guide->figureWindow()->isVisible());
    QVERIFY(!guide->balloonWindow()->isVisible());

    // Showing it later replays none of it, and it appears where it was last sent.
    guidescript::showGuide(*guide);
    QVERIFY(waitIdle(*guide));
    QTest::qWait(100);
    QCOMPARE(balloon.count(), 0);
    QVERIFY(guide->isShownOnScreen());
    QCOMPARE(guide->figureWindow()->pos(), QPoint(50, 60));
}

void TestGuideAgent::hidingDropsQueuedSpeechForGood() {
    auto guide = makeGuide();
    guide->show();
    QVERIFY(waitIdle(*guide));
    QSignalSpy balloon(guide.get(), &GuideAgent::balloonTextChanged);
    guide->speak(QStringLiteral("prima"));
    guide->speak(QStringLiteral("seconda, che non si sentirà"));
    QTRY_VERIFY(!guide->balloonText().isEmpty());
    guidescript::hideGuide(*guide);
    QVERIFY(waitIdle(*guide));
    QVERIFY(!guide->isShownOnScreen());
    guidescript::showGuide(*guide);
    QVERIFY(waitIdle(*guide));
    QTest::qWait(200);
    for (const QList<QVariant> &args : balloon)
        QVERIFY(!args.at(0).toString().contains(QStringLiteral("seconda")));
    QCOMPARE(guide->balloonText(), QString());
}

void TestGuideAgent::moveToGlides() {
    auto guide = makeGuide();
    guide->moveTo(0, 0);
    guide->show();
    QVERIFY(waitIdle(*guide));
    QList<QPoint> seen;
    connect(guide.get(), &GuideAgent::requestFinished, this, [&] { seen << guide->position(); });
    guide->moveTo(400, 300);
    QTRY_VERIFY(guide->position() != QPoint(0, 0));
    const QPoint midway = guide->position();
    QVERIFY(waitIdle(*guide));
    QVERIFY2(midway != QPoint(400, 300), "the guide jumped instead of gliding");
    QCOMPARE(guide->position(), QPoint(400, 300));
    QCOMPARE(guide->figureWindow()->pos(), QPoint(400, 300));
}

void TestGuideAgent::everyAnimationPlays_data() {
    QTest::addColumn<QString>("name");
    for (const char *name : {"getattention", "gestureleft", "gestureright", "announce", "search", "read",
                             "processing", "StopListening"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestGuideAgent::everyAnimationPlays() {
    QFETCH(QString, name);
    auto guide = makeGuide();
    guide->show();
    QVERIFY(waitIdle(*guide));
    auto *figure = guide->figureWindow();
    const int duration = guide->model().animations.value(name).durationMs();
    QVERIFY(duration > 0);

    QElapsedTimer timer;
    timer.start();
    guide->play(name);
    QTRY_COMPARE(guide->currentAnimation(), name);
    // The figure leaves its resting pose while it plays.
    QTRY_VERIFY(!(static_cast<FigureWindow *>(figure)->pose() == guide->model().rest));
    QVERIFY(waitIdle(*guide));
    QVERIFY2(timer.elapsed() >= duration - 20, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(guide->currentAnimation(), QString());
    // ...and settles back to rest afterwards.
    QTRY_VERIFY(static_cast<FigureWindow *>(figure)->pose() == guide->model().rest);
}

void TestGuideAgent::unknownAnimationIsCalm() {
    auto guide = makeGuide();
    guide->show();
    QVERIFY(waitIdle(*guide));
    QSignalSpy finished(guide.get(), &GuideAgent::requestFinished);
    guide->play(QStringLiteral("dance"));
    guide->play(QString());
    guide->speak(QStringLiteral("ok"));
    QVERIFY(waitIdle(*guide));
    QCOMPARE(kinds(finished), (QStringList{"play dance", "play ", "speak ok"}));
}

void TestGuideAgent::missingCharacterShowsBalloonAlone() {
    QTemporaryDir empty;
    GuideAgent guide(nullptr);
    QVERIFY(!guide.load(QStringLiteral("merlin"), empty.filePath(QStringLiteral("merlin.json"))));
    QVERIFY(!guide.hasFigure());
    QCOMPARE(guide.width(), qint16(0));
    guidescript::GreetPlayer(guide, {800, 600});
    QTRY_VERIFY(guide.balloonText().startsWith(QStringLiteral("Benvenuti")));
    QVERIFY(guide.isShownOnScreen());
    QVERIFY(!guide.figureWindow()->isVisible());
    QVERIFY(guide.balloonWindow()->isVisible());
    guide.stopAll();
}

void TestGuideAgent::neverTakesTheFocus() {
    QWidget window;
    auto *in1 = new QLineEdit(&window);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    in1->setFocus();
    QTRY_VERIFY(in1->hasFocus());

    auto guide = makeGuide();
    for (QWidget *w : {guide->figureWindow(), guide->balloonWindow()}) {
        QVERIFY(w->testAttribute(Qt::WA_ShowWithoutActivating));
        QVERIFY(w->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(w->windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(w->windowType(), Qt::Tool);
    }
    guidescript::GreetPlayer(*guide, {800, 600});
    QTRY_VERIFY(guide->balloonWindow()->isVisible());
    QTest::qWait(100);
    QVERIFY(guide->figureWindow()->isVisible());
    QCOMPARE(QApplication::activeWindow(), &window);
    QCOMPARE(QApplication::focusWidget(), in1);
    QVERIFY(in1->hasFocus());
    guide->stopAll();
}

void TestGuideAgent::voiceEndsTheSpeech() {
    auto voice = std::make_unique<FakeVoice>();
    FakeVoice *fake = voice.get();
    fake->finishAfterMs = 20; // a brisk voice, far quicker than the estimate
    auto guide = makeGuide(std::move(voice));
    guide->show();
    QVERIFY(waitIdle(*guide));
    QElapsedTimer timer;
    timer.start();
    guide->speak(
        QStringLiteral("Una frase lunga che la stima farebbe durare parecchi secondi\\pau=100\\fine"));
    QVERIFY(waitIdle(*guide));
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    // The voice hears the words without tags, a piece at a time.
    QCOMPARE(fake->said,
             (QStringList{"Una frase lunga che la stima farebbe durare parecchi secondi", "fine"}));

    // StopAll silences the voice mid-speech.
    fake->finishAfterMs = -1;
    guide->speak(QStringLiteral("interrotta"));
    QTRY_COMPARE(fake->said.size(), 3);
    const int stopsBefore = fake->stops;
    guide->stopAll();
    QCOMPARE(fake->stops, stopsBefore + 1);
}

void TestGuideAgent::silentVoiceMeetsItsDeadline() {
    auto voice = std::make_unique<FakeVoice>(); // accepts every text and never finishes
    FakeVoice *fake = voice.get();
    auto guide = makeGuide(std::move(voice));
    guide->show();
    QVERIFY(waitIdle(*guide));
    QVERIFY(guide->hasVoice());

    QElapsedTimer timer;
    timer.start();
    guide->speak(QStringLiteral("uno"));
    QVERIFY(waitIdle(*guide, 10000));
    const int deadline = GuideAgent::speechDeadlineMs(400);
    QVERIFY2(timer.elapsed() >= deadline - 20 && timer.elapsed() < deadline + 1000,
             qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(fake->stops, 1); // the voice is told to give up

    // After missing its deadlines the voice is left alone and the balloon keeps its own pace.
    guide->speak(QStringLiteral("due"));
    QVERIFY(waitIdle(*guide, 10000));
    QVERIFY(!guide->hasVoice());
    timer.restart();
    guide->speak(QStringLiteral("tre"));
    QVERIFY(waitIdle(*guide, 10000));
    QCOMPARE(fake->said, (QStringList{"uno", "due"}));
    QVERIFY2(timer.elapsed() < deadline, qPrintable(QString::number(timer.elapsed())));
}

QTEST_MAIN(TestGuideAgent)
#include "tst_guideagent.moc"
