#include "singleinstance.h"

#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

// The real wiring: the default folder from a temporary XDG_RUNTIME_DIR, and
// the real `sonvera` program as the second copy.
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
