#pragma once

#include "encoderstatus.h"
#include "ffmpegoutput.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace sonvera::encoders {

// What a run asks of its input.
struct InputNeeds {
    bool video = false;     // a video output: a source without video fails
    bool audio = false;     // an audio-only output: a source without sound fails
    bool takesSound = false; // the output carries the source's sound when it has one
};

// Why a run failed: the exit status the engine reads, and the program's last
// line in our own words with what to do; ffmpeg's own line, where it helps,
// follows in parentheses.
struct FailureReason {
    EncoderExit status = EncoderExit::Failed;
    QString cause;
    bool aboutOutput = false; // names the output, not the source
};

// Why the listed input cannot give what the run needs, or nothing when it can.
std::optional<FailureReason> listingProblem(const InputInfo &input, const InputNeeds &needs);

// Why an ffmpeg run that ended with a failure failed, from its log; `paths`
// are the files it was given, which ffmpeg puts in front of its messages.
FailureReason ffmpegFailure(const FfmpegLogReader &log, int exitCode, const InputNeeds &needs,
                            const QStringList &paths);

// ffmpeg ended without an error but coded nothing: every packet of the
// source was unreadable, or a clip range held nothing.
bool nothingWasCoded(const FfmpegLogReader &log);

// The causes shared with other checks.
QString noVideoCause();
QString noAudioCause();
QString nothingDecodedCause();

} // namespace sonvera::encoders
