#pragma once

class QDockWidget;
class QString;
class QWidget;

namespace ingranix {

class Board;
class Game;

// The scientist's notebook as the window drives it. The window owns it (deleting it takes its dock
// away), docks, measures and watches its dock, and tells it what the notebook cannot see itself; the
// notebook follows the game as the game's observer.
class NotebookPanel {
public:
    virtual ~NotebookPanel() = default;

    virtual QDockWidget *dock() = 0;
    // Opens the notebook at the window's right, beside the machine, or closes it; nothing is lost.
    virtual void toggle() = 0;
    // The input box's text, at every change: the number whose result the notebook predicts.
    virtual void setInputText(const QString &text) = 0;
    // The notebook's text, table and plot this many times their designed size, as the machine's.
    virtual void setZoom(double zoom) = 0;
    // The width to open at the first time, as the player left it at an earlier start (0: beside the machine).
    virtual void setRememberedWidth(int pixels) = 0;
};

// Builds the notebook for a game, its dock a child of parent; board gives the selectors' texts and
// takes the keyboard back to the input box. The program takes it from the notebook's module (see
// NotebookLoader); tests and benchmarks link the notebook itself.
using NotebookFactory = NotebookPanel *(*)(Game &game, Board &board, QWidget *parent);

} // namespace ingranix
