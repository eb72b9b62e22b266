#include "poweraction.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {
const QString kManagerPath = u"/org/freedesktop/login1"_s;
const QString kManager = u"org.freedesktop.login1.Manager"_s;
} // namespace

PowerAction::PowerAction(BusService logind, QObject *parent)
    : QObject(parent)
    , m_logind(std::move(logind))
{
    m_support.powerOff = {false, tr("正在询问系统能否自动关机")};
    m_support.suspend = {false, tr("正在询问系统能否自动睡眠")};
}

AfterBatchSupport PowerAction::unreachableSupport()
{
    return {{false, tr("无法连接系统的电源管理服务 (logind)，不能自动关机")},
            {false, tr("无法连接系统的电源管理服务 (logind)，不能自动睡眠")}};
}

ActionSupport PowerAction::supportFor(AfterBatchAction action, const QString &answer)
{
    const bool powerOff = action == AfterBatchAction::PowerOff;
    if (answer == u"yes"_s)
        return {true, {}};
    if (answer == u"challenge"_s)
        return {false, powerOff ? tr("系统要求输入密码才能关机，无人值守时无法自动关机")
                                : tr("系统要求输入密码才能睡眠，无人值守时无法自动睡眠")};
    if (answer == u"na"_s)
        return {false, powerOff ? tr("这台电脑不支持由程序关机") : tr("这台电脑不支持睡眠")};
    return {false, powerOff ? tr("系统不允许这个用户关机") : tr("系统不允许这个用户让电脑睡眠")};
}

void PowerAction::querySupport()
{
    if (!m_logind.busAvailable()) {
        m_support = unreachableSupport();
        Q_EMIT supportChanged();
        return;
    }
    ask(AfterBatchAction::PowerOff);
    ask(AfterBatchAction::Suspend);
}

void PowerAction::ask(AfterBatchAction action)
{
    const QString method = action == AfterBatchAction::PowerOff ? u"CanPowerOff"_s : u"CanSuspend"_s;
    const QDBusMessage call = QDBusMessage::createMethodCall(m_logind.service(), kManagerPath, kManager, method);
    auto *watcher = new QDBusPendingCallWatcher(m_logind.connection().asyncCall(call, kAnswerTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, action](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const QDBusPendingReply<QString> reply = *w;
        ActionSupport support = unreachableSupport().of(action);
        if (reply.isError())
            m_logind.reportFailure(reply.error());
        else
            support = supportFor(action, reply.value());
        (action == AfterBatchAction::PowerOff ? m_support.powerOff : m_support.suspend) = support;
        Q_EMIT supportChanged();
    });
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
    QDBusMessage call = QDBusMessage::createMethodCall(m_logind.service(), kManagerPath, kManager, method);
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
