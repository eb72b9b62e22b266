#pragma once

#include "mediainfo.h"

#include <QObject>
#include <QTimer>

#include <deque>
#include <memory>
#include <vector>

class QProcess;
class QTemporaryDir;

namespace sonvera {

// Finds out in the background what the list shows of each source before it
// is converted: its size on disk, its length and picture size (ffprobe) and a
// thumbnail (ffmpeg, one frame a little way in). A few files are probed at a
// time, each tool in a child process of its own with a time limit, so the
// event loop never waits on a file; the children die with the program.
//
// Files are probed in the order they were handed over; each ends with
// exactly one probed(), unless clear() forgot it first.
class MediaProbe final : public QObject {
    Q_OBJECT

public:
    static constexpr int kFilesAtOnce = 2;
    static constexpr int kTimeLimitMs = 20000; // per tool run
    static constexpr int kThumbnailHeight = 64; // pixels

    // The tools are those on PATH ("ffprobe", "ffmpeg").
    explicit MediaProbe(QObject *parent = nullptr);
    ~MediaProbe() override;

    // The programs to run; "" leaves that part out (no ffprobe: the size on
    // disk only; no ffmpeg: no thumbnails).
    void setTools(const QString &ffprobe, const QString &ffmpeg);

    // Probes the file at `path` (as the file system spells it) for row `id`.
    void probe(quint64 id, const QByteArray &path);
    // Forgets the files not probed yet and stops those being probed.
    void clear();
    bool isBusy() const { return !m_waiting.empty() || !m_running.empty(); }

Q_SIGNALS:
    void probed(quint64 id, const sonvera::MediaInfo &info);

private:
    struct Pending {
        quint64 id;
        QByteArray path;
    };
    struct Job;

    void startWaiting();
    void begin(const Pending &pending);
    void runTool(Job &job, const QString &program, const QStringList &arguments);
    void onToolEnded(Job *job, bool ok);
    void finish(Job *job);
    // Gives the job a name the tools can open `path` by: the path itself when
    // it is UTF-8, else a link to it named in UTF-8 (Qt hands children their
    // arguments as UTF-8), which the job removes when it ends.
    void giveOpenableName(Job &job, const QByteArray &path);

    QString m_ffprobe;
    QString m_ffmpeg;
    std::deque<Pending> m_waiting;
    std::vector<std::unique_ptr<Job>> m_running;
    std::unique_ptr<QTemporaryDir> m_links; // made when a name that is not UTF-8 needs one
    QTimer m_pump; // starts waiting files from the event loop
};

} // namespace sonvera
