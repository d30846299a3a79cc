#pragma once

#include "guide/characterfile.h"
#include "guide/tween.h"

#include <QList>
#include <QString>

#include <optional>

// The wizard's pose through time: an animation's frames one after another from the pose it started
// in, the last pose held until the animation is cut, then a short way back to rest. Pure: every
// answer is a function of the time asked about.
namespace ingranix::guide {

class PoseTimeline {
public:
    // Poses change 15 times a second, which a cartoon figure needs and no more: every frame shown
    // costs a round of requests to the display server.
    static constexpr int stepMs = 66;
    static constexpr int returnToRestMs = 200;

    // A new rest (a character loaded) ends whatever was playing.
    void setRest(const character::Pose &rest);
    // Plays `frames` from the pose shown at `now`.
    void start(const QString &name, const QList<character::Frame> &frames, qint64 now);
    // Ends the animation: from the pose shown at `now` back to rest. Nothing when none plays.
    void cutToRest(qint64 now);

    character::Pose poseAt(qint64 now) const;
    // When the pose next changes after `now`; nullopt while it stays as it is until told otherwise.
    std::optional<qint64> wakeAt(qint64 now) const;
    const QString &name() const { return name_; } // empty when no animation plays

private:
    struct Place {
        qsizetype index; // the frame under way; frames_.size() once they are all over
        qint64 frameStart;
        character::Pose from; // the pose the frame starts from
    };
    Place placeAt(qint64 now) const;
    Tween<character::Pose> frameTween(const Place &place) const;

    character::Pose rest_;
    QString name_;
    QList<character::Frame> frames_;
    qint64 start_ = 0;
    character::Pose startPose_;
    bool playing_ = false;
    std::optional<Tween<character::Pose>> back_; // the way back to rest, once cut
};

} // namespace ingranix::guide
