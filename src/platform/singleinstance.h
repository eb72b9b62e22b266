#pragma once

#include <QByteArrayList>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>

namespace sonvera {

// Keeps one copy of the window per user. The first copy holds a lock file in
// the user's runtime folder and listens on a local socket beside it; a later
// copy hands its file arguments to the first over that socket and ends. The
// socket lives apart from the work folder, so no folder of ours can stand
// where it should be.
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    // `folder` holds the lock file and the socket; by default the user's
    // runtime folder ($XDG_RUNTIME_DIR).
    explicit SingleInstance(const QString &folder = defaultFolder(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this is the first copy: it now holds the lock. It also
    // listens, unless the socket cannot be made (logged; the window still runs).
    bool claim();
    // For a later copy: passes `paths` (as the file system spells them, any
    // byte but NUL allowed) to the first copy and waits until it has them.
    // Returns "" on success, else why the first copy could not be reached.
    QString forward(const QByteArrayList &paths) const;

    static QString defaultFolder();

Q_SIGNALS:
    // A later copy was launched, with these files and folders (maybe none).
    void pathsReceived(const QByteArrayList &paths);

private:
    void onNewConnection();

    QString m_socketPath;
    QLockFile m_lock;
    QLocalServer m_server;
};

} // namespace sonvera
