#pragma once

#include "afterbatchaction.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <memory>

namespace sonvera {

class BatchNotifier;
class BusConnector;
class LauncherEntry;
class PowerAction;
class SleepInhibitor;

// What the desktop sees of a batch: the computer kept awake while it runs,
// progress on the launcher icon, one notification at its end when the window
// is not in front, and the after-batch action (关机 / 睡眠).
//
// The window calls the slots as the batch goes; nothing here blocks, and
// every missing desktop service is logged once and otherwise ignored.
//
// Lifecycle of a batch:
//   batchStarted()        takes the sleep inhibitor, shows progress 0
//   batchProgress(f, n)   launcher bar (never moves back) and count of files left
//   batchEnded(...)       releases the inhibitor, clears the launcher, notifies
//                         (not after Stop, not when the window is active), and,
//                         when powerActionFollows(), emits powerActionCountdownRequested()
//   confirmPowerAction()  the countdown ran out: power off / suspend now
//   cancelPowerAction()   the countdown was cancelled (取消)
//   released()            the window closes: everything is let go
// Calls out of order (progress or an end without a start, a second end) are
// ignored, so one batch gives at most one notification and one countdown.
class DesktopBatchSession final : public QObject {
    Q_OBJECT

public:
    // The desktop's own buses: notifications and the launcher on the session
    // bus, logind on the system bus. They are reached in the background
    // (BusConnector), so that a bus that never answers cannot hold up the
    // window; until a bus is reached, what needs it does nothing.
    explicit DesktopBatchSession(QObject *parent = nullptr);
    // Given buses; tests pass a private session bus for both.
    DesktopBatchSession(const QDBusConnection &sessionBus, const QDBusConnection &logindBus,
                        QObject *parent = nullptr);
    ~DesktopBatchSession() override; // as released()

    // The option 转换完成后, read when a batch ends. Default: None.
    void setAfterBatchAction(AfterBatchAction action) { m_afterBatch = action; }

    // Whether the computer is being kept awake now (the inhibitor is held).
    bool isKeepingAwake() const;
    // Both buses reached, or given up.
    bool isSettled() const { return m_sessionSettled && m_systemSettled; }
    // Whether the computer can power off or suspend by itself, as logind says.
    AfterBatchSupport afterBatchSupport() const;

    // A batch that ended so is followed by the after-batch action: one the
    // user did not stop, that left no file unconverted (a failure must be
    // seen, not covered by a countdown and a dark screen).
    static bool powerActionFollows(int failed, bool stopped) { return failed == 0 && !stopped; }

public Q_SLOTS:
    void batchStarted();
    // `fraction` of the batch done, 0..1; `filesLeft` not yet converted.
    void batchProgress(double fraction, int filesLeft);
    // `converted` and `failed` count this batch's files; `stopped`: ended by
    // Stop; `outputFolder` is opened when the notification is activated;
    // `windowActive`: the window has the focus, so no notification.
    void batchEnded(int converted, int failed, bool stopped, const QString &outputFolder, bool windowActive);
    // The window closes (or the program ends): inhibitor, launcher and any
    // pending power action are let go.
    void released();
    // The countdown ran out: runs the pending action, once.
    void confirmPowerAction();
    // The countdown was cancelled: the pending action is dropped.
    void cancelPowerAction();

Q_SIGNALS:
    // The user activated the end-of-batch notification.
    void openFolderRequested(const QString &folder);
    // A batch ended so that powerActionFollows() and the option asks for
    // `action`: the window shows the countdown and calls confirmPowerAction()
    // or cancelPowerAction().
    void powerActionCountdownRequested(sonvera::AfterBatchAction action);
    // logind could not do it: a message for the user, in the user's language.
    void powerActionFailed(const QString &message);
    void afterBatchSupportChanged();
    // Both buses have been reached or given up (default wiring only).
    void settled();

private:
    // Builds what lives on each bus (again, once a bus is reached); a batch
    // under way is taken up by the new parts.
    void useSessionBus(const QDBusConnection &bus);
    void useSystemBus(const QDBusConnection &bus);
    void settle(bool &which);

    std::unique_ptr<BatchNotifier> m_notifier;
    std::unique_ptr<LauncherEntry> m_launcher;
    std::unique_ptr<SleepInhibitor> m_inhibitor;
    std::unique_ptr<PowerAction> m_power;
    std::unique_ptr<BusConnector> m_sessionConnector;
    std::unique_ptr<BusConnector> m_systemConnector;
    AfterBatchAction m_afterBatch = AfterBatchAction::None;
    AfterBatchAction m_pendingAction = AfterBatchAction::None; // awaiting the countdown
    bool m_running = false;
    bool m_sessionSettled = true;
    bool m_systemSettled = true;
};

} // namespace sonvera
