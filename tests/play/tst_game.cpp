#include "fakes.h"
#include "play/game.h"

#include <QTemporaryDir>
#include <QTest>

using namespace ingranix;
using namespace ingranix::fakes;

namespace {

const QString reaction1 = QStringLiteral("Speak La macchina ha eseguito un calcolo e lo ripeterà sempre "
                                         "uguale, anche se cambierai i numeri in input.");
const QString warning = QStringLiteral("Speak agisci con piu' attenzione!\\pau=500\\Devi inserire il dato");

} // namespace

class GameTest : public QObject {
    Q_OBJECT
private slots:
    void emptyInputOnlyWarns_data();
    void emptyInputOnlyWarns();
    void experimentWritesCaptionAndLog_data();
    void experimentWritesCaptionAndLog();
    void otherKeysDoNothing();
    void label7TravelsOnceToRest();
    void guideReactsToFirstThreeExperiments();
    void experimentCountStopsAtTop();
    void startUpState_data();
    void startUpState();
    void startUpRunsOnce();
    void startUpConstants_data();
    void startUpConstants();
    void newMechanism_data();
    void newMechanism();
    void newMechanismFoldsC24();
    void levelChoice();
    void colourChoice_data();
    void colourChoice();
    void colourChoiceCoachesOnce();
    void lightsAlternate();
    void lightsKeepAlternatingPastTheCounterTop();
    void gradientBands_data();
    void gradientBands();
    void randomStaysBelowOne();
    void cancelledDialogsDoNothing();
    void saveAndOpenRestoreTheMechanism();
    void failedSaveIsTold();
    void printing();
};

void GameTest::emptyInputOnlyWarns_data() {
    QTest::addColumn<bool>("byEnter");
    QTest::newRow("button") << false;
    QTest::newRow("enter") << true;
}

void GameTest::emptyInputOnlyWarns() {
    QFETCH(bool, byEnter);
    Rig rig;
    rig.playLevel1();
    rig.board.out1 = QStringLiteral("7");
    rig.experiment(QString(), byEnter);
    QCOMPARE(rig.guide.requests, QStringList({QStringLiteral("Play StopListening"), warning}));
    QCOMPARE(rig.game.experimentCount(), qint16(0));
    QCOMPARE(rig.board.out1, QStringLiteral("7"));
    QVERIFY(rig.board.list1.isEmpty());
    QVERIFY(rig.movie.calls.isEmpty());
    QCOMPARE(rig.board.label7Moves, 0);
    QCOMPARE(rig.board.focusCount, 0);
}

void GameTest::experimentWritesCaptionAndLog_data() {
    QTest::addColumn<QString>("level");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("byEnter");
    QTest::addColumn<QString>("caption");

    QTest::newRow("addition by button") << "Livello1"
                                        << "rosso" << 1 << "2.5" << false << "6.5";
    QTest::newRow("addition by Enter is logged too") << "Livello1"
                                                     << "rosso" << 1 << "3" << true << "7";
    QTest::newRow("a single blank runs") << "Livello1"
                                         << "rosso" << 1 << " " << false << "4";
    QTest::newRow("subtraction impossible") << "Livello1"
                                            << "verde" << 1 << "4" << false << "?";
    QTest::newRow("no level chosen yet") << "                Livello"
                                         << "rosso" << 1 << "5" << false << "?";
    QTest::newRow("level typed by hand") << "Livello1"
                                         << "rosso" << 1 << "1" << false << "5";
    QTest::newRow("index out of range") << "Livello1"
                                        << "rosso" << 0 << "5" << false << "?";
    QTest::newRow("unknown colour") << "Livello1"
                                    << "viola" << 1 << "5" << false << "?";
}

