#include "encoderrunner.h"

#include "childprocess.h"
#include "failurecatalogue.h"
#include "startfailure.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

EncoderRunner::EncoderRunner(QObject *parent)
    : QObject(parent)
{
    m_killTimer.setSingleShot(true);
    m_killTimer.setInterval(kStopGraceMs);
    connect(&m_killTimer, &QTimer::timeout, this, [this] {
        if (m_process && m_running)
            m_process->kill();
    });
}

EncoderRunner::~EncoderRunner()
{
    if (m_process && m_running) {
        // No encoder outlives its runner.
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(1000);
    }
}

void EncoderRunner::setCommand(const EncoderCommand &command)
{
    m_command = command;
}

QString EncoderRunner::output() const
{
    if (!m_truncated)
        return m_head;
    return m_head + u"\n[...]\n"_s + m_tail;
}

void EncoderRunner::failLater(const QString &message)
{
    QMetaObject::invokeMethod(this, [this, message] { Q_EMIT startFailed(message); }, Qt::QueuedConnection);
}

QString EncoderRunner::startFailureMessage(int error, const QString &reason)
{
    // Only a program that is not there, or cannot be run, is "missing": out
    // of file descriptors, process slots or memory, the one that is there
    // cannot be started either, and reinstalling would not help.
    if (error == 0)
        error = errorNamedIn(reason);
    m_startFailure = {};
    m_startFailure.facts.program = m_command.program;
    m_startFailure.facts.detail = reason.isEmpty() ? systemErrorText(error) : reason;
    switch (startProblem(error)) {
    case StartProblem::OutOfFiles:
        m_startFailure.code = FailureCode::TooManyFiles;
        break;
    case StartProblem::ProgramMissing:
        m_startFailure.code = FailureCode::EncoderMissing;
        break;
    case StartProblem::OutOfResources:
        m_startFailure.facts.program = QFileInfo(m_command.program).fileName();
        m_startFailure.code = FailureCode::CannotStart;
        break;
    }
    return failureText(m_startFailure.code, m_startFailure.facts);
}

bool EncoderRunner::start()
{
    if (m_running)
        return false;
    if (m_command.isEmpty() || m_command.text.isEmpty()) {
        m_startFailure = {FailureCode::NoFormat, {}};
        failLater(tr("Command Line empty"));
        return false;
    }
    // The errno of this check tells a missing encoder from a system that has
    // nothing left to start it with.
    if (const int error = programRunnable(QFile::encodeName(m_command.program))) {
        failLater(startFailureMessage(error, systemErrorText(error)));
        return false;
    }

    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->setStandardInputFile(QProcess::nullDevice());
    // SIGTERM when this program dies: the encoder stops its ffmpeg and
    // deletes its unfinished output, and nothing is published after us.
    bindChildToParent(*m_process, SIGTERM);
    connect(m_process.get(), &QProcess::readyReadStandardOutput, this, &EncoderRunner::readWaitingOutput);
    connect(m_process.get(), &QProcess::finished, this, &EncoderRunner::onFinished);
    connect(m_process.get(), &QProcess::errorOccurred, this, &EncoderRunner::onError);

    m_decoder.resetState();
    m_head.clear();
    m_tail.clear();
    m_truncated = false;
    m_stopRequested = false;
    m_ending = Ending::None;
    m_exitCode = 0;
    m_running = true;
    // QProcess may report FailedToStart from inside start() (no pipe, no
    // fork): onError() then leaves the report to the event loop.
    m_starting = true;
    m_process->start(m_command.program, m_command.arguments, QIODevice::ReadOnly);
    m_starting = false;
    m_pid = m_process ? m_process->processId() : 0;
    return m_running;
}

void EncoderRunner::stop()
{
    if (!m_running || !m_process)
        return;
    m_stopRequested = true;
    m_process->terminate();
    m_killTimer.start();
}

void EncoderRunner::readWaitingOutput()
{
    if (!m_process)
        return;
    const QByteArray waiting = m_process->readAllStandardOutput();
    for (qsizetype at = 0; at < waiting.size(); at += kChunkBytes) {
        // The decoder keeps a character cut at a chunk boundary for the next chunk.
        const QString chunk = m_decoder(waiting.mid(at, kChunkBytes));
        appendOutput(chunk);
        Q_EMIT outputReceived(chunk);
        if (!m_process)
            return; // a handler destroyed the run
    }
}

void EncoderRunner::appendOutput(const QString &text)
{
    if (!m_truncated && m_head.size() + text.size() <= kKeptOutputChars) {
        m_head += text;
        return;
    }
    if (!m_truncated) {
        const qsizetype room = kKeptOutputChars - m_head.size();
        m_head += QStringView(text).left(room);
        m_tail = text.mid(room);
        m_truncated = true;
    } else {
        m_tail += text;
    }
    if (m_tail.size() > 2 * kKeptOutputChars)
        m_tail = m_tail.right(kKeptOutputChars);
}

void EncoderRunner::onError(QProcess::ProcessError error)
{
    // Inside start() Qt reports right after the pipe(), open() or fork() that
    // failed (see refusedStartError for what may have touched errno since).
    // Later, exec() failed in the child: its errno is in Qt's words.
    const int seen = m_starting ? errno : 0;
    if (error != QProcess::FailedToStart || !m_running)
        return;
    // The child never ran: a start failure, not a completed run.
    m_running = false;
    m_killTimer.stop();
    const QString reason = m_process ? m_process->errorString() : QString();
    const QString message = startFailureMessage(m_starting ? refusedStartError(seen, reason) : 0, reason);
    if (m_process) {
        m_process->disconnect(this);
        m_process.release()->deleteLater();
    }
    if (m_starting)
        failLater(message);
    else
        Q_EMIT startFailed(message);
}

void EncoderRunner::onFinished(int exitCode, QProcess::ExitStatus status)
{
    if (!m_running)
        return;
    readWaitingOutput();
    if (!m_process)
        return;
    // Anything the decoder still holds is an incomplete character at the very end.
    m_running = false;
    m_killTimer.stop();
    m_exitCode = exitCode;
    // An encoder that had finished its work before it saw the stop request
    // exits 0 with its output published: that run is done, not stopped.
    if (m_stopRequested && !(status == QProcess::NormalExit && exitCode == 0))
        m_ending = Ending::Stopped;
    else if (status == QProcess::CrashExit)
        m_ending = Ending::Crashed;
    else
        m_ending = Ending::Exited;
    m_process->disconnect(this);
    m_process.release()->deleteLater();
    Q_EMIT finished();
}

EncoderReport EncoderRunner::failure() const
{
    EncoderReport report;
    report.facts.program = QFileInfo(m_command.program).fileName();
    report.facts.exitStatus = m_exitCode;
    switch (m_ending) {
    case Ending::Crashed:
        // What it printed last is whatever ffmpeg was listing: no reason.
        report.code = FailureCode::EncoderCrashed;
        report.facts.signal = m_exitCode;
        return report;
    case Ending::Stopped:
        report.code = FailureCode::Stopped;
        return report;
    case Ending::None:
    case Ending::Exited:
        break;
    }
    // The exit status is the cause; the failure line, when it says the same,
    // adds the facts. An encoder that said nothing is named with its status.
    report.code = failureCodeFromExitStatus(m_exitCode);
    if (std::optional<EncoderReport> said = lastFailureReport(m_truncated ? m_tail : m_head); said && said->code == report.code) {
        said->facts.program = report.facts.program;
        said->facts.exitStatus = m_exitCode;
        return *said;
    }
    return report;
}

} // namespace sonvera
