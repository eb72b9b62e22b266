#include "batchcontroller.h"
#include "pathtext.h"

#include "desktop.h"
#include "desktopbatchsession.h"
#include "formats.h"
#include "partfiles.h"
#include "poweraction.h"
#include "runfolder.h"
#include "settingstext.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

BatchController::BatchController(const ShellContext &context, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_store(context.location.settingsFolder)
    , m_driver(m_list, m_settings)
    , m_journal(BatchJournal::pathIn(context.location.settingsFolder))
    , m_windowActive([] { return false; })
{
    // The default settings, then setup.ini, options.ini and preferences.ini.
    m_settings = ConversionSettings::startupDefaults(context.location.defaultOutputFolder);
    m_store.loadSetup(m_settings, context.location.defaultOutputFolder);
    m_options = m_store.loadOptions();
    m_preferences = Preferences::load(context.location.settingsFolder);

    m_driver.setProgramFolder(context.programFolder);
    m_driver.setWorkFolder(context.workFolder);
    m_driver.setDefaultOutputFolder(context.location.defaultOutputFolder);
    // The finish sound may still be turned off while a batch runs.
    m_driver.setOptionsProvider([this] {
        BatchOptions options = m_batchOptions;
        options.playFinishSound = m_options.playsFinishSound();
        return options;
    });
    m_driver.setKeepDoneRows(true);
    connectDriver();
    connectDesktopSession();
    connectJournal();
    connectProbe();
}

BatchController::~BatchController() = default;

// ---- start-up ----------------------------------------------------------------

void BatchController::startUp()
{
    // What a run that died left half done goes before anything is offered back.
    sweepDeadRuns(m_context.workFolder);
    sweepDeadPartFiles(m_settings.outputFolder);
    // After a clean end there is nothing to read: the files given come at once.
    const QFileInfo journal(m_journal.filePath());
    if (!journal.exists() && !journal.isSymLink()) {
        answerLeftOver(false);
        return;
    }
    // Read off the event loop: a journal of 100,000 rows takes its time.
    connect(&m_journal, &BatchJournal::loaded, this, &BatchController::onLeftOverLoaded, Qt::SingleShotConnection);
    m_journal.loadInBackground();
}

void BatchController::onLeftOverLoaded(const JournalContents &contents)
{
    if (contents.entries.isEmpty()) {
        answerLeftOver(false);
        return;
    }
    // The journal stays as it is until the question is answered.
    m_leftOver = contents;
    Q_EMIT leftOverFound(int(contents.entries.size()));
}

void BatchController::answerLeftOver(bool restoreIt)
{
    // A question box that closes with the window is no answer: the journal
    // it asked about stays for the next start.
    if (m_closing)
        return;
    if (restoreIt)
        restore(m_leftOver);
    m_leftOver = {};
    // The old journal gives way to the list as it now is.
    m_journalFollows = true;
    m_journal.changed(BatchJournal::Urgency::Now);
    Q_EMIT readyForFiles();
}

void BatchController::restore(const JournalContents &contents)
{
    // The format and parameters the list was to be converted with; a folder
    // no user picks (control characters) is damage, not a folder to write into.
    if (const std::optional<ConversionSettings> &settings = contents.settings;
        settings && formatAt(settings->formatIndex) && !SettingsText::holdsControlCharacters(settings->outputFolder)) {
        m_settings = *settings;
        if (m_settings.outputFolder.isEmpty())
            m_settings.outputFolder = m_context.location.defaultOutputFolder;
        Q_EMIT settingsReplaced();
    }
    QList<NewRow> rows;
    rows.reserve(contents.entries.size());
    // A failed row comes back failed, with its reason (one without a reason
    // starts over as waiting).
    for (const JournalEntry &entry : contents.entries)
        rows.append({entry.path, entry.status == JournalEntry::Status::Failed ? entry.failureReason : QString()});
    m_feeder.add(std::move(rows), true, [this] { m_list.updateHint(); });
}

void BatchController::settingsEdited()
{
    if (m_journalFollows)
        m_journal.changed();
}

void BatchController::replaceSettings(const ConversionSettings &settings)
{
    m_settings = settings;
    Q_EMIT settingsReplaced();
    settingsEdited();
}

void BatchController::rememberFolder(const QString &folder)
{
    if (folder.isEmpty() || folder == m_preferences.lastFolder)
        return;
    m_preferences.lastFolder = folder;
    m_preferences.save(m_context.location.settingsFolder);
}

// ---- the probe -----------------------------------------------------------------

void BatchController::connectProbe()
{
    connect(&m_list, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &, int first, int last) {
        for (int i = first; i <= last; ++i)
            m_probe.probe(m_list.rowAt(i).id, m_list.rowAt(i).path.bytes());
    });
    connect(&m_probe, &MediaProbe::probed, &m_list, &FileList::setMedia);
    // A cleared list needs no more probing, nor does a removed row.
    connect(&m_list, &QAbstractItemModel::modelReset, &m_probe, &MediaProbe::clear);
    connect(&m_list, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this](const QModelIndex &, int first, int last) {
        for (int i = first; i <= last; ++i)
            m_probe.forget(m_list.rowAt(i).id);
    });
    // Rows on show first, with their thumbnails; nothing while a batch converts.
    connect(&m_list, &FileList::previewWanted, this, [this](quint64 id) {
        if (const FileListRow *row = m_list.rowById(id))
            m_probe.hurry(id, row->path.bytes());
    });
    connect(&m_driver, &BatchDriver::lockChanged, &m_probe, &MediaProbe::setPaused);
    m_probe.setHelper(m_context.programFolder + u"/data/probe"_s);
}

