#pragma once

#include "guide/guidecharacter.h"
#include "play/game.h"
#include "play/interfaces.h"

#include <QStringList>

#include <functional>

namespace ingranix::fakes {

using namespace Qt::Literals::StringLiterals;

// A constants table whose entry i (0 to 15, row by row) is value(i).
inline ConstantsTable tableOf(const std::function<int(int)> &value) {
    ConstantsTable table;
    for (int i = 0; i < 16; ++i)
        table.set(i / 4 + 1, i % 4 + 1, qint16(value(i)));
    return table;
}

// The whole outside world of one game. Every request it gets is written down in order as
// "Request argument"; it answers from plain fields that a test sets.
struct World : Board, Movie, GuideCharacter, Clock, RandomSource, FileChooser, LogPrinter {
    QStringList calls;
    QString in1, out1;
    QString level = "                Livello", colour = "           ingranaggi"; // the selectors' prompts
    float label7 = 1560, movieLeft = 3000;
    int label7Moves = 0, second = 0;
    QList<double> draws; // then 0
    std::optional<QString> chosenFile;
    bool printerWorks = true;
    bool guideIdleOnScreen = true;

    void note(const QString &call) { calls << call; }
    QString in1Text() const override { return in1; }
    void setIn1Text(const QString &text) override { note("in1 " + (in1 = text)); }
    void focusIn1() override { note("focus"); }
    QString out1Caption() const override { return out1; }
    void setOut1Caption(const QString &caption) override { note("out1 " + (out1 = caption)); }
    void setLabel7(const QString &caption) override { note("Label7 " + caption); }
    void setLabel7ColourFromIn1() override { note("Label7 colour"); }
    float label7Left() const override { return label7; }
    void setLabel7Left(float twips) override {
        label7 = twips;
        ++label7Moves;
    }
    QString levelText() const override { return level; }
    void setLevelText(const QString &text) override { note("Combo1 " + (level = text)); }
    QString colourText() const override { return colour; }
    void setColourText(const QString &text) override { note("Combo2 " + (colour = text)); }
    void setFrameCaptions(const QString &caption) override { note("Frames " + caption); }
    void setBoxColour(BoxColour c, bool all) override {
        static const char *const names[] = {"red", "green", "blue", "button face", "white"};
        note(QString("Boxes ") + names[int(c)] + (all ? " all" : ""));
    }
    void appendLogLine(const QString &line) override { note("List1 " + line); }
    void clearLog() override { note("List1 clear"); }
    void setLightPicture(int light, const QString &path) override { note(u"Light%1 "_s.arg(light) + path); }

    void setMovie(const QString &path) override { note("Movie " + path); }
    void setBackgroundColor(qint32 bgr) override { note(QString("BackgroundColor %1").arg(bgr)); }
    void gotoFrame(int frame) override { note(QString("GotoFrame %1").arg(frame)); }
    void play() override { note("Movie play"); }
    float left() const override { return movieLeft; }

    bool load(const QString &id, const QString &) override { return note("Load " + id), true; }
    void setLanguageId(int id) override { note(QString("LanguageID %1").arg(id)); }
    void setBalloonFont(const QString &family, int size) override {
        note(u"Font %1 %2"_s.arg(family).arg(size));
    }
    void moveTo(qint16 x, qint16 y) override { note(QString("MoveTo %1 %2").arg(x).arg(y)); }
    void show() override { note("Show"); }
    void hide() override { note("Hide"); }
    void speak(const QString &text) override { note("Speak " + text); }
    void play(const QString &animation) override { note("Play " + animation); }
    void stopAll() override { note("StopAll"); }
    bool isIdleOnScreen() const override { return guideIdleOnScreen; }
    qint16 width() const override { return 128; }
    qint16 height() const override { return 128; }

    int seconds() const override { return second; }
    double next() override { return draws.isEmpty() ? 0.0 : draws.takeFirst(); }
    std::optional<QString> chooseSaveFile(const QString &filter) override {
        return note("Save " + filter), chosenFile;
    }
    std::optional<QString> chooseOpenFile(const QString &filter) override {
        return note("Open " + filter), chosenFile;
    }
    bool print(const QStringList &lines) override { return note("Print " + lines.join(u'|')), printerWorks; }
};

// A game in that world, its resources in "/res", with no screen size known.
struct Rig {
    World world;
    Game game{GameServices{world, world, world, world, world, world, world, "/res", {}}};

    Rig() { game.setDecimalSeparator(QStringLiteral(".")); }
    // Level 1, index 1, colour rosso, every constant 4.
    void playLevel1() {
        world.level = "Livello1";
        game.setGearColour("rosso");
        game.setMechanismConstants(tableOf([](int) { return 4; }));
    }
    void experiment(const QString &input, bool byEnter = false) {
        world.in1 = input;
        byEnter ? game.in1_KeyPress(13) : game.exp_Click();
    }
};

} // namespace ingranix::fakes
