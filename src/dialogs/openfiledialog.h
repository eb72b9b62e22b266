#pragma once

#include <QString>

class QWidget;

namespace sonvera {

class DialogBackend;

// Shows an open-file dialog owned by `owner` (nullptr: top-level) and returns
// the chosen file's path, or "" when the user cancelled.
//
// `initialFolder` is where the dialog opens, and is rewritten for the caller:
// trimmed of spaces with a trailing "/" when it names an existing folder,
// otherwise (blank, or no such folder) the program folder. `filter` is a
// "label|pattern|..." list (see qtNameFilters); blank means "*.*|*.*". The
// first type is selected; no name is preset and no suffix is added. With
// `onlyExistingFiles` only an existing file can be chosen; otherwise any name
// typed into the name box is returned.
//
// Modal: the dialog runs in its own event loop until the user answers.
QString showOpenFileDialog(QWidget *owner, const QString &title, QString &initialFolder, const QString &filter = {},
                           bool onlyExistingFiles = false);
// The same with the dialog shown by `backend`.
QString showOpenFileDialog(DialogBackend &backend, QWidget *owner, const QString &title, QString &initialFolder,
                           const QString &filter = {}, bool onlyExistingFiles = false);

} // namespace sonvera
