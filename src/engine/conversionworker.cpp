#include "conversionworker.h"

#include "encoderstatus.h"
#include "partfiles.h"
#include "pathtext.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

// An encoder announces a copy among its first lines.
constexpr qsizetype kAnnouncementChars = 4096;

// Gives `output` the modification time of `source` (a link is followed).
void keepModificationTime(const QString &source, const QString &output)
{
    struct stat st {};
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(output);
    if (::stat(from.constData(), &st) != 0)
        return;
    const struct timespec times[2]{{0, UTIME_OMIT}, st.st_mtim};
    // A file system without modification times leaves the output as it is:
    // the conversion itself succeeded.
    if (::utimensat(AT_FDCWD, to.constData(), times, 0) != 0)
        qWarning("cannot give %s the date of its source", qUtf8Printable(shownSafely(shownName(to))));
}

} // namespace

ConversionWorker::ConversionWorker(const ConversionSettings &settings, QString intermediateFolder, ContextFn context,
                                   QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_intermediateFolder(std::move(intermediateFolder))
    , m_context(std::move(context))
{
    connect(&m_runner, &EncoderRunner::outputReceived, this, &ConversionWorker::onOutput);
    connect(&m_runner, &EncoderRunner::finished, this, &ConversionWorker::onStageOver);
    connect(&m_runner, &EncoderRunner::startFailed, this, &ConversionWorker::onStartFailed);
}

void ConversionWorker::convert(quint64 id, const QString &sourcePath, const QString &outputFolder)
{
    m_id = id;
    m_source = sourcePath;
    m_outputFolder = outputFolder;
    m_stage = 1;
    m_stopping = false;
    m_copied = false;
    m_truncation.reset();
    m_headerNote.reset();
    removeIntermediate();
    m_progress.fileComplete();
    m_display = {};
    m_choices = m_context().choices;
    const CommandContext context = commandContext();
    m_twoStage = convertsInTwoStages(m_settings, context);
    const EncoderCommand attempt = buildCopyAttemptCommand(m_source, m_outputFolder, m_settings, context);
    m_copyAttempt = !attempt.isEmpty();
    const EncoderCommand command =
        m_copyAttempt ? attempt : buildFirstStageCommand(m_source, m_outputFolder, m_settings, context);
    if (command.isEmpty()) {
        // From the event loop: nothing is emitted inside convert().
        QTimer::singleShot(0, this, [this, id] {
            if (m_id == id)
                endFailed(fileFailure(FailureCode::NoFormat));
        });
        return;
    }
    runStage(command);
}

void ConversionWorker::stop()
{
    if (!isBusy() || m_stopping)
        return;
    m_stopping = true;
    m_runner.stop(); // a start failure still on its way ends the file as stopped
}

double ConversionWorker::fileFraction() const
{
    const double stage = std::clamp(m_display.fraction, 0.0, 1.0);
    if (!m_twoStage || m_copyAttempt)
        return stage;
    return m_stage == 1 ? stage / 2 : 0.5 + stage / 2;
}

std::optional<double> ConversionWorker::durationSeconds() const
{
    if (m_progress.durationSeconds > 0)
        return m_progress.durationSeconds;
    return std::nullopt;
}

void ConversionWorker::runStage(const EncoderCommand &command)
{
    m_announcements.clear();
    m_progress.copying = false;
    m_runner.setCommand(command);
    Q_EMIT stageStarted(command);
    m_runner.start(); // a start failure arrives as startFailed()
}

void ConversionWorker::onOutput(const QString &chunk)
{
    if (!isBusy())
        return;
    if (m_announcements.size() < kAnnouncementChars) {
        m_announcements += chunk;
        m_progress.copying = announcesStreamCopy(m_announcements);
    }
    const std::optional<ProgressDisplay> display = m_runner.command().outputStyle == OutputStyle::Mencoder
        ? readMencoderProgress(m_progress, chunk)
        : readFfmpegProgress(m_progress, chunk);
    if (!display)
        return;
    m_display = *display;
    Q_EMIT progressed(m_id);
}

void ConversionWorker::onStartFailed(const QString &message)
{
    if (!isBusy())
        return;
    Q_EMIT startFailed(message);
    if (m_stopping)
        endStopped();
    else
        endFailed(m_runner.startFailure());
}

void ConversionWorker::onStageOver()
{
    if (!isBusy())
        return;
    if (m_runner.ending() == EncoderRunner::Ending::Stopped) {
        deletePartFile();
        endStopped();
        return;
    }
    const RunRole role = m_runner.command().role;
    if (!m_runner.succeeded()) {
        const EncoderReport report = m_runner.failure();
        // The streams do not fit: they are coded as usual, from the first stage.
        if (m_copyAttempt && report.code == FailureCode::NotCopied && !m_stopping) {
            startFirstStage();
            return;
        }
        // Cut short in the first stage: its intermediate holds what the
        // source had, which the second stage still makes into the output.
        // A copy attempt cut short has made the output itself: it ends there.
        if (report.code == FailureCode::SourceTruncated && role == RunRole::Intermediate && !m_stopping
            && QFileInfo(m_runner.command().outputPath).isFile()) {
            m_truncation = report.facts;
            startSecondStage();
            return;
        }
        deletePartFile();
        endFailed(report);
        return;
    }
    // The run that read the source judged it: the first, or the only one.
    if (!m_headerNote)
        m_headerNote = lastHeaderNote(m_runner.output());
    const QString written = writtenFile();
    if (written.isEmpty()) {
        endFailed(fileFailure(FailureCode::NoOutput));
        return;
    }
    if (role != RunRole::Intermediate) {
        m_copied = announcesStreamCopy(m_runner.output());
        endConverted(written);
        return;
    }
    if (m_stopping) { // the intermediate is done, but the file is not
        endStopped();
        return;
    }
    startSecondStage();
}

void ConversionWorker::startFirstStage()
{
    m_copyAttempt = false;
    m_progress.fileComplete();
    const EncoderCommand command = buildFirstStageCommand(m_source, m_outputFolder, m_settings, commandContext());
    if (command.isEmpty()) {
        endFailed(fileFailure(FailureCode::NoFormat));
        return;
    }
    runStage(command);
}

void ConversionWorker::startSecondStage()
{
    // The format and parameters are read now, when stage one is over.
    m_stage = 2;
    m_progress.fileComplete();
    const EncoderCommand command = buildSecondStageCommand(m_source, m_outputFolder, m_settings, commandContext());
    if (command.isEmpty()) {
        endFailed(fileFailure(FailureCode::NoFormat));
        return;
    }
    runStage(command);
}

void ConversionWorker::endConverted(const QString &output)
{
    if (m_choices.keepDates)
        keepModificationTime(m_source, output);
    if (m_truncation) {
        // The output is all there is of the source, which the user should know.
        FailureFacts facts = *m_truncation;
        facts.output = fileNameOf(output);
        endFailed(fileFailure(FailureCode::SourceTruncated, facts, output));
        return;
    }
    removeIntermediate();
    const quint64 id = std::exchange(m_id, 0);
    m_stage = 0;
    Q_EMIT converted(id, output);
}

void ConversionWorker::endFailed(EncoderReport report)
{
    QString output;
    if (!report.facts.output.isEmpty()) {
        output = folderOf(m_runner.command().outputPath) + u'/' + report.facts.output;
        if (m_choices.keepDates && QFileInfo(output).isFile())
            keepModificationTime(m_source, output);
    }
    // The intermediate is written into this worker's own folder: its disk or
    // folder failing is the temporary folder's, which is named by the work
    // folder that holds the run folders, never by a run's. Every other run
    // (the copy attempt included) wrote into the output folder, which the
    // encoder has named.
    if (m_runner.command().role == RunRole::Intermediate) {
        const QString workFolder = folderOf(folderOf(m_intermediateFolder));
        switch (report.code) {
        case FailureCode::DiskFull:
            report.code = FailureCode::TempDiskFull;
            report.facts.folder = workFolder;
            break;
        case FailureCode::OutputUnwritable:
        case FailureCode::OutputFolderMissing:
        case FailureCode::OutputRemoved:
            report.code = FailureCode::NoWorkFolder;
            report.facts.folder = workFolder;
            break;
        default:
            break;
        }
    }
    endFailed(fileFailure(report.code, report.facts, output));
}

void ConversionWorker::endFailed(const FileFailure &failure)
{
    removeIntermediate();
    const quint64 id = std::exchange(m_id, 0);
    m_stage = 0;
    Q_EMIT failed(id, failure);
}

void ConversionWorker::endStopped()
{
    removeIntermediate();
    const quint64 id = std::exchange(m_id, 0);
    m_stage = 0;
    Q_EMIT stopped(id);
}

CommandContext ConversionWorker::commandContext() const
{
    CommandContext context = m_context();
    context.workFolder = m_intermediateFolder;
    context.choices = m_choices;
    return context;
}

QString ConversionWorker::writtenFile() const
{
    // The encoder names the file it published, which may have gained "-2"
    // when another program took the planned name meanwhile.
    const QString planned = m_runner.command().outputPath;
    const std::optional<QString> name = publishedFileName(m_runner.output());
    const QString path = name ? folderOf(planned) + u'/' + *name : planned;
    return QFileInfo(path).isFile() ? path : QString();
}

void ConversionWorker::removeIntermediate() const
{
    // The folder is this worker's alone: a file there is one of its own runs'
    // (this file's, or one before it), never to be read by another file.
    const QString path = intermediateFilePath(m_intermediateFolder);
    if (QFileInfo(path).isFile())
        QFile::remove(path);
}

void ConversionWorker::deletePartFile() const
{
    // An encoder that was stopped deletes its own unfinished file; one that
    // crashed or was killed leaves it, and its claim on it ended with it.
    // The planned output name itself is never touched: it was free when the
    // command was built, but another program may have published there since.
    const QString planned = m_runner.command().outputPath;
    if (!planned.isEmpty())
        sweepDeadPartFiles(folderOf(planned));
}

} // namespace sonvera
