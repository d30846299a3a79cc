#pragma once

#include <QSize>

class QSettings;

namespace ingranix::zoom {

// How large the machine is drawn: 1 is its designed size. The view offers these steps, from half
// the size to four times it.
inline constexpr double smallest = 0.5;
inline constexpr double largest = 4.0;
inline constexpr double steps[] = {0.5, 0.67, 0.75, 0.9, 1.0, 1.1, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0, 3.5, 4.0};

// The next step above or below `zoom`; a zoom between two steps goes to the nearer one in that
// direction, and the ends stay where they are.
double stepIn(double zoom);
double stepOut(double zoom);
// Any number (a remembered one, say) made a zoom the view can show: NaN and nonsense give 1.
double bounded(double zoom);
// The largest zoom at which `machine` (its designed size in pixels) fits in `room`, within the
// view's bounds.
double fitting(QSize room, QSize machine);

// What the view remembers between starts: nothing of the game itself.
struct ViewSettings {
    double zoom = 1.0;
    bool fit = false;      // "Adatta alla finestra": the zoom follows the window
    int notebookWidth = 0; // pixels; 0: the notebook chooses
};
// Read calmly: a missing, damaged or out-of-range value is the default, or the nearest allowed.
ViewSettings readSettings(const QSettings &settings);
void writeSettings(QSettings &settings, const ViewSettings &view);

} // namespace ingranix::zoom
