#include "mainwindow.h"

#include "adapters.h"
#include "announcer.h"
#include "guide/guideagent.h"
#include "largerpicture.h"
#include "machinecontrols.h"
#include "machinesurface.h"
#include "mechanisms/settingnames.h"
#include "movieplayer.h"
#include "play/game.h"
#include "twips.h"
#include "windowstyle.h"
#include "zoom.h"

#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPixmapCache>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

namespace ingranix {

namespace {

const QColor navy(0, 0, 128);
const QColor red(255, 0, 0);

// Pixels: the least height of a control a finger hits on a whiteboard.
constexpr int touchHeight = 40;

// The Frame3 buttons' raised blue look, sunk while pressed and ringed in yellow with the focus.
// Its border and corners grow with the zoom.
QString commandButtonRules(double zoom = 1.0) {
    return QStringLiteral("QPushButton { background-color: rgb(0,0,192); color: white;"
                          " border: %1px outset rgb(80,80,255); border-radius: %2px; }"
                          "QPushButton:pressed { border-style: inset; background-color: rgb(0,0,150); }"
                          "QPushButton:focus { border-color: rgb(255,220,0); }")
        .arg(std::lround(2 * zoom))
        .arg(std::lround(4 * zoom));
}

// One colour of a widget's palette; a background colour is also filled in behind the widget.
void setRoleColour(QWidget *widget, QPalette::ColorRole role, const QColor &value) {
    QPalette palette = widget->palette();
    palette.setColor(role, value);
    widget->setPalette(palette);
    if (role == QPalette::Window)
        widget->setAutoFillBackground(true);
}

// Near equivalents of the original fonts, all metric-friendly sans faces found on every desktop.
QFont panelFont(double points, bool bold = true) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// The menu bar's own items ("Informazioni", "Quaderno") reached with the keys: Enter or Space runs
// them as a click does. Qt's menu bar only does so where the style asks for Alt-key navigation, and
// the highlight it leaves behind is taken down when the keyboard leaves the bar.
class MenuBarKeys : public QObject {
public:
    MenuBarKeys(QMenuBar *bar, QWidget *home) : QObject(bar), bar_(bar), home_(home) {
        bar->installEventFilter(this);
        // Arrowed from an open menu onto an item without one: the keys must now reach the bar. Slid
        // onto it with the mouse, the keyboard stays where it was.
        connect(bar, &QMenuBar::hovered, this, [this](QAction *action) {
            if (!action->menu() && QApplication::activePopupWidget() && byKeys_)
                bar_->setFocus(Qt::MenuBarFocusReason);
        });
    }

    // Its menus tell whether the player moves through them with the keys or the mouse.
    void watch(QMenu *menu) { menu->installEventFilter(this); }

    // F10: the first menu opens, and the keys stay with the bar when the arrows leave it.
    void open(QAction *first) {
        bar_->setFocus(Qt::MenuBarFocusReason);
        bar_->setActiveAction(nullptr); // a highlight left from the mouse would keep the menu shut
        bar_->setActiveAction(first);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::MouseMove)
            byKeys_ = event->type() == QEvent::KeyPress;
        if (watched != bar_)
            return event->type() == QEvent::KeyPress &&
                   arrowToNextMenu(watched, static_cast<QKeyEvent *>(event));
        if (event->type() == QEvent::FocusOut) {
            if (static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason &&
                !QApplication::activePopupWidget())
                bar_->setActiveAction(nullptr);
            return false;
        }
        if (event->type() != QEvent::KeyPress)
            return false;
        QAction *action = bar_->activeAction();
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape) {
            leave();
            return true;
        }
        if (!action || (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Space))
            return false;
        if (action->menu()) {
            bar_->setActiveAction(action); // opens it
        } else {
            leave(); // before the item runs, so that it may put the keyboard elsewhere
            action->trigger();
        }
        return true;
    }

private:
    void leave() {
        bar_->setActiveAction(nullptr);
        home_->setFocus(Qt::OtherFocusReason);
    }

