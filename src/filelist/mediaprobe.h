#pragma once

#include "mediainfo.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <deque>
#include <map>
#include <memory>
#include <optional>

class QProcess;

namespace sonvera {

// Finds out in the background what the list shows of each source before it
// is converted: its size on disk, its length and picture size, and for rows
// on show a thumbnail. One long-lived helper process (data/probe, on ffmpeg's
// libraries) reads the files one after another, so a file costs a few
// milliseconds of CPU, not two program starts.
//
// The probe yields to everything else: the helper runs at idle CPU and I/O
// priority, within kMemoryLimitBytes of address space and a CPU and wall-time
// limit per file, and nothing is sent to it while paused (a batch converts).
// A file that crashes the helper or exceeds a limit fails its own probe only;
// the helper is started again for the rest. The event loop never waits on it.
//
// Files are probed in the order of their ids (the list's order), those
// hurried (rows on show) first. Each file handed to probe() ends with exactly
// one probed(), unless forget() or clear() dropped it first; a hurried file
// that was probed already gets a second probed() with its thumbnail, or
// none when the thumbnail cannot be drawn.
class MediaProbe final : public QObject {
    Q_OBJECT

public:
    static constexpr int kThumbnailHeight = 64;                      // pixels, as the helper draws them
    static constexpr qint64 kMemoryLimitBytes = 512LL * 1024 * 1024; // the helper's address space
#if defined(__SANITIZE_ADDRESS__)
    // An address-sanitized helper (the sanitizer build) reserves terabytes of
    // address space for its shadow memory: no cap would let it start.
    static constexpr bool kCapsAddressSpace = false;
#else
    static constexpr bool kCapsAddressSpace = true;
#endif
    static constexpr int kCpuLimitMs = 5000;  // CPU time one file may take
    static constexpr int kWallLimitMs = 60000; // wall time one file may take, however idle
    static constexpr int kIdleEndMs = 10000;  // a helper with nothing to do ends after this

    explicit MediaProbe(QObject *parent = nullptr);
    ~MediaProbe() override;

    // The helper program; "" (the default) gives the size on disk only. A
    // helper that cannot be started does the same, for every file.
    void setHelper(const QString &program);

    // Probes the file at `path` (as the file system spells it) for row `id`.
    void probe(quint64 id, const QByteArray &path);
    // The row is on show: probed before the others, with its thumbnail.
    void hurry(quint64 id, const QByteArray &path);
    // The row is gone: its probe is dropped, or its result ignored.
    void forget(quint64 id);
    // Forgets every file and ends the helper.
    void clear();
    // Paused, nothing new is sent to the helper (the file it reads, it finishes).
    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }
    bool isBusy() const { return !m_pending.empty() || m_current.has_value(); }
    // The helper's process id, 0 when none runs (for tests and benchmarks).
    qint64 helperPid() const;

Q_SIGNALS:
    void probed(quint64 id, const sonvera::MediaInfo &info);

private:
    struct Request {
        QByteArray path;
        bool thumbnail = false;
        bool probedBefore = false; // asked again for a thumbnail alone
    };
    struct Current {
        quint64 id = 0;
        Request request;
        MediaInfo found;            // what the parent found itself (the size on disk)
        bool forgotten = false;
        QElapsedTimer wall;
        qint64 cpuAtStartMs = 0;
    };

    void sendNext();
    bool ensureHelper();
    void onOutput();
    void onHelperEnded(bool failedToStart);
    void finishCurrent(const std::optional<MediaInfo> &reply);
    void checkLimits();
    qint64 helperCpuMs() const;
    // kill: at once (SIGKILL); else it ends when it has read its input's end.
    void endHelper(bool kill);

    QString m_helper;
    bool m_helperBroken = false; // could not be started: sizes only from then on
    bool m_paused = false;
    std::map<quint64, Request> m_pending; // ids rise in the list's order
    std::deque<quint64> m_hurried;        // pending ids to take first
    std::optional<Current> m_current;     // sent, not yet answered
    QProcess *m_process = nullptr;        // the helper; deleted from the event loop
    ProbeReplyReader m_reader;
    QTimer m_pump;   // sends the next request from the event loop
    QTimer m_watch;  // checks the limits of the file being read
    QTimer m_idle;   // ends a helper with nothing to do
};

} // namespace sonvera
