#include "mediaprobe.h"

#include "childprocess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <csignal>
#include <functional>
#include <sched.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

// The idle I/O class of ioprio_set(2), which glibc has no header for.
constexpr int kIoprioWhoProcess = 1;
constexpr int kIoprioClassIdle = 3;
constexpr int kIoprioClassShift = 13;
constexpr qint64 kSliceMs = 10; // the longest the probe holds the event loop in one turn

// Runs in the helper between fork and exec: async-signal-safe calls only.
// Idle CPU priority (SCHED_IDLE; nice 19 where that is refused) and idle I/O
// priority, so that a conversion never waits on the probe; an address-space
// cap, so that a file declaring a huge picture cannot take the machine's
// memory; no core file from a file that crashes it.
void lowerChild()
{
    const rlimit memory{rlim_t(MediaProbe::kMemoryLimitBytes), rlim_t(MediaProbe::kMemoryLimitBytes)};
    if (MediaProbe::kCapsAddressSpace)
        ::setrlimit(RLIMIT_AS, &memory);
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    ::setpriority(PRIO_PROCESS, 0, 19);
    const sched_param none{};
    ::sched_setscheduler(0, SCHED_IDLE, &none);
    ::syscall(SYS_ioprio_set, kIoprioWhoProcess, 0, kIoprioClassIdle << kIoprioClassShift);
}

} // namespace

MediaProbe::MediaProbe(QObject *parent)
    : QObject(parent)
{
    m_pump.setSingleShot(true);
    m_pump.setInterval(0);
    connect(&m_pump, &QTimer::timeout, this, &MediaProbe::sendNext);
    m_watch.setInterval(250);
    connect(&m_watch, &QTimer::timeout, this, &MediaProbe::checkLimits);
    m_idle.setSingleShot(true);
    m_idle.setInterval(kIdleEndMs);
    connect(&m_idle, &QTimer::timeout, this, [this] {
        if (!m_current)
            endHelper(false);
    });
}

MediaProbe::~MediaProbe()
{
    clear();
    // Helpers let go of that have not ended yet go with us.
    for (QProcess *process : findChildren<QProcess *>(Qt::FindDirectChildrenOnly)) {
        process->disconnect();
        process->kill();
        process->waitForFinished(1000);
    }
}

void MediaProbe::setHelper(const QString &program)
{
    endHelper(true);
    m_helper = program;
    m_helperBroken = false;
}

void MediaProbe::probe(quint64 id, const QByteArray &path)
{
    m_pending[id] = Request{path, false, false};
    if (!m_pump.isActive())
        m_pump.start();
}

void MediaProbe::hurry(quint64 id, const QByteArray &path)
{
    const auto pending = m_pending.find(id);
    if (pending != m_pending.end())
        pending->second.thumbnail = true;
    else
        m_pending[id] = Request{path, true, true};
    m_hurried.push_back(id);
    if (!m_pump.isActive())
        m_pump.start();
}

void MediaProbe::forget(quint64 id)
{
    m_pending.erase(id);
    if (m_current && m_current->id == id)
        m_current->forgotten = true;
}

void MediaProbe::clear()
{
    m_pending.clear();
    m_hurried.clear();
    m_current.reset();
    endHelper(true);
}

void MediaProbe::setPaused(bool paused)
{
    m_paused = paused;
    if (!paused && !m_pump.isActive())
        m_pump.start();
}

qint64 MediaProbe::helperPid() const
{
    return m_process ? m_process->processId() : 0;
}

void MediaProbe::sendNext()
{
    // Files that end without the helper (not regular files, or no helper at
    // all) end here: tens of thousands of them go in slices from the event loop.
    QElapsedTimer slice;
    slice.start();
    while (!m_current && !m_paused && !m_pending.empty()) {
        if (slice.elapsed() >= kSliceMs) {
            m_pump.start();
            return;
        }
        // Rows on show first, the most recently shown last; then the list's order.
        auto next = m_pending.end();
        while (next == m_pending.end() && !m_hurried.empty()) {
            next = m_pending.find(m_hurried.front());
            m_hurried.pop_front();
        }
        if (next == m_pending.end())
            next = m_pending.begin();
        Current current;
        current.id = next->first;
        current.request = std::move(next->second);
        m_pending.erase(next);

        // A FIFO or a device would keep the helper waiting: only regular files are read.
        struct stat status {};
        const QByteArray &path = current.request.path;
        const bool regular = ::stat(path.constData(), &status) == 0 && S_ISREG(status.st_mode);
        current.found.fileBytes = regular ? status.st_size : -1;
        current.found.state = regular ? MediaInfo::State::Known : MediaInfo::State::Unreadable;
        m_current = std::move(current);
        if (!regular || !ensureHelper()) {
            if (m_current) // a helper that failed to start at once has finished it
                finishCurrent(std::nullopt);
            continue;
        }
        m_current->wall.start();
        m_current->cpuAtStartMs = helperCpuMs();
        const QByteArray &sent = m_current->request.path;
        m_process->write(QByteArray::number(m_current->id) + (m_current->request.thumbnail ? " 1 " : " 0 ")
                         + QByteArray::number(sent.size()) + '\n' + sent);
        m_watch.start();
        m_idle.stop();
    }
    if (!m_current && m_pending.empty() && m_process)
        m_idle.start();
}

