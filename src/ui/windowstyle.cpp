#include "windowstyle.h"

#include <QIconEngine>
#include <QLibraryInfo>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionComplex>
#include <QVersionNumber>
#include <QWidget>

#include <algorithm>

namespace ingranix {

namespace {

// The size QIcon hands an icon engine's scaledPixmap, in device-independent pixels. Qt 6.8 gives it
// so; Qt 6.4 to 6.7 gave it already multiplied by the scale. Asked of the Qt the program runs with,
// since a package built with Qt 6.4 also runs on a machine with a newer one.
QSize deviceIndependentSize(const QSize &size, qreal scale) {
    static const bool scaledBeforeQt68 = QLibraryInfo::version() < QVersionNumber(6, 8);
    return scaledBeforeQt68 && scale > 0 ? size / scale : size;
}

// An icon that asks the style for its picture only when someone draws it or asks its size.
class DeferredIcon : public QIconEngine {
public:
    DeferredIcon(const QProxyStyle *style, QStyle::StandardPixmap which) : style_(style), which_(which) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, mode, state);
    }
    // The style's own icon picks the picture for the scale, with the device pixel ratio to match.
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        return icon().pixmap(deviceIndependentSize(size, scale), scale, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return false; } // the style has this picture; asking must not decode it
    QIconEngine *clone() const override { return new DeferredIcon(*this); }

private:
    const QIcon &icon() {
        if (!loaded_ && style_)
            icon_ = style_->baseStyle()->standardIcon(which_);
        loaded_ = true;
        return icon_;
    }

    QPointer<const QProxyStyle> style_;
    QStyle::StandardPixmap which_;
    QIcon icon_;
    bool loaded_ = false;
};

} // namespace

QIcon WindowStyle::standardIcon(StandardPixmap icon, const QStyleOption *option,
                                const QWidget *widget) const {
    if (icon == SP_ToolBarHorizontalExtensionButton || icon == SP_ToolBarVerticalExtensionButton)
        return QIcon(new DeferredIcon(this, icon));
    return QProxyStyle::standardIcon(icon, option, widget);
}

QRect WindowStyle::subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl part,
                                  const QWidget *widget) const {
    const QRect designed = QProxyStyle::subControlRect(control, option, part, widget);
    const double zoom = widget ? widget->property(zoomProperty).toDouble() : 0;
    if (control != CC_ComboBox || zoom <= 1 || (part != SC_ComboBoxArrow && part != SC_ComboBoxEditField))
        return designed;
    // The arrow grows leftwards from the box's right edge, the text field gives up the room.
    const QRect arrow = QProxyStyle::subControlRect(control, option, SC_ComboBoxArrow, widget);
    const int wider = std::min(int(arrow.width() * (zoom - 1)), option->rect.width() / 3);
    if (part == SC_ComboBoxArrow)
        return arrow.adjusted(-wider, 0, 0, 0);
    return designed.adjusted(0, 0, -wider, 0);
}

} // namespace ingranix
