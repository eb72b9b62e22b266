// Stand-ins for the desktop's D-Bus services on a private session bus: a
// notification server, logind's manager (inhibitors, CanPowerOff, CanSuspend,
// PowerOff, Suspend), a file manager's ShowItems, and a listener for launcher-entry signals. Everything they receive is recorded;
// the tests read the record and steer the fakes over app.sonvera.FakeDesktop.
// Prints "ready" once every name is owned.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// What every fake saw, in order: one line per call or signal, fields split by "|".
QStringList g_log;

class FakeNotifications final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public Q_SLOTS:
    uint Notify(const QString &app, uint replaces, const QString &icon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints, int timeout)
    {
        const uint id = replaces != 0 ? replaces : m_nextId++;
        g_log << QStringList{u"Notify"_s, QString::number(id), app, QString::number(replaces), icon, summary, body,
                             actions.join(u','), hints.value(u"desktop-entry"_s).toString(),
                             QString::number(timeout)}
                     .join(u'|');
        return id;
    }
    QStringList GetCapabilities() { return {u"actions"_s, u"body"_s}; }

Q_SIGNALS:
    void ActionInvoked(uint id, const QString &actionKey);

private:
    uint m_nextId = 41;
};

class FakeLogin1Manager final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    int inhibitDelayMs = 0;
    bool refusePower = false;
    QString canAnswer = u"yes"_s; // what CanPowerOff and CanSuspend say
    int held = 0; // inhibitor descriptors handed out and not yet closed by every holder

public Q_SLOTS:
    QDBusUnixFileDescriptor Inhibit(const QString &what, const QString &who, const QString &why, const QString &mode)
    {
        g_log << QStringList{u"Inhibit"_s, what, who, why, mode}.join(u'|');
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            sendErrorReply(QDBusError::Failed, u"pipe failed"_s);
            return {};
        }
        // As logind does: we keep the read end and learn that every holder
        // has let go when it reads end-of-file.
        ++held;
        auto *notifier = new QSocketNotifier(fds[0], QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this, notifier, readEnd = fds[0]] {
            char byte;
            if (::read(readEnd, &byte, 1) > 0)
                return;
            notifier->setEnabled(false);
            notifier->deleteLater();
            ::close(readEnd);
            --held;
            g_log << u"InhibitorClosed"_s;
        });
        QDBusUnixFileDescriptor fd(fds[1]); // a duplicate: ours is closed right away
        ::close(fds[1]);
        if (inhibitDelayMs <= 0)
            return fd;
        setDelayedReply(true);
        QTimer::singleShot(inhibitDelayMs, this, [reply = message().createReply(QVariant::fromValue(fd))] {
            g_log << u"InhibitReplied"_s;
            QDBusConnection::sessionBus().send(reply);
        });
        return {};
    }
    QString CanPowerOff() { return canAnswer; }
    QString CanSuspend() { return canAnswer; }
    void PowerOff(bool interactive) { power(u"PowerOff"_s, interactive); }
    void Suspend(bool interactive) { power(u"Suspend"_s, interactive); }

private:
    void power(const QString &what, bool interactive)
    {
        g_log << what + u'|' + (interactive ? u"true"_s : u"false"_s);
        if (refusePower)
            sendErrorReply(QDBusError::AccessDenied, u"Access denied"_s);
    }
};

class FakeFileManager final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public Q_SLOTS:
    void ShowItems(const QStringList &uris, const QString &startupId)
    {
        g_log << QStringList{u"ShowItems"_s, uris.join(u','), startupId}.join(u'|');
    }
};

class LauncherListener final : public QObject {
    Q_OBJECT

public Q_SLOTS:
    void onUpdate(const QString &appUri, const QVariantMap &properties)
    {
        QStringList fields{u"Update"_s, appUri};
        for (auto it = properties.cbegin(); it != properties.cend(); ++it) // QVariantMap: sorted by key
            fields << it.key() + u'=' + it.value().toString();
        g_log << fields.join(u'|');
    }
};

class Control final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "app.sonvera.FakeDesktop")

public:
    Control(FakeNotifications *notifications, FakeLogin1Manager *logind)
        : m_notifications(notifications)
        , m_logind(logind)
    {
    }

public Q_SLOTS:
    QStringList Log() { return g_log; }
    int HeldInhibitors() { return m_logind->held; }
    void SetInhibitDelay(int ms) { m_logind->inhibitDelayMs = ms; }
    void SetRefusePower(bool refuse) { m_logind->refusePower = refuse; }
    void SetCanAnswer(const QString &answer) { m_logind->canAnswer = answer; }
    void EmitActionInvoked(uint id, const QString &actionKey) { Q_EMIT m_notifications->ActionInvoked(id, actionKey); }

private:
    FakeNotifications *m_notifications;
    FakeLogin1Manager *m_logind;
};

} // namespace

int main(int argc, char **argv)
{
    ::prctl(PR_SET_PDEATHSIG, SIGTERM); // never outlive the test that started us
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "fake_desktop_services: no session bus\n");
        return 1;
    }
    FakeNotifications notifications;
    FakeLogin1Manager logind;
    FakeFileManager fileManager;
    LauncherListener listener;
    Control control(&notifications, &logind);
    const auto exported = QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals;
    const bool ok = bus.registerObject(u"/org/freedesktop/Notifications"_s, &notifications, exported)
                    && bus.registerObject(u"/org/freedesktop/login1"_s, &logind, exported)
                    && bus.registerObject(u"/org/freedesktop/FileManager1"_s, &fileManager, exported)
                    && bus.registerObject(u"/control"_s, &control, exported)
                    && bus.connect(QString(), QString(), u"com.canonical.Unity.LauncherEntry"_s, u"Update"_s,
                                   &listener, SLOT(onUpdate(QString, QVariantMap)))
                    && bus.registerService(u"org.freedesktop.Notifications"_s)
                    && bus.registerService(u"org.freedesktop.login1"_s)
                    && bus.registerService(u"org.freedesktop.FileManager1"_s)
                    && bus.registerService(u"app.sonvera.FakeDesktop"_s);
    if (!ok) {
        std::fprintf(stderr, "fake_desktop_services: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

#include "fake_desktop_services.moc"
