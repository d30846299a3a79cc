// For start-up measurements, preloaded into a program (LD_PRELOAD) so that the program itself holds
// no measuring code: once its application starts, this watches for the first paint of its main window's
// central widget, writes that moment (CLOCK_MONOTONIC, shared by every process) and the resident memory
// then, as "first-paint <ns> <kB>" on standard output, and ends the program. bench_startup times it
// from process start; the package check uses it to see the installed program paint.

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QMainWindow>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

class QuitAfterFirstPaint : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint && isCentralWidget(watched)) {
            QCoreApplication::instance()->removeEventFilter(this);
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
    static bool isCentralWidget(QObject *object) {
        auto *widget = qobject_cast<QWidget *>(object);
        auto *window = widget ? qobject_cast<QMainWindow *>(widget->window()) : nullptr;
        return window && window->centralWidget() == widget;
    }
};

// Runs as the application is constructed, before the program builds its window.
void watchFirstPaint() {
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        qApp->installEventFilter(new QuitAfterFirstPaint(qApp));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(watchFirstPaint)
