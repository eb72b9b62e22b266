#pragma once

#include "ffmpegoutput.h"

#include <QString>

#include <optional>

namespace sonvera::encoders {

// Status lines in the forms the progress display reads. None of them ends in
// "\r" or "\n": the caller adds the line end.

// What conv reports while it encodes.
struct ConvStatus {
    double positionSeconds = 0;
    qint64 frames = 0;
    int percent = 0;          // 0-100, shown as "( 5%)", "(42%)", "(100%)"
    double fps = 0;
    int minutesLeft = 0;
    int estimatedMegabytes = 0;
    int videoKbps = 0;
    int audioKbps = 0;
};

// MEncoder's form: "Pos:  12.3s    308f (42%)  25.00fps Trem:   0min   3mb  A-V:0.000 [1200:320]".
QString convStatusLine(const ConvStatus &status);

// The percentage conv shows for `position` of `duration` seconds: whole
// percents rounded down, at most 99 (100 is kept for the finished file), 0
// when the duration is unknown.
int convPercent(double positionSeconds, std::optional<double> durationSeconds);

// "00:03:25.47": hours, minutes and seconds with two decimals, as ffmpeg
// prints a duration.
QString hmsText(double seconds);

// FFmpeg's input banner line: "  Duration: 00:00:33.04, start: 0.000000,
// bitrate: 948 kb/s", or "  Duration: N/A, ..." when the length is unknown.
QString durationBannerLine(std::optional<double> durationSeconds, const QString &startText,
                           const QString &bitrateText);

// FFmpeg's status line with the position in seconds: "frame=  505 fps=502
// q=0.0 size=    3072kB time=16.86 bitrate=1492.0kbits/s speed=16.8x"; the
// frame fields only when the output has video; "Lsize=" in the last line.
QString coderStatusLine(const ProgressBlock &block, bool video, bool last);

} // namespace sonvera::encoders
