#include "play/game.h"
#include "ui/mainwindow.h"
#include "ui/twips.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace ingranix;

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void controlsStandInPlace_data();
    void controlsStandInPlace();
    void hiddenAtStart_data();
    void hiddenAtStart();
    void designTexts();
    void selectorsInsertNothing();
    void startUpRanOnFirstShow();
    void experimentsByButtonAndEnter();
    void emptyBoxKeepsEverything();
    void levelAndColourChoices();
    void newMechanismClearsTheLog();
    void aboutPanelOpensAndCloses();
    void lightsBlink();
    void gradientIsPainted();

private:
    template <typename T> T *control(const char *name) {
        T *found = window_->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qFatal("control %s is missing", name);
        return found;
    }
    void experiment(const QString &input, bool byEnter);

    MainWindow *window_ = nullptr;
};

void MainWindowTest::init() {
    window_ = new MainWindow(QCoreApplication::applicationDirPath());
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_));
    QTRY_VERIFY(window_->game().started());
}

void MainWindowTest::cleanup() {
    delete window_;
    window_ = nullptr;
}

void MainWindowTest::controlsStandInPlace_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("Frame1") << "Frame1" << QRect(240, 2400, 2415, 2175);
    QTest::newRow("shock1") << "shock1" << QRect(3000, 720, 4815, 3615);
    QTest::newRow("Frame2") << "Frame2" << QRect(8160, 2400, 2415, 2175);
    QTest::newRow("Frame3") << "Frame3" << QRect(2040, 4680, 6495, 3015);
    QTest::newRow("Shape3") << "Shape3" << QRect(5040, 4320, 375, 855);
    QTest::newRow("in1 in Frame1") << "in1" << QRect(240, 360, 1935, 1410);
    QTest::newRow("out1 in Frame2") << "out1" << QRect(240, 480, 1935, 1215);
    QTest::newRow("exp") << "exp" << QRect(720, 1200, 2175, 615);
    QTest::newRow("Command1") << "Command1" << QRect(3600, 1200, 2175, 615);
    QTest::newRow("Combo1") << "Combo1" << QRect(720, 2040, 2175, 315);
    QTest::newRow("Combo2") << "Combo2" << QRect(3600, 2040, 2175, 315);
    QTest::newRow("Image4 stands third") << "Image4" << QRect(2520, 480, 570, 570);
    QTest::newRow("Image3 stands fourth") << "Image3" << QRect(3360, 480, 570, 570);
    QTest::newRow("Frame4") << "Frame4" << QRect(2760, 1080, 5535, 3255);
    QTest::newRow("Label6") << "Label6" << QRect(5160, 120, 285, 360);
}

void MainWindowTest::controlsStandInPlace() {
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    const QWidget *widget = window_->findChild<QWidget *>(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(widget->geometry(), twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
}

void MainWindowTest::hiddenAtStart_data() {
    QTest::addColumn<QString>("name");
    for (const char *name : {"List1", "Frame4", "in2", "lbl2", "lbl4", "out2"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void MainWindowTest::hiddenAtStart() {
    QFETCH(QString, name);
    const QWidget *widget = window_->findChild<QWidget *>(name);
    QVERIFY(widget);
    QVERIFY(!widget->isVisible());
}

void MainWindowTest::designTexts() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("Ingranix(IX40)"));
    QCOMPARE(control<QGroupBox>("Frame1")->title(), QStringLiteral("Frame1"));
    QCOMPARE(control<QGroupBox>("Frame2")->title(), QStringLiteral("Frame1"));
    QCOMPARE(control<QGroupBox>("Frame3")->title(), QStringLiteral("Quadro di comando"));
    QCOMPARE(control<QComboBox>("Combo1")->currentText(), QStringLiteral("                Livello"));
    QCOMPARE(control<QComboBox>("Combo2")->currentText(), QStringLiteral("           ingranaggi"));
    QCOMPARE(control<QPushButton>("exp")->text(), QStringLiteral("esperimento"));
    QCOMPARE(control<QLabel>("Label6")->text(), QStringLiteral("X"));
    QCOMPARE(control<QTimer>("Timer1")->interval(), 200);
    QStringList menus;
    for (const char *name : {"salva", "apri", "stampa", "esci", "obiettivo", "controlli", "operazioni",
                             "Mostra", "Nascondi", "informazioni"})
        QVERIFY2(window_->findChild<QAction *>(QString::fromLatin1(name)), name);
}

void MainWindowTest::selectorsInsertNothing() {
    auto *combo = control<QComboBox>("Combo1");
    combo->setFocus();
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo, QStringLiteral("Livello9"));
    QTest::keyClick(combo, Qt::Key_Return);
    QCOMPARE(combo->count(), 4);
    QCOMPARE(combo->currentText(), QStringLiteral("Livello9"));
}

void MainWindowTest::startUpRanOnFirstShow() {
    const Game &game = window_->game();
    QCOMPARE(game.experimentLog(), QStringList(QStringLiteral("in\tout")));
    QCOMPARE(control<QListWidget>("List1")->count(), 1);
    QCOMPARE(control<QLineEdit>("in1")->text(), QString());
    QCOMPARE(game.mechanismIndex(), qint16(1));
    QVERIFY(QStringList({"rosso", "verde", "blu", "grigio"}).contains(game.gearColour()));
    // Showing the window again is no new start.
    window_->hide();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_));
    QTest::qWait(20);
    QCOMPARE(game.experimentLog().size(), 1);
}

