#include "batchdriver.h"

#include "apppaths.h"
#include "encoderfailure.h"
#include "encoderstatus.h"
#include "filelist.h"
#include "partfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

BatchDriver::BatchDriver(FileList &list, ConversionSettings &settings, QObject *parent)
    : QObject(parent)
    , m_list(list)
    , m_settings(settings)
    , m_clock([] { return QTime::currentTime(); })
{
    m_startTimer.setSingleShot(true);
    m_startTimer.setInterval(100);
    connect(&m_startTimer, &QTimer::timeout, this, &BatchDriver::beginBatch);

    connect(&m_objDOS, &DOSOutputs::ReceiveOutputs, this,
            [this](const QString &chunk) { onRunnerOutput(m_objDOS, chunk); });
    connect(&m_objffmpeg, &DOSOutputs::ReceiveOutputs, this,
            [this](const QString &chunk) { onRunnerOutput(m_objffmpeg, chunk); });
    connect(&m_objDOS, &DOSOutputs::CommandOver, this, &BatchDriver::onStageOneOver);
    connect(&m_objffmpeg, &DOSOutputs::CommandOver, this, &BatchDriver::onStageTwoOver);
    connect(&m_objDOS, &DOSOutputs::runFailed, this, &BatchDriver::onRunFailed);
    connect(&m_objffmpeg, &DOSOutputs::runFailed, this, &BatchDriver::onRunFailed);
}

bool BatchDriver::Start()
{
    if (m_state != State::Idle || m_list.RowCount() == 0)
        return false;
    m_state = State::Armed;
    Q_EMIT lockChanged(true);
    m_startTimer.start();
    return true;
}

void BatchDriver::Stop()
{
    switch (m_state) {
    case State::Idle:
    case State::Stopping:
        return;
    case State::Armed:
        m_startTimer.stop();
        endStopped();
        return;
    case State::Running:
        m_state = State::Stopping;
        if (m_objDOS.isRunning())
            m_objDOS.stop();
        else if (m_objffmpeg.isRunning())
            m_objffmpeg.stop();
        // Between two files nothing runs: the next step sees the stop.
        return;
    }
}

QString BatchDriver::resolvedOutputFolderText() const
{
    return m_settings.outputFolder.isEmpty() ? m_defaultOutputFolder : m_settings.outputFolder;
}

void BatchDriver::beginBatch()
{
    m_state = State::Running;
    m_summary = {};
    m_fileNumber = 0;
    m_elapsed.start();

    // The output folder is made once per batch, with its parents; a folder that
    // cannot be made fails each file at once. Unfinished outputs of encoders
    // that died with their program (a power cut) go first.
    QDir().mkpath(resolvedOutputFolderText());
    sweepDeadPartFiles(resolvedOutputFolderText());
    if (!m_runFolder) {
        m_workFolder = PrepareWorkFolder(m_preferredWorkFolder.isEmpty() ? DefaultWorkFolderPath()
                                                                         : m_preferredWorkFolder);
        m_runFolder = RunFolder::create(m_workFolder);
    }

    // A new Start retries the files that failed before.
    for (int i = 0; i < m_list.RowCount(); ++i) {
        if (m_list.rowAt(i).status == FileListRow::Status::Failed)
            m_list.setWaiting(m_list.rowAt(i).id);
    }
    startNextFile();
}

int BatchDriver::waitingRowsAfterCurrent() const
{
    int waiting = 0;
    for (int i = 0; i < m_list.RowCount(); ++i) {
        const FileListRow &row = m_list.rowAt(i);
        if (row.status == FileListRow::Status::Waiting && row.id != m_currentId)
            ++waiting;
    }
    return waiting;
}

CommandContext BatchDriver::commandContext() const
{
    CommandContext context;
    context.programFolder = m_programFolder;
    context.workFolder = runFolderPath();
    context.clock = m_clock();
    // A dangling symbolic link is a name taken, too.
    context.fileExists = [](const QString &path) {
        const QFileInfo info(path);
        return info.exists() || info.isSymLink();
    };
    if (m_options)
        context.mp3Clip = m_options().mp3Clip;
    return context;
}

