// The real window, played as a player plays it: clicks and keys on the window, the real file dialogs,
// the real printing system and the real guide. One program, run (see CMakeLists.txt) on a real X
// server as the plain game, at QT_SCALE_FACTOR=2 and under faults (INGRANIX_WG_FAULT=noprinter|
// nospeech|noresources|readonlyhome|nohome|vanishing), as the notebook beside the machine
// (INGRANIX_WG_PART=notebook), as a storm of random events (INGRANIX_WG_PART=storm), and offscreen.

#include "files/lessonfile.h"
#include "files/logprintout.h"
#include "files/mechanismrecord.h"
#include "files/pdftext.h"
#include "guide/guideagent.h"
#include "guide/guidewindows.h"
#include "mechanisms/mechanisms.h"
#include "play/game.h"
#include "ui/experimenttable.h"
#include "ui/machinecontrols.h"
#include "ui/mainwindow.h"
#include "ui/movieplayer.h"
#include "ui/notebookdock.h"
#include "ui/notebookplot.h"
#include "ui/twips.h"

#include <QCategoryAxis>
#include <QPrinterInfo>
#include <QTextToSpeech>
#include <QtTest>
#include <QtWidgets>

#include <unistd.h>

using namespace ingranix;
using ingranix::notebook::kindsText;
using namespace Qt::Literals::StringLiterals;

namespace {

QString fault() {
    return qEnvironmentVariable("INGRANIX_WG_FAULT");
}

// Folders made before QApplication exists; they live until the process ends.
QTemporaryDir &scratch() {
    static QTemporaryDir dir;
    return dir;
}

// Sets up what the run's environment (see CMakeLists.txt) cannot: Qt without its speech engines, and
// a resource folder that can go mid-game.
void prepareFault() {
    if (fault() == u"nospeech") {
        // Qt's plugin folders as links, all but the speech engines.
        const QString folder = scratch().filePath(u"plugins"_s);
        const QDir system(QLibraryInfo::path(QLibraryInfo::PluginsPath));
        QDir().mkpath(folder);
        for (const QString &entry : system.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            if (entry != u"texttospeech")
                QFile::link(system.filePath(entry), folder + u'/' + entry);
        QCoreApplication::setLibraryPaths({folder});
    } else if (fault() == u"vanishing") {
        // The game plays from a copy of its pictures, movies and guide, which the test later removes.
        const QString copy = scratch().filePath(u"resources"_s);
        QDir().mkpath(copy);
        const QDir build(QFileInfo(QFile::symLinkTarget(u"/proc/self/exe"_s)).absolutePath());
        for (const QFileInfo &entry : build.entryInfoList(QDir::Files))
            if (!entry.isExecutable())
                QFile::copy(entry.absoluteFilePath(), copy + u'/' + entry.fileName());
    }
}

// None there, or later none, in the runs where the resources fail.
QString resourceFolder() {
    const bool failing = fault() == u"noresources" || fault() == u"vanishing";
    return failing ? scratch().filePath(u"resources"_s) : QCoreApplication::applicationDirPath();
}

QString resource(const char *name) {
    return QCoreApplication::applicationDirPath() + u'/' + QLatin1String(name);
}

double residentMiB() {
    QFile statm(u"/proc/self/statm"_s);
    const QList<QByteArray> fields =
        statm.open(QIODevice::ReadOnly) ? statm.readAll().split(' ') : QList<QByteArray>();
    return fields.size() > 1 ? fields.at(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / (1 << 20) : -1;
}

// Answers the notebook's dialogs with a fixed name, or cancels them.
struct FixedChooser : FileChooser {
    explicit FixedChooser(std::optional<QString> name = {}) : name(std::move(name)) {}
    std::optional<QString> name;
    std::optional<QString> chooseSaveFile(const QString &) override { return name; }
    std::optional<QString> chooseOpenFile(const QString &) override { return name; }
};

// Answers the next file dialog as a player would: writes `path` as the file name and presses the accept
// button, again while the dialog stays open. A name the dialog will not take (a message comes up, or its
// button stays disabled for a folder that is gone) is noted in *refusals and the dialog cancelled; so is a
// dialog still open after 10 s, so that a stuck dialog fails the test instead of hanging it.
// `whenShown` runs once the dialog is up.
void answerFileDialog(QObject *context, const QString &path, QStringList *refusals,
                      const std::function<void()> &whenShown = {}) {
    refusals->clear();
    auto *poll = new QTimer(context);
    auto ticks = std::make_shared<int>(0), shown = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, context, [=] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *message = qobject_cast<QMessageBox *>(modal)) {
            *refusals << message->text();
            return message->accept();
        }
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        if (!dialog) {
            if (*shown > 0 || ++*ticks > 200) // answered and closed, or never came
                poll->deleteLater();
            return;
        }
        if ((*shown)++ == 0 && whenShown)
            whenShown();
        if (!refusals->isEmpty() || *shown > 200) {
            if (refusals->isEmpty())
                *refusals << u"the dialog stayed open"_s;
            return dialog->reject();
        }
        if (*shown % 10 != 1) // every half second: the dialog may still be looking the name up
            return;
        const bool save = dialog->acceptMode() == QFileDialog::AcceptSave;
        QAbstractButton *accept = dialog->findChild<QDialogButtonBox *>()->button(
            save ? QDialogButtonBox::Save : QDialogButtonBox::Open);
        dialog->findChild<QLineEdit *>(u"fileNameEdit"_s)->setText(path);
        if (accept->isEnabled())
            QTest::mouseClick(accept, Qt::LeftButton);
        else if (!QFileInfo(path).dir().exists()) // its folder went: the dialog will not take it
            *refusals << accept->text() + u" disabled"_s;
    });
    poll->start(50);
}

} // namespace

