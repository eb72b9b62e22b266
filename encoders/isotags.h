#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

#include <utility>

namespace sonvera::encoders {

// One iTunes tag: the item's four bytes ("\xa9nam" title, "\xa9ART" artist,
// "\xa9cmt" comment) and its text.
using ItunesTag = std::pair<QByteArray, QString>;

// Adds iTunes tags (moov/udta/meta/ilst) to the ISO media file at `path`
// (MP4, 3GP). Its moov box must be its last top-level box, as ffmpeg writes
// it without faststart, so that the box can grow without moving a sample.
// A file that has a meta box already keeps it as it is. False, with `error`,
// when the file is not such a file or cannot be written; it may then be
// damaged only if the write itself failed.
// `errorNumber`, when given, gets the errno of a write that failed (0 when
// nothing was written).
bool addItunesTags(const QString &path, const QList<ItunesTag> &tags, QString &error, int *errorNumber = nullptr);

// Why the ISO media file at `path` is not whole: its top-level boxes must
// fill it exactly, one of them the index (moov), whose own boxes fill it.
// Nothing when it is whole. A file cut by a full disk, or an index rewritten
// only in part, fails this; the samples themselves are not read.
std::optional<QString> isoStructureProblem(const QString &path);

} // namespace sonvera::encoders
