#include "batchdriver.h"

#include "apppaths.h"
#include "batchfiles.h"
#include "filelist.h"
#include "partfiles.h"
#include "pathtext.h"
#include "settinguse.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

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
}

BatchDriver::~BatchDriver()
{
    // The workers' encoders go before the run folder they write into.
    m_workers.clear();
}

bool BatchDriver::start()
{
    if (m_state != State::Idle)
        return false;
    m_list.removeDoneRows();
    if (m_list.rowCount() == 0)
        return false;
    m_state = State::Armed;
    m_batchJobs = m_jobs;
    // Fresh from the start, not from beginBatch(): a Stop while armed ends
    // this batch, and must not report the previous one's files.
    resetBatchRecord();
    Q_EMIT lockChanged(true);
    m_startTimer.start();
    return true;
}

void BatchDriver::stop()
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
        for (const auto &worker : m_workers)
            worker->stop();
        // Between two files nothing runs: the batch ends here.
        if (busyWorkers() == 0)
            endStopped();
        return;
    }
}

QString BatchDriver::runFolderPath() const
{
    return m_runFolder ? m_runFolder->path() : QString();
}

QString BatchDriver::prepareRunFolder()
{
    if (!m_runFolder) {
        m_workFolder = prepareWorkFolder(m_preferredWorkFolder.isEmpty() ? defaultWorkFolderPath()
                                                                         : m_preferredWorkFolder);
        m_runFolder = RunFolder::create(m_workFolder);
    }
    return runFolderPath();
}

QString BatchDriver::workerFolder(const QString &run, int index)
{
    return run + u'/' + QString::number(index + 1);
}

QList<ConversionWorker *> BatchDriver::workers() const
{
    QList<ConversionWorker *> out;
    for (const auto &worker : m_workers)
        out << worker.get();
    return out;
}

QString BatchDriver::resolvedOutputFolderText() const
{
    // A typed "~/视频" means the home folder's, not a folder named "~".
    return m_settings.outputFolder.isEmpty() ? m_defaultOutputFolder : withTildeExpanded(m_settings.outputFolder);
}

void BatchDriver::resetBatchRecord()
{
    m_summary = {};
    m_reportedErrors.clear();
    m_sweptFolders.clear();
    m_endedSeconds = 0;
    m_endedKnown = 0;
    m_filesEnded = 0;
    m_fileNumber = 0;
    m_estimate.reset();
    m_elapsed.invalidate();
}

void BatchDriver::beginBatch()
{
    m_state = State::Running;
    m_elapsed.start();

    // The output folder is made once per batch, with its parents; a folder that
    // cannot be made fails each file at once. Unfinished outputs of encoders
    // that died with their program (a power cut) go first.
    QDir().mkpath(resolvedOutputFolderText());
    sweepDeadPartFiles(resolvedOutputFolderText());
    prepareRunFolder();
    prepareWorkers();

    // A new start retries the files that failed before.
    m_list.retryFailedRows();
    fillWorkers();
}

void BatchDriver::prepareWorkers()
{
    // Fewer workers than before: the surplus goes (all are idle between batches).
    while (m_workers.size() > static_cast<std::size_t>(m_batchJobs))
        m_workers.pop_back();
}

ConversionWorker *BatchDriver::idleWorker()
{
    for (const auto &worker : m_workers) {
        if (!worker->isBusy())
            return worker.get();
    }
    if (m_workers.size() >= static_cast<std::size_t>(m_batchJobs))
        return nullptr;
    // Workers are made as files need them, so a large N costs nothing on a
    // short list. Each has an intermediate folder of its own inside the run folder.
    const QString folder = runFolderPath().isEmpty()
        ? QString()
        : workerFolder(runFolderPath(), static_cast<int>(m_workers.size()));
    if (!folder.isEmpty())
        QDir().mkpath(folder);
    auto worker = std::make_unique<ConversionWorker>(m_settings, folder, [this] { return commandContext(); });
    ConversionWorker *w = worker.get();
    connect(w, &ConversionWorker::stageStarted, this, &BatchDriver::stageStarted);
    connect(w, &ConversionWorker::startFailed, this, &BatchDriver::reportRunnerError);
    connect(w, &ConversionWorker::progressed, this, [this, w] { onProgress(*w); });
    connect(w, &ConversionWorker::converted, this, [this, w](quint64 id, const QString &output) {
        if (const std::optional<double> seconds = w->durationSeconds()) {
            m_endedSeconds += *seconds;
            ++m_endedKnown;
        }
        onConverted(id, output, w->copiedStreams(), w->headerNote() ? headerNoteText(*w->headerNote()) : QString());
    });
    connect(w, &ConversionWorker::failed, this, &BatchDriver::failRow);
    connect(w, &ConversionWorker::stopped, this, &BatchDriver::onStopped);
    m_workers.push_back(std::move(worker));
    return w;
}