    // Left or Right in an open menu opens the next menu as F10 opens the first: the bar keeps the
    // highlight, so a screen reader says the menu's name ("Istruzioni"), and Down enters it. Qt would
    // move straight onto the next menu's first item, and the name is never heard.
    bool arrowToNextMenu(QObject *watched, const QKeyEvent *key) {
        auto *menu = qobject_cast<QMenu *>(watched);
        const int step = key->key() == Qt::Key_Right ? 1 : key->key() == Qt::Key_Left ? -1 : 0;
        if (!step || !menu || key->modifiers() != Qt::NoModifier || QApplication::activePopupWidget() != menu)
            return false;
        const QList<QAction *> actions = bar_->actions();
        const qsizetype count = actions.size();
        const qsizetype at = actions.indexOf(menu->menuAction());
        if (at < 0)
            return false;
        for (qsizetype i = 1; i < count; ++i) {
            QAction *next = actions.at(((at + step * i) % count + count) % count);
            if (!next->isVisible() || next->isSeparator() || !next->isEnabled())
                continue;
            if (!next->menu())
                return false; // an item of the bar itself: Qt already leaves the keys with the bar
            open(next);
            return true;
        }
        return false;
    }

    QMenuBar *bar_;
    QWidget *home_;
    bool byKeys_ = false;
};

} // namespace

MainWindow::MainWindow(const QString &resourceFolder, QWidget *parent)
    : QMainWindow(parent), resourceFolder_(resourceFolder) {
    if (!qobject_cast<WindowStyle *>(QApplication::style()))
        QApplication::setStyle(new WindowStyle);
    installMachineAccessibility();
    setObjectName(QStringLiteral("ingranix1"));
    setWindowTitle(QStringLiteral("Ingranix(IX40)"));

    auto *surface = new MachineSurface(this);
    surface->setObjectName(QStringLiteral("surface"));
    setCentralWidget(surface);

    // Colours come from palettes and the frames' own painting. Style sheets only dress the few controls
    // that need their borders, each on its own: a sheet on the window would restyle every control as
    // the game starts.
    buildMachine(surface);
    buildControlPanel(surface);
    buildAboutPanel(surface);
    buildMenus();
    describeForScreenReaders();
    announcer_ = new Announcer(this);
    resize(twipsToPixels(4680), twipsToPixels(3090) + menuBar()->sizeHint().height());
    // The machine needs this much room; smaller windows would hide the controls.
    setMinimumSize(twipsToPixels(machineWidthTwips),
                   twipsToPixels(machineHeightTwips) + menuBar()->sizeHint().height());
    // The designed fonts, as set above, are what every zoom scales.
    for (Placed &entry : placed_)
        entry.points = entry.widget->font().pointSizeF();
    surface->installEventFilter(this);
    setProperty("machineWidth", machineSize().width());
    setProperty("machineMinimumWidth", machineSize().width());

    guide_ = std::make_unique<GuideAgent>();
    MachineView &view = *this;
    board_ = std::make_unique<WidgetBoard>(machine_, view);
    movie_ = std::make_unique<MovieControl>(*machine_.shock1, view);
    clock_ = std::make_unique<SystemClock>();
    random_ = std::make_unique<FixedSequenceRandom>();
    chooser_ = std::make_unique<DialogFileChooser>(this);
    printer_ = std::make_unique<DefaultLogPrinter>();
    GameServices services{
        *board_, *movie_, *guide_, *clock_, *random_, *chooser_, *printer_, resourceFolder_, [this] {
            const QScreen *shown = screen() ? screen() : QGuiApplication::primaryScreen();
            return shown ? shown->geometry().size() : QSize(1024, 768);
        }};
    game_ = std::make_unique<Game>(services);

    connect(machine_.exp, &QPushButton::clicked, this, [this] { game_->exp_Click(); });
    connect(machine_.command1, &QPushButton::clicked, this, [this] { game_->Command1_Click(); });
    connect(machine_.in1, &QLineEdit::returnPressed, this, [this] { game_->in1_KeyPress(13); });
    // The choice is said after the game has moved the keyboard to the input box: a screen reader
    // speaks the newest thing, and the choice is what the player must hear.
    connect(machine_.combo1, &Selector::chosen, this, [this] {
        game_->Combo1_Click();
        announceChoice(machine_.combo1);
    });
    connect(machine_.combo1, &QComboBox::editTextChanged, this, [this] { game_->Combo1_Change(); });
    connect(machine_.combo2, &Selector::chosen, this, [this] {
        game_->Combo2_Click();
        announceChoice(machine_.combo2);
    });
    // Enter in a selector runs nothing, but hands the keyboard to the input box, where Enter does.
    for (Selector *selector : {machine_.combo1, machine_.combo2})
        connect(selector, &Selector::enterPressed, this,
                [this] { machine_.in1->setFocus(Qt::OtherFocusReason); });
    connect(timer1_, &QTimer::timeout, this, [this] { game_->Timer1_Timer(); });
    timer1_->start();
}

MainWindow::~MainWindow() = default;

