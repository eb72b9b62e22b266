#pragma once

#include "conversionsettings.h"
#include "encodercommands.h"
#include "encoderrunner.h"
#include "failurecatalogue.h"
#include "progress.h"

#include <QObject>

#include <functional>
#include <optional>

namespace sonvera {

// Converts one file at a time, in one or two encoder stages, with an encoder
// runner and an intermediate folder of its own, and says what became of the
// file. The batch driver runs one worker per file it converts at once.
//
// Event driven: convert() starts the first stage and returns; the second
// starts from the first one's end. The settings are read when each stage is
// built. Exactly one of converted(), failed() or stopped() ends each file,
// never from inside convert() or stop().
//
// A source cut short is converted as far as it goes: its first stage keeps
// what it made, the second stage (if any) makes the output of it, and the
// file then fails with the cut and that output's name.
//
// The choices of the context (conversionsettings.h) are read when a file
// starts and hold for all its stages: the one-stage route runs a two-stage
// format's second encoder on the source; with remux, a two-stage format
// first runs a copy attempt, and only when the encoder says the streams do
// not fit do the stages follow; with keepDates an output (a partial one
// included) gets the source's modification time.
class ConversionWorker final : public QObject {
    Q_OBJECT

public:
    // What a command needs besides the settings; the worker puts its own
    // intermediate folder in.
    using ContextFn = std::function<CommandContext()>;

    // `settings` must outlive the worker. `intermediateFolder` holds this
    // worker's tmp.mp4 and no one else's.
    ConversionWorker(const ConversionSettings &settings, QString intermediateFolder, ContextFn context,
                     QObject *parent = nullptr);

    // Starts converting file `id`, which the encoders open as `sourcePath`,
    // into `outputFolder` (ending in "/"). The worker must be idle.
    void convert(quint64 id, const QString &sourcePath, const QString &outputFolder);
    // Stops the running encoder; the file then ends with stopped(), or with
    // converted() when its last stage had already finished.
    void stop();

    bool isBusy() const { return m_id != 0; }
    quint64 fileId() const { return m_id; }
    const QString &intermediateFolder() const { return m_intermediateFolder; }
    EncoderRunner &runner() { return m_runner; }

    // How far the current file is, 0..1, both stages together.
    double fileFraction() const;
    // The current file's length once an encoder has said it.
    std::optional<double> durationSeconds() const;
    // The encoder run under way: 1, or 2 for a two-stage format's second; 0 when idle.
    int stage() const { return m_stage; }
    // The current stage's display, as the progress caption and the file's row show it.
    const ProgressDisplay &stageDisplay() const { return m_display; }
    // How many stages the current file has: 1, or 2 for a two-stage format.
    int stageCount() const { return m_twoStage ? 2 : 1; }
    // The last file converted had its streams copied, not coded (valid in converted()).
    bool copiedStreams() const { return m_copied; }
    // The last file converted whole, though its header claims more than its
    // data holds (valid in converted()).
    const std::optional<HeaderNote> &headerNote() const { return m_headerNote; }

Q_SIGNALS:
    void stageStarted(const sonvera::EncoderCommand &command);
    void progressed(quint64 id);
    // "Command Line empty", "File or command not found ..."; the file then fails.
    void startFailed(const QString &message);
    void converted(quint64 id, const QString &outputPath);
    void failed(quint64 id, const sonvera::FileFailure &failure);
    void stopped(quint64 id);

private:
    void runStage(const EncoderCommand &command);
    void onOutput(const QString &chunk);
    void onStageOver();
    void onStartFailed(const QString &message);
    void startFirstStage();
    void startSecondStage();
    void endConverted(const QString &output);
    void endFailed(const FileFailure &failure);
    // Ends the file with the failure an encoder reported for this stage.
    void endFailed(EncoderReport report);
    void endStopped();
    // The driver's context with this worker's intermediate folder.
    CommandContext commandContext() const;
    // The file the finished run wrote, or "" when there is none.
    QString writtenFile() const;
    void deletePartFile() const;
    // Removes this worker's intermediate file: at each file's start and end,
    // so that no stage ever reads what another file's run left.
    void removeIntermediate() const;

    const ConversionSettings &m_settings;
    QString m_intermediateFolder;
    ContextFn m_context;
    EncoderRunner m_runner;
    ProgressState m_progress;
    ProgressDisplay m_display;
    quint64 m_id = 0;        // file being converted; 0 when idle
    QString m_source;
    QString m_outputFolder;
    int m_stage = 0;         // 1 or 2 while a file converts
    bool m_twoStage = false;
    bool m_copyAttempt = false; // the run under way is the copy attempt before the stages
    bool m_copied = false;      // the output's streams were copied
    ConversionChoices m_choices; // as the file started
    QString m_announcements;     // the start of the current run's output, where a copy is announced
    bool m_stopping = false;
    std::optional<FailureFacts> m_truncation; // the first stage found the source cut short
    std::optional<HeaderNote> m_headerNote;   // a run found the source's header claiming more
};

} // namespace sonvera
