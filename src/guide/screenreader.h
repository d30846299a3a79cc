#pragma once

#include <QObject>
#include <QTimer>

class QDBusPendingCallWatcher;

namespace ingranix {

// Tells whether a screen reader is running on this desktop: the accessibility bus's
// org.a11y.Status ScreenReaderEnabled (set by desktops that start the reader themselves), or an
// application named "orca" among those registered on the accessibility bus (a reader started by
// hand sets only IsEnabled, which other tools set too). Every question is asked without waiting,
// so a missing or stuck bus costs the game nothing; without a bus the answer is "no".
class ScreenReaderWatch : public QObject {
    Q_OBJECT
public:
    explicit ScreenReaderWatch(QObject *parent = nullptr);
    bool isRunning() const { return desktopSaysSo_ || registered_; }
    // True once the first answers are in (or known never to come).
    bool hasSettled() const { return statusKnown_ && registryKnown_; }

signals:
    void runningChanged(bool running);
    void settled();

private slots:
    void onStatusChanged(const QString &interfaceName, const QVariantMap &changed, const QStringList &);
    void onRegistryChanged();

private:
    void askStatus();
    void askRegistry();
    void connectToAccessibilityBus(const QString &address);
    void update(bool desktopSaysSo, bool registered);
    void know(bool &known);

    bool desktopSaysSo_ = false;
    bool registered_ = false;
    bool accessibilityBus_ = false;
    bool statusKnown_ = false;
    bool registryKnown_ = false;
    QTimer registryRecheck_; // gathers a burst of registrations into one look
};

} // namespace ingranix
