#include "openfiledialog.h"

#include "commondialogs.h"
#include "dialogbackend.h"
#include "filefilter.h"

#include <QCoreApplication>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

QString showOpenFileDialog(QWidget *owner, const QString &title, QString &initialFolder, const QString &filter,
                           bool onlyExistingFiles)
{
    return showOpenFileDialog(defaultDialogBackend(), owner, title, initialFolder, filter, onlyExistingFiles);
}

QString showOpenFileDialog(DialogBackend &backend, QWidget *owner, const QString &title, QString &initialFolder,
                           const QString &filter, bool onlyExistingFiles)
{
    const QString existing = existingFolderWithSlash(upToNul(initialFolder));
    initialFolder = existing.isEmpty() ? QCoreApplication::applicationDirPath() : existing;

    FileDialogRequest request;
    request.caption = upToNul(title);
    request.directory = initialFolder;
    const QString types = upToNul(filter);
    request.nameFilters = qtNameFilters(types.trimmed().isEmpty() ? u"*.*|*.*"_s : types);
    request.fileMode = onlyExistingFiles ? QFileDialog::ExistingFile : QFileDialog::AnyFile;

    return backend.getOpenFileName(owner, request).value_or(QString());
}

} // namespace sonvera