void MainWindow::announceChoice(QComboBox *selector) {
    announcer_->announce(selector->accessibleName() + QStringLiteral(": ") +
                         selector->currentText().trimmed());
}

QGroupBox *MainWindow::makeFrame(QWidget *parent, const char *name, const QString &caption, QRect twips) {
    auto *frame = new PanelFrame(caption, {navy, QColor(90, 90, 200), 1, QPoint(9, 2), red}, parent);
    frame->setObjectName(QString::fromLatin1(name));
    place(frame, twips);
    frame->setFont(panelFont(8.25));
    return frame;
}

QLabel *MainWindow::makeLabel(QWidget *parent, const char *name, const QString &text, QRect twips) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    place(label, twips);
    return label;
}

QPushButton *MainWindow::makeButton(QWidget *parent, const char *name, const QString &caption, QRect twips) {
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    place(button, twips);
    button->setFont(panelFont(8.25));
    return button;
}

Selector *MainWindow::makeSelector(QWidget *parent, const char *name, const QString &prompt,
                                   const QStringList &items, QRect twips) {
    auto *combo = new Selector(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(true);
    // Typing into the selector must not add items: only the game's names are offered.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    combo->setEditText(prompt);
    place(combo, twips);
    combo->setFont(panelFont(8.25));
    // Coloured by its palette, not by the style sheet: a style sheet rule hands the style a fresh
    // palette at every paint, and the style then caches yet another picture of the box each time.
    QPalette palette = combo->palette();
    for (const QPalette::ColorRole role : {QPalette::Base, QPalette::Button, QPalette::Window})
        palette.setColor(role, QColor(0, 0, 255));
    for (const QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
        palette.setColor(role, Qt::white);
    combo->setPalette(palette);
    combo->view()->setStyleSheet(QStringLiteral("background-color: rgb(0,0,255); color: white;"
                                                " selection-background-color: rgb(255,0,0);"));
    return combo;
}

QLabel *MainWindow::makeLight(QWidget *parent, const char *name, QRect twips) {
    QLabel *light = makeLabel(parent, name, QString(), twips);
    light->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    markDecorative(light);
    return light; // its design picture comes with startUp()
}

void MainWindow::buildMachine(QWidget *surface) {
    // Label7 has no window of its own in the machine: it lies beneath the frames and the movie.
    machine_.label7 = makeLabel(surface, "Label7", QStringLiteral("In"), QRect(1560, 2880, 255, 300));
    machine_.label7->setFont(panelFont(12));

    machine_.frame1 = makeFrame(surface, "Frame1", QStringLiteral("Frame1"), QRect(240, 2400, 2415, 2175));
    machine_.shock1 = new MoviePlayer(surface);
    machine_.shock1->setObjectName(QStringLiteral("shock1"));
    place(machine_.shock1, QRect(3000, 720, 4815, 3615));
    machine_.frame2 = makeFrame(surface, "Frame2", QStringLiteral("Frame1"), QRect(8160, 2400, 2415, 2175));

    const struct {
        const char *name;
        QRect twips;
    } bars[] = {{"Shape1", {2520, 3360, 855, 375}},
                {"Shape2", {7800, 3360, 855, 375}},
                {"Shape3", {5040, 4320, 375, 855}}};
    for (const auto &bar : bars) {
        auto *shape = new QFrame(surface);
        shape->setObjectName(QString::fromLatin1(bar.name));
        place(shape, bar.twips);
        setRoleColour(shape, QPalette::Window, navy);
        markDecorative(shape);
        shape->lower();
    }
    machine_.label7->lower();
    markDecorative(machine_.label7); // always covered: by the input frame at rest, by the movie after a trip

    const QFont bigFont = panelFont(36);
    machine_.in1 = new QLineEdit(QStringLiteral(" "), machine_.frame1);
    machine_.in1->setObjectName(QStringLiteral("in1"));
    place(machine_.in1, QRect(240, 360, 1935, 1410));
    machine_.in1->setAlignment(Qt::AlignCenter);
    machine_.in1->setFont(bigFont);
    WidgetBoard::paintBox(machine_.in1, Qt::white);
    QLabel *label1 =
        makeLabel(machine_.frame1, "Label1", QStringLiteral("input"), QRect(720, 1800, 615, 300));
    label1->setFont(panelFont(12));
    setRoleColour(label1, QPalette::WindowText, red);
    machine_.in2 = new QLineEdit(QStringLiteral(" "), machine_.frame1);
    machine_.in2->setObjectName(QStringLiteral("in2"));
    place(machine_.in2, QRect(1080, 1440, 1095, 375));
    machine_.in2->hide();
    QLabel *lbl2 = makeLabel(machine_.frame1, "lbl2", QStringLiteral("input/2"), QRect(120, 1440, 720, 300));
    lbl2->hide();

    machine_.out1 = new OutputLabel(bigFont, machine_.frame2);
    machine_.out1->setObjectName(QStringLiteral("out1"));
    place(machine_.out1, QRect(240, 480, 1935, 1215));
    machine_.out1->setAlignment(Qt::AlignCenter);
    WidgetBoard::paintBox(machine_.out1, Qt::white);
    QLabel *label4 =
        makeLabel(machine_.frame2, "Label4", QStringLiteral("output"), QRect(720, 1800, 795, 300));
    label4->setFont(panelFont(12));
    setRoleColour(label4, QPalette::WindowText, red);
    QLabel *lbl4 = makeLabel(machine_.frame2, "lbl4", QStringLiteral("output/2"), QRect(120, 1440, 885, 300));
    lbl4->hide();
    machine_.out2 = makeLabel(machine_.frame2, "out2", QString(), QRect(1200, 1320, 1095, 375));
    WidgetBoard::paintBox(machine_.out2, Qt::white);
    machine_.out2->hide();

    machine_.list1 = new QListWidget(surface);
    machine_.list1->setObjectName(QStringLiteral("List1"));
    place(machine_.list1, QRect(2760, 7920, 4335, 495));
    machine_.list1->setFont(panelFont(18));
    machine_.list1->hide();
    for (QWidget *neverShown :
         std::initializer_list<QWidget *>{machine_.in2, lbl2, lbl4, machine_.out2, machine_.list1})
        markDecorative(neverShown);
}

void MainWindow::buildControlPanel(QWidget *surface) {
    machine_.frame3 =
        makeFrame(surface, "Frame3", QStringLiteral("Quadro di comando"), QRect(2040, 4680, 6495, 3015));
    QPushButton *exp = machine_.exp =
        makeButton(machine_.frame3, "exp", QStringLiteral("esperimento"), QRect(720, 1200, 2175, 615));
    QPushButton *command1 = machine_.command1 =
        makeButton(machine_.frame3, "Command1", QStringLiteral("    nuovo meccanismo         di calcolo"),
                   QRect(3600, 1200, 2175, 615));
    // The caption's blanks wrap it onto two lines on the original button; here the break is explicit.
    command1->setText(QStringLiteral("nuovo meccanismo\ndi calcolo"));
    exp->setStyleSheet(commandButtonRules());
    command1->setStyleSheet(commandButtonRules());
    machine_.combo1 = makeSelector(machine_.frame3, "Combo1", QStringLiteral("                Livello"),
                                   textsOf(levelNames), QRect(720, 2040, 2175, 315));
    machine_.combo2 = makeSelector(machine_.frame3, "Combo2", QStringLiteral("           ingranaggi"),
                                   textsOf(gearColourNames), QRect(3600, 2040, 2175, 315));

    const struct {
        const char *name;
        int left;
    } lights[] = {{"Image1", 720},  {"Image2", 1680}, {"Image3", 3360},
                  {"Image4", 2520}, {"Image5", 4320}, {"Image6", 5160}};
    for (int i = 0; i < 6; ++i)
        machine_.lights[i] = makeLight(machine_.frame3, lights[i].name, QRect(lights[i].left, 480, 570, 570));

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(200);

    setTabOrder(machine_.combo1, command1);
    setTabOrder(command1, exp);
    setTabOrder(exp, machine_.in1);
    setTabOrder(machine_.in1, machine_.out1);
    setTabOrder(machine_.out1, machine_.combo2);
}

void MainWindow::buildAboutPanel(QWidget *surface) {
    machine_.frame4 =
        new PanelFrame(QStringLiteral("Informazioni"),
                       {QColor(255, 192, 128), QColor(128, 128, 128), 2, QPoint(10, 2), QColor()}, surface);
    machine_.frame4->setObjectName(QStringLiteral("Frame4"));
    place(machine_.frame4, QRect(2760, 1080, 5535, 3255));

    // A flat button drawn as the design's boxed "X", so that the keyboard reaches it too.
    machine_.label6 = new QPushButton(QStringLiteral("X"), machine_.frame4);
    machine_.label6->setObjectName(QStringLiteral("Label6"));
    place(machine_.label6, QRect(5160, 120, 285, 360));
    machine_.label6->setFont(panelFont(12));
    machine_.label6->setFlat(true);
    machine_.label6->setCursor(Qt::PointingHandCursor);
    machine_.label6->setStyleSheet(
        QStringLiteral("QPushButton { color: rgb(255,0,0); background: transparent;"
                       " border: 1px solid black; padding: 0px; }"
                       "QPushButton:focus { border-style: dashed; }"));
    connect(machine_.label6, &QPushButton::clicked, this, &MainWindow::Label6_Click);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), machine_.frame4);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &MainWindow::Label6_Click);

    machine_.image8 = makeLabel(machine_.frame4, "Image8", QString(), QRect(0, 240, 1095, 1095));
    // Fitted whole rather than stretched, so the machine keeps its shape in the square box.
    machine_.image8->setAlignment(Qt::AlignCenter);

    const struct {
        const char *name;
        const char *text;
        QRect twips;
        QColor ink; // invalid: the palette's text colour
        bool bold = false;
    } labels[] = {
        {"lblTitle", "Ingranix", {1080, 480, 1485, 195}, Qt::black, true},
        {"lblVersion", "Versione del 4/11/04", {1050, 780, 1515, 195}, {}},
        {"lblDescription",
         "Gioco didattico sul concetto di modello",
         {1080, 1125, 3015, 195}, // wider than designed: the near-equivalent font needs the room
         Qt::black},
        {"lblDisclaimer", "Ideato e realizzato dal gruppo Ingranix", {1080, 1440, 3015, 195}, Qt::black},
        {"Label5", "Con la collaborazione di", {1680, 1800, 1920, 195}, {}}, // wider, likewise
        {"Label3", "insegnanti e alunni delle nostre scuole", {960, 2160, 3000, 195}, {}},
    };
    for (const auto &entry : labels) {
        QLabel *label = makeLabel(machine_.frame4, entry.name, QString::fromUtf8(entry.text), entry.twips);
        if (entry.ink.isValid())
            setRoleColour(label, QPalette::WindowText, entry.ink);
        label->setFont(panelFont(8, entry.bold));
    }
    // The web-site label stays empty: the game has no address of its own to show.
    QLabel *label2 = makeLabel(machine_.frame4, "Label2", QString(), QRect(840, 2640, 3615, 495));
    setRoleColour(label2, QPalette::WindowText, QColor(255, 128, 0));
    label2->setFont(panelFont(18));
    markDecorative(label2);

    auto *line1 = new QFrame(machine_.frame4);
    line1->setObjectName(QStringLiteral("Line1"));
    place(line1, QRect(0, 2520, 5520, int(twipsPerPixel))); // one pixel high at the designed size
    setRoleColour(line1, QPalette::Window, QColor(128, 128, 128));
    markDecorative(line1);

    machine_.frame4->hide();
}

