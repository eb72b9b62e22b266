#pragma once

#include "encodercommands.h"
#include "encoderstatus.h"

#include <QObject>
#include <QProcess>
#include <QStringDecoder>
#include <QTimer>

#include <memory>

namespace sonvera {

// Runs one encoder at a time as a child process and reports what it prints.
// The encoder gets SIGTERM when this program dies, however it dies.
//
// A run is asynchronous: start() returns at once; every piece of
// output arrives as outputReceived(), cut into chunks of at most 1024 bytes;
// finished() follows exactly once, after the child has exited and all of
// its output has been delivered. A run that cannot start reports startFailed()
// instead and never finished(). No signal is ever emitted from inside
// start() or stop(), so a handler may start the next run safely.
class EncoderRunner final : public QObject {
    Q_OBJECT

public:
    // How the last run ended, readable after finished().
    enum class Ending { None, Exited, Crashed, Stopped };

    static constexpr qsizetype kChunkBytes = 1024;
    // The accumulated output keeps its first and last this many characters.
    static constexpr qsizetype kKeptOutputChars = 64 * 1024;
    // After asking an encoder to end, how long it has before it is killed.
    static constexpr int kStopGraceMs = 3000;

    explicit EncoderRunner(QObject *parent = nullptr);
    ~EncoderRunner() override;

    // The command to run; kept after a run, so a later start() runs it again.
    void setCommand(const EncoderCommand &command);
    const EncoderCommand &command() const { return m_command; }
    // The text form of the stored command.
    QString commandText() const { return m_command.text; }
    // What the current or last run printed (its middle is dropped when very long).
    QString output() const;

    // Starts the stored command. Returns false when the run could not be
    // started; startFailed() then follows from the event loop.
    bool start();

    // Asks the running encoder to end, and kills it if it has not ended after
    // the grace period. The run then ends with finished() and reads as
    // Stopped, unless the encoder had already succeeded (exit status 0).
    void stop();
    void setStopGrace(int ms) { m_killTimer.setInterval(ms); }

    bool isRunning() const { return m_running; }
    // The process id of the current or last run's encoder; 0 when none started.
    qint64 processId() const { return m_pid; }
    Ending ending() const { return m_ending; }
    int exitCode() const { return m_exitCode; }
    // True when the last run ended by itself with exit code 0.
    bool succeeded() const { return m_ending == Ending::Exited && m_exitCode == 0; }
    // Why the last run failed: the cause its exit status and failure line
    // give, with their facts; a crash is EncoderCrashed with its signal, and
    // an encoder that said nothing about its failure gives Failed with its
    // name and exit status. The words are the catalogue's (failureText).
    EncoderReport failure() const;
    // Why the last start failed, from the errno of the call that failed:
    // EncoderMissing (not there, not executable), TooManyFiles (no file
    // descriptor left) or CannotStart (no process slot, no memory).
    const EncoderReport &startFailure() const { return m_startFailure; }

Q_SIGNALS:
    void outputReceived(const QString &CommandOutputs);
    void finished();
    // "Command Line empty", or the catalogue's words for startFailure(): a
    // missing encoder ("File or command not found" in the user's language,
    // with the program path and the system's reason) or a system out of
    // file descriptors, process slots or memory.
    void startFailed(const QString &message);

private:
    void readWaitingOutput();
    void onFinished(int exitCode, QProcess::ExitStatus status);
    void onError(QProcess::ProcessError error);
    void appendOutput(const QString &text);
    void failLater(const QString &message);
    // Sets the cause of a start that failed with errno `error` (0: unknown)
    // for `reason` (the system's words) and returns the catalogue's text.
    QString startFailureMessage(int error, const QString &reason);

    EncoderCommand m_command;
    std::unique_ptr<QProcess> m_process;
    QStringDecoder m_decoder{QStringDecoder::Utf8};
    QString m_head;   // first part of the output
    QString m_tail;   // last part, once the head is full
    bool m_truncated = false;
    QTimer m_killTimer;
    bool m_running = false;
    bool m_starting = false; // inside QProcess::start()
    bool m_stopRequested = false;
    Ending m_ending = Ending::None;
    int m_exitCode = 0; // exit status, or the signal number of a crash
    qint64 m_pid = 0;
    EncoderReport m_startFailure;
};

} // namespace sonvera
