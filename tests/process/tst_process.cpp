// What the programs share at process level, where the risk is: which part
// files a sweep may take, publishing on file systems that refuse the usual
// way, and stop signals arriving as events.
#include "partfiles.h"
#include "publish.h"
#include "stopsignals.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

namespace {

extern "C" void ownHandler(int) {}

void (*handlerOf(int signal))(int)
{
    struct sigaction current = {};
    ::sigaction(signal, nullptr, &current);
    return current.sa_handler;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList everything(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// An sshfs mount of a local folder, served by sftp-server over a pipe (no
// network, no sshd). FUSE file systems like it refuse rename's
// RENAME_NOREPLACE, as NFS does; with `disable_hardlink` they refuse hard
// links too, as FAT does.
class SftpMount {
public:
    SftpMount(const QString &base, const QString &extraOptions)
        : m_served(base + u"/served"_s), m_point(base + u"/mount"_s)
    {
        QDir().mkpath(m_served);
        QDir().mkpath(m_point);
        const QString server = u"/usr/lib/openssh/sftp-server"_s;
        const QString sshfs = QStandardPaths::findExecutable(u"sshfs"_s);
        if (sshfs.isEmpty() || !QFile::exists(server) || ::access("/dev/fuse", R_OK | W_OK) != 0) {
            m_whyNot = u"needs sshfs and openssh's sftp-server (see scripts/install-deps.sh) and access to /dev/fuse "
                       "(root)"_s;
            return;
        }
        const QString options = extraOptions.isEmpty() ? u"passive"_s : u"passive,"_s + extraOptions;
        m_shell.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_shell.start(u"bash"_s, {u"-c"_s, u"mkfifo \"$1\" && \"$2\" < \"$1\" | \"$3\" -f -o \"$4\" \":$5\" \"$6\" > \"$1\""_s,
                                  u"sftp"_s, base + u"/pipe"_s, server, sshfs, options, m_served, m_point});
        const dev_t before = deviceOf(m_point);
        const bool mounted = QTest::qWaitFor(
            [&] { return deviceOf(m_point) != before || m_shell.state() == QProcess::NotRunning; }, 20000);
        if (!mounted || deviceOf(m_point) == before)
            m_whyNot = u"sshfs could not mount here (FUSE needs root or the fuse group)"_s;
    }
    ~SftpMount()
    {
        if (m_shell.state() == QProcess::NotRunning)
            return;
        QProcess::execute(u"fusermount3"_s, {u"-u"_s, m_point}); // sshfs ends, then sftp-server
        if (!m_shell.waitForFinished(20000))
            m_shell.kill();
        m_shell.waitForFinished();
    }

    QString whyNot() const { return m_whyNot; }
    QString folder() const { return m_point; }

private:
    static dev_t deviceOf(const QString &path)
    {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_dev : 0;
    }

    QString m_served;
    QString m_point;
    QString m_whyNot;
    QProcess m_shell;
};

} // namespace

class TestProcess : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A sweep takes only files of our exact current naming, made on this
    // host, that nobody claims; the user's look-alikes, another host's work
    // and work still being written stay.
    void sweepTakesOnlyAbandonedPartFiles()
    {
        QTemporaryDir dir;
        int error = 0;
        const PartFile writing = PartFile::create(dir.path(), error);
        QVERIFY2(!writing.path().isEmpty(), qPrintable(qt_error_string(error)));
        PartFile abandoned = PartFile::create(dir.path(), error);
        abandoned.release(); // as a run that died leaves it
        QVERIFY(abandoned.path().isEmpty() && everything(dir.path()).size() == 2);

        const QString tag = QString::fromLatin1(thisWriter().text());
        const QStringList kept{
            u".thesis.part-99999.odt"_s, u".backup.part-4242"_s, u".sonvera-4242.part"_s, // look-alikes
            u".sonvera-00000000-"_s + tag.mid(9) + u"-0123abcd.part"_s,                  // another host's
            u".sonvera-"_s + tag + u"-0123abcd.part.odt"_s, u".sonvera-"_s + tag + u"-0123ABCD.part"_s,
        };
        for (const QString &name : kept)
            QVERIFY(writeFile(dir.filePath(name), "the user's"));
        // Names of ours that are not files of ours: a folder, a link to one.
        const QString folderName = u".sonvera-"_s + tag + u"-00000001.part"_s;
        const QString linkName = u".sonvera-"_s + tag + u"-00000002.part"_s;
        QVERIFY(QDir(dir.path()).mkdir(folderName));
        QVERIFY(writeFile(dir.filePath(u"target"_s), "linked"));
        QVERIFY(QFile::link(dir.filePath(u"target"_s), dir.filePath(linkName)));

        QCOMPARE(sweepDeadPartFiles(dir.path()), 1);
        QStringList expected = kept;
        expected << folderName << linkName << u"target"_s << QFileInfo(writing.path()).fileName();
        expected.sort();
        QCOMPARE(everything(dir.path()), expected);
        QCOMPARE(readFile(dir.filePath(u".thesis.part-99999.odt"_s)), "the user's");
        QCOMPARE(readFile(dir.filePath(u"target"_s)), "linked");
    }

    // The claim ends with its writer, however it ends: a writer killed with
    // SIGKILL leaves a file that the next sweep takes.
    void aKilledWritersFileIsSwept()
    {
        QTemporaryDir dir;
        int ready[2];
        QVERIFY(::pipe(ready) == 0);
        const pid_t writer = ::fork();
        QVERIFY(writer >= 0);
        if (writer == 0) {
            int error = 0;
            const PartFile part = PartFile::create(dir.path(), error);
            const char done = part.path().isEmpty() ? 'n' : 'y';
            [[maybe_unused]] const ssize_t n = ::write(ready[1], &done, 1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char done = 0;
        QCOMPARE(::read(ready[0], &done, 1), 1);
        ::close(ready[0]);
        QCOMPARE(done, 'y');
        QCOMPARE(everything(dir.path()).size(), 1);

        QCOMPARE(sweepDeadPartFiles(dir.path()), 0); // its writer still runs
        ::kill(writer, SIGKILL);
        int status = 0;
        QCOMPARE(::waitpid(writer, &status, 0), writer);
        QCOMPARE(sweepDeadPartFiles(dir.path()), 1);
        QCOMPARE(everything(dir.path()), QStringList());
    }

    // Where rename cannot refuse to replace (NFS, FUSE file systems such as
    // sshfs) the file is published with a hard link; where there are no hard
    // links either, by claiming the name with an exclusive create first.
    // Either way nothing that exists is replaced.
    void publishingWithoutRenameNoReplace_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<int>("linkError");
        QTest::newRow("hard links") << QString() << 0;
        QTest::newRow("no hard links") << u"disable_hardlink"_s << int(EPERM);
    }
    void publishingWithoutRenameNoReplace()
    {
        QFETCH(QString, options);
        QFETCH(int, linkError);
        QTemporaryDir dir;
        const SftpMount mount(dir.path(), options);
        if (!mount.whyNot().isEmpty())
            QSKIP(qPrintable(mount.whyNot()));
        const QString folder = mount.folder();
        QVERIFY(writeFile(folder + u"/a"_s, "a") && writeFile(folder + u"/b"_s, "b"));
        // The file system is what this test is about.
        errno = 0;
        QCOMPARE(::renameat2(AT_FDCWD, QFile::encodeName(folder + u"/a"_s).constData(), AT_FDCWD,
                             QFile::encodeName(folder + u"/c"_s).constData(), RENAME_NOREPLACE),
                 -1);
        QCOMPARE(errno, EINVAL);
        errno = 0;
        ::link(QFile::encodeName(folder + u"/a"_s).constData(), QFile::encodeName(folder + u"/c"_s).constData());
        QCOMPARE(errno, linkError);
        for (const char *name : {"/a", "/b", "/c"})
            QFile::remove(folder + QLatin1StringView(name));

        QVERIFY(writeFile(folder + u"/talk.mp3"_s, "the user's"));
        int error = 0;
        for (const QString &expected : {u"talk-2.mp3"_s, u"talk-3.mp3"_s}) {
            PartFile part = PartFile::create(folder, error);
            QVERIFY2(!part.path().isEmpty(), qPrintable(qt_error_string(error)));
            QFile out(part.path());
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write(expected.toUtf8()) > 0);
            out.close();
            const PublishResult published = publishWithoutReplacing(part.path(), folder + u"/talk.mp3"_s);
            QCOMPARE(published.error, 0);
            QCOMPARE(published.path, folder + u'/' + expected);
            part.release();
            QCOMPARE(readFile(published.path), expected.toUtf8());
        }
        QCOMPARE(readFile(folder + u"/talk.mp3"_s), "the user's");
        QCOMPARE(everything(folder), (QStringList{u"talk-2.mp3"_s, u"talk-3.mp3"_s, u"talk.mp3"_s}));
    }

    // A stop signal becomes an event on the event loop and does not end the
    // program; a reader that went away makes a write fail instead of killing.
    void stopSignalsArriveAsEvents()
    {
        StopSignals signals;
        QVERIFY(signals.isWatching());
        QSignalSpy stops(&signals, &StopSignals::stopRequested);
        for (const int signal : {SIGTERM, SIGINT, SIGHUP})
            ::raise(signal);
        QTRY_COMPARE(stops.size(), 3);
        QCOMPARE(stops.at(0).at(0).toInt(), SIGTERM);
        QCOMPARE(stops.at(2).at(0).toInt(), SIGHUP);

        int pipe[2];
        QVERIFY(::pipe(pipe) == 0);
        ::close(pipe[0]);
        errno = 0;
        QCOMPARE(::write(pipe[1], "x", 1), -1);
        QCOMPARE(errno, EPIPE);
        ::close(pipe[1]);
    }

    // While it lives every disposition is its own; afterwards each is as it
    // was found: a program started under nohup keeps ignoring SIGHUP, and
    // SIGPIPE kills again.
    void theDispositionsFoundAreRestored()
    {
        ::signal(SIGHUP, SIG_IGN);
        ::signal(SIGTERM, ownHandler);
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGPIPE, SIG_DFL);
        {
            StopSignals stops;
            QVERIFY(stops.isWatching());
            QVERIFY(handlerOf(SIGPIPE) == SIG_IGN);
        }
        QVERIFY(handlerOf(SIGHUP) == SIG_IGN);
        QVERIFY(handlerOf(SIGTERM) == &ownHandler);
        QVERIFY(handlerOf(SIGINT) == SIG_DFL);
        QVERIFY(handlerOf(SIGPIPE) == SIG_DFL);
    }
};

QTEST_GUILESS_MAIN(TestProcess)
#include "tst_process.moc"
