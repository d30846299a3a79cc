// The notebook's table of experiments as views and screen readers see it: the model's contract under
// Qt's own checker while rows come and go, then its headers and what its cells say.

#include "ui/experimenttable.h"

#include <QAbstractItemModelTester>
#include <QtTest>

using namespace ingranix;
using namespace Qt::Literals::StringLiterals;

class TestExperimentTable : public QObject {
    Q_OBJECT
    const MachineSettings red{u"Livello1"_s, u"rosso"_s, 1, {}};

private slots:
    // Rows added one at a time and all at once, the log emptied, the model changed: every step keeps
    // the contract views rely on (Qt's checker fails the test itself when it does not).
    void keepsTheModelContract() {
        notebook::Notebook notebook{u","_s};
        notebook.setCurrentSettings(red);
        ExperimentTable table(notebook);
        QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (const char *input : {"1", "2", "3"}) {
            notebook.addExperiment({QString::fromLatin1(input), u"4"_s, red});
            table.rowsAdded();
        }
        QCOMPARE(table.rowCount(), 3);
        notebook.setModelText(u"x + 3"_s);
        table.modelChanged();
        notebook.clear();
        table.rowsAdded(); // fewer rows than before: the table starts over
        QCOMPARE(table.rowCount(), 0);
        notebook.addExperiments({{u"5"_s, u"8"_s, red}, {u"6"_s, u"9"_s, red}});
        table.reset();
        QCOMPARE(table.rowCount(), 2);
    }

    // The columns' titles, none before the first or past the last; the rows are the experiments' numbers.
    void headers() {
        notebook::Notebook notebook{u","_s};
        const ExperimentTable table(notebook);
        QStringList titles;
        for (int section = -1; section <= table.columnCount(); ++section)
            titles << table.headerData(section, Qt::Horizontal).toString();
        QCOMPARE(titles.join(u'|'), u"|input|output|mia previsione|modello|verifica|nota|"_s);
        QCOMPARE(table.headerData(0, Qt::Vertical), QVariant(1));
    }

    // Every column of a row as a screen reader says it: the marks in words (the notebook window's
    // tests read what is shown).
    void cellsAsHeard_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("mine");  // the player's own prediction
        QTest::addColumn<QString>("heard"); // the columns apart by "|"
        QTest::newRow("model explains, prediction right")
            << u"x * 2"_s << u"6"_s << u"3|6|la mia previsione 6, uguale all'output|6|spiegato|previsione"_s;
        QTest::newRow("model misses, prediction wrong")
            << u"x + 2"_s << u" 7 "_s
            << u"3|6|la mia previsione 7, diversa dall'output|5|non spiegato|previsione"_s;
    }
    void cellsAsHeard() {
        QFETCH(QString, model);
        QFETCH(QString, mine);
        QFETCH(QString, heard);
        notebook::Notebook notebook{u","_s};
        notebook.setCurrentSettings(red);
        QVERIFY(notebook.setModelText(model));
        notebook.addExperiment({u"3"_s, u"6"_s, red}, mine);
        const ExperimentTable table(notebook);
        QStringList spoken;
        for (int column = 0; column < table.columnCount(); ++column)
            spoken << table.index(0, column).data(Qt::AccessibleTextRole).toString();
        QCOMPARE(spoken.join(u'|'), heard);
    }
};

QTEST_MAIN(TestExperimentTable)
#include "tst_experimenttable.moc"
