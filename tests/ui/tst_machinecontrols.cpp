// The machine's own controls offscreen: the output box shows and names every result, and a level or
// colour selector counts only a real choice as one.

#include "ui/machinecontrols.h"

#include <QLineEdit>
#include <QtTest>

using namespace ingranix;
using namespace Qt::Literals::StringLiterals;

class TestMachineControls : public QObject {
    Q_OBJECT

private slots:
    // A result is shown whole, as large as the box allows, and a screen reader hears what it means.
    void outputShowsTheWholeResult_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("designSize"); // the design's font fits
        QTest::newRow("a number") << u"24"_s << u"output: 24"_s << true;
        QTest::newRow("impossible") << u"?"_s << u"output: punto interrogativo, calcolo impossibile"_s
                                    << true;
        QTest::newRow("nothing yet") << QString() << u"output"_s << true;
        QTest::newRow("fifteen digits") << u"-123456789012,5"_s << u"output: -123456789012,5"_s << false;
    }
    void outputShowsTheWholeResult() {
        QFETCH(QString, caption);
        QFETCH(QString, name);
        QFETCH(bool, designSize);
        QFont design;
        design.setPointSize(30);
        OutputLabel out1(design);
        out1.resize(130, 80);
        out1.setCaption(caption);
        QCOMPARE(out1.text(), caption);
        QCOMPARE(out1.accessibleName(), name);
        QCOMPARE(out1.font().pointSizeF() == design.pointSizeF(), designSize);
        QVERIFY(out1.fontMetrics().horizontalAdvance(caption) <= out1.contentsRect().width());
    }

    // Only picking an item is a choice; Enter is passed on whatever the box holds.
    void onlyAPickIsAChoice_data() {
        QTest::addColumn<QString>("typed"); // typed into the closed selector first
        QTest::addColumn<int>("key");       // then this key; 0: the selector loses the focus instead
        QTest::addColumn<int>("chosen");
        QTest::addColumn<int>("enters");
        QTest::newRow("arrow down") << QString() << int(Qt::Key_Down) << 1 << 0;
        QTest::newRow("a level's name and Enter") << u"Livello2"_s << int(Qt::Key_Return) << 0 << 1;
        QTest::newRow("anything and Enter") << u"boh"_s << int(Qt::Key_Enter) << 0 << 1;
        QTest::newRow("a level's name, then away") << u"Livello2"_s << 0 << 0 << 0;
    }
    void onlyAPickIsAChoice() {
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(int, chosen);
        QFETCH(int, enters);
        QWidget window;
        auto *combo1 = new Selector(&window);
        auto *other = new QLineEdit(&window);
        other->move(0, 60);
        combo1->setEditable(true);
        combo1->setInsertPolicy(QComboBox::NoInsert);
        combo1->addItems({u"Livello1"_s, u"Livello2"_s});
        combo1->setCurrentIndex(-1);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        combo1->setFocus();
        QSignalSpy choices(combo1, &Selector::chosen);
        QSignalSpy entered(combo1, &Selector::enterPressed);
        if (!typed.isEmpty())
            QTest::keyClicks(combo1, typed);
        if (key)
            QTest::keyClick(combo1, Qt::Key(key));
        else
            other->setFocus();
        QCOMPARE(choices.size(), chosen);
        QCOMPARE(entered.size(), enters);
        QCOMPARE(combo1->count(), 2); // typing never adds a name
    }
};

QTEST_MAIN(TestMachineControls)
#include "tst_machinecontrols.moc"
