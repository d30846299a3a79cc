#include "fakes.h"
#include "files/lessonfile.h"
#include "mechanisms/mechanisms.h"

#include <QTemporaryDir>
#include <QTest>

using namespace ingranix;
using namespace ingranix::fakes;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString reaction1 = u"Speak La macchina ha eseguito un calcolo e lo ripeterà sempre uguale, anche se "
                          "cambierai i numeri in input."_s;
const QString openedSpeech = u"Speak è stato aperto il meccanismo di calcolo che hai salvato con il nome "
                             "%1.\\pau=1000\\In questo caso devi inserire solo i dati "_s;

} // namespace

class GameTest : public QObject {
    Q_OBJECT
private slots:
    void experiment_data() {
        // input, by Enter, caption (none: the guide warns and nothing else happens)
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("byEnter");
        QTest::addColumn<QString>("caption");
        QTest::newRow("by button") << u"2.5"_s << false << u"6.5"_s;
        QTest::newRow("by Enter, logged too") << u"3"_s << true << u"7"_s;
        QTest::newRow("empty box") << QString() << true << QString();
    }

    // Level 1, index 1, rosso: the input plus 4.
    void experiment() {
        QFETCH(QString, input);
        QFETCH(bool, byEnter);
        QFETCH(QString, caption);
        Rig rig;
        rig.playLevel1();
        rig.experiment(input, byEnter);
        if (caption.isEmpty()) {
            QCOMPARE(rig.world.calls,
                     QStringList({u"Play StopListening"_s,
                                  u"Speak agisci con piu' attenzione!\\pau=500\\Devi inserire il dato"_s}));
            QCOMPARE(rig.game.experimentCount(), qint16(0));
            return;
        }
        const QString line = input + u'\t' + caption;
        QCOMPARE(rig.world.calls,
                 QStringList({"Label7 " + input, u"Label7 colour"_s, u"Play gestureleft"_s, reaction1,
                              u"Movie play"_s, "out1 " + caption, "List1 " + line, u"in1 "_s, u"focus"_s}));
        QCOMPARE(rig.game.experimentLog(), QStringList(line));
    }

