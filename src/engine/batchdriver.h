#pragma once

#include "conversionsettings.h"
#include "conversionworker.h"
#include "encodercommands.h"
#include "failurecatalogue.h"
#include "joblimits.h"
#include "progress.h"
#include "runfolder.h"
#include "timeleft.h"
#include "translatabletext.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace sonvera {

class FileList;
struct FileListRow;

// Texts of the batch that every front end shows the same way, in the user's
// language.
namespace BatchTexts {
inline constexpr TranslatableText kEmptyListMessage{"BatchTexts", QT_TRANSLATE_NOOP("BatchTexts", "请先添加一个文件")};
inline constexpr TranslatableText kEmptyListTitle{"BatchTexts", QT_TRANSLATE_NOOP("BatchTexts", "添加")};
// "Done." and "Stopped." in English.
inline constexpr TranslatableText kDone{"BatchTexts", QT_TRANSLATE_NOOP("BatchTexts", "转换结束。")};
inline constexpr TranslatableText kStopped{"BatchTexts", QT_TRANSLATE_NOOP("BatchTexts", "已停止。")};
inline constexpr TranslatableText kFailedTitle{"BatchTexts", QT_TRANSLATE_NOOP("BatchTexts", "转换失败")};
inline constexpr TranslatableText kFailedIntro{
    "BatchTexts", QT_TRANSLATE_NOOP("BatchTexts", "以下文件没有转换成功，它们仍在列表中，再次开始转换即可重试：")};
} // namespace BatchTexts

// What the driver reads from the program options when it needs them.
struct BatchOptions {
    bool playFinishSound = true;      // the options' finish sound is on
    std::optional<ClipRange> mp3Clip; // the clip range, when it is on
    ConversionChoices choices = {};   // read as each file starts
};

// A file that did not convert: its row's path and why (see failurecatalogue.h).
struct FailedFile {
    QString path;   // as shown
    QString reason; // the catalogue's words
    FailureCode code = FailureCode::Failed; // for scripts: failureCodeName(code)
    QString output = {}; // a partial output that was kept; empty when none
};

struct BatchSummary {
    int converted = 0;
    QList<FailedFile> failed;
    QStringList outputs;  // files written, in order of completion, as shown
    bool stopped = false; // ended by stop(), without the end-of-batch actions
    QString outputFolder; // the folder text the batch used
};

// Converts the files of a FileList, head first, up to parallelJobs() at once
// (one by default), each in one or two encoder stages, and reports progress.
// Event driven: start() arms a 100 ms timer and returns; each stage starts
// from the previous one's end, each file from a worker coming free.
//
// The driver never touches a window: front ends follow its signals (lock,
// progress, end-of-batch actions) and show its texts.
class BatchDriver final : public QObject {
    Q_OBJECT

public:
    enum class State { Idle, Armed, Running, Stopping };
    // The longest fillWorkers() runs before it lets the event loop in (ms).
    static constexpr int kFillSliceMs = 20;
    using OptionsFn = std::function<BatchOptions()>;
    using ClockFn = std::function<QTime()>;

    // `list` and `settings` are the front end's own objects and must outlive
    // the driver; the settings are read afresh when each stage is built.
    BatchDriver(FileList &list, ConversionSettings &settings, QObject *parent = nullptr);
    ~BatchDriver() override;

    void setProgramFolder(const QString &folder) { m_programFolder = folder; }
    void setWorkFolder(const QString &preferred) { m_preferredWorkFolder = preferred; }
    // The folder the intermediates go under (as set; its disk is the temporary folder's).
    const QString &preferredWorkFolder() const { return m_preferredWorkFolder; }
    void setDefaultOutputFolder(const QString &folder) { m_defaultOutputFolder = folder; }
    void setOptionsProvider(OptionsFn options) { m_options = std::move(options); }
    void setClock(ClockFn clock) { m_clock = std::move(clock); }
    void setStartDelay(int ms) { m_startTimer.setInterval(ms); }
    // How many files convert at once, from the next batch on: at least 1,
    // and no more than parallelJobsWithinLimits() allows.
    void setParallelJobs(int jobs) { m_jobs = parallelJobsWithinLimits(jobs); }
    int parallelJobs() const { return m_jobs; }
    // Off (the default): a converted file's row leaves the list. On: it stays,
    // done, with its output, until the next start() removes it.
    void setKeepDoneRows(bool keep) { m_keepDoneRows = keep; }

    // Starts a batch, first removing the done rows. Returns false, changing
    // nothing else, when no row is left (the front end then shows
    // kEmptyListMessage) or a batch is under way.
    bool start();
    // Stops the batch: every running encoder is stopped, its partial output
    // deleted, its row left waiting; the end-of-batch actions do not run.
    void stop();

