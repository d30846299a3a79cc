#pragma once

#include "notebookpanel.h"

#include <QString>

#include <memory>

namespace ingranix {

// Where the window's notebook comes from: the factory given, or else the notebook's module beside the
// program (or in ../lib/ingranix once installed), looked for only when the notebook first opens, so
// that the start pays nothing for Qt Charts. A module that is missing is told as a warning and looked
// for again at the next opening; the game goes on without its notebook.
class NotebookLoader {
public:
    // programFolder: where the program lies (empty: the running program's own folder).
    explicit NotebookLoader(QString programFolder = {}) : programFolder_(std::move(programFolder)) {}

    void setFactory(NotebookFactory factory) { factory_ = factory; }
    // The notebook for this game, or null when there is none to build.
    std::unique_ptr<NotebookPanel> create(Game &game, Board &board, QWidget *parent);

    // The function the module exports.
    static constexpr const char *moduleEntry = "ingranixCreateNotebook";

private:
    QString programFolder_;
    NotebookFactory factory_ = nullptr;
};

} // namespace ingranix
