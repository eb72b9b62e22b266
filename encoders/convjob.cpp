#include "convjob.h"


using namespace Qt::Literals::StringLiterals;

namespace sonvera::encoders {

namespace {
// conv always writes video, with the sound when the source has some.
constexpr InputNeeds kNeeds{true, false, true};
} // namespace

ConvJob::ConvJob(QStringList arguments, QObject *parent) : EncoderJob(u"conv"_s, std::move(arguments), parent) {}

void ConvJob::run()
{
    const ConvParse parsed = parseConvArguments(arguments());
    if (!parsed.request) {
        fail(FailureCode::BadSetting, parsed.error.file, parsed.error.cause, parsed.error.facts);
        return;
    }
    m_request = *parsed.request;
    const ConvPlanResult planned = planConv(m_request);
    if (!planned.plan) {
        fail(FailureCode::BadSetting, m_request.output, planned.error.cause, planned.error.facts);
        return;
    }
    m_plan = *planned.plan;
    for (const QString &warning : std::as_const(m_plan.warnings))
        console().warning(warning);

    if (!locateFfmpeg() || !checkSource(m_request.source) || !prepareOutput(m_request.output, isIntermediate(m_request.output)))
        return;

    QStringList args{u"-y"_s, u"-i"_s, ffmpegFileUrl(m_request.source)};
    args << m_plan.codecArguments << u"-f"_s << m_plan.muxer << u"-progress"_s << u"pipe:1"_s
         << ffmpegFileUrl(output().temporaryPath());
    m_ffmpeg = startFfmpeg(args, FfmpegProcess::Stdout::Progress, false);
    connect(m_ffmpeg, &FfmpegProcess::inputListed, this, &ConvJob::onListed);
    connect(m_ffmpeg, &FfmpegProcess::progressed, this, &ConvJob::onProgress);
    connect(m_ffmpeg, &FfmpegProcess::ended, this, &ConvJob::onEnded);
}

void ConvJob::onListed(int index)
{
    if (finished() || index != 0)
        return;
    const InputInfo *input = m_ffmpeg->log().input(0);
    if (const std::optional<FailureReason> problem = sourceProblem(m_request.source, *input, kNeeds)) {
        fail(*problem, m_request.source);
        return;
    }
    m_duration = input->durationSeconds;
    console().status(convStatusLine(statusAt({})), Console::Channel::Out);
}

ConvStatus ConvJob::statusAt(const ProgressBlock &block) const
{
    ConvStatus s;
    s.positionSeconds = block.outTimeSeconds.value_or(0);
    s.frames = std::max<qint64>(block.frame, 0);
    s.percent = m_percent;
    s.fps = std::max(block.fps, 0.0);
    s.videoKbps = m_plan.videoKbps;
    s.audioKbps = m_plan.audioKbps;
    if (m_duration && *m_duration > 0) {
        const double left = std::max(*m_duration - s.positionSeconds, 0.0);
        if (block.speed > 0)
            s.minutesLeft = int(left / block.speed / 60);
        if (s.positionSeconds > 0 && block.totalSizeBytes > 0)
            s.estimatedMegabytes = int(double(block.totalSizeBytes) * *m_duration / s.positionSeconds / 1048576);
    }
    return s;
}

void ConvJob::onProgress(const ProgressBlock &block)
{
    if (finished())
        return;
    m_last = block;
    // The percentage never goes back, and reaches 100 only once the output is in place.
    m_percent = std::max(m_percent, convPercent(block.outTimeSeconds.value_or(0), m_duration));
    console().status(convStatusLine(statusAt(block)), Console::Channel::Out);
}

void ConvJob::onEnded(bool success)
{
    if (finished())
        return;
    if (!success) {
        failFromFfmpeg(*m_ffmpeg, m_request.source, kNeeds);
        return;
    }
    CodedRun run;
    run.log = &m_ffmpeg->log();
    run.last = m_last;
    run.video = true;
    run.expectedSeconds = m_duration;
    run.declaredSeconds = m_duration;
    finishCoding(run, m_request.source);
}

void ConvJob::printFinalStatus()
{
    ConvStatus done = statusAt(m_last);
    done.percent = 100;
    done.minutesLeft = 0;
    done.estimatedMegabytes = int(output().size() / 1048576);
    console().finalStatus(convStatusLine(done), Console::Channel::Out);
}

} // namespace sonvera::encoders
