#pragma once

#include "failures.h"
#include "ffmpegoutput.h"
#include "formatcodings.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace sonvera::encoders {

// What players need of an output that ffmpeg does not write, added between
// ffmpeg's end and the output's publication: RealMedia's seek index
// (realmediaindex.h), MP3's title, artist and comment as an ID3v2.3 tag
// (id3tag.h).

// ffmpeg's arguments, before "-f", for an output of ffmpeg's muxer `muxer`:
// an MP3 gets no tag from ffmpeg, nor any of the source's other metadata
// (an FLV's onMetaData keys, "canSeekToEnd" and the like, are no tags).
QStringList playerReadyArguments(QStringView muxer);

// ffmpeg's arguments that leave out of an AVI output the source's title,
// artist and comment that its readers would garble: RIFF INFO names no
// character set, and VLC, MediaInfo and exiftool read it as Latin-1 (a
// Chinese title in UTF-8 comes out as "ä¸­æ"), so only ASCII text goes in.
// Empty for other rows (`row` may be null), whose tags read right.
QStringList unreadableTagArguments(const coding::FormatCoding *row, const InputInfo &input);

// Completes the output at `path`, which ffmpeg wrote with `muxer` from the
// source `input` listed: why that failed, or nothing. The file is then
// to be discarded, never published.
std::optional<FailureReason> makePlayerReady(QStringView muxer, const InputInfo *input, const QString &path);

} // namespace sonvera::encoders
