#include "dialogbackend.h"

#include "modaldialog.h"

#include <QColorDialog>
#include <QDir>
#include <QFontDialog>
#include <QPointer>

namespace sonvera {

namespace {

QFileDialog *fileDialogFor(QWidget *parent, const FileDialogRequest &request, QFileDialog::AcceptMode acceptMode)
{
    auto *dialog = new QFileDialog(parent);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    // Must come before the filters: the type list then shows only the label
    // part of each "label (patterns)" filter.
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setAcceptMode(acceptMode);
    dialog->setFileMode(acceptMode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : request.fileMode);
    if (!request.caption.isEmpty())
        dialog->setWindowTitle(request.caption);
    if (!request.directory.isEmpty())
        dialog->setDirectory(request.directory);
    if (!request.nameFilters.isEmpty())
        dialog->setNameFilters(request.nameFilters);
    if (!request.defaultSuffix.isEmpty())
        dialog->setDefaultSuffix(request.defaultSuffix);
    if (!request.selectedFile.isEmpty())
        dialog->selectFile(request.selectedFile);
    return dialog;
}

std::optional<QString> runFileDialog(QWidget *parent, const FileDialogRequest &request,
                                     QFileDialog::AcceptMode acceptMode)
{
    std::optional<QString> chosen = runModal(fileDialogFor(parent, request, acceptMode), [](QFileDialog &d) {
        const QStringList files = d.selectedFiles();
        return files.isEmpty() ? QString() : files.constFirst();
    });
    if (chosen && chosen->isEmpty())
        return std::nullopt;
    return chosen;
}

} // namespace

std::optional<QStringList> DialogBackend::getOpenFileNames(QWidget *parent, const FileDialogRequest &request)
{
    FileDialogRequest single = request;
    single.fileMode = QFileDialog::ExistingFile;
    const std::optional<QString> file = getOpenFileName(parent, single);
    return file ? std::optional<QStringList>(QStringList{*file}) : std::nullopt;
}

std::optional<QString> QtDialogBackend::getOpenFileName(QWidget *parent, const FileDialogRequest &request)
{
    return runFileDialog(parent, request, QFileDialog::AcceptOpen);
}

std::optional<QStringList> QtDialogBackend::getOpenFileNames(QWidget *parent, const FileDialogRequest &request)
{
    FileDialogRequest several = request;
    several.fileMode = QFileDialog::ExistingFiles;
    std::optional<QStringList> chosen = runModal(fileDialogFor(parent, several, QFileDialog::AcceptOpen),
                                                 [](QFileDialog &d) { return d.selectedFiles(); });
    if (chosen && chosen->isEmpty())
        return std::nullopt;
    return chosen;
}

std::optional<QString> QtDialogBackend::getSaveFileName(QWidget *parent, const FileDialogRequest &request)
{
    return runFileDialog(parent, request, QFileDialog::AcceptSave);
}

std::optional<QString> QtDialogBackend::getExistingDirectory(QWidget *parent, const QString &caption,
                                                             const QString &directory)
{
    auto *dialog = new QFileDialog(parent);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setFileMode(QFileDialog::Directory);
    if (!caption.isEmpty())
        dialog->setWindowTitle(caption);
    if (!directory.isEmpty())
        dialog->setDirectory(directory);
    std::optional<QString> chosen = runModal(dialog, [](QFileDialog &d) {
        const QStringList folders = d.selectedFiles();
        return folders.isEmpty() ? QString() : QDir::cleanPath(folders.constFirst());
    });
    if (chosen && chosen->isEmpty())
        return std::nullopt;
    return chosen;
}

std::optional<QColor> QtDialogBackend::getColor(QWidget *parent, const QColor &initial, bool fullOpen)
{
    // Qt's colour dialog always shows its custom-colour editor; there is no
    // smaller form to open it from.
    Q_UNUSED(fullOpen)
    auto *dialog = new QColorDialog(initial, parent);
    dialog->setOption(QColorDialog::DontUseNativeDialog);
    return runModal(dialog, [](QColorDialog &d) { return d.selectedColor(); });
}

std::optional<QFont> QtDialogBackend::getFont(QWidget *parent, const QFont &initial)
{
    auto *dialog = new QFontDialog(initial, parent);
    dialog->setOption(QFontDialog::DontUseNativeDialog);
    return runModal(dialog, [](QFontDialog &d) { return d.selectedFont(); });
}

DialogBackend &defaultDialogBackend()
{
    static QtDialogBackend backend;
    return backend;
}

} // namespace sonvera
