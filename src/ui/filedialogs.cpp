#include "filedialogs.h"

#include <QFileDialog>

namespace ingranix {

namespace {

// A cancelled dialog gives an empty name.
std::optional<QString> chosen(const QString &name) {
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

} // namespace

FileDialogs mechanismFileDialogs(const QString &) {
    return {QStringLiteral("salva"), QStringLiteral("apri"), QString(), false};
}

DialogFileChooser::DialogFileChooser(QWidget *parent, DialogsFor dialogsFor)
    : parent_(parent), dialogsFor_(std::move(dialogsFor)) {}

std::optional<QString> DialogFileChooser::chooseSaveFile(const QString &filter) {
    const FileDialogs dialogs = dialogsFor_(filter);
    const QFileDialog::Options options =
        dialogs.confirmOverwrite ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite;
    return chosen(QFileDialog::getSaveFileName(parent_, dialogs.saveTitle, dialogs.suggestedName, filter,
                                               nullptr, options));
}

std::optional<QString> DialogFileChooser::chooseOpenFile(const QString &filter) {
    return chosen(QFileDialog::getOpenFileName(parent_, dialogsFor_(filter).openTitle, QString(), filter));
}

} // namespace ingranix