// One started window, shared by the test functions of a run.
class WindowTest : public QObject {
    Q_OBJECT
protected:
    template <typename T = QWidget> T *control(const char *name) {
        if (T *found = window_->findChild<T *>(QString::fromLatin1(name)))
            return found;
        qFatal("control %s is missing", name);
    }
    Game &game() { return window_->game(); }
    NotebookDock *dock() { return window_->findChild<NotebookDock *>(); }
    // No window manager under Xvfb gives the window back its activation after a dialog.
    bool activate() { return window_->activateWindow(), QTest::qWaitForWindowActive(window_.get()); }
    // Picks an item of a selector as its list would.
    void choose(const char *selector, int item) {
        control<QComboBox>(selector)->setCurrentIndex(item);
        emit control<QComboBox>(selector)->activated(item);
    }
    // Clicks `item` of the menu `menuName`, or the menu bar's own `item` when menuName is null.
    void clickMenu(const char *menuName, const char *item) {
        QMenuBar *bar = window_->menuBar();
        auto *action = control<QAction>(item);
        if (!menuName)
            return clickOnBar(bar, action);
        auto *menu = control<QMenu>(menuName);
        clickOnBar(bar, menu->menuAction());
        QTRY_VERIFY(menu->isVisible());
        clickInMenu(menu, action);
    }
    // A player's pointer moves onto the menu bar before it clicks there, then into the menu that opens.
    // Qt 6.8 needs both: a menu opened by a pointer that never moved over the bar ignores the pointer,
    // and a menu ignores a press until the pointer has moved since it opened.
    static void clickOnBar(QMenuBar *bar, QAction *action) {
        QTest::mouseMove(bar, bar->actionGeometry(action).center());
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(action).center());
    }
    static void clickInMenu(QMenu *menu, QAction *action) {
        // Moves enough, and far enough, to count as a player's: more than six of them.
        const QRect item = menu->actionGeometry(action);
        for (int step = 0; step < 8; ++step)
            QTest::mouseMove(menu, QPoint(item.left() + item.width() * step / 16, item.center().y()));
        QTest::mouseClick(menu, Qt::LeftButton, {}, item.center());
    }
    // Runs `action` on a guide with nothing else to do, and waits for it to start saying `start`.
    bool guideSays(const char *start, const std::function<void()> &action) {
        window_->guide().stopAll();
        bool said = false;
        const auto watch =
            connect(&window_->guide(), &GuideAgent::requestStarted, this,
                    [&](const QString &kind, const QString &detail) {
                        said = said || (kind == u"speak" && detail.startsWith(QLatin1String(start)));
                    });
        action();
        said = QTest::qWaitFor([&] { return said; }, 10000);
        disconnect(watch);
        return said;
    }
    // One experiment as the player runs it, by the button or by Enter: the output is the
    // calculation's, logged and announced to screen readers, and the input box is emptied and focused.
    void experiment(const QString &input, bool byEnter) {
        ConstantsTable constants = game().mechanismConstants();
        const QString expected =
            runMechanism(control<QComboBox>("Combo1")->currentText(), game().mechanismIndex(),
                         {input, game().gearColour(), constants, u"."});
        auto *log = control<QListWidget>("List1");
        const int logged = log->count();
        auto *in1 = control<QLineEdit>("in1");
        QTest::mouseClick(in1, Qt::LeftButton);
        in1->selectAll();
        QTest::keyClicks(in1, input);
        byEnter ? QTest::keyClick(in1, Qt::Key_Return) : QTest::mouseClick(control("exp"), Qt::LeftButton);
        QCOMPARE(control<QLabel>("out1")->text(), expected);
        QVERIFY(log->count() == logged + 1 && log->item(logged)->text() == input + u'\t' + expected);
        QVERIFY(in1->text().isEmpty() && window_->focusWidget() == in1);
    }

    std::unique_ptr<MainWindow> window_;
    QTemporaryDir files_;

