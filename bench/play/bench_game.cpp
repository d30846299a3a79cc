#include "fakes.h"
#include "play/game.h"

#include <QTest>

using namespace ingranix;
using namespace ingranix::fakes;

// One experiment through the game: read the box, travel, count, dispatch, caption, log, focus.
class GameBench : public QObject {
    Q_OBJECT
private slots:
    void experiment_data();
    void experiment();
};

void GameBench::experiment_data() {
    QTest::addColumn<QString>("level");
    QTest::addColumn<QString>("input");
    QTest::newRow("Livello1 whole") << "Livello1"
                                    << "17";
    QTest::newRow("Livello1 fraction") << "Livello1"
                                       << "2.5";
    QTest::newRow("Livello4") << "Livello4"
                              << "123";
}

void GameBench::experiment() {
    QFETCH(QString, level);
    QFETCH(QString, input);
    Rig rig;
    rig.game.Form_Activate();
    rig.world.level = level;
    // Past the guide's three reactions, as in a long game.
    for (int i = 0; i < 3; ++i)
        rig.experiment(input);
    QBENCHMARK {
        for (int i = 0; i < 1000; ++i) {
            rig.experiment(input);
        }
        rig.game.Command1_Click();
        rig.world.calls.clear();
    }
}

QTEST_GUILESS_MAIN(GameBench)
#include "bench_game.moc"