void GameTest::experimentWritesCaptionAndLog() {
    QFETCH(QString, level);
    QFETCH(QString, colour);
    QFETCH(int, index);
    QFETCH(QString, input);
    QFETCH(bool, byEnter);
    QFETCH(QString, caption);

    Rig rig;
    rig.playLevel1();
    rig.board.level = level;
    rig.game.setGearColour(colour);
    rig.game.setMechanismIndex(qint16(index));
    rig.board.out1 = QStringLiteral("old");
    rig.experiment(input, byEnter);

    QCOMPARE(rig.board.out1, caption);
    QCOMPARE(rig.board.list1, QStringList(input + QLatin1Char('\t') + caption));
    QCOMPARE(rig.game.experimentLog(), rig.board.list1);
    QCOMPARE(rig.board.label7, input);
    QCOMPARE(rig.board.in1, QString());
    QCOMPARE(rig.board.focusCount, 1);
    QVERIFY(rig.movie.calls.contains(QStringLiteral("Play")));
}

void GameTest::otherKeysDoNothing() {
    Rig rig;
    rig.playLevel1();
    rig.board.in1 = QStringLiteral("5");
    for (int key : {0, 8, 10, 27, 32, 65, 0xFFFF})
        rig.game.in1_KeyPress(key);
    QCOMPARE(rig.game.experimentCount(), qint16(0));
    QCOMPARE(rig.board.in1, QStringLiteral("5"));
    QVERIFY(rig.guide.requests.isEmpty());
}

void GameTest::label7TravelsOnceToRest() {
    Rig rig;
    rig.playLevel1();
    rig.experiment(QStringLiteral("1"));
    // Ten steps of 150 from 1560 pass the movie's edge at 3000, then the label rests at 3120.
    QCOMPARE(rig.board.label7Moves, 11);
    QCOMPARE(rig.board.label7LeftTwips, 3120.0f);
    rig.board.label7Moves = 0;
    rig.experiment(QStringLiteral("2"));
    QCOMPARE(rig.board.label7Moves, 1);
    QCOMPARE(rig.board.label7LeftTwips, 3120.0f);
}

void GameTest::guideReactsToFirstThreeExperiments() {
    Rig rig;
    rig.playLevel1();
    rig.experiment(QStringLiteral("1"));
    QCOMPARE(rig.guide.requests, QStringList({QStringLiteral("Play gestureleft"), reaction1}));
    rig.guide.requests.clear();
    rig.experiment(QStringLiteral("2"), true);
    QCOMPARE(rig.guide.requests.size(), 1);
    QVERIFY(rig.guide.requests.at(0).startsWith(QStringLiteral("Speak Prova a inventare")));
    rig.guide.requests.clear();
    rig.experiment(QStringLiteral("3"));
    QCOMPARE(rig.guide.requests.size(), 3);
    QCOMPARE(rig.guide.requests.last(), QStringLiteral("Play processing"));
    rig.guide.requests.clear();
    rig.experiment(QStringLiteral("4"));
    rig.experiment(QStringLiteral("5"), true);
    QVERIFY(rig.guide.requests.isEmpty());
    QCOMPARE(rig.game.experimentCount(), qint16(5));
    QCOMPARE(rig.board.list1.size(), 5);
}

void GameTest::experimentCountStopsAtTop() {
    Rig rig;
    rig.playLevel1();
    for (int i = 0; i < 32770; ++i)
        rig.experiment(QStringLiteral("1"), true);
    QCOMPARE(rig.game.experimentCount(), qint16(32767));
    // Only the first three experiments ever drew a reaction: the counter never wrapped around.
    QCOMPARE(rig.guide.requests.count(reaction1), 1);
    QCOMPARE(rig.board.out1, QStringLiteral("5"));
}

void GameTest::startUpState_data() {
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("colour");
    const char *const colours[] = {"rosso", "rosso", "blu",    "verde", "grigio",
                                   "blu",   "verde", "grigio", "rosso", "verde"};
    for (int digit = 0; digit <= 9; ++digit)
        QTest::addRow("digit %d", digit) << 30 + digit << QString::fromLatin1(colours[digit]);
}