// ---- the journal ---------------------------------------------------------------

void BatchController::connectJournal()
{
    m_journal.setSource([this] { return journalContents(); });
    const auto follow = [this](BatchJournal::Urgency urgency) {
        return [this, urgency] {
            if (m_journalFollows)
                m_journal.changed(urgency);
        };
    };
    // Its rows and their status, not the progress; a converted or removed
    // row goes at once (a converted file must not come back).
    connect(&m_list, &QAbstractItemModel::rowsInserted, this, follow(BatchJournal::Urgency::Soon));
    connect(&m_list, &FileList::statusChanged, this, [this](quint64 id) {
        const FileListRow *row = m_list.rowById(id);
        const bool done = row && row->status == FileListRow::Status::Done;
        if (m_journalFollows)
            m_journal.changed(done ? BatchJournal::Urgency::Now : BatchJournal::Urgency::Soon);
    });
    connect(&m_list, &FileList::failedRowsRetried, this, follow(BatchJournal::Urgency::Soon));
    connect(&m_list, &QAbstractItemModel::rowsRemoved, this, follow(BatchJournal::Urgency::Now));
    connect(&m_list, &QAbstractItemModel::modelReset, this, follow(BatchJournal::Urgency::Now));
    connect(&m_driver, &BatchDriver::outputFolderChanged, this, follow(BatchJournal::Urgency::Soon));
}

JournalContents BatchController::journalContents() const
{
    JournalContents contents{m_settings, {}};
    contents.entries.reserve(m_list.rowCount());
    for (int i = 0; i < m_list.rowCount(); ++i) {
        const FileListRow &row = m_list.rowAt(i);
        if (row.status == FileListRow::Status::Done)
            continue;
        // A row being converted starts over after a crash: it is kept as waiting.
        const bool failed = row.status == FileListRow::Status::Failed;
        contents.entries.append({row.path.bytes(), failed ? JournalEntry::Status::Failed : JournalEntry::Status::Waiting,
                                 failed ? row.failureReason() : QString()});
    }
    return contents;
}

// ---- the batch -------------------------------------------------------------------

void BatchController::connectDriver()
{
    connect(&m_driver, &BatchDriver::runnerError, this,
            [this](const QString &message) { Q_EMIT messageRequested(Severity::Critical, shownSafely(message)); });
    connect(&m_driver, &BatchDriver::openOutputFolder, this, &BatchController::openFolder);
    connect(&m_driver, &BatchDriver::playFinishSound, this,
            [this] { m_context.desktop->playSound(m_context.programFolder + u"/sound.wav"_s); });
    connect(&m_driver, &BatchDriver::lockChanged, this, [this](bool locked) {
        if (locked)
            m_batchAfterAction = m_preferences.afterBatch;
    });
    connect(&m_driver, &BatchDriver::batchFinished, this, &BatchController::onBatchFinished);
}

void BatchController::openFolder(const QString &folder)
{
    if (!m_context.desktop->openFolder(folder))
        Q_EMIT folderNotOpened(folder);
}

bool BatchController::start()
{
    m_driver.setParallelJobs(m_preferences.effectiveJobs());
    m_batchOptions = BatchOptions{m_options.playsFinishSound(), m_options.mp3Clip(), m_preferences.choices};
    return m_driver.start();
}

