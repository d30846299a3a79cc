#include "machinecontrols.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScopedValueRollback>

namespace ingranix {

namespace {

const char decorativeProperty[] = "ingranixDecorative";

// The smallest output font: the longest number text (21 characters) still fits at this size.
constexpr double smallestOutputPoints = 6;

// A surface or frame as screen readers see it: its own name, and its children without the
// decorative ones.
class WithoutDecorations : public QAccessibleWidget {
public:
    WithoutDecorations(QWidget *widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    int childCount() const override { return int(shownChildren().size()); }
    QAccessibleInterface *child(int index) const override {
        const QList<QWidget *> children = shownChildren();
        if (index < 0 || index >= children.size())
            return nullptr;
        return QAccessible::queryAccessibleInterface(children.at(index));
    }
    int indexOfChild(const QAccessibleInterface *child) const override {
        if (!child)
            return -1;
        return int(shownChildren().indexOf(qobject_cast<QWidget *>(child->object())));
    }

private:
    QList<QWidget *> shownChildren() const {
        QList<QWidget *> children;
        for (QObject *object : widget()->children()) {
            auto *child = qobject_cast<QWidget *>(object);
            if (child && !child->isWindow() && !qobject_cast<QMenu *>(child) && !isDecorative(child))
                children.append(child);
        }
        return children;
    }
};

QAccessibleInterface *machineAccessible(const QString &key, QObject *object) {
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return nullptr;
    if (key == u"ingranix::PanelFrame")
        return new WithoutDecorations(widget, QAccessible::Grouping);
    if (key == u"ingranix::MachineSurface")
        return new WithoutDecorations(widget, QAccessible::Client);
    // The emblem is decoded only when the about panel first opens; it is a picture all along.
    if (key == u"QLabel" && widget->objectName() == u"Image8")
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    // A notification, because screen readers speak a notification when it shows, whatever has
    // the focus, and ignore a label whose name changes.
    if (key == u"ingranix::OutputLabel")
        return new QAccessibleWidget(widget, QAccessible::Notification);
    return nullptr;
}

} // namespace

void markDecorative(QWidget *widget) {
    widget->setProperty(decorativeProperty, true);
}

bool isDecorative(const QWidget *widget) {
    return widget->property(decorativeProperty).toBool();
}

void installMachineAccessibility() {
    QAccessible::installFactory(machineAccessible); // installs once, however often it is called
}

PanelFrame::PanelFrame(const QString &title, const Look &look, QWidget *parent)
    : QGroupBox(title, parent), look_(look) {}

void PanelFrame::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QRect all = rect();
    painter.fillRect(all, look_.border);
    painter.fillRect(all.marginsRemoved(QMargins() + look_.borderWidth), look_.background);
    painter.setPen(look_.titleColour.isValid() ? look_.titleColour : palette().color(QPalette::WindowText));
    const QFontMetrics metrics(font());
    painter.drawText(QRect(look_.titleAt, QSize(metrics.horizontalAdvance(title()), metrics.height())),
                     Qt::AlignLeft | Qt::TextHideMnemonic, title());
}

OutputLabel::OutputLabel(const QFont &designFont, QWidget *parent) : QLabel(parent), designFont_(designFont) {
    setFont(designFont_);
}

void OutputLabel::setCaption(const QString &caption) {
    setText(caption);
    // Long results (up to 15 digits) would be cut at the design's size and read as another number.
    QFont font = designFont_;
    const int room = contentsRect().width() - 2 * margin();
    while (font.pointSizeF() > smallestOutputPoints &&
           QFontMetrics(font, this).horizontalAdvance(caption) > room)
        font.setPointSizeF(font.pointSizeF() - 1);
    setFont(font);
    setAccessibleName(caption.isEmpty() ? QStringLiteral("output") : QStringLiteral("output: ") + caption);
    // Shown anew, so that a screen reader speaks every result, even one equal to the last.
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

Selector::Selector(QWidget *parent) : QComboBox(parent) {
    connect(this, &QComboBox::activated, this, [this] {
        if (!committingTypedText_)
            emit chosen();
    });
}

void Selector::keyPressEvent(QKeyEvent *event) {
    // Enter on the closed selector commits the typed text, which Qt reports as an activation when
    // it names an item.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    QScopedValueRollback<bool> typed(committingTypedText_, committingTypedText_ || enter);
    QComboBox::keyPressEvent(event);
}

void Selector::focusOutEvent(QFocusEvent *event) {
    // Leaving the selector commits the typed text too.
    QScopedValueRollback<bool> typed(committingTypedText_, true);
    QComboBox::focusOutEvent(event);
}

} // namespace ingranix
