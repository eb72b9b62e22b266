#include "dialogbackend.h"

#include <QColorDialog>
#include <QDir>
#include <QFontDialog>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace sonvera {

namespace {

// Shows `dialog` modally and hands it to `takeBack` when the user confirmed.
// The dialog lives on the heap behind a QPointer because its parent may be
// destroyed while the dialog waits for the user (a window closed by another
// event); the dialog is then gone with it and counts as cancelled.
template <typename Dialog, typename TakeBack>
auto RunModal(Dialog *created, TakeBack takeBack) -> std::optional<decltype(takeBack(*created))>
{
    QPointer<Dialog> dialog = created;
    const int result = dialog->exec();
    if (!dialog)
        return std::nullopt;
    std::optional<decltype(takeBack(*created))> answer;
    if (result == QDialog::Accepted)
        answer = takeBack(*dialog);
    delete dialog.data();
    return answer;
}

std::optional<QString> RunFileDialog(QWidget *parent, const FileDialogRequest &request,
                                     QFileDialog::AcceptMode acceptMode)
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

    std::optional<QString> chosen = RunModal(dialog, [](QFileDialog &d) {
        const QStringList files = d.selectedFiles();
        return files.isEmpty() ? QString() : files.constFirst();
    });
    if (chosen && chosen->isEmpty())
        return std::nullopt;
    return chosen;
}

} // namespace

std::optional<QString> QtDialogBackend::getOpenFileName(QWidget *parent, const FileDialogRequest &request)
{
    return RunFileDialog(parent, request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtDialogBackend::getSaveFileName(QWidget *parent, const FileDialogRequest &request)
{
    return RunFileDialog(parent, request, QFileDialog::AcceptSave);
}

std::optional<QString> QtDialogBackend::getExistingDirectory(QWidget *parent, const QString &caption)
{
    auto *dialog = new QFileDialog(parent);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setFileMode(QFileDialog::Directory);
    if (!caption.isEmpty())
        dialog->setWindowTitle(caption);
    std::optional<QString> chosen = RunModal(dialog, [](QFileDialog &d) {
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
    return RunModal(dialog, [](QColorDialog &d) { return d.selectedColor(); });
}

std::optional<QFont> QtDialogBackend::getFont(QWidget *parent, const QFont &initial)
{
    auto *dialog = new QFontDialog(initial, parent);
    dialog->setOption(QFontDialog::DontUseNativeDialog);
    return RunModal(dialog, [](QFontDialog &d) { return d.selectedFont(); });
}

bool QtDialogBackend::print(QWidget *parent, QAbstractPrintDialog::PrintDialogOptions options)
{
    QPrinter printer;
    auto *dialog = new QPrintDialog(&printer, parent);
    dialog->setOptions(options);
    return RunModal(dialog, [](QPrintDialog &) { return true; }).value_or(false);
}

bool QtDialogBackend::hasDefaultPrinter()
{
    return !QPrinterInfo::defaultPrinter().isNull();
}

bool QtDialogBackend::pageSetup(QWidget *parent)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return false;
    QPrinter printer(info);
    auto *dialog = new QPageSetupDialog(&printer, parent);
    return RunModal(dialog, [](QPageSetupDialog &) { return true; }).value_or(false);
}

DialogBackend &defaultDialogBackend()
{
    static QtDialogBackend backend;
    return backend;
}

} // namespace sonvera
