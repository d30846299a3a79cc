// The guide on screen: its queue, its timing, its windows and its voice (a fake one, then the real one).

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
    int finishAfterMs = -1; // -1: never reports the end, like a speech service without a sound device
    QStringList said;
    int stops = 0;

    void setLocale(const QLocale &) override {}
    bool isAvailable() const override { return true; }
    void say(const QString &text) override {
        said << text;
        if (finishAfterMs >= 0)
            QTimer::singleShot(finishAfterMs, this, [this] { emit finished(); });
    }
    void stop() override { ++stops; }
};

bool waitIdle(GuideAgent &guide, int timeoutMs = 15000) {
    QElapsedTimer timer;
    timer.start();
    while (guide.isBusy() && timer.elapsed() < timeoutMs)
        QTest::qWait(10);
    return !guide.isBusy();
}

// A loaded guide; shown and idle unless told otherwise.
std::unique_ptr<GuideAgent> makeGuide(std::unique_ptr<GuideVoice> voice = nullptr, bool shown = true) {
    auto guide = std::make_unique<GuideAgent>(std::move(voice));
    guide->load(QStringLiteral("merlin"), QCoreApplication::applicationDirPath() + "/merlin.json");
    if (shown) {
        guide->show();
        waitIdle(*guide);
    }
    return guide;
}

} // namespace

class TestGuideAgent : public QObject {
    Q_OBJECT

private slots:
    void callsReturnAtOnceAndRunInOrder();
    void speechTakesItsTime_data();
    void speechTakesItsTime();
    void stopAllDropsWaitingRequests();
    void hammeringQueuesNoMore();
    void hiddenGuideShowsNothing();
    void animationsPlay_data();
    void animationsPlay();
    void missingCharacterShowsBalloonAlone();
    void windowsAreShapedToTheirDrawing();
    void neverTakesTheFocus();
    void voicePacesTheSpeech_data();
    void voicePacesTheSpeech();
    void realVoiceSpeaksItalianAndFinishes();
};

void TestGuideAgent::callsReturnAtOnceAndRunInOrder() {
    auto guide = makeGuide(nullptr, false);
    QStringList started;
    connect(guide.get(), &GuideAgent::requestStarted, this,
            [&](const QString &kind, const QString &detail) { started << kind + ' ' + detail; });
    guide->moveTo(100, 120);
    guide->show();
    guide->speak(QStringLiteral("Ciao"));
    guide->play(QStringLiteral("gestureleft"));
    guide->hide();
    QVERIFY(started.isEmpty()); // every call only queued its request
    QVERIFY(waitIdle(*guide));
    QCOMPARE(started, (QStringList{"moveTo 100,120", "show ", "speak Ciao", "play gestureleft", "hide "}));
    QVERIFY(!guide->isShownOnScreen());
}

void TestGuideAgent::speechTakesItsTime_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("atLeastMs");
    QTest::addColumn<QString>("balloon");
    QTest::newRow("words") << "Ciao" << 400 << "Ciao";
    QTest::newRow("pause between words") << "Ciao\\pau=300\\mondo" << 400 + 300 + 400 << "Ciao mondo";
    QTest::newRow("unterminated pause only") << "\\Pau=300" << 300 << "";
}

void TestGuideAgent::speechTakesItsTime() {
    QFETCH(QString, text);
    QFETCH(int, atLeastMs);
    QFETCH(QString, balloon);
    auto guide = makeGuide();
    QSignalSpy shown(guide.get(), &GuideAgent::balloonTextChanged);
    QElapsedTimer timer;
    timer.start();
    guide->speak(text);
    QVERIFY(waitIdle(*guide));
    QVERIFY2(timer.elapsed() >= atLeastMs - 20 && timer.elapsed() < atLeastMs + 2000,
             qPrintable(QString::number(timer.elapsed())));
    // The balloon never shows a tag, and stays up a moment after the speech, showing all of it.
    for (const QList<QVariant> &args : shown)
        QVERIFY2(!args.at(0).toString().contains('\\'), qPrintable(args.at(0).toString()));
    QCOMPARE(guide->balloonText(), balloon);
}

