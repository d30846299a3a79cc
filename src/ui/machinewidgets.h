#pragma once

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPixmap;
class QString;
class QPushButton;

namespace ingranix {

class MoviePlayer;
class OutputLabel;
class Selector;

// The machine's controls, as the window's builders make them (with the object names that tests and
// screen readers know them by); the window and the game's adapters reach them here. All are children of
// the window and live as long as it does.
struct MachineWidgets {
    QGroupBox *frame1 = nullptr; // the input's frame
    QGroupBox *frame2 = nullptr; // the output's frame
    QGroupBox *frame3 = nullptr; // "Quadro di comando"
    QGroupBox *frame4 = nullptr; // "Informazioni"
    QLineEdit *in1 = nullptr;
    QLineEdit *in2 = nullptr;
    OutputLabel *out1 = nullptr;
    QLabel *out2 = nullptr;
    QLabel *label7 = nullptr; // the number that travels into the machine
    MoviePlayer *shock1 = nullptr;
    QListWidget *list1 = nullptr; // the hidden experiment log
    QPushButton *exp = nullptr;
    QPushButton *command1 = nullptr;
    Selector *combo1 = nullptr;    // level
    Selector *combo2 = nullptr;    // gear colour
    QLabel *lights[6] = {};        // Image1..Image6
    QLabel *image8 = nullptr;      // the emblem in "Informazioni"
    QPushButton *label6 = nullptr; // closes "Informazioni"
};

// What the game's adapters need of the window beyond its widgets: the zoom the machine is drawn at now,
// and a light (0..5) showing a designed picture at that zoom; `path`, the picture's file, tells where
// its larger version lies (see largerpicture.h), or is empty.
class MachineView {
public:
    virtual ~MachineView() = default;
    virtual double zoom() const = 0;
    virtual void showLight(int index, const QPixmap &design, const QString &path) = 0;
};

} // namespace ingranix
