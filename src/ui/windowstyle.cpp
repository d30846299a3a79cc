#include "windowstyle.h"

#include <QApplication>
#include <QIconEngine>
#include <QLibraryInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionComplex>
#include <QVersionNumber>
#include <QWidget>

#include <algorithm>
#include <cmath>

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

// The drop-down glyph at the designed size, in device-independent pixels: about the desktop style's own.
constexpr double arrowGlyphWidth = 8;
constexpr double arrowGlyphHeight = 4.5;

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

void WindowStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                                     QPainter *painter, const QWidget *widget) const {
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    const double zoom = widget ? widget->property(zoomProperty).toDouble() : 0;
    if (control != CC_ComboBox || zoom <= 1 || !(option->subControls & SC_ComboBoxArrow))
        return;
    // The desktop style draws its glyph a few pixels wide at any size; a larger one, in the box's text
    // colour, is drawn over it, centred where the style centres its own.
    const QRectF arrow = proxy()->subControlRect(control, option, SC_ComboBoxArrow, widget);
    const double width = std::min(arrowGlyphWidth * zoom, arrow.width() * 0.8);
    const double height = std::min(width * arrowGlyphHeight / arrowGlyphWidth, arrow.height() * 0.6);
    const QPointF centre = arrow.center();
    const QPointF glyph[] = {centre + QPointF(-width / 2, -height / 2),
                             centre + QPointF(width / 2, -height / 2), centre + QPointF(0, height / 2)};
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(option->palette.color(QPalette::ButtonText));
    painter->drawPolygon(glyph, 3);
    painter->restore();
}

void zoomMenus(QMenuBar *bar, double zoom) {
    QList<QWidget *> dressed{bar};
    for (QMenu *menu : bar->findChildren<QMenu *>())
        dressed << menu;
    for (QWidget *widget : dressed) {
        if (zoom <= 1) {
            // The desktop's font again, as if never set: every pixel as before the zoom.
            if (widget->testAttribute(Qt::WA_SetFont))
                widget->setFont(QFont());
            continue;
        }
        // The desktop's own font for this kind of widget, which a menu does not inherit from its bar.
        QFont font = QApplication::font(widget);
        if (font.pointSizeF() > 0)
            font.setPointSizeF(font.pointSizeF() * zoom);
        else
            font.setPixelSize(int(std::lround(font.pixelSize() * zoom)));
        // Set only when it changes: a new font lays the menu bar out again.
        if (!widget->testAttribute(Qt::WA_SetFont) || widget->font() != font)
            widget->setFont(font);
    }
}

} // namespace ingranix
