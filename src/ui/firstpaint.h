#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

namespace ingranix {

// For start-up measurements: with INGRANIX_QUIT_AFTER_FIRST_PAINT set, the program ends as soon as
// its window has painted once, so a benchmark can time process start to first picture.
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
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    explicit QuitAfterFirstPaint(QObject *parent) : QObject(parent) {}
    bool done_ = false;
};

} // namespace ingranix
