#pragma once

#include "ffmpegoutput.h"
#include "legacyoptions.h"
#include "valuemaps.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace sonvera::encoders {

// How a kept source size is fitted for the video codec; the size itself is
// known only once ffmpeg has read the source.
enum class SizeRule {
    AsIs,       // any size
    EvenSides,  // H.264: an odd side loses one pixel
    PadTo16,    // RealVideo: black borders up to multiples of 16
};

// The warning for a kept source size of `source` under `rule`, or an empty
// text when the size stays.
QString keptSizeWarning(SizeRule rule, QSize source);

// The video filter that applies `rule` (and a scaling to `scaleTo` first when
// it is valid); empty when nothing needs doing.
QString videoFilter(SizeRule rule, QSize scaleTo);

// The audio filter that keeps the sound where its timestamps put it: gaps
// in them are filled with silence (a pipe or a container that stores no
// timestamps would close them up and the sound would run ahead of the
// picture), and, with `fromZero`, so is a late start.
QString audioTimingFilter(bool fromZero);

// What conv asks of ffmpeg, worked out from its command line alone.
struct ConvPlan {
    QStringList codecArguments; // -map, codecs, rates and bitrates
    QString muxer;              // ffmpeg's -f: "avi", "mpeg" or "mp4"
    QStringList warnings;       // one line per mapped value
    int videoKbps = 0;          // for the status line
    int audioKbps = 0;
};

struct ConvPlanResult {
    std::optional<ConvPlan> plan;
    QString error; // the cause when plan is empty
};

// The engine's intermediate file is always named "tmp.mp4" and every output
// name carries a "-time" stamp, so that name marks the intermediate run,
// which is kept as AVI data; an MP4 output is a real MP4.
ConvPlanResult planConv(const ConvRequest &request);

// True for the engine's intermediate file: a run's own file, which the next
// file of the same run replaces, where every real output is never replaced.
bool isIntermediate(const QString &outputPath);

// The container a coder output goes into.
enum class CoderContainer { Mp3, RealMedia, Mov, Mp4, ThreeGp };

// What coder or coder2 asks of ffmpeg, worked out from its command line.
struct CoderPlan {
    CoderContainer container = CoderContainer::Mp3;
    QString muxer;                  // ffmpeg's -f
    QStringList inputOptions;       // before -i: the clip range
    bool video = false;             // the output has a video stream
    bool audio = false;             // the output may have audio (when the source has it)
    QStringList videoArguments;     // codec, filter, bitrate, for a source not yet known
    QStringList audioArguments;     // codec, rate, bitrate, channels, timing; empty for AMR
    SizeRule keptSizeRule = SizeRule::AsIs; // applies when no -s was given
    bool keepsSize = true;
    QString videoCodec;             // ffmpeg's encoder
    QSize scaleTo;                  // the frame size asked for; invalid when the source's is kept
    int realVideoKbps = 0;          // RealVideo's bitrate before it is fitted to the source
    std::optional<double> videoKbps; // other codecs' asked bitrate
    std::optional<AmrMode> amr;     // AMR-NB audio, coded by coder2 itself
    std::optional<double> clipStart;
    std::optional<double> clipEnd;
    QStringList warnings;
};

struct CoderPlanResult {
    std::optional<CoderPlan> plan;
    QString error;
};

// `amrAvailable`: coder2 codes AMR-NB itself; coder refuses it.
CoderPlanResult planCoder(const CoderRequest &request, bool amrAvailable);

// The video arguments for the source's video `source`, or for an unknown
// source (nullptr): a kept size is fitted for the codec, and RealVideo's frame
// size and bitrate are fitted to what it codes for this source. `warnings`
// receives a line for each value the source made change.
QStringList coderVideoArguments(const CoderPlan &plan, const StreamInfo *source, QStringList *warnings = nullptr);

// The duration coder reports for a source of `sourceSeconds` under the
// plan's clip range.
std::optional<double> clippedDuration(const CoderPlan &plan, std::optional<double> sourceSeconds);

// ffmpeg's view of a local path: "file:" keeps names such as "pipe:0" or
// "concat:a|b" from being read as protocols.
QString ffmpegFileUrl(const QString &path);

} // namespace sonvera::encoders
