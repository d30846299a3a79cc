#include "notebookloader.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace ingranix {

namespace {

NotebookFactory loadModule(const QString &programFolder) {
    const QDir here(programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder);
    for (const QString &path : {here.filePath(QStringLiteral("ingranix-notebook")),
                                here.filePath(QStringLiteral("../lib/ingranix/ingranix-notebook"))}) {
        QLibrary module(path);
        if (auto factory = reinterpret_cast<NotebookFactory>(module.resolve(NotebookLoader::moduleEntry)))
            return factory;
    }
    qWarning("the notebook's module is missing: the game goes on without its notebook");
    return nullptr;
}

} // namespace

std::unique_ptr<NotebookPanel> NotebookLoader::create(Game &game, Board &board, QWidget *parent) {
    if (!factory_)
        factory_ = loadModule(programFolder_);
    if (!factory_)
        return nullptr;
    return std::unique_ptr<NotebookPanel>(factory_(game, board, parent));
}

} // namespace ingranix