private slots:
    void initTestCase() {
        window_ = std::make_unique<MainWindow>(resourceFolder());
        // No window manager: the window takes the screen's room itself, and is made active so that
        // its keys (F2, F10, Escape) reach it.
        window_->setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()) && activate());
        QTRY_VERIFY_WITH_TIMEOUT(game().started(), 10000);
        game().setDecimalSeparator(u"."_s);
        // Offscreen, every window shown takes the activation, the guide's too, whatever it asks.
        if (QGuiApplication::platformName() == u"offscreen")
            control<QAction>("Nascondi")->trigger();
    }
    void cleanupTestCase() { window_.reset(); }
};

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
        // The control panel draws its own border, ground and red caption.
        const QImage panel = control("Frame3")->grab().toImage();
        qsizetype captionInk = 0;
        for (int y = 0; y < panel.height() / 10; ++y)
            for (int x = 0; x < panel.width() / 3; ++x)
                captionInk += panel.pixelColor(x, y) == Qt::red;
        QVERIFY(captionInk > 20 && panel.pixelColor(0, 0) == QColor(90, 90, 200) &&
                panel.pixelColor(panel.width() - 1, panel.height() - 1) == QColor(90, 90, 200) &&
                panel.pixelColor(4, panel.height() / 2) == QColor(0, 0, 128));
        // The menu bar's overflow arrow, decoded only when drawn, is the desktop style's own.
        auto *style = qobject_cast<QProxyStyle *>(QApplication::style());
        const QImage arrow = window_->menuBar()->findChild<QToolButton *>()->icon().pixmap(16).toImage();
        QVERIFY(style && !arrow.isNull());
        QCOMPARE(arrow.devicePixelRatio(), window_->devicePixelRatio());
        QCOMPARE(arrow, style->baseStyle()
                            ->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton)
                            .pixmap(16)
                            .toImage());
        // The lights blink; where their pictures are missing they keep the red light built into the program.
        QTRY_VERIFY(game().lightTick() >= 2);
        for (const char *name : {"Image1", "Image2", "Image3", "Image4", "Image5", "Image6"}) {
            const QColor middle = control<QLabel>(name)->pixmap().toImage().pixelColor(19, 19);
            QVERIFY(kind != u"noresources" || middle.red() > 2 * std::max(middle.green(), middle.blue()));
        }
    }

    void noTextIsCut() {
        // Every text the player can see is whole, line by line, in its control's own font: the about
        // panel's too, and the longest number text a calculation writes.
        control("Frame4")->show();
        auto *out1 = control<OutputLabel>("out1");
        const QString shown = out1->text();
        out1->setCaption(u"-0.000123456789012346"_s);
        QStringList cut;
        for (QWidget *widget : window_->findChildren<QWidget *>()) {
            QString text;
            QRect room;
            if (auto *label = qobject_cast<QLabel *>(widget)) {
                text = label->text();
                room = label->contentsRect().marginsRemoved(QMargins() + label->margin());
            } else if (auto *button = qobject_cast<QPushButton *>(widget)) {
                QStyleOptionButton option;
                option.initFrom(button);
                option.text = text = button->text();
                room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
            }
            if (room.isEmpty() || !widget->isVisible() || isDecorative(widget))
                continue;
            const QSize needed = widget->fontMetrics().boundingRect(QRect(), 0, text).size();
            if (needed.width() > room.width() || needed.height() > room.height())
                cut << widget->objectName() + u": "_s + text;
        }
        out1->setCaption(shown);
        control("Frame4")->hide();
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u"; "_s)));
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
        QVERIFY(combo->count() == 4 && combo->currentText() == typed);
        // Enter runs nothing there, but is not lost: the keyboard goes to the input box.
        QCOMPARE(QApplication::focusWidget(), control("in1"));
        QCOMPARE(game().levelChoiceCount() + game().colourChoiceCount(), 0);
        QCOMPARE(control<QGroupBox>("Frame1")->title(), u"Frame1"_s);
        QCOMPARE(game().gearColour(), colour);
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
        // Each colour paints the boxes.
        choose("Combo2", 0);
        const QImage box = control("in1")->grab().toImage();
        QCOMPARE(box.pixelColor(box.width() / 2, 6), QColor(255, 0, 0));
        choose("Combo2", 2);
    }

    void screenReadersHearNamesAndChoices() {
        // Each selector keeps its name, its text is its value; a choice is said with the selector's name,
        // once the keyboard is back in the input box. Menus are named; "?" is said in words, and the output
        // box, reached by Tab, can be read again.
        const auto accessible = [this](const char *name) {
            return QAccessible::queryAccessibleInterface(control(name));
        };
        choose("Combo2", 0);
        QCOMPARE(QApplication::focusWidget(), control("in1"));
        QCOMPARE(control("annunci")->accessibleName(), u"Colore degli ingranaggi: rosso"_s);
        QVERIFY(accessible("Combo2")->text(QAccessible::Name) == u"Colore degli ingranaggi" &&
                accessible("Combo2")->text(QAccessible::Value) == u"rosso");
        choose("Combo1", 2);
        QCOMPARE(control("annunci")->accessibleName(), u"Livello: Livello3"_s);
        QVERIFY(accessible("Combo1")->text(QAccessible::Name) == u"Livello" &&
                accessible("Combo1")->text(QAccessible::Value) == u"Livello3");
        for (const char *menu : {"file", "istruzioni", "Assmenu"})
            QCOMPARE(accessible(menu)->text(QAccessible::Name), control<QMenu>(menu)->title());
        auto *out1 = control<OutputLabel>("out1");
        const QString shown = out1->text();
        out1->setCaption(u"?"_s);
        QCOMPARE(accessible("out1")->text(QAccessible::Name),
                 u"output: punto interrogativo, calcolo impossibile"_s);
        out1->setCaption(shown);
        QTest::keyClick(control("in1"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), out1);
        QTest::keyClicks(out1, u"5"_s); // it takes no typing
        QCOMPARE(out1->text(), shown);
        choose("Combo2", 2);
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
            QVERIFY(guideSays("Non sono riuscito a stampare", [&] { clickMenu("file", "stampa"); }));
            QVERIFY(QApplication::activeModalWidget() == nullptr);
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
        // By mouse, by Tab and Space, and by Escape: the focus goes into the panel and back to in1.
        for (int way = 0; way < 3; ++way) {
            clickMenu(nullptr, "informazioni");
            QTRY_VERIFY(control("Frame4")->isVisible());
            QCOMPARE(window_->focusWidget(), control("Label6"));
            if (way == 1)
                control("in1")->setFocus();
            for (int i = 0; way == 1 && i < 20 && window_->focusWidget() != control("Label6"); ++i)
                QTest::keyClick(window_->focusWidget(), Qt::Key_Tab);
            QVERIFY(way != 2 || activate());
            way == 0   ? QTest::mouseClick(control("Label6"), Qt::LeftButton)
            : way == 1 ? QTest::keyClick(control("Label6"), Qt::Key_Space)
                       : QTest::keyClick(window_->focusWidget(), Qt::Key_Escape);
            QVERIFY2(!control("Frame4")->isVisible(), qPrintable(QString::number(way)));
            QCOMPARE(window_->focusWidget(), control("in1"));
        }
        // F10 opens the file menu.
        QVERIFY(activate());
        QTest::keyClick(control("in1"), Qt::Key_F10);
        QTRY_VERIFY(control<QMenu>("file")->isVisible());
        QTest::keyClick(control<QMenu>("file"), Qt::Key_Escape);
        QTRY_VERIFY(!control<QMenu>("file")->isVisible());
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
        QTRY_VERIFY(activate() &&
                    QApplication::activeWindow() == window_.get()); // a menu just closed may hold it
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
        QProcess::execute(xdotool, {u"mousemove"_s, QString::number(pixel.x()), QString::number(pixel.y()),
                                    u"click"_s, u"1"_s});
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

    // The shipped program's way to its notebook: the module is loaded when F2 first asks for it.
    void notebookComesFromItsModule() {
        if (QGuiApplication::platformName() == u"offscreen")
            QSKIP("the module is loaded in the runs on Xvfb");
        QVERIFY(activate());
        QTest::keyClick(window_.get(), Qt::Key_F2);
        auto *notebook = window_->findChild<QDockWidget *>(u"quadernoDock"_s);
        QTRY_VERIFY(notebook && notebook->isVisible());
        QTest::keyClick(window_.get(), Qt::Key_F2);
        QTRY_VERIFY(!notebook->isVisible());
    }

    // The movie player on its own, in the offscreen run only (which the sanitizers watch too). A new
    // movie rests on its first frame; a frame asked for is shown whole, centred on the background colour
    // in a player three frames wide; a file it cannot read shows the background alone.
    void movieShowsItsFrames_data() {
        if (QGuiApplication::platformName() != u"offscreen")
            QSKIP("the movie player is tried once, offscreen");
        // name, frames asked for in turn (0 plays the movie a while), the frame shown (-1 the last, 0 none)
        QTest::addColumn<QString>("name");
        QTest::addColumn<QList<int>>("requests");
        QTest::addColumn<int>("expected");
        QTest::newRow("a new movie") << u"rosso.gif"_s << QList<int>(QList<int>{}) << 1;
        QTest::newRow("huge is the last") << u"verde.gif"_s << QList<int>(QList<int>{INT_MAX}) << -1;
        QTest::newRow("negative is the first") << u"blu.gif"_s << QList<int>(QList<int>{9, INT_MIN}) << 1;
        QTest::newRow("a frame stops the play") << u"grigio.gif"_s << QList<int>(QList<int>{0, 1}) << 1;
        // Once through every frame, a second request while playing changing nothing, then at rest.
        QTest::newRow("played once") << u"rosso.gif"_s << QList<int>(QList<int>{0, 0}) << 1;
        QTest::newRow("cut in the palette") << u"cut.gif"_s << QList<int>(QList<int>{1, 0}) << 0;
    }
    void movieShowsItsFrames() {
        QFETCH(QString, name);
        QFETCH(QList<int>, requests);
        QFETCH(int, expected);
        QFile whole(resource("rosso.gif")), cut(files_.filePath(u"cut.gif"_s));
        QVERIFY(whole.open(QIODevice::ReadOnly) && cut.open(QIODevice::WriteOnly) &&
                cut.write(whole.read(100)) == 100);
        cut.close();
        const QString path = expected ? resource(qPrintable(name)) : cut.fileName();
        QImageReader reader(path);
        MoviePlayer player;
        player.resize(3 * 321, 241);          // the movies are 321 x 241, the control's 4815 x 3615 twips
        player.setBackgroundColor(0x804020);  // blue, green, red from the top byte down
        player.setMovie(resource("blu.gif")); // a movie shown before must go
        player.setMovie(path);
        QCOMPARE(player.hasMovie(), expected != 0);
        std::optional<QSignalSpy> played;
        if (expected)
            played.emplace(player.findChild<QMovie *>(), &QMovie::frameChanged);
        for (int request : requests) {
            request ? player.gotoFrame(request) : player.play();
            QTRY_VERIFY(request != 0 || !expected || player.currentFrame() > 2);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!player.isPlaying(), 10000);
        if (requests == QList<int>{0, 0}) // every frame once, and back to the first
            QCOMPARE(played->size(), reader.imageCount());
        QTest::qWait(100); // several frames' time: nothing may move on by itself
        const QImage shown = player.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QImage background(expected ? QSize(321, 241) : shown.size(), QImage::Format_RGB32);
        background.fill(QColor(0x20, 0x40, 0x80));
        QCOMPARE(shown.copy(background.rect()), background);
        if (expected) { // the frame asked for, in the middle
            QCOMPARE(player.currentFrame(), expected > 0 ? expected : reader.imageCount());
            QImageReader frames(path);
            for (int i = 1; i < player.currentFrame(); ++i)
                frames.read();
            QCOMPARE(shown.copy(321, 0, 321, 241), frames.read().convertToFormat(QImage::Format_RGB32));
        }
    }
};

