#include "coderjob.h"

#include "isotags.h"
#include "playerready.h"
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
    QStringList legacy = arguments();
    m_flags = takeEncoderFlags(legacy);
    const CoderParse parsed = parseCoderArguments(legacy);
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
    m_audioArguments = m_plan.audioArguments;
    for (const QString &warning : std::as_const(m_plan.warnings))
        console().warning(warning);

    if (!locateFfmpeg() || !checkSource(m_request.input) || !prepareOutput(m_request.output, false))
        return;
    // Copying is tried first: a source that cannot be copied costs only ffmpeg's start.
    if (m_flags.copies() && !m_plan.row->copy.isEmpty())
        startCopy();
    else
        startRoute(m_plan.amr && m_plan.audio);
}

void CoderJob::startCopy()
{
    m_copying = true;
    m_audioFromPipe = false;
    startMuxer();
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
    m_copying = false;
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
    if (m_muxer)
        m_muxer->kill();
    const bool withAmr = m_audioFromPipe;
    QStringList args{u"-y"_s};
    args << m_plan.inputOptions << u"-i"_s << ffmpegFileUrl(m_request.input);
    if (m_copying) {
        args << copyArguments(m_plan.video) << m_metadataArguments << playerReadyArguments(m_plan.muxer) << u"-f"_s
             << m_plan.muxer << u"-progress"_s << u"pipe:1"_s << ffmpegFileUrl(output().temporaryPath());
        m_muxer = startFfmpeg(args, FfmpegProcess::Stdout::Progress, false);
        connectMuxer();
        return;
    }
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
        args << m_audioArguments;
    args << m_metadataArguments << playerReadyArguments(m_plan.muxer) << u"-f"_s << m_plan.muxer << u"-progress"_s
         << u"pipe:1"_s << ffmpegFileUrl(output().temporaryPath());

    m_muxer = startFfmpeg(args, FfmpegProcess::Stdout::Progress, withAmr);
    connectMuxer();
    if (withAmr)
        m_muxer->write(AmrEncoder::fileHeader());
}

void CoderJob::connectMuxer()
{
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
    if (!m_bannerShown) {
        m_duration = clippedDuration(m_plan, input->durationSeconds);
        m_declared = input->durationSeconds;
        console().line(durationBannerLine(m_duration, input->startText, input->bitrateText));
        m_bannerShown = true;
    }
    if (m_copying && keepCopying(*input))
        return;
    if (!finished() && !m_copying)
        refitToSource(*input);
}

bool CoderJob::keepCopying(const InputInfo &input)
{
    const std::optional<QString> mismatch = copyMismatch(m_plan.row->copy, m_plan.video, input);
    if (!mismatch) {
        console().line(streamCopyLine(console().program()));
        return true;
    }
    if (m_flags.remuxOnly) {
        fail(FailureCode::NotCopied, m_request.input, u"the streams cannot be copied: "_s + *mismatch);
        return false;
    }
    // Coded after all, with what the listing says of the source.
    m_copying = false;
    m_videoArguments = m_plan.video ? coderVideoArguments(m_plan, input.video()) : QStringList();
    m_audioArguments = coderAudioArguments(m_plan, input.audio());
    m_metadataArguments = metadataArguments(*m_plan.row, input);
    startRoute(m_plan.amr && m_plan.audio && input.audio());
    return false;
}

void CoderJob::refitToSource(const InputInfo &input)
{
    QStringList warnings;
    const QStringList videoArguments = m_plan.video ? coderVideoArguments(m_plan, input.video(), &warnings) : QStringList();
    const QStringList audioArguments = coderAudioArguments(m_plan, input.audio(), &warnings);
    const QStringList metadata = metadataArguments(*m_plan.row, input);
    // Each warning once, whatever the restarts.
    if (!std::exchange(m_warnedForSource, true)) {
        for (const QString &warning : std::as_const(warnings))
            console().warning(warning);
    }
    const bool soundless = m_audioFromPipe && !input.audio();
    if (!soundless && videoArguments == m_videoArguments && audioArguments == m_audioArguments
        && metadata == m_metadataArguments)
        return;
    // A source without sound goes out alone; others need other settings than
    // those guessed at the start.
    m_videoArguments = videoArguments;
    m_audioArguments = audioArguments;
    m_metadataArguments = metadata;
    startRoute(m_audioFromPipe && !soundless);
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

bool CoderJob::beforeCommit(const QString &temporaryPath)
{
    const InputInfo *input = m_muxer ? m_muxer->log().input(0) : nullptr;
    // RealMedia's seek index, MP3's tag: a file without them is not published.
    if (const std::optional<FailureReason> problem = makePlayerReady(m_plan.muxer, input, temporaryPath)) {
        fail(*problem, m_request.input);
        return false;
    }
    // ffmpeg writes 3GPP's own tags, which players built on ffmpeg 5 do not
    // read; iTunes tags beside them, which they do, lose nothing.
    if (!input || m_plan.muxer != u"3gp")
        return true;
    QList<ItunesTag> tags;
    // The items' names begin with the byte 0xa9 ("©" in Mac Roman).
    for (const auto &[key, item] : {std::pair{u"title", "\xa9" "nam"}, std::pair{u"artist", "\xa9" "ART"},
                                    std::pair{u"comment", "\xa9" "cmt"}}) {
        if (const QString value = input->tag(key); !value.isEmpty())
            tags.append({QByteArray(item), value});
    }
    QString error;
    int errorNumber = 0;
    if (tags.isEmpty() || addItunesTags(temporaryPath, tags, error, &errorNumber))
        return true;
    if (errorNumber == 0) { // nothing was written: the output is as ffmpeg made it
        console().warning(u"the title, artist and comment were not added as iTunes tags: "_s + error);
        return true;
    }
    // A write that failed half way may have left the index cut: nothing is published.
    failOutputWrite(errorNumber, u"cannot add the title, artist and comment: "_s + error);
    return false;
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
