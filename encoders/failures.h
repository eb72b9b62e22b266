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

// Why a run failed: the cause the engine reads (the exit status and the
// failure line), the facts that go with it, and the program's last line in
// English for whoever runs it by hand; ffmpeg's own line, where it helps,
// follows in parentheses there and is the facts' detail.
struct FailureReason {
    FailureCode code = FailureCode::Failed;
    QString cause;
    FailureFacts facts;
    bool aboutOutput = false; // names the output, not the source
};

// Why the listed input cannot give what the run needs, or nothing when it can.
std::optional<FailureReason> listingProblem(const InputInfo &input, const InputNeeds &needs);

// Why an ffmpeg run that ended with a failure failed, from its log; `paths`
// are the files it was given, which ffmpeg puts in front of its messages.
// A failure that reads as ffmpeg refusing the settings (code Failed) may
// still lie in the source: see sourceProbeProblem.
FailureReason ffmpegFailure(const FfmpegLogReader &log, int exitCode, const InputNeeds &needs,
                            const QStringList &paths);

// The arguments of a short ffmpeg run that only decodes the stream the run
// needs from `sourceUrl`, without any of the run's settings: when that fails
// too, the source is at fault, not the settings.
QStringList sourceProbeArguments(const QString &sourceUrl, const InputNeeds &needs);
// What that run found: the source's problem, or nothing when the stream
// decodes (`framesDecoded` from its last progress block; -1 unknown).
std::optional<FailureReason> sourceProbeProblem(const FfmpegLogReader &log, bool success, qint64 framesDecoded,
                                                const InputNeeds &needs, const QStringList &paths);

// ffmpeg ended without an error but coded nothing: every packet of the
// source was unreadable, or a clip range held nothing.
bool nothingWasCoded(const FfmpegLogReader &log);

// ffmpeg could not be started (`why`: QProcess's words; `error`: the errno of
// the call that failed, 0 when unknown), or was killed by `signal`.
FailureReason ffmpegStartFailure(const QString &why, int error);
FailureReason ffmpegKilled(int signal);

// "Enhanced" FLV announces HEVC, AV1 or VP9 video in a header that ffmpeg
// 5.1 does not know: it reads such a file as some other codec, or as none.
// The FourCC of the first video tag of such a file ("hvc1", "av01", "vp09"),
// or nothing for any other file.
std::optional<QString> enhancedFlvVideo(const QString &path);
FailureReason enhancedFlvFailure(const QString &fourCc);

// The causes shared with other checks.
FailureReason noVideo();
FailureReason noAudio();
FailureReason nothingDecoded();

} // namespace sonvera::encoders
