// A lesson saved from a played game and opened in another gives back the same notebook and log; a
// lesson whose model does not compile is refused before anything changes.

#include "../play/fakes.h"
#include "notebook/notebooklesson.h"

#include <QTemporaryDir>
#include <QTest>

using namespace ingranix;
using namespace ingranix::notebook;
using ingranix::fakes::Rig;
using namespace Qt::Literals::StringLiterals;

namespace {

// The notebook following a game, as the dock does it.
struct Follower : GameObserver {
    explicit Follower(Game &game) : game(game) { game.setObserver(this); }
    ~Follower() override { game.setObserver(nullptr); }
    void experimentLogged(const LoggedExperiment &experiment) override {
        notebook.addExperiment(experiment);
        notebook.setCurrentSettings(game.settings());
    }
    void logCleared() override {
        notebook.clear();
        notebook.setCurrentSettings(game.settings());
    }
    void settingsChanged() override { notebook.setCurrentSettings(game.settings()); }
    void logRestored(const std::vector<LoggedExperiment> &experiments) override {
        logCleared();
        notebook.addExperiments(experiments);
    }
    Game &game;
    Notebook notebook{u"."_s};
};

// The model, the summary, the totals and every row as the table shows it.
QStringList shown(const Notebook &notebook) {
    QStringList lines{notebook.model().text(), notebook.summaryText(),
                      u"%1 %2 %3 %4"_s.arg(notebook.countedCount())
                          .arg(notebook.explainedCount())
                          .arg(notebook.predictedInARow())
                          .arg(notebook.firstPrediction())};
    for (int i = 0; i < notebook.rowCount(); ++i) {
        const RowView r = notebook.row(i);
        lines << u"%1|%2|%3|%4|%5|%6"_s.arg(r.input, r.output, r.modelCaption)
                     .arg(int(r.mark))
                     .arg(int(r.standing))
                     .arg(r.prediction);
    }
    return lines;
}

} // namespace

class NotebookLessonTest : public QObject {
    Q_OBJECT
private slots:
    void playedGameComesBack() {
        Rig played;
        Follower follower(played.game);
        played.game.Form_Activate();
        played.playLevel1();
        played.world.colour = u"rosso"_s;
        played.game.Combo1_Click();
        played.experiment(u"5"_s);
        played.experiment(u"1"_s, true);
        follower.notebook.setModelText(u"x + 4"_s);
        played.experiment(u"9"_s);
        played.experiment(u"2,5"_s, true);
        played.world.colour = u"verde"_s;
        played.game.Combo2_Click();
        played.experiment(u"7"_s, true);
        follower.notebook.setModelText(u"se(x <= 4; ?; x - 4)"_s);
        played.experiment(u"12"_s);
        played.experiment(u"-3"_s, true);
        QVERIFY(follower.notebook.firstPrediction() == 5 && follower.notebook.predictedInARow() == 2);

        QTemporaryDir dir;
        const QString path = dir.filePath(u"lunedì.lezione"_s);
        const lessonfile::Lesson saved =
            lessonOf(follower.notebook, played.game.mechanismState(), QDateTime::currentDateTime());
        QCOMPARE(lessonfile::save(path, saved), lessonfile::Problem::None);

        Rig opened;
        Follower reader(opened.game);
        opened.game.Form_Activate();
        opened.experiment(u"40"_s); // a game already under way, replaced by the lesson
        const lessonfile::ReadResult read = lessonfile::read(path);
        QCOMPARE(read.problem, lessonfile::Problem::None);
        QCOMPARE(checkLesson(read.lesson), lessonfile::Problem::None);
        opened.game.restoreLesson(read.lesson, path);
        reader.notebook.restoreModel(read.lesson.model, read.lesson.firstAfterModel());

        QCOMPARE(shown(reader.notebook), shown(follower.notebook));
        QCOMPARE(opened.game.experimentLog(), played.game.experimentLog());
        QVERIFY(opened.game.experiments().size() == played.game.experiments().size());
        for (std::size_t i = 0; i < played.game.experiments().size(); ++i)
            QVERIFY(opened.game.experiments()[i].settings == played.game.experiments()[i].settings);
        QVERIFY(opened.game.mechanismState() == played.game.mechanismState());
        // The same log prints the same pages.
        played.world.calls.clear();
        opened.world.calls.clear();
        played.game.stampa_Click();
        opened.game.stampa_Click();
        QCOMPARE(opened.world.calls.first(), played.world.calls.first());
        // And saved again, it is the same lesson.
        QVERIFY(lessonOf(reader.notebook, opened.game.mechanismState(), saved.saved) == saved);
    }

    void modelMustCompile_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<lessonfile::Problem>("problem");
        QTest::newRow("no model yet") << QString() << lessonfile::Problem::None;
        QTest::newRow("a model") << u"se(x <= 3; ?; x - 3)"_s << lessonfile::Problem::None;
        QTest::newRow("a model left half written") << u"2 * (x +"_s << lessonfile::Problem::ModelMistake;
        QTest::newRow("not a model") << u"ciao"_s << lessonfile::Problem::ModelMistake;
    }
    void modelMustCompile() {
        QFETCH(QString, model);
        QFETCH(lessonfile::Problem, problem);
        lessonfile::Lesson lesson;
        lesson.model = model;
        QCOMPARE(checkLesson(lesson), problem);
    }
};

QTEST_GUILESS_MAIN(NotebookLessonTest)
#include "tst_notebooklesson.moc"
