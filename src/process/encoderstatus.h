#pragma once

#include <QString>

#include <optional>

namespace sonvera {

// How an encoder program (conv, coder, coder2) ends: its exit status tells
// the kind of failure, so that every front end can say in the user's own
// language what went wrong and what to do; the program's last line adds the
// details (`conv: "/v/a.flv": no video stream`).
enum class EncoderExit : int {
    Converted = 0,        // the output is complete and published
    Failed = 1,           // any failure not listed below
    BadSetting = 2,       // a parameter it cannot use: not a number, no such size
    SourceUnreadable = 3, // missing, a folder, a FIFO or device, no permission
    OutputUnwritable = 4, // the output folder is missing or read-only, the disk is full
    NoVideo = 5,          // a video format asked of a source without video
    NoAudio = 6,          // MP3 asked of a source without sound
    UnsupportedCodec = 7, // a stream this system's ffmpeg cannot decode
    Damaged = 8,          // nothing readable: damaged, or not a media file
    FfmpegMissing = 9,    // ffmpeg is not installed
};

// The exit status as a kind of failure; Failed for any status not listed.
EncoderExit encoderExitFromStatus(int exitStatus);

// On success an encoder's last line names the file it wrote, which may carry
// "-2", "-3", ... when another program took the planned name meanwhile:
// `coder: wrote "talk-1479-2.mp3"`.
QString publishedLine(QStringView program, QStringView fileName);

// The file name of the last such line in an encoder's output, if any.
std::optional<QString> publishedFileName(QStringView output);

} // namespace sonvera
