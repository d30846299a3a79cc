#pragma once

// What every test of the real window shares: the faults a run plays under (INGRANIX_WG_FAULT, see
// CMakeLists.txt), the scratch folders, answering file dialogs, and one started window with the ways
// a player reaches its controls.

#include "files/lessonfile.h"
#include "files/logprintout.h"
#include "files/mechanismrecord.h"
#include "files/pdftext.h"
#include "guide/guideagent.h"
#include "mechanisms/mechanisms.h"
#include "play/game.h"
#include "ui/experimenttable.h"
#include "ui/machinecontrols.h"
#include "ui/mainwindow.h"
#include "ui/movieplayer.h"
#include "ui/notebookdock.h"
#include "ui/notebookplot.h"

#include <QCategoryAxis>
#include <QPrinterInfo>
#include <QTextToSpeech>
#include <QtTest>
#include <QtWidgets>

using namespace ingranix;
using namespace Qt::Literals::StringLiterals;

namespace ingranix::windowtest {

inline QString fault() {
    return qEnvironmentVariable("INGRANIX_WG_FAULT");
}

// Folders made before QApplication exists; they live until the process ends.
inline QTemporaryDir &scratch() {
    static QTemporaryDir dir;
    return dir;
}

// Sets up what the run's environment (see CMakeLists.txt) cannot: Qt without its speech engines, and
// a resource folder that can go mid-game.
inline void prepareFault() {
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
inline QString resourceFolder() {
    const bool failing = fault() == u"noresources" || fault() == u"vanishing";
    return failing ? scratch().filePath(u"resources"_s) : QCoreApplication::applicationDirPath();
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
inline void answerFileDialog(QObject *context, const QString &path, QStringList *refusals,
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
        QAbstractButton *accept = dialog->findChild<QDialogButtonBox *>()->button(
            dialog->acceptMode() == QFileDialog::AcceptSave ? QDialogButtonBox::Save
                                                            : QDialogButtonBox::Open);
        dialog->findChild<QLineEdit *>(u"fileNameEdit"_s)->setText(path);
        if (accept->isEnabled())
            QTest::mouseClick(accept, Qt::LeftButton);
        else if (!QFileInfo(path).dir().exists()) // its folder went: the dialog will not take it
            *refusals << accept->text() + u" disabled"_s;
    });
    poll->start(50);
}

} // namespace ingranix::windowtest

using namespace ingranix::windowtest;

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
        // A window that has just gone (the guide's) may hand its focus on after the menu opened, and the
        // menu closes, as it would for a player on a slow machine: like the player, click again.
        bool open = false;
        for (int attempt = 0; attempt < 3 && !open; ++attempt) {
            clickOnBar(bar, menu->menuAction());
            open = QTest::qWaitFor([menu] { return menu->isVisible(); }, 2000);
        }
        QVERIFY(open);
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
    // What the calculation in use gives for `input`, worked out apart from the window.
    QString outputFor(const QString &input) {
        ConstantsTable constants = game().mechanismConstants();
        return runMechanism(control<QComboBox>("Combo1")->currentText(), game().mechanismIndex(),
                            {input, game().gearColour(), constants, u"."});
    }
    // One experiment as the player runs it, by the button or by Enter: the output is the
    // calculation's, logged and announced to screen readers, and the input box is emptied and focused.
    void experiment(const QString &input, bool byEnter) {
        const QString expected = outputFor(input);
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

public:
    // The notebook's runs build it in this program, to look inside it; null: from its module, as the
    // shipped program does.
    NotebookFactory notebookFactory = nullptr;

private slots:
    void initTestCase() {
        window_ = std::make_unique<MainWindow>(resourceFolder());
        window_->setNotebookFactory(notebookFactory);
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

// The main() of a run: the fault set up before QApplication exists, then the tests of `Test`.
template <typename Test>
int runWindowTest(int argc, char *argv[], NotebookFactory notebookFactory = nullptr) {
    prepareFault();
    QApplication app(argc, argv);
    Test test;
    test.notebookFactory = notebookFactory;
    return QTest::qExec(&test, argc, argv);
}