void TestGuideAgent::stopAllDropsWaitingRequests() {
    auto voice = std::make_unique<FakeVoice>(); // never finishes: the speech is surely still going
    FakeVoice *fake = voice.get();
    auto guide = makeGuide(std::move(voice));
    QSignalSpy started(guide.get(), &GuideAgent::requestStarted);
    guide->speak(QStringLiteral("Una frase ancora in corso"));
    guide->speak(QStringLiteral("seconda"));
    guide->play(QStringLiteral("announce"));
    QTRY_VERIFY(!guide->balloonText().isEmpty());

    guide->stopAll();
    QCOMPARE(fake->stops, 1); // the voice falls silent mid-speech
    QCOMPARE(guide->balloonText(), QString());
    QTest::qWait(300);
    QCOMPARE(started.count(), 1); // the dropped requests never start
    guide->speak(QStringLiteral("dopo"));
    QTRY_COMPARE_WITH_TIMEOUT(started.count(), 2, 200); // what follows starts at once
}

void TestGuideAgent::hammeringQueuesNoMore() {
    auto guide = makeGuide(std::make_unique<FakeVoice>()); // a speech that never ends by itself
    QSignalSpy started(guide.get(), &GuideAgent::requestStarted);
    guide->speak(QStringLiteral("in corso"));
    QTRY_COMPARE(started.count(), 1);
    for (int i = 0; i < 1000; ++i)
        guidescript::WarnEmptyInput(*guide);
    QCOMPARE(guide->pendingRequests(), 1 + GuideAgent::maxWaitingRequests);
    guide->stopAll();
    guide->speak(QStringLiteral("dopo")); // the guide takes requests again at once
    QTRY_COMPARE(started.last().at(1).toString(), QStringLiteral("dopo"));
}

void TestGuideAgent::hiddenGuideShowsNothing() {
    auto guide = makeGuide(nullptr, false);
    QSignalSpy balloon(guide.get(), &GuideAgent::balloonTextChanged);
    guidescript::explainOperations(*guide); // the instructions do not show a hidden guide
    guide->moveTo(50, 60);
    QVERIFY(waitIdle(*guide, 500)); // unseen requests pass at once
    QVERIFY(!guide->figureWindow()->isVisible());
    QVERIFY(!guide->balloonWindow()->isVisible());

    // Showing it later replays none of it, and it appears where it was last sent.
    guidescript::showGuide(*guide);
    QVERIFY(waitIdle(*guide));
    QTest::qWait(100);
    QCOMPARE(balloon.count(), 0);
    QCOMPARE(guide->figureWindow()->pos(), QPoint(50, 60));
}

void TestGuideAgent::animationsPlay_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("known"); // the shipped character must hold every animation the scripts use
    for (const char *name : {"getattention", "gestureleft", "gestureright", "announce", "search", "read",
                             "processing", "StopListening"})
        QTest::newRow(name) << QString::fromLatin1(name) << true;
    QTest::newRow("unknown") << "dance" << false;
    QTest::newRow("no name") << QString() << false;
}

void TestGuideAgent::animationsPlay() {
    QFETCH(QString, name);
    QFETCH(bool, known);
    auto guide = makeGuide();
    QVERIFY(guide->hasFigure());
    const auto *figure = static_cast<FigureWindow *>(guide->figureWindow());
    // Short enough not to hold the queue for long.
    const int duration = guide->model().animations.value(name).durationMs();
    QCOMPARE(duration >= 300 && duration <= 3000, known);
    QElapsedTimer timer;
    timer.start();
    guide->play(name);
    guide->speak(QStringLiteral("ok")); // an unknown animation must not stall what follows
    if (known) {
        // The figure leaves its resting pose while it plays, and settles back afterwards.
        QTRY_COMPARE(guide->currentAnimation(), name);
        QTRY_VERIFY(!(figure->pose() == guide->model().rest));
        QTRY_VERIFY(guide->balloonText() == "ok");
        QVERIFY2(timer.elapsed() >= duration - 20, qPrintable(QString::number(timer.elapsed())));
    }
    QVERIFY(waitIdle(*guide));
    QCOMPARE(guide->currentAnimation(), QString());
    QTRY_VERIFY(figure->pose() == guide->model().rest);
}

void TestGuideAgent::missingCharacterShowsBalloonAlone() {
    QTemporaryDir empty;
    GuideAgent guide(nullptr);
    QVERIFY(!guide.load(QStringLiteral("merlin"), empty.filePath(QStringLiteral("merlin.json"))));
    QCOMPARE(guide.width(), qint16(0));
    guidescript::GreetPlayer(guide, {800, 600});
    QTRY_VERIFY(guide.balloonText().startsWith(QStringLiteral("Benvenuti")));
    QVERIFY(!guide.figureWindow()->isVisible());
    QVERIFY(guide.balloonWindow()->isVisible());
    guide.stopAll();
}

