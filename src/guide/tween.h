#pragma once

#include "guide/characterfile.h"

#include <QPointF>
#include <QtGlobal>

#include <algorithm>

// A value on its way from one end to another over a span of time: the guide's glide, its fade and
// its poses. Pure arithmetic on times in milliseconds from any fixed origin.
namespace ingranix::guide {

// 0 before `start`, 1 from `start + durationMs` on; a span of no length is over at once.
inline double progress(qint64 now, qint64 start, int durationMs) {
    if (durationMs <= 0)
        return 1;
    return std::clamp(double(now - start) / durationMs, 0.0, 1.0);
}

// Slow at both ends, as a hand moves.
inline double easeInOut(double t) {
    return t * t * (3 - 2 * t);
}

// `now` moved back onto a grid of `stepMs` from `start`, whatever a timer's jitter: a motion played
// again shows the very same values, so the figure's drawn frames can be reused.
inline qint64 sampled(qint64 now, qint64 start, int stepMs) {
    return now <= start || stepMs <= 0 ? now : start + (now - start) / stepMs * stepMs;
}

// The first point of that grid after `now`.
inline qint64 nextSample(qint64 now, qint64 start, int stepMs) {
    if (now < start)
        return start;
    return start + ((now - start) / std::max(stepMs, 1) + 1) * std::max(stepMs, 1);
}

inline double interpolate(double from, double to, double t) {
    return from + (to - from) * t;
}
inline QPointF interpolate(QPointF from, QPointF to, double t) {
    return from + (to - from) * t;
}
inline character::Pose interpolate(const character::Pose &from, const character::Pose &to, double t) {
    return character::blend(from, to, t);
}

enum class Easing { Linear, InOut };

template <typename T> class Tween {
public:
    Tween() = default;
    // stepMs > 0: the value changes only on a grid of that many milliseconds from `start`.
    Tween(T from, T to, qint64 start, int durationMs, Easing easing, int stepMs = 0)
        : from_(from), to_(to), start_(start), durationMs_(std::max(durationMs, 0)), easing_(easing),
          stepMs_(stepMs) {}

    // `to` itself, not a sum that rounds near it, once the time is over.
    T at(qint64 now) const {
        if (isOver(now))
            return to_;
        const double t = progress(sampled(now, start_, stepMs_), start_, durationMs_);
        return interpolate(from_, to_, easing_ == Easing::InOut ? easeInOut(t) : t);
    }
    bool isOver(qint64 now) const { return now >= end(); }
    qint64 start() const { return start_; }
    qint64 end() const { return start_ + durationMs_; }
    const T &to() const { return to_; }

private:
    T from_{};
    T to_{};
    qint64 start_ = 0;
    int durationMs_ = 0;
    Easing easing_ = Easing::Linear;
    int stepMs_ = 0;
};

} // namespace ingranix::guide
