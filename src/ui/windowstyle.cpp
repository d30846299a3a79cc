#include "windowstyle.h"

#include <QIconEngine>
#include <QPainter>
#include <QPointer>

namespace ingranix {

namespace {

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

} // namespace ingranix
