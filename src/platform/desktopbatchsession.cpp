#include "desktopbatchsession.h"

#include "batchnotifier.h"
#include "launcherentry.h"
#include "poweraction.h"
#include "sleepinhibitor.h"

#include <utility>

namespace sonvera {

DesktopBatchSession::DesktopBatchSession(QObject *parent)
    : DesktopBatchSession(QDBusConnection::sessionBus(), QDBusConnection::systemBus(), parent)
{
}

DesktopBatchSession::DesktopBatchSession(const QDBusConnection &sessionBus, const QDBusConnection &logindBus,
                                         QObject *parent)
    : QObject(parent)
    , m_notifier(std::make_unique<BatchNotifier>(sessionBus))
    , m_launcher(std::make_unique<LauncherEntry>(sessionBus))
{
    // One logind for both, so that its absence is logged once.
    const BusService logind = BusService::logind(logindBus);
    m_inhibitor = std::make_unique<SleepInhibitor>(logind);
    m_power = std::make_unique<PowerAction>(logind);
    connect(m_notifier.get(), &BatchNotifier::openFolderRequested, this, &DesktopBatchSession::openFolderRequested);
    connect(m_power.get(), &PowerAction::failed, this, &DesktopBatchSession::powerActionFailed);
}

DesktopBatchSession::~DesktopBatchSession()
{
    released();
}

bool DesktopBatchSession::isKeepingAwake() const
{
    return m_inhibitor->isHeld();
}

void DesktopBatchSession::batchStarted()
{
    m_pendingAction = AfterBatchAction::None; // a new batch outdates an old countdown
    if (m_running)
        return;
    m_running = true;
    m_inhibitor->acquire();
    m_launcher->begin();
}

void DesktopBatchSession::batchProgress(double fraction, int filesLeft)
{
    if (m_running)
        m_launcher->update(fraction, filesLeft);
}

void DesktopBatchSession::batchEnded(int converted, int failed, bool stopped, const QString &outputFolder,
                                     bool windowActive)
{
    if (!m_running)
        return;
    m_running = false;
    // Released before any power action: our own block on sleep would stop a Suspend.
    m_inhibitor->release();
    m_launcher->clear();
    // After Stop the user is at the window and knows; an active window shows the end itself.
    if (!stopped && !windowActive)
        m_notifier->notifyBatchFinished(converted, failed, outputFolder);
    if (!stopped && m_afterBatch != AfterBatchAction::None) {
        m_pendingAction = m_afterBatch;
        Q_EMIT powerActionCountdownRequested(m_afterBatch);
    }
}

void DesktopBatchSession::released()
{
    m_running = false;
    m_pendingAction = AfterBatchAction::None;
    m_inhibitor->release();
    m_launcher->clear();
}

void DesktopBatchSession::confirmPowerAction()
{
    const AfterBatchAction action = std::exchange(m_pendingAction, AfterBatchAction::None);
    m_power->run(action);
}

void DesktopBatchSession::cancelPowerAction()
{
    m_pendingAction = AfterBatchAction::None;
}

} // namespace sonvera
