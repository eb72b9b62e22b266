#include "desktopbatchsession.h"

#include "batchnotifier.h"
#include "busconnector.h"
#include "launcherentry.h"
#include "poweraction.h"
#include "sleepinhibitor.h"

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {
// A connection that is never connected: what the parts use until (unless) a bus is reached.
QDBusConnection noBus()
{
    return QDBusConnection(u"sonvera-no-bus"_s);
}
} // namespace

DesktopBatchSession::DesktopBatchSession(QObject *parent)
    : DesktopBatchSession(noBus(), noBus(), parent)
{
    m_sessionSettled = false;
    m_systemSettled = false;
    m_sessionConnector = std::make_unique<BusConnector>(BusConnector::Bus::Session);
    m_systemConnector = std::make_unique<BusConnector>(BusConnector::Bus::System);
    connect(m_sessionConnector.get(), &BusConnector::connected, this, [this](const QDBusConnection &bus) {
        useSessionBus(bus);
        settle(m_sessionSettled);
    });
    connect(m_sessionConnector.get(), &BusConnector::failed, this, [this] { settle(m_sessionSettled); });
    connect(m_systemConnector.get(), &BusConnector::connected, this, [this](const QDBusConnection &bus) {
        useSystemBus(bus);
        settle(m_systemSettled);
    });
    connect(m_systemConnector.get(), &BusConnector::failed, this, [this] {
        m_power->querySupport(); // says logind cannot be reached
        settle(m_systemSettled);
    });
    m_sessionConnector->start();
    m_systemConnector->start();
}

DesktopBatchSession::DesktopBatchSession(const QDBusConnection &sessionBus, const QDBusConnection &logindBus,
                                         QObject *parent)
    : QObject(parent)
{
    useSessionBus(sessionBus);
    useSystemBus(logindBus);
}

DesktopBatchSession::~DesktopBatchSession()
{
    released();
}

void DesktopBatchSession::settle(bool &which)
{
    which = true;
    if (isSettled())
        Q_EMIT settled();
}

void DesktopBatchSession::useSessionBus(const QDBusConnection &bus)
{
    m_notifier = std::make_unique<BatchNotifier>(bus);
    m_launcher = std::make_unique<LauncherEntry>(bus);
    connect(m_notifier.get(), &BatchNotifier::openFolderRequested, this, &DesktopBatchSession::openFolderRequested);
    if (m_running)
        m_launcher->begin();
}

void DesktopBatchSession::useSystemBus(const QDBusConnection &bus)
{
    // One logind for both, so that its absence is logged once.
    const BusService logind = BusService::logind(bus);
    m_inhibitor = std::make_unique<SleepInhibitor>(logind);
    m_power = std::make_unique<PowerAction>(logind);
    connect(m_power.get(), &PowerAction::failed, this, &DesktopBatchSession::powerActionFailed);
    connect(m_power.get(), &PowerAction::supportChanged, this, &DesktopBatchSession::afterBatchSupportChanged);
    if (bus.isConnected())
        m_power->querySupport();
    if (m_running)
        m_inhibitor->acquire();
    Q_EMIT afterBatchSupportChanged();
}

bool DesktopBatchSession::isKeepingAwake() const
{
    return m_inhibitor->isHeld();
}

AfterBatchSupport DesktopBatchSession::afterBatchSupport() const
{
    return m_power->support();
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
    if (powerActionFollows(failed, stopped) && m_afterBatch != AfterBatchAction::None) {
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
