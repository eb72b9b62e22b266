#pragma once

#include "encoderstatus.h"
#include "ffmpegoutput.h"
#include "formatcodings.h"
#include "legacyoptions.h"
#include "valuemaps.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace sonvera::encoders {

using coding::SizeRule;

// What conv and coder ask of ffmpeg is worked out from their command line
// and the row of the format they write (formatcodings.h): the row's codings
// say which codecs, which values they take and which ffmpeg arguments they
// need.

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

// A command line the plan cannot use: the cause in English, and which
// setting it was with the text given (facts.setting, facts.value).
struct PlanError {
    QString cause;
    FailureFacts facts;
};

// What conv asks of ffmpeg.
struct ConvPlan {
    QStringList codecArguments; // -map, codecs, rates and bitrates
    QString muxer;              // ffmpeg's -f: "avi", "mpeg" or "mp4"
    QStringList warnings;       // one line per mapped value
    int videoKbps = 0;          // for the status line
    int audioKbps = 0;
};

struct ConvPlanResult {
    std::optional<ConvPlan> plan;
    PlanError error; // when plan is empty
};

// The engine's intermediate file is always named "tmp.mp4" and every output
// name carries a "-time" stamp, so that name marks the intermediate run,
// which is kept as AVI data; an MP4 output is a real MP4.
ConvPlanResult planConv(const ConvRequest &request);

// ffmpeg's arguments for video at `rate` (a text of fitFrameRate): a rate the
// codec cannot declare is coded at the declared rate with frames repeated.
QStringList frameRateArguments(const coding::VideoCoding &coding, const QString &rate);

// True for the engine's intermediate file's name (see the intermediate row).
bool isIntermediate(const QString &outputPath);

// The AMR-NB mode coder2 codes: the index into the row's bitrates (4.75 ...
// 12.2 kbit/s), which is also libopencore-amrnb's enum Mode.
struct AmrMode {
    int mode = 7;
    double kbps = 12.2;
};

// What coder or coder2 asks of ffmpeg.
struct CoderPlan {
    const coding::FormatCoding *row = nullptr; // the format of the output
    QString muxer;                  // ffmpeg's -f
    bool audioOnly = false;         // the format has no picture: a source without sound fails
    QStringList inputOptions;       // before -i: the clip range
    bool video = false;             // the output has a video stream
    bool audio = false;             // the output may have audio (when the source has it)
    QStringList videoArguments;     // codec, filter, bitrate, for a source not yet known
    QStringList audioArguments;     // codec, rate, bitrate, channels, timing; empty for AMR
    bool rateChosen = false;        // the sample rate is asked for, or the codec's own
    const coding::VideoCoding *videoCoding = nullptr; // the row's, while the output has video
    bool keepsSize = true;          // no -s: the source's size, fitted for the codec
    bool fromSource = false;        // it reads a source, not the engine's intermediate
    QSize scaleTo;                  // the frame size asked for; invalid when the source's is kept
    std::optional<double> videoKbps; // the bitrate asked for, fitted to the coding
    std::optional<AmrMode> amr;     // AMR-NB audio, coded by coder2 itself
    std::optional<double> clipStart;
    std::optional<double> clipEnd;
    QStringList warnings;
};

struct CoderPlanResult {
    std::optional<CoderPlan> plan;
    PlanError error;
};

// `amrAvailable`: coder2 codes AMR-NB itself; coder refuses it.
CoderPlanResult planCoder(const CoderRequest &request, bool amrAvailable);

// The video arguments for the source's video `source`, or for an unknown
// source (nullptr): a kept size is fitted for the codec, a frame too large
// for it is scaled down, and a bitrate kept within a frame buffer is fitted
// to the source's frame rate. `warnings` receives a line for each value the
// source made change.
QStringList coderVideoArguments(const CoderPlan &plan, const StreamInfo *source, QStringList *warnings = nullptr);

// The audio arguments for the source's sound `source`: without a sample
// rate asked for, a rate of the source's that the codec does not take is
// fitted (RealMedia's AC-3 takes three). `warnings` receives a line for it.
QStringList coderAudioArguments(const CoderPlan &plan, const StreamInfo *source, QStringList *warnings = nullptr);

// The duration coder reports for a source of `sourceSeconds` under the
// plan's clip range.
std::optional<double> clippedDuration(const CoderPlan &plan, std::optional<double> sourceSeconds);

// Why the source's streams, as ffmpeg listed them, cannot go into an output
// that copies `copy`'s codecs: a picture when `video`, and the sound (which
// an output without a picture needs); nothing when they can.
std::optional<QString> copyMismatch(const coding::StreamCopy &copy, bool video, const InputInfo &input);

// ffmpeg's arguments that copy the source's first picture (when `video`)
// and its first sound (which an output without a picture needs).
QStringList copyArguments(bool video);

// ffmpeg's arguments that give an output of `row` the source's title, artist
// and comment where ffmpeg would not carry them over on its own: RealMedia
// calls the artist "author".
QStringList metadataArguments(const coding::FormatCoding &row, const InputInfo &input);

// ffmpeg's view of a local path: "file:" keeps names such as "pipe:0" or
// "concat:a|b" from being read as protocols.
QString ffmpegFileUrl(const QString &path);

} // namespace sonvera::encoders
