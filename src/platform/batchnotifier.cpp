#include "batchnotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {
const QString kService = u"org.freedesktop.Notifications"_s;
const QString kPath = u"/org/freedesktop/Notifications"_s;
const QString kInterface = u"org.freedesktop.Notifications"_s;
const QString kDesktopId = u"app.sonvera.Sonvera"_s;
const QString kDefaultAction = u"default"_s;
} // namespace

BatchNotifier::BatchNotifier(const QDBusConnection &connection, QObject *parent)
    : QObject(parent)
    , m_service(connection, kService, u"desktop notifications"_s)
{
    if (!connection.isConnected())
        return; // said once, on the first notification
    // Matched on path and interface, not on the service name: naming the
    // service would make QtDBus look its owner up with a blocking call.
    // Foreign ids are ignored in the slot.
    QDBusConnection(connection).connect(QString(), kPath, kInterface, u"ActionInvoked"_s, this,
                                        SLOT(onActionInvoked(uint, QString)));
}

QString BatchNotifier::bodyText(int converted, int failed)
{
    QString text = tr("%n 个文件转换成功", nullptr, converted);
    if (failed > 0)
        text += tr("，%n 个失败", nullptr, failed);
    return text;
}

void BatchNotifier::notifyBatchFinished(int converted, int failed, const QString &outputFolder)
{
    if (!m_service.busAvailable())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, u"Notify"_s);
    const QVariantMap hints{{u"desktop-entry"_s, kDesktopId}, {u"category"_s, u"transfer.complete"_s}};
    call << u"Sonvera"_s << m_shownId << kDesktopId << tr("转换完成") << bodyText(converted, failed)
         << QStringList{kDefaultAction, tr("打开输出文件夹")} << hints << -1;

    auto *watcher = new QDBusPendingCallWatcher(m_service.connection().asyncCall(call), this);
    ++m_pendingCalls;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, outputFolder](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        --m_pendingCalls;
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isError()) {
            m_service.reportFailure(reply.error());
            return;
        }
        m_service.reportSuccess();
        m_shownId = reply.value();
        m_shownFolder = outputFolder;
        // QtDBus may deliver a click on it before the reply that names it.
        const bool clicked = m_earlyClicks.contains(m_shownId);
        if (m_pendingCalls == 0)
            m_earlyClicks.clear();
        if (clicked)
            Q_EMIT openFolderRequested(m_shownFolder);
    });
}

void BatchNotifier::onActionInvoked(uint id, const QString &actionKey)
{
    // Every application's notifications share the signal: only ours count.
    if (id == 0 || actionKey != kDefaultAction)
        return;
    if (id == m_shownId)
        Q_EMIT openFolderRequested(m_shownFolder);
    else if (m_pendingCalls > 0)
        m_earlyClicks.insert(id);
}

} // namespace sonvera
