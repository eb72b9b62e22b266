#pragma once

#include "console.h"
#include "encoderstatus.h"
#include "failures.h"
#include "flvtimeline.h"
#include "ffmpegprocess.h"
#include "outputfile.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>

namespace sonvera {
class StopSignals;
}

namespace sonvera::encoders {

// What a coding ffmpeg run that ended well reached, for the checks that
// decide whether its output is the whole conversion.
struct CodedRun {
    const FfmpegLogReader *log = nullptr;
    ProgressBlock last;                     // its last progress block
    bool video = false;                     // the output has video: a frame must have been coded
    bool clipped = false;                   // a clip range was asked for
    double clipStart = 0;                   // where in the source the output begins, seconds
    std::optional<double> expectedSeconds;  // how long the output should be: the source's length, clipped
    std::optional<double> declaredSeconds;  // the length the source declares
};

// What conv, coder and coder2 share: the ffmpeg children, the temporary
// output, stopping on a signal, the checks after ffmpeg has ended and the end
// of the run. A run ends exactly once, with exit status 0 only when its
// output was renamed into place and is the whole conversion. Every failure
// ends with the exit status of its cause (FailureCode), a failure line for
// the engine and a one-line reason in English as the program's last line.
class EncoderJob : public QObject {
    Q_OBJECT

public:
    EncoderJob(const QString &program, QStringList arguments, QObject *parent = nullptr);
    ~EncoderJob() override;

    // Begins the run; call once the event loop runs (it ends the loop with
    // the exit status).
    void start();

    // A source that is not FLV and comes out shorter than it declares by more
    // than this is cut short: max(1 s, 5 % of its length). A header that
    // claims more than an FLV's tags hold by more than this is noted.
    static double truncationTolerance(double expectedSeconds);

protected:
    virtual void run() = 0;
    // Prints the final status line once the output is in place.
    virtual void printFinalStatus() {}
    // The last change to a complete output before it gets its name; false
    // when the run has failed instead.
    virtual bool beforeCommit(const QString &temporaryPath)
    {
        Q_UNUSED(temporaryPath);
        return true;
    }

    const QStringList &arguments() const { return m_arguments; }
    Console &console() { return m_console; }
    // The run has ended, or is only finding out why it failed: the
    // children's news no longer matter.
    bool finished() const { return m_finished || m_concluding; }

    // ffmpeg on PATH; on failure the run has failed and this returns false.
    bool locateFfmpeg();
    // The source must be a readable regular file: a pipe, device or socket
    // is refused without being opened. On failure the run has failed.
    bool checkSource(const QString &path);
    // Why the source `path`, as ffmpeg listed it, cannot give what the run
    // needs; nothing when it can.
    std::optional<FailureReason> sourceProblem(const QString &path, const InputInfo &input, const InputNeeds &needs) const;
    // Creates the temporary output; on failure the run has failed. An
    // existing file is replaced only when `intermediate` and the output lies
    // in a run folder the engine made (see runfoldermark.h).
    bool prepareOutput(const QString &path, bool intermediate);
    const TemporaryOutput &output() const { return *m_output; }

    // Starts ffmpeg with the options every run uses ahead of `arguments`.
    FfmpegProcess *startFfmpeg(const QStringList &arguments, FfmpegProcess::Stdout stdoutMode, bool pipedInput);

    // Ends the run as failed: stops every child, deletes the temporary
    // output, prints the failure line and the reason and exits with `code`.
    void fail(FailureCode code, const QString &file, const QString &cause, const FailureFacts &facts = {});
    // The same for a reason about `source` or, as it says, the output.
    void fail(const FailureReason &reason, const QString &source);
    // Ends the run for a failed ffmpeg: why, from what it logged. A failure
    // that reads as the settings' fault is checked against the source first.
    void failFromFfmpeg(const FfmpegProcess &ffmpeg, const QString &source, const InputNeeds &needs);
    // Ends the run for a write to the temporary output that failed with
    // `errorNumber` after ffmpeg: a full disk, or a folder that cannot be written.
    void failOutputWrite(int errorNumber, const QString &cause);
    // After a coding ffmpeg ended well: checks that it coded something and
    // all that the source declares, puts the output in place and ends the
    // run. A source cut short keeps what was converted and fails.
    void finishCoding(const CodedRun &run, const QString &source);

private:
    void stop(int signal);
    void end(int exitCode);
    // Renames the output into place; false (and a failed run) when that fails.
    bool commitOutput();
    void checkWhereSourceEnds(const CodedRun &run, const QString &source);
    void commitAndSucceed();
    // The verdict on an FLV source from its tags (flvtimeline.h): cut short
    // only when it stops inside a tag; a header that claims more is noted.
    void judgeByTags(const CodedRun &run, const QString &source, const FlvTimeline &flv);
    void commitTruncated(const CodedRun &run, double sourceEnd, double converted, std::optional<double> declared);
    // Runs a probe ffmpeg and calls `done` with it and its last progress block.
    void runProbe(const QStringList &arguments, std::function<void(const FfmpegProcess &, bool, const ProgressBlock &)> done);

    Console m_console;
    QStringList m_arguments;
    QString m_ffmpeg;
    std::optional<TemporaryOutput> m_output;
    QList<FfmpegProcess *> m_children;
    StopSignals *m_signals = nullptr;
    long long m_parentPid = 0; // the program that started this one
    bool m_finished = false;
    bool m_concluding = false;
    std::optional<HeaderNote> m_headerNote; // said with the output's name
};

} // namespace sonvera::encoders
