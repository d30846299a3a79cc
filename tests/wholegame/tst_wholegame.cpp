// Whole games on a real X server: the player's clicks and keys go to the real window, the real file
// dialogs, the real printing system and the real guide. The same binary also runs under faults
// (INGRANIX_WG_FAULT=noprinter|nospeech|noresources|readonlyhome|nohome|vanishing) and at
// QT_SCALE_FACTOR=2; "vanishing" takes folders, the printer and the pictures away mid-game.

#include "filedialog.h"
#include "files/logprintout.h"
#include "files/mechanismrecord.h"
#include "files/pdftext.h"
#include "guide/guideagent.h"
#include "mechanisms/mechanisms.h"
#include "play/game.h"
#include "ui/machinecontrols.h"
#include "ui/mainwindow.h"
#include "ui/movieplayer.h"
#include "ui/twips.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextToSpeech>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>

using namespace ingranix;

namespace {

QString fault() {
    return qEnvironmentVariable("INGRANIX_WG_FAULT");
}

double scaleFactor() {
    const QByteArray scale = qgetenv("QT_SCALE_FACTOR");
    return scale.isEmpty() ? 1.0 : scale.toDouble();
}

// Folders made before QApplication exists; they live until the process ends.
QTemporaryDir &scratch() {
    static QTemporaryDir dir;
    return dir;
}

// A folder nobody may write into, even root (for whom permission bits do not count).
QString readOnlyFolder() {
    const QString made = scratch().filePath(QStringLiteral("home"));
    QDir().mkpath(made);
    QFile::setPermissions(made, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                                    QFile::ReadOther | QFile::ExeOther);
    for (const QString &candidate : {made, QStringLiteral("/proc")}) {
        QFile probe(candidate + QStringLiteral("/probe"));
        if (!probe.open(QIODevice::WriteOnly))
            return candidate;
        probe.close();
        probe.remove();
    }
    return QStringLiteral("/proc");
}

// Qt's plugin folders as links, all but the speech engines: Qt then finds no speech engine.
QString pluginsWithoutSpeech() {
    const QString folder = scratch().filePath(QStringLiteral("plugins"));
    QDir().mkpath(folder);
    const QString system = QLibraryInfo::path(QLibraryInfo::PluginsPath);
    for (const QString &entry : QDir(system).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (entry != u"texttospeech")
            QFile::link(system + u'/' + entry, folder + u'/' + entry);
    return folder;
}

// Sets up the fault before Qt reads the environment; children inherit it.
void prepareFault() {
    const QString kind = fault();
    if (kind == u"readonlyhome") {
        const QByteArray home = readOnlyFolder().toLocal8Bit();
        for (const char *name :
             {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
            qputenv(name, home);
    } else if (kind == u"nospeech") {
        QCoreApplication::setLibraryPaths({pluginsWithoutSpeech()});
    } else if (kind == u"noprinter") {
        qputenv("CUPS_SERVER", "/nonexistent/cups.sock");
    } else if (kind == u"nohome") {
        for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME",
                                 "XDG_STATE_HOME", "XDG_RUNTIME_DIR"})
            qunsetenv(name);
    } else if (kind == u"vanishing") {
        // The game plays from a copy of its pictures, movies and guide, which the test later removes.
        const QString copy = scratch().filePath(QStringLiteral("resources"));
        QDir().mkpath(copy);
        const QDir build(
            QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath());
        for (const QFileInfo &entry : build.entryInfoList(QDir::Files))
            if (!entry.isExecutable())
                QFile::copy(entry.absoluteFilePath(), copy + u'/' + entry.fileName());
    }
}

// Copies `program` alone into `folder` (no pictures, movies or guide beside it); with nospeech a
// qt.conf points it at the plugins without speech engines.
QString copyAlone(const QString &program, const QString &folder) {
    QDir().mkpath(folder);
    const QString copy = folder + u'/' + QFileInfo(program).fileName();
    QFile::remove(copy);
    if (!QFile::copy(program, copy))
        return {};
    if (fault() == u"nospeech") {
        QFile conf(folder + QStringLiteral("/qt.conf"));
        if (conf.open(QIODevice::WriteOnly))
            conf.write("[Paths]\nPlugins=" + pluginsWithoutSpeech().toUtf8() + '\n');
    }
    return copy;
}

// Where a program under test runs from: the build folder, or a lone copy of it when the fault is
// a missing resource folder or a missing speech engine (qt.conf must lie beside the program, and
// then the resources are linked beside it too).
QString placeProgram(const QString &program, const QString &folder) {
    if (fault() != u"noresources" && fault() != u"nospeech")
        return program;
    const QString copy = copyAlone(program, folder);
    if (fault() == u"nospeech") {
        const QDir build(QCoreApplication::applicationDirPath());
        for (const QFileInfo &entry : build.entryInfoList(QDir::Files))
            if (!entry.isExecutable())
                QFile::link(entry.absoluteFilePath(), folder + u'/' + entry.fileName());
    }
    return copy;
}

QString resourceFolder() {
    if (fault() == u"noresources")
        return scratch().filePath(QStringLiteral("no-resources-here"));
    if (fault() == u"vanishing")
        return scratch().filePath(QStringLiteral("resources"));
    return QCoreApplication::applicationDirPath();
}

// Runs a CUPS administration command; false when it cannot (no CUPS, not allowed).
bool cupsAdmin(const QStringList &arguments) {
    QProcess admin;
    admin.start(QStringLiteral("lpadmin"), arguments);
    return admin.waitForFinished(10000) && admin.exitStatus() == QProcess::NormalExit &&
           admin.exitCode() == 0;
}

// The last step of a game, in a process of its own: an experiment by Enter, then "esci" from the
// file menu. Leaves a line per fact on standard output; exits 3 if the game does not quit in time.
int playAndQuit() {
    MainWindow window(resourceFolder());
    window.showMaximized();
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] { std::puts("aboutToQuit"); });
    QTimer::singleShot(0, &window, [&window] {
        if (!QTest::qWaitForWindowExposed(&window))
            std::puts("not exposed");
        for (int i = 0; i < 200 && !window.game().started(); ++i)
            QTest::qWait(50);
        auto *in1 = window.findChild<QLineEdit *>(QStringLiteral("in1"));
        QTest::keyClicks(in1, QStringLiteral("7"));
        QTest::keyClick(in1, Qt::Key_Return);
        std::printf("experiments %d\n", int(window.game().experimentCount()));
        QMenu *file = window.findChild<QMenu *>(QStringLiteral("file"));
        QMenuBar *bar = window.menuBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(file->menuAction()).center());
        for (int i = 0; i < 100 && !file->isVisible(); ++i)
            QTest::qWait(20);
        auto *esci = window.findChild<QAction *>(QStringLiteral("esci"));
        std::fflush(stdout);
        QTest::mouseClick(file, Qt::LeftButton, {}, file->actionGeometry(esci).center());
    });
    QTimer::singleShot(20000, [] {
        std::puts("still running");
        std::fflush(stdout);
        std::_Exit(3);
    });
    const int status = QApplication::exec();
    std::fflush(stdout);
    return status;
}

} // namespace

class WholeGameTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void faultIsInPlace();
    void controlsKeepTheirPlace_data();
    void controlsKeepTheirPlace();
    void noTextIsCut();
    void chooseLevelByMouse();
    void chooseColourByKeyboard();
    void experimentsByButtonAndEnter();
    void drawNewMechanism();
    void saveAndOpenThroughDialogs();
    void print();
    void guideShowsAndHides();
    void aboutPanelOpensAndCloses();
    void f10OpensTheFileMenu();
    void picturesVanishWhilePlaying();
    void folderVanishesUnderFileDialog();
    void printerVanishesBetweenPrints();
    void quitWithEsci();
    void realProgramStartsAndQuits();

private:
    template <typename T> T *control(const char *name) {
        T *found = window_->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qFatal("control %s is missing", name);
        return found;
    }
    void clickMenu(const char *menuName, const char *actionName);
    void clickMenuBarItem(const char *actionName);
    void experiment(const QString &input, bool byEnter);
    bool guideSays(const QString &start, const std::function<void()> &action);

    std::unique_ptr<MainWindow> window_;
    QTemporaryDir files_;
};

void WholeGameTest::initTestCase() {
    QVERIFY(files_.isValid());
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    window_ = std::make_unique<MainWindow>(resourceFolder());
    // No window manager under Xvfb: the window is given the screen's room itself.
    window_->showMaximized();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QTRY_VERIFY_WITH_TIMEOUT(window_->game().started(), 10000);
    window_->game().setDecimalSeparator(QStringLiteral("."));
    QCOMPARE(control<QListWidget>("List1")->count(), 1);
    QCOMPARE(window_->devicePixelRatio(), scaleFactor());
}