void MainWindow::buildMenus() {
    QMenuBar *bar = menuBar();
    auto addItem = [this](QMenu *menu, const char *name, auto handler) {
        QAction *action = menu->addAction(QString::fromLatin1(name));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };

    QMenu *file = bar->addMenu(QStringLiteral("file"));
    file->setObjectName(QStringLiteral("file"));
    // F10 opens the menu bar, as on most desktops, for players who cannot use the mouse.
    auto *keys = new MenuBarKeys(bar, machine_.in1);
    connect(new QShortcut(QKeySequence(Qt::Key_F10), this), &QShortcut::activated, this,
            [keys, file] { keys->open(file->menuAction()); });
    // The desktop's usual keys, so a teacher finds save, open, print and quit where they expect.
    addItem(file, "salva", [this] { game_->salva_Click(); })->setShortcut(QKeySequence::Save);
    addItem(file, "apri", [this] { game_->apri_Click(); })->setShortcut(QKeySequence::Open);
    addItem(file, "stampa", [this] { game_->stampa_Click(); })->setShortcut(QKeySequence::Print);
    addItem(file, "esci", [] { QApplication::quit(); })->setShortcut(QKeySequence::Quit);

    QMenu *instructions = bar->addMenu(QStringLiteral("Istruzioni"));
    instructions->setObjectName(QStringLiteral("istruzioni"));
    addItem(instructions, "obiettivo", [this] { game_->obiettivo_Click(); });
    addItem(instructions, "controlli", [this] { game_->controlli_Click(); });
    addItem(instructions, "operazioni", [this] { game_->operazioni_Click(); });

    QMenu *assistant = bar->addMenu(QStringLiteral("Assistente"));
    assistant->setObjectName(QStringLiteral("Assmenu"));
    addItem(assistant, "Mostra", [this] { game_->Mostra_Click(); });
    addItem(assistant, "Nascondi", [this] { game_->Nascondi_Click(); });

    for (QMenu *menu : {file, instructions, assistant}) {
        keys->watch(menu);
        // A screen reader names an open menu by its accessible name (Qt's default is the empty window title).
        menu->setAccessibleName(menu->title());
    }

    QAction *about = bar->addAction(QStringLiteral("Informazioni"));
    about->setObjectName(QStringLiteral("informazioni"));
    connect(about, &QAction::triggered, this, &MainWindow::informazioni_Click);

    QAction *notebook = bar->addAction(QStringLiteral("Quaderno"));
    notebook->setObjectName(QStringLiteral("quaderno"));
    notebook->setShortcut(Qt::Key_F2);
    connect(notebook, &QAction::triggered, this, &MainWindow::toggleNotebook);

    keys->watch(buildViewMenu(bar));
}

