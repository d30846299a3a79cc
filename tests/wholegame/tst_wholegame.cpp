// The real window, played as a player plays it: clicks and keys on the window, the real file dialogs,
// the real printing system and the real guide. Run (see CMakeLists.txt) on a real X server as the plain
// game, at QT_SCALE_FACTOR=2 and under faults (INGRANIX_WG_FAULT=noprinter|nospeech|noresources|
// readonlyhome|nohome|vanishing), and offscreen.

#include "windowtest.h"

class WholeGameTest : public WindowTest {
    Q_OBJECT
private slots:
    void startsAsDesigned() {
        // A fault run that silently had no fault would prove nothing.
        const QString kind = fault(), lights = game().resourcePath(u"lucir.gif"_s);
        const bool inPlace = kind == u"noprinter"     ? QPrinterInfo::defaultPrinter().isNull()
                             : kind == u"nospeech"    ? QTextToSpeech::availableEngines().isEmpty()
                             : kind == u"noresources" ? !QFileInfo::exists(lights)
                             : kind == u"readonlyhome"
                                 ? !QFile(QDir::homePath() + "/probe").open(QIODevice::WriteOnly)
                             : kind == u"nohome"    ? qEnvironmentVariableIsEmpty("HOME")
                             : kind == u"vanishing" ? QFileInfo::exists(lights)
                                                    : kind.isEmpty();
        QVERIFY2(inPlace, qPrintable(kind));
        QCOMPARE(window_->devicePixelRatio(), qEnvironmentVariable("QT_SCALE_FACTOR", u"1"_s).toDouble());
        for (const char *name : {"List1", "Frame4", "in2", "lbl2", "lbl4", "out2"})
            QVERIFY2(!control(name)->isVisible(), name);
        // The lights blink; where their pictures are missing they keep the red light built into the program.
        QTRY_VERIFY(game().lightTick() >= 2);
        for (const char *name : {"Image1", "Image2", "Image3", "Image4", "Image5", "Image6"}) {
            const QColor middle = control<QLabel>(name)->pixmap().toImage().pixelColor(19, 19);
            QVERIFY(kind != u"noresources" || middle.red() > 2 * std::max(middle.green(), middle.blue()));
        }
    }

