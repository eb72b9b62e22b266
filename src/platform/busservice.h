#pragma once

#include <QDBusConnection>
#include <QDBusError>
#include <QLoggingCategory>
#include <QString>

#include <memory>

namespace sonvera {

// The desktop's D-Bus services (notifications, launcher entry, logind): none
// of them is needed, so trouble with them is logged here, never shown.
Q_DECLARE_LOGGING_CATEGORY(lcDesktopBus)

// One D-Bus service as reached over one connection, and what it is missing
// for. A desktop without a bus, or without the service, is normal (a server,
// a minimal window manager): the first failure gives one log line, later
// calls stay silent, so a batch of a thousand files does not give a thousand
// lines. Copies share that state, so that two parts using one service (the
// sleep inhibitor and the power action both use logind) report it once.
class BusService {
public:
    // `service` is the well-known bus name, empty for plain signals that need
    // no service; `purpose` names what goes missing, for the log line.
    BusService(const QDBusConnection &connection, QString service, QString purpose);

    // logind's manager on `connection` (the system bus, except in tests).
    static BusService logind(const QDBusConnection &connection);

    QDBusConnection connection() const { return m_state->connection; }
    QString service() const { return m_state->service; }

    // False when there is no bus at all; the first such answer logs one line.
    bool busAvailable() const;
    // A call failed: an absent service is logged once (until a call succeeds
    // again), any other failure each time it happens.
    void reportFailure(const QDBusError &error) const;
    // A call went through: a later disappearance is worth a line again.
    void reportSuccess() const;

    // Whether `error` means the service is not there (rather than refusing).
    static bool meansMissing(const QDBusError &error);

private:
    struct State {
        QDBusConnection connection;
        QString service;
        QString purpose;
        bool reported = false;
    };
    std::shared_ptr<State> m_state;
};

} // namespace sonvera
