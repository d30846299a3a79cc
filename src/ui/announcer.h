#pragma once

#include <QWidget>

namespace ingranix {

// Says a short text to screen readers, whatever has the focus: a result, a choice, the notebook's
// summary. It is a tiny notification beneath the window's controls, named by the text and shown
// anew for every announcement (screen readers speak a notification when it shows); where Qt has
// announcements of its own they are used instead, see announce().
class Announcer : public QWidget {
    Q_OBJECT
public:
    // Assertive: said at once, over whatever the reader says. Polite: where the reader and Qt can
    // queue it, after what is being said.
    enum class Politeness { Polite, Assertive };

    explicit Announcer(QWidget *parent);
    void announce(const QString &text, Politeness politeness = Politeness::Assertive);
    QString lastAnnounced() const { return accessibleName(); }
};

} // namespace ingranix
