#pragma once

#include "encoderjob.h"
#include "plans.h"
#include "statuslines.h"

namespace sonvera::encoders {

// conv: reads an MEncoder-style command line, runs one ffmpeg, and prints
// MEncoder's "Pos: ... (42%) ..." status lines on standard output.
class ConvJob final : public EncoderJob {
    Q_OBJECT

public:
    explicit ConvJob(QStringList arguments, QObject *parent = nullptr);

private:
    void run() override;
    void onListed(int index);
    void onProgress(const ProgressBlock &block);
    void onEnded(bool success);
    void printFinalStatus() override;
    ConvStatus statusAt(const ProgressBlock &block) const;

    ConvRequest m_request;
    ConvPlan m_plan;
    FfmpegProcess *m_ffmpeg = nullptr;
    std::optional<double> m_duration;
    int m_percent = 0;
    ProgressBlock m_last;
};

} // namespace sonvera::encoders
