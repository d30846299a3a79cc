// The notebook's window as a module: the program resolves this one function the first time the
// notebook opens (see MainWindow::toggleNotebook).

#include "notebookdock.h"
#include "notebookfactory.h"

extern "C" Q_DECL_EXPORT QDockWidget *ingranixCreateNotebook(ingranix::Game &game,
                                                             const ingranix::Board &board, QLineEdit *in1,
                                                             QComboBox *combo1, QWidget *parent) {
    return new ingranix::NotebookDock(game, board, in1, combo1, parent);
}