int BatchDriver::busyWorkers() const
{
    return static_cast<int>(std::count_if(m_workers.begin(), m_workers.end(),
                                          [](const auto &worker) { return worker->isBusy(); }));
}

int BatchDriver::waitingRows() const
{
    return m_list.count(FileListRow::Status::Waiting);
}

CommandContext BatchDriver::commandContext() const
{
    CommandContext context;
    context.programFolder = m_programFolder;
    context.clock = m_clock();
    // A dangling symbolic link is a name taken, too.
    context.fileExists = [](const QString &path) {
        const QFileInfo info(path);
        return info.exists() || info.isSymLink();
    };
    if (m_options) {
        const BatchOptions options = m_options();
        context.mp3Clip = options.mp3Clip;
        context.choices = options.choices;
    }
    return context;
}

void BatchDriver::fillWorkers()
{
    m_fillPending = false;
    QElapsedTimer slice;
    slice.start();
    while (m_state == State::Running) {
        // Head first: the first row still waiting. Failed rows stay in the
        // list and are passed over.
        const FileListRow *next = m_list.nextWaiting();
        if (!next)
            break;
        ConversionWorker *worker = idleWorker();
        if (!worker)
            return; // every worker busy: the next to end fills again
        // Files that fail before any encoder ran leave the worker free for the
        // next at once: thousands of them (an output folder that cannot be
        // made) end in slices, each from the event loop, which stays free between.
        if (slice.elapsed() >= kFillSliceMs) {
            scheduleFill();
            return;
        }
        startFile(*worker, *next);
    }
    if (m_state == State::Running && busyWorkers() == 0)
        finishBatch();
}

void BatchDriver::scheduleFill()
{
    if (!m_fillPending) {
        m_fillPending = true;
        QTimer::singleShot(0, this, &BatchDriver::fillWorkers);
    }
}

void BatchDriver::startFile(ConversionWorker &worker, const FileListRow row)
{
    // `row` is a copy: the list may grow (and move its rows) in the handlers
    // of the signals below.
    const quint64 id = row.id;
    m_list.protectRow(id);
    m_list.setConverting(id, QString());
    ++m_fileNumber;
    Q_EMIT fileStarted(id, row.path.shown(), m_fileNumber, m_fileNumber + waitingRows());
    if (m_state != State::Running) { // stopped from a handler: the file waits, no encoder starts
        m_list.setWaiting(id);
        m_list.releaseRow(id);
        return;
    }

    const QString folder = withTrailingSlash(resolvedOutputFolderText());
    if (folder != m_settings.outputFolder) {
        m_settings.outputFolder = folder;
        Q_EMIT outputFolderChanged(folder);
    }
    // The window offers no size the format cannot keep, but a typed or
    // restored one would otherwise be replaced in silence.
    if (unusedSetting(m_settings, Setting::VideoSize) == UnusedBecause::SizeCannotBeKept) {
        const QString size = settingKey(Setting::VideoSize).toString();
        failRow(id, fileFailure(FailureCode::BadSetting, settingFacts(size, m_settings.videoSize)));
        return;
    }
    if (!m_runFolder) {
        FailureFacts facts;
        facts.folder = m_workFolder.isEmpty() ? defaultWorkFolderPath() : m_workFolder;
        failRow(id, fileFailure(FailureCode::NoWorkFolder, facts));
        return;
    }
    // A FIFO or a device would keep an encoder waiting forever.
    struct stat source {};
    if (::stat(row.path.bytes().constData(), &source) == 0 && !S_ISREG(source.st_mode)) {
        failRow(id, fileFailure(FailureCode::SourceNotAFile));
        return;
    }
    // No encoder could write there: say so instead of converting in vain.
    if (!QFileInfo(folder).isDir()) {
        FailureFacts facts;
        facts.folder = folder;
        failRow(id, fileFailure(FailureCode::OutputUnwritable, facts));
        return;
    }
    const QString sourcePath = encoderPathFor(row.path, worker.intermediateFolder());
    if (sourcePath.isEmpty()) {
        FailureFacts facts;
        facts.detail = tr("无法为它建立链接 (%1)").arg(QString::fromLocal8Bit(std::strerror(errno)));
        failRow(id, fileFailure(FailureCode::SourceUnreadable, facts));
        return;
    }
    const QString rowFolder = outputFolderOf(row, folder);
    if (!rowFolder.isEmpty()) {
        worker.convert(id, sourcePath, rowFolder);
        showBatchShare();
    }
}

