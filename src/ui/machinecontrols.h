#pragma once

#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>

namespace ingranix {

// Marks a widget that only decorates the machine (bars, lights, hidden controls): screen readers
// do not see it among the children of the surface and the frames.
void markDecorative(QWidget *widget);
bool isDecorative(const QWidget *widget);

// Gives the machine's surface and frames their accessibility: their children without the
// decorative ones, and the frames' own accessible names in place of their captions.
void installMachineAccessibility();

// A frame of the window (the machine's sides, the control panel, the about panel): a flat background,
// a solid border and the caption inside it at the top left. Painted here, not by a style sheet, which
// would make Qt restyle every control of the window as it starts.
class PanelFrame : public QGroupBox {
    Q_OBJECT
public:
    struct Look {
        QColor background;
        QColor border;
        int borderWidth = 1;
        QPoint titleAt;     // the caption's top left corner
        QColor titleColour; // invalid: the palette's text colour
    };
    PanelFrame(const QString &title, const Look &look, QWidget *parent = nullptr);
    // The border and the caption's place, this many times their designed size.
    void setZoom(double zoom);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Look look_;
    double zoom_ = 1.0;
};

// The output box. Its caption is shown whole, in a smaller font when the design's does not fit;
// screen readers get "output: <caption>" as its name and hear every new caption, as a
// notification, once per experiment. Tab reaches it, so the last result can be read again.
class OutputLabel : public QLabel {
    Q_OBJECT
public:
    OutputLabel(const QFont &designFont, QWidget *parent = nullptr);
    void setCaption(const QString &caption);
    // The font a caption is shown in when it fits; the shown caption is fitted anew.
    void setDesignFont(const QFont &font);
    // "output: <caption>", with "?" said in words.
    static QString spokenName(const QString &caption);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void fitCaption();

    QFont designFont_;
    double firstPoints_; // the designed font's size, before any zoom
};

// An editable drop-down list where only picking an item of the list is a choice: with the mouse,
// with the keys in the open list, or with the arrow keys on the closed selector. Text typed into
// it and committed with Enter or by leaving it emits no chosen(); the game reads it later. Enter on
// the closed selector also emits enterPressed(), so that the key is not lost on a player who meant
// to run an experiment.
class Selector : public QComboBox {
    Q_OBJECT
public:
    explicit Selector(QWidget *parent = nullptr);
    // The rows of the open list are at least this tall (0: as the style draws them).
    void setLeastRowHeight(int pixels);

signals:
    void chosen();
    void enterPressed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    bool committingTypedText_ = false;
    int leastRowHeight_ = 0;
};

} // namespace ingranix
