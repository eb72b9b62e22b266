#include "encoderjob.h"

#include "encoderstatus.h"
#include "plans.h"
#include "stopsignals.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

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
        fail({}, u"ffmpeg was not found on PATH; install the Debian package \"ffmpeg\" (sudo apt-get install ffmpeg)"_s);
        return false;
    }
    return true;
}

bool EncoderJob::checkSource(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        fail(path, u"no such file"_s);
    else if (info.isDir())
        fail(path, u"is a folder, not a media file"_s);
    else if (!info.isReadable())
        fail(path, u"cannot be read: permission denied"_s);
    else
        return true;
    return false;
}

bool EncoderJob::prepareOutput(const QString &path, bool replace)
{
    QString error;
    m_output = TemporaryOutput::create(path, replace, error);
    if (!m_output) {
        fail(path, error);
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

void EncoderJob::fail(const QString &file, const QString &cause)
{
    if (m_finished)
        return;
    for (FfmpegProcess *child : std::as_const(m_children))
        child->kill();
    if (m_output)
        m_output->discard();
    m_console.reason(file, cause);
    end(1);
}

void EncoderJob::failFromFfmpeg(const FfmpegProcess &ffmpeg, const QString &source)
{
    if (!ffmpeg.startError().isEmpty()) {
        fail({}, u"ffmpeg could not be started: "_s + ffmpeg.startError());
        return;
    }
    QString problem = ffmpeg.log().lastProblem();
    // ffmpeg names the file in front of its message; the reason names it once.
    for (const QString &path : {source, m_output ? m_output->temporaryPath() : QString()}) {
        const QString prefix = ffmpegFileUrl(path) + u": "_s;
        if (!path.isEmpty() && problem.startsWith(prefix))
            problem = problem.mid(prefix.size());
    }
    if (problem.isEmpty())
        problem = u"exit status "_s + QString::number(ffmpeg.exitCode());
    const InputInfo *input = ffmpeg.log().input(0);
    if (!input)
        fail(source, u"cannot be read as a media file: "_s + problem);
    else
        fail(m_output ? m_output->finalPath() : source, u"ffmpeg failed: "_s + problem);
}

bool EncoderJob::commitOutput()
{
    // The program that asked for this output is gone (its window was killed):
    // nothing may appear after it.
    if (::getppid() != m_parentPid) {
        fail(m_output->finalPath(), u"the program that started the conversion has ended; the output was not kept"_s);
        return false;
    }
    QString error;
    if (m_output->size() <= 0) {
        fail(m_output->finalPath(), u"ffmpeg wrote nothing"_s);
        return false;
    }
    if (!m_output->commit(error)) {
        fail(m_output->finalPath(), error);
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
    fail(m_output ? m_output->finalPath() : QString(), u"stopped by "_s + StopSignals::name(signal));
}

void EncoderJob::end(int exitCode)
{
    m_finished = true;
    QCoreApplication::exit(exitCode);
}

} // namespace sonvera::encoders
