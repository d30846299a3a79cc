#pragma once

#include "machinewidgets.h"
#include "notebookloader.h"
#include "zoom.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>
#include <vector>

class QComboBox;
class QDockWidget;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QMenu;
class QMenuBar;

namespace ingranix {

class Game;
class GuideAgent;
class WidgetBoard;
class MovieControl;
class SystemClock;
class DefaultLogPrinter;
class DialogFileChooser;
class FixedSequenceRandom;
class Announcer;
class Selector;

// The Ingranix window: lays out the machine, the control panel, the about panel and the menus in
// twips, and hands every event to the game.
class MainWindow : public QMainWindow, private MachineView {
    Q_OBJECT
public:
    // resourceFolder: where the pictures, movies and the guide character lie.
    explicit MainWindow(const QString &resourceFolder, QWidget *parent = nullptr);
    ~MainWindow() override;

    Game &game() { return *game_; }
    GuideAgent &guide() { return *guide_; }

    // Where the notebook comes from, until it first opens; by default the notebook's module beside the
    // program (or in ../lib/ingranix once installed), loaded the first time the notebook opens.
    void setNotebookFactory(NotebookFactory factory) { notebookLoader_.setFactory(factory); }

    // The view's zoom: the machine, its fonts, pictures and the notebook drawn this many times their
    // designed size. setZoom leaves "Adatta alla finestra"; setFitToWindow(true) keeps the zoom at the
    // largest at which the machine, and the notebook when open, fit the window.
    double zoom() const override { return zoom_; }
    bool fitsWindow() const { return fit_; }
    void setZoom(double zoom);
    void setFitToWindow(bool fit);
    zoom::ViewSettings viewSettings() const;
    void applyViewSettings(const zoom::ViewSettings &view);
    // The room the machine's controls take, in pixels, at the given zoom.
    static QSize machineSize(double zoom = 1.0);

signals:
    void zoomChanged(double zoom);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMachine(QWidget *surface);
    void buildControlPanel(QWidget *surface);
    void buildAboutPanel(QWidget *surface);
    void buildMenus();
    void informazioni_Click();
    void Label6_Click();
    void describeForScreenReaders();
    void startUp();
    void toggleNotebook();
    void announceChoice(QComboBox *selector); // "<selector's name>: <what it shows>"
    QGroupBox *makeFrame(QWidget *parent, const char *name, const QString &caption, QRect twips);
    QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, QRect twips);
    QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption, QRect twips);
    Selector *makeSelector(QWidget *parent, const char *name, const QString &prompt, const QStringList &items,
                           QRect twips);
    QLabel *makeLight(QWidget *parent, const char *name, QRect twips);
    void place(QWidget *widget, QRect twips); // sets its geometry now and at every zoom
    void applyZoom(double zoom);
    void refit();
    void updateMinimumSize();
    QMenu *buildViewMenu(QMenuBar *bar);
    // A picture drawn at the zoom, for this screen; from `larger` (see largerpicture.h) when given.
    QPixmap zoomed(const QPixmap &design, const QPixmap &larger = {}) const;
    void showLight(int index, const QPixmap &design, const QString &path) override;
    void showEmblem();

    // A control laid out in twips, with its designed font size (0 or less: a font sized in pixels, kept).
    struct Placed {
        QPointer<QWidget> widget;
        QRect twips;
        double points = 0;
    };
    std::vector<Placed> placed_;
    double zoom_ = 1.0;
    bool fit_ = false;
    int notebookWidth_ = 0; // remembered from an earlier start, until the notebook first opens
    QPixmap lightDesigns_[6];
    QString lightPaths_[6];

    QString resourceFolder_;

    MachineWidgets machine_;
    QTimer *timer1_ = nullptr;
    Announcer *announcer_ = nullptr;

    std::unique_ptr<GuideAgent> guide_;
    std::unique_ptr<WidgetBoard> board_;
    std::unique_ptr<MovieControl> movie_;
    std::unique_ptr<SystemClock> clock_;
    std::unique_ptr<FixedSequenceRandom> random_;
    std::unique_ptr<DialogFileChooser> chooser_;
    std::unique_ptr<DefaultLogPrinter> printer_;
    std::unique_ptr<Game> game_;
    NotebookLoader notebookLoader_;
    std::unique_ptr<NotebookPanel> notebook_; // built when first opened; goes before the game it watches
    bool shownOnce_ = false;
};

} // namespace ingranix
