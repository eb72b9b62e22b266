#pragma once

#include "pathtext.h"

#include <QString>
#include <QTime>

#include <functional>

namespace sonvera {

// The file name up to its first dot: "clip.part1.flv" gives "clip", ".flv" gives "".
QString baseNameOf(const QString &path);

// The output name of a source: folder (already ending in "/"), base name, "-",
// then hour, minute and second without leading zeros, then the extension with
// its dot. "/out/" + "/v/talk.part1.flv" at 14:07:09 gives "/out/talk-1479.mp3".
// A name past 255 bytes is shortened at a character boundary before the "-".
QString plannedOutputPath(const QString &folder, const QString &sourcePath, const QString &extension,
                          const QTime &clock);

using FileExistsFn = std::function<bool(const QString &path)>;

// The first name at or after `plannedPath` that names no existing file: the
// name itself, else "-2", "-3", ... put before its extension. An output must
// never overwrite a file the user already has (the encoder checks again when
// it publishes, against programs that take the name meanwhile).
QString firstFreeOutputPath(const QString &plannedPath, const FileExistsFn &exists);

} // namespace sonvera