// The scientist's notebook beside the machine, on a 1280x1024 screen.
class NotebookTest : public WindowTest {
    Q_OBJECT
    QAbstractItemModel *table() { return control<QTableView>("esperimenti")->model(); }
    QString cell(int row, int column) { return table()->index(row, column).data().toString(); }
    QString minus(double x) { return QString::number(x - k_); }
    QString rowText(int row) { // its cells apart by "|"
        QStringList cells;
        for (int column = 0; column < ExperimentTable::ColumnCount; ++column)
            cells << cell(row, column);
        return cells.join(u'|');
    }
    int k_ = 0;         // the constant the calculation in use (Livello1, verde: x - C(1,2)) subtracts
    int narrowest_ = 0; // the window's narrowest without the notebook

private slots:
    void opensBesideTheMachine() {
        control<QAction>("Nascondi")->trigger();
        // Before the notebook exists the game keeps the experiments; the notebook shows them when built.
        experiment(u"5"_s, true);
        QVERIFY(!dock());
        narrowest_ = window_->minimumWidth();
        QTest::keyClick(window_.get(), Qt::Key_F2);
        QTRY_VERIFY(dock() && dock()->isVisible() && !dock()->isFloating());
        QCOMPARE(cell(0, ExperimentTable::InputColumn), u"5"_s);
        QTRY_COMPARE(QApplication::focusWidget(), control("modello"));
        // The machine's controls keep their room at the top left; the notebook lies wholly beside them,
        // over the window's whole height.
        QTRY_VERIFY(dock()->width() >= 500);
        const QRect notebook = dock()->geometry(), window(QPoint(0, 0), window_->size());
        const QPoint machine = window_->centralWidget()->mapTo(window_.get(), QPoint(0, 0));
        QVERIFY(!notebook.intersects(QRect(machine, QSize(twipsToPixels(10575), twipsToPixels(8415)))));
        QVERIFY(window.contains(notebook) && notebook.bottom() == window.bottom());
        QVERIFY(notebook.top() <= window_->menuBar()->height() + 2);
    }

    void modelMarksAndPredicts() {
        choose("Combo1", 0);
        choose("Combo2", 1); // "?" where x <= C(1,2)
        k_ = game().mechanismConstants().at(1, 2);
        QCOMPARE(cell(0, ExperimentTable::NoteColumn), u"altro meccanismo"_s);
        QTest::keyClicks(control("modello"), u"x - %1"_s.arg(k_));
        experiment(u"0"_s, false);
        experiment(u"12"_s, true);
        experiment(u"20.5"_s, false);
        QCOMPARE(table()->rowCount(), 4);
        QCOMPARE(QStringList({rowText(1), rowText(2), rowText(3)}),
                 QStringList({"0|?||" + minus(0) + "|✗|previsione",
                              "12|" + minus(12) + u"||"_s + minus(12) + "|✓|previsione",
                              "20.5|" + minus(20.5) + u"||"_s + minus(20.5) + "|✓|previsione"}));
        const QString summary = control<QLabel>("riepilogo")->text();
        QVERIFY2(summary.contains(u"spiega 2 esperimenti su 3 e ha previsto 2 esperimenti nuovi"_s),
                 qPrintable(summary));
        QTest::keyClicks(control("in1"), u"7"_s);
        QCOMPARE(control<QLabel>("previsione")->text(), u"Il tuo modello prevede: "_s + minus(7));
        control<QLineEdit>("in1")->clear();
        // The plot: the three counted experiments, "?" on its band above, the model's value beside each.
        NotebookPlot *plot = dock()->plot();
        QVERIFY(plot->showsBand() && plot->bandValue() > 20.5 - k_ && plot->outputPoints().size() == 3);
        QVERIFY(plot->outputPoints().contains(QPointF(0, plot->bandValue())) &&
                plot->outputPoints().contains(QPointF(12, 12 - k_)) &&
                plot->modelPoints().contains(QPointF(0, -k_)));
        auto *outputAxis = qobject_cast<QCategoryAxis *>(plot->chart()->axes(Qt::Vertical).constFirst());
        auto *inputAxis = qobject_cast<QCategoryAxis *>(plot->chart()->axes(Qt::Horizontal).constFirst());
        QVERIFY(outputAxis->categoriesLabels().contains(u"?"_s));
        for (const QPointF &point : plot->outputPoints() + plot->modelPoints())
            QVERIFY(inputAxis->min() < point.x() && point.x() < inputAxis->max() &&
                    outputAxis->min() < point.y() && point.y() < outputAxis->max());
        // A screen reader says what a mark means.
        QVERIFY(table()->index(1, ExperimentTable::MarkColumn).data(Qt::AccessibleTextRole) ==
                    "non spiegato" &&
                table()->index(2, ExperimentTable::MarkColumn).data(Qt::AccessibleTextRole) == "spiegato");
        // A mistake in the model is told under the field, its place underlined, and the marks wait for the
        // fix.
        QTest::keyClicks(control("modello"), u" * (2"_s);
        const auto &error = dock()->notebook().model().error();
        const QString told = control<QLabel>("modelloMessaggio")->text();
        const QString place = control<QLineEdit>("modello")->text().mid(error->position, error->length);
        QVERIFY2(error && told.contains(error->message) && told.contains("underline\">" + place + "</span>"),
                 qPrintable(told));
        QVERIFY(cell(2, ExperimentTable::MarkColumn).isEmpty() && plot->modelPoints().isEmpty());
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(control("modello"), Qt::Key_Backspace);
        // The model changed: what was run before it no longer counts as predicted.
        QVERIFY(control<QLabel>("modelloMessaggio")->text().isEmpty());
        QCOMPARE(rowText(2), "12|" + minus(12) + u"||"_s + minus(12) + "|✓|");
    }

