#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

// Answers the next file dialog by typing `path` and clicking its accept button, again every half
// second while it stays open. A dialog that is not answered within 10 s, or is not Qt's own, is
// closed and leaves *answered false, so a stuck dialog fails the test instead of hanging it.
// `whenShown` runs once the dialog is up. With `refusals`, a name the dialog will not take (its
// button stays disabled, or it puts up a message) is noted there and the dialog cancelled, as a
// player would give up.
inline void answerFileDialog(QObject *context, const QString &path, bool *answered,
                             std::function<void()> whenShown = {}, QStringList *refusals = nullptr) {
    *answered = false;
    auto *poll = new QTimer(context);
    auto waited = std::make_shared<QElapsedTimer>();
    auto lastTry = std::make_shared<QElapsedTimer>();
    auto seen = std::make_shared<bool>(false);
    auto refused = std::make_shared<bool>(false);
    waited->start();
    QObject::connect(poll, &QTimer::timeout, context, [=] {
        if (auto *message = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            if (refusals)
                *refusals << message->text();
            *refused = true;
            message->accept();
            return;
        }
        QFileDialog *dialog = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *candidate = qobject_cast<QFileDialog *>(top); candidate && candidate->isVisible())
                dialog = candidate;
        if (!dialog) {
            if (*seen || waited->elapsed() > 10000) { // answered and closed, or never came
                poll->stop();
                poll->deleteLater();
            }
            return;
        }
        if (!*seen && whenShown)
            whenShown();
        *seen = true;
        if (*refused) {
            dialog->reject();
            return;
        }
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QAbstractButton *accept = nullptr;
        if (auto *buttons = dialog->findChild<QDialogButtonBox *>())
            for (QAbstractButton *button : buttons->buttons())
                if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
                    accept = button;
        if (waited->elapsed() > 10000 || !edit || !accept) {
            *answered = false;
            dialog->reject();
            return;
        }
        if (!edit->isVisible() || (lastTry->isValid() && lastTry->elapsed() < 500))
            return;
        lastTry->start();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, path);
        if (edit->completer() && edit->completer()->popup())
            edit->completer()->popup()->hide();
        if (refusals && !accept->isEnabled()) { // the dialog will not take this name
            *refusals << accept->text() + QStringLiteral(" disabled");
            *refused = true;
            return;
        }
        *answered = true;
        QTest::mouseClick(accept, Qt::LeftButton);
    });
    poll->start(50);
}