void MainWindowTest::experiment(const QString &input, bool byEnter) {
    auto *in1 = control<QLineEdit>("in1");
    in1->setFocus();
    in1->setText(input);
    if (byEnter)
        QTest::keyClick(in1, Qt::Key_Return);
    else
        QTest::mouseClick(control<QPushButton>("exp"), Qt::LeftButton);
}

void MainWindowTest::experimentsByButtonAndEnter() {
    auto *combo1 = control<QComboBox>("Combo1");
    combo1->setCurrentIndex(0);
    emit combo1->activated(0);
    Game &game = window_->game();
    game.setMechanismIndex(1);
    game.setGearColour(QStringLiteral("rosso"));
    ConstantsTable table = game.mechanismConstants();
    table.set(1, 1, 4);
    game.setMechanismConstants(table);
    game.setDecimalSeparator(QStringLiteral("."));

    experiment(QStringLiteral("2.5"), false);
    QCOMPARE(control<QLabel>("out1")->text(), QStringLiteral("6.5"));
    experiment(QStringLiteral("abc"), true);
    QCOMPARE(control<QLabel>("out1")->text(), QStringLiteral("4"));
    QCOMPARE(control<QListWidget>("List1")->count(), 3);
    QCOMPARE(control<QListWidget>("List1")->item(1)->text(), QStringLiteral("2.5\t6.5"));
    QCOMPARE(control<QListWidget>("List1")->item(2)->text(), QStringLiteral("abc\t4"));
    QCOMPARE(control<QLineEdit>("in1")->text(), QString());
    QTRY_VERIFY(control<QLineEdit>("in1")->hasFocus());
    QCOMPARE(control<QLabel>("Label7")->text(), QStringLiteral("abc"));
    QCOMPARE(control<QLabel>("Label7")->x(), twipsToPixels(3120));
    QCOMPARE(game.experimentCount(), qint16(2));
}

void MainWindowTest::emptyBoxKeepsEverything() {
    control<QLabel>("out1")->setText(QStringLiteral("8"));
    experiment(QString(), false);
    experiment(QString(), true);
    QCOMPARE(window_->game().experimentCount(), qint16(0));
    QCOMPARE(control<QLabel>("out1")->text(), QStringLiteral("8"));
    QCOMPARE(control<QListWidget>("List1")->count(), 1);
}

void MainWindowTest::levelAndColourChoices() {
    auto *combo1 = control<QComboBox>("Combo1");
    combo1->setCurrentIndex(2);
    emit combo1->activated(2);
    QCOMPARE(control<QGroupBox>("Frame1")->title(), QStringLiteral("Livello3"));
    QCOMPARE(control<QGroupBox>("Frame2")->title(), QStringLiteral("Livello3"));

    auto *combo2 = control<QComboBox>("Combo2");
    combo2->setCurrentIndex(1);
    emit combo2->activated(1);
    QCOMPARE(window_->game().gearColour(), QStringLiteral("verde"));
    const QImage box = control<QLineEdit>("in1")->grab().toImage();
    QCOMPARE(box.pixelColor(box.width() / 2, 6), QColor(0, 255, 0));
    QTRY_VERIFY(control<QLineEdit>("in1")->hasFocus());
}

void MainWindowTest::newMechanismClearsTheLog() {
    experiment(QStringLiteral("1"), false);
    experiment(QStringLiteral("2"), false);
    QCOMPARE(control<QListWidget>("List1")->count(), 3);
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    QCOMPARE(control<QListWidget>("List1")->count(), 1);
    const qint16 index = window_->game().mechanismIndex();
    QVERIFY(index >= 1 && index <= 9);
}

void MainWindowTest::aboutPanelOpensAndCloses() {
    auto *about = control<QWidget>("Frame4");
    control<QAction>("informazioni")->trigger();
    QVERIFY(about->isVisible());
    control<QAction>("informazioni")->trigger();
    QVERIFY(about->isVisible());
    QTest::mouseClick(control<QLabel>("Label6"), Qt::LeftButton);
    QVERIFY(!about->isVisible());
}

void MainWindowTest::lightsBlink() {
    auto *light = control<QLabel>("Image1");
    const qint16 before = window_->game().lightTick();
    QTRY_VERIFY_WITH_TIMEOUT(window_->game().lightTick() >= before + 2, 2000);
    QVERIFY(!light->pixmap().isNull());
    QCOMPARE(light->pixmap().size(), QSize(38, 38));
}

void MainWindowTest::gradientIsPainted() {
    QWidget *surface = window_->centralWidget();
    const QImage image = surface->grab().toImage();
    QCOMPARE(image.pixelColor(2, 2), QColor(50, 0, 255));
    const QColor lower = image.pixelColor(2, image.height() - 2);
    QCOMPARE(lower.red(), 50);
    QVERIFY(lower.blue() < 255);
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