QString BatchDriver::outputFolderOf(const FileListRow &row, const QString &outputFolder)
{
    const QString below = m_options && m_options().choices.keepTree ? folderBelowRoot(row) : QString();
    if (below.isEmpty())
        return outputFolder;
    const QString folder = outputFolder + below;
    // Made as needed; a file standing in the way stays and fails the row.
    if (!makeOutputFolder(folder)) {
        FailureFacts facts;
        facts.folder = folder;
        failRow(row.id, fileFailure(FailureCode::OutputUnwritable, facts));
        return {};
    }
    if (!m_sweptFolders.contains(folder)) {
        m_sweptFolders.insert(folder);
        sweepDeadPartFiles(folder);
    }
    return folder;
}

void BatchDriver::reportRunnerError(const QString &message)
{
    // A missing encoder fails every file the same way: one message says it,
    // the files' own reasons say the rest.
    if (!m_reportedErrors.contains(message)) {
        m_reportedErrors.insert(message);
        Q_EMIT runnerError(message);
    }
}

void BatchDriver::onProgress(ConversionWorker &worker)
{
    m_list.setConverting(worker.fileId(), rowProgressText(stepDisplay(worker)), worker.fileFraction());
    Q_EMIT fileProgressed(worker.fileId(), worker.fileFraction(), worker.stage());
    reportProgress(&worker);
}

ProgressDisplay BatchDriver::stepDisplay(const ConversionWorker &worker)
{
    ProgressDisplay display = worker.stageDisplay();
    display.step = worker.stage();
    display.stepCount = worker.stageCount();
    return display;
}

std::pair<double, double> BatchDriver::workDoneAndTotal() const
{
    // Work is counted in seconds of media where the length is known, a file
    // of unknown length weighing as much as the average known one.
    double knownSeconds = m_endedSeconds;
    int knownFiles = m_endedKnown;
    for (const auto &worker : m_workers) {
        if (worker->isBusy() && worker->durationSeconds()) {
            knownSeconds += *worker->durationSeconds();
            ++knownFiles;
        }
    }
    const double unit = knownFiles > 0 ? knownSeconds / knownFiles : 1.0;
    double done = m_endedSeconds + (m_filesEnded - m_endedKnown) * unit;
    double total = done + waitingRows() * unit;
    for (const auto &worker : m_workers) {
        if (!worker->isBusy())
            continue;
        const double weight = worker->durationSeconds().value_or(unit);
        total += weight;
        done += weight * worker->fileFraction();
    }
    return {done, total};
}

ProgressDisplay BatchDriver::batchDisplay(double done, double total) const
{
    const double share = total > 0 ? done / total : 0;
    ProgressDisplay display =
        idleDisplay(tr("正在转换 %n 个文件 %1%", nullptr, busyWorkers()).arg(wholePercent(share * 100)));
    display.fraction = share;
    return display;
}