bool MediaProbe::ensureHelper()
{
    if (m_helper.isEmpty() || m_helperBroken)
        return false;
    if (m_process)
        return true;
    m_reader.reset();
    m_process = new QProcess(this);
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    m_process->setStandardErrorFile(QProcess::nullDevice());
    bindChildToParent(*m_process, SIGKILL);
    const std::function<void()> bind = m_process->childProcessModifier();
    m_process->setChildProcessModifier([bind] {
        bind();
        lowerChild();
    });
    QProcess *process = m_process;
    connect(process, &QProcess::readyReadStandardOutput, this, &MediaProbe::onOutput);
    connect(process, &QProcess::finished, this, [this] { onHelperEnded(false); });
    connect(process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            onHelperEnded(true);
    });
    // Written requests wait in the process's buffer until it has started.
    m_process->start(m_helper, {});
    return m_process != nullptr; // a start that failed at once has been handled
}

void MediaProbe::onOutput()
{
    if (!m_process)
        return;
    const QList<ProbeReplyReader::Reply> replies = m_reader.read(m_process->readAllStandardOutput());
    for (const ProbeReplyReader::Reply &reply : replies) {
        if (m_current && m_current->id == reply.id)
            finishCurrent(reply.info);
    }
    if (m_reader.broken()) {
        m_process->kill(); // its end fails the file being read
        return;
    }
    if (!m_current && !m_pump.isActive())
        m_pump.start();
}

void MediaProbe::onHelperEnded(bool failedToStart)
{
    if (!m_process)
        return;
    m_process->disconnect(this);
    // Deleted from the event loop: this runs inside the process's own signal.
    m_process->deleteLater();
    m_process = nullptr;
    m_watch.stop();
    m_idle.stop();
    if (failedToStart)
        m_helperBroken = true; // sizes only, for this file and the rest
    else if (m_current)
        m_current->found.state = MediaInfo::State::Unreadable; // it crashed the helper or ran past a limit
    // The file it was reading fails alone; the rest go to a new helper.
    if (m_current)
        finishCurrent(std::nullopt);
    if (!m_pump.isActive())
        m_pump.start();
}

void MediaProbe::finishCurrent(const std::optional<MediaInfo> &reply)
{
    const Current current = std::move(*m_current);
    m_current.reset();
    m_watch.stop();
    if (current.forgotten)
        return;
    MediaInfo info = current.found;
    if (reply) {
        info = *reply;
        info.fileBytes = current.found.fileBytes;
    } else if (current.request.probedBefore) {
        return; // a thumbnail that could not be drawn changes nothing shown
    }
    Q_EMIT probed(current.id, info);
}

void MediaProbe::checkLimits()
{
    if (!m_current || !m_process)
        return;
    if (m_current->wall.elapsed() > kWallLimitMs || helperCpuMs() - m_current->cpuAtStartMs > kCpuLimitMs)
        m_process->kill(); // its end fails the file being read
}

qint64 MediaProbe::helperCpuMs() const
{
    // utime and stime, fields 14 and 15 of /proc/<pid>/stat, after the
    // command name, which may hold blanks: counted from its closing bracket.
    const qint64 pid = helperPid();
    if (pid <= 0)
        return 0;
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.read(4096);
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const qint64 ticks = fields.value(11).toLongLong() + fields.value(12).toLongLong();
    static const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    return ticksPerSecond > 0 ? ticks * 1000 / ticksPerSecond : 0;
}

void MediaProbe::endHelper(bool kill)
{
    m_watch.stop();
    m_idle.stop();
    if (!m_process)
        return;
    // Let go of at once, so that a new request starts a new helper; the
    // object goes when the process has ended (or with this probe, whose
    // destruction ends it). An idle helper ends at the end of its input.
    QProcess *process = m_process;
    m_process = nullptr;
    process->disconnect(this);
    if (kill) {
        // SIGKILL ends it at once: reaped here, in a few milliseconds.
        process->kill();
        process->waitForFinished(1000);
        process->deleteLater(); // this may run inside one of its signals
        return;
    }
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->closeWriteChannel();
}

} // namespace sonvera
