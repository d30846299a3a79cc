#pragma once

#include <QProxyStyle>

class QMenuBar;

namespace ingranix {

// The desktop's own style, with two changes. For the start: the menu bar's overflow arrow, which only
// shows when the menus do not fit, is decoded when first drawn; decoding it at once loads every
// picture plugin before the window can paint. For the zoom: a drop-down list's arrow is as many
// times wider as its widget's zoomProperty says, so that a finger finds it on a whiteboard, and its
// glyph is drawn as many times larger, so that the back row sees it.
class WindowStyle : public QProxyStyle {
    Q_OBJECT
public:
    static constexpr char zoomProperty[] = "ingranixZoom";

    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl part,
                         const QWidget *widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget = nullptr) const override;
};

// The menu bar's and its menus' text drawn `zoom` times the desktop's own size, never smaller than
// it; at 1 or less they keep the desktop's font untouched.
void zoomMenus(QMenuBar *bar, double zoom);

} // namespace ingranix
