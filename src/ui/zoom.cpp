#include "zoom.h"

#include <QSettings>

#include <algorithm>
#include <cmath>

namespace ingranix::zoom {

namespace {

// Zooms this close are one: a remembered zoom read back from text, or a fitted one that lands on a step.
constexpr double sameZoom = 1e-6;

const QString zoomKey = QStringLiteral("vista/zoom");
const QString fitKey = QStringLiteral("vista/adatta");
const QString notebookWidthKey = QStringLiteral("vista/larghezzaQuaderno");

// The notebook is never remembered wider than any screen can be.
constexpr int widestNotebook = 8000;

} // namespace

double stepIn(double zoom) {
    for (double step : steps)
        if (step > zoom + sameZoom)
            return step;
    return largest;
}

double stepOut(double zoom) {
    for (auto step = std::rbegin(steps); step != std::rend(steps); ++step)
        if (*step < zoom - sameZoom)
            return *step;
    return smallest;
}

double bounded(double zoom) {
    if (!std::isfinite(zoom) || zoom <= 0)
        return 1.0;
    return std::clamp(zoom, smallest, largest);
}

double fitting(QSize room, QSize machine) {
    if (machine.width() <= 0 || machine.height() <= 0)
        return 1.0;
    const double across = double(room.width()) / machine.width();
    const double down = double(room.height()) / machine.height();
    return std::clamp(std::min(across, down), smallest, largest);
}

ViewSettings readSettings(const QSettings &settings) {
    ViewSettings view;
    bool ok = false;
    const double zoom = settings.value(zoomKey).toDouble(&ok);
    if (ok)
        view.zoom = bounded(zoom);
    view.fit = settings.value(fitKey).toString() == u"true";
    const int width = settings.value(notebookWidthKey).toInt(&ok);
    if (ok && width > 0)
        view.notebookWidth = std::min(width, widestNotebook);
    return view;
}

void writeSettings(QSettings &settings, const ViewSettings &view) {
    settings.setValue(zoomKey, bounded(view.zoom));
    settings.setValue(fitKey, view.fit);
    if (view.notebookWidth > 0)
        settings.setValue(notebookWidthKey, view.notebookWidth);
}

} // namespace ingranix::zoom
