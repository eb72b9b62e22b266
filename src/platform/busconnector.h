#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QIODevice;

namespace sonvera {

// Reaches one of the desktop's buses without ever making the window wait.
//
// QtDBus connects synchronously, and to a bus that accepts connections but
// never answers it waits for ever (its own thread too, so that even the
// program's end would wait). So the bus is first asked, over a socket of our
// own on the event loop, to answer the first word of its handshake, with a
// time limit; only a bus that answers is handed to QtDBus, and then on a
// thread of its own. A bus that cannot be reached or does not answer in time
// is given up, with the reason. Addresses: unix:path=, unix:abstract= and
// tcp:; another transport is handed to QtDBus unasked, on its thread.
class BusConnector final : public QObject {
    Q_OBJECT

public:
    enum class Bus { Session, System };
    static constexpr int kAnswerTimeoutMs = 3000;

    explicit BusConnector(Bus bus, QObject *parent = nullptr);
    ~BusConnector() override;

    // Begins; connected() or failed() follows, once, from the event loop,
    // within kAnswerTimeoutMs of each step (the handshake's first answer,
    // QtDBus's connect).
    void start();
    Bus bus() const { return m_bus; }
    // What the bus is called in log lines: "session bus", "system bus".
    QString busName() const;

    // The address the bus is reached at, from the environment as libdbus
    // reads it; empty when none is known (a session without a session bus).
    static QString addressOf(Bus bus);

    // Asks the bus at `address` for the first answer of its handshake, as
    // start() does, but blocking, before any event loop runs; true when it
    // answers within `timeoutMs`, and for an address no socket of ours can
    // try (another transport). For the program's start-up only.
    static bool answersWithin(const QString &address, int timeoutMs);

    // True while a QtDBus connect is on its way on some thread: the program
    // must not wait for it at its end (see runApplication).
    static bool anyConnectPending();

Q_SIGNALS:
    void connected(const QDBusConnection &connection);
    void failed(const QString &why);

private:
    void probe(const QString &address);
    void onProbeAnswer();
    void connectOnThread();
    void fail(const QString &why);

    Bus m_bus;
    QString m_address;
    std::unique_ptr<QIODevice> m_socket; // the probe
    QTimer m_timeout;
    bool m_done = false;
};

} // namespace sonvera
