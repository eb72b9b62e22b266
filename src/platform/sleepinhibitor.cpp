#include "sleepinhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

SleepInhibitor::SleepInhibitor(BusService logind, QObject *parent)
    : QObject(parent)
    , m_logind(std::move(logind))
{
}

SleepInhibitor::~SleepInhibitor() = default; // dropping m_fd releases the inhibitor

void SleepInhibitor::acquire()
{
    m_wanted = true;
    // A call still on its way will do: its answer is kept now that we want it.
    if (isHeld() || m_pending || !m_logind.busAvailable())
        return;

    QDBusMessage call = QDBusMessage::createMethodCall(m_logind.service(), u"/org/freedesktop/login1"_s,
                                                      u"org.freedesktop.login1.Manager"_s, u"Inhibit"_s);
    call << u"sleep:idle"_s << u"Sonvera"_s << tr("正在转换视频") << u"block"_s;
    m_pending = true;
    auto *watcher = new QDBusPendingCallWatcher(m_logind.connection().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        m_pending = false;
        // The watcher keeps the reply message, and with it a copy of the
        // descriptor: the inhibitor ends only once the watcher is gone too.
        w->deleteLater();
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *w;
        if (reply.isError())
            m_logind.reportFailure(reply.error());
        else
            onReply(reply.value());
    });
}

void SleepInhibitor::onReply(const QDBusUnixFileDescriptor &fd)
{
    m_logind.reportSuccess();
    if (!m_wanted || !fd.isValid())
        return; // released meanwhile: the copy in the reply closes with it
    m_fd = fd;
    Q_EMIT heldChanged(true);
}

void SleepInhibitor::release()
{
    m_wanted = false;
    if (!isHeld())
        return;
    m_fd = QDBusUnixFileDescriptor();
    Q_EMIT heldChanged(false);
}

} // namespace sonvera
