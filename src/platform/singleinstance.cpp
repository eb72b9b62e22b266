#include "singleinstance.h"

#include <QLocalSocket>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {
constexpr int kConnectTimeoutMs = 1000;
}

SingleInstance::SingleInstance(const QString &lockFolder, const QString &key, QObject *parent)
    : QObject(parent)
    , m_key(key)
    , m_lock(lockFolder + u"/"_s + key + u".lock"_s)
{
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultKey()
{
    return u"sonvera-"_s + QString::number(::getuid());
}

bool SingleInstance::claim()
{
    // A lock left by a copy that died is taken over by QLockFile itself.
    if (!m_lock.tryLock(0))
        return false;
    QLocalServer::removeServer(m_key); // a socket left behind by a crash
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(m_key);
    return true;
}

bool SingleInstance::forward(const QStringList &paths) const
{
    // Meant for a short-lived second copy that ends right after: blocking is fine here.
    QLocalSocket socket;
    socket.connectToServer(m_key);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(paths.join(u'\n').toUtf8());
    socket.flush();
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kConnectTimeoutMs);
    return true;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, this, [socket, buffer] { *buffer += socket->readAll(); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket, buffer] {
            *buffer += socket->readAll();
            socket->deleteLater();
            // Even without files a second launch asks for the window.
            Q_EMIT pathsReceived(QString::fromUtf8(*buffer).split(u'\n', Qt::SkipEmptyParts));
        });
    }
}

} // namespace sonvera
