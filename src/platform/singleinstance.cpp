#include "singleinstance.h"

#include <QDataStream>
#include <QDir>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

Q_LOGGING_CATEGORY(lcInstance, "sonvera.instance")

namespace sonvera {

namespace {
constexpr int kWaitMs = 3000;
constexpr quint32 kMagic = 0x53565231; // "SVR1"
constexpr char kReceived = 'K';
} // namespace

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent)
    , m_socketPath(folder + u"/sonvera.socket"_s)
    , m_lock(folder + u"/sonvera.lock"_s)
{
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
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
    QLocalServer::removeServer(m_socketPath); // a socket left behind by a crash
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(m_socketPath))
        qCWarning(lcInstance) << "cannot listen on" << m_socketPath << ":" << m_server.errorString()
                              << "- later launches cannot hand over their files";
    return true;
}

QString SingleInstance::forward(const QByteArrayList &paths) const
{
    // Meant for a short-lived second copy that ends right after: blocking is fine here.
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(kWaitMs))
        return tr("无法连接正在运行的程序（%1）：%2").arg(m_socketPath, socket.errorString());
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out << kMagic << paths;
    socket.write(message);
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
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream in(socket);
            in.startTransaction();
            quint32 magic = 0;
            QByteArrayList paths;
            in >> magic >> paths;
            if (!in.commitTransaction())
                return; // more is on its way
            if (magic != kMagic) {
                socket->abort();
                return;
            }
            socket->putChar(kReceived);
            socket->flush();
            // Even without files a second launch asks for the window.
            Q_EMIT pathsReceived(paths);
        });
    }
}

} // namespace sonvera
