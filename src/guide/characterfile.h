#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

// The guide character's own file: a small JSON description of the frame size and, for every
// animation, a list of vector poses that the guide draws itself. The tool make_character writes
// it; the guide reads it. Reading is defensive: the file comes from disk and may be anything.
namespace ingranix::character {

// One drawing of the wizard. Angles in degrees, lengths in pixels of a 100 x 125 design frame
// (the painter scales it to the real frame), weights 0..1.
struct Pose {
    double leftArm = 20;  // 0 hangs down, 90 points sideways, 180 points straight up
    double rightArm = 20; // the arm holding the wand
    double hatTilt = 0;
    double headTurn = 0; // tilt of the head and hat together
    double lean = 0;     // the whole body, around the feet
    double lift = 0;     // a hop upwards
    double sparkle = 0;  // glow of the wand's star
    double mouth = 0;    // 0 closed, 1 wide open
    double eyes = 1;     // 1 open, 0 closed
    double book = 0;     // an open book held in front
    double lens = 0;     // a magnifying glass in the left hand
    double swirl = 0;    // stars circling the hat; the value is the turn, 1 = a full circle
    double stars = 0;    // visibility of those stars

    friend bool operator==(const Pose &, const Pose &) = default;
};

// Straight-line blend, t in 0..1.
Pose blend(const Pose &from, const Pose &to, double t);

struct Frame {
    int durationMs = 100; // time to reach this pose from the previous one
    Pose pose;
};

struct Animation {
    QList<Frame> frames;
    int durationMs() const;
};

struct Model {
    QString id;
    int width = 0; // frame size in pixels
    int height = 0;
    Pose rest;
    QMap<QString, Animation> animations;
};

// Limits that keep a strange file from freezing or flooding the guide.
inline constexpr int maxFileBytes = 1 << 20;
inline constexpr int minFrameSide = 16;
inline constexpr int maxFrameSide = 1024;
inline constexpr int minFrameMs = 10;
inline constexpr int maxFrameMs = 5000;
inline constexpr int maxFramesPerAnimation = 400;

QByteArray toJson(const Model &model);
// False when the text is not a character description (bad JSON, no frame size, not ours).
// Animations that make no sense are left out; numbers are clamped to sane ranges.
bool fromJson(const QByteArray &json, Model &model, QString *problem = nullptr);
bool loadFile(const QString &path, Model &model, QString *problem = nullptr);

} // namespace ingranix::character
