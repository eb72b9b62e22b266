#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

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
bool addItunesTags(const QString &path, const QList<ItunesTag> &tags, QString &error);

} // namespace sonvera::encoders
