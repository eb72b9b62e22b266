#include "poweraction.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

PowerAction::PowerAction(BusService logind, QObject *parent)
    : QObject(parent)
    , m_logind(std::move(logind))
{
}

void PowerAction::run(AfterBatchAction action)
{
    if (action == AfterBatchAction::None)
        return;
    if (!m_logind.busAvailable()) {
        fail(action, tr("系统总线不可用"));
        return;
    }
    const QString method = action == AfterBatchAction::PowerOff ? u"PowerOff"_s : u"Suspend"_s;
    QDBusMessage call = QDBusMessage::createMethodCall(m_logind.service(), u"/org/freedesktop/login1"_s,
                                                      u"org.freedesktop.login1.Manager"_s, method);
    call << false; // not interactive
    auto *watcher = new QDBusPendingCallWatcher(m_logind.connection().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, action](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const QDBusPendingReply<> reply = *w;
        if (!reply.isError()) {
            m_logind.reportSuccess();
            return;
        }
        m_logind.reportFailure(reply.error());
        fail(action, BusService::meansMissing(reply.error()) ? tr("找不到系统的电源管理服务 (logind)")
                                                             : tr("系统拒绝了请求：%1").arg(reply.error().message()));
    });
}

void PowerAction::fail(AfterBatchAction action, const QString &why)
{
    Q_EMIT failed(action == AfterBatchAction::PowerOff
                      ? tr("没能自动关机（%1）。转换好的文件都已保存，请手动关机。").arg(why)
                      : tr("没能让电脑睡眠（%1）。转换好的文件都已保存，请手动让电脑睡眠。").arg(why));
}

} // namespace sonvera
