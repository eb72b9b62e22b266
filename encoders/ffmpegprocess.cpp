#include "ffmpegprocess.h"

#include "childprocess.h"
#include "startfailure.h"

#include <QFile>

#include <cerrno>
#include <csignal>

using namespace Qt::Literals::StringLiterals;

namespace sonvera::encoders {

FfmpegProcess::FfmpegProcess(const QString &program, const QStringList &arguments, Stdout stdoutMode,
                             bool pipedInput, QObject *parent)
    : QObject(parent), m_process(this), m_stdoutMode(stdoutMode)
{
    m_process.setProgram(program);
    m_process.setArguments(arguments);
    if (!pipedInput)
        m_process.setStandardInputFile(QProcess::nullDevice());
    // SIGKILL: the encoder itself deletes the unfinished output.
    bindChildToParent(m_process, SIGKILL);

    connect(&m_process, &QProcess::readyReadStandardOutput, this, &FfmpegProcess::readStdout);
    connect(&m_process, &QProcess::readyReadStandardError, this, &FfmpegProcess::readStderr);
    connect(&m_process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        // The log first: a run too quick for two reads gives its listing and
        // its only progress block at once, and the block means something
        // only after the listing.
        readStderr();
        m_log.finish();
        announceListings();
        readStdout();
        // QProcess gives the signal as the exit code of a crash.
        if (status == QProcess::CrashExit)
            m_killedBy = code > 0 ? code : SIGKILL;
        finish(status == QProcess::NormalExit && code == 0);
    });
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        // Inside start() Qt reports right after the pipe(), open() or fork()
        // that failed (see refusedStartError for what may have touched errno
        // since). Later, exec() failed in the child: its errno is in Qt's words.
        const int seen = m_starting ? errno : 0;
        if (error != QProcess::FailedToStart)
            return;
        const QString why = m_process.errorString();
        failToStart(why, m_starting ? refusedStartError(seen, why) : 0);
    });
}

FfmpegProcess::~FfmpegProcess()
{
    kill();
}

void FfmpegProcess::start()
{
    // A program that is not there is told from one that cannot be started,
    // by the errno of this check.
    if (const int error = programRunnable(QFile::encodeName(m_process.program()))) {
        failToStart(systemErrorText(error), error);
        return;
    }
    m_starting = true;
    m_process.start();
    m_starting = false;
}

void FfmpegProcess::failToStart(const QString &why, int error)
{
    if (!m_startError.isEmpty())
        return;
    m_startError = why.isEmpty() ? systemErrorText(error) : why;
    m_startErrno = error;
    // The caller connects to `ended` after start() returns.
    QMetaObject::invokeMethod(this, [this] { finish(false); }, Qt::QueuedConnection);
}

void FfmpegProcess::write(const QByteArray &bytes)
{
    // Written while the child starts, the bytes wait in QProcess's buffer.
    if (!m_ended && m_process.state() != QProcess::NotRunning)
        m_process.write(bytes);
}

void FfmpegProcess::closeInput()
{
    m_process.closeWriteChannel();
}

void FfmpegProcess::kill()
{
    m_ended = true;
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        // SIGKILL ends the child at once; reaping it here keeps no zombie
        // and no writer behind when the caller deletes the output next.
        m_process.waitForFinished(1000);
    }
}

void FfmpegProcess::readStdout()
{
    // What ffmpeg logged before this output is read before it, so that the
    // input's listing always comes ahead of the progress it was written before.
    if (m_stdoutMode == Stdout::Progress)
        readStderr();
    const QByteArray chunk = m_process.readAllStandardOutput();
    if (chunk.isEmpty() || m_ended)
        return;
    if (m_stdoutMode == Stdout::Data) {
        Q_EMIT dataRead(chunk);
        return;
    }
    for (const ProgressBlock &block : m_progress.feed(chunk)) {
        if (m_ended)
            return;
        Q_EMIT progressed(block);
    }
}

void FfmpegProcess::readStderr()
{
    m_log.feed(m_process.readAllStandardError());
    announceListings();
}

void FfmpegProcess::announceListings()
{
    while (!m_ended) {
        const InputInfo *info = m_log.input(m_listed);
        if (!info || !info->complete)
            return;
        Q_EMIT inputListed(m_listed++);
    }
}

void FfmpegProcess::finish(bool success)
{
    if (m_ended)
        return;
    m_ended = true;
    Q_EMIT ended(success);
}

} // namespace sonvera::encoders
