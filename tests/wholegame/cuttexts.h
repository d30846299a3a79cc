#pragma once

// The window tests' check that no text is cut: shared by the runs at the design size and the zoomed.

#include "ui/machinecontrols.h"

#include <QtWidgets>

namespace ingranix::windowtest {

// Every text a player can see under `root`, as "name: text", that does not fit its control's room in
// the control's own font, line by line.
inline QStringList cutTexts(const QWidget *root) {
    QStringList cut;
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        QString text;
        QRect room;
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            text = label->text();
            room = label->contentsRect().marginsRemoved(QMargins() + label->margin());
        } else if (auto *button = qobject_cast<QPushButton *>(widget)) {
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = text = button->text();
            room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        }
        if (room.isEmpty() || !widget->isVisible() || isDecorative(widget))
            continue;
        const QSize needed = widget->fontMetrics().boundingRect(QRect(), 0, text).size();
        if (needed.width() > room.width() || needed.height() > room.height())
            cut << widget->objectName() + QStringLiteral(": ") + text;
    }
    return cut;
}

} // namespace ingranix::windowtest
