// The notebook's table of experiments as views and screen readers see it: the model's contract under
// Qt's own checker while rows come and go, then its headers and cells.

#include "ui/experimenttable.h"

#include <QAbstractItemModelTester>
#include <QtTest>

using namespace ingranix;
using namespace Qt::Literals::StringLiterals;

namespace {

const MachineSettings red{u"Livello1"_s, u"rosso"_s, 1, {}};

} // namespace

class TestExperimentTable : public QObject {
    Q_OBJECT

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
            QCOMPARE(table.rowCount(), notebook.rowCount());
        }
        notebook.setModelText(u"x + 3"_s);
        table.modelChanged();
        notebook.clear();
        table.rowsAdded(); // fewer rows than before: the table starts over
        QCOMPARE(table.rowCount(), 0);
        notebook.addExperiments({{u"5"_s, u"8"_s, red}, {u"6"_s, u"9"_s, red}});
        table.reset();
        QCOMPARE(table.rowCount(), 2);
    }

    void headers_data() {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("section");
        QTest::addColumn<QVariant>("title"); // invalid: no title
        QTest::newRow("first column") << int(Qt::Horizontal) << 0 << QVariant(u"input"_s);
        QTest::newRow("second column") << int(Qt::Horizontal) << 1 << QVariant(u"output"_s);
        QTest::newRow("last column") << int(Qt::Horizontal) << 5 << QVariant(u"nota"_s);
        QTest::newRow("past the last column")
            << int(Qt::Horizontal) << int(ExperimentTable::ColumnCount) << QVariant();
        QTest::newRow("before the first column") << int(Qt::Horizontal) << -1 << QVariant();
        QTest::newRow("first row: experiment 1") << int(Qt::Vertical) << 0 << QVariant(1);
    }
    void headers() {
        QFETCH(int, orientation);
        QFETCH(int, section);
        QFETCH(QVariant, title);
        notebook::Notebook notebook{u","_s};
        const ExperimentTable table(notebook);
        QCOMPARE(table.headerData(section, Qt::Orientation(orientation)), title);
        QCOMPARE(table.headerData(section, Qt::Orientation(orientation), Qt::ToolTipRole), QVariant());
    }

    void cells_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("mine");       // the player's own prediction
        QTest::addColumn<QStringList>("row");    // every column as shown
        QTest::addColumn<QString>("markSpoken"); // what a screen reader says of the mark
        QTest::addColumn<QString>("mineSpoken"); // and of the player's prediction
        QTest::newRow("no model, no prediction")
            << QString() << QString() << QStringList{"3", "6", "", "", "", ""} << QString() << u""_s;
        QTest::newRow("model explains, prediction right")
            << u"x * 2"_s << u"6"_s << QStringList{"3", "6", "6 ✓", "6", "✓", "previsione"} << u"spiegato"_s
            << u"la mia previsione 6, uguale all'output"_s;
        QTest::newRow("model misses, prediction wrong")
            << u"x + 2"_s << u" 7 "_s << QStringList{"3", "6", "7 ✗", "5", "✗", "previsione"}
            << u"non spiegato"_s << u"la mia previsione 7, diversa dall'output"_s;
    }
    void cells() {
        QFETCH(QString, model);
        QFETCH(QString, mine);
        QFETCH(QStringList, row);
        QFETCH(QString, markSpoken);
        QFETCH(QString, mineSpoken);
        notebook::Notebook notebook{u","_s};
        notebook.setCurrentSettings(red);
        if (!model.isEmpty())
            QVERIFY(notebook.setModelText(model));
        notebook.addExperiment({u"3"_s, u"6"_s, red}, mine);
        const ExperimentTable table(notebook);
        QStringList shown;
        for (int column = 0; column < table.columnCount(); ++column)
            shown << table.index(0, column).data().toString();
        QCOMPARE(shown, row);
        QCOMPARE(table.index(0, ExperimentTable::MarkColumn).data(Qt::AccessibleTextRole).toString(),
                 markSpoken);
        QCOMPARE(table.index(0, ExperimentTable::MyPredictionColumn).data(Qt::AccessibleTextRole).toString(),
                 mineSpoken.isEmpty() ? row[ExperimentTable::MyPredictionColumn] : mineSpoken);
    }
};

QTEST_MAIN(TestExperimentTable)
#include "tst_experimenttable.moc"
