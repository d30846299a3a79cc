#include "machinecontrols.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QScopedValueRollback>

#include <algorithm>
#include <cmath>

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

// The list's own rows, as its delegate draws them, made at least as tall as the selector asks; it
// leaves the drawing to the delegate it wraps.
class LeastRowHeight : public QAbstractItemDelegate {
public:
    LeastRowHeight(QAbstractItemDelegate *drawn, const int &least, QObject *parent)
        : QAbstractItemDelegate(parent), drawn_(drawn), least_(least) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override {
        if (drawn_)
            drawn_->paint(painter, option, index);
    }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override {
        QSize size = drawn_ ? drawn_->sizeHint(option, index) : QSize();
        size.setHeight(std::max(size.height(), least_));
        return size;
    }

private:
    QPointer<QAbstractItemDelegate> drawn_;
    const int &least_;
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
    : QGroupBox(title, parent), look_(look) {
    // Every pixel is painted here: what lies beneath need not be painted first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PanelFrame::setZoom(double zoom) {
    zoom_ = zoom;
    update();
}

void PanelFrame::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QRect all = rect();
    const int border = std::max(1, int(std::lround(look_.borderWidth * zoom_)));
    // The border's four sides and the ground inside, each pixel once: a zoomed frame is large.
    const QRect inside = all.marginsRemoved(QMargins() + border);
    painter.fillRect(QRect(all.left(), all.top(), all.width(), border), look_.border);
    painter.fillRect(QRect(all.left(), all.bottom() - border + 1, all.width(), border), look_.border);
    painter.fillRect(QRect(all.left(), inside.top(), border, inside.height()), look_.border);
    painter.fillRect(QRect(inside.right() + 1, inside.top(), all.right() - inside.right(), inside.height()),
                     look_.border);
    painter.fillRect(inside, look_.background);
    painter.setPen(look_.titleColour.isValid() ? look_.titleColour : palette().color(QPalette::WindowText));
    const QFontMetrics metrics(font());
    const QPoint titleAt(int(std::lround(look_.titleAt.x() * zoom_)),
                         int(std::lround(look_.titleAt.y() * zoom_)));
    painter.drawText(QRect(titleAt, QSize(metrics.horizontalAdvance(title()), metrics.height())),
                     Qt::AlignLeft | Qt::TextHideMnemonic, title());
}

OutputLabel::OutputLabel(const QFont &designFont, QWidget *parent)
    : QLabel(parent), designFont_(designFont), firstPoints_(designFont.pointSizeF()) {
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

void OutputLabel::setDesignFont(const QFont &font) {
    designFont_ = font;
    fitCaption();
}

void OutputLabel::fitCaption() {
    // Long results (up to 15 digits) would be cut at the design's size and read as another number.
    // Zoomed, the steps and the least size grow with the font.
    const double scale = firstPoints_ > 0 ? designFont_.pointSizeF() / firstPoints_ : 1.0;
    QFont font = designFont_;
    const int room = contentsRect().width() - 2 * margin();
    while (font.pointSizeF() > smallestOutputPoints * scale &&
           QFontMetrics(font, this).horizontalAdvance(text()) > room)
        font.setPointSizeF(font.pointSizeF() - scale);
    setFont(font);
}

void OutputLabel::setCaption(const QString &caption) {
    setText(caption);
    fitCaption();
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

void Selector::setLeastRowHeight(int pixels) {
    if (pixels == leastRowHeight_)
        return;
    // Wrapped once, the first time it matters: at the designed size the list stays exactly the style's.
    if (leastRowHeight_ == 0 && pixels > 0 && !dynamic_cast<LeastRowHeight *>(view()->itemDelegate()))
        view()->setItemDelegate(new LeastRowHeight(view()->itemDelegate(), leastRowHeight_, this));
    leastRowHeight_ = pixels;
    view()->doItemsLayout();
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
