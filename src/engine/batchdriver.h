#pragma once

#include "commands.h"
#include "conversionsettings.h"
#include "dosoutputs.h"
#include "progress.h"
#include "runfolder.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>

namespace sonvera {

class FileList;

// Texts of the batch that every front end shows the same way.
namespace BatchTexts {
inline constexpr QStringView kEmptyListMessage = u"请先添加一个文件";
inline constexpr QStringView kEmptyListTitle = u"添加";
inline constexpr QStringView kDone = u"Done.";
inline constexpr QStringView kStopped = u"Stopped.";
inline constexpr QStringView kFailedTitle = u"转换失败";
inline constexpr QStringView kFailedIntro = u"以下文件没有转换成功，它们仍在列表中，再次开始转换即可重试：";
inline constexpr QStringView kNoFormat = u"没有选择输出格式";
inline constexpr QStringView kNoWorkFolder = u"无法创建临时文件夹";
inline constexpr QStringView kNoOutputFolder = u"无法创建输出文件夹";
} // namespace BatchTexts

// What the driver reads from the program options when it needs them.
struct BatchOptions {
    bool playFinishSound = true;      // the options' finish sound is on
    std::optional<ClipRange> mp3Clip; // the clip range, when it is on
};

struct FailedFile {
    QString path;
    QString reason;
};

struct BatchSummary {
    int converted = 0;
    QList<FailedFile> failed;
    QStringList outputs;  // files written, in order
    bool stopped = false; // ended by Stop(), without the end-of-batch actions
    QString outputFolder; // the folder text the batch used
};

// Converts the files of a FileList one after another, head first, in one or
// two encoder stages each, and reports progress. Event driven: Start() arms a
// 100 ms timer and returns; each stage starts from the previous one's end.
//
// The driver never touches a window: front ends follow its signals (lock,
// progress, end-of-batch actions) and show its texts.
class BatchDriver final : public QObject {
    Q_OBJECT

public:
    enum class State { Idle, Armed, Running, Stopping };
    using OptionsFn = std::function<BatchOptions()>;
    using ClockFn = std::function<QTime()>;

    // `list` and `settings` are the front end's own objects and must outlive
    // the driver; the settings are read afresh when each stage is built.
    BatchDriver(FileList &list, ConversionSettings &settings, QObject *parent = nullptr);

    void setProgramFolder(const QString &folder) { m_programFolder = folder; }
    void setWorkFolder(const QString &preferred) { m_preferredWorkFolder = preferred; }
    void setDefaultOutputFolder(const QString &folder) { m_defaultOutputFolder = folder; }
    void setOptionsProvider(OptionsFn options) { m_options = std::move(options); }
    void setClock(ClockFn clock) { m_clock = std::move(clock); }
    void setStartDelay(int ms) { m_startTimer.setInterval(ms); }

    // Starts a batch. Returns false, changing nothing, when the list is empty
    // (the front end then shows kEmptyListMessage) or a batch is under way.
    bool Start();
    // Stops the batch: the running encoder is stopped, its partial output
    // deleted, its row left waiting; the end-of-batch actions do not run.
    void Stop();

    State state() const { return m_state; }
    bool isBusy() const { return m_state != State::Idle; }
    const ProgressState &progressState() const { return m_progress; }
    // This process's own folder inside the work folder, which holds the
    // intermediate files; empty until the first batch has made it.
    QString runFolderPath() const;
    DOSOutputs &objDOS() { return m_objDOS; }
    DOSOutputs &objffmpeg() { return m_objffmpeg; }

Q_SIGNALS:
    void lockChanged(bool locked);
    void progressChanged(const sonvera::ProgressDisplay &display);
    // The folder text gained its trailing "/" (or became the default folder).
    void outputFolderChanged(const QString &text);
    // A run could not start ("Command Line empty", "File or command not found ...").
    void runnerError(const QString &message);
    void stageStarted(const sonvera::EncoderCommand &command);
    // number: 1-based position in this batch; total: files done + this + still waiting.
    void fileStarted(quint64 id, const QString &path, int number, int total);
    // detail: the output path on success, the reason on failure.
    void fileFinished(quint64 id, const QString &path, bool ok, const QString &detail);
    // remainingMs is -1 while no estimate is possible.
    void timingChanged(qint64 elapsedMs, qint64 remainingMs);
    void openOutputFolder(const QString &folder);
    void playFinishSound();
    void batchFinished(const sonvera::BatchSummary &summary);

private:
    void beginBatch();
    void startNextFile();
    void runStage(const EncoderCommand &command);
    void onStageOneOver();
    void onStageTwoOver();
    void onRunnerOutput(DOSOutputs &runner, const QString &chunk);
    void onRunFailed(const QString &message);
    // A stopped or failed run ends its file; true when it did.
    bool handleAbnormalEnd(DOSOutputs &runner);
    void abandonFileAndStop();
    void completeFile(const QString &output);
    void failFile(const QString &reason);
    void afterFile();
    void finishBatch();
    void endStopped();
    void deletePartialOutput(const DOSOutputs &runner);
    // The file a finished run wrote, or "" when there is none.
    QString writtenFile(const DOSOutputs &runner) const;
    CommandContext commandContext() const;
    QString resolvedOutputFolderText() const;
    double currentFileFraction(double stageValue) const;
    void reportTiming(double fileFraction);
    int waitingRowsAfterCurrent() const;

    FileList &m_list;
    ConversionSettings &m_settings;
    DOSOutputs m_objDOS;
    DOSOutputs m_objffmpeg;
    QTimer m_startTimer;
    ProgressState m_progress;
    OptionsFn m_options;
    ClockFn m_clock;
    QString m_programFolder;
    QString m_preferredWorkFolder;
    QString m_defaultOutputFolder;
    QString m_workFolder;
    std::unique_ptr<RunFolder> m_runFolder; // made by the first batch, removed with the driver

    State m_state = State::Idle;
    BatchSummary m_summary;
    QElapsedTimer m_elapsed;
    quint64 m_currentId = 0;   // row under conversion, 0 between files
    QString m_currentPath;
    int m_stage = 0;           // 1 or 2 while a file converts
    bool m_twoStage = false;
    int m_fileNumber = 0;
};

} // namespace sonvera
