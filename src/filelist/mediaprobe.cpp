#include "mediaprobe.h"

#include "childprocess.h"
#include "nativepath.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

// More than any report or thumbnail we ask for: a tool that writes more is
// not doing what we asked, and is not read further.
constexpr qint64 kMostOutputBytes = 4 * 1024 * 1024;
// A little way in, past a black first frame, but within a short clip.
constexpr double kThumbnailAtShare = 0.2;
constexpr double kThumbnailAtMostSeconds = 10;

const QByteArray kPngSignature("\x89PNG\r\n\x1a\n", 8);

} // namespace

struct MediaProbe::Job {
    quint64 id = 0;
    QString openable;  // the name the tools are given
    QString linkPath;  // a link made for this job, removed with it; "" when none
    MediaInfo info;
    bool drawingThumbnail = false;
    std::unique_ptr<QProcess> process;
    QByteArray output;
    QTimer limit;
};

MediaProbe::MediaProbe(QObject *parent)
    : QObject(parent)
    , m_ffprobe(QStandardPaths::findExecutable(u"ffprobe"_s))
    , m_ffmpeg(QStandardPaths::findExecutable(u"ffmpeg"_s))
{
    m_pump.setSingleShot(true);
    m_pump.setInterval(0);
    connect(&m_pump, &QTimer::timeout, this, &MediaProbe::startWaiting);
}

MediaProbe::~MediaProbe()
{
    clear();
}

void MediaProbe::setTools(const QString &ffprobe, const QString &ffmpeg)
{
    m_ffprobe = ffprobe;
    m_ffmpeg = ffmpeg;
}

void MediaProbe::probe(quint64 id, const QByteArray &path)
{
    m_waiting.push_back({id, path});
    if (!m_pump.isActive())
        m_pump.start();
}

void MediaProbe::clear()
{
    m_waiting.clear();
    // Their processes are killed (SIGKILL ends them at once); no signal comes from them.
    for (const std::unique_ptr<Job> &job : m_running) {
        job->process->disconnect(this);
        job->process->kill();
        job->process->waitForFinished(1000);
        if (!job->linkPath.isEmpty())
            QFile::remove(job->linkPath);
    }
    m_running.clear();
}

void MediaProbe::startWaiting()
{
    while (m_running.size() < std::size_t(kFilesAtOnce) && !m_waiting.empty()) {
        const Pending next = m_waiting.front();
        m_waiting.pop_front();
        begin(next);
    }
}

void MediaProbe::begin(const Pending &pending)
{
    auto job = std::make_unique<Job>();
    job->id = pending.id;
    // A FIFO or a device would keep a tool waiting: only regular files are read.
    struct stat status {};
    const bool regular = ::stat(pending.path.constData(), &status) == 0 && S_ISREG(status.st_mode);
    if (regular)
        job->info.fileBytes = status.st_size;
    job->info.state = regular ? MediaInfo::State::Known : MediaInfo::State::Unreadable;
    if (!regular || m_ffprobe.isEmpty()) {
        Q_EMIT probed(job->id, job->info);
        m_pump.start();
        return;
    }
    giveOpenableName(*job, pending.path);
    Job &started = *job;
    m_running.push_back(std::move(job));
    // "file:" keeps a name with a colon or a leading dash a plain file name.
    runTool(started, m_ffprobe,
            {u"-v"_s, u"error"_s, u"-print_format"_s, u"json"_s, u"-show_entries"_s,
             u"format=duration:stream=codec_type,width,height"_s, u"-i"_s, u"file:"_s + started.openable});
}

void MediaProbe::runTool(Job &job, const QString &program, const QStringList &arguments)
{
    job.output.clear();
    job.process = std::make_unique<QProcess>();
    QProcess &process = *job.process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    bindChildToParent(process, SIGKILL);
    Job *target = &job;
    connect(&process, &QProcess::readyReadStandardOutput, this, [target] {
        const QByteArray chunk = target->process->readAllStandardOutput();
        if (target->output.size() + chunk.size() <= kMostOutputBytes)
            target->output += chunk;
    });
    connect(&process, &QProcess::finished, this, [this, target](int code, QProcess::ExitStatus status) {
        onToolEnded(target, status == QProcess::NormalExit && code == 0);
    });
    connect(&process, &QProcess::errorOccurred, this, [this, target](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            onToolEnded(target, false);
    });
    job.limit.setSingleShot(true);
    job.limit.setInterval(kTimeLimitMs);
    job.limit.disconnect(this);
    connect(&job.limit, &QTimer::timeout, this, [target] { target->process->kill(); });
    job.limit.start();
    process.start(program, arguments, QIODevice::ReadOnly);
}

void MediaProbe::onToolEnded(Job *job, bool ok)
{
    job->limit.stop();
    job->process->disconnect(this);
    // Deleted from the event loop: this runs inside the process's own signal.
    job->process.release()->deleteLater();
    if (job->drawingThumbnail) {
        if (ok && job->output.startsWith(kPngSignature))
            job->info.thumbnailPng = job->output;
        finish(job);
        return;
    }
    const std::optional<MediaInfo> report = ok ? readProbeReport(job->output) : std::nullopt;
    if (!report) {
        job->info.state = MediaInfo::State::Unreadable;
        finish(job);
        return;
    }
    const qint64 bytes = job->info.fileBytes;
    job->info = *report;
    job->info.fileBytes = bytes;
    if (!job->info.hasPicture() || m_ffmpeg.isEmpty()) {
        finish(job);
        return;
    }
    job->drawingThumbnail = true;
    const double at = std::min(job->info.durationSeconds.value_or(0) * kThumbnailAtShare, kThumbnailAtMostSeconds);
    runTool(*job, m_ffmpeg,
            {u"-nostdin"_s, u"-v"_s, u"error"_s, u"-ss"_s, QString::number(at, 'f', 2), u"-i"_s,
             u"file:"_s + job->openable, u"-an"_s, u"-sn"_s, u"-frames:v"_s, u"1"_s, u"-vf"_s,
             u"scale=-2:%1"_s.arg(kThumbnailHeight), u"-f"_s, u"image2pipe"_s, u"-c:v"_s, u"png"_s, u"-"_s});
}

void MediaProbe::finish(Job *job)
{
    if (!job->linkPath.isEmpty())
        QFile::remove(job->linkPath);
    const quint64 id = job->id;
    const MediaInfo info = job->info;
    const auto at = std::find_if(m_running.begin(), m_running.end(),
                                 [job](const std::unique_ptr<Job> &running) { return running.get() == job; });
    if (at != m_running.end())
        m_running.erase(at);
    Q_EMIT probed(id, info);
    m_pump.start();
}

void MediaProbe::giveOpenableName(Job &job, const QByteArray &path)
{
    const NativePath native(path);
    const QByteArray target = native.absolute().bytes();
    // Decoded as shown: when no link can be made, the tools fail on it and the row says so.
    job.openable = QString::fromUtf8(target);
    if (native.isUtf8())
        return;
    if (!m_links)
        m_links = std::make_unique<QTemporaryDir>();
    const QString link = m_links->filePath(QString::number(job.id));
    if (m_links->isValid() && native.linkAs(link)) {
        job.openable = link;
        job.linkPath = link;
    }
}

} // namespace sonvera
