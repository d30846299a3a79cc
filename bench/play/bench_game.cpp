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
    FakeBoard board;
    FakeMovie movie;
    FakeGuide guide;
    FakeClock clock;
    FakeRandom random;
    FakeChooser chooser;
    FakePrinter printer;
    Game game(GameServices{board, movie, guide, clock, random, chooser, printer, QStringLiteral("/res"),
                           [] { return QSize(1000, 800); }});
    game.Form_Activate();
    board.level = level;
    // Past the guide's three reactions, as in a long game.
    for (int i = 0; i < 3; ++i) {
        board.in1 = input;
        game.exp_Click();
    }
    // A batch of 1000 experiments per iteration (divide the figure by 1000); a new mechanism then
    // clears the log, so it does not grow across iterations.
    QBENCHMARK {
        for (int i = 0; i < 1000; ++i) {
            board.in1 = input;
            game.exp_Click();
        }
        game.Command1_Click();
        movie.calls.clear();
    }
}

QTEST_GUILESS_MAIN(GameBench)
#include "bench_game.moc"
