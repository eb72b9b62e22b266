#pragma once

#include <QByteArray>
#include <QString>

namespace sonvera::encoders {

// An MP3's title, artist and comment as players read them: an ID3v2.3 tag
// (older players and Windows read no ID3v2.4) with TIT2, TPE1 and a COMM
// frame without a description, which VLC, GStreamer and Windows show as
// the comment. ffmpeg writes the comment as a TXXX frame instead, which they
// ignore. Text that Latin-1 holds is Latin-1, other text UTF-16 with a byte
// order mark. Empty texts get no frame; nothing at all gives no tag.
QByteArray id3v23Tag(const QString &title, const QString &artist, const QString &comment);

// Puts `head` in front of the file at `path`, moving its bytes back in place
// a mebibyte at a time. False, with `error` and the errno in `errorNumber`,
// when that fails; the file is then damaged.
bool prependToFile(const QString &path, const QByteArray &head, QString &error, int *errorNumber = nullptr);

} // namespace sonvera::encoders