void GameTest::startUpState() {
    QFETCH(int, seconds);
    QFETCH(QString, colour);
    Rig rig;
    rig.clock.last = seconds;
    rig.game.Form_Activate();

    QCOMPARE(rig.game.experimentLog(), QStringList(QStringLiteral("in\tout")));
    QCOMPARE(rig.board.list1, rig.game.experimentLog());
    QCOMPARE(rig.board.in1, QString());
    QCOMPARE(rig.game.mechanismIndex(), qint16(1));
    QCOMPARE(rig.game.gearColour(), colour);
    QCOMPARE(rig.movie.calls, QStringList({QStringLiteral("BackgroundColor 255"),
                                           QStringLiteral("Movie /res/") + colour + QStringLiteral(".gif"),
                                           QStringLiteral("GotoFrame 1")}));
    // The selectors and the frames keep their design texts.
    QCOMPARE(rig.board.level, QStringLiteral("                Livello"));
    QCOMPARE(rig.board.frameCaption, QStringLiteral("Frame1"));
    QCOMPARE(rig.board.colourCalls, 0);
    // The guide is loaded before it greets.
    QVERIFY(rig.guide.requests.size() > 3);
    QVERIFY(rig.guide.requests.at(0).startsWith(QStringLiteral("Load merlin")));
    QVERIFY(rig.guide.requests.contains(QStringLiteral("Show")));
}

void GameTest::startUpRunsOnce() {
    Rig rig;
    rig.game.Form_Activate();
    const ConstantsTable first = rig.game.mechanismConstants();
    const int requests = rig.guide.requests.size();
    rig.random.fallback = 0.9;
    rig.game.Form_Activate();
    QCOMPARE(rig.game.experimentLog().size(), 1);
    QVERIFY(rig.game.mechanismConstants() == first);
    QCOMPARE(rig.guide.requests.size(), requests);
}

void GameTest::startUpConstants_data() {
    QTest::addColumn<int>("seconds");
    QTest::addColumn<double>("u");
    QTest::addColumn<int>("entry");
    // v = floor(d * (t + 1) / 5) + 1 with d = floor(5u) + 1, and 5 instead of 10 or more.
    QTest::newRow("t 7, d 1") << 7 << 0.0 << 2;
    QTest::newRow("t 7, d 3") << 17 << 0.5 << 5;
    QTest::newRow("t 7, d 5") << 27 << 0.999 << 9;
    QTest::newRow("t 9, d 5 folds to 5") << 59 << 0.95 << 5;
    QTest::newRow("t 9, d 4") << 9 << 0.7 << 9;
    QTest::newRow("t 0, d 1") << 40 << 0.1 << 1;
    QTest::newRow("t 0, d 5") << 0 << 0.8 << 2;
}

void GameTest::startUpConstants() {
    QFETCH(int, seconds);
    QFETCH(double, u);
    QFETCH(int, entry);
    Rig rig;
    rig.clock.last = seconds;
    rig.random.fallback = u;
    rig.game.Form_Activate();
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 4; ++c)
            QCOMPARE(rig.game.mechanismConstants().at(r, c), qint16(entry));
}

void GameTest::newMechanism_data() {
    QTest::addColumn<int>("seconds");
    QTest::addColumn<double>("u");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("entry");
    // Two-digit draw: v = floor(d * (t + 1) / 10) + 1.
    QTest::newRow("second 0 gives index 1") << 0 << 0.0 << 1 << 1;
    QTest::newRow("second 1 gives index 1") << 1 << 0.0 << 1 << 1;
    QTest::newRow("second 17, d 1") << 17 << 0.0 << 7 << 2;
    QTest::newRow("second 17, d 5 folds to 5") << 17 << 0.9 << 7 << 5;
    QTest::newRow("second 59, d 1") << 59 << 0.1 << 9 << 7;
    QTest::newRow("second 43, d 2") << 43 << 0.3 << 3 << 9;
}