void WholeGameTest::cleanupTestCase() {
    window_.reset();
}

void WholeGameTest::faultIsInPlace() {
    // A fault run that silently had no fault would prove nothing.
    const QString kind = fault();
    if (kind == u"noprinter")
        QVERIFY(QPrinterInfo::defaultPrinter().isNull());
    else if (kind == u"nospeech")
        QVERIFY(QTextToSpeech::availableEngines().isEmpty());
    else if (kind == u"noresources")
        QVERIFY(!QFileInfo::exists(window_->game().resourcePath(QStringLiteral("lucir.gif"))));
    else if (kind == u"readonlyhome")
        QVERIFY(!QFile(QDir::homePath() + QStringLiteral("/probe")).open(QIODevice::WriteOnly));
    else if (kind == u"nohome")
        QVERIFY(qEnvironmentVariableIsEmpty("HOME"));
    else if (kind == u"vanishing")
        QVERIFY(QFileInfo::exists(window_->game().resourcePath(QStringLiteral("lucir.gif"))));
    else
        QVERIFY(kind.isEmpty());
}

void WholeGameTest::controlsKeepTheirPlace_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("Frame1") << "Frame1" << QRect(240, 2400, 2415, 2175);
    QTest::newRow("shock1") << "shock1" << QRect(3000, 720, 4815, 3615);
    QTest::newRow("Frame2") << "Frame2" << QRect(8160, 2400, 2415, 2175);
    QTest::newRow("Frame3") << "Frame3" << QRect(2040, 4680, 6495, 3015);
    QTest::newRow("in1") << "in1" << QRect(240, 360, 1935, 1410);
    QTest::newRow("out1") << "out1" << QRect(240, 480, 1935, 1215);
    QTest::newRow("exp") << "exp" << QRect(720, 1200, 2175, 615);
    QTest::newRow("Command1") << "Command1" << QRect(3600, 1200, 2175, 615);
    QTest::newRow("Combo1") << "Combo1" << QRect(720, 2040, 2175, 315);
    QTest::newRow("Combo2") << "Combo2" << QRect(3600, 2040, 2175, 315);
    QTest::newRow("Image1") << "Image1" << QRect(720, 480, 570, 570);
    QTest::newRow("Image4 stands third") << "Image4" << QRect(2520, 480, 570, 570);
    QTest::newRow("Image3 stands fourth") << "Image3" << QRect(3360, 480, 570, 570);
    QTest::newRow("Image6") << "Image6" << QRect(5160, 480, 570, 570);
    QTest::newRow("Shape3") << "Shape3" << QRect(5040, 4320, 375, 855);
    QTest::newRow("Label6") << "Label6" << QRect(5160, 120, 285, 360);
    QTest::newRow("List1") << "List1" << QRect(2760, 7920, 4335, 495);
    QTest::newRow("Frame4") << "Frame4" << QRect(2760, 1080, 5535, 3255);
}

