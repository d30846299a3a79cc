#include "guide/posetimeline.h"

namespace ingranix::guide {

namespace {

int lengthOf(const character::Frame &frame) {
    return std::max(frame.durationMs, 0);
}

} // namespace

void PoseTimeline::setRest(const character::Pose &rest) {
    rest_ = rest;
    name_.clear();
    frames_.clear();
    playing_ = false;
    back_.reset();
}

void PoseTimeline::start(const QString &name, const QList<character::Frame> &frames, qint64 now) {
    startPose_ = poseAt(now);
    name_ = name;
    frames_ = frames;
    start_ = now;
    playing_ = true;
    back_.reset();
}

void PoseTimeline::cutToRest(qint64 now) {
    if (!playing_)
        return;
    back_.emplace(poseAt(now), rest_, now, returnToRestMs, Easing::InOut, stepMs);
    playing_ = false;
    name_.clear();
    frames_.clear();
}

PoseTimeline::Place PoseTimeline::placeAt(qint64 now) const {
    Place place{0, start_, startPose_};
    // value(): a frame index past the end reads a plain pose, never memory beyond the list.
    while (place.index < frames_.size()) {
        const character::Frame frame = frames_.value(place.index);
        if (now < place.frameStart + lengthOf(frame))
            break;
        place.frameStart += lengthOf(frame);
        place.from = frame.pose;
        ++place.index;
    }
    return place;
}

Tween<character::Pose> PoseTimeline::frameTween(const Place &place) const {
    const character::Frame frame = frames_.value(place.index);
    return {place.from, frame.pose, place.frameStart, lengthOf(frame), Easing::InOut, stepMs};
}

character::Pose PoseTimeline::poseAt(qint64 now) const {
    if (!playing_)
        return back_ ? back_->at(now) : rest_;
    const Place place = placeAt(now);
    if (place.index >= frames_.size())
        return place.from; // the last pose, held until the animation is cut
    return frameTween(place).at(now);
}

std::optional<qint64> PoseTimeline::wakeAt(qint64 now) const {
    if (!playing_) {
        if (!back_ || back_->isOver(now))
            return std::nullopt;
        return std::min(back_->end(), nextSample(now, back_->start(), stepMs));
    }
    const Place place = placeAt(now);
    if (place.index >= frames_.size())
        return std::nullopt;
    const qint64 end = place.frameStart + lengthOf(frames_.value(place.index));
    // A frame that holds its pose needs no drawing until the next begins.
    if (frames_.value(place.index).pose == place.from)
        return end;
    return std::min(end, nextSample(now, place.frameStart, stepMs));
}

} // namespace ingranix::guide
