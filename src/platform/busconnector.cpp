#include "busconnector.h"

#include "busservice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QMap>
#include <QTcpSocket>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <chrono>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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

namespace {

// A socket connected, without blocking, to the entry's Unix or TCP address;
// -1 when it cannot be made. The connect may still be on its way.
int connectingSocket(const AddressEntry &entry)
{
    if (entry.transport == u"unix"_s) {
        const bool abstract = entry.values.contains(u"abstract"_s);
        const QByteArray name = QFile::encodeName(entry.values.value(abstract ? u"abstract"_s : u"path"_s));
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        const qsizetype offset = abstract ? 1 : 0; // an abstract name starts with a zero byte
        if (name.size() + offset >= qsizetype(sizeof(address.sun_path)))
            return -1;
        std::memcpy(address.sun_path + offset, name.constData(), size_t(name.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return -1;
        const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + size_t(offset + name.size() + (abstract ? 0 : 1)));
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), length) != 0 && errno != EINPROGRESS) {
            ::close(fd);
            return -1;
        }
        return fd;
    }
    // TCP: a numeric or local host; a name is looked up once, which is quick for "localhost".
    addrinfo hints {};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const QByteArray host = entry.values.value(u"host"_s, u"localhost"_s).toUtf8();
    const QByteArray port = entry.values.value(u"port"_s).toUtf8();
    if (::getaddrinfo(host.constData(), port.constData(), &hints, &found) != 0 || !found)
        return -1;
    const int fd = ::socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::connect(fd, found->ai_addr, found->ai_addrlen) != 0 && errno != EINPROGRESS) {
        ::close(fd);
        ::freeaddrinfo(found);
        return -1;
    }
    ::freeaddrinfo(found);
    return fd;
}

} // namespace

bool BusConnector::answersWithin(const QString &address, int timeoutMs)
{
    const std::optional<AddressEntry> entry = probeableEntry(address);
    if (!entry)
        return true;
    const int fd = connectingSocket(*entry);
    if (fd < 0)
        return false;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const auto left = [deadline] {
        return int(std::max<long long>(0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
    };
    // Connected (writable), the handshake's first word goes out; a bus
    // answers "REJECTED <mechanisms>" with a line end.
    static constexpr char kAsk[] = "\0AUTH\r\n";
    qsizetype sent = 0;
    QByteArray answer;
    bool answered = false;
    while (!answered) {
        pollfd watched {fd, short(sent < qsizetype(sizeof(kAsk) - 1) ? POLLOUT : POLLIN), 0};
        const int ready = ::poll(&watched, 1, left());
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0 || (watched.revents & (POLLERR | POLLNVAL)))
            break;
        if (watched.events == POLLOUT) {
            const ssize_t n = ::send(fd, kAsk + sent, sizeof(kAsk) - 1 - size_t(sent), MSG_NOSIGNAL);
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                break;
            sent += std::max<ssize_t>(n, 0);
            continue;
        }
        char chunk[256];
        const ssize_t n = ::recv(fd, chunk, sizeof(chunk), 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
            break;
        if (n > 0)
            answer.append(chunk, n);
        answered = answer.contains('\n');
    }
    ::close(fd);
    return answered;
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
