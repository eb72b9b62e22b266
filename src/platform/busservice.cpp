#include "busservice.h"

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

Q_LOGGING_CATEGORY(lcDesktopBus, "sonvera.desktop")

BusService::BusService(const QDBusConnection &connection, QString service, QString purpose)
    : m_state(std::make_shared<State>(State{connection, std::move(service), std::move(purpose)}))
{
}

BusService BusService::logind(const QDBusConnection &connection)
{
    return BusService(connection, u"org.freedesktop.login1"_s,
                      u"sleep inhibitor and after-batch action"_s);
}

bool BusService::busAvailable() const
{
    if (m_state->connection.isConnected())
        return true;
    if (!m_state->reported) {
        m_state->reported = true;
        qCInfo(lcDesktopBus).noquote() << m_state->purpose << "off: no D-Bus bus:"
                                       << m_state->connection.lastError().message();
    }
    return false;
}

void BusService::reportFailure(const QDBusError &error) const
{
    if (!meansMissing(error)) {
        qCWarning(lcDesktopBus).noquote() << m_state->service + u" refused a call (" + m_state->purpose + u"):"
                                          << error.name() << error.message();
        return;
    }
    if (m_state->reported)
        return;
    m_state->reported = true;
    qCInfo(lcDesktopBus).noquote() << m_state->purpose << "off:" << m_state->service << "is not available:"
                                   << error.message();
}

void BusService::reportSuccess() const
{
    m_state->reported = false;
}

bool BusService::meansMissing(const QDBusError &error)
{
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
    case QDBusError::NoServer:
    case QDBusError::Disconnected:
    case QDBusError::UnknownObject:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownMethod:
    case QDBusError::NoReply:
    case QDBusError::TimedOut:
        return true;
    default:
        return error.name() == u"org.freedesktop.DBus.Error.NameHasNoOwner"_s;
    }
}

} // namespace sonvera