QMenu *MainWindow::buildViewMenu(QMenuBar *bar) {
    QMenu *view = bar->addMenu(QStringLiteral("Vista"));
    view->setObjectName(QStringLiteral("vista"));
    view->setAccessibleName(view->title());
    auto addItem = [this, view](const char *name, const char *text, QList<QKeySequence> keys, auto handler) {
        QAction *action = view->addAction(QString::fromUtf8(text));
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcuts(keys);
        // The keys work wherever the keyboard is in the window, the notebook included.
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    // Ctrl+= too: on an Italian or American keyboard "+" needs Shift, "=" does not.
    addItem("ingrandisci", "Ingrandisci",
            {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)},
            [this] { setZoom(zoom::stepIn(zoom_)); });
    addItem("riduci", "Riduci", {QKeySequence(Qt::CTRL | Qt::Key_Minus)},
            [this] { setZoom(zoom::stepOut(zoom_)); });
    addItem("dimensioneOriginale", "Dimensione originale", {QKeySequence(Qt::CTRL | Qt::Key_0)},
            [this] { setZoom(1.0); });
    QAction *fit = addItem("adatta", "Adatta alla finestra", {}, [this](bool on) { setFitToWindow(on); });
    fit->setCheckable(true);
    connect(this, &MainWindow::zoomChanged, fit, [this, fit] { fit->setChecked(fit_); });
    return view;
}

