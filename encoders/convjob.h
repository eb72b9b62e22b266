#pragma once

#include "encoderjob.h"
#include "plans.h"
#include "statuslines.h"

namespace sonvera::encoders {

// conv: reads an MEncoder-style command line, runs one ffmpeg, and prints
// MEncoder's "Pos: ... (42%) ..." status lines on standard output. Asked to
// remux (legacyoptions.h), it starts by copying the source's streams and,
// when the listing shows they do not fit the output, starts over coding them.
class ConvJob final : public EncoderJob {
    Q_OBJECT

public:
    explicit ConvJob(QStringList arguments, QObject *parent = nullptr);

private:
    void run() override;
    // Starts ffmpeg copying the streams, or coding them; a run under way is dropped.
    void startRun(bool copy);
    void onListed(int index);
    void onProgress(const ProgressBlock &block);
    void onEnded(bool success);
    void printFinalStatus() override;
    ConvStatus statusAt(const ProgressBlock &block) const;

    ConvRequest m_request;
    ConvPlan m_plan;
    EncoderFlags m_flags;
    const coding::FormatCoding *m_row = nullptr; // the format of the output's name, if any
    bool m_copying = false;
    QStringList m_tagArguments; // the source's tags that readers of the output would garble, left out
    FfmpegProcess *m_ffmpeg = nullptr;
    std::optional<double> m_duration;
    int m_percent = 0;
    ProgressBlock m_last;
};

} // namespace sonvera::encoders