void WholeGameTest::controlsKeepTheirPlace() {
    // In device-independent pixels the layout is the same at every scale; on screen each control
    // takes scale times as many pixels.
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    QWidget *widget = window_->findChild<QWidget *>(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(widget->geometry(), twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    const QPixmap picture = widget->grab();
    QCOMPARE(picture.devicePixelRatio(), scaleFactor());
    QCOMPARE(picture.size(), (QSizeF(widget->size()) * scaleFactor()).toSize());
}

// The room a label or button gives its text, and that text; an empty rectangle for other widgets.
QRect textRoom(QWidget *widget, QString *text) {
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        *text = label->text();
        const int margin = label->margin();
        return label->contentsRect().adjusted(margin, margin, -margin, -margin);
    }
    if (auto *button = qobject_cast<QPushButton *>(widget)) {
        *text = button->text();
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    }
    return {};
}

void WholeGameTest::noTextIsCut() {
    // Every text the player can see is whole, line by line, in its control's own font; the about
    // panel's too, and the longest number text a calculation writes.
    auto *about = control<QWidget>("Frame4");
    about->show();
    auto *out1 = control<OutputLabel>("out1");
    const QString shown = out1->text();
    out1->setCaption(QStringLiteral("-0.000123456789012346"));
    QStringList cut;
    for (QWidget *widget : window_->findChildren<QWidget *>()) {
        QString text;
        const QRect room = textRoom(widget, &text);
        if (room.isEmpty() || !widget->isVisible() || isDecorative(widget))
            continue;
        const QFontMetrics metrics = widget->fontMetrics();
        const QStringList lines = text.split(u'\n');
        int widest = 0;
        for (const QString &line : lines)
            widest = std::max(widest, metrics.horizontalAdvance(line));
        const int height = metrics.height() + int(lines.size() - 1) * metrics.lineSpacing();
        if (widest > room.width() || height > room.height())
            cut << QStringLiteral("%1 \"%2\" needs %3x%4, has %5x%6")
                       .arg(widget->objectName(), text)
                       .arg(widest)
                       .arg(height)
                       .arg(room.width())
                       .arg(room.height());
    }
    out1->setCaption(shown);
    about->hide();
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
}

void WholeGameTest::chooseLevelByMouse() {
    auto *combo = control<QComboBox>("Combo1");
    QTest::mouseClick(combo, Qt::LeftButton, {}, QPoint(combo->width() - 4, combo->height() / 2));
    QAbstractItemView *view = combo->view();
    QTRY_VERIFY(view->isVisible());
    // The popup ignores a release that comes too soon after it opened, as from the opening click.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QRect item = view->visualRect(combo->model()->index(1, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    QTRY_VERIFY(!view->isVisible());
    QCOMPARE(combo->currentText(), QStringLiteral("Livello2"));
    QCOMPARE(control<QGroupBox>("Frame1")->title(), QStringLiteral("Livello2"));
    QCOMPARE(control<QGroupBox>("Frame2")->title(), QStringLiteral("Livello2"));
    QCOMPARE(window_->game().levelChoiceCount(), qint16(1));
}

void WholeGameTest::chooseColourByKeyboard() {
    auto *combo = control<QComboBox>("Combo2");
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down, Qt::AltModifier);
    QAbstractItemView *view = combo->view();
    QTRY_VERIFY(view->isVisible());
    for (int i = 0; i < 8 && view->currentIndex().row() != 2; ++i)
        QTest::keyClick(view, Qt::Key_Down);
    QCOMPARE(view->currentIndex().row(), 2);
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY(!view->isVisible());
    QCOMPARE(window_->game().gearColour(), QStringLiteral("blu"));
    const QImage box = control<QLineEdit>("in1")->grab().toImage();
    QCOMPARE(box.pixelColor(box.width() / 2, 6), QColor(0, 0, 255));
}

void WholeGameTest::experiment(const QString &input, bool byEnter) {
    Game &game = window_->game();
    ConstantsTable constants = game.mechanismConstants();
    const QString expected = runMechanism(control<QComboBox>("Combo1")->currentText(), game.mechanismIndex(),
                                          {input, game.gearColour(), constants, u"."});
    const int logged = control<QListWidget>("List1")->count();
    auto *in1 = control<QLineEdit>("in1");
    QTest::mouseClick(in1, Qt::LeftButton);
    in1->selectAll();
    QTest::keyClicks(in1, input);
    if (byEnter)
        QTest::keyClick(in1, Qt::Key_Return);
    else
        QTest::mouseClick(control<QPushButton>("exp"), Qt::LeftButton);
    QCOMPARE(control<QLabel>("out1")->text(), expected);
    QCOMPARE(control<QLabel>("out1")->accessibleName(), QStringLiteral("output: ") + expected);
    auto *list = control<QListWidget>("List1");
    QCOMPARE(list->count(), logged + 1);
    QCOMPARE(list->item(logged)->text(), input + u'\t' + expected);
    QCOMPARE(in1->text(), QString());
}

void WholeGameTest::experimentsByButtonAndEnter() {
    experiment(QStringLiteral("5"), false);
    experiment(QStringLiteral("12"), true);
    experiment(QStringLiteral("-3"), false);
    QCOMPARE(window_->game().experimentCount(), qint16(3));
    QStringList shown;
    for (int i = 0; i < control<QListWidget>("List1")->count(); ++i)
        shown << control<QListWidget>("List1")->item(i)->text();
    QCOMPARE(shown, window_->game().experimentLog());
}

void WholeGameTest::drawNewMechanism() {
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    QCOMPARE(control<QListWidget>("List1")->count(), 1);
    const qint16 index = window_->game().mechanismIndex();
    QVERIFY(index >= 1 && index <= 9);
    experiment(QStringLiteral("4"), true);
}

