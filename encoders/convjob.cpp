#include "convjob.h"

#include "playerready.h"

using namespace Qt::Literals::StringLiterals;

namespace sonvera::encoders {

namespace {
// conv always writes video, with the sound when the source has some.
constexpr InputNeeds kNeeds{true, false, true};
} // namespace

ConvJob::ConvJob(QStringList arguments, QObject *parent) : EncoderJob(u"conv"_s, std::move(arguments), parent) {}

void ConvJob::run()
{
    QStringList legacy = arguments();
    m_flags = takeEncoderFlags(legacy);
    const ConvParse parsed = parseConvArguments(legacy);
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
    m_row = coding::codingForOutput(true, m_request.output);
    // Copying is tried first: most sources that can be copied are, and one
    // that cannot costs only ffmpeg's start.
    startRun(m_flags.copies() && m_row && !m_row->copy.isEmpty());
}

void ConvJob::startRun(bool copy)
{
    if (m_ffmpeg)
        m_ffmpeg->kill();
    m_copying = copy;
    m_last = {};
    QStringList args{u"-y"_s, u"-i"_s, ffmpegFileUrl(m_request.source)};
    args << (copy ? copyArguments(true) : m_plan.codecArguments) << m_tagArguments << u"-f"_s << m_plan.muxer << u"-progress"_s
         << u"pipe:1"_s << ffmpegFileUrl(output().temporaryPath());
    FfmpegProcess *ffmpeg = startFfmpeg(args, FfmpegProcess::Stdout::Progress, false);
    m_ffmpeg = ffmpeg;
    connect(ffmpeg, &FfmpegProcess::inputListed, this, [this, ffmpeg](int index) {
        if (ffmpeg == m_ffmpeg)
            onListed(index);
    });
    connect(ffmpeg, &FfmpegProcess::progressed, this, [this, ffmpeg](const ProgressBlock &block) {
        if (ffmpeg == m_ffmpeg)
            onProgress(block);
    });
    connect(ffmpeg, &FfmpegProcess::ended, this, [this, ffmpeg](bool success) {
        if (ffmpeg == m_ffmpeg)
            onEnded(success);
    });
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
    if (m_copying) {
        if (const std::optional<QString> mismatch = copyMismatch(m_row->copy, true, *input)) {
            if (m_flags.remuxOnly) {
                fail(FailureCode::NotCopied, m_request.source, u"the streams cannot be copied: "_s + *mismatch);
                return;
            }
            startRun(false);
            return;
        }
        console().line(streamCopyLine(console().program()));
    }
    if (QStringList left = unreadableTagArguments(m_row, *input); left != m_tagArguments) {
        m_tagArguments = std::move(left);
        startRun(m_copying);
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
