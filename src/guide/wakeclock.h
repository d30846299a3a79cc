#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <optional>

namespace ingranix::guide {

// The guide's time: what time it is (milliseconds from any fixed origin) and one alarm. Setting the
// alarm replaces the last one; nullopt clears it. alarm() comes at or after the time asked, never
// before, and from the event loop, never inside wakeAt(). Tests move a clock of their own by hand.
class WakeClock : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual qint64 now() const = 0;
    virtual void wakeAt(std::optional<qint64> at) = 0;

signals:
    void alarm();
};

// The real time, with a precise timer: requests last what they promise, not 5% less, and poses
// keep an even beat.
class TimerClock : public WakeClock {
    Q_OBJECT
public:
    explicit TimerClock(QObject *parent = nullptr);
    qint64 now() const override { return elapsed_.elapsed(); }
    void wakeAt(std::optional<qint64> at) override;

private:
    QElapsedTimer elapsed_;
    QTimer timer_;
};

} // namespace ingranix::guide