void WholeGameTest::clickMenu(const char *menuName, const char *actionName) {
    QMenuBar *bar = window_->menuBar();
    QMenu *menu = control<QMenu>(menuName);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
    QTRY_VERIFY(menu->isVisible());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(control<QAction>(actionName)).center());
}

void WholeGameTest::clickMenuBarItem(const char *actionName) {
    QMenuBar *bar = window_->menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(control<QAction>(actionName)).center());
}

void WholeGameTest::saveAndOpenThroughDialogs() {
    Game &game = window_->game();
    const qint16 savedIndex = game.mechanismIndex();
    const ConstantsTable savedConstants = game.mechanismConstants();
    const QString savedColour = game.gearColour();
    const QString path = files_.filePath(QStringLiteral("partita"));

    bool answered = false;
    answerFileDialog(this, path, &answered);
    clickMenu("file", "salva");
    QVERIFY(answered);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QFile saved(path + QStringLiteral(".txt"));
    QVERIFY2(saved.exists(), "the save dialog's name gets .txt");

    // The player moves on (the new mechanism follows the clock's seconds, so the test makes sure
    // every saved fact differs), then opens the saved game again.
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    game.setMechanismIndex(qint16(savedIndex % 9 + 1));
    game.setMechanismConstants(ConstantsTable());
    game.setGearColour(QStringLiteral("verde"));
    answerFileDialog(this, saved.fileName(), &answered);
    clickMenu("file", "apri");
    QVERIFY(answered);
    QCOMPARE(game.mechanismIndex(), savedIndex);
    QCOMPARE(game.gearColour(), savedColour);
    QVERIFY(game.mechanismConstants() == savedConstants);
    QCOMPARE(control<QComboBox>("Combo1")->currentText(), QStringLiteral("Livello2"));
    QCOMPARE(control<QComboBox>("Combo2")->currentText(), QStringLiteral("blu"));
    // No window manager gives the window back its activation: ask where its focus lies.
    QTRY_COMPARE(window_->focusWidget(), control<QWidget>("in1"));
    experiment(QStringLiteral("9"), true);
}

void WholeGameTest::print() {
    const QString spool =
        qEnvironmentVariable("INGRANIX_PRINT_SPOOL", QStringLiteral("/var/spool/ingranix-printed"));
    const bool havePrinter = !QPrinterInfo::defaultPrinter().isNull();
    if (!havePrinter && fault().isEmpty())
        QSKIP("no default printer on this machine (tools/ci/setup-printer.sh makes one)");
    const QStringList before = QDir(spool).entryList({QStringLiteral("job-*.pdf")}, QDir::Files);
    const QStringList expected =
        logprintout::lines(control<QComboBox>("Combo1")->currentText(),
                           control<QComboBox>("Combo2")->currentText(), window_->game().experimentLog());
    GuideAgent &guide = window_->guide();
    const int queued = guide.pendingRequests();
    QSignalSpy guideStarted(&guide, &GuideAgent::requestStarted);
    clickMenu("file", "stampa");
    // Whatever happens, the player never meets a dialog.
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    if (!havePrinter) {
        // The guide tells the player instead (its queue may still be busy with earlier speech).
        bool told = guide.pendingRequests() >= queued + 2;
        for (const QList<QVariant> &request : guideStarted)
            told =
                told || request.at(1).toString().startsWith(QStringLiteral("Non sono riuscito a stampare"));
        QVERIFY(told);
        experiment(QStringLiteral("1"), false); // and the game goes on
        return;
    }
    // Other programs may print into the same queue meanwhile: the job is the new one with our text.
    QString difference = QStringLiteral("no new job in %1").arg(spool);
    QTRY_VERIFY2_WITH_TIMEOUT(
        [&] {
            for (const QString &name : QDir(spool).entryList({QStringLiteral("job-*.pdf")}, QDir::Files)) {
                if (before.contains(name))
                    continue;
                difference = comparePrinted(pdfTextLines(spool + u'/' + name), expected);
                if (difference.isEmpty())
                    return true;
            }
            return false;
        }(),
        qPrintable(difference), 30000);
}

