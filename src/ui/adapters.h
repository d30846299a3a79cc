#pragma once

#include "filedialogs.h"
#include "machinewidgets.h"
#include "play/interfaces.h"

#include <QColor>

class QWidget;

namespace ingranix {

// The game's view of the window's controls.
class WidgetBoard : public Board {
public:
    WidgetBoard(const MachineWidgets &machine, MachineView &view) : w_(machine), view_(view) {}

    QString in1Text() const override;
    void setIn1Text(const QString &text) override;
    void focusIn1() override;
    QString out1Caption() const override;
    void setOut1Caption(const QString &caption) override;
    void setLabel7(const QString &caption) override;
    void setLabel7ColourFromIn1() override;
    float label7Left() const override;
    void setLabel7Left(float twips) override;
    QString levelText() const override;
    void setLevelText(const QString &text) override;
    QString colourText() const override;
    void setColourText(const QString &text) override;
    void setFrameCaptions(const QString &caption) override;
    void setBoxColour(BoxColour colour, bool all) override;
    void appendLogLine(const QString &line) override;
    void clearLog() override;
    void replaceLog(const QStringList &lines) override;
    void setLightPicture(int light, const QString &path) override;

    static QColor colourOf(BoxColour colour);
    static void paintBox(QWidget *box, const QColor &background);

private:
    const MachineWidgets &w_;
    MachineView &view_;
    QColor in1Background_{Qt::white};
    float label7Left_ = 1560.0f; // twips, as the machine lays Label7 out
};

class MovieControl : public Movie {
public:
    MovieControl(MoviePlayer &shock1, const MachineView &view) : shock1_(shock1), view_(view) {}
    void setMovie(const QString &path) override;
    void setBackgroundColor(qint32 bgr) override;
    void gotoFrame(int frame) override;
    void play() override;
    float left() const override;

private:
    MoviePlayer &shock1_;
    const MachineView &view_;
};

class SystemClock : public Clock {
public:
    int seconds() const override;
};

class DefaultLogPrinter : public LogPrinter {
public:
    bool print(const QStringList &lines) override;
};

} // namespace ingranix
