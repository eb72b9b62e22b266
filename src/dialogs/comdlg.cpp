#include "comdlg.h"

#include "commondialogs.h"
#include "dialogbackend.h"
#include "filefilter.h"

#include <QCoreApplication>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

QString ShowOpenFile(QWidget *owner, const QString &title, QString &initialFolder, const QString &filter,
                     quint32 flags)
{
    return ShowOpenFile(DefaultDialogBackend(), owner, title, initialFolder, filter, flags);
}

QString ShowOpenFile(DialogBackend &backend, QWidget *owner, const QString &title, QString &initialFolder,
                     const QString &filter, quint32 flags)
{
    const QString existing = ExistingFolderWithSlash(UpToNul(initialFolder));
    initialFolder = existing.isEmpty() ? QCoreApplication::applicationDirPath() : existing;

    FileDialogRequest request;
    request.caption = UpToNul(title);
    request.directory = initialFolder;
    const QString types = UpToNul(filter);
    request.nameFilters = QtNameFilters(types.trimmed().isEmpty() ? u"*.*|*.*"_s : types);
    request.fileMode = (flags & OFN_FILEMUSTEXIST) != 0 ? QFileDialog::ExistingFile : QFileDialog::AnyFile;

    return backend.getOpenFileName(owner, request).value_or(QString());
}

} // namespace sonvera
