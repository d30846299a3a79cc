#include "guide/requestqueue.h"

namespace ingranix::guide {

QString Request::kindName() const {
    switch (kind) {
    case Kind::Show:
        return QStringLiteral("show");
    case Kind::Hide:
        return QStringLiteral("hide");
    case Kind::MoveTo:
        return QStringLiteral("moveTo");
    case Kind::Speak:
        return QStringLiteral("speak");
    case Kind::Play:
        return QStringLiteral("play");
    }
    return QString();
}

QString Request::detail() const {
    if (kind == Kind::MoveTo)
        return QStringLiteral("%1,%2").arg(target.x()).arg(target.y());
    return text;
}

bool RequestQueue::add(Request request) {
    // A player hammering Enter on an empty box must not line up an hour of warnings.
    if (waiting_.size() >= maxWaiting)
        return false;
    waiting_.append(std::move(request));
    return true;
}

const Request *RequestQueue::startNext() {
    if (current_ || waiting_.isEmpty())
        return nullptr;
    current_ = waiting_.takeFirst();
    return &*current_;
}

std::optional<Request> RequestQueue::endCurrent() {
    std::optional<Request> ended;
    ended.swap(current_);
    return ended;
}

} // namespace ingranix::guide
