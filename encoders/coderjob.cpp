#include "coderjob.h"

#include "statuslines.h"

using namespace Qt::Literals::StringLiterals;

namespace sonvera::encoders {

CoderJob::CoderJob(const QString &program, QStringList arguments, AmrEncoderFactory amr, QObject *parent)
    : EncoderJob(program, std::move(arguments), parent), m_amrFactory(std::move(amr))
{
}

CoderJob::~CoderJob() = default;

void CoderJob::run()
{
    const CoderParse parsed = parseCoderArguments(arguments());
    if (!parsed.request) {
        fail(FailureCode::BadSetting, parsed.error.file, parsed.error.cause, parsed.error.facts);
        return;
    }
    m_request = *parsed.request;
    const CoderPlanResult planned = planCoder(m_request, bool(m_amrFactory));
    if (!planned.plan) {
        fail(FailureCode::BadSetting, m_request.output, planned.error.cause, planned.error.facts);
        return;
    }
    m_plan = *planned.plan;
    m_needs = {m_plan.video, m_plan.audioOnly, m_plan.audio};
    m_videoArguments = m_plan.videoArguments;
    for (const QString &warning : std::as_const(m_plan.warnings))
        console().warning(warning);

    if (!locateFfmpeg() || !checkSource(m_request.input) || !prepareOutput(m_request.output, false))
        return;
    startRoute(m_plan.amr && m_plan.audio);
}

void CoderJob::startRoute(bool withAmr)
{
    // A new start drops the children of an earlier one with all they sent.
    if (m_decoder)
        m_decoder->kill();
    if (m_muxer)
        m_muxer->kill();
    m_decoder = nullptr;
    m_last = {};
    m_audioFromPipe = withAmr;
    if (withAmr) {
        m_amr = m_amrFactory(m_plan.amr->mode);
        QStringList args = m_plan.inputOptions;
        args << u"-i"_s << ffmpegFileUrl(m_request.input) << u"-map"_s << u"0:a:0"_s << u"-af"_s << audioTimingFilter(true)
             << u"-ac"_s << u"1"_s << u"-ar"_s << u"8000"_s << u"-c:a"_s << u"pcm_s16le"_s << u"-f"_s << u"s16le"_s
             << u"pipe:1"_s;
        FfmpegProcess *decoder = startFfmpeg(args, FfmpegProcess::Stdout::Data, false);
        m_decoder = decoder;
        connect(decoder, &FfmpegProcess::dataRead, this, &CoderJob::onPcm);
        connect(decoder, &FfmpegProcess::ended, this, &CoderJob::onDecoderEnded);
    }
    startMuxer();
}

void CoderJob::startMuxer()
{
    const bool withAmr = m_audioFromPipe;
    QStringList args{u"-y"_s};
    args << m_plan.inputOptions << u"-i"_s << ffmpegFileUrl(m_request.input);
    if (withAmr) {
        // The AMR stream arrives as it is coded; probing it needs no more than its first bytes.
        args << u"-f"_s << u"amr"_s << u"-probesize"_s << u"32"_s << u"-analyzeduration"_s << u"0"_s << u"-i"_s
             << u"pipe:0"_s;
    }
    if (m_plan.video)
        args << u"-map"_s << u"0:V:0"_s;
    if (withAmr)
        args << u"-map"_s << u"1:a:0"_s;
    else if (m_plan.audio && !m_plan.amr)
        args << u"-map"_s << (m_plan.audioOnly ? u"0:a:0"_s : u"0:a:0?"_s);
    if (m_plan.video)
        args << m_videoArguments;
    if (withAmr)
        args << u"-c:a"_s << u"copy"_s;
    else
        args << m_plan.audioArguments;
    args << u"-f"_s << m_plan.muxer << u"-progress"_s << u"pipe:1"_s << ffmpegFileUrl(output().temporaryPath());

    m_muxer = startFfmpeg(args, FfmpegProcess::Stdout::Progress, withAmr);
    FfmpegProcess *muxer = m_muxer;
    connect(muxer, &FfmpegProcess::inputListed, this, [this, muxer](int index) {
        if (muxer == m_muxer && index == 0)
            onListed(index);
    });
    connect(muxer, &FfmpegProcess::progressed, this, [this, muxer](const ProgressBlock &block) {
        if (muxer == m_muxer)
            onProgress(block);
    });
    connect(muxer, &FfmpegProcess::ended, this, [this, muxer](bool success) {
        if (muxer == m_muxer)
            onMuxerEnded(success);
    });
    if (withAmr)
        m_muxer->write(AmrEncoder::fileHeader());
}

void CoderJob::onListed(int)
{
    if (finished())
        return;
    const InputInfo *input = m_muxer->log().input(0);
    if (const std::optional<FailureReason> problem = sourceProblem(m_request.input, *input, m_needs)) {
        fail(*problem, m_request.input);
        return;
    }
    if (m_plan.clipStart && input->durationSeconds && *m_plan.clipStart >= *input->durationSeconds) {
        fail(FailureCode::BadSetting, m_request.input,
             u"the clip starts at "_s + numberText(*m_plan.clipStart) + u" s, after the end of the source at "_s
                 + QString::number(*input->durationSeconds, 'f', 2) + u" s"_s,
             settingFacts(u"clip"_s, numberText(*m_plan.clipStart)));
        return;
    }
    QStringList warnings;
    const QStringList videoArguments = m_plan.video ? coderVideoArguments(m_plan, input->video(), &warnings) : QStringList();
    if (!m_bannerShown) {
        for (const QString &warning : std::as_const(warnings))
            console().warning(warning);
        m_duration = clippedDuration(m_plan, input->durationSeconds);
        m_declared = input->durationSeconds;
        console().line(durationBannerLine(m_duration, input->startText, input->bitrateText));
        m_bannerShown = true;
    }
    if (m_audioFromPipe && !input->audio()) {
        // A source without sound: the video goes out alone.
        m_videoArguments = videoArguments;
        startRoute(false);
    } else if (m_plan.video && videoArguments != m_videoArguments) {
        // The source needs other video settings than those guessed at the start.
        m_videoArguments = videoArguments;
        startRoute(m_audioFromPipe);
    }
}

void CoderJob::onProgress(const ProgressBlock &block)
{
    if (finished() || !m_bannerShown)
        return;
    m_last = block;
    console().status(coderStatusLine(block, m_plan.video, false), Console::Channel::Err);
}

void CoderJob::onMuxerEnded(bool success)
{
    if (finished())
        return;
    if (!success) {
        failFromFfmpeg(*m_muxer, m_request.input, m_needs);
        return;
    }
    CodedRun run;
    run.log = &m_muxer->log();
    run.last = m_last;
    run.video = m_plan.video;
    run.clipped = m_plan.clipStart || m_plan.clipEnd;
    run.clipStart = m_plan.clipStart.value_or(0);
    run.expectedSeconds = m_duration;
    run.declaredSeconds = m_declared;
    finishCoding(run, m_request.input);
}

void CoderJob::printFinalStatus()
{
    console().finalStatus(coderStatusLine(m_last, m_plan.video, true), Console::Channel::Err);
}

void CoderJob::onPcm(const QByteArray &pcm)
{
    if (finished() || !m_audioFromPipe || sender() != m_decoder)
        return;
    m_muxer->write(m_amr->encode(pcm));
}

void CoderJob::onDecoderEnded(bool success)
{
    if (finished() || !m_audioFromPipe || sender() != m_decoder)
        return;
    if (!success) {
        const InputInfo *input = m_decoder->log().input(0);
        if (input && input->complete && !input->audio() && !sourceProblem(m_request.input, *input, m_needs)) {
            // No sound to code: the video goes out alone.
            startRoute(false);
            return;
        }
        failFromFfmpeg(*m_decoder, m_request.input, m_needs);
        return;
    }
    m_muxer->write(m_amr->finish());
    m_muxer->closeInput();
}

} // namespace sonvera::encoders
