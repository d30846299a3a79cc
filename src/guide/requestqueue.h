#pragma once

#include <QList>
#include <QPoint>
#include <QString>

#include <optional>

// The guide's requests in the order they were made, one running at a time. Pure bookkeeping: when a
// request starts or ends is the caller's business.
namespace ingranix::guide {

struct Request {
    enum class Kind { Show, Hide, MoveTo, Speak, Play };
    Kind kind = Kind::Show;
    QString text;  // Speak: the text; Play: the animation's name
    QPoint target; // MoveTo: the top-left corner

    // "show", "hide", "moveTo", "speak" or "play", and the text, the name or "x,y".
    QString kindName() const;
    QString detail() const;
};

class RequestQueue {
public:
    // Requests beyond this many waiting are dropped: twice the longest script run of a busy start.
    static constexpr int maxWaiting = 40;

    // False when the request was dropped because too many wait already.
    bool add(Request request);
    // The first waiting request becomes the current one; none while one runs or none waits.
    const Request *startNext();
    // The current request is over (done or cut); nullopt when none ran.
    std::optional<Request> endCurrent();
    void dropWaiting() { waiting_.clear(); }

    const Request *current() const { return current_ ? &*current_ : nullptr; }
    bool hasWaiting() const { return !waiting_.isEmpty(); }
    bool isBusy() const { return current_.has_value() || !waiting_.isEmpty(); }
    int pending() const { return int(waiting_.size()) + (current_ ? 1 : 0); }

private:
    QList<Request> waiting_;
    std::optional<Request> current_;
};

} // namespace ingranix::guide
