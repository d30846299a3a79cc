#pragma once

#include "notebook/coach.h"
#include "notebook/notebook.h"
#include "notebookpanel.h"
#include "play/interfaces.h"

#include <QDockWidget>
#include <QTimer>

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QTableView;

namespace ingranix {

class Announcer;
class ExperimentTable;
class Game;
class NotebookPlot;

// The scientist's notebook beside the machine: the player's model, the experiments of the current log
// with what the model says of them, the prediction for the number being typed and the player's own, the
// kinds of number tried, a plot, and saving it all as a PDF. It follows the game as the game's observer;
// built when first opened, it starts from the experiments the game has kept until then.
class NotebookDock : public QDockWidget, public GameObserver, public NotebookPanel {
    Q_OBJECT
public:
    // board: the selectors' texts for the PDF's title line, the input box's text to predict until told
    // another, and the keyboard's way back to the input box.
    NotebookDock(Game &game, Board &board, QWidget *parent);
    ~NotebookDock() override;

    // Where "Salva PDF", "Salva lezione..." and "Apri lezione..." ask for a file name; by default (or null)
    // the usual dialogs.
    void setFileChooser(std::unique_ptr<FileChooser> chooser);

    QDockWidget *dock() override { return this; }
    void toggle() override;
    void setInputText(const QString &text) override;
    void setZoom(double zoom) override;
    double zoom() const { return zoom_; }
    void setRememberedWidth(int pixels) override { rememberedWidth_ = pixels; }

    void experimentLogged(const LoggedExperiment &experiment) override;
    void logCleared() override;
    void settingsChanged() override;
    void logRestored(const std::vector<LoggedExperiment> &experiments) override;

    const notebook::Notebook &notebook() const { return notebook_; }
    NotebookPlot *plot() const { return plot_; }

    // Saves the notebook as a PDF through the file chooser; a failure is told in the notebook.
    void savePdf();
    // Saves the lesson (the machine, the log, the model) through the file chooser, or opens one: the
    // outcome, a failure included, is told in the notebook; a lesson that cannot open changes nothing.
    void saveLesson();
    void openLesson();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void modelTextChanged(const QString &text);
    void refreshSummary();
    void refreshPlot();
    void showModelError();
    int machineWidth() const; // the machine's controls and the dock's separator, in pixels
    int widest() const;       // pixels, at the zoom
    void applySizes();        // fonts and what is measured by them, at the zoom
    void showPrediction();
    void refreshKinds();
    void coach(notebook::CoachEvent event);
    void announceChanges();

    Game &game_;
    Board &board_;
    QString input_; // the input box's text
    notebook::Notebook notebook_;
    notebook::Coach coach_;
    QTimer *modelSettled_ = nullptr; // the coach hears of a model once the typing pauses
    std::unique_ptr<FileChooser> chooser_;

    ExperimentTable *table_ = nullptr;
    QLineEdit *modelField_ = nullptr;
    QLabel *modelMessage_ = nullptr;
    QLabel *summary_ = nullptr;
    QLabel *prediction_ = nullptr;
    QLineEdit *myPrediction_ = nullptr;
    QLabel *kinds_ = nullptr;
    QTableView *tableView_ = nullptr;
    NotebookPlot *plot_ = nullptr;
    QPushButton *saveButton_ = nullptr;
    QLabel *saveMessage_ = nullptr;
    Announcer *announcer_ = nullptr;
    QTimer speakTimer_;
    QStringList spoken_; // the mistake, summary and prediction last announced
    QPushButton *saveLessonButton_ = nullptr;
    QPushButton *openLessonButton_ = nullptr;
    QLabel *lessonMessage_ = nullptr;
    bool plotStale_ = false; // while hidden the plot waits for the next showing
    bool openingLesson_ = false;
    QStringList lessonPredictions_; // the opened lesson's own predictions, while it opens
    bool placed_ = false;
    int windowMinimumWidth_ = -1;
    double zoom_ = 1.0;
    double panelPoints_ = 0; // the notebook's designed font size
    int rememberedWidth_ = 0;
};

} // namespace ingranix
