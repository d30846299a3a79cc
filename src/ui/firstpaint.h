#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QObject>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace ingranix {

// For start-up measurements: with INGRANIX_QUIT_AFTER_FIRST_PAINT set, the program writes when its
// window first painted (CLOCK_MONOTONIC, shared by every process) and its resident memory then, as
// "first-paint <ns> <kB>" on standard output, and ends; a benchmark times it from process start.
class QuitAfterFirstPaint : public QObject {
public:
    static void installOn(QObject *widget) {
        if (qEnvironmentVariableIsSet("INGRANIX_QUIT_AFTER_FIRST_PAINT"))
            widget->installEventFilter(new QuitAfterFirstPaint(widget));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint && !done_) {
            done_ = true;
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            long long residentKb = -1;
            QFile status(QStringLiteral("/proc/self/status"));
            if (status.open(QIODevice::ReadOnly))
                for (const QByteArray &line : status.readAll().split('\n'))
                    if (line.startsWith("VmRSS:"))
                        residentKb = line.mid(6).trimmed().split(' ').first().toLongLong();
            std::printf("first-paint %lld %lld\n", (long long)now.tv_sec * 1000000000LL + now.tv_nsec,
                        residentKb);
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    explicit QuitAfterFirstPaint(QObject *parent) : QObject(parent) {}
    bool done_ = false;
};

} // namespace ingranix
