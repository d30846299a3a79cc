#include "announcer.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace ingranix {

namespace {

QAccessibleInterface *announcerAccessible(const QString &key, QObject *object) {
    auto *widget = qobject_cast<QWidget *>(object);
    if (widget && key == u"ingranix::Announcer")
        return new QAccessibleWidget(widget, QAccessible::Notification);
    return nullptr;
}

} // namespace

Announcer::Announcer(QWidget *parent) : QWidget(parent) {
    QAccessible::installFactory(announcerAccessible); // installs once, however often it is called
    setObjectName(QStringLiteral("annunci"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 1, 1);
    lower();
    // Hidden until it first has something to say: shown empty with its window, it would make a
    // screen reader say "notifica" and nothing else. (Its role must not change instead: screen
    // readers keep the role they first read.)
    hide();
}

void Announcer::announce(const QString &text, Politeness politeness) {
    setAccessibleName(text);
    // Qt 6.8 brought announcements to AT-SPI (object:announcement, with a politeness); before it,
    // the notification shown anew is what screen readers such as Orca 43 speak, always at once.
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent event(this, text);
    event.setPoliteness(politeness == Politeness::Polite ? QAccessible::AnnouncementPoliteness::Polite
                                                         : QAccessible::AnnouncementPoliteness::Assertive);
    QAccessible::updateAccessibility(&event);
#else
    Q_UNUSED(politeness)
    if (isHidden()) {
        show(); // Qt tells the screen reader it shows
        return;
    }
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
#endif
}

} // namespace ingranix
