#include "handoverframe.h"
#include "singleinstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QScopeGuard>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstring>
#include <poll.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

// The real wiring: the default folder from a temporary XDG_RUNTIME_DIR, and
// the real `sonvera` program as the second copy.
namespace {

// A connection that never sends anything; async-signal-safe, for a forked child.
void connectIdle(const QByteArray &socketPath)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
    ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

    QTemporaryDir m_runtime;
    QTemporaryDir m_home;

    // Launches the real program as a later copy; returns its exit code and standard error.
    std::pair<int, QString> launchSecondCopy(const QStringList &arguments)
    {
        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_RUNTIME_DIR"_s, m_runtime.path());
        env.insert(u"TMPDIR"_s, m_home.path());
        env.insert(u"HOME"_s, m_home.path());
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        env.insert(u"SONVERA_LANG"_s, u"en"_s); // its message is read in English
        second.setProcessEnvironment(env);
        second.setWorkingDirectory(m_home.path());
        second.start(qEnvironmentVariable("SONVERA_PROGRAM_DIR") + u"/sonvera"_s, arguments);
        // The first copy answers from this test's event loop: wait without blocking it.
        if (!QTest::qWaitFor([&second] { return second.state() == QProcess::NotRunning; }, 15000))
            second.kill();
        return {second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1,
                QString::fromUtf8(second.readAllStandardError())};
    }

private Q_SLOTS:
    void initTestCase()
    {
        QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
        QCOMPARE(SingleInstance::defaultFolder(), m_runtime.path());
    }

    void aSecondLaunchHandsOverItsFiles()
    {
        SingleInstance first;
        QVERIFY(first.claim());
        QSignalSpy received(&first, &SingleInstance::pathsReceived);

        // A line break inside a name must not split it; a relative name is made absolute.
        const QStringList names{u"/v/two\nlines.flv"_s, u"/v/视频 a.flv"_s, u"relative.flv"_s};
        const auto [code, err] = launchSecondCopy(names);
        QCOMPARE(code, 0);
        QVERIFY2(err.isEmpty(), qPrintable(err));
        QCOMPARE(received.count(), 1);
        const QByteArrayList expected{"/v/two\nlines.flv", u"/v/视频 a.flv"_s.toUtf8(),
                                      QFile::encodeName(m_home.path()) + "/relative.flv"};
        QCOMPARE(received.at(0).at(0).value<QByteArrayList>(), expected);

        // Without files it still reaches the first copy (to raise its window).
        QCOMPARE(launchSecondCopy({}).first, 0);
        QCOMPARE(received.count(), 2);
        QVERIFY(received.at(1).at(0).value<QByteArrayList>().isEmpty());
    }

    void aHandOverThatFailsIsSaid()
    {
        // A first copy that holds the lock but does not answer.
        QLockFile lock(SingleInstance::defaultFolder() + u"/sonvera.lock"_s);
        QVERIFY(lock.tryLock(0));
        const auto [code, err] = launchSecondCopy({u"/v/a.flv"_s});
        QCOMPARE(code, 1);
        QVERIFY2(err.contains(u"did not take the files"_s), qPrintable(err));
    }

    // Clients that are no launch of ours: whatever they send, no row comes
    // of it, and the connection is closed unanswered.
    void framesNoLaunchSendsAreRefused()
    {
        SingleInstance first;
        QVERIFY(first.claim());
        QSignalSpy received(&first, &SingleInstance::pathsReceived);
        const QList<QByteArray> frames{
            HandOverFrame::encode({""}), HandOverFrame::encode({"relative/path.flv"}),
            HandOverFrame::encode({"/v/a.flv", "-rf"}), HandOverFrame::encode({QByteArray("/v/nul\0.flv", 11)}),
            QByteArray("GET / HTTP/1.0\r\n\r\n"), QByteArray(HandOverFrame::kMaxFrameBytes + 1, '\0')};
        for (const QByteArray &frame : frames) {
            QLocalSocket client;
            QSignalSpy closed(&client, &QLocalSocket::disconnected);
            client.connectToServer(SingleInstance::defaultFolder() + u"/sonvera.socket"_s);
            QVERIFY(client.waitForConnected(5000));
            client.write(frame);
            QVERIFY(closed.wait(5000));
            QCOMPARE(client.bytesAvailable(), 0);
        }
        QCOMPARE(received.count(), 0);
        QCOMPARE(HandOverFrame::decode(HandOverFrame::encode({"/v/a.flv"})).paths, QByteArrayList{"/v/a.flv"});
    }

    // A burst of idle connections beyond what the window has descriptors
    // for, then a spell without any descriptor at all: later launches still
    // hand over their files.
    void theHandOverSurvivesOverload()
    {
        rlimit saved{};
        QVERIFY(::getrlimit(RLIMIT_NOFILE, &saved) == 0);
        const auto restore = qScopeGuard([&saved] { ::setrlimit(RLIMIT_NOFILE, &saved); });
        rlimit low = saved;
        low.rlim_cur = 200;
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &low) == 0);
        SingleInstance first;
        QVERIFY(first.claim());
        QSignalSpy received(&first, &SingleInstance::pathsReceived);

        const QByteArray socketPath = QFile::encodeName(SingleInstance::defaultFolder() + u"/sonvera.socket"_s);
        int done[2];
        QVERIFY(::pipe(done) == 0);
        const pid_t crowd = ::fork();
        if (crowd == 0) { // 400 idle connections, then a word to the test
            rlimit more = saved;
            ::setrlimit(RLIMIT_NOFILE, &more);
            for (int i = 0; i < 400; ++i)
                connectIdle(socketPath);
            [[maybe_unused]] const ssize_t n = ::write(done[1], "x", 1);
            ::pause();
            ::_exit(0);
        }
        ::close(done[1]);
        const auto stopCrowd = qScopeGuard([crowd] {
            ::kill(crowd, SIGKILL);
            ::waitpid(crowd, nullptr, 0);
        });
        QVERIFY(QTest::qWaitFor([&done] {
            pollfd ready{done[0], POLLIN, 0};
            return ::poll(&ready, 1, 0) == 1;
        }, 60000));
        ::close(done[0]);
        QCOMPARE(launchSecondCopy({u"/v/after-the-burst.flv"_s}).first, 0);
        QCOMPARE(received.count(), 1);

        // No descriptor left at all: accepting fails, and Qt closes the server.
        // (Taken again as they come free: the burst's connections are still closing.)
        QList<int> fillers;
        const auto takeEveryDescriptor = [&fillers] {
            for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
                fillers << fd;
            return true;
        };
        takeEveryDescriptor();
        const pid_t knocker = ::fork();
        if (knocker == 0) {
            ::close(fillers.last());
            connectIdle(socketPath);
            ::pause();
            ::_exit(0);
        }
        const auto stopKnocker = qScopeGuard([knocker] {
            ::kill(knocker, SIGKILL);
            ::waitpid(knocker, nullptr, 0);
        });
        QTRY_VERIFY(takeEveryDescriptor() && !first.isListening());
        for (int fd : std::as_const(fillers))
            ::close(fd);
        QTRY_VERIFY_WITH_TIMEOUT(first.isListening(), 10000);
        QCOMPARE(launchSecondCopy({u"/v/after-the-spell.flv"_s}).first, 0);
        QCOMPARE(received.count(), 2);
    }

    void theLockIsFreeAgainAfterTheFirstCopyEnds()
    {
        {
            SingleInstance first;
            QVERIFY(first.claim());
        }
        SingleInstance next;
        QVERIFY(next.claim());
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
