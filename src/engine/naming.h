#pragma once

#include <QString>
#include <QTime>

#include <functional>

namespace sonvera {

// The file name part of a path: everything after the last "/", the whole path
// when it holds none, "" for "" and for a path ending in "/".
QString FileNameFromPath(const QString &path);

// The file name up to its first dot: "clip.part1.flv" gives "clip", ".flv" gives "".
QString BaseNameFromPath(const QString &path);

// The output name of a source: folder (already ending in "/"), base name, "-",
// then hour, minute and second without leading zeros, then the extension with
// its dot. "/out/" + "/v/talk.part1.flv" at 14:07:09 gives "/out/talk-1479.mp3".
QString OutputFileName(const QString &folder, const QString &sourcePath, const QString &extension,
                       const QTime &clock);

using FileExistsFn = std::function<bool(const QString &path)>;

// The first name at or after `outputFileName` that names no existing file:
// the name itself, else "-2", "-3", ... put before `extension` (which ends the name).
// An output must never overwrite a file the user already has.
QString FirstFreeOutputName(const QString &outputFileName, const QString &extension, const FileExistsFn &exists);

} // namespace sonvera
