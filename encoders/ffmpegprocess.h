#pragma once

#include "ffmpegoutput.h"

#include <QObject>
#include <QProcess>
#include <QStringList>

namespace sonvera::encoders {

// One ffmpeg child. Its standard error is read as a level-prefixed log
// (`-loglevel level+info`), its standard output either as `-progress`
// blocks or as raw data (decoded audio). The child is bound to this process:
// it gets SIGKILL when this process dies, however that happens, so no
// encoder outlives the program. `ended` is emitted exactly once.
class FfmpegProcess final : public QObject {
    Q_OBJECT

public:
    enum class Stdout { Progress, Data };

    // `pipedInput`: the child's standard input is fed with write(); otherwise
    // it reads from the null device.
    FfmpegProcess(const QString &program, const QStringList &arguments, Stdout stdoutMode, bool pipedInput,
                  QObject *parent);
    ~FfmpegProcess() override;

    void start();
    void write(const QByteArray &bytes);
    void closeInput();
    // Kills the child at once; `ended` is not emitted afterwards.
    void kill();

    const FfmpegLogReader &log() const { return m_log; }
    // Why the child could not be started; empty when it started. A start
    // that fails ends the run from the event loop, never inside start(), so
    // `ended` reaches whoever connects to it after start().
    QString startError() const { return m_startError; }
    // The errno of the call that failed to start the child; 0 when it is not
    // known (exec() failed in the child after the checks had passed).
    int startErrno() const { return m_startErrno; }
    int exitCode() const { return m_process.exitCode(); }
    // The signal that ended the child, or 0 when it exited (or was killed by us).
    int killedBySignal() const { return m_killedBy; }

Q_SIGNALS:
    void inputListed(int index); // ffmpeg has finished listing input `index`
    void progressed(const sonvera::encoders::ProgressBlock &block);
    void dataRead(const QByteArray &bytes);
    void ended(bool success);

private:
    void readStdout();
    void readStderr();
    void announceListings();
    void finish(bool success);
    void failToStart(const QString &why, int error);

    QProcess m_process;
    Stdout m_stdoutMode;
    FfmpegLogReader m_log;
    ProgressReader m_progress;
    int m_listed = 0;
    bool m_ended = false;
    int m_killedBy = 0;
    QString m_startError;
    int m_startErrno = 0;
    bool m_starting = false; // inside QProcess::start()
};

} // namespace sonvera::encoders
