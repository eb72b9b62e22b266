// The window and what lies around a batch: the journal that keeps the list
// across a crash, the question that restores it, and the desktop's view of
// the batch (notification, launcher, sleep, the after-batch action).
#include "mainwindow.h"

#include "desktop.h"
#include "desktopbatchsession.h"
#include "partfiles.h"
#include "powercountdowndialog.h"
#include "restorequestion.h"
#include "runfolder.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

void MainWindow::connectDesktopSession()
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
    connect(&m_driver, &BatchDriver::batchFinished, session, [this, session](const BatchSummary &summary) {
        session->batchEnded(summary.converted, int(summary.failed.size()), summary.stopped, summary.outputFolder,
                            isActiveWindow());
    });
    connect(session, &DesktopBatchSession::openFolderRequested, this,
            [this](const QString &folder) { m_context.desktop->openFolder(folder); });
    connect(session, &DesktopBatchSession::powerActionCountdownRequested, this, &MainWindow::showPowerCountdown);
    connect(session, &DesktopBatchSession::powerActionFailed, this,
            [this](const QString &message) { showMessage(QMessageBox::Warning, windowTitle(), message); });
}

void MainWindow::showPowerCountdown(AfterBatchAction action)
{
    // Not while the window is closing: nothing may happen after we are gone.
    if (m_closing)
        return;
    auto *countdown = new PowerCountdownDialog(action, this);
    countdown->setAttribute(Qt::WA_DeleteOnClose);
    countdown->setWindowModality(Qt::WindowModal);
    connect(countdown, &PowerCountdownDialog::ranOut, m_context.session, &DesktopBatchSession::confirmPowerAction);
    connect(countdown, &PowerCountdownDialog::cancelled, m_context.session, &DesktopBatchSession::cancelPowerAction);
    countdown->open();
}

void MainWindow::updateJournal(bool writeNow)
{
    QList<JournalEntry> entries;
    entries.reserve(m_list.rowCount());
    for (int i = 0; i < m_list.rowCount(); ++i) {
        const FileListRow &row = m_list.rowAt(i);
        // A row being converted starts over after a crash: it is kept as waiting.
        const bool failed = row.status == FileListRow::Status::Failed;
        entries.append({row.path, failed ? JournalEntry::Status::Failed : JournalEntry::Status::Waiting,
                        failed ? row.failureReason : QString()});
    }
    if (entries != m_journalEntries) {
        m_journalEntries = entries;
        m_journal.setEntries(std::move(entries));
    }
    if (writeNow)
        m_journal.flush();
}

void MainWindow::startUp(const QByteArrayList &paths)
{
    // What a run that died left half done goes before anything is offered back.
    sweepDeadRuns(m_context.workFolder);
    sweepDeadPartFiles(m_settings.outputFolder);
    const QList<JournalEntry> left = m_journal.load();
    if (left.isEmpty()) {
        addPaths(paths);
        return;
    }
    RestoreQuestion *question = RestoreQuestion::ask(int(left.size()), this);
    connect(question, &RestoreQuestion::answered, this, [this, left, paths](bool yes) {
        if (yes)
            restore(left);
        addPaths(paths);
        updateJournal(true); // the old journal gives way to the list as it now is
    });
}

void MainWindow::restore(const QList<JournalEntry> &entries)
{
    for (const JournalEntry &entry : entries) {
        const quint64 id = m_list.append(entry.path, true);
        if (entry.status == JournalEntry::Status::Failed)
            m_list.setFailed(id, entry.failureReason);
    }
    m_list.updateHint();
}

} // namespace sonvera