void GameTest::newMechanism() {
    QFETCH(int, seconds);
    QFETCH(double, u);
    QFETCH(int, index);
    QFETCH(int, entry);
    Rig rig;
    rig.game.Form_Activate();
    rig.playLevel1();
    rig.experiment(QStringLiteral("3"));
    rig.board.focusCount = 0;

    rig.clock.last = seconds;
    rig.random.fallback = u;
    rig.game.Command1_Click();

    QCOMPARE(rig.game.experimentLog(), QStringList(QStringLiteral("in\tout")));
    QCOMPARE(rig.board.list1, rig.game.experimentLog());
    QCOMPARE(rig.game.mechanismIndex(), qint16(index));
    static const int folded[10] = {0, 1, 2, 3, 4, 2, 3, 4, 2, 3};
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 4; ++c)
            QCOMPARE(rig.game.mechanismConstants().at(r, c),
                     qint16(r == 2 && c == 4 ? folded[entry] : entry));
    QCOMPARE(rig.game.experimentCount(), qint16(1));
    QCOMPARE(rig.game.gearColour(), QStringLiteral("rosso"));
    QCOMPARE(rig.board.level, QStringLiteral("Livello1"));
    QCOMPARE(rig.board.focusCount, 1);
}

void GameTest::newMechanismFoldsC24() {
    // Over many real draws C(2,4) stays within 1..4, every other entry within 1..9.
    Rig rig;
    FixedSequenceRandom random;
    for (int round = 0; round < 600; ++round) {
        rig.clock.last = round % 60;
        for (int i = 0; i < 16; ++i)
            rig.random.queue.push_back(random.next());
        rig.game.Command1_Click();
        for (int r = 1; r <= 4; ++r) {
            for (int c = 1; c <= 4; ++c) {
                const qint16 v = rig.game.mechanismConstants().at(r, c);
                QVERIFY(v >= 1 && v <= (r == 2 && c == 4 ? 4 : 9));
            }
        }
    }
}

void GameTest::levelChoice() {
    Rig rig;
    rig.board.level = QStringLiteral("Livello3");
    rig.game.Combo1_Click();
    QCOMPARE(rig.board.frameCaption, QStringLiteral("Livello3"));
    QCOMPARE(rig.guide.requests.size(), 1);
    QVERIFY(rig.guide.requests.at(0).startsWith(QStringLiteral("Speak Bene")));
    rig.board.level = QStringLiteral("Livello2");
    rig.game.Combo1_Click();
    QCOMPARE(rig.board.frameCaption, QStringLiteral("Livello2"));
    QCOMPARE(rig.guide.requests.size(), 1);
    QCOMPARE(rig.game.levelChoiceCount(), qint16(2));
}

void GameTest::colourChoice_data() {
    QTest::addColumn<QString>("colour");
    QTest::addColumn<int>("boxes"); // -1: no recolouring
    QTest::addColumn<QString>("movie");
    QTest::newRow("rosso") << "rosso" << int(BoxColour::Red) << "Movie /res/rosso.gif";
    QTest::newRow("verde") << "verde" << int(BoxColour::Green) << "Movie /res/verde.gif";
    QTest::newRow("blu") << "blu" << int(BoxColour::Blue) << "Movie /res/blu.gif";
    QTest::newRow("grigio is the button face")
        << "grigio" << int(BoxColour::ButtonFace) << "Movie /res/grigio.gif";
    QTest::newRow("typed text") << "Rosso" << -1 << "Movie ";
    QTest::newRow("path in the selector") << "../../etc/passwd" << -1 << "Movie ";
}

void GameTest::colourChoice() {
    QFETCH(QString, colour);
    QFETCH(int, boxes);
    QFETCH(QString, movie);
    Rig rig;
    rig.board.colour = colour;
    rig.game.Combo2_Click();
    QCOMPARE(rig.movie.calls, QStringList({movie, QStringLiteral("GotoFrame 1")}));
    QCOMPARE(rig.game.gearColour(), colour);
    QCOMPARE(rig.board.colourCalls, boxes < 0 ? 0 : 1);
    if (boxes >= 0) {
        QCOMPARE(int(rig.board.lastColour), boxes);
        QVERIFY(rig.board.lastColourAll);
    }
    QCOMPARE(rig.board.focusCount, 1);
}