    void decimalCommaToldOnce_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("example"); // what the guide says to write instead
        QTest::newRow("a decimal comma") << u"3,5"_s << u"3.5"_s;
        QTest::newRow("the player's own number") << u" -12,25 "_s << u"-12.25"_s;
        QTest::newRow("a backslash tag is never said") << u"2,\\pau=9\\"_s << u"3.5"_s;
    }
    void decimalCommaToldOnce() {
        // Once per game, calmly.
        QFETCH(QString, typed);
        QFETCH(QString, example);
        Rig rig;
        rig.playLevel1();
        const QString told = u"Speak La macchina legge i decimali con il punto: scrivi "_s + example;
        rig.experiment(typed, true);
        QCOMPARE(rig.world.calls.filter(u"Speak"_s).value(0), told);
        rig.world.calls.clear();
        rig.experiment(u"4,5"_s, false);
        QVERIFY(!rig.world.calls.contains(told) && rig.world.calls.filter(u"legge i decimali"_s).isEmpty());
    }

    // From 1560 the label steps right while it is left of the movie, then rests at 3120; a movie far away
    // does not hold the handler.
    void label7Travel() {
        Rig rig;
        rig.playLevel1();
        rig.world.movieLeft = 1e30f;
        rig.experiment(u"1"_s);
        QCOMPARE(rig.world.label7Moves, 10001);
        QCOMPARE(rig.world.label7, 3120.0f);
    }

    void startUp_data() {
        QTest::addColumn<int>("second");
        QTest::addColumn<QString>("colour");
        // The units digit of the seconds draws the colour; 0 counts as 1.
        const char *const colours[] = {"rosso", "rosso", "blu",    "verde", "grigio",
                                       "blu",   "verde", "grigio", "rosso", "verde"};
        for (int digit = 0; digit <= 9; ++digit)
            QTest::addRow("second %d", 50 + digit) << 50 + digit << QString::fromLatin1(colours[digit]);
    }

    void startUp() {
        QFETCH(int, second);
        QFETCH(QString, colour);
        Rig rig;
        rig.world.second = second;
        rig.game.Form_Activate();
        rig.game.Form_Activate(); // only the first showing starts the game
        // Without a known screen the guide stands as on a 1024 x 768 one.
        const QStringList expected = {
            u"List1 in\tout"_s, u"in1 "_s,        u"BackgroundColor 255"_s, "Movie /res/" + colour + ".gif",
            u"GotoFrame 1"_s,   u"Load merlin"_s, u"LanguageID 1040"_s,     u"Font Arial 12"_s,
            u"MoveTo 824 374"_s};
        QCOMPARE(rig.world.calls.mid(0, expected.size()), expected);
        QCOMPARE(rig.world.calls.count(u"List1 in\tout"_s), 1);
        QCOMPARE(rig.game.mechanismIndex(), qint16(1));
        QCOMPARE(rig.game.gearColour(), colour);
    }

    void constants_data() {
        // New mechanism or start-up, second, C(2,4)'s draw u (every other entry draws 0, so d = 1),
        // index, every entry but C(2,4), C(2,4).
        QTest::addColumn<bool>("newMechanism");
        QTest::addColumn<int>("second");
        QTest::addColumn<double>("u");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("c24");
        // Start-up: t = units of the seconds, d = Int(5u) + 1, v = Int(d (t + 1) / 5) + 1, 10 or more is 5.
        QTest::newRow("start-up: t 7, d 5, C(2,4) not folded") << false << 27 << 0.999 << 1 << 2 << 9;
        QTest::newRow("start-up: t 8, d 5 gives 10, so 5") << false << 48 << 0.9 << 1 << 2 << 5;
        // New mechanism: index = units of the seconds (0 gives 1), t = the seconds,
        // v = Int(d (t + 1) / 10) + 1; then C(2,4) folds 5 to 2, 6 to 3, 7 to 4, 8 to 2, 9 to 3.
        QTest::newRow("second 0: index 1") << true << 0 << 0.0 << 1 << 1 << 1;
        QTest::newRow("second 55: 6 folds to 3") << true << 55 << 0.0 << 5 << 6 << 3;
        QTest::newRow("second 29, d 2: 7 folds to 4") << true << 29 << 0.3 << 9 << 4 << 4;
        QTest::newRow("second 34, d 2: 8 folds to 2") << true << 34 << 0.3 << 4 << 4 << 2;
        QTest::newRow("second 43, d 2: 9 folds to 3") << true << 43 << 0.3 << 3 << 5 << 3;
        QTest::newRow("second 44, d 2: 10 gives 5, folded to 2") << true << 44 << 0.3 << 4 << 5 << 2;
    }

    void constants() {
        QFETCH(bool, newMechanism);
        QFETCH(int, second);
        QFETCH(double, u);
        QFETCH(int, index);
        QFETCH(int, entry);
        QFETCH(int, c24);
        Rig rig;
        rig.playLevel1();
        rig.experiment(u"3"_s);
        rig.world.calls.clear();
        rig.world.second = second;
        rig.world.draws.fill(0.0, 16);
        rig.world.draws[7] = u; // C(2,4) draws u, every other entry 0
        newMechanism ? rig.game.Command1_Click() : rig.game.Form_Activate();
        QCOMPARE(rig.game.mechanismConstants(), tableOf([&](int i) { return i == 7 ? c24 : entry; }));
        QCOMPARE(rig.game.mechanismIndex(), qint16(index));
        if (newMechanism) {
            // The log goes back to its header; the level, the colour and the experiment count stay.
            QCOMPARE(rig.world.calls, QStringList({u"List1 clear"_s, u"List1 in\tout"_s, u"focus"_s}));
            QCOMPARE(rig.game.experimentLog(), QStringList(u"in\tout"_s));
        }
    }

    void levelChoiceCoachesOnce() {
        Rig rig;
        rig.world.level = u"Livello3"_s;
        // The counter stops at its top rather than wrap round and coach again.
        for (int i = 0; i < 32768; ++i)
            rig.game.Combo1_Click();
        QCOMPARE(rig.game.levelChoiceCount(), qint16(32767));
        QCOMPARE(rig.world.calls.filter(u"Speak"_s).size(), 1);
        // Every choice hands the keyboard back to the input box.
        QCOMPARE(rig.world.calls.filter(u"focus"_s).size(), 32768);
    }

    void colourChoice_data() {
        QTest::addColumn<QString>("colour");
        QTest::addColumn<QString>("movie");
        QTest::addColumn<QString>("boxes");
        QTest::newRow("rosso") << u"rosso"_s << u"Movie /res/rosso.gif"_s << u"Boxes red all"_s;
        QTest::newRow("grigio") << u"grigio"_s << u"Movie /res/grigio.gif"_s << u"Boxes button face all"_s;
    }

    void colourChoice() {
        QFETCH(QString, colour);
        QFETCH(QString, movie);
        QFETCH(QString, boxes);
        const QStringList expected = {movie, u"GotoFrame 1"_s, boxes, u"focus"_s};
        Rig rig;
        rig.world.colour = colour;
        rig.game.Combo2_Click();
        QVERIFY(rig.world.calls.at(2).startsWith(u"Speak Bravo"_s));
        QCOMPARE(rig.world.calls.mid(3), expected);
        rig.world.calls.clear();
        rig.game.Combo2_Click(); // the same colour again: all but the coaching
        QCOMPARE(rig.world.calls, expected);
        QCOMPARE(rig.game.gearColour(), colour);
    }

    // An opened lesson puts the mechanism back as "apri" does and replaces the log, which "stampa" prints
    // with the selectors' texts.
    void restoreLesson() {
        Rig rig;
        rig.game.Form_Activate();
        rig.playLevel1();
        rig.experiment(u"1"_s);
        const ConstantsTable table = tableOf([](int i) { return i % 10; });
        lessonfile::Lesson lesson;
        lesson.mechanism = {u"Livello3"_s, u"grigio"_s, u"grigio"_s, 7, table};
        lesson.experiments = {{u"5"_s, u"7"_s, u"Livello3"_s, u"grigio"_s, 7, table, false, {}},
                              {u"6"_s, u"?"_s, u"Livello2"_s, u"rosso"_s, 1, {}, true, u"8"_s}};
        rig.world.calls.clear();
        rig.game.restoreLesson(lesson, u"/scuola/4B/lunedì.lezione"_s);

        QCOMPARE(
            rig.world.calls,
            QStringList({u"Combo1 Livello3"_s, u"Combo2 grigio"_s, u"Boxes white"_s, u"List1 clear"_s,
                         u"List1 in\tout"_s, u"List1 5\t7"_s, u"List1 6\t?"_s, u"focus"_s, u"Show"_s,
                         u"Speak Ho aperto la lezione lunedì.\\pau=500\\Ci sono i tuoi esperimenti e il tuo "
                         "modello: puoi continuare da dove eri rimasto."_s}));
        // Each experiment keeps its own settings.
        QVERIFY(rig.game.experiments().at(1).settings == (MachineSettings{u"Livello2"_s, u"rosso"_s, 1, {}}));

        rig.world.calls.clear();
        rig.game.stampa_Click();
        rig.world.printerWorks = false; // a printer that fails is told
        rig.game.stampa_Click();
        const QString job = u"Print IX40\tLivello3\tgrigio|||in\tout||5\t7||6\t?|"_s;
        QCOMPARE(rig.world.calls.mid(0, 3), QStringList({job, job, u"Show"_s}));
        QVERIFY(rig.world.calls.last().startsWith(u"Speak Non sono riuscito a stampare"_s));
    }

    void fileDialogs_data() {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("chosen"); // "-": the dialog was cancelled
        QTest::addColumn<QString>("after");  // the calls after the dialog's own, "|" between them
        QTest::newRow("save cancelled") << true << u"-"_s << QString();
        QTest::newRow("open cancelled") << false << u"-"_s << QString();
        QTest::newRow("a save that cannot be written")
            << true << u"file/inside"_s
            << u"Show|Speak Non sono riuscito a salvare il meccanismo: prova con un altro nome o in "
               "un'altra cartella."_s;
        // A missing file empties only the level; the colour (none yet) colours nothing; the file is named.
        QTest::newRow("a missing file") << false << u"perso.txt"_s
                                        << u"Combo1 |Combo2            ingranaggi|focus|Show|Play search|"_s +
                                               openedSpeech.arg(u"perso"_s);
    }
    void fileDialogs() {
        QFETCH(bool, save);
        QFETCH(QString, chosen);
        QFETCH(QString, after);
        QTemporaryDir dir;
        QVERIFY(QFile(dir.filePath(u"file"_s)).open(QIODevice::WriteOnly));
        Rig rig;
        if (chosen != u"-")
            rig.world.chosenFile = chosen.isEmpty() ? chosen : dir.filePath(chosen);
        save ? rig.game.salva_Click() : rig.game.apri_Click();
        QCOMPARE(rig.world.calls.join(u'|'), (save ? u"Save"_s : u"Open"_s) + u" Documenti(*.txt)"_s +
                                                 (after.isEmpty() ? QString() : u"|"_s + after));
    }
};

QTEST_GUILESS_MAIN(GameTest)
#include "tst_game.moc"