void BatchDriver::startNextFile()
{
    if (m_state == State::Stopping) {
        endStopped();
        return;
    }
    // The first row still waiting: failed rows stay in the list and are passed over.
    const FileListRow *next = nullptr;
    for (int i = 0; i < m_list.RowCount() && !next; ++i) {
        if (m_list.rowAt(i).status == FileListRow::Status::Waiting)
            next = &m_list.rowAt(i);
    }
    if (!next) {
        finishBatch();
        return;
    }

    m_currentId = next->id;
    m_currentPath = next->path;
    m_stage = 1;
    m_list.setProtectedRow(m_currentId);
    m_list.setConverting(m_currentId, 0);
    ++m_fileNumber;
    Q_EMIT fileStarted(m_currentId, m_currentPath, m_fileNumber, m_fileNumber + waitingRowsAfterCurrent());

    QString folder = resolvedOutputFolderText();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    if (folder != m_settings.outputFolder) {
        m_settings.outputFolder = folder;
        Q_EMIT outputFolderChanged(folder);
    }

    if (!m_runFolder) {
        failFile(BatchTexts::kNoWorkFolder.toString() + u": "_s
                 + (m_workFolder.isEmpty() ? DefaultWorkFolderPath() : m_workFolder));
        return;
    }
    // A FIFO or a device would keep an encoder waiting forever.
    struct stat source {};
    if (::stat(QFile::encodeName(m_currentPath).constData(), &source) == 0 && !S_ISREG(source.st_mode)) {
        failFile(FailureTexts::kNotAFile.toString());
        return;
    }
    // No encoder could write there: say so instead of converting in vain.
    if (!QFileInfo(folder).isDir()) {
        failFile(BatchTexts::kNoOutputFolder.toString() + u": "_s + folder);
        return;
    }
    const EncoderCommand command = BuildFirstStageCommand(m_currentPath, folder, m_settings, commandContext());
    if (command.isEmpty()) {
        failFile(BatchTexts::kNoFormat.toString());
        return;
    }
    const FormatInfo *format = formatAt(m_settings.formatIndex);
    m_twoStage = format && format->kind == FormatKind::Intermediate;
    runStage(command);
}

void BatchDriver::runStage(const EncoderCommand &command)
{
    DOSOutputs &runner = command.runner == RunnerId::objDOS ? m_objDOS : m_objffmpeg;
    runner.setCommand(command);
    Q_EMIT stageStarted(command);
    runner.ExecuteCommand(); // a start failure arrives as runFailed()
}

void BatchDriver::onRunnerOutput(DOSOutputs &runner, const QString &chunk)
{
    if (m_currentId == 0)
        return;
    const std::optional<ProgressDisplay> display = &runner == &m_objDOS ? ReadFirstStageOutput(m_progress, chunk)
                                                                        : ReadFfmpegOutput(m_progress, chunk);
    if (!display)
        return;
    Q_EMIT progressChanged(*display);
    const double fraction = currentFileFraction(display->value);
    m_list.setConverting(m_currentId, static_cast<int>(fraction * 100));
    reportTiming(fraction);
}

double BatchDriver::currentFileFraction(double stageValue) const
{
    const double stage = std::clamp(stageValue / 100, 0.0, 1.0);
    if (!m_twoStage)
        return stage;
    return m_stage == 1 ? stage / 2 : 0.5 + stage / 2;
}

void BatchDriver::reportTiming(double fileFraction)
{
    const qint64 elapsed = m_elapsed.elapsed();
    const int done = m_summary.converted + static_cast<int>(m_summary.failed.size());
    const int total = done + 1 + waitingRowsAfterCurrent();
    const double overall = (done + fileFraction) / total;
    // Too early to tell: a few percent give wild estimates.
    const qint64 remaining = overall < 0.02 ? -1 : static_cast<qint64>(static_cast<double>(elapsed) * (1 - overall) / overall);
    Q_EMIT timingChanged(elapsed, remaining);
}

bool BatchDriver::handleAbnormalEnd(DOSOutputs &runner)
{
    if (runner.ending() == DOSOutputs::Ending::Stopped || m_state == State::Stopping) {
        deletePartialOutput(runner);
        abandonFileAndStop();
        return true;
    }
    if (!runner.succeeded()) {
        deletePartialOutput(runner);
        failFile(runner.failureReason());
        return true;
    }
    return false;
}

QString BatchDriver::writtenFile(const DOSOutputs &runner) const
{
    // The encoder names the file it published, which may have gained "-2"
    // when another program took the planned name meanwhile.
    const QString planned = runner.command().outputPath;
    const std::optional<QString> name = publishedFileName(runner.Outputs());
    const QString path = name ? planned.left(planned.lastIndexOf(u'/') + 1) + *name : planned;
    return QFileInfo(path).isFile() ? path : QString();
}

