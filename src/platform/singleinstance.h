#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QStringList>

#include <memory>

namespace sonvera {

// Keeps one copy of the window per user. The first copy holds a lock file in
// the private work folder and listens on a local socket; a later copy hands
// its file arguments to the first over that socket and ends.
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    // `lockFolder` is the private work folder; `key` names the socket
    // (tests use their own key so they never meet a running Sonvera).
    SingleInstance(const QString &lockFolder, const QString &key, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this is the first copy: it now holds the lock and listens.
    bool claim();
    // For a later copy: passes `paths` to the first copy. Returns false when
    // the first copy could not be reached.
    bool forward(const QStringList &paths) const;

    static QString defaultKey();

Q_SIGNALS:
    // A later copy was launched, with these files and folders (maybe none).
    void pathsReceived(const QStringList &paths);

private:
    void onNewConnection();

    QString m_key;
    QLockFile m_lock;
    QLocalServer m_server;
};

} // namespace sonvera