    State state() const { return m_state; }
    bool isBusy() const { return m_state != State::Idle; }
    // This process's own folder inside the work folder, which holds the
    // intermediate files; empty until the first batch (or prepareRunFolder()) made it.
    QString runFolderPath() const;
    // Makes the run folder now, if it is not there yet; its path, or "" when
    // no private folder can be made.
    QString prepareRunFolder();
    // The intermediate folder of worker `index` (0-based) in run folder `run`.
    static QString workerFolder(const QString &run, int index);
    // The workers of the last batch (for tests and benchmarks).
    QList<ConversionWorker *> workers() const;

Q_SIGNALS:
    void lockChanged(bool locked);
    // The main display: one file's stage while one file converts at a time,
    // the whole batch's share of work when several do (then also as each
    // file starts and ends, so that it counts the files converting).
    void progressChanged(const sonvera::ProgressDisplay &display);
    // The folder text gained its trailing "/" (or became the default folder).
    void outputFolderChanged(const QString &text);
    // A run could not start ("Command Line empty", "File or command not found ...");
    // each distinct message once per batch (every file it failed has it as its reason).
    void runnerError(const QString &message);
    void stageStarted(const sonvera::EncoderCommand &command);
    // number: 1-based position in this batch; total: files done + converting + still waiting.
    void fileStarted(quint64 id, const QString &path, int number, int total);
    // detail: the output path on success, the reason on failure. A failed
    // file's whole record arrives just before, with fileFailed().
    void fileFinished(quint64 id, const QString &path, bool ok, const QString &detail);
    void fileFailed(quint64 id, const sonvera::FailedFile &failure);
    // How far file `id` is (0..1, its stages together) and the encoder run
    // under way (1, or 2 for the second run of a two-stage format), each time
    // its encoder reports.
    void fileProgressed(quint64 id, double fraction, int stage);
    // The file's streams were copied, not coded; fileFinished() follows.
    void fileCopied(quint64 id);
    // The file converted whole, with a note for the user (its header claims
    // more than its data holds); fileFinished() follows.
    void fileNoted(quint64 id, const QString &note);
    // remainingMs is -1 while no estimate is possible.
    void timingChanged(qint64 elapsedMs, qint64 remainingMs);
    // The whole batch: its share of work done (0..1) and the files not yet
    // ended (converting or waiting), for the desktop's launcher.
    void batchProgress(double share, int filesLeft);
    void openOutputFolder(const QString &folder);
    void playFinishSound();
    void batchFinished(const sonvera::BatchSummary &summary);

private:
    // Clears what the last batch recorded (summary, counts, errors said).
    void resetBatchRecord();
    void beginBatch();
    void prepareWorkers();
    void fillWorkers();
    // Calls fillWorkers() from the event loop, once however often asked.
    void scheduleFill();
    // A worker free for the next file, made when fewer than parallelJobs()
    // exist; nullptr when all are busy.
    ConversionWorker *idleWorker();
    // Starts the row on `worker`, or fails it at once when no encoder could convert it.
    void startFile(ConversionWorker &worker, FileListRow row);
    // The folder the row's output goes into, made when needed: the output
    // folder, or with keepTree the row's subfolder under it; empty (the row
    // failed) when it cannot be made.
    QString outputFolderOf(const FileListRow &row, const QString &outputFolder);
    void reportRunnerError(const QString &message);
    void onProgress(ConversionWorker &worker);
    // The worker's stage display with its step.
    static ProgressDisplay stepDisplay(const ConversionWorker &worker);
    void onConverted(quint64 id, const QString &output, bool copied, const QString &note);
    void onStopped(quint64 id);
    void failRow(quint64 id, const FileFailure &failure);
    QString shownPathOf(quint64 id) const;
    void afterFile();
    void finishBatch();
    void endStopped();
    void reportProgress(const ConversionWorker *changed);
    // The batch's work in seconds of media: done so far, and in all.
    std::pair<double, double> workDoneAndTotal() const;
    ProgressDisplay batchDisplay(double done, double total) const;
    // The batch's share on the main display, when several files convert at once.
    void showBatchShare();
    int busyWorkers() const;
    int waitingRows() const;
    CommandContext commandContext() const;
    QString resolvedOutputFolderText() const;

    FileList &m_list;
    ConversionSettings &m_settings;
    std::vector<std::unique_ptr<ConversionWorker>> m_workers;
    QTimer m_startTimer;
    OptionsFn m_options;
    ClockFn m_clock;
    QString m_programFolder;
    QString m_preferredWorkFolder;
    QString m_defaultOutputFolder;
    QString m_workFolder;
    std::unique_ptr<RunFolder> m_runFolder; // made by the first batch, removed with the driver
    int m_jobs = 1;
    int m_batchJobs = 1; // m_jobs when the batch was started
    bool m_keepDoneRows = false;

    State m_state = State::Idle;
    BatchSummary m_summary;        // of the current (or last) batch; cleared by start()
    QSet<QString> m_reportedErrors; // runner errors already said in this batch
    QSet<QString> m_sweptFolders;   // subfolders whose dead part files this batch swept
    QElapsedTimer m_elapsed;
    TimeLeftEstimate m_estimate;
    double m_endedSeconds = 0;             // length of the converted files whose length is known
    int m_endedKnown = 0;                  // how many those are
    int m_filesEnded = 0;                  // files this batch has ended, converted or not
    int m_fileNumber = 0;
    bool m_fillPending = false;
};

} // namespace sonvera
