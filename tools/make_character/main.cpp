// Draws up the wizard "merlin": its frame size, resting pose and the key poses of every animation
// the guide plays. Run it again after changing a gesture and commit the file it writes.

#include "guide/characterfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <functional>

using ingranix::character::Animation;
using ingranix::character::Frame;
using ingranix::character::Model;
using ingranix::character::Pose;

namespace {

// A key pose: the rest pose changed by `change`, reached in `ms` milliseconds.
Frame key(const Pose &rest, int ms, const std::function<void(Pose &)> &change) {
    Frame frame{ms, rest};
    change(frame.pose);
    return frame;
}

Model merlin() {
    Model model;
    model.id = QStringLiteral("merlin");
    model.width = 128;
    model.height = 160;
    const Pose rest = model.rest; // arms a little away from the robe, eyes open

    auto &a = model.animations;

    // Waves the wand high above the head and hops, the star flashing.
    a["getattention"].frames = {
        key(rest, 180,
            [](Pose &p) {
                p.rightArm = 150;
                p.sparkle = 0.6;
                p.mouth = 0.4;
            }),
        key(rest, 140,
            [](Pose &p) {
                p.rightArm = 170;
                p.sparkle = 1;
                p.lift = 8;
                p.hatTilt = -6;
                p.mouth = 0.6;
            }),
        key(rest, 140,
            [](Pose &p) {
                p.rightArm = 130;
                p.sparkle = 0.3;
                p.lift = 0;
                p.hatTilt = 4;
            }),
        key(rest, 140,
            [](Pose &p) {
                p.rightArm = 170;
                p.sparkle = 1;
                p.lift = 8;
                p.hatTilt = -6;
                p.mouth = 0.6;
            }),
        key(rest, 200,
            [](Pose &p) {
                p.rightArm = 140;
                p.sparkle = 0.4;
                p.mouth = 0.3;
            }),
    };
    // Points to the screen's left with the free hand, leaning that way.
    a["gestureleft"].frames = {
        key(rest, 250,
            [](Pose &p) {
                p.leftArm = 95;
                p.lean = -5;
                p.headTurn = -8;
            }),
        key(rest, 500,
            [](Pose &p) {
                p.leftArm = 100;
                p.lean = -6;
                p.headTurn = -10;
                p.mouth = 0.2;
            }),
        key(rest, 250,
            [](Pose &p) {
                p.leftArm = 60;
                p.lean = -2;
                p.headTurn = -4;
            }),
    };
    // Points to the right with the wand.
    a["gestureright"].frames = {
        key(rest, 250,
            [](Pose &p) {
                p.rightArm = 95;
                p.lean = 5;
                p.headTurn = 8;
                p.sparkle = 0.5;
            }),
        key(rest, 500,
            [](Pose &p) {
                p.rightArm = 100;
                p.lean = 6;
                p.headTurn = 10;
                p.sparkle = 0.9;
            }),
        key(rest, 250,
            [](Pose &p) {
                p.rightArm = 60;
                p.lean = 2;
                p.headTurn = 4;
                p.sparkle = 0.2;
            }),
    };
    // Both arms up, mouth open: a proclamation.
    a["announce"].frames = {
        key(rest, 250,
            [](Pose &p) {
                p.leftArm = 130;
                p.rightArm = 130;
                p.mouth = 0.5;
                p.lift = 3;
            }),
        key(rest, 450,
            [](Pose &p) {
                p.leftArm = 150;
                p.rightArm = 150;
                p.mouth = 1;
                p.sparkle = 1;
                p.lift = 5;
                p.hatTilt = -4;
            }),
        key(rest, 300,
            [](Pose &p) {
                p.leftArm = 110;
                p.rightArm = 110;
                p.mouth = 0.3;
                p.sparkle = 0.3;
            }),
    };
    // Peers through a magnifying glass, looking left and right.
    a["search"].frames = {
        key(rest, 250,
            [](Pose &p) {
                p.lens = 1;
                p.leftArm = 120;
            }),
        key(rest, 350,
            [](Pose &p) {
                p.lens = 1;
                p.leftArm = 125;
                p.headTurn = -12;
                p.lean = -3;
            }),
        key(rest, 350,
            [](Pose &p) {
                p.lens = 1;
                p.leftArm = 115;
                p.headTurn = 12;
                p.lean = 3;
            }),
        key(rest, 300,
            [](Pose &p) {
                p.lens = 1;
                p.leftArm = 120;
                p.headTurn = 0;
            }),
        key(rest, 200,
            [](Pose &p) {
                p.lens = 0;
                p.leftArm = 40;
            }),
    };
    // Opens a book and reads, head bent, eyes half closed.
    a["read"].frames = {
        key(rest, 250,
            [](Pose &p) {
                p.book = 1;
                p.leftArm = 55;
                p.rightArm = 55;
            }),
        key(rest, 450,
            [](Pose &p) {
                p.book = 1;
                p.leftArm = 55;
                p.rightArm = 55;
                p.headTurn = 6;
                p.eyes = 0.4;
            }),
        key(rest, 450,
            [](Pose &p) {
                p.book = 1;
                p.leftArm = 55;
                p.rightArm = 55;
                p.headTurn = -4;
                p.eyes = 0.4;
            }),
        key(rest, 250,
            [](Pose &p) {
                p.book = 0;
                p.leftArm = 30;
                p.rightArm = 30;
            }),
    };
    // Thinks hard: eyes shut, stars circling the hat twice.
    a["processing"].frames = {
        key(rest, 200,
            [](Pose &p) {
                p.eyes = 0;
                p.stars = 1;
                p.swirl = 0;
                p.rightArm = 70;
            }),
        key(rest, 400,
            [](Pose &p) {
                p.eyes = 0;
                p.stars = 1;
                p.swirl = 0.5;
                p.rightArm = 80;
                p.sparkle = 0.6;
            }),
        key(rest, 400,
            [](Pose &p) {
                p.eyes = 0;
                p.stars = 1;
                p.swirl = 1;
                p.rightArm = 70;
                p.sparkle = 0.2;
            }),
        key(rest, 400,
            [](Pose &p) {
                p.eyes = 0;
                p.stars = 1;
                p.swirl = 1.5;
                p.rightArm = 80;
                p.sparkle = 0.6;
            }),
        key(rest, 400,
            [](Pose &p) {
                p.eyes = 1;
                p.stars = 0.6;
                p.swirl = 2;
                p.rightArm = 40;
            }),
        key(rest, 200,
            [](Pose &p) {
                p.stars = 0;
                p.swirl = 2;
            }),
    };
    // A hand raised flat ("wait!"), a shake of the head, then attentive again.
    a["StopListening"].frames = {
        key(rest, 200,
            [](Pose &p) {
                p.leftArm = 140;
                p.mouth = 0.3;
            }),
        key(rest, 150,
            [](Pose &p) {
                p.leftArm = 140;
                p.headTurn = -10;
            }),
        key(rest, 150,
            [](Pose &p) {
                p.leftArm = 140;
                p.headTurn = 10;
            }),
        key(rest, 150,
            [](Pose &p) {
                p.leftArm = 140;
                p.headTurn = -6;
            }),
        key(rest, 250,
            [](Pose &p) {
                p.leftArm = 40;
                p.headTurn = 0;
            }),
    };
    return model;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: make_character <output file>\n";
        return 2;
    }
    QFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(ingranix::character::toJson(merlin())) < 0 || !out.flush()) {
        err << "cannot write " << out.fileName() << ": " << out.errorString() << "\n";
        return 1;
    }
    return 0;
}