    void tabMovesThroughTheNotebook() {
        // Tab goes from control to control, into the table and out of it, back to the machine, and
        // Shift+Tab back again; the row the keyboard lands on in the table shows, and the arrows move it.
        auto *view = control<QTableView>("esperimenti");
        view->setCurrentIndex(QModelIndex());
        view->scrollToTop();
        control("modello")->setFocus();
        QStringList visited;
        for (int i = 0; i < 10 && dock()->isAncestorOf(QApplication::focusWidget()); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited.mid(0, 6), QStringList({u"miaPrevisione"_s, u"esperimenti"_s, u"grafico"_s,
                                                 u"salvaPdf"_s, u"salvaLezione"_s, u"apriLezione"_s}));
        QVERIFY2(window_->centralWidget()->isAncestorOf(QApplication::focusWidget()),
                 qPrintable(visited.join(u' ')));
        for (qsizetype i = 2; i < visited.size(); ++i) // back to the table, the second stop
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), view);
        QCOMPARE(view->currentIndex().row(), table()->rowCount() - 1);
        QTest::keyClick(view, Qt::Key_Up);
        QCOMPARE(view->currentIndex().row(), table()->rowCount() - 2);
        QVERIFY(view->viewport()->rect().contains(view->visualRect(view->currentIndex())));
        QVERIFY(view->selectionModel()->isRowSelected(view->currentIndex().row(), QModelIndex()));
        control("in1")->setFocus();
    }

    void otherSettingsGreyRows_data() {
        QTest::addColumn<QString>("selector");
        QTest::addColumn<int>("item"); // -1: a level name is typed
        QTest::newRow("another colour") << u"Combo2"_s << 0;
        QTest::newRow("a level typed into the selector") << u"Combo1"_s << -1;
    }
    void otherSettingsGreyRows() {
        // The notes are the notebook's; here the rows go grey and leave the plot until the settings return.
        QFETCH(QString, selector);
        QFETCH(int, item);
        auto *combo = control<QComboBox>(qPrintable(selector));
        const int before = combo->currentIndex();
        item < 0 ? combo->setEditText(u"Livello2"_s) : choose(qPrintable(selector), item);
        for (int row = 1; row < 4; ++row)
            QCOMPARE(table()->index(row, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(150, 150, 150));
        QVERIFY(dock()->plot()->outputPoints().isEmpty());
        choose(qPrintable(selector), before);
        QVERIFY(cell(3, ExperimentTable::NoteColumn).isEmpty() && dock()->plot()->outputPoints().size() == 3);
    }

    void closingLosesNothing() {
        // Closed by its button, opened by the menu bar: nothing is lost, and an experiment
        // run while it was closed is there. A window made narrow meanwhile widens to make room again.
        const QString model = control<QLineEdit>("modello")->text();
        QTest::mouseClick(dock()->findChild<QAbstractButton *>(u"qt_dockwidget_closebutton"_s),
                          Qt::LeftButton);
        QTRY_VERIFY(!dock()->isVisible() && window_->minimumWidth() == narrowest_);
        window_->resize(narrowest_, window_->height());
        QTRY_COMPARE(window_->width(), narrowest_);
        experiment(u"30"_s, true);
        clickMenu(nullptr, "quaderno");
        QTRY_VERIFY(dock()->isVisible() && dock()->width() >= 300 && window_->minimumWidth() > narrowest_);
        QVERIFY(window_->screen()->geometry().contains(window_->frameGeometry()));
        QVERIFY(dock()->x() >= window_->centralWidget()->x() + twipsToPixels(10575));
        QVERIFY(control<QLineEdit>("modello")->text() == model && table()->rowCount() == 5);
        QCOMPARE(rowText(4), "30|" + minus(30) + u"||"_s + minus(30) + "|✓|previsione");
        QCOMPARE(dock()->plot()->outputPoints().size(), 4);
    }

    void plotNumbersAreWhole_data() {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<int>("notebook"); // its width; 0: the narrowest the window allows
        QTest::newRow("1366x768, the notebook narrowest") << QSize(1366, 740) << 0;
        QTest::newRow("1366x768, the notebook wide") << QSize(1366, 740) << 560;
        QTest::newRow("1280x1024") << QSize(1280, 990) << 400;
        QTest::newRow("a short window") << QSize(1100, 620) << 0;
    }
    void plotNumbersAreWhole() {
        // Every number on the plot's axes is shown whole, on screen and in the picture the PDF takes.
        QFETCH(QSize, window);
        QFETCH(int, notebook);
        const QRect before = window_->geometry();
        window_->resize(window);
        const int width = notebook > 0 ? notebook : 300;
        window_->resizeDocks({dock()}, {width}, Qt::Horizontal);
        QTest::qWait(200);
        NotebookPlot *plot = dock()->plot();
        QStringList labels, cut;
        for (QGraphicsItem *item : plot->scene()->items()) {
            if (item->type() != QGraphicsTextItem::Type || !item->isVisible())
                continue;
            const QString text = static_cast<QGraphicsTextItem *>(item)->toPlainText();
            labels << text;
            if (text.contains(u"..."_s) || text.contains(u'…'))
                cut << text;
        }
        // INGRANIX_WG_PICTURES: a folder that keeps the window and the saved PDF at each size, to look at.
        if (const QString folder = qEnvironmentVariable("INGRANIX_WG_PICTURES"); !folder.isEmpty()) {
            const QString name =
                folder + u'/' + QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_');
            window_->grab().save(name + u".png"_s);
            dock()->setFileChooser(std::make_unique<FixedChooser>(name));
            dock()->savePdf();
            dock()->setFileChooser(nullptr);
        }
        window_->setGeometry(before);
        QVERIFY2(labels.size() >= 6 && cut.isEmpty(),
                 qPrintable(labels.join(u' ') + u" | plot "_s + QString::number(plot->width()) + u'x' +
                            QString::number(plot->height())));
    }

    void savesPdfThroughTheDialog() {
        const QString chosen = files_.filePath(u"quaderno-prova"_s);
        QStringList refusals;
        answerFileDialog(this, chosen, &refusals);
        QTest::mouseClick(control("salvaPdf"), Qt::LeftButton);
        QVERIFY2(refusals.isEmpty(), qPrintable(refusals.join(u' ')));
        QVERIFY(control<QLabel>("salvaMessaggio")->text().contains(u"quaderno-prova.pdf"_s));
        // The page layout is the file tests' concern; here, that the saved notebook is this one.
        const QStringList lines = visibleLines(pdfTextLines(chosen + u".pdf"_s));
        QVERIFY2(lines.value(0) == "IX40 Livello1 verde" &&
                     lines.contains(u"Il mio modello: x - %1"_s.arg(k_)) &&
                     lines.contains(u"30 %1 %1 ✓ previsione"_s.arg(minus(30))) &&
                     lines.contains(u"input output mia previsione modello verifica nota"_s) &&
                     lines.contains(kindsText(dock()->notebook().kindsTried())),
                 qPrintable(lines.join(u'\n')));
        // A folder that cannot be written: the notebook says so, calmly.
        dock()->setFileChooser(std::make_unique<FixedChooser>(u"/nonexistent/quaderno"_s));
        QTest::mouseClick(control("salvaPdf"), Qt::LeftButton);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(control<QLabel>("salvaMessaggio")->text().startsWith(u"Non sono riuscito"_s));
    }

    void newMechanismEmptiesTheTable() {
        QTest::mouseClick(control("Command1"), Qt::LeftButton);
        QVERIFY(table()->rowCount() == 0 && dock()->plot()->outputPoints().isEmpty());
        // The newest experiment stays in sight however long the log grows.
        for (int i = 0; i < 40; ++i)
            experiment(QString::number(i), i % 2 == 0);
        auto *view = control<QTableView>("esperimenti");
        QVERIFY(view->viewport()->rect().contains(view->visualRect(table()->index(39, 0))));
        // Numbers near the double's limits stay in the table but off the plot, whose axes stay finite.
        experiment(u"1E+308"_s, true);
        experiment(u"-1E+308"_s, true);
        QVERIFY(table()->rowCount() == 42 && dock()->plot()->outputPoints().size() == 40);
        for (QAbstractAxis *axis : dock()->plot()->chart()->axes())
            QVERIFY(std::isfinite(qobject_cast<QCategoryAxis *>(axis)->min()) &&
                    std::isfinite(qobject_cast<QCategoryAxis *>(axis)->max()));
    }

    void notebookSpeaksAndShowsTheReading() {
        // A comma in the input: the row tells how the machine read it. What changed is announced once the
        // typing pauses, the summary too.
        experiment(u"3,5"_s, true);
        const int last = table()->rowCount() - 1;
        QCOMPARE(table()->index(last, ExperimentTable::InputColumn).data(Qt::ToolTipRole).toString(),
                 u"La macchina ha letto 3: i decimali si scrivono con il punto"_s);
        QVERIFY(table()->index(last - 1, ExperimentTable::InputColumn).data(Qt::ToolTipRole).isNull());
        auto *announcer = dock()->findChild<QWidget *>(u"annunci"_s);
        QTRY_VERIFY_WITH_TIMEOUT(announcer->accessibleName().contains(control<QLabel>("riepilogo")->text()),
                                 5000);
        QTest::keyClicks(control("modello"), u" +"_s);
        QTRY_VERIFY_WITH_TIMEOUT(
            announcer->accessibleName().startsWith(dock()->notebook().model().error()->message), 5000);
        QTest::keyClick(control("modello"), Qt::Key_Backspace);
        QTest::keyClick(control("modello"), Qt::Key_Backspace);
        // The title bar's buttons are named in Italian.
        auto *close = dock()->findChild<QAbstractButton *>(u"qt_dockwidget_closebutton"_s);
        QCOMPARE(QAccessible::queryAccessibleInterface(close)->text(QAccessible::Name),
                 u"Chiudi il quaderno"_s);
    }

    // A lesson saved, another game played, the lesson opened: the notebook and the log are back. A file
    // that is not a whole lesson, or a model with a mistake, changes nothing and is told in the notebook.
    void savesAndOpensALesson() {
        auto all = [this] {
            QStringList rows;
            for (int row = 0; row < table()->rowCount(); ++row)
                rows << rowText(row);
            return rows << control<QLineEdit>("modello")->text() << control<QLabel>("riepilogo")->text()
                        << game().experimentLog() << control<QComboBox>("Combo2")->currentText();
        };
        auto message = [this] { return control<QLabel>("lezioneMessaggio")->text(); };
        auto use = [this](const QString &name) {
            dock()->setFileChooser(std::make_unique<FixedChooser>(files_.filePath(name)));
        };
        const QStringList before = all();
        use(u"lezione-prova"_s);
        QTest::mouseClick(control("salvaLezione"), Qt::LeftButton);
        QCOMPARE(message(), u"Lezione salvata in lezione-prova.lezione."_s);

        QTest::mouseClick(control("Command1"), Qt::LeftButton);
        choose("Combo2", 2);
        experiment(u"4"_s, false);
        control<QLineEdit>("modello")->setText(u"x"_s);
        use(u"lezione-prova.lezione"_s);
        QTest::mouseClick(control("apriLezione"), Qt::LeftButton);
        QCOMPARE(message(), u"Lezione aperta: lezione-prova.lezione."_s);
        QCOMPARE(all(), before);

        QFile cut(files_.filePath(u"tagliata.lezione"_s));
        QFile whole(files_.filePath(u"lezione-prova.lezione"_s));
        QVERIFY(whole.open(QIODevice::ReadOnly) && cut.open(QIODevice::WriteOnly));
        cut.write(whole.readAll().chopped(40));
        cut.close();
        use(u"tagliata.lezione"_s);
        QTest::mouseClick(control("apriLezione"), Qt::LeftButton);
        QCOMPARE(message(), lessonfile::problemText(lessonfile::Problem::Truncated));
        QCOMPARE(all(), before);

        control<QLineEdit>("modello")->setText(u"x -"_s);
        use(u"sbagliata"_s);
        QTest::mouseClick(control("salvaLezione"), Qt::LeftButton);
        QCOMPARE(message(), u"Sistema il modello prima di salvare la lezione."_s);
        QVERIFY(!QFile::exists(files_.filePath(u"sbagliata.lezione"_s)));
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    // A long lesson keeps every row in the table; the plot keeps a point per small cell of its area.
    void longLessonPlotsLightly() {
        lessonfile::Lesson lesson;
        lesson.saved = QDateTime::currentDateTime();
        lesson.mechanism = {u"Livello1"_s, u"verde"_s, u"verde"_s, 1, {}};
        for (int i = 0; i < 3000; ++i)
            lesson.experiments.push_back(
                {QString::number(i), QString::number(3 * i), u"Livello1"_s, u"verde"_s, 1, {}, false, {}});
        const QString path = files_.filePath(u"lunga.lezione"_s);
        QCOMPARE(lessonfile::save(path, lesson), lessonfile::Problem::None);
        dock()->setFileChooser(std::make_unique<FixedChooser>(path));
        QTest::mouseClick(control("apriLezione"), Qt::LeftButton);
        QCOMPARE(table()->rowCount(), 3000);
        const QList<QPointF> points = dock()->plot()->outputPoints();
        QVERIFY2(points.size() >= 200 && points.size() <= 2000, qPrintable(QString::number(points.size())));
        for (const QPointF &point : points)
            QCOMPARE(point.y(), 3 * point.x());
    }

    // The player's own prediction: a number typed, a prediction beside the model's, Enter in the field.
    void myPredictionBesideTheModel() {
        QTest::mouseClick(control("Command1"), Qt::LeftButton);
        control<QLineEdit>("modello")->clear();
        auto *in1 = control<QLineEdit>("in1");
        auto *mine = control<QLineEdit>("miaPrevisione");
        QStringList expected;
        for (const QString &input : {u"4"_s, u"0"_s}) {
            ConstantsTable constants = game().mechanismConstants();
            const QString output =
                runMechanism(control<QComboBox>("Combo1")->currentText(), game().mechanismIndex(),
                             {input, game().gearColour(), constants, u"."});
            // The first prediction is the machine's output written with a comma where it has a point.
            const QString guess = input == u"4"    ? QString(output).replace(u'.', u',')
                                  : output == u"?" ? u"7"_s
                                                   : u"?"_s;
            QTest::keyClicks(in1, input);
            QTest::mouseClick(mine, Qt::LeftButton);
            QTest::keyClicks(mine, guess);
            QTest::keyClick(mine, Qt::Key_Return);
            QVERIFY(in1->text().isEmpty() && mine->text().isEmpty());
            expected << input + u'|' + output + u'|' + guess + (input == u"4" ? u" ✓"_s : u" ✗"_s) + u"|||"_s;
        }
        QCOMPARE(QStringList({rowText(0), rowText(1)}), expected);
        QVERIFY(QApplication::focusWidget() == in1);
        QCOMPARE(control<QLabel>("riepilogo")->text(),
                 u"Scrivi un modello per vedere quanti esperimenti spiega. Hai previsto 1 risultato su 2."_s);
        QCOMPARE(
            table()->index(1, ExperimentTable::MyPredictionColumn).data(Qt::AccessibleTextRole).toString(),
            u"la mia previsione "_s + expected[1].section(u'|', 2).section(u' ', 0, 0) +
                u", diversa dall'output"_s);
        // The marks of the kinds tried, said as a sentence to a screen reader.
        auto *kinds = control<QLabel>("numeriProvati");
        QVERIFY2(kinds->accessibleName().startsWith(
                     u"Numeri provati: interi positivi, zero. Non ancora: negativi"_s),
                 qPrintable(kinds->accessibleName()));
        QVERIFY(kinds->text().contains(u"✓&nbsp;zero"_s) && kinds->text().contains(u"○&nbsp;negativi"_s));
        // With the notebook closed the field's text belongs to no experiment.
        QTest::keyClicks(mine, u"9"_s);
        QTest::keyClick(window_.get(), Qt::Key_F2);
        QTRY_VERIFY(!dock()->isVisible());
        experiment(u"5"_s, true);
        QTest::keyClick(window_.get(), Qt::Key_F2);
        QTRY_VERIFY(dock()->isVisible());
        QVERIFY(cell(2, ExperimentTable::MyPredictionColumn).isEmpty() && mine->text() == u"9"_s);
        mine->clear();
    }

    // Five predictions of the player's own come true in a row, with no model: the guide suggests writing
    // the rule down, in its balloon; not while it is put away, and then at the next chance.
    void coachSpeaksThroughTheGuide() {
        GuideAgent &guide = window_->guide();
        // Put away (an opened lesson brought it out): what was queued passes at once, unseen.
        control<QAction>("Nascondi")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!guide.isBusy(), 20000);
        QStringList spoken;
        connect(&guide, &GuideAgent::requestStarted, this, [&](const QString &kind, const QString &detail) {
            if (kind == u"speak")
                spoken << detail;
        });
        auto predicted = [this](const QString &input) {
            ConstantsTable constants = game().mechanismConstants();
            const QString output =
                runMechanism(control<QComboBox>("Combo1")->currentText(), game().mechanismIndex(),
                             {input, game().gearColour(), constants, u"."});
            QTest::keyClicks(control("in1"), input);
            QTest::keyClicks(control("miaPrevisione"), output);
            QTest::keyClick(control("miaPrevisione"), Qt::Key_Return);
        };
        QVERIFY(!guide.isShownOnScreen());
        for (int i = 6; i <= 10; ++i)
            predicted(QString::number(i));
        QVERIFY(control<QLabel>("riepilogo")->text().endsWith(u"Hai previsto 6 risultati su 7."_s));
        QTest::qWait(200);
        QVERIFY2(spoken.isEmpty() && !guide.isBusy(), qPrintable(spoken.join(u'\n')));
        control<QAction>("Mostra")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(guide.isIdleOnScreen(), 20000);
        predicted(u"11"_s);
        const QString start = u"Per cinque volte di fila"_s;
        QTRY_VERIFY_WITH_TIMEOUT(guide.balloonText().startsWith(start), 10000);
        QVERIFY2(spoken.size() == 1 && spoken[0].startsWith(start), qPrintable(spoken.join(u'\n')));
        // Said once for this mechanism.
        guide.stopAll();
        QTRY_VERIFY_WITH_TIMEOUT(guide.isIdleOnScreen(), 20000);
        predicted(u"12"_s);
        QTest::qWait(200);
        QCOMPARE(spoken.size(), 1);
        disconnect(&guide, nullptr, this, nullptr);
        control<QAction>("Nascondi")->trigger();
    }
};

