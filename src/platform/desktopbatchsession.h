#pragma once

#include "afterbatchaction.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <memory>

namespace sonvera {

class BatchNotifier;
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
//                         unless stopped, emits powerActionCountdownRequested()
//   confirmPowerAction()  the countdown ran out: power off / suspend now
//   cancelPowerAction()   the countdown was cancelled (取消)
//   released()            the window closes: everything is let go
// Calls out of order (progress or an end without a start, a second end) are
// ignored, so one batch gives at most one notification and one countdown.
class DesktopBatchSession final : public QObject {
    Q_OBJECT

public:
    // The desktop's own buses: notifications and the launcher on the session
    // bus, logind on the system bus. Their first use connects to them.
    explicit DesktopBatchSession(QObject *parent = nullptr);
    // Given buses; tests pass a private session bus for both.
    DesktopBatchSession(const QDBusConnection &sessionBus, const QDBusConnection &logindBus,
                        QObject *parent = nullptr);
    ~DesktopBatchSession() override; // as released()

    // The option 转换完成后, read when a batch ends. Default: None.
    void setAfterBatchAction(AfterBatchAction action) { m_afterBatch = action; }

    // Whether the computer is being kept awake now (the inhibitor is held).
    bool isKeepingAwake() const;

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
    // A batch that was not stopped ended and the option asks for `action`:
    // the window shows the countdown and calls confirmPowerAction() or
    // cancelPowerAction().
    void powerActionCountdownRequested(sonvera::AfterBatchAction action);
    // logind could not do it: a message for the user, in Chinese.
    void powerActionFailed(const QString &message);

private:
    std::unique_ptr<BatchNotifier> m_notifier;
    std::unique_ptr<LauncherEntry> m_launcher;
    std::unique_ptr<SleepInhibitor> m_inhibitor;
    std::unique_ptr<PowerAction> m_power;
    AfterBatchAction m_afterBatch = AfterBatchAction::None;
    AfterBatchAction m_pendingAction = AfterBatchAction::None; // awaiting the countdown
    bool m_running = false;
};

} // namespace sonvera
