#pragma once

#include "console.h"
#include "encoderstatus.h"
#include "failures.h"
#include "ffmpegprocess.h"
#include "outputfile.h"

#include <QObject>
#include <QStringList>

#include <optional>

namespace sonvera {
class StopSignals;
}

namespace sonvera::encoders {

// What conv, coder and coder2 share: the ffmpeg children, the temporary
// output, stopping on a signal, and the end of the run. A run ends exactly
// once, with exit status 0 only when its output was renamed into place;
// every failure ends with the EncoderExit status of its kind and prints a
// one-line reason as the program's last line.
class EncoderJob : public QObject {
    Q_OBJECT

public:
    EncoderJob(const QString &program, QStringList arguments, QObject *parent = nullptr);
    ~EncoderJob() override;

    // Begins the run; call once the event loop runs (it ends the loop with
    // the exit status).
    void start();

protected:
    virtual void run() = 0;

    const QStringList &arguments() const { return m_arguments; }
    Console &console() { return m_console; }
    bool finished() const { return m_finished; }

    // ffmpeg on PATH; on failure the run has failed and this returns false.
    bool locateFfmpeg();
    // The source must be a readable regular file: a pipe, device or socket
    // is refused without being opened. On failure the run has failed.
    bool checkSource(const QString &path);
    // Creates the temporary output; on failure the run has failed.
    bool prepareOutput(const QString &path, bool replace);
    const TemporaryOutput &output() const { return *m_output; }

    // Starts ffmpeg with the options every run uses ahead of `arguments`.
    FfmpegProcess *startFfmpeg(const QStringList &arguments, FfmpegProcess::Stdout stdoutMode, bool pipedInput);

    // Ends the run as failed: stops every child, deletes the temporary
    // output, prints the reason and exits with `status`.
    void fail(EncoderExit status, const QString &file, const QString &cause);
    // The same for a reason about `source` or, as it says, the output.
    void fail(const FailureReason &reason, const QString &source);
    // The reason for a failed ffmpeg run, from what it logged.
    void failFromFfmpeg(const FfmpegProcess &ffmpeg, const QString &source, const InputNeeds &needs);
    // Renames the output into place; false (and a failed run) when that fails.
    bool commitOutput();
    // Ends the run as succeeded.
    void succeed();

private:
    void stop(int signal);
    void end(int exitCode);

    Console m_console;
    QStringList m_arguments;
    QString m_ffmpeg;
    std::optional<TemporaryOutput> m_output;
    QList<FfmpegProcess *> m_children;
    StopSignals *m_signals = nullptr;
    long long m_parentPid = 0; // the program that started this one
    bool m_finished = false;
};

} // namespace sonvera::encoders