void BatchDriver::showBatchShare()
{
    // Several files at once: the line counts the files converting as each
    // starts and ends, not only at the next report of an encoder, which may
    // be a while coming.
    if (m_batchJobs > 1 && m_state == State::Running) {
        const auto [done, total] = workDoneAndTotal();
        Q_EMIT progressChanged(batchDisplay(done, total));
    }
}

void BatchDriver::reportProgress(const ConversionWorker *changed)
{
    const auto [done, total] = workDoneAndTotal();
    if (m_batchJobs == 1 && changed)
        Q_EMIT progressChanged(stepDisplay(*changed));
    else
        Q_EMIT progressChanged(batchDisplay(done, total));
    const qint64 elapsed = m_elapsed.elapsed();
    Q_EMIT timingChanged(elapsed, m_estimate.update(elapsed, done, total).value_or(-1));
    Q_EMIT batchProgress(total > 0 ? done / total : 0, busyWorkers() + waitingRows());
}

QString BatchDriver::shownPathOf(quint64 id) const
{
    // Rows being converted cannot be removed, so the row is there to ask.
    const FileListRow *row = m_list.rowById(id);
    return row ? row->path.shown() : QString();
}

void BatchDriver::onConverted(quint64 id, const QString &output, bool copied, const QString &note)
{
    const QString path = shownPathOf(id);
    if (m_keepDoneRows)
        m_list.setDone(id, output, note);
    else
        m_list.removeById(id);
    ++m_summary.converted;
    m_summary.outputs << output;
    if (copied)
        Q_EMIT fileCopied(id);
    if (!note.isEmpty())
        Q_EMIT fileNoted(id, note);
    Q_EMIT fileFinished(id, path, true, output);
    afterFile();
}

void BatchDriver::failRow(quint64 id, const FileFailure &failure)
{
    const QString path = shownPathOf(id);
    m_list.setFailed(id, failure.reason);
    m_list.releaseRow(id);
    const FileListRow *row = m_list.rowById(id);
    m_summary.failed.append({path, row ? row->failureReason() : failure.reason, failure.code, failure.output});
    const FailedFile record = m_summary.failed.last();
    Q_EMIT fileFailed(id, record);
    Q_EMIT fileFinished(id, path, false, record.reason);
    afterFile();
}

void BatchDriver::onStopped(quint64 id)
{
    // The file is not done: it waits for the next batch.
    m_list.setWaiting(id);
    m_list.releaseRow(id);
    afterFile();
}

void BatchDriver::afterFile()
{
    ++m_filesEnded;
    if (m_state == State::Stopping) {
        if (busyWorkers() == 0)
            endStopped();
        return;
    }
    // With none left converting, the next file's start or the batch's end says what follows.
    if (busyWorkers() > 0)
        showBatchShare();
    // The next file starts from the event loop, after this run's handlers are done.
    scheduleFill();
}

void BatchDriver::finishBatch()
{
    m_summary.outputFolder = m_settings.outputFolder;
    Q_EMIT openOutputFolder(m_settings.outputFolder);
    if (!m_options || m_options().playFinishSound)
        Q_EMIT playFinishSound();
    m_state = State::Idle;
    Q_EMIT lockChanged(false);
    Q_EMIT progressChanged(idleDisplay(BatchTexts::kDone.toString()));
    Q_EMIT timingChanged(m_elapsed.isValid() ? m_elapsed.elapsed() : 0, -1);
    Q_EMIT batchFinished(m_summary);
}

void BatchDriver::endStopped()
{
    m_summary.stopped = true;
    m_summary.outputFolder = m_settings.outputFolder;
    m_state = State::Idle;
    Q_EMIT lockChanged(false);
    Q_EMIT progressChanged(idleDisplay(BatchTexts::kStopped.toString()));
    // No time left after a stop: nothing is converting.
    Q_EMIT timingChanged(m_elapsed.isValid() ? m_elapsed.elapsed() : 0, -1);
    Q_EMIT batchFinished(m_summary);
}

} // namespace sonvera