QSize MainWindow::machineSize(double zoom) {
    return {twipsToPixels(machineWidthTwips, zoom), twipsToPixels(machineHeightTwips, zoom)};
}

void MainWindow::place(QWidget *widget, QRect twips) {
    widget->setGeometry(twipsRect(twips, zoom_).translated(machineOrigin(widget)));
    placed_.push_back({widget, twips, 0});
}

void MainWindow::setZoom(double zoom) {
    fit_ = false;
    applyZoom(zoom::bounded(zoom));
    updateMinimumSize();
    // A window too small for the new zoom grows, as far as its screen allows.
    const QSize wanted = minimumSize();
    if ((width() < wanted.width() || height() < wanted.height()) && !isMaximized() && !isFullScreen())
        resize(size().expandedTo(wanted));
}

void MainWindow::setFitToWindow(bool fit) {
    fit_ = fit;
    updateMinimumSize();
    if (fit)
        refit();
    else
        emit zoomChanged(zoom_);
}

void MainWindow::refit() {
    if (fit_)
        applyZoom(zoom::fitting(centralWidget()->size(), machineSize()));
}

zoom::ViewSettings MainWindow::viewSettings() const {
    return {zoom_, fit_, notebook_ ? notebook_->dock()->width() : notebookWidth_};
}

void MainWindow::applyViewSettings(const zoom::ViewSettings &view) {
    notebookWidth_ = view.notebookWidth;
    if (view.fit)
        setFitToWindow(true);
    else
        setZoom(view.zoom);
}

void MainWindow::updateMinimumSize() {
    // Fitted, the machine shrinks with the window down to the smallest zoom; at a fixed zoom it keeps
    // its size. Never more than the screen holds: a machine zoomed beyond it is partly hidden, not
    // a window that no screen can show.
    QSize machine = machineSize(fit_ ? zoom::smallest : zoom_);
    if (const QScreen *shown = screen())
        machine =
            machine.boundedTo(shown->availableGeometry().size() - QSize(0, menuBar()->sizeHint().height()) -
                              (frameGeometry().size() - geometry().size()));
    setProperty("machineMinimumWidth", machine.width());
    centralWidget()->setMinimumSize(machine);
    int least = machine.width();
    if (notebook_ && notebook_->dock()->isVisible())
        least += notebook_->dock()->minimumSizeHint().width() +
                 style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent);
    setMinimumSize(least, machine.height() + menuBar()->sizeHint().height());
}

