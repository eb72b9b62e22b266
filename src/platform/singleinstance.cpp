#include "singleinstance.h"

#include "handoverframe.h"

#include <QLocalSocket>
#include <QLoggingCategory>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

Q_LOGGING_CATEGORY(lcInstance, "sonvera.instance")

namespace sonvera {

namespace {
constexpr int kWaitMs = 3000;
constexpr char kReceived = 'K';
} // namespace

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent)
    , m_socketPath(folder + u"/sonvera.socket"_s)
    , m_lock(folder + u"/sonvera.lock"_s)
{
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    m_watch.setInterval(kRelistenMs);
    m_watch.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_watch, &QTimer::timeout, this, &SingleInstance::checkListening);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultFolder()
{
    // Qt makes it (mode 0700) when $XDG_RUNTIME_DIR is not set.
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

bool SingleInstance::claim()
{
    // A lock left by a copy that died is taken over by QLockFile itself.
    if (!m_lock.tryLock(0))
        return false;
    if (!listen())
        qCWarning(lcInstance) << "cannot listen on" << m_socketPath << ":" << m_server.errorString()
                              << "- later launches cannot hand over their files until it can";
    m_watch.start();
    return true;
}

bool SingleInstance::listen()
{
    QLocalServer::removeServer(m_socketPath); // a socket left behind (a crash, Qt giving up)
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    return m_server.listen(m_socketPath);
}

void SingleInstance::checkListening()
{
    if (m_server.isListening())
        return;
    // Qt closes the server (and removes the socket) when accepting fails, for
    // one when the process has no file descriptor left.
    const QString why = m_server.errorString();
    if (listen())
        qCWarning(lcInstance) << "the hand-over socket had closed (" << why << "); listening again on" << m_socketPath;
}

QString SingleInstance::forward(const QByteArrayList &paths) const
{
    // Meant for a short-lived second copy that ends right after: blocking is fine here.
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(kWaitMs))
        return tr("无法连接正在运行的程序（%1）：%2").arg(m_socketPath, socket.errorString());
    socket.write(HandOverFrame::encode(paths));
    // The first copy answers once it holds every path.
    while (socket.bytesAvailable() == 0) {
        if (!socket.waitForReadyRead(kWaitMs))
            return tr("正在运行的程序没有确认收到文件：%1").arg(socket.errorString());
    }
    char answer = 0;
    socket.getChar(&answer);
    socket.disconnectFromServer();
    return answer == kReceived ? QString() : tr("正在运行的程序给出了意外的回答");
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        // A launch sends its frame as soon as it is connected: the oldest
        // connection of a crowd is the one least likely to be a launch.
        std::erase_if(m_clients, [](const QPointer<QLocalSocket> &client) { return client.isNull(); });
        if (m_clients.size() >= kMostClients) {
            QLocalSocket *oldest = m_clients.front();
            m_clients.pop_front();
            oldest->abort();
            oldest->deleteLater();
        }
        serve(socket);
    }
}

void SingleInstance::serve(QLocalSocket *socket)
{
    m_clients.push_back(socket);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // A launch sends its frame at once; one that does not is not ours.
    QTimer::singleShot(kClientTimeoutMs, socket, [socket] {
        qCInfo(lcInstance) << "a hand-over connection sent no whole frame in time; closed";
        socket->abort();
        socket->deleteLater();
    });
    auto received = std::make_shared<QByteArray>();
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, received] {
        *received += socket->readAll();
        const HandOverFrame::Decoded frame = HandOverFrame::decode(*received);
        switch (frame.status) {
        case HandOverFrame::Decoded::Status::Incomplete:
            return; // more is on its way
        case HandOverFrame::Decoded::Status::Malformed:
            qCWarning(lcInstance) << "a hand-over connection sent what no launch sends; closed";
            socket->abort();
            socket->deleteLater();
            return;
        case HandOverFrame::Decoded::Status::Complete:
            break;
        }
        received->clear();
        socket->putChar(kReceived);
        socket->flush();
        socket->disconnectFromServer();
        // Even without files a second launch asks for the window.
        Q_EMIT pathsReceived(frame.paths);
    });
}

} // namespace sonvera
