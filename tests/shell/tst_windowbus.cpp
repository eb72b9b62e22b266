// The real window program on a real (virtual) X display, where Qt's own
// platform code talks to the session bus, with a session bus that accepts a
// connection and never answers: the window is on screen within seconds and
// the program ends on SIGTERM. Runs under scripts/under-window-manager.sh.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace Qt::Literals::StringLiterals;

class TestWindowBus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aSilentSessionBusHoldsNothingUp()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "run under scripts/under-window-manager.sh");
        QTemporaryDir dir;
        const QString program = dir.filePath(u"Sonvera/sonvera"_s);
        for (const char *folder : {"Sonvera", "home", "tmp", "runtime"})
            QVERIFY(QDir().mkpath(dir.filePath(QString::fromLatin1(folder))));
        QFile::setPermissions(dir.filePath(u"runtime"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(QFile::copy(QStringLiteral(SONVERA_PATH), program));

        QLocalServer silent; // listens (the kernel accepts), never reads nor writes
        QVERIFY(silent.listen(dir.filePath(u"silent-bus"_s)));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path="_s + silent.fullServerName());
        env.insert(u"HOME"_s, dir.filePath(u"home"_s));
        env.insert(u"TMPDIR"_s, dir.filePath(u"tmp"_s));
        env.insert(u"XDG_RUNTIME_DIR"_s, dir.filePath(u"runtime"_s));
        env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        env.remove(u"QT_ACCESSIBILITY"_s);
        QProcess window;
        window.setProcessEnvironment(env);
        window.setProcessChannelMode(QProcess::ForwardedChannels);
        QElapsedTimer clock;
        clock.start();
        window.start(program, QStringList());
        QVERIFY(window.waitForStarted());

        // The window mapped on the screen: xdotool waits for it to be viewable.
        QProcess search;
        search.start(u"xdotool"_s, {u"search"_s, u"--sync"_s, u"--onlyvisible"_s, u"--pid"_s,
                                    QString::number(window.processId())});
        const bool shown = search.waitForFinished(15000) && search.exitCode() == 0;
        const qint64 ms = clock.elapsed();
        search.kill();
        qInfo("the window was on screen after %lld ms", ms);
        QVERIFY2(shown, "no window on screen");
        QVERIFY2(!search.readAllStandardOutput().trimmed().isEmpty(), "xdotool found no window");

        ::kill(pid_t(window.processId()), SIGTERM);
        QVERIFY2(window.waitForFinished(10000), "the window program did not end on SIGTERM");
        QCOMPARE(window.exitStatus(), QProcess::NormalExit);
        QCOMPARE(window.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestWindowBus)
#include "tst_windowbus.moc"
