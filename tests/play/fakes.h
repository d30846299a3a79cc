#pragma once

#include "guide/guidecharacter.h"
#include "play/game.h"
#include "play/interfaces.h"

#include <QSize>
#include <QStringList>

#include <deque>

namespace ingranix::fakes {

struct FakeBoard : Board {
    QString in1 = QStringLiteral(" ");
    QString out1;
    QString label7 = QStringLiteral("In");
    float label7LeftTwips = 1560.0f;
    int label7Moves = 0;
    QString level = QStringLiteral("                Livello");
    QString colour = QStringLiteral("           ingranaggi");
    QString frameCaption = QStringLiteral("Frame1");
    int focusCount = 0;
    int colourCalls = 0;
    BoxColour lastColour = BoxColour::White;
    bool lastColourAll = false;
    QStringList list1;
    QStringList lights[7];

    QString in1Text() const override { return in1; }
    void setIn1Text(const QString &text) override { in1 = text; }
    void focusIn1() override { ++focusCount; }
    QString out1Caption() const override { return out1; }
    void setOut1Caption(const QString &caption) override { out1 = caption; }
    void setLabel7(const QString &caption) override { label7 = caption; }
    void setLabel7ColourFromIn1() override {}
    float label7Left() const override { return label7LeftTwips; }
    void setLabel7Left(float twips) override {
        label7LeftTwips = twips;
        ++label7Moves;
    }
    QString levelText() const override { return level; }
    void setLevelText(const QString &text) override { level = text; }
    QString colourText() const override { return colour; }
    void setColourText(const QString &text) override { colour = text; }
    void setFrameCaptions(const QString &caption) override { frameCaption = caption; }
    void setBoxColour(BoxColour c, bool all) override {
        lastColour = c;
        lastColourAll = all;
        ++colourCalls;
    }
    void appendLogLine(const QString &line) override { list1.append(line); }
    void clearLog() override { list1.clear(); }
    void setLightPicture(int light, const QString &path) override { lights[light].append(path); }
};

struct FakeMovie : Movie {
    QStringList calls;
    float leftTwips = 3000.0f;
    void setMovie(const QString &path) override { calls << QStringLiteral("Movie ") + path; }
    void setBackgroundColor(qint32 bgr) override { calls << QStringLiteral("BackgroundColor %1").arg(bgr); }
    void gotoFrame(int frame) override { calls << QStringLiteral("GotoFrame %1").arg(frame); }
    void play() override { calls << QStringLiteral("Play"); }
    float left() const override { return leftTwips; }
};

// Records every request as "Kind argument".
struct FakeGuide : GuideCharacter {
    QStringList requests;
    bool load(const QString &id, const QString &) override {
        requests << QStringLiteral("Load ") + id;
        return true;
    }
    void setLanguageId(int id) override { requests << QStringLiteral("LanguageID %1").arg(id); }
    void setBalloonFont(const QString &family, int size) override {
        requests << QStringLiteral("Font %1 %2").arg(family).arg(size);
    }
    void moveTo(qint16 x, qint16 y) override { requests << QStringLiteral("MoveTo %1 %2").arg(x).arg(y); }
    void show() override { requests << QStringLiteral("Show"); }
    void hide() override { requests << QStringLiteral("Hide"); }
    void speak(const QString &text) override { requests << QStringLiteral("Speak ") + text; }
    void play(const QString &name) override { requests << QStringLiteral("Play ") + name; }
    void stopAll() override { requests << QStringLiteral("StopAll"); }
    qint16 width() const override { return 128; }
    qint16 height() const override { return 128; }
};

// Gives the queued seconds in turn, then repeats the last one.
struct FakeClock : Clock {
    mutable std::deque<int> queue;
    int last = 0;
    int seconds() const override {
        if (queue.empty())
            return last;
        const int value = queue.front();
        queue.pop_front();
        const_cast<FakeClock *>(this)->last = value;
        return value;
    }
};

struct FakeRandom : RandomSource {
    std::deque<double> queue;
    double fallback = 0.0;
    double next() override {
        if (queue.empty())
            return fallback;
        const double value = queue.front();
        queue.pop_front();
        return value;
    }
};

struct FakeChooser : FileChooser {
    std::optional<QString> saveAnswer;
    std::optional<QString> openAnswer;
    std::optional<QString> chooseSaveFile(const QString &) override { return saveAnswer; }
    std::optional<QString> chooseOpenFile(const QString &) override { return openAnswer; }
};

struct FakePrinter : LogPrinter {
    bool works = true;
    QList<QStringList> jobs;
    bool print(const QStringList &lines) override {
        if (!works)
            return false;
        jobs.append(lines);
        return true;
    }
};

// A game wired to fakes, with the moves a player makes.
struct Rig {
    FakeBoard board;
    FakeMovie movie;
    FakeGuide guide;
    FakeClock clock;
    FakeRandom random;
    FakeChooser chooser;
    FakePrinter printer;
    Game game{GameServices{board, movie, guide, clock, random, chooser, printer, QStringLiteral("/res"),
                           [] { return QSize(1000, 800); }}};

    Rig() { game.setDecimalSeparator(QStringLiteral(".")); }

    // A game at level 1, index 1, colour rosso with every constant 4, as a player would have it.
    void playLevel1() {
        board.level = QStringLiteral("Livello1");
        game.setGearColour(QStringLiteral("rosso"));
        game.setMechanismIndex(1);
        ConstantsTable table;
        for (int r = 1; r <= 4; ++r)
            for (int c = 1; c <= 4; ++c)
                table.set(r, c, 4);
        game.setMechanismConstants(table);
    }
    void experiment(const QString &input, bool byEnter = false) {
        board.in1 = input;
        if (byEnter)
            game.in1_KeyPress(13);
        else
            game.exp_Click();
    }
};

} // namespace ingranix::fakes