void BatchDriver::abandonFileAndStop()
{
    // The file is not done: it waits for the next batch.
    m_list.setWaiting(m_currentId);
    m_list.clearProtectedRow();
    m_currentId = 0;
    m_progress.fileComplete();
    endStopped();
}

void BatchDriver::onStageOneOver()
{
    if (m_currentId == 0 || handleAbnormalEnd(m_objDOS))
        return;
    const QString written = writtenFile(m_objDOS);
    if (written.isEmpty()) {
        failFile(FailureTexts::kNoOutput.toString());
        return;
    }
    // The format and parameters are read now, when stage one is over.
    const FormatInfo *format = formatAt(m_settings.formatIndex);
    if (!format || format->stageTwoImage.isEmpty()) {
        completeFile(written);
        return;
    }
    m_stage = 2;
    const EncoderCommand command = BuildSecondStageCommand(m_currentPath, m_settings.outputFolder, m_settings,
                                                           commandContext());
    runStage(command);
}

void BatchDriver::onStageTwoOver()
{
    if (m_currentId == 0 || handleAbnormalEnd(m_objffmpeg))
        return;
    const QString written = writtenFile(m_objffmpeg);
    if (written.isEmpty())
        failFile(FailureTexts::kNoOutput.toString());
    else
        completeFile(written);
}

void BatchDriver::onRunFailed(const QString &message)
{
    Q_EMIT runnerError(message);
    if (m_currentId == 0)
        return;
    if (m_state == State::Stopping) {
        abandonFileAndStop();
        return;
    }
    failFile(message);
}

void BatchDriver::completeFile(const QString &output)
{
    const quint64 id = m_currentId;
    const QString path = m_currentPath;
    m_list.PopHead(id);
    m_progress.fileComplete();
    ++m_summary.converted;
    m_summary.outputs << output;
    Q_EMIT fileFinished(id, path, true, output);
    afterFile();
}

void BatchDriver::failFile(const QString &reason)
{
    const quint64 id = m_currentId;
    const QString path = m_currentPath;
    m_list.setFailed(id, reason);
    m_list.clearProtectedRow();
    m_progress.fileComplete();
    m_summary.failed.append({path, m_list.rowById(id) ? m_list.rowById(id)->failureReason : reason});
    Q_EMIT fileFinished(id, path, false, m_summary.failed.last().reason);
    afterFile();
}

void BatchDriver::afterFile()
{
    m_currentId = 0;
    m_currentPath.clear();
    m_stage = 0;
    // The next file starts from the event loop, after this run's handlers are done.
    QTimer::singleShot(0, this, &BatchDriver::startNextFile);
}

void BatchDriver::finishBatch()
{
    m_summary.outputFolder = m_settings.outputFolder;
    Q_EMIT openOutputFolder(m_settings.outputFolder);
    if (!m_options || m_options().playFinishSound)
        Q_EMIT playFinishSound();
    m_state = State::Idle;
    Q_EMIT lockChanged(false);
    Q_EMIT progressChanged(IdleDisplay(BatchTexts::kDone.toString()));
    Q_EMIT batchFinished(m_summary);
}

void BatchDriver::endStopped()
{
    m_summary.stopped = true;
    m_summary.outputFolder = m_settings.outputFolder;
    m_currentId = 0;
    m_stage = 0;
    m_state = State::Idle;
    Q_EMIT lockChanged(false);
    Q_EMIT progressChanged(IdleDisplay(BatchTexts::kStopped.toString()));
    Q_EMIT batchFinished(m_summary);
}

void BatchDriver::deletePartialOutput(const DOSOutputs &runner)
{
    // An encoder that was stopped deletes its own unfinished file; one that
    // crashed or was killed leaves it, under a name that tells its process.
    // The planned output name itself is never touched: it was free when the
    // command was built, but another program may have published there since.
    const QString planned = runner.command().outputPath;
    if (planned.isEmpty() || runner.processId() <= 0)
        return;
    const QString part = partFilePath(planned.left(planned.lastIndexOf(u'/')), runner.processId());
    if (QFileInfo(part).isFile())
        QFile::remove(part);
}

QString BatchDriver::runFolderPath() const
{
    return m_runFolder ? m_runFolder->path() : QString();
}

} // namespace sonvera
