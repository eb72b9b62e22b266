#pragma once

#include <QString>

namespace sonvera {

// The longest file name most Linux file systems take, in bytes.
inline constexpr qsizetype kMaxFileNameBytes = 255;

// `fileName` with "-n" put before its extension (the part from its last dot):
// "talk-1479.mp3", 2 gives "talk-1479-2.mp3". The result is shortened, at a
// character boundary before the extension, so that it fits kMaxFileNameBytes.
QString numberedFileName(const QString &fileName, int n);

// `fileName` shortened as above when its UTF-8 form is longer than `maxBytes`;
// unchanged otherwise.
QString fittedFileName(const QString &fileName, qsizetype maxBytes = kMaxFileNameBytes);
// `stem` + `tail`, the stem shortened at a character boundary when the whole
// would be longer than `maxBytes`.
QString fittedFileName(const QString &stem, const QString &tail, qsizetype maxBytes = kMaxFileNameBytes);

struct PublishResult {
    QString path;  // the name the file now has; empty when it has none
    int error = 0; // errno of the failure; with a path, the folder could not be synced
};

// Gives the finished file `partPath` the name `finalPath`, or, when something
// already stands there (a file, a folder, a dangling symbolic link), the first
// free "-2", "-3", ... name; nothing that exists is ever replaced, even when
// another program publishes the same name at the same moment. Both paths must
// lie on one file system (the part file sits in the output's folder).
//
// What is published survives a power cut: the file's data is on the disk
// (fdatasync) before it gets its name, and the folder that holds the name is
// synced after (fsync), as rsync, git and SQLite do. Without the first, ext4's
// delayed allocation can bring back an empty file under the final name.
PublishResult publishWithoutReplacing(const QString &partPath, const QString &finalPath);

// fdatasync() of the file `path`; 0 or the errno of the call that failed.
int syncFileData(const QByteArray &path);
// fsync() of the folder `path`, so that a name made in it stays; 0 or the
// errno. A file system that cannot sync a folder (EINVAL) counts as done.
int syncFolder(const QByteArray &path);

} // namespace sonvera