void GameTest::colourChoiceCoachesOnce() {
    Rig rig;
    rig.board.colour = QStringLiteral("blu");
    rig.game.Combo2_Click();
    const int coaching = rig.guide.requests.size();
    QVERIFY(coaching > 0);
    QVERIFY(rig.guide.requests.last().startsWith(QStringLiteral("Speak Bravo")));
    rig.game.Combo2_Click();
    QCOMPARE(rig.guide.requests.size(), coaching);
    // The same colour twice reloads and rewinds the movie twice and recolours twice.
    QCOMPARE(rig.movie.calls.count(QStringLiteral("GotoFrame 1")), 2);
    QCOMPARE(rig.board.colourCalls, 2);
}

void GameTest::lightsAlternate() {
    Rig rig;
    rig.game.Timer1_Timer();
    const QStringList patternB = {"/res/lucir.gif", "/res/lucib.gif", "/res/lucib.gif",
                                  "/res/luciv.gif", "/res/luciv.gif", "/res/lucib.gif"};
    const QStringList patternA = {"/res/lucig.gif", "/res/luciv.gif", "/res/lucir.gif",
                                  "/res/lucib.gif", "/res/lucig.gif", "/res/lucig.gif"};
    for (int light = 1; light <= 6; ++light)
        QCOMPARE(rig.board.lights[light].last(), patternB.at(light - 1));
    rig.game.Timer1_Timer();
    for (int light = 1; light <= 6; ++light)
        QCOMPARE(rig.board.lights[light].last(), patternA.at(light - 1));
    // Nothing else moves on a tick.
    QVERIFY(rig.movie.calls.isEmpty());
    QVERIFY(rig.guide.requests.isEmpty());
    QCOMPARE(rig.board.out1, QString());
}

void GameTest::lightsKeepAlternatingPastTheCounterTop() {
    Rig rig;
    QString previous;
    for (int tick = 1; tick <= 70000; ++tick) {
        rig.game.Timer1_Timer();
        const QString now = rig.board.lights[1].last();
        QVERIFY2(now != previous, qPrintable(QStringLiteral("tick %1").arg(tick)));
        previous = now;
        if (rig.board.lights[1].size() > 4)
            rig.board.lights[1].removeFirst();
    }
}

void GameTest::gradientBands_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("bandHeight");
    QTest::newRow("restored window") << 4680 << 3090 << 18;
    QTest::newRow("full HD") << 28800 << 16200 << 112;
    QTest::newRow("4K, past the 16-bit range") << 57600 << 32400 << 225;
    QTest::newRow("portrait screen") << 16200 << 28800 << 63;
    QTest::newRow("tiny") << 100 << 100 << 1;
}

void GameTest::gradientBands() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, bandHeight);
    const auto bands = ingranix::gradientBands(width, height);
    QCOMPARE(int(bands.size()), 256);
    QCOMPARE(bands.front().blue, 255);
    QCOMPARE(bands.back().blue, 0);
    QCOMPARE(bands.at(1).top, bandHeight);
    QCOMPARE(bands.at(255).top, 255 * bandHeight);
    QCOMPARE(bands.front().width, width);
    // Bands meet, and the last one reaches the bottom.
    for (std::size_t k = 1; k < bands.size(); ++k)
        QCOMPARE(bands[k].top, bands[k - 1].top + bands[k - 1].height);
    QVERIFY(bands.back().top + bands.back().height >= height);
}

