#include "busconnector.h"

#include "busservice.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QMap>
#include <QTcpSocket>
#include <QThread>

#include <atomic>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

std::atomic<int> g_connectsPending{0};

// One entry of a D-Bus address ("unix:path=/run/bus,guid=..."), its values unescaped.
struct AddressEntry {
    QString transport;
    QMap<QString, QString> values;
};

AddressEntry parseEntry(const QString &entry)
{
    AddressEntry parsed;
    parsed.transport = entry.section(u':', 0, 0);
    const QStringList pairs = entry.section(u':', 1).split(u',', Qt::SkipEmptyParts);
    for (const QString &pair : pairs)
        parsed.values.insert(pair.section(u'=', 0, 0),
                             QString::fromUtf8(QByteArray::fromPercentEncoding(pair.section(u'=', 1).toUtf8())));
    return parsed;
}

// The first entry a socket of ours can reach, if any.
std::optional<AddressEntry> probeableEntry(const QString &address)
{
    for (const QString &entry : address.split(u';', Qt::SkipEmptyParts)) {
        AddressEntry parsed = parseEntry(entry);
        if ((parsed.transport == u"unix"_s && (parsed.values.contains(u"path"_s) || parsed.values.contains(u"abstract"_s)))
            || (parsed.transport == u"tcp"_s && parsed.values.contains(u"port"_s)))
            return parsed;
    }
    return std::nullopt;
}

} // namespace

BusConnector::BusConnector(Bus bus, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
{
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(kAnswerTimeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, [this] { fail(u"no answer from "_s + m_address); });
}

BusConnector::~BusConnector() = default;

QString BusConnector::busName() const
{
    return m_bus == Bus::Session ? u"the session bus"_s : u"the system bus"_s;
}

QString BusConnector::addressOf(Bus bus)
{
    if (bus == Bus::System) {
        const QString address = qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
        return address.isEmpty() ? u"unix:path=/var/run/dbus/system_bus_socket"_s : address;
    }
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!address.isEmpty())
        return address;
    // Where libdbus looks without the variable (a systemd user session).
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime + u"/bus"_s).exists())
        return u"unix:path="_s + runtime + u"/bus"_s;
    return {};
}

bool BusConnector::anyConnectPending()
{
    return g_connectsPending.load() > 0;
}

void BusConnector::start()
{
    m_address = addressOf(m_bus);
    if (m_address.isEmpty()) {
        // libdbus would try to launch a bus of its own: not for us.
        QMetaObject::invokeMethod(this, [this] { fail(u"no address is known for it"_s); }, Qt::QueuedConnection);
        return;
    }
    probe(m_address);
}

void BusConnector::probe(const QString &address)
{
    const std::optional<AddressEntry> entry = probeableEntry(address);
    if (!entry) {
        QMetaObject::invokeMethod(this, &BusConnector::connectOnThread, Qt::QueuedConnection);
        return;
    }
    m_timeout.start();
    if (entry->transport == u"tcp"_s) {
        auto *socket = new QTcpSocket;
        connect(socket, &QTcpSocket::connected, this, [socket] { socket->write("\0AUTH\r\n", 7); });
        connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] { fail(socket->errorString()); });
        socket->connectToHost(entry->values.value(u"host"_s, u"localhost"_s), entry->values.value(u"port"_s).toUShort());
        m_socket.reset(socket);
    } else {
        auto *socket = new QLocalSocket;
        const bool abstract = entry->values.contains(u"abstract"_s);
        if (abstract)
            socket->setSocketOptions(QLocalSocket::AbstractNamespaceOption);
        connect(socket, &QLocalSocket::connected, this, [socket] { socket->write("\0AUTH\r\n", 7); });
        connect(socket, &QLocalSocket::errorOccurred, this, [this, socket] { fail(socket->errorString()); });
        socket->connectToServer(entry->values.value(abstract ? u"abstract"_s : u"path"_s));
        m_socket.reset(socket);
    }
    // "AUTH" without a mechanism: a bus answers with the mechanisms it takes.
    connect(m_socket.get(), &QIODevice::readyRead, this, &BusConnector::onProbeAnswer);
}

void BusConnector::onProbeAnswer()
{
    if (m_done || !m_socket->canReadLine())
        return;
    m_timeout.stop();
    m_socket->disconnect(this);
    m_socket.release()->deleteLater();
    connectOnThread();
}

void BusConnector::connectOnThread()
{
    // QtDBus waits for the bus's welcome on the thread that asks: never ours.
    struct Result {
        QDBusConnection connection{QString()};
    };
    auto result = std::make_shared<Result>();
    m_timeout.start(); // a bus that answered may still stall: the thread is then left behind
    const QString address = m_address;
    const QString name = u"sonvera-"_s + (m_bus == Bus::Session ? u"session"_s : u"system"_s);
    ++g_connectsPending;
    QThread *thread = QThread::create([result, address, name] {
        result->connection = QDBusConnection::connectToBus(address, name);
        --g_connectsPending;
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    connect(thread, &QThread::finished, this, [this, result] {
        if (m_done)
            return;
        m_timeout.stop();
        if (!result->connection.isConnected()) {
            fail(result->connection.lastError().message());
            return;
        }
        m_done = true;
        Q_EMIT connected(result->connection);
    });
    thread->start();
}

void BusConnector::fail(const QString &why)
{
    if (m_done)
        return;
    m_done = true;
    m_timeout.stop();
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket.release()->deleteLater();
    }
    const QString where = m_address.isEmpty() ? QString() : u" at "_s + m_address;
    qCInfo(lcDesktopBus).noquote() << busName() + where << "is not available:" << why;
    Q_EMIT failed(why);
}

} // namespace sonvera
