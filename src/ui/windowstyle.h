#pragma once

#include <QProxyStyle>

namespace ingranix {

// The desktop's own style, with one change for the start: the menu bar's overflow arrow, which only
// shows when the menus do not fit, is decoded when first drawn. Decoding it at once loads every
// picture plugin before the window can paint.
class WindowStyle : public QProxyStyle {
    Q_OBJECT
public:
    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};

} // namespace ingranix
