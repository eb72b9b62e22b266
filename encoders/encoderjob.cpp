#include "encoderjob.h"

#include "encoderstatus.h"
#include "plans.h"
#include "stopsignals.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace sonvera::encoders {

EncoderJob::EncoderJob(const QString &program, QStringList arguments, QObject *parent)
    : QObject(parent), m_console(program), m_arguments(std::move(arguments)), m_signals(new StopSignals(this)), m_parentPid(::getppid())
{
    connect(m_signals, &StopSignals::stopRequested, this, &EncoderJob::stop);
}

EncoderJob::~EncoderJob() = default;

void EncoderJob::start()
{
    run();
}

bool EncoderJob::locateFfmpeg()
{
    m_ffmpeg = QStandardPaths::findExecutable(u"ffmpeg"_s);
    if (m_ffmpeg.isEmpty()) {
        fail(EncoderExit::FfmpegMissing, {},
             u"ffmpeg was not found on PATH; install the Debian package \"ffmpeg\" (sudo apt-get install ffmpeg)"_s);
        return false;
    }
    return true;
}

bool EncoderJob::checkSource(const QString &path)
{
    // stat() follows a symbolic link and opens nothing, so a FIFO cannot block the run.
    struct stat st {};
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &st) != 0)
        fail(EncoderExit::SourceUnreadable, path, errno == EACCES ? u"cannot be read: permission denied"_s : u"no such file"_s);
    else if (S_ISDIR(st.st_mode))
        fail(EncoderExit::SourceUnreadable, path, u"is a folder, not a media file"_s);
    else if (!S_ISREG(st.st_mode))
        fail(EncoderExit::SourceUnreadable, path, u"is not a file but a pipe, device or socket; choose a media file"_s);
    else if (::access(name.constData(), R_OK) != 0)
        fail(EncoderExit::SourceUnreadable, path, u"cannot be read: permission denied"_s);
    else
        return true;
    return false;
}

bool EncoderJob::prepareOutput(const QString &path, bool replace)
{
    QString error;
    m_output = TemporaryOutput::create(path, replace, error);
    if (!m_output) {
        fail(EncoderExit::OutputUnwritable, path, error);
        return false;
    }
    return true;
}

FfmpegProcess *EncoderJob::startFfmpeg(const QStringList &arguments, FfmpegProcess::Stdout stdoutMode,
                                       bool pipedInput)
{
    // No prompt ever (-nostdin, -y on our own temporary file), no screen
    // statistics (-nostats): the log carries levels so that listings and
    // errors can be told apart.
    const QStringList common{u"-nostdin"_s, u"-hide_banner"_s, u"-nostats"_s, u"-loglevel"_s, u"level+info"_s};
    auto *ffmpeg = new FfmpegProcess(m_ffmpeg, common + arguments, stdoutMode, pipedInput, this);
    m_children << ffmpeg;
    ffmpeg->start();
    return ffmpeg;
}

void EncoderJob::fail(EncoderExit status, const QString &file, const QString &cause)
{
    if (m_finished)
        return;
    for (FfmpegProcess *child : std::as_const(m_children))
        child->kill();
    if (m_output)
        m_output->discard();
    m_console.reason(file, cause);
    end(static_cast<int>(status));
}

void EncoderJob::fail(const FailureReason &reason, const QString &source)
{
    fail(reason.status, reason.aboutOutput && m_output ? m_output->finalPath() : source, reason.cause);
}

void EncoderJob::failFromFfmpeg(const FfmpegProcess &ffmpeg, const QString &source, const InputNeeds &needs)
{
    if (!ffmpeg.startError().isEmpty()) {
        fail(EncoderExit::FfmpegMissing, {},
             u"ffmpeg could not be started: "_s + ffmpeg.startError() + u"; reinstall the Debian package \"ffmpeg\""_s);
        return;
    }
    QStringList paths{ffmpegFileUrl(source)};
    if (m_output)
        paths << ffmpegFileUrl(m_output->temporaryPath());
    fail(ffmpegFailure(ffmpeg.log(), ffmpeg.exitCode(), needs, paths), source);
}

bool EncoderJob::commitOutput()
{
    // The program that asked for this output is gone (its window was killed):
    // nothing may appear after it.
    if (::getppid() != m_parentPid) {
        fail(EncoderExit::Failed, m_output->finalPath(), u"the program that started the conversion has ended; the output was not kept"_s);
        return false;
    }
    QString error;
    if (m_output->size() <= 0) {
        fail(EncoderExit::Failed, m_output->finalPath(), u"ffmpeg wrote nothing"_s);
        return false;
    }
    if (!m_output->commit(error)) {
        fail(EncoderExit::OutputUnwritable, m_output->finalPath(), error);
        return false;
    }
    return true;
}

void EncoderJob::succeed()
{
    if (m_output)
        m_console.line(publishedLine(m_console.program(), QFileInfo(m_output->finalPath()).fileName()));
    end(0);
}

void EncoderJob::stop(int signal)
{
    fail(EncoderExit::Failed, m_output ? m_output->finalPath() : QString(), u"stopped by "_s + StopSignals::name(signal));
}

void EncoderJob::end(int exitCode)
{
    m_finished = true;
    QCoreApplication::exit(exitCode);
}

} // namespace sonvera::encoders
