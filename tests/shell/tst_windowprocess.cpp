// The window program as a process, with the real encoders: every way of
// closing it during a batch ends the process, stops its encoders and leaves
// nothing in the output folder, and the next launch opens its window.
#include "batchjournal.h"
#include "encodertestkit.h"
#include "processwatch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

class TestWindowProcess : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_programFolder; // the harness as "sonvera", beside the real encoders
    QString m_source;

    // Starts the harness with `files` (the long clip when none are named),
    // and `extra` in its environment.
    void start(QProcess &window, const QByteArray &action, const std::optional<QStringList> &files = std::nullopt,
               const QProcessEnvironment &extra = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(extra);
        env.insert(u"SONVERA_HARNESS"_s, QString::fromLatin1(action));
        env.insert(u"HOME"_s, m_dir.filePath(u"home"_s));
        env.insert(u"TMPDIR"_s, m_dir.filePath(u"tmp"_s));
        env.insert(u"XDG_RUNTIME_DIR"_s, m_dir.filePath(u"runtime"_s));
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        window.setProcessEnvironment(env);
        window.start(m_programFolder + u"/sonvera"_s, files.value_or(QStringList{m_source}));
    }

    // Waits for the harness to say `line`; collects the processes below it meanwhile.
    static bool waitFor(QProcess &window, const QByteArray &line, QList<qint64> &below, int timeoutMs = 15000)
    {
        QByteArray seen;
        for (int i = 0; i < timeoutMs / 50 && !seen.contains(line); ++i) {
            window.waitForReadyRead(50);
            seen += window.readAllStandardOutput();
        }
        for (qint64 pid : testsupport::descendantsOf(window.processId()))
            below << pid;
        return seen.contains(line);
    }

    QStringList outputFolderEntries() const
    {
        return QDir(m_programFolder + u"/output"_s).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_programFolder = m_dir.filePath(u"Sonvera"_s);
        for (const char *folder : {"Sonvera", "home", "tmp", "runtime"})
            QVERIFY(QDir().mkpath(m_dir.filePath(QString::fromLatin1(folder))));
        QFile::setPermissions(m_dir.filePath(u"runtime"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(QFile::copy(QStringLiteral(WINDOW_HARNESS_PATH), m_programFolder + u"/sonvera"_s));
        QFile::setPermissions(m_programFolder + u"/sonvera"_s, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(QFile::link(testkit::programFolder() + u"/data"_s, m_programFolder + u"/data"_s));
        // Long enough that the first stage is still running when the window is closed.
        m_source = m_dir.filePath(u"long clip.flv"_s);
        QVERIFY(testkit::makeSource(m_source, {u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=size=640x360:rate=30:duration=40"_s,
                                               u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=duration=40"_s, u"-c:v"_s, u"flv1"_s,
                                               u"-q:v"_s, u"10"_s, u"-c:a"_s, u"libmp3lame"_s, u"-shortest"_s}));
    }

    void closingDuringABatch_data()
    {
        QTest::addColumn<QByteArray>("action");
        QTest::addColumn<int>("signal"); // 0: the window's own Exit
        QTest::newRow("退出程序") << QByteArray("exit") << 0;
        QTest::newRow("SIGTERM") << QByteArray("start") << int(SIGTERM);
        QTest::newRow("SIGHUP") << QByteArray("start") << int(SIGHUP);
    }

    void closingDuringABatch()
    {
        QFETCH(QByteArray, action);
        QFETCH(int, signal);
        QFile::remove(m_programFolder + u"/setup.ini"_s);
        QProcess window;
        start(window, action);
        QList<qint64> below;
        QVERIFY(waitFor(window, "stage conv", below));
        // The encoder runs, and so does its ffmpeg.
        QTRY_VERIFY_WITH_TIMEOUT((below = testsupport::descendantsOf(window.processId())).size() >= 2, 15000);
        if (signal == 0)
            window.write("exit\n"); // the harness presses 退出程序
        else
            ::kill(pid_t(window.processId()), signal);
        QVERIFY2(window.state() == QProcess::NotRunning || window.waitForFinished(5000), "the window program did not end");
        QCOMPARE(window.exitStatus(), QProcess::NormalExit);
        for (qint64 pid : std::as_const(below))
            QVERIFY(testsupport::processEnded(pid));
        QTest::qWait(1000); // nothing appears later either
        QCOMPARE(outputFolderEntries(), QStringList());
        QVERIFY(QFileInfo(m_programFolder + u"/setup.ini"_s).isFile()); // saved, as by Exit
        // The file it was converting waits in the journal, for the next start to offer back.
        const QString journal = m_programFolder + u"/journal.dat"_s;
        QCOMPARE(BatchJournal(journal).load().entries.size(), 1);
        QVERIFY(QFile::remove(journal));

        // The one-copy lock went with it: the next launch opens its window.
        QProcess next;
        start(next, "show");
        QList<qint64> unused;
        QVERIFY(waitFor(next, "shown", unused));
        QVERIFY(next.state() == QProcess::NotRunning || next.waitForFinished(5000));
        QCOMPARE(next.exitCode(), 0);
    }

    // Whatever it finds, the window shows (in well under the 3 s a user
    // waits; a hang never shows) and ends on SIGTERM: buses that accept a
    // connection and never answer, FIFOs in place of the settings files or
    // the journal, a journal that is a link to /dev/zero.
    void theWindowStartsInAnyEnvironment_data()
    {
        QTest::addColumn<QString>("hazard");
        QTest::newRow("frozen buses") << u"bus"_s;
        for (const char *name : {"setup.ini", "options.ini", "preferences.ini", "journal.dat"})
            QTest::newRow(QByteArray(QByteArray("FIFO ") + name).constData()) << QString::fromLatin1(name);
        QTest::newRow("journal linked to /dev/zero") << u"zero"_s;
    }

    void theWindowStartsInAnyEnvironment()
    {
        QFETCH(QString, hazard);
        QLocalServer frozen; // listens, never reads nor writes
        QProcessEnvironment extra;
        QString placed;
        if (hazard == u"bus"_s) {
            QVERIFY(frozen.listen(m_dir.filePath(u"frozen-bus"_s)));
            const QString address = u"unix:path="_s + frozen.fullServerName();
            extra.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, address);
            extra.insert(u"DBUS_SYSTEM_BUS_ADDRESS"_s, address);
        } else if (hazard == u"zero"_s) {
            placed = m_programFolder + u"/journal.dat"_s;
            QFile::remove(placed);
            QVERIFY(QFile::link(u"/dev/zero"_s, placed));
        } else {
            placed = m_programFolder + u'/' + hazard;
            QFile::remove(placed);
            QCOMPARE(::mkfifo(QFile::encodeName(placed).constData(), 0600), 0);
        }
        const auto cleanUp = qScopeGuard([&placed] {
            if (!placed.isEmpty())
                QFile::remove(placed);
        });
        QProcess window;
        start(window, "idle", QStringList(), extra);
        QList<qint64> below;
        QVERIFY2(waitFor(window, "shown", below), qPrintable(hazard));
        ::kill(pid_t(window.processId()), SIGTERM);
        QVERIFY2(window.waitForFinished(10000), "the window program did not end on SIGTERM");
        QCOMPARE(window.exitStatus(), QProcess::NormalExit);
        QCOMPARE(window.exitCode(), 0);
        QVERIFY(QFileInfo(u"/dev/zero"_s).exists() && !QFileInfo(u"/dev/zero"_s).isFile());
    }

    // Killed without warning in the middle of a batch: the next start offers
    // the list back, and converting it gives every file exactly once, with
    // no part file left anywhere.
    void aKilledBatchIsOfferedBackAndConvertsOnce()
    {
        QDir(m_programFolder + u"/output"_s).removeRecursively();
        // The first file is long, so the kill comes in its first stage.
        QStringList files{m_dir.filePath(u"一.flv"_s), m_dir.filePath(u"two.flv"_s), m_dir.filePath(u"three.flv"_s)};
        QFile::remove(files[0]);
        QVERIFY(QFile::copy(m_source, files[0]));
        for (int i = 1; i < 3; ++i) {
            QVERIFY(testkit::makeSource(files[i], {u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=size=160x120:rate=15:duration=2"_s,
                                                   u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=duration=2"_s, u"-c:v"_s, u"flv1"_s,
                                                   u"-c:a"_s, u"libmp3lame"_s, u"-shortest"_s}));
        }
        const QString journal = m_programFolder + u"/journal.dat"_s;
        QFile::remove(journal);
        // 3GP is chosen for this list; setup.ini, never saved by the killed
        // run, would say RMVB: the restored list still converts to 3GP.
        QProcess killed;
        QProcessEnvironment format;
        format.insert(u"SONVERA_HARNESS_FORMAT"_s, u"7"_s);
        start(killed, "start", files, format);
        QList<qint64> below;
        QVERIFY(waitFor(killed, "stage conv", below));
        // The journal holds the list and its format (written within a second of the change).
        const auto journalled = [&journal] {
            const JournalContents contents = BatchJournal(journal).load();
            return contents.entries.size() == 3 && contents.settings && contents.settings->formatIndex == 7;
        };
        QTRY_VERIFY_WITH_TIMEOUT(journalled(), 15000);
        ::kill(pid_t(killed.processId()), SIGKILL);
        QVERIFY(killed.waitForFinished(5000));

        QProcess next;
        start(next, "restore", QStringList()); // no files of its own: only the restored list
        QList<qint64> unused;
        QVERIFY(waitFor(next, "shown", unused));
        QVERIFY2(waitFor(next, "done", unused, 120000), "the restored batch did not end");
        QVERIFY(next.state() == QProcess::NotRunning || next.waitForFinished(10000));

        const QStringList outputs = outputFolderEntries();
        QVERIFY2(outputs.size() == 3, qPrintable(outputs.join(u' '))); // no part file, no second copy
        for (const QString &base : {u"一-"_s, u"two-"_s, u"three-"_s})
            QCOMPARE(outputs.filter(QRegularExpression(u"^"_s + base + u".*\\.3gp$"_s)).size(), 1);
        QCOMPARE(QDir(m_dir.filePath(u"tmp"_s) + u"/sonvera-"_s + QString::number(::getuid()))
                     .entryList({u"run-*"_s}, QDir::Dirs),
                 QStringList()); // the killed run's folder was swept
    }
};

QTEST_GUILESS_MAIN(TestWindowProcess)
#include "tst_windowprocess.moc"
