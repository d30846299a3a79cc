#include "notebookplot.h"

#include "mechanisms/numbers.h"
#include "notebook/notebook.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QFontMetricsF>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QPainter>
#include <QScatterSeries>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>

namespace ingranix {

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double offThePlot = std::numeric_limits<double>::infinity();
// Beyond this the axes' spans would overflow; such values are left off the plot (the table keeps them).
constexpr double largest = 1e300;

bool plottable(double value) {
    return std::abs(value) <= largest;
}

// The value an output caption shows; NaN for "?", nothing for a caption that is no number at all.
std::optional<double> outputValue(const QString &caption, const QString &separator) {
    if (caption == u"?")
        return notANumber;
    QString text = caption;
    if (!separator.isEmpty() && separator != u".")
        text.replace(separator, QStringLiteral("."));
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Qt Charts makes one graphics item per marker, which takes seconds for some thousands of points; beyond
// this many the plot keeps one point per cell of a grid finer than its markers, which looks the same.
constexpr std::size_t mostPoints = 2000;
constexpr int gridColumns = 200, gridRows = 100;

// Keeps the first point in each grid cell over the points' own ranges; "?" outputs (NaN) share a row.
void thinToGrid(std::vector<double> &xs, std::vector<double> &ys) {
    auto range = [](const std::vector<double> &values) {
        double low = std::numeric_limits<double>::infinity(), high = -low;
        for (double v : values)
            if (!std::isnan(v))
                low = std::min(low, v), high = std::max(high, v);
        return std::pair(low, high > low ? high - low : 1.0);
    };
    const auto [xLow, xSpan] = range(xs);
    const auto [yLow, ySpan] = range(ys);
    auto cell = [](double v, double low, double span, int cells) {
        return std::clamp(int((v - low) / span * cells), 0, cells - 1);
    };
    std::vector<bool> taken(std::size_t(gridColumns) * (gridRows + 1));
    std::size_t kept = 0;
    for (std::size_t i = 0; i < xs.size(); ++i) {
        const int row = std::isnan(ys[i]) ? gridRows : cell(ys[i], yLow, ySpan, gridRows);
        const std::size_t at =
            std::size_t(row) * gridColumns + std::size_t(cell(xs[i], xLow, xSpan, gridColumns));
        if (taken[at])
            continue;
        taken[at] = true;
        xs[kept] = xs[i];
        ys[kept] = ys[i];
        ++kept;
    }
    xs.resize(kept);
    ys.resize(kept);
}

// Round steps (1, 2 or 5 times a power of ten) covering [low, high] in about `wanted` steps.
std::vector<double> roundTicks(double low, double high, int wanted) {
    if (!(high > low)) {
        low -= 1;
        high += 1;
    }
    const double span = high - low;
    if (!std::isfinite(span))
        return {low, high};
    const double rough = span / wanted;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    const double r = rough / magnitude;
    const double step = (r < 1.5 ? 1 : r < 3 ? 2 : r < 7 ? 5 : 10) * magnitude;
    const double first = std::floor(low / step) * step;
    std::vector<double> ticks;
    for (int i = 0; i <= wanted + 3; ++i) {
        const double tick = first + i * step;
        ticks.push_back(std::abs(tick) < step * 1e-9 ? 0.0 : tick);
        if (tick >= high)
            break;
    }
    return ticks;
}

// The most round steps an axis is given; fewer where the plot is small.
constexpr int mostSteps = 6;
// Room Qt Charts keeps around each axis label, and the room the legend, the titles and the other
// axis's labels take from the plot's size, in lines of text.
constexpr qreal labelRoom = 6;
constexpr qreal linesAroundVertically = 5;
constexpr qreal linesAroundHorizontally = 2;

// Round ticks for [low, high], as many as `fits` allows (one step at least).
std::vector<double> fittingTicks(double low, double high,
                                 const std::function<bool(const std::vector<double> &)> &fits) {
    std::vector<double> ticks;
    for (int wanted = mostSteps; wanted >= 1; --wanted) {
        ticks = roundTicks(low, high, wanted);
        if (fits(ticks))
            break;
    }
    return ticks;
}

// Labels at the round values, written as the machine writes numbers, and "?" at the band.
void setTicks(QCategoryAxis *axis, const std::vector<double> &ticks, std::optional<double> band,
              const QString &separator) {
    for (const QString &label : axis->categoriesLabels())
        axis->remove(label);
    const double step = ticks.size() > 1 ? ticks[1] - ticks[0] : 1.0;
    const double low = ticks.front() - step / 2;
    const double high = (band ? *band : ticks.back()) + step / 2;
    axis->setStartValue(low);
    for (double tick : ticks)
        axis->append(numberText(tick, separator), tick);
    if (band)
        axis->append(QStringLiteral("?"), *band);
    axis->setRange(low, high);
}

// The marks' designed sizes, in pixels.
constexpr qreal outputMarker = 9;
constexpr qreal modelMarker = 16;

// Markers drawn from one picture rather than one graphics item per point: a thousand points stay
// cheap to move.
QScatterSeries *makeSeries(const QString &name, qreal size, const QBrush &brush, const QPen &pen) {
    auto *series = new QScatterSeries;
    series->setName(name);
    series->setMarkerShape(QScatterSeries::MarkerShapeCircle);
    series->setMarkerSize(size);
    series->setBrush(brush); // the legend's marker
    series->setPen(pen);
    constexpr int sharpness = 4; // drawn larger than shown, so it stays crisp when scaled
    const int side = int(size) * sharpness;
    QImage marker(side, side, QImage::Format_ARGB32_Premultiplied);
    marker.fill(Qt::transparent);
    QPainter painter(&marker);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(sharpness, sharpness);
    painter.setBrush(brush);
    painter.setPen(pen);
    const qreal inset = pen.widthF() / 2;
    painter.drawEllipse(QRectF(inset, inset, size - 2 * inset, size - 2 * inset));
    painter.end();
    series->setLightMarker(marker);
    return series;
}

QCategoryAxis *makeAxis(const QString &title) {
    auto *axis = new QCategoryAxis;
    axis->setTitleText(title);
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setGridLineColor(QColor(225, 225, 225));
    return axis;
}

} // namespace

// Given its chart from the start: a view made without one makes a default chart of its own, which
// setChart() would then leave behind, undeleted.
NotebookPlot::NotebookPlot(QWidget *parent) : QChartView(new QChart, parent) {
    setRenderHint(QPainter::Antialiasing);
    QChart *plot = chart();
    plot->setAnimationOptions(QChart::NoAnimation);
    plot->setMargins(QMargins(4, 4, 4, 4));
    plot->legend()->setAlignment(Qt::AlignBottom);

    outputs_ = makeSeries(QStringLiteral("output"), outputMarker, QColor(20, 40, 170), QPen(Qt::white, 1));
    // A ring around the output's dot: where the model explains an experiment, dot and ring meet.
    model_ = makeSeries(QStringLiteral("il tuo modello"), modelMarker, QColor(0, 0, 0, 0),
                        QPen(QColor(240, 120, 0), 2.5));
    // The "?" band, lightly shaded beneath its points and left out of the legend.
    bandLower_ = new QLineSeries(this);
    bandUpper_ = new QLineSeries(this);
    bandArea_ = new QAreaSeries(bandUpper_, bandLower_);
    bandArea_->setName(QStringLiteral("?"));
    bandArea_->setColor(QColor(255, 236, 214));
    bandArea_->setBorderColor(QColor(255, 236, 214));
    plot->addSeries(bandArea_);
    plot->legend()->markers(bandArea_).constFirst()->setVisible(false);
    plot->addSeries(outputs_);
    plot->addSeries(model_);

    xAxis_ = makeAxis(QStringLiteral("input"));
    yAxis_ = makeAxis(QStringLiteral("output"));
    plot->addAxis(xAxis_, Qt::AlignBottom);
    plot->addAxis(yAxis_, Qt::AlignLeft);
    for (QAbstractSeries *series : std::initializer_list<QAbstractSeries *>{bandArea_, outputs_, model_}) {
        series->attachAxis(xAxis_);
        series->attachAxis(yAxis_);
    }
    labelsFont_ = xAxis_->labelsFont();
    titleFont_ = xAxis_->titleFont();
    legendFont_ = plot->legend()->font();
    updateAxes();
}

void NotebookPlot::setZoom(double zoom) {
    if (zoom <= 0 || zoom == zoom_)
        return;
    zoom_ = zoom;
    auto zoomed = [zoom](QFont font) {
        if (font.pointSizeF() > 0)
            font.setPointSizeF(font.pointSizeF() * zoom);
        else if (font.pixelSize() > 0)
            font.setPixelSize(int(std::lround(font.pixelSize() * zoom)));
        return font;
    };
    for (QCategoryAxis *axis : {xAxis_, yAxis_}) {
        axis->setLabelsFont(zoomed(labelsFont_));
        axis->setTitleFont(zoomed(titleFont_));
    }
    chart()->legend()->setFont(zoomed(legendFont_));
    outputs_->setMarkerSize(outputMarker * zoom);
    model_->setMarkerSize(modelMarker * zoom);
    // The labels that fit change with their size.
    xTicks_.clear();
    updateAxes();
    placePoints();
}

void NotebookPlot::showExperiments(const notebook::Notebook &notebook, const QString &decimalSeparator) {
    separator_ = decimalSeparator;
    xs_.clear();
    outputValues_.clear();
    for (int i = 0; i < notebook.rowCount(); ++i) {
        const notebook::RowView row = notebook.row(i);
        if (row.standing != notebook::Standing::Counted)
            continue;
        const double x = readInputValue(row.input);
        const std::optional<double> y = outputValue(row.output, separator_);
        if (!plottable(x) || !y || (!std::isnan(*y) && !plottable(*y)))
            continue;
        xs_.push_back(x);
        outputValues_.push_back(*y);
    }
    if (xs_.size() > mostPoints)
        thinToGrid(xs_, outputValues_);
    xTicks_.clear(); // the inputs changed: the horizontal axis is laid out anew
    outputsStale_ = true;
    showModel(notebook);
}

void NotebookPlot::showModel(const notebook::Notebook &notebook) {
    const notebook::Model &model = notebook.model();
    modelValues_.clear();
    if (model.isValid()) {
        modelValues_.reserve(xs_.size());
        for (double x : xs_) {
            const double value = model.value(x);
            modelValues_.push_back(!std::isfinite(value) ? notANumber
                                   : plottable(value)    ? value
                                                         : offThePlot);
        }
    }
    updateAxes();
    placePoints();
}

void NotebookPlot::resizeEvent(QResizeEvent *event) {
    QChartView::resizeEvent(event);
    // A new size may hold more or fewer labels; the marks follow the axes.
    updateAxes();
    placePoints();
}

void NotebookPlot::placePoints() {
    auto points = [this](const std::vector<double> &values) {
        QList<QPointF> list;
        list.reserve(qsizetype(values.size()));
        for (size_t i = 0; i < values.size(); ++i)
            if (!std::isinf(values[i]))
                list.append(QPointF(xs_[i], std::isnan(values[i]) ? band_ : values[i]));
        return list;
    };
    // The outputs move only when the experiments or the band's place change.
    if (outputsStale_ || band_ != outputsBand_) {
        outputs_->replace(points(outputValues_));
        outputsBand_ = band_;
        outputsStale_ = false;
    }
    model_->replace(points(modelValues_));
}

void NotebookPlot::updateAxes() {
    double xLow = std::numeric_limits<double>::infinity(), xHigh = -xLow;
    for (double x : xs_) {
        xLow = std::min(xLow, x);
        xHigh = std::max(xHigh, x);
    }
    double yLow = std::numeric_limits<double>::infinity(), yHigh = -yLow;
    bool impossible = false;
    for (const std::vector<double> *values : {&outputValues_, &modelValues_}) {
        for (double y : *values) {
            if (std::isnan(y)) {
                impossible = true;
                continue;
            }
            if (std::isinf(y))
                continue;
            yLow = std::min(yLow, y);
            yHigh = std::max(yHigh, y);
        }
    }
    if (xs_.empty())
        xLow = 0, xHigh = 10;
    if (yLow > yHigh)
        yLow = 0, yHigh = 10;

    // Each label needs its own room along its axis, the half steps at the ends and the "?" band too.
    const QFontMetricsF metrics(yAxis_->labelsFont());
    const qreal tall = std::max(0.0, height() - linesAroundVertically * metrics.lineSpacing() - 30);
    const std::vector<double> yTicks = fittingTicks(yLow, yHigh, [&](const std::vector<double> &ticks) {
        return qreal(ticks.size() + (impossible ? 2 : 1)) * (metrics.height() + labelRoom) <= tall;
    });
    qreal widestY = metrics.horizontalAdvance(QStringLiteral("?"));
    for (double tick : yTicks)
        widestY = std::max(widestY, metrics.horizontalAdvance(numberText(tick, separator_)));
    const qreal wide =
        std::max(0.0, width() - widestY - linesAroundHorizontally * metrics.lineSpacing() - 30);
    const std::vector<double> xTicks = fittingTicks(xLow, xHigh, [&](const std::vector<double> &ticks) {
        qreal widest = 0;
        for (double tick : ticks)
            widest = std::max(widest, metrics.horizontalAdvance(numberText(tick, separator_)));
        return qreal(ticks.size() + 1) * (widest + labelRoom) <= wide;
    });
    const double yStep = yTicks.size() > 1 ? yTicks[1] - yTicks[0] : 1.0;
    const double band = yTicks.back() + yStep;
    // Axes are laid out again only when their labels change: most keystrokes keep them.
    if (xTicks != xTicks_) {
        setTicks(xAxis_, xTicks, std::nullopt, separator_);
        xTicks_ = xTicks;
    }
    if (yTicks != yTicks_ || impossible != bandShown_ || band != band_) {
        setTicks(yAxis_, yTicks, impossible ? std::optional<double>(band) : std::nullopt, separator_);
        yTicks_ = yTicks;
    }
    if (impossible) {
        const double bottom = yTicks.back() + yStep / 2;
        bandLower_->replace({QPointF(xAxis_->min(), bottom), QPointF(xAxis_->max(), bottom)});
        bandUpper_->replace({QPointF(xAxis_->min(), yAxis_->max()), QPointF(xAxis_->max(), yAxis_->max())});
    } else if (bandShown_) {
        bandLower_->clear();
        bandUpper_->clear();
    }
    band_ = band;
    bandShown_ = impossible;
}

QImage NotebookPlot::picture(qreal scale) {
    QImage image((QSizeF(size()) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    render(&painter, QRectF(QPointF(0, 0), QSizeF(size())), viewport()->rect());
    return image;
}

QList<QPointF> NotebookPlot::outputPoints() const {
    return outputs_->points();
}

QList<QPointF> NotebookPlot::modelPoints() const {
    return model_->points();
}

} // namespace ingranix
