#include "mechanisms/mechanisms.h"
#include "mechanisms/numbers.h"
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
    void hiddenAtStart_data();
    void hiddenAtStart();
    void designTexts();
    void typedTextIsNoChoice_data();
    void typedTextIsNoChoice();
    void startUpRanOnFirstShow();
    void emptyBoxKeepsEverything();
    void lightsBlink();
    void gradientIsPainted();
    void picturesShow();

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
    QCOMPARE(control<QPushButton>("Label6")->text(), QStringLiteral("X"));
    QCOMPARE(control<QTimer>("Timer1")->interval(), 200);
    for (const char *name : {"salva", "apri", "stampa", "esci", "obiettivo", "controlli", "operazioni",
                             "Mostra", "Nascondi", "informazioni"})
        QVERIFY2(window_->findChild<QAction *>(QString::fromLatin1(name)), name);
}

void MainWindowTest::typedTextIsNoChoice_data() {
    QTest::addColumn<QString>("selector");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("enter");
    QTest::newRow("a level name, Enter") << "Combo1"
                                         << "Livello2" << true;
    QTest::newRow("a level name, leaving the box") << "Combo1"
                                                   << "Livello2" << false;
    QTest::newRow("no level's name") << "Combo1"
                                     << "Livello9" << true;
    QTest::newRow("a colour name, Enter") << "Combo2"
                                          << "verde" << true;
}

void MainWindowTest::typedTextIsNoChoice() {
    // Only an item picked from the list is a choice: typed text waits for the next experiment.
    QFETCH(QString, selector);
    QFETCH(QString, typed);
    QFETCH(bool, enter);
    Game &game = window_->game();
    const QString colour = game.gearColour();
    auto *combo = window_->findChild<QComboBox *>(selector);
    combo->setFocus();
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo, typed);
    if (enter)
        QTest::keyClick(combo, Qt::Key_Return);
    else
        control<QLineEdit>("in1")->setFocus();
    QCOMPARE(combo->count(), 4);
    QCOMPARE(combo->currentText(), typed);
    QCOMPARE(game.levelChoiceCount(), qint16(0));
    QCOMPARE(game.colourChoiceCount(), qint16(0));
    QCOMPARE(control<QGroupBox>("Frame1")->title(), QStringLiteral("Frame1"));
    QCOMPARE(game.gearColour(), colour);
    // The experiment reads the level as typed.
    ConstantsTable constants = game.mechanismConstants();
    const QString expected = runMechanism(control<QComboBox>("Combo1")->currentText(), game.mechanismIndex(),
                                          {u"6", colour, constants, systemDecimalSeparator()});
    experiment(QStringLiteral("6"), true);
    QCOMPARE(control<QLabel>("out1")->text(), expected);
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

void MainWindowTest::emptyBoxKeepsEverything() {
    control<QLabel>("out1")->setText(QStringLiteral("8"));
    experiment(QString(), false);
    experiment(QString(), true);
    QCOMPARE(window_->game().experimentCount(), qint16(0));
    QCOMPARE(control<QLabel>("out1")->text(), QStringLiteral("8"));
    QCOMPARE(control<QListWidget>("List1")->count(), 1);
}

void MainWindowTest::lightsBlink() {
    auto *light = control<QLabel>("Image1");
    const qint16 before = window_->game().lightTick();
    QTRY_VERIFY_WITH_TIMEOUT(window_->game().lightTick() >= before + 2, 2000);
    QVERIFY(!light->pixmap().isNull());
    QCOMPARE(light->pixmap().size(), QSize(38, 38));
}

// The pictures compiled into the program: the red light every light shows until the timer brings
// its own pictures (here never: their files are missing, and a missing file keeps the light as it
// is), and the emblem once the about panel opens.
void MainWindowTest::picturesShow() {
    MainWindow fresh(QStringLiteral("/nonexistent"));
    fresh.show();
    QTRY_VERIFY(fresh.game().started());
    QTRY_VERIFY(fresh.game().lightTick() >= 2);
    for (const char *light : {"Image1", "Image2", "Image3", "Image4", "Image5", "Image6"}) {
        const QImage picture = fresh.findChild<QLabel *>(QString::fromLatin1(light))->pixmap().toImage();
        QCOMPARE(picture.size(), QSize(38, 38));
        const QColor middle = picture.pixelColor(19, 19);
        QVERIFY2(middle.red() > 2 * middle.green() && middle.red() > 2 * middle.blue(), light);
    }
    fresh.findChild<QAction *>(QStringLiteral("informazioni"))->trigger();
    const QPixmap emblem = fresh.findChild<QLabel *>(QStringLiteral("Image8"))->pixmap();
    QVERIFY(!emblem.isNull());
    QCOMPARE(emblem.width(), twipsToPixels(1095)); // fitted to the box's width, keeping its shape
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