void WholeGameTest::guideShowsAndHides() {
    GuideAgent &guide = window_->guide();
    clickMenu("Assmenu", "Nascondi");
    QTRY_VERIFY_WITH_TIMEOUT(!guide.isShownOnScreen(), 20000);
    clickMenu("Assmenu", "Mostra");
    QTRY_VERIFY_WITH_TIMEOUT(guide.isShownOnScreen(), 20000);
    clickMenu("Assmenu", "Nascondi");
    QTRY_VERIFY_WITH_TIMEOUT(!guide.isShownOnScreen(), 20000);
    // The game answers while the guide is away.
    experiment(QStringLiteral("2"), false);
}

void WholeGameTest::aboutPanelOpensAndCloses() {
    // By mouse, and by keyboard alone: the focus goes into the panel and back to the input box.
    auto *about = control<QWidget>("Frame4");
    auto *close = control<QPushButton>("Label6");
    auto *in1 = control<QWidget>("in1");
    QVERIFY(!about->isVisible());
    clickMenuBarItem("informazioni");
    QTRY_VERIFY(about->isVisible());
    QCOMPARE(window_->focusWidget(), close);
    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(!about->isVisible());
    QCOMPARE(window_->focusWidget(), in1);

    clickMenuBarItem("informazioni");
    QTRY_VERIFY(about->isVisible());
    in1->setFocus();
    for (int i = 0; i < 10 && window_->focusWidget() != close; ++i)
        QTest::keyClick(window_->focusWidget(), Qt::Key_Tab);
    QCOMPARE(window_->focusWidget(), close);
    QTest::keyClick(close, Qt::Key_Space);
    QVERIFY(!about->isVisible());
    QCOMPARE(window_->focusWidget(), in1);

    clickMenuBarItem("informazioni");
    QTRY_VERIFY(about->isVisible());
    // Keys for shortcuts go to the active window; no window manager makes it active here.
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClick(window_->focusWidget(), Qt::Key_Escape);
    QVERIFY(!about->isVisible());
    QCOMPARE(window_->focusWidget(), in1);
}

void WholeGameTest::f10OpensTheFileMenu() {
    QMenu *file = control<QMenu>("file");
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClick(control<QWidget>("in1"), Qt::Key_F10);
    QTRY_VERIFY(file->isVisible());
    QTest::keyClick(file, Qt::Key_Escape);
    QTRY_VERIFY(!file->isVisible());
}

// Runs `action` on a guide with nothing else to do, and waits for it to start saying `start`.
bool WholeGameTest::guideSays(const QString &start, const std::function<void()> &action) {
    GuideAgent &guide = window_->guide();
    guide.stopAll();
    bool said = false;
    const auto watch =
        connect(&guide, &GuideAgent::requestStarted, this, [&](const QString &kind, const QString &detail) {
            said = said || (kind == u"speak" && detail.startsWith(start));
        });
    action();
    const bool heard = QTest::qWaitFor([&] { return said; }, 10000);
    disconnect(watch);
    return heard;
}