// Without a compositor whatever lies outside a window's shape would stand black around the wizard.
void TestGuideAgent::windowsAreShapedToTheirDrawing() {
    auto guide = makeGuide();
    const QWidget *figure = guide->figureWindow();
    const QRegion resting = figure->mask();
    QVERIFY(!resting.isEmpty());
    QVERIFY(!resting.contains(QPoint(0, 0)) && !resting.contains(QPoint(figure->width() - 1, 0)));
    QVERIFY(resting.contains(QPoint(figure->width() / 2, figure->height() * 3 / 4))); // the robe
    guide->play(QStringLiteral("getattention"));
    QTRY_VERIFY(figure->mask() != resting); // the shape follows the arms
    QTRY_VERIFY(figure->mask() == resting);

    guide->speak(QStringLiteral("Ciao a tutti"));
    QTRY_VERIFY(guide->balloonWindow()->isVisible());
    const QWidget *balloon = guide->balloonWindow();
    const QRegion outline = balloon->mask();
    QVERIFY(outline.contains(QPoint(balloon->width() / 2, balloon->height() / 3)));
    for (const QPoint corner :
         {QPoint(0, 0), QPoint(balloon->width() - 1, 0), QPoint(0, balloon->height() - 1),
          QPoint(balloon->width() - 1, balloon->height() - 1)})
        QVERIFY(!outline.contains(corner));
    guide->stopAll();
}

void TestGuideAgent::neverTakesTheFocus() {
    QWidget window;
    auto *in1 = new QLineEdit(&window);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    in1->setFocus();
    QTRY_VERIFY(in1->hasFocus());

    auto guide = makeGuide(nullptr, false);
    // The offscreen platform activates nothing by itself, so the windows must also say so.
    for (QWidget *w : {guide->figureWindow(), guide->balloonWindow()})
        QVERIFY(w->testAttribute(Qt::WA_ShowWithoutActivating) &&
                w->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    guidescript::GreetPlayer(*guide, {800, 600});
    QTRY_VERIFY(guide->balloonWindow()->isVisible());
    QTest::qWait(100);
    QCOMPARE(QApplication::activeWindow(), &window);
    QCOMPARE(QApplication::focusWidget(), in1);
    guide->stopAll();
}

void TestGuideAgent::voicePacesTheSpeech_data() {
    QTest::addColumn<int>("finishAfterMs");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("minMs");
    QTest::addColumn<int>("maxMs");
    QTest::addColumn<QStringList>("said"); // words without tags, a piece at a time
    const QString longText = QStringLiteral("Una frase lunga che la stima farebbe durare parecchi secondi");
    const int deadline = GuideAgent::speechDeadlineMs(400);
    QTest::newRow("brisk voice ends the speech")
        << 20 << longText + "\\pau=100\\fine" << 0 << 2000 << QStringList{longText, "fine"};
    QTest::newRow("silent voice meets its deadline")
        << -1 << "uno" << deadline - 20 << deadline + 1000 << QStringList{"uno"};
}

void TestGuideAgent::voicePacesTheSpeech() {
    QFETCH(int, finishAfterMs);
    QFETCH(QString, text);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);
    QFETCH(QStringList, said);
    auto voice = std::make_unique<FakeVoice>();
    FakeVoice *fake = voice.get();
    fake->finishAfterMs = finishAfterMs;
    auto guide = makeGuide(std::move(voice));
    QElapsedTimer timer;
    timer.start();
    guide->speak(text);
    QVERIFY(waitIdle(*guide, 10000));
    QVERIFY2(timer.elapsed() >= minMs && timer.elapsed() < maxMs,
             qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(fake->said, said);
    QCOMPARE(fake->stops, finishAfterMs < 0 ? 1 : 0); // a silent voice is told to give up

    // A voice that keeps missing its deadlines is left alone; the balloon keeps its own pace.
    guide->speak(QStringLiteral("due"));
    guide->speak(QStringLiteral("tre"));
    QVERIFY(waitIdle(*guide, 10000));
    QCOMPARE(guide->hasVoice(), finishAfterMs >= 0);
    QCOMPARE(fake->said.size(), said.size() + (finishAfterMs >= 0 ? 2 : 1));
}

void TestGuideAgent::realVoiceSpeaksItalianAndFinishes() {
    GuideAgent guide; // the machine's real speech engine, on its own thread
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

QTEST_MAIN(TestGuideAgent)
#include "tst_guideagent.moc"
