#include "guide/screenreader.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

#include <memory>

namespace ingranix {

namespace {

const QString busService = QStringLiteral("org.a11y.Bus");
const QString busPath = QStringLiteral("/org/a11y/bus");
const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString status = QStringLiteral("org.a11y.Status");
const QString registry = QStringLiteral("org.a11y.atspi.Registry");
const QString rootPath = QStringLiteral("/org/a11y/atspi/accessible/root");
const QString accessible = QStringLiteral("org.a11y.atspi.Accessible");
const QString connectionName = QStringLiteral("ingranix-screen-reader-watch");
constexpr int answerMs = 3000; // a bus that takes longer is treated as absent

// The registered applications whose names say they are screen readers.
bool isScreenReaderName(const QString &name) {
    return name.compare(QStringLiteral("orca"), Qt::CaseInsensitive) == 0;
}

template <typename Done> void whenAnswered(const QDBusPendingCall &call, QObject *context, Done done) {
    auto *watcher = new QDBusPendingCallWatcher(call, context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [watcher, done] {
        watcher->deleteLater();
        done(*watcher);
    });
}

} // namespace

ScreenReaderWatch::ScreenReaderWatch(QObject *parent) : QObject(parent) {
    registryRecheck_.setSingleShot(true);
    registryRecheck_.setInterval(500);
    connect(&registryRecheck_, &QTimer::timeout, this, &ScreenReaderWatch::askRegistry);
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected()) {
        statusKnown_ = registryKnown_ = true;
        QMetaObject::invokeMethod(this, &ScreenReaderWatch::settled, Qt::QueuedConnection);
        return;
    }
    session.connect(busService, busPath, properties, QStringLiteral("PropertiesChanged"), this,
                    SLOT(onStatusChanged(QString, QVariantMap, QStringList)));
    askStatus();
    QDBusMessage address =
        QDBusMessage::createMethodCall(busService, busPath, busService, QStringLiteral("GetAddress"));
    whenAnswered(session.asyncCall(address, answerMs), this, [this](QDBusPendingCallWatcher &answer) {
        const QDBusPendingReply<QString> reply = answer;
        if (reply.isValid() && !reply.value().isEmpty())
            connectToAccessibilityBus(reply.value());
        if (!accessibilityBus_)
            know(registryKnown_);
    });
}

void ScreenReaderWatch::askStatus() {
    QDBusMessage get = QDBusMessage::createMethodCall(busService, busPath, properties, QStringLiteral("Get"));
    get << status << QStringLiteral("ScreenReaderEnabled");
    whenAnswered(QDBusConnection::sessionBus().asyncCall(get, answerMs), this,
                 [this](QDBusPendingCallWatcher &answer) {
                     const QDBusPendingReply<QDBusVariant> reply = answer;
                     if (reply.isValid())
                         update(reply.value().variant().toBool(), registered_);
                     know(statusKnown_);
                 });
}

void ScreenReaderWatch::onStatusChanged(const QString &interfaceName, const QVariantMap &changed,
                                        const QStringList &) {
    if (interfaceName == status && changed.contains(QStringLiteral("ScreenReaderEnabled")))
        update(changed.value(QStringLiteral("ScreenReaderEnabled")).toBool(), registered_);
}

void ScreenReaderWatch::connectToAccessibilityBus(const QString &address) {
    QDBusConnection bus = QDBusConnection::connectToBus(address, connectionName);
    if (!bus.isConnected())
        return;
    accessibilityBus_ = true;
    // The registry tells its root's children when an application comes or goes.
    bus.connect(QString(), rootPath, QStringLiteral("org.a11y.atspi.Event.Object"),
                QStringLiteral("ChildrenChanged"), this, SLOT(onRegistryChanged()));
    askRegistry();
}

void ScreenReaderWatch::onRegistryChanged() {
    registryRecheck_.start();
}

void ScreenReaderWatch::askRegistry() {
    if (!accessibilityBus_)
        return;
    QDBusConnection bus(connectionName);
    QDBusMessage children =
        QDBusMessage::createMethodCall(registry, rootPath, accessible, QStringLiteral("GetChildren"));
    whenAnswered(bus.asyncCall(children, answerMs), this, [this, bus](QDBusPendingCallWatcher &answer) {
        const QDBusMessage reply = answer.reply();
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return know(registryKnown_);
        // a(so): each application's bus name and the path of its root.
        const QDBusArgument list = reply.arguments().constFirst().value<QDBusArgument>();
        QList<std::pair<QString, QString>> applications;
        list.beginArray();
        while (!list.atEnd()) {
            QString service;
            QDBusObjectPath path;
            list.beginStructure();
            list >> service >> path;
            list.endStructure();
            applications.append({service, path.path()});
        }
        list.endArray();
        // Each name is asked apart; the first that names a screen reader settles it.
        auto pending = std::make_shared<int>(int(applications.size()));
        auto found = std::make_shared<bool>(false);
        if (applications.isEmpty()) {
            update(desktopSaysSo_, false);
            know(registryKnown_);
        }
        for (const auto &[service, path] : applications) {
            QDBusMessage get =
                QDBusMessage::createMethodCall(service, path, properties, QStringLiteral("Get"));
            get << accessible << QStringLiteral("Name");
            whenAnswered(
                bus.asyncCall(get, answerMs), this, [this, pending, found](QDBusPendingCallWatcher &name) {
                    const QDBusPendingReply<QDBusVariant> reply = name;
                    *found =
                        *found || (reply.isValid() && isScreenReaderName(reply.value().variant().toString()));
                    if (--*pending == 0) {
                        update(desktopSaysSo_, *found);
                        know(registryKnown_);
                    }
                });
        }
    });
}

void ScreenReaderWatch::know(bool &known) {
    const bool was = hasSettled();
    known = true;
    if (hasSettled() && !was)
        emit settled();
}

void ScreenReaderWatch::update(bool desktopSaysSo, bool registered) {
    const bool was = isRunning();
    desktopSaysSo_ = desktopSaysSo;
    registered_ = registered;
    if (isRunning() != was)
        emit runningChanged(isRunning());
}

} // namespace ingranix
