#pragma once

class QComboBox;
class QDockWidget;
class QLineEdit;
class QWidget;

namespace ingranix {

class Board;
class Game;

// Builds the notebook's dock for a game: in1 is the input box whose text is predicted, combo1 the
// level selector. The program takes it from the notebook's module; tests link the dock itself.
using NotebookFactory = QDockWidget *(*)(Game &game, const Board &board, QLineEdit *in1, QComboBox *combo1,
                                         QWidget *parent);

} // namespace ingranix
