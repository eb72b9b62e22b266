#pragma once

// The fake desktop services (notifications, launcher listener, logind) of
// fake_desktop_services, on the private session bus that ctest starts for a
// D-Bus test (dbus-run-session).
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QStringList>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// The helper program with the fake services; a fresh one for every test.
class FakeDesktop final {
public:
    bool start()
    {
        m_process.start(QStringLiteral(FAKE_DESKTOP_SERVICES), {});
        return m_process.waitForReadyRead(5000) && m_process.readAll().startsWith("ready");
    }
    void stop()
    {
        m_process.kill();
        m_process.waitForFinished();
        // Let the bus see the names go before the next test claims them.
        QTRY_VERIFY(!bus().interface()->isServiceRegistered(u"app.sonvera.FakeDesktop"_s));
    }

    // The fakes' record, optionally only the lines of one kind ("Notify", "Update", ...).
    // Being a call on the same connection, it comes after everything sent before it.
    QStringList log(const QString &kind = QString()) const
    {
        const QStringList all = call(u"Log"_s).toStringList();
        if (kind.isEmpty())
            return all;
        QStringList lines;
        for (const QString &line : all) {
            if (line.section(u'|', 0, 0) == kind)
                lines << line;
        }
        return lines;
    }
    int heldInhibitors() const { return call(u"HeldInhibitors"_s).toInt(); }

    QVariant call(const QString &method, const QVariantList &arguments = {}) const
    {
        QDBusMessage message = QDBusMessage::createMethodCall(u"app.sonvera.FakeDesktop"_s, u"/control"_s,
                                                              u"app.sonvera.FakeDesktop"_s, method);
        message.setArguments(arguments);
        const QDBusMessage reply = bus().call(message);
        return reply.arguments().value(0);
    }

    static QDBusConnection bus() { return QDBusConnection::sessionBus(); }

private:
    QProcess m_process;
};

