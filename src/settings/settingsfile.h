#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace sonvera {

// The bytes of one file of the settings folder (setup.ini, options.ini,
// preferences.ini, journal.dat).
struct SettingsFileBytes {
    QByteArray bytes;  // at most the limit asked for
    bool whole = true; // false: the file holds more than the limit
};

// Reads `path` only when it is a regular file (or a link to one): a FIFO
// would block start-up until someone writes to it, a device such as
// /dev/zero never ends. Reads at most `maxBytes`. nullopt when there is no
// file (silently) or it is not a regular file or cannot be read (logged,
// with why). Never blocks on anything but the disk.
std::optional<SettingsFileBytes> readSettingsFile(const QString &path, qint64 maxBytes);

// Makes way for a new file at `path`, to be written whole (QSaveFile): a
// FIFO, device or socket at the name, or a link to one, is removed (the link
// itself, never what it points to), since QSaveFile would write through a
// link. A link to a regular file stays (a settings file kept elsewhere), and
// so does a folder (the write then fails and says so). False (logged) when the name is taken by something that cannot be removed.
bool makeWayForSettingsFile(const QString &path);

// Replaces the file at `path` with `bytes` atomically (QSaveFile), making its
// folder and way for it first (makeWayForSettingsFile). A failed write keeps
// the previous file whole; false (logged) then.
bool writeSettingsFile(const QString &path, const QByteArray &bytes);

} // namespace sonvera
