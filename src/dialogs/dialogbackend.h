#pragma once

#include <QColor>
#include <QFileDialog>
#include <QFont>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace sonvera {

// What a file dialog is asked to show.
struct FileDialogRequest {
    QString caption;         // window title; "" leaves the dialog's own default
    QString directory;       // folder the dialog opens in; "" for the working folder
    QString selectedFile;    // name put into the name box (no folder part); "" for none
    QStringList nameFilters; // Qt name filters (see qtNameFilters); the first is selected
    QString defaultSuffix;   // appended to a typed name without one; "" for none
    QFileDialog::FileMode fileMode = QFileDialog::ExistingFile; // open dialogs only
};

// The one place where the common dialogs meet Qt's dialog classes. The
// property bag and the open-file routine decide what goes in and what is
// taken back; a backend only shows a dialog and reports the user's answer,
// so tests can put a scripted backend in its place.
//
// Every method is modal: it returns once the user has answered. `parent`
// owns the dialog while it is shown (nullptr: a top-level dialog). A result
// without a value, or false, means the user cancelled or the dialog could not
// be shown.
class DialogBackend {
public:
    virtual ~DialogBackend() = default;

    // An existing file to open (or any name, with fileMode AnyFile); an
    // absolute path.
    virtual std::optional<QString> getOpenFileName(QWidget *parent, const FileDialogRequest &request) = 0;
    // One or more existing files to open, absolute paths in the order the
    // user chose them; `fileMode` is not used. A backend that has no such
    // dialog offers its single-file one.
    virtual std::optional<QStringList> getOpenFileNames(QWidget *parent, const FileDialogRequest &request);
    // A name to save under; an absolute path. `fileMode` is not used.
    virtual std::optional<QString> getSaveFileName(QWidget *parent, const FileDialogRequest &request) = 0;
    // An existing folder, without a trailing "/" (except the root "/"); the
    // dialog opens in `directory` ("" for the working folder).
    virtual std::optional<QString> getExistingDirectory(QWidget *parent, const QString &caption,
                                                        const QString &directory) = 0;
    // `fullOpen`: show the custom-colour editor at once where the dialog can
    // hide it.
    virtual std::optional<QColor> getColor(QWidget *parent, const QColor &initial, bool fullOpen) = 0;
    virtual std::optional<QFont> getFont(QWidget *parent, const QFont &initial) = 0;
    // The printer dialogs are another backend's (PrinterBackend), kept apart
    // so that a program that prints nothing does not link Qt's printing.
};

// Qt's own dialog widgets, shown modally with exec(). Waiting in the dialog's
// event loop until the user answers is the one place where the program runs
// a local event loop: these calls exist to return the user's answer.
//
// The file, colour and font dialogs are Qt's widget dialogs, not the desktop's
// native ones: they look the same on every desktop, honour every request field
// (the hidden pattern part of a name filter, for one) and work without a
// desktop session.
class QtDialogBackend final : public DialogBackend {
public:
    std::optional<QString> getOpenFileName(QWidget *parent, const FileDialogRequest &request) override;
    std::optional<QStringList> getOpenFileNames(QWidget *parent, const FileDialogRequest &request) override;
    std::optional<QString> getSaveFileName(QWidget *parent, const FileDialogRequest &request) override;
    std::optional<QString> getExistingDirectory(QWidget *parent, const QString &caption,
                                                const QString &directory) override;
    std::optional<QColor> getColor(QWidget *parent, const QColor &initial, bool fullOpen) override;
    std::optional<QFont> getFont(QWidget *parent, const QFont &initial) override;
};

// A process-wide QtDialogBackend for callers that do not bring their own.
DialogBackend &defaultDialogBackend();

} // namespace sonvera
