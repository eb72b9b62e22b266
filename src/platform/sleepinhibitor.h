#pragma once

#include "busservice.h"

#include <QDBusUnixFileDescriptor>
#include <QObject>

namespace sonvera {

// Keeps the computer from sleeping (or idling into sleep) while a batch runs:
// logind's Inhibit("sleep:idle", "Sonvera", "正在转换视频", "block") hands
// over a file descriptor, and the inhibitor lasts exactly as long as some
// process holds it open. Dropping our copy releases it; if we die, the kernel
// closes it for us.
//
// acquire() and release() are idempotent and asynchronous. A release that
// comes before logind has answered wins: the descriptor that arrives later is
// closed at once.
class SleepInhibitor final : public QObject {
    Q_OBJECT

public:
    // `logind` on the system bus (tests: a fake on a private bus).
    explicit SleepInhibitor(BusService logind, QObject *parent = nullptr);
    ~SleepInhibitor() override;

    void acquire();
    void release();

    // Whether we hold an inhibitor descriptor now.
    bool isHeld() const { return m_fd.isValid(); }

Q_SIGNALS:
    // isHeld() changed.
    void heldChanged(bool held);

private:
    void onReply(const QDBusUnixFileDescriptor &fd);

    BusService m_logind;
    bool m_wanted = false;  // between acquire() and release()
    bool m_pending = false; // an Inhibit call is on its way
    QDBusUnixFileDescriptor m_fd;
};

} // namespace sonvera