void GameTest::randomStaysBelowOne() {
    FixedSequenceRandom a;
    FixedSequenceRandom b;
    int buckets[5] = {};
    for (int i = 0; i < (1 << 24) + 10; ++i) {
        const double u = a.next();
        QVERIFY(u >= 0.0 && u < 1.0);
        ++buckets[int(u * 5)];
        if (i < 100)
            QCOMPARE(u, b.next());
    }
    for (int count : buckets)
        QVERIFY(count > (1 << 24) / 5 - 100 && count < (1 << 24) / 5 + 100);
}

void GameTest::cancelledDialogsDoNothing() {
    Rig rig;
    rig.game.Form_Activate();
    rig.guide.requests.clear();
    const ConstantsTable before = rig.game.mechanismConstants();
    rig.game.salva_Click();
    rig.game.apri_Click();
    QVERIFY(rig.guide.requests.isEmpty());
    QVERIFY(rig.game.mechanismConstants() == before);
    QCOMPARE(rig.board.level, QStringLiteral("                Livello"));
}

void GameTest::saveAndOpenRestoreTheMechanism() {
    QTemporaryDir dir;
    Rig saver;
    saver.playLevel1();
    saver.board.level = QStringLiteral("Livello3");
    saver.board.colour = QStringLiteral("grigio");
    saver.game.Combo2_Click();
    saver.game.setMechanismIndex(7);
    ConstantsTable table;
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 4; ++c)
            table.set(r, c, qint16((r * 3 + c) % 10));
    saver.game.setMechanismConstants(table);
    saver.chooser.saveAnswer = dir.filePath(QStringLiteral("mio"));
    saver.game.salva_Click();
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("mio.txt"))));

    Rig opener;
    opener.chooser.openAnswer = dir.filePath(QStringLiteral("mio.txt"));
    opener.game.apri_Click();
    QCOMPARE(opener.board.level, QStringLiteral("Livello3"));
    QCOMPARE(opener.board.colour, QStringLiteral("grigio"));
    QCOMPARE(opener.game.gearColour(), QStringLiteral("grigio"));
    QCOMPARE(opener.game.mechanismIndex(), qint16(7));
    QVERIFY(opener.game.mechanismConstants() == table);
    QCOMPARE(int(opener.board.lastColour), int(BoxColour::White));
    QVERIFY(!opener.board.lastColourAll);
    QCOMPARE(opener.board.focusCount, 1);
    // The movie stays as it was and the guide names the file without its extension.
    QVERIFY(opener.movie.calls.isEmpty());
    QVERIFY(opener.guide.requests.contains(QStringLiteral("Show")));
    QVERIFY(opener.guide.requests.last().contains(QStringLiteral("con il nome mio.")));
}

void GameTest::failedSaveIsTold() {
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Rig rig;
    rig.chooser.saveAnswer = dir.filePath(QStringLiteral("file/inside"));
    rig.game.salva_Click();
    QVERIFY(!rig.guide.requests.isEmpty());
    QVERIFY(rig.guide.requests.last().startsWith(QStringLiteral("Speak Non sono riuscito a salvare")));
}

void GameTest::printing() {
    Rig rig;
    rig.game.Form_Activate();
    rig.playLevel1();
    rig.experiment(QStringLiteral("-9"));
    rig.guide.requests.clear();
    rig.game.stampa_Click();
    QCOMPARE(rig.printer.jobs.size(), 1);
    QCOMPARE(rig.printer.jobs.at(0),
             QStringList({QStringLiteral("IX40\tLivello1\t           ingranaggi"), QString(), QString(),
                          QStringLiteral("in\tout"), QString(), QStringLiteral("-9\t-5"), QString()}));
    QVERIFY(rig.guide.requests.isEmpty());
    rig.printer.works = false;
    rig.game.stampa_Click();
    QVERIFY(!rig.guide.requests.isEmpty());
    QVERIFY(rig.guide.requests.last().startsWith(QStringLiteral("Speak Non sono riuscito a stampare")));
}

QTEST_GUILESS_MAIN(GameTest)
#include "tst_game.moc"
