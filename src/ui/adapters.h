#pragma once

#include "filedialogs.h"
#include "play/interfaces.h"

#include <QColor>

class QWidget;

namespace ingranix {

class MainWindow;

// The game's view of the window's controls.
class WidgetBoard : public Board {
public:
    explicit WidgetBoard(MainWindow &window) : w_(window) {}

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
    MainWindow &w_;
    QColor in1Background_{Qt::white};
};

class MovieControl : public Movie {
public:
    explicit MovieControl(MainWindow &window) : w_(window) {}
    void setMovie(const QString &path) override;
    void setBackgroundColor(qint32 bgr) override;
    void gotoFrame(int frame) override;
    void play() override;
    float left() const override;

private:
    MainWindow &w_;
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