void MainWindow::applyZoom(double zoom) {
    const bool changed = zoom != zoom_;
    zoom_ = zoom;
    setProperty("machineWidth", machineSize(zoom).width());
    if (changed) {
        static_cast<MachineSurface *>(centralWidget())->setZoom(zoom);
        for (const Placed &entry : placed_) {
            QWidget *widget = entry.widget;
            if (!widget)
                continue;
            QRect twips = entry.twips;
            if (widget == machine_.label7)
                twips.moveLeft(int(std::lround(board_->label7Left())));
            QRect pixels = twipsRect(twips, zoom);
            // The style widens the selectors' arrows by it, as they take their new size.
            if (qobject_cast<QComboBox *>(widget))
                widget->setProperty(WindowStyle::zoomProperty, zoom);
            // On a whiteboard a finger needs at least this much: the selectors grow downwards into
            // the room the panel has below them.
            if (zoom >= 1.5 && qobject_cast<QComboBox *>(widget))
                pixels.setHeight(std::max(pixels.height(), touchHeight));
            widget->setGeometry(pixels.translated(machineOrigin(widget)));
            if (entry.points > 0) {
                QFont font = widget->font();
                font.setPointSizeF(entry.points * zoom);
                if (widget == machine_.out1)
                    machine_.out1->setDesignFont(font);
                else
                    widget->setFont(font);
            }
            if (auto *frame = qobject_cast<PanelFrame *>(widget))
                frame->setZoom(zoom);
        }
        for (QPushButton *button : {machine_.exp, machine_.command1})
            button->setStyleSheet(commandButtonRules(zoom));
        for (Selector *selector : {machine_.combo1, machine_.combo2})
            selector->setLeastRowHeight(zoom >= 1.5 ? touchHeight : 0);
        guide_->setScale(zoom);
        for (int i = 0; i < 6; ++i)
            if (!lightDesigns_[i].isNull())
                showLight(i, lightDesigns_[i], lightPaths_[i]);
        if (!machine_.image8->pixmap().isNull())
            showEmblem();
        // Fitted, the menus follow the room of the machine and the menu bar together, which the menus'
        // own size leaves as it is: a taller menu bar must not refit the machine, and the menus again.
        // Before the notebook, so that it is laid out once for both.
        const QSize room = centralWidget()->size() + QSize(0, menuBar()->height());
        zoomMenus(menuBar(), fit_ ? zoom::fitting(room, machineSize()) : zoom);
        if (notebook_)
            notebook_->setZoom(zoom);
    }
    emit zoomChanged(zoom);
}