// Hours of play in a minute: seeded random player events on the real window, after which memory must
// have stopped growing. INGRANIX_STORM_EVENTS sets their number (4000), INGRANIX_STORM_SEED the seed.
class StormTest : public WindowTest {
    Q_OBJECT
    // One random event, sent to the window as the display server would, to an open popup first: a
    // click anywhere but on the file menu (whose dialogs a storm cannot answer), a key, a text, or an
    // item of the Istruzioni and Assistente menus.
    void stormEvent(QRandomGenerator &random) {
        static const Qt::Key keys[] = {Qt::Key_Return, Qt::Key_Tab,    Qt::Key_Backspace,
                                       Qt::Key_Escape, Qt::Key_Up,     Qt::Key_Down,
                                       Qt::Key_Space,  Qt::Key_Delete, Qt::Key_F2};
        static const char *const texts[] = {"7", "-3", "2.5", "abc", "40000", "1E400", "è"};
        static const char *const items[] = {"obiettivo", "controlli", "operazioni", "Mostra", "Nascondi"};
        QWindow *window = window_->windowHandle();
        QMenuBar *bar = window_->menuBar();
        const int pick = int(random.bounded(100));
        if (pick < 40) {
            const QRect file = bar->actionGeometry(control<QMenu>("file")->menuAction());
            const QPoint point(int(random.bounded(window_->width())), int(random.bounded(window_->height())));
            if (!file.translated(bar->mapTo(window_.get(), QPoint(0, 0))).contains(point))
                QTest::mouseClick(window, Qt::LeftButton, {}, point);
        } else if (pick < 70) {
            QTest::keyClick(window, keys[random.bounded(int(std::size(keys)))]);
        } else if (pick < 90) {
            for (const QChar c : QString::fromUtf8(texts[random.bounded(int(std::size(texts)))]))
                QTest::sendKeyEvent(QTest::Click, window, Qt::Key_unknown, QString(c), Qt::NoModifier);
        } else {
            auto *action = control<QAction>(items[random.bounded(int(std::size(items)))]);
            auto *menu = qobject_cast<QMenu *>(action->parent());
            clickOnBar(bar, menu->menuAction());
            if (menu->isVisible()) // else the click closed an open menu instead, as a player's would
                clickInMenu(menu, action);
        }
    }

private slots:
    void memoryStopsGrowing() {
        const int events = std::max(qEnvironmentVariableIntValue("INGRANIX_STORM_EVENTS"), 0);
        QRandomGenerator random(qEnvironmentVariable("INGRANIX_STORM_SEED", u"12"_s).toUInt());
        // What is built once, on first use, is built now: the notebook, its PDF dialog answered
        // "cancel" as a player would, and the about panel's emblem. Any dialog that comes up anyway is
        // closed and noted.
        clickMenu(nullptr, "quaderno");
        clickMenu(nullptr, "informazioni");
        QTest::keyClick(control("Label6"), Qt::Key_Space);
        dock()->setFileChooser(std::make_unique<FixedChooser>());
        QStringList dialogs;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&dialogs] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                dialogs << QString::fromLatin1(modal->metaObject()->className());
                modal->close();
            }
        });
        closer.start(100);
        const auto *figure = static_cast<const FigureWindow *>(window_->guide().figureWindow());
        double warmResident = 0;
        qsizetype warmFrames = 0;
        for (int done = 1; done <= (events > 0 ? events : 4000); ++done) {
            stormEvent(random);
            QTest::qWait(1);
            if (done == 1000) {
                warmResident = residentMiB();
                warmFrames = figure->cachedBytes();
            }
        }
        QVERIFY2(dialogs.isEmpty(), qPrintable(dialogs.join(u' ')));
        // The guide's frame cache fills as the guide happens to move, up to a bound of its own; the
        // rest must not grow. A leak of 1.5 MiB per thousand events would pass the margin within the
        // three thousand events after the first thousand; the margin leaves room for a one-time step.
        const double growth =
            residentMiB() - warmResident - double(figure->cachedBytes() - warmFrames) / (1 << 20);
        qInfo("resident %.1f MiB, grown %.1f MiB after the first thousand events", residentMiB(), growth);
        QVERIFY2(warmResident == 0 || growth < 3.0, qPrintable(QString::number(growth)));
    }
};

int main(int argc, char *argv[]) {
    prepareFault();
    QApplication app(argc, argv);
    const QString part = qEnvironmentVariable("INGRANIX_WG_PART");
    // The notebook's runs build its dock in this program, to look inside it; the whole game loads it
    // from the notebook's module, as the shipped program does.
    if (!part.isEmpty())
        MainWindow::setNotebookFactory([](Game &game, const Board &board, QLineEdit *in1, QComboBox *combo1,
                                          QWidget *parent) -> QDockWidget * {
            return new NotebookDock(game, board, in1, combo1, parent);
        });
    const std::unique_ptr<QObject> test(part == u"notebook" ? static_cast<QObject *>(new NotebookTest)
                                        : part == u"storm"  ? static_cast<QObject *>(new StormTest)
                                                            : new WholeGameTest);
    return QTest::qExec(test.get(), argc, argv);
}

#include "tst_wholegame.moc"
