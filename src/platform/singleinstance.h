#pragma once

#include <QByteArrayList>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <deque>

class QLocalSocket;

namespace sonvera {

// Keeps one copy of the window per user. The first copy holds a lock file in
// the user's runtime folder and listens on a local socket beside it; a later
// copy hands its file arguments to the first over that socket (see
// HandOverFrame) and ends. The socket lives apart from the work folder, so no
// folder of ours can stand where it should be.
//
// The listening side holds up against clients that are not launches of ours:
// a frame that is not a launch's (a relative or empty path, garbage) closes
// its connection unanswered; a connection that sends nothing whole within a
// few seconds is closed; beyond kMostClients at once, the oldest is closed,
// so a burst of idle connections can neither use up the window's file
// descriptors nor keep a launch out. Should the server stop listening all the same (Qt closes it
// when it cannot accept), it is made again within kRelistenMs, and logged.
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    static constexpr int kMostClients = 32;
    static constexpr int kClientTimeoutMs = 5000;
    static constexpr int kRelistenMs = 1000;

    // `folder` holds the lock file and the socket; by default the user's
    // runtime folder ($XDG_RUNTIME_DIR).
    explicit SingleInstance(const QString &folder = defaultFolder(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this is the first copy: it now holds the lock. It also
    // listens, unless the socket cannot be made (logged; tried again later).
    bool claim();
    // For a later copy: passes `paths` (absolute, as the file system spells
    // them, any byte but NUL allowed) to the first copy and waits until it
    // has them. Returns "" on success, else why the first copy could not be reached.
    QString forward(const QByteArrayList &paths) const;

    // Whether the first copy is taking hand-overs now.
    bool isListening() const { return m_server.isListening(); }

    static QString defaultFolder();

Q_SIGNALS:
    // A later copy was launched, with these files and folders (maybe none).
    void pathsReceived(const QByteArrayList &paths);

private:
    bool listen();
    void onNewConnection();
    void serve(QLocalSocket *socket);
    // The server stopped listening: listen again.
    void checkListening();

    QString m_socketPath;
    QLockFile m_lock;
    QLocalServer m_server;
    QTimer m_watch; // while this is the first copy: checkListening()
    std::deque<QPointer<QLocalSocket>> m_clients; // open connections, oldest first
};

} // namespace sonvera