QPixmap MainWindow::zoomed(const QPixmap &design, const QPixmap &larger) const {
    if (zoom_ == 1.0 || design.isNull())
        return design;
    const qreal ratio = devicePixelRatioF();
    QPixmap drawn = (larger.isNull() ? design : larger)
                        .scaled(design.size() * zoom_ * ratio / design.devicePixelRatio(),
                                Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    drawn.setDevicePixelRatio(ratio);
    return drawn;
}

void MainWindow::showLight(int index, const QPixmap &design, const QString &path) {
    lightDesigns_[index] = design;
    lightPaths_[index] = path;
    if (zoom_ == 1.0) {
        machine_.lights[index]->setPixmap(design);
        return;
    }
    // The lights swap five times a second: each picture is drawn once per zoom.
    const QString key =
        QStringLiteral("light %1 %2 %3").arg(design.cacheKey()).arg(zoom_).arg(devicePixelRatioF());
    QPixmap drawn;
    if (!QPixmapCache::find(key, &drawn)) {
        // Beyond 100%, drawn down from the larger picture beside the file, when there is one.
        drawn = zoomed(design, zoom_ > 1.0 && !path.isEmpty() ? QPixmap(largerPicturePath(path)) : QPixmap());
        QPixmapCache::insert(key, drawn);
    }
    machine_.lights[index]->setPixmap(drawn);
}

void MainWindow::showEmblem() {
    QLabel *emblem = machine_.image8;
    if (!emblem->pixmap().isNull() && emblem->property("drawnAtZoom").toDouble() == zoom_)
        return;
    // Drawn from its source at the size shown; zoomed, for the screen's own pixels too, so that it
    // stays sharp on a scaled desktop.
    const qreal ratio = zoom_ == 1.0 ? 1.0 : devicePixelRatioF();
    QPixmap drawn = QPixmap(QStringLiteral(":/ingranix/emblem.png"))
                        .scaled(emblem->size() * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    drawn.setDevicePixelRatio(ratio);
    emblem->setPixmap(drawn);
    emblem->setProperty("drawnAtZoom", zoom_);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched == centralWidget() && event->type() == QEvent::Resize)
        refit();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::informazioni_Click() {
    // The emblem is decoded when the panel first shows, not while the game starts.
    showEmblem();
    machine_.frame4->show();
    machine_.frame4->raise();
    machine_.label6->setFocus(Qt::OtherFocusReason); // keyboard and screen reader land in the panel
}

void MainWindow::Label6_Click() {
    machine_.frame4->hide();
    machine_.in1->setFocus(Qt::OtherFocusReason);
}

void MainWindow::describeForScreenReaders() {
    // Screen readers announce these, in the player's language.
    const MachineWidgets &m = machine_;
    const struct {
        QWidget *widget;
        const char *accessibleName;
        const char *description;
    } controls[] = {
        {m.in1, "input", "Scrivi qui il numero da dare alla macchina, poi premi Invio"},
        // Spoken after every experiment: the name alone, the explanation lies with the frame.
        {m.out1, "output", ""},
        {m.exp, "esperimento", "Dai il numero alla macchina e guarda il risultato"},
        {m.command1, "nuovo meccanismo di calcolo", "La macchina sceglie un nuovo calcolo nascosto"},
        {m.combo1, "Livello", "Scegli il livello dei calcoli, da Livello1 a Livello4"},
        {m.combo2, "Colore degli ingranaggi",
         "Scegli il colore degli ingranaggi: ogni colore fa un calcolo diverso"},
        {m.shock1, "ingranaggi della macchina", "Gli ingranaggi girano a ogni esperimento"},
        {m.frame1, "ingresso della macchina", "Qui si scrive il numero da dare alla macchina"},
        {m.frame2, "uscita della macchina",
         "Qui la macchina mostra il risultato; un punto interrogativo vuol dire calcolo impossibile"},
        {m.frame3, "Quadro di comando", "I comandi della macchina"},
        {m.frame4, "Informazioni", "Informazioni sul gioco"},
        {m.label6, "chiudi", "Chiude le informazioni"},
        {m.image8, "emblema di Ingranix", "Una macchina con ingranaggi e luci colorate"},
    };
    for (const auto &entry : controls) {
        entry.widget->setAccessibleName(QString::fromUtf8(entry.accessibleName));
        entry.widget->setAccessibleDescription(QString::fromUtf8(entry.description));
    }
}

void MainWindow::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    // Start-up runs once the window has painted, so the player sees the machine at once; the
    // fallback timer covers a platform that never exposes the window.
    auto *surface = static_cast<MachineSurface *>(centralWidget());
    connect(surface, &MachineSurface::firstPainted, this, &MainWindow::startUp, Qt::QueuedConnection);
    QTimer::singleShot(1000, this, &MainWindow::startUp);
}

void MainWindow::startUp() {
    // Decoding a picture loads Qt's picture plugins, which the first sight of the machine need not
    // wait for; a light that already ticked keeps its picture.
    const QString path = QStringLiteral(":/ingranix/design-light.gif");
    const QPixmap design(path);
    for (int i = 0; i < 6; ++i)
        if (machine_.lights[i]->pixmap().isNull())
            showLight(i, design, path);
    game_->Form_Activate(); // runs once, however often it is called
}

void MainWindow::toggleNotebook() {
    if (!notebook_) { // built on first use, so that start-up does not pay for it
        notebook_ = notebookLoader_.create(*game_, *board_, this);
        if (!notebook_)
            return;
        notebook_->setZoom(zoom_);
        notebook_->setRememberedWidth(notebookWidth_);
        QDockWidget *dock = notebook_->dock();
        connect(machine_.in1, &QLineEdit::textChanged, dock,
                [notebook = notebook_.get()](const QString &text) { notebook->setInputText(text); });
        // After the notebook's own handling of its showing and hiding: the window's least size follows
        // the zoom, and a fitted machine the room the notebook leaves.
        connect(dock, &QDockWidget::visibilityChanged, this, &MainWindow::updateMinimumSize,
                Qt::QueuedConnection);
    }
    notebook_->toggle();
}

} // namespace ingranix
