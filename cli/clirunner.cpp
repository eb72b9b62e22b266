#include "clirunner.h"

#include "flvtimeline.h"
#include "spacecheck.h"

#include "apppaths.h"
#include "batchfiles.h"
#include "foldersearch.h"
#include "naming.h"
#include "pathtext.h"
#include "failurecatalogue.h"
#include "runfolder.h"
#include "settingsstore.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

QString noWorkFolderText()
{
    FailureFacts facts;
    facts.folder = defaultWorkFolderPath();
    return failureText(FailureCode::NoWorkFolder, facts);
}

} // namespace

CliRunner::CliRunner(CliOptions options, QString programFolder, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_programFolder(std::move(programFolder))
    , m_driver(m_list, m_options.settings)
{
    m_terminal = !m_options.quiet && !m_options.json && ::isatty(STDOUT_FILENO);
    m_driver.setProgramFolder(m_programFolder);
    m_driver.setDefaultOutputFolder(defaultOutputFolder(m_programFolder));
    m_driver.setStartDelay(0);
    // The driver may allow fewer files at once than asked: the display follows it.
    m_jobsAsked = m_options.jobs;
    m_driver.setParallelJobs(m_options.jobs);
    m_options.jobs = m_driver.parallelJobs();
    m_driver.setOptionsProvider([this] { return BatchOptions{false, m_options.cut, m_options.choices}; });
    connectDriver();
}

void CliRunner::connectDriver()
{
    connect(&m_driver, &BatchDriver::fileStarted, this, [this](quint64 id, const QString &path, int number, int total) {
        // Rows being converted stay in the list until they end.
        if (const FileListRow *row = m_list.rowById(id))
            m_paths.insert(id, row->path);
        if (m_options.json) {
            m_events.started(id, m_paths.value(id));
            flushOut();
        }
        m_number = number;
        m_total = total;
        m_numbers.insert(id, number);
        if (m_options.jobs == 1) {
            m_currentName = shownSafely(fileNameOf(path));
            showProgress(idleDisplay(u"0%"_s));
        }
    });
    connect(&m_driver, &BatchDriver::progressChanged, this, &CliRunner::showProgress);
    connect(&m_driver, &BatchDriver::fileCopied, this, [this](quint64 id) { m_copied.insert(id); });
    connect(&m_driver, &BatchDriver::fileNoted, this, [this](quint64 id, const QString &note) { m_notes.insert(id, note); });
    connect(&m_driver, &BatchDriver::fileFinished, this, &CliRunner::onFileFinished);
    connect(&m_driver, &BatchDriver::runnerError, this, [this](const QString &message) {
        clearLine();
        m_err << "sonvera-cli: " << shownSafely(message) << Qt::endl;
    });
    connect(&m_driver, &BatchDriver::batchFinished, this, &CliRunner::onBatchFinished);
    if (!m_options.json)
        return;
    connect(&m_driver, &BatchDriver::fileProgressed, this, [this](quint64 id, double fraction, int stage) {
        m_events.progressed(id, m_paths.value(id), fraction, stage);
        flushOut();
    });
    connect(&m_driver, &BatchDriver::fileFailed, this, [this](quint64 id, const FailedFile &failure) {
        const NativePath kept = failure.output.isEmpty() ? NativePath() : nativeOf(failure.output);
        m_events.failed(id, m_paths.value(id), failure.reason, failure.code, kept);
        flushOut();
    });
}

bool CliRunner::collectInputs()
{
    for (const NativePath &input : std::as_const(m_options.inputs)) {
        // The names' own bytes all the way: a GBK name is found and converted,
        // also from inside a folder whose name is not UTF-8.
        const NativePath path = input.absolute().withoutTrailingSlash();
        struct stat info {};
        if (::stat(path.bytes().constData(), &info) == 0 && S_ISDIR(info.st_mode)) {
            const FolderSearchResult found = FolderSearch::searchNow(path.bytes());
            if (found.files.isEmpty())
                m_err << tr("sonvera-cli: 在 \"%1\" 中没有找到 .flv 文件").arg(shownSafely(input.shown())) << Qt::endl;
            for (const QByteArray &folder : found.unreadableFolders)
                m_err << tr("sonvera-cli: 无法读取文件夹 \"%1\"，其中的文件没有加入").arg(shownSafely(shownName(folder))) << Qt::endl;
            for (const QByteArray &file : found.files)
                m_list.append(file, true, path.bytes());
        } else if (::lstat(path.bytes().constData(), &info) == 0) {
            m_list.append(path.bytes(), true);
        } else {
            m_missing << input.shown();
            m_err << tr("sonvera-cli: \"%1\": 没有这个文件或文件夹").arg(shownSafely(input.shown())) << Qt::endl;
            if (m_options.json) {
                m_events.failed(0, path, failureText(FailureCode::SourceMissing), FailureCode::SourceMissing, {});
                flushOut();
            }
        }
    }
    if (m_list.rowCount() == 0) {
        m_err << tr("sonvera-cli: 没有可以转换的文件") << Qt::endl;
        return false;
    }
    return true;
}

bool CliRunner::prepareOutputFolder()
{
    const NativePath &folder = m_options.outputFolder;
    if (folder.isEmpty() || folder.isUtf8())
        return true;
    // The encoders take their arguments as UTF-8, which cannot carry this
    // folder's bytes: they write through a link in the run folder that
    // points at the folder exactly as given.
    const QString run = m_driver.prepareRunFolder();
    if (run.isEmpty()) {
        m_err << "sonvera-cli: " << shownSafely(noWorkFolderText()) << Qt::endl;
        return false;
    }
    const QByteArray &bytes = folder.bytes();
    for (qsizetype slash = bytes.indexOf('/', 1); ; slash = bytes.indexOf('/', slash + 1)) {
        ::mkdir((slash < 0 ? bytes : bytes.left(slash)).constData(), 0777);
        if (slash < 0)
            break;
    }
    const QString link = run + u"/output"_s;
    if (::symlink(bytes.constData(), QFile::encodeName(link).constData()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        m_err << tr("sonvera-cli: 无法使用输出文件夹 \"%1\"：%2").arg(shownSafely(folder.shown()), why) << Qt::endl;
        return false;
    }
    m_outputLink = link + u'/';
    m_options.settings.outputFolder = m_outputLink;
    return true;
}

QString CliRunner::shown(const QString &path) const
{
    if (!m_outputLink.isEmpty() && path.startsWith(m_outputLink))
        return withTrailingSlash(m_options.outputFolder.shown()) + path.mid(m_outputLink.size());
    return path;
}

NativePath CliRunner::nativeOf(const QString &path) const
{
    if (!m_outputLink.isEmpty() && path.startsWith(m_outputLink))
        return m_options.outputFolder / path.mid(m_outputLink.size()).toUtf8();
    return NativePath::fromText(path);
}

int CliRunner::dryRun()
{
    if (!prepareOutputFolder())
        return SomeFailed;
    const QString folder = withTrailingSlash(m_options.settings.outputFolder);
    // Names this run would write count as taken, so the lines show what a real
    // run would name each output.
    QSet<QString> planned;
    // The run folder a real run would make, so the lines name its own intermediate.
    const QString run = m_driver.prepareRunFolder();
    if (run.isEmpty()) {
        m_err << "sonvera-cli: " << shownSafely(noWorkFolderText()) << Qt::endl;
        return SomeFailed;
    }
    CommandContext context;
    context.programFolder = m_programFolder;
    context.workFolder = BatchDriver::workerFolder(run, 0);
    context.clock = QTime::currentTime();
    context.mp3Clip = m_options.cut;
    context.choices = m_options.choices;
    context.fileExists = [&planned](const QString &path) { return planned.contains(path) || QFileInfo::exists(path); };
    for (int i = 0; i < m_list.rowCount(); ++i) {
        const QString source = m_list.rowAt(i).path.shown();
        const QString rowFolder = folder + (m_options.choices.keepTree ? folderBelowRoot(m_list.rowAt(i)) : QString());
        // A copy attempt comes first; the stages run only when it does not copy.
        const EncoderCommand attempt = buildCopyAttemptCommand(source, rowFolder, m_options.settings, context);
        if (!attempt.isEmpty())
            m_out << shownSafely(attempt.text) << '\n';
        const EncoderCommand first = buildFirstStageCommand(source, rowFolder, m_options.settings, context);
        m_out << shownSafely(first.text) << '\n';
        planned.insert(first.outputPath);
        const EncoderCommand second = buildSecondStageCommand(source, rowFolder, m_options.settings, context);
        if (!second.isEmpty()) {
            m_out << shownSafely(second.text) << '\n';
            planned.insert(second.outputPath);
        }
    }
    m_out.flush();
    return m_missing.isEmpty() ? AllConverted : SomeFailed;
}

void CliRunner::start()
{
    if (m_options.jobs < m_jobsAsked) {
        m_err << tr("sonvera-cli: 同时转换的文件数减为 %1（本机不允许 %2 个文件同时转换）")
                     .arg(m_options.jobs)
                     .arg(m_jobsAsked)
              << Qt::endl;
    }
    if (!prepareOutputFolder()) {
        QMetaObject::invokeMethod(this, [this] { Q_EMIT finished(SomeFailed); }, Qt::QueuedConnection);
        return;
    }
    if (m_options.spaceCheck && !enoughSpace()) {
        QMetaObject::invokeMethod(this, [this] { Q_EMIT finished(UsageOrNoInput); }, Qt::QueuedConnection);
        return;
    }
    m_driver.start();
}

bool CliRunner::enoughSpace()
{
    // The lengths the files' headers declare: reading them costs a few small
    // reads per file, where a probe would start a program for each.
    QList<double> seconds;
    for (int i = 0; i < m_list.rowCount(); ++i)
        seconds << encoders::flvDeclaredSeconds(QFile::decodeName(m_list.rowAt(i).path.bytes())).value_or(0);
    const QList<SpaceShortfall> shortfalls =
        batchSpaceShortfalls(m_options.settings, m_options.choices.direct, seconds, m_options.settings.outputFolder,
                             m_driver.preferredWorkFolder(), m_options.jobs);
    for (const SpaceShortfall &shortfall : shortfalls) {
        m_err << tr("sonvera-cli: 磁盘空间可能不够，没有开始转换：%1。腾出空间、换一个输出文件夹，或者用 --no-space-check 照样开始")
                     .arg(spaceShortfallText(shortfall))
              << Qt::endl;
    }
    return shortfalls.isEmpty();
}

void CliRunner::interrupt()
{
    m_interrupted = true;
    if (m_driver.isBusy())
        m_driver.stop();
}

void CliRunner::clearLine()
{
    if (m_terminal) {
        m_out << "\r\x1b[2K";
        flushOut();
    }
}

void CliRunner::flushOut()
{
    m_out.flush();
    // SIGPIPE is ignored, so a closed pipe shows as a write error instead of
    // killing the program with its encoders' output half written.
    if (!m_outputClosed && std::ferror(stdout)) {
        m_outputClosed = true;
        interrupt();
    }
}

void CliRunner::showProgress(const ProgressDisplay &display)
{
    if (!m_terminal)
        return;
    if (m_options.jobs == 1) {
        if (m_currentName.isEmpty())
            return;
        clearLine();
        m_out << '[' << m_number << '/' << m_total << "] " << m_currentName << "  " << display.caption;
    } else {
        // Several files at once: the batch ("正在转换 2 个文件 40%") and how many have ended.
        if (m_numbers.isEmpty())
            return;
        clearLine();
        m_out << '[' << m_ended << '/' << m_total << " done] " << display.caption;
    }
    flushOut();
}

void CliRunner::onFileFinished(quint64 id, const QString &path, bool ok, const QString &detail)
{
    clearLine();
    m_currentName.clear();
    ++m_ended;
    // A file keeps the number it started with, whatever order files end in.
    const int number = m_numbers.take(id);
    const QString count = u"["_s + QString::number(number) + u'/' + QString::number(m_total) + u"] "_s;
    const NativePath file = m_paths.take(id);
    const bool copied = m_copied.remove(id);
    const QString note = m_notes.take(id);
    if (ok) {
        if (m_options.json) {
            m_events.converted(id, file, nativeOf(detail));
            flushOut();
        }
        if (!m_options.quiet && !m_outputClosed) {
            human() << count << shownSafely(path) << " -> " << shownSafely(shown(detail));
            if (copied)
                human() << tr("（直接复制）");
            if (!note.isEmpty())
                human() << tr("（%1）").arg(note);
            human() << '\n';
            human().flush();
            flushOut();
        }
    } else {
        m_err << tr("sonvera-cli: %1失败：%2: %3").arg(count, shownSafely(path), shownSafely(detail)) << Qt::endl;
    }
}

void CliRunner::onBatchFinished(const BatchSummary &summary)
{
    clearLine();
    if (summary.stopped) {
        m_err << (m_outputClosed ? (m_options.jobs == 1 ? tr("sonvera-cli: 标准输出已关闭，因此停止；正在转换的文件没有转换完")
                                                        : tr("sonvera-cli: 标准输出已关闭，因此停止；正在转换的那些文件没有转换完"))
                                 : (m_options.jobs == 1 ? tr("sonvera-cli: 已停止；正在转换的文件没有转换完")
                                                        : tr("sonvera-cli: 已停止；正在转换的那些文件没有转换完")))
              << Qt::endl;
        Q_EMIT finished(m_outputClosed ? OutputClosed : Interrupted);
        return;
    }
    const qsizetype failed = summary.failed.size() + m_missing.size();
    if (failed > 0) {
        m_err << tr("sonvera-cli: %1 个转换成功，%2 个失败：").arg(summary.converted).arg(failed) << Qt::endl;
        for (const QString &missing : std::as_const(m_missing))
            m_err << tr("  %1: 没有这个文件或文件夹").arg(shownSafely(missing)) << Qt::endl;
        for (const FailedFile &file : summary.failed)
            m_err << "  " << shownSafely(file.path) << ": " << shownSafely(file.reason) << Qt::endl;
    } else if (!m_options.quiet && !m_outputClosed) {
        human() << tr("%n 个文件已转换到 %1", nullptr, summary.converted).arg(shownSafely(shown(summary.outputFolder))) << '\n';
        human().flush();
        flushOut();
    }
    Q_EMIT finished(failed > 0 ? SomeFailed : AllConverted);
}

} // namespace sonvera