QList<SpaceShortfall> BatchController::spaceShortfalls() const
{
    QList<double> seconds;
    for (int i = 0; i < m_list.rowCount(); ++i) {
        const FileListRow &row = m_list.rowAt(i);
        if (row.status != FileListRow::Status::Done)
            seconds << row.media.durationSeconds.value_or(0);
    }
    const QString output = m_settings.outputFolder.isEmpty() ? m_context.location.defaultOutputFolder : m_settings.outputFolder;
    return batchSpaceShortfalls(m_settings, m_preferences.choices.direct, seconds, output, m_context.workFolder,
                                m_preferences.effectiveJobs());
}

void BatchController::stop()
{
    m_driver.stop();
}

void BatchController::onBatchFinished(const BatchSummary &summary)
{
    if (m_closing) {
        // From the event loop: the stop may have ended inside prepareToClose() itself.
        QTimer::singleShot(0, this, &BatchController::readyToClose);
        return;
    }
    const int failed = int(summary.failed.size());
    if (m_context.session)
        m_context.session->batchEnded(summary.converted, failed, summary.stopped, summary.outputFolder,
                                      m_windowActive());
    if (failed == 0)
        return;
    QString note;
    if (!summary.stopped && m_batchAfterAction == AfterBatchAction::PowerOff)
        note = tr("有文件没有转换成功，所以电脑没有自动关机。");
    else if (!summary.stopped && m_batchAfterAction == AfterBatchAction::Suspend)
        note = tr("有文件没有转换成功，所以电脑没有自动睡眠。");
    Q_EMIT failureSummaryRequested(summary, note);
}

// ---- the desktop -----------------------------------------------------------------

void BatchController::connectDesktopSession()
{
    DesktopBatchSession *session = m_context.session;
    if (!session)
        return;
    connect(&m_driver, &BatchDriver::lockChanged, session, [this, session](bool locked) {
        if (locked) {
            session->setAfterBatchAction(m_preferences.afterBatch);
            session->batchStarted();
        }
    });
    connect(&m_driver, &BatchDriver::batchProgress, session, &DesktopBatchSession::batchProgress);
    connect(session, &DesktopBatchSession::openFolderRequested, this, &BatchController::openFolder);
    connect(session, &DesktopBatchSession::powerActionCountdownRequested, this, [this](AfterBatchAction action) {
        // Not while closing: nothing may happen after we are gone.
        if (!m_closing)
            Q_EMIT powerCountdownRequested(action);
    });
    connect(session, &DesktopBatchSession::powerActionFailed, this,
            [this](const QString &message) { Q_EMIT messageRequested(Severity::Warning, message); });
    connect(session, &DesktopBatchSession::afterBatchSupportChanged, this,
            &BatchController::afterBatchSupportChanged);
}

void BatchController::confirmPowerAction()
{
    if (m_context.session)
        m_context.session->confirmPowerAction();
}

void BatchController::cancelPowerAction()
{
    if (m_context.session)
        m_context.session->cancelPowerAction();
}

AfterBatchSupport BatchController::afterBatchSupport() const
{
    return m_context.session ? m_context.session->afterBatchSupport() : PowerAction::unreachableSupport();
}

// ---- the end ---------------------------------------------------------------------

bool BatchController::saveSettings() const
{
    return m_store.saveSetup(m_settings);
}

bool BatchController::prepareToClose()
{
    // A running encoder is stopped and its partial output deleted before the
    // program goes: nothing outlives it.
    if (m_driver.isBusy()) {
        m_closing = true;
        m_keepJournal = true;
        m_driver.stop();
        return false;
    }
    m_closing = true;
    m_feeder.cancel();
    m_probe.clear();
    saveSettings();
    removeTemporaryFiles();
    if (m_keepJournal && m_journalFollows) {
        // The files the stopped batch did not convert are offered back at the next start.
        m_journal.changed(BatchJournal::Urgency::Now);
        m_journal.flush();
    } else if (m_leftOver.entries.isEmpty()) {
        // A clean end: the next start begins with an empty list. (A restore
        // question left unanswered keeps the journal it asked about.)
        m_journal.removeOnCleanEnd();
    }
    m_journalFollows = false;
    if (m_context.session)
        m_context.session->released();
    return true;
}

void BatchController::removeTemporaryFiles()
{
    // Only this run's own: other copies and CLI runs keep theirs.
    const QString runFolder = m_driver.runFolderPath();
    if (runFolder.isEmpty())
        return;
    for (const char *name : {"tmpfile.wav", "tmpfile1.mp3"}) {
        const QString path = runFolder + u'/' + QString::fromLatin1(name);
        if (QFile::exists(path))
            QFile::remove(path);
    }
}

} // namespace sonvera
