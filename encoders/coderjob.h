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
// its bitrate), the run starts over with them.
class CoderJob final : public EncoderJob {
    Q_OBJECT

public:
    // `amr` is empty for coder, which then refuses AMR-NB output.
    CoderJob(const QString &program, QStringList arguments, AmrEncoderFactory amr, QObject *parent = nullptr);
    ~CoderJob() override;

private:
    void run() override;
    void startRoute(bool withAmr);
    void startMuxer();
    void onListed(int index);
    void onProgress(const ProgressBlock &block);
    void onMuxerEnded(bool success);
    void printFinalStatus() override;
    void onPcm(const QByteArray &pcm);
    void onDecoderEnded(bool success);

    AmrEncoderFactory m_amrFactory;
    std::unique_ptr<AmrEncoder> m_amr;
    CoderRequest m_request;
    CoderPlan m_plan;
    InputNeeds m_needs;
    QStringList m_videoArguments; // as the current muxer runs
    FfmpegProcess *m_muxer = nullptr;   // writes the output
    FfmpegProcess *m_decoder = nullptr; // AMR route: the audio as PCM
    bool m_bannerShown = false;
    bool m_audioFromPipe = false;
    ProgressBlock m_last;
    std::optional<double> m_duration; // what the banner says: the source's, or the clip's length
    std::optional<double> m_declared; // the source's length as it declares it
};

} // namespace sonvera::encoders
