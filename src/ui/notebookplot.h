#pragma once

#include <QChartView>
#include <QFont>
#include <QList>
#include <QPointF>

#include <vector>

class QAreaSeries;
class QCategoryAxis;
class QLineSeries;
class QScatterSeries;

namespace ingranix {

namespace notebook {
class Notebook;
}

// Output against input for the experiments that count, the model's values over them in another mark,
// and "?" on a band of its own above the numbers. Axis labels are written as the machine writes
// numbers, as many as the plot's size has room for: Qt Charts shows a label without room as "...".
class NotebookPlot : public QChartView {
    Q_OBJECT
public:
    explicit NotebookPlot(QWidget *parent = nullptr);

    // Every point anew: after a new experiment, an emptied log or other settings.
    void showExperiments(const notebook::Notebook &notebook, const QString &decimalSeparator);
    // Only the model's marks: after the model changed.
    void showModel(const notebook::Notebook &notebook);

    // Its texts and marks this many times their designed size.
    void setZoom(double zoom);

    // The plot as a picture, `scale` times the size on screen (for the saved PDF).
    QImage picture(qreal scale);

    // What is drawn, for tests: outputs and model values; "?" points lie at bandValue().
    QList<QPointF> outputPoints() const;
    QList<QPointF> modelPoints() const;
    double bandValue() const { return band_; }
    bool showsBand() const { return bandShown_; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateAxes();
    void placePoints(); // the marks, where the axes now put them

    QLineSeries *bandLower_ = nullptr;
    QLineSeries *bandUpper_ = nullptr;
    QAreaSeries *bandArea_ = nullptr;
    QScatterSeries *outputs_ = nullptr;
    QScatterSeries *model_ = nullptr;
    QCategoryAxis *xAxis_ = nullptr;
    QCategoryAxis *yAxis_ = nullptr;
    QString separator_;
    // The counted experiments' x, as the machine reads the input, and their outputs (NaN for "?").
    std::vector<double> xs_;
    std::vector<double> outputValues_;
    std::vector<double> modelValues_;
    double band_ = 0;
    double outputsBand_ = 0;
    bool outputsStale_ = true;
    bool bandShown_ = false;
    std::vector<double> xTicks_;
    std::vector<double> yTicks_;
    double zoom_ = 1.0;
    QFont labelsFont_, titleFont_, legendFont_; // as designed
};

} // namespace ingranix
