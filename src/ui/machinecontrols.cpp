#include "machinecontrols.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
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

// A selector as screen readers see it: named for what it chooses, whatever it shows, and the shown
// text as its value. (Qt's own combo box takes its text as its name on Linux, so a reader would say
// only "rosso", or the prompt's blanks.) Its list and its text box are its children, as in Qt's own.
class SelectorAccessible : public QAccessibleWidget {
public:
    explicit SelectorAccessible(QComboBox *combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value)
            return combo()->currentText().trimmed();
        return QAccessibleWidget::text(kind);
    }
    int childCount() const override { return combo()->lineEdit() ? 2 : 1; }
    QAccessibleInterface *child(int index) const override {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(combo()->view());
        if (index == 1 && combo()->lineEdit())
            return QAccessible::queryAccessibleInterface(combo()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override {
        if (!child)
            return -1;
        if (child->object() == combo()->view())
            return 0;
        return combo()->lineEdit() && child->object() == combo()->lineEdit() ? 1 : -1;
    }
    QStringList actionNames() const override {
        return QStringList(showMenuAction()) + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override {
        if (action == showMenuAction() || action == pressAction())
            combo()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QComboBox *combo() const { return static_cast<QComboBox *>(widget()); }
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
    if (key == u"ingranix::Selector")
        return new SelectorAccessible(static_cast<QComboBox *>(widget));
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
    // Reached by Tab, so that the last result can be read again; it takes no typing.
    setFocusPolicy(Qt::TabFocus);
}

QString OutputLabel::spokenName(const QString &caption) {
    if (caption.isEmpty())
        return QStringLiteral("output");
    // Screen readers drop a lone punctuation mark: the "?" is said in words.
    if (caption == u"?")
        return QStringLiteral("output: punto interrogativo, calcolo impossibile");
    return QStringLiteral("output: ") + caption;
}

void OutputLabel::paintEvent(QPaintEvent *event) {
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    painter.drawRect(rect().adjusted(2, 2, -3, -3));
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
    setAccessibleName(spokenName(caption));
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
    {
        QScopedValueRollback<bool> typed(committingTypedText_, committingTypedText_ || enter);
        QComboBox::keyPressEvent(event);
    }
    if (enter)
        emit enterPressed();
}

void Selector::focusOutEvent(QFocusEvent *event) {
    // Leaving the selector commits the typed text too.
    QScopedValueRollback<bool> typed(committingTypedText_, true);
    QComboBox::focusOutEvent(event);
}

} // namespace ingranix
