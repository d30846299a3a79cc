// The notebook's window as a module: the program resolves this one function the first time the
// notebook opens (see NotebookLoader).

#include "notebookdock.h"
#include "notebookpanel.h"

extern "C" Q_DECL_EXPORT ingranix::NotebookPanel *
ingranixCreateNotebook(ingranix::Game &game, ingranix::Board &board, QWidget *parent) {
    return new ingranix::NotebookDock(game, board, parent);
}

// The program calls it through this type: a signature that drifted would fail only at run time.
static_assert(std::is_same_v<decltype(&ingranixCreateNotebook), ingranix::NotebookFactory>);
