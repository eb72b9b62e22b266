#pragma once

#include <QString>

class QWidget;

namespace sonvera {

class DialogBackend;

// Flags of ShowOpenFile, by their traditional names and values.
// OFN_FILEMUSTEXIST: only an existing file can be chosen (otherwise any name
//   typed into the name box is returned, existing or not).
// OFN_LONGNAMES, OFN_NOCHANGEDIR, OFN_HIDEREADONLY: accepted and without
//   effect here - names are always long, Qt's dialog never changes the
//   working folder, and there is no read-only check box to hide.
inline constexpr quint32 OFN_HIDEREADONLY = 0x4;
inline constexpr quint32 OFN_NOCHANGEDIR = 0x8;
inline constexpr quint32 OFN_FILEMUSTEXIST = 0x1000;
inline constexpr quint32 OFN_LONGNAMES = 0x200000;

// Shows an open-file dialog owned by `owner` (nullptr: top-level) and returns
// the chosen file's path, or "" when the user cancelled.
//
// `initialFolder` is where the dialog opens, and is rewritten for the caller:
// trimmed of spaces with a trailing "/" when it names an existing folder,
// otherwise (blank, or no such folder) the program folder. `filter` is a
// "label|pattern|..." list (see QtNameFilters); blank means "*.*|*.*". The
// first type is selected; no name is preset and no suffix is added.
//
// Modal: the dialog runs in its own event loop until the user answers.
QString ShowOpenFile(QWidget *owner, const QString &title, QString &initialFolder, const QString &filter = {},
                     quint32 flags = 0);
// The same with the dialog shown by `backend`.
QString ShowOpenFile(DialogBackend &backend, QWidget *owner, const QString &title, QString &initialFolder,
                     const QString &filter = {}, quint32 flags = 0);

} // namespace sonvera
