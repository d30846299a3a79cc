#pragma once

#include "play/interfaces.h"

#include <QString>

#include <functional>

class QWidget;

namespace ingranix {

// What the dialogs of one kind of file say and offer.
struct FileDialogs {
    QString saveTitle;
    QString openTitle;
    QString suggestedName; // offered by the save dialog; none when empty
    // A mechanism file is appended to, so choosing an existing one needs no confirming.
    bool confirmOverwrite = true;
};

// The dialogs of "salva" and "apri" in the file menu.
FileDialogs mechanismFileDialogs(const QString &filter);

// Qt's file dialogs, for the window and for the notebook alike; `dialogsFor` tells them apart by the
// filter the caller asks with, at the moment a dialog opens.
class DialogFileChooser : public FileChooser {
public:
    using DialogsFor = std::function<FileDialogs(const QString &filter)>;
    explicit DialogFileChooser(QWidget *parent, DialogsFor dialogsFor = mechanismFileDialogs);
    std::optional<QString> chooseSaveFile(const QString &filter) override;
    std::optional<QString> chooseOpenFile(const QString &filter) override;

private:
    QWidget *parent_;
    DialogsFor dialogsFor_;
};

} // namespace ingranix