// The pictures, the movies and the guide's file go while the game plays: the lights keep what they
// show, a movie that is gone shows its background, and every experiment still gives its result.
void WholeGameTest::picturesVanishWhilePlaying() {
    if (fault() != u"vanishing")
        QSKIP("only when things vanish");
    auto *colours = control<QComboBox>("Combo2");
    colours->setCurrentIndex(0);
    emit colours->activated(0);
    QVERIFY(control<MoviePlayer>("shock1")->hasMovie());
    QVERIFY(QDir(resourceFolder()).removeRecursively());
    const qint16 tick = window_->game().lightTick();
    experiment(QStringLiteral("3"), false); // the movie of a file now gone plays
    colours->setCurrentIndex(1);
    emit colours->activated(1);
    QVERIFY(!control<MoviePlayer>("shock1")->hasMovie());
    experiment(QStringLiteral("6"), true);
    QTRY_VERIFY(window_->game().lightTick() >= tick + 3);
    QCOMPARE(window_->game().gearColour(), QStringLiteral("verde"));
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

// A folder goes (a memory stick pulled) while the file dialog shows it.
void WholeGameTest::folderVanishesUnderFileDialog() {
    if (fault() != u"vanishing")
        QSKIP("only when things vanish");
    const QString stick = files_.filePath(QStringLiteral("chiavetta"));
    QVERIFY(QDir().mkpath(stick));
    bool answered = false;
    answerFileDialog(this, stick + QStringLiteral("/partita"), &answered,
                     [stick] { QDir(stick).removeRecursively(); });
    QVERIFY(guideSays(QStringLiteral("Non sono riuscito a salvare"), [&] { clickMenu("file", "salva"); }));
    QVERIFY(answered);
    QVERIFY(!QFileInfo::exists(stick));

    // Opening: the dialog does not take the name of a file that is gone, and the game changes nothing.
    QVERIFY(QDir().mkpath(stick));
    QVERIFY(mechanismfile::appendRecord(stick + QStringLiteral("/gioco.txt"), MechanismState{}));
    const MachineSettings before = window_->game().settings();
    QStringList refusals;
    answerFileDialog(
        this, stick + QStringLiteral("/gioco.txt"), &answered, [stick] { QDir(stick).removeRecursively(); },
        &refusals);
    clickMenu("file", "apri");
    QVERIFY(!refusals.isEmpty());
    QVERIFY(window_->game().settings() == before);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    experiment(QStringLiteral("2"), true);
}

// The printer is taken away between two printouts: the first prints, the second is told about.
void WholeGameTest::printerVanishesBetweenPrints() {
    if (fault() != u"vanishing")
        QSKIP("only when things vanish");
    const QString queue = QStringLiteral("IngranixVanishing%1").arg(QCoreApplication::applicationPid());
    if (!cupsAdmin({QStringLiteral("-p"), queue, QStringLiteral("-v"), QStringLiteral("ingranixkeep:/"),
                    QStringLiteral("-E")}))
        QSKIP("cannot add a printer here (needs CUPS as root and tools/ci/setup-printer.sh)");
    qputenv("PRINTER", queue.toLocal8Bit()); // this process's default printer
    const auto removeQueue = qScopeGuard([&] {
        cupsAdmin({QStringLiteral("-x"), queue});
        qunsetenv("PRINTER");
    });
    QCOMPARE(QPrinterInfo::defaultPrinterName(), queue);
    GuideAgent &guide = window_->guide();
    guide.stopAll();
    clickMenu("file", "stampa");
    QCOMPARE(guide.pendingRequests(), 0); // printed: nothing to tell

    QVERIFY(cupsAdmin({QStringLiteral("-x"), queue}));
    QVERIFY(guideSays(QStringLiteral("Non sono riuscito a stampare"), [&] { clickMenu("file", "stampa"); }));
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    experiment(QStringLiteral("7"), false);
}

void WholeGameTest::quitWithEsci() {
    // QApplication::quit only ends a running event loop, which a QtTest does not have: the last
    // step runs in a process of its own, this same program in its playAndQuit mode.
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString program = placeProgram(QCoreApplication::applicationFilePath(), folder.path());
    QVERIFY(!program.isEmpty());
    QProcess game;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("INGRANIX_WG_CHILD"), QStringLiteral("playAndQuit"));
    game.setProcessEnvironment(env);
    game.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    game.start(program, {});
    QVERIFY(game.waitForFinished(30000));
    const QString output = QString::fromUtf8(game.readAllStandardOutput());
    QCOMPARE(game.exitStatus(), QProcess::NormalExit);
    QVERIFY2(game.exitCode() == 0, qPrintable(output));
    QVERIFY2(output.contains(QStringLiteral("experiments 1\n")), qPrintable(output));
    QVERIFY2(output.contains(QStringLiteral("aboutToQuit\n")), qPrintable(output));
}

void WholeGameTest::realProgramStartsAndQuits() {
    // The installed program itself, under the same fault: it must paint its window and end calmly.
    const QString built = QCoreApplication::applicationDirPath() + QStringLiteral("/ingranix");
    if (!QFileInfo::exists(built))
        QSKIP("the ingranix program is not built beside this test");
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString program = placeProgram(built, folder.path());
    QVERIFY(!program.isEmpty());
    QProcess game;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("INGRANIX_QUIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
    game.setProcessEnvironment(env);
    game.setProcessChannelMode(QProcess::ForwardedChannels);
    game.start(program, {});
    QVERIFY(game.waitForFinished(30000));
    QCOMPARE(game.exitStatus(), QProcess::NormalExit);
    QCOMPARE(game.exitCode(), 0);
}

int main(int argc, char *argv[]) {
    prepareFault();
    QApplication app(argc, argv);
    if (qEnvironmentVariable("INGRANIX_WG_CHILD") == u"playAndQuit")
        return playAndQuit();
    WholeGameTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_wholegame.moc"
