#pragma once

#include "amrencoder.h"
#include "encoderjob.h"
#include "plans.h"

namespace sonvera::encoders {

// coder and coder2: read an FFmpeg-style command line, print the input's
// "Duration:" banner and status lines whose "time=" is in seconds. With AMR-NB
// audio (coder2 only) one ffmpeg decodes the audio to 8 kHz PCM, this program
// codes it, and a second ffmpeg reads it from a pipe and muxes it with the
// video. The pipe carries no timestamps, so the PCM starts at the source's
// time 0 and has its gaps filled. When the source's listing asks for other
// video settings (a frame too large for RealVideo, a frame rate too low for
// its bitrate), another sample rate or metadata that ffmpeg would not carry
// over (RealMedia's author), the run starts over with them.
//
// Asked to remux (legacyoptions.h), it starts by copying the source's
// streams; when the listing shows they do not fit, it codes them instead or,
// asked for a copy only, ends with FailureCode::NotCopied. A 3GPP file also
// gets its title, artist and comment as iTunes tags (isotags.h), a RealMedia
// file a seek index and an MP3 its ID3v2.3 tag (playerready.h).
class CoderJob final : public EncoderJob {
    Q_OBJECT

public:
    // `amr` is empty for coder, which then refuses AMR-NB output.
    CoderJob(const QString &program, QStringList arguments, AmrEncoderFactory amr, QObject *parent = nullptr);
    ~CoderJob() override;

private:
    void run() override;
    void startRoute(bool withAmr);
    void startCopy();
    // After the listing: whether the copy goes on; otherwise the run has
    // started over coding, or failed.
    bool keepCopying(const InputInfo &input);
    // Starts over when the source asks for other arguments than those running.
    void refitToSource(const InputInfo &input);
    void startMuxer();
    void connectMuxer();
    void onListed(int index);
    void onProgress(const ProgressBlock &block);
    void onMuxerEnded(bool success);
    void printFinalStatus() override;
    bool beforeCommit(const QString &temporaryPath) override;
    void onPcm(const QByteArray &pcm);
    void onDecoderEnded(bool success);

    AmrEncoderFactory m_amrFactory;
    std::unique_ptr<AmrEncoder> m_amr;
    CoderRequest m_request;
    CoderPlan m_plan;
    EncoderFlags m_flags;
    InputNeeds m_needs;
    QStringList m_videoArguments; // as the current muxer runs
    QStringList m_audioArguments;
    QStringList m_metadataArguments;
    bool m_copying = false;       // the current muxer copies the streams
    FfmpegProcess *m_muxer = nullptr;   // writes the output
    FfmpegProcess *m_decoder = nullptr; // AMR route: the audio as PCM
    bool m_bannerShown = false;
    bool m_warnedForSource = false;
    bool m_audioFromPipe = false;
    ProgressBlock m_last;
    std::optional<double> m_duration; // what the banner says: the source's, or the clip's length
    std::optional<double> m_declared; // the source's length as it declares it
};

} // namespace sonvera::encoders