    void typedTextIsNoChoice_data() {
        QTest::addColumn<QString>("selector");
        QTest::addColumn<bool>("enter"); // else the box is left
        QTest::addColumn<QString>("typed");
        QTest::newRow("a level name, Enter") << u"Combo1"_s << true << u"Livello2"_s;
        QTest::newRow("a level name, leaving the box") << u"Combo1"_s << false << u"Livello4"_s;
        QTest::newRow("a colour name, Enter") << u"Combo2"_s << true << u"verde"_s;
    }
    void typedTextIsNoChoice() {
        // Only an item picked from the list is a choice: typed text waits for the next experiment, which
        // reads the level as typed.
        QFETCH(QString, selector);
        QFETCH(bool, enter);
        QFETCH(QString, typed);
        const QString colour = game().gearColour();
        auto *combo = control<QComboBox>(qPrintable(selector));
        combo->setFocus();
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo, typed);
        enter ? QTest::keyClick(combo, Qt::Key_Return) : control("in1")->setFocus();
        QVERIFY(combo->count() == 4 && combo->currentText() == typed && game().gearColour() == colour);
        // Enter runs nothing there, but is not lost: the keyboard goes to the input box.
        QCOMPARE(QApplication::focusWidget(), control("in1"));
        QCOMPARE(game().levelChoiceCount() + game().colourChoiceCount(), 0);
        QCOMPARE(control<QGroupBox>("Frame1")->title(), u"Frame1"_s);
        experiment(u"6"_s, true);
    }

    void chooseFromTheList() {
        // The level with the mouse, in the open list.
        auto *combo = control<QComboBox>("Combo1");
        QTest::mouseClick(combo, Qt::LeftButton, {}, QPoint(combo->width() - 4, combo->height() / 2));
        QTRY_VERIFY(combo->view()->isVisible());
        // The list ignores a release that comes too soon after it opened, as from the opening click.
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        const QRect item = combo->view()->visualRect(combo->model()->index(2, 0));
        QTest::mouseClick(combo->view()->viewport(), Qt::LeftButton, {}, item.center());
        QTRY_VERIFY(!combo->view()->isVisible());
        QVERIFY(control<QGroupBox>("Frame1")->title() == "Livello3" &&
                control<QGroupBox>("Frame2")->title() == "Livello3" && game().levelChoiceCount() == 1);
        // The keyboard is back in the input box: what the player types next is a number, not the level.
        QCOMPARE(QApplication::focusWidget(), control("in1"));
        experiment(u"7"_s, true);
        QCOMPARE(combo->currentText(), u"Livello3"_s);
        // Each colour paints the boxes, and is said to screen readers with the selector's name.
        choose("Combo2", 0);
        const QImage box = control("in1")->grab().toImage();
        QCOMPARE(box.pixelColor(box.width() / 2, 6), QColor(255, 0, 0));
        QCOMPARE(control("annunci")->accessibleName(), u"Colore degli ingranaggi: rosso"_s);
        choose("Combo2", 2);
    }

    void outputIsReadNotTyped() {
        // "?" is said in words; the output box, reached by Tab, can be read again but takes no typing.
        auto *out1 = control<OutputLabel>("out1");
        const QString shown = out1->text();
        out1->setCaption(u"?"_s);
        QCOMPARE(QAccessible::queryAccessibleInterface(out1)->text(QAccessible::Name),
                 u"output: punto interrogativo, calcolo impossibile"_s);
        out1->setCaption(shown);
        QTest::keyClick(control("in1"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), out1);
        QTest::keyClicks(out1, u"5"_s);
        QCOMPARE(out1->text(), shown);
    }

    void saveAndOpenThroughDialogs() {
        const MachineSettings saved = game().settings();
        const QString path = files_.filePath(u"partita"_s);
        QStringList refusals;
        answerFileDialog(this, path, &refusals);
        clickMenu("file", "salva");
        QVERIFY2(refusals.isEmpty(), qPrintable(refusals.join(u' ')));
        // The player moves on (the new mechanism follows the clock's seconds, so the test makes sure
        // every saved fact differs), then opens the saved game again.
        QTest::mouseClick(control("Command1"), Qt::LeftButton);
        game().setMechanismIndex(qint16(saved.mechanismIndex % 9 + 1));
        game().setMechanismConstants(ConstantsTable());
        game().setGearColour(u"verde"_s);
        answerFileDialog(this, path + u".txt"_s, &refusals);
        clickMenu("file", "apri");
        QVERIFY2(refusals.isEmpty(), qPrintable(refusals.join(u' ')));
        QVERIFY(game().settings() == saved && control<QComboBox>("Combo1")->currentText() == "Livello3" &&
                control<QComboBox>("Combo2")->currentText() == "blu");
        experiment(u"9"_s, true);
    }

    void print() {
        const QString spool = qEnvironmentVariable("INGRANIX_PRINT_SPOOL", u"/var/spool/ingranix-printed"_s);
        QStringList seen = QDir(spool).entryList({u"job-*.pdf"_s});
        const QStringList expected =
            logprintout::lines(control<QComboBox>("Combo1")->currentText(),
                               control<QComboBox>("Combo2")->currentText(), game().experimentLog());
        // A busy printing system may hold the click or the job a long while: the wait is the function's
        // whole allowance, short of the watchdog, so that a job that never comes is told as such.
        const int allowance = qEnvironmentVariableIntValue("QTEST_FUNCTION_TIMEOUT") * 9 / 10;
        const QDeadlineTimer deadline(allowance > 0 ? allowance : 30000);
        if (QPrinterInfo::defaultPrinter().isNull()) {
            if (fault().isEmpty())
                QSKIP("no default printer on this machine (tools/ci/setup-printer.sh makes one)");
            // The guide tells the player, calmly; no dialog, and the game goes on.
            QVERIFY(guideSays("Non sono riuscito a stampare", [&] { clickMenu("file", "stampa"); }) &&
                    !QApplication::activeModalWidget());
            return experiment(u"1"_s, false);
        }
        clickMenu("file", "stampa");
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        // Other programs may print into the same queue meanwhile: ours is the new job with our text.
        // Each job is read once, when it first bears its name (it is whole by then).
        QString difference = u"no new job in "_s + spool;
        bool came = false;
        const auto ourJobCame = [&] {
            for (const QString &name : QDir(spool).entryList({u"job-*.pdf"_s}))
                if (!came && !seen.contains(name)) {
                    seen << name;
                    const QString mismatch = comparePrinted(pdfTextLines(spool + u'/' + name), expected);
                    came = mismatch.isEmpty();
                    difference += u"\n%1: %2"_s.arg(name, mismatch);
                }
            return came;
        };
        QTRY_VERIFY2_WITH_TIMEOUT(ourJobCame(), qPrintable(difference), int(deadline.remainingTime()));
    }

    void menusAndAboutPanel() {
        // Opened by the mouse, the focus goes into the panel; closed by its button, back to in1.
        clickMenu(nullptr, "informazioni");
        QTRY_VERIFY(control("Frame4")->isVisible());
        QCOMPARE(window_->focusWidget(), control("Label6"));
        QTest::mouseClick(control("Label6"), Qt::LeftButton);
        QVERIFY(!control("Frame4")->isVisible() && window_->focusWidget() == control("in1"));
        // The menu bar's button for the items a narrow window cannot show has its picture.
        QVERIFY(!window_->menuBar()->findChild<QToolButton *>(u"qt_menubar_ext_button"_s)->icon().isNull());
        // The guide's menu hides and shows it.
        for (const char *item : {"Nascondi", "Mostra", "Nascondi"}) {
            clickMenu("Assmenu", item);
            QTRY_VERIFY_WITH_TIMEOUT(window_->guide().isShownOnScreen() == (item[0] == 'M'), 20000);
        }
    }

    void menuBarItemsRunByKeys_data() {
        QTest::addColumn<QString>("item"); // an item of the menu bar itself
        QTest::addColumn<int>("key");
        QTest::newRow("Informazioni, Enter") << u"informazioni"_s << int(Qt::Key_Return);
        QTest::newRow("Informazioni, Space") << u"informazioni"_s << int(Qt::Key_Space);
        QTest::newRow("Quaderno, Enter") << u"quaderno"_s << int(Qt::Key_Return);
    }
    void menuBarItemsRunByKeys() {
        // Reached with F10 and the arrows, the key runs the item as a click does; nothing stays highlighted
        // and the key does not fall into the input box.
        QFETCH(QString, item);
        QFETCH(int, key);
        if (item == u"quaderno" && QGuiApplication::platformName() == u"offscreen")
            QSKIP("the module is loaded in the runs on Xvfb");
        QMenuBar *bar = window_->menuBar();
        // A menu just closed may hold the activation.
        QTRY_VERIFY(activate() && QApplication::activeWindow() == window_.get());
        control("in1")->setFocus();
        QTest::keyClick(control("in1"), Qt::Key_F10);
        QTRY_VERIFY(control<QMenu>("file")->isVisible());
        auto *action = control<QAction>(qPrintable(item));
        for (int i = 0; i < 6 && bar->activeAction() != action; ++i) {
            QWidget *popup = QApplication::activePopupWidget();
            QTest::keyClick(popup ? popup : QApplication::focusWidget(), Qt::Key_Right);
        }
        QTRY_VERIFY(bar->activeAction() == action && !QApplication::activePopupWidget());
        QSignalSpy guide(&window_->guide(), &GuideAgent::requestStarted);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QVERIFY(!bar->activeAction() && guide.isEmpty());
        if (item == u"informazioni") {
            QTRY_VERIFY(control("Frame4")->isVisible());
            QTest::keyClick(control("Label6"), Qt::Key_Escape);
        } else {
            auto *notebook = window_->findChild<QDockWidget *>(u"quadernoDock"_s);
            QTRY_VERIFY(notebook && notebook->isVisible());
            QTest::keyClick(window_.get(), Qt::Key_F2);
            QTRY_VERIFY(!notebook->isVisible());
        }
        QCOMPARE(QApplication::focusWidget(), control("in1"));
    }

    void clicksPassThroughTheGuide() {
        // Where the guide's balloon lies over a control of the machine, a real click on the display still
        // reaches the control.
        const QString xdotool = QStandardPaths::findExecutable(u"xdotool"_s);
        if (QGuiApplication::platformName() != u"xcb" || xdotool.isEmpty() || !fault().isEmpty())
            QSKIP("needs an X display and xdotool");
        // The machine lies in the middle of the window's room: once a notebook closed just before has
        // given its room back, it stays where it is.
        QTRY_COMPARE(window_->centralWidget()->width(), window_->width());
        GuideAgent &guide = window_->guide();
        guide.stopAll();
        guide.show();
        auto *exp = control<QPushButton>("exp");
        const QPoint target = exp->mapToGlobal(exp->rect().center());
        // The balloon stands above the wizard, centred on him.
        guide.moveTo(qint16(target.x() - guide.width() / 2), qint16(target.y() + 20));
        guide.speak(u"Bene adesso scegli un colore dal menù ingranaggi e poi premi esperimento"_s);
        QWidget *balloon = guide.balloonWindow();
        QTRY_VERIFY_WITH_TIMEOUT(balloon->isVisible() && balloon->geometry().contains(target), 10000);
        QSignalSpy clicked(exp, &QPushButton::clicked);
        const QPoint pixel = target * window_->devicePixelRatio(); // xdotool counts the screen's pixels
        QProcess::execute(xdotool, (u"mousemove %1 %2 click 1"_s).arg(pixel.x()).arg(pixel.y()).split(u' '));
        QTRY_COMPARE(clicked.size(), 1);
        QVERIFY(balloon->isVisible());
        guide.stopAll();
    }

    // Things go while the game plays: its pictures, movies and guide file, a folder while the file
    // dialog shows it (a memory stick pulled). Nothing stops the game.
    void thingsVanishMidGame() {
        if (fault() != u"vanishing")
            QSKIP("only when things vanish");
        choose("Combo2", 0);
        QVERIFY(control<MoviePlayer>("shock1")->hasMovie() && QDir(resourceFolder()).removeRecursively());
        const qint16 tick = game().lightTick();
        experiment(u"3"_s, false); // the movie of a file now gone plays
        choose("Combo2", 1);
        QVERIFY(!control<MoviePlayer>("shock1")->hasMovie());
        experiment(u"6"_s, true);
        QTRY_VERIFY(game().lightTick() >= tick + 3);
        // Saving into the folder that went: the guide says so.
        const QString stick = files_.filePath(u"chiavetta"_s);
        const auto pull = [stick] { QDir(stick).removeRecursively(); };
        QStringList refusals;
        QVERIFY(QDir().mkpath(stick));
        answerFileDialog(this, stick + u"/partita"_s, &refusals, pull);
        QVERIFY(guideSays("Non sono riuscito a salvare", [&] { clickMenu("file", "salva"); }));
        QVERIFY(refusals.isEmpty() && !QFileInfo::exists(stick));
        // Opening from it: the dialog does not take the name of a file that is gone; nothing changes.
        QVERIFY(QDir().mkpath(stick) && mechanismfile::appendRecord(stick + u"/gioco.txt"_s, {}));
        const MachineSettings before = game().settings();
        answerFileDialog(this, stick + u"/gioco.txt"_s, &refusals, pull);
        clickMenu("file", "apri");
        QVERIFY(!refusals.isEmpty() && game().settings() == before);
        experiment(u"7"_s, false);
    }
};

int main(int argc, char *argv[]) {
    return runWindowTest<WholeGameTest>(argc, argv);
}

#include "tst_wholegame.moc"
