// The GNU parallel recipe of docs/many-machines.md for nodes without a shared
// folder, over SSH for real: a private sshd on 127.0.0.1 (its own port, host
// key, authorized key and configuration; a system sshd is neither needed nor
// touched) is both "node1" and "node2". Through nss_wrapper it sees the
// user's home in a folder of the test's own, which stands for the node's
// disk, so nothing lands in the real home.
#include "encodertestkit.h"
#include "manymachines.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera::manymachines;
using namespace sonvera::testkit;

namespace {

QString nssWrapper()
{
    QStringList folders = QDir(u"/usr/lib"_s).entryList({u"*-linux-gnu*"_s}, QDir::Dirs);
    folders << u"."_s;
    for (const QString &folder : std::as_const(folders)) {
        const QString path = QDir::cleanPath(u"/usr/lib/"_s + folder + u"/libnss_wrapper.so"_s);
        if (QFile::exists(path))
            return path;
    }
    return {};
}

bool writeText(const QString &path, const QString &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) == text.toUtf8().size();
}

// The text of `path`, or "" when it cannot be read.
QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

class PrivateSshd {
public:
    explicit PrivateSshd(const QString &folder) : m_folder(folder)
    {
        for (const QString &tool : {u"/usr/sbin/sshd"_s, u"/usr/bin/ssh"_s, u"/usr/bin/ssh-keygen"_s, u"/usr/bin/rsync"_s,
                                    u"/usr/bin/parallel"_s}) {
            if (!QFile::exists(tool))
                m_whyNot = u"needs "_s + tool + u" (see scripts/install-deps.sh)"_s;
        }
        if (nssWrapper().isEmpty())
            m_whyNot = u"needs libnss_wrapper.so (Debian's libnss-wrapper, see scripts/install-deps.sh)"_s;
        if (m_whyNot.isEmpty())
            m_error = start();
    }
    ~PrivateSshd()
    {
        m_sshd.terminate();
        if (!m_sshd.waitForFinished(30000))
            m_sshd.kill();
        m_sshd.waitForFinished();
    }

    QString whyNot() const { return m_whyNot; }
    QString error() const { return m_error; }
    // The node's side: the home folder its logins start in.
    QString home() const { return m_folder + u"/home"_s; }
    // What makes GNU parallel log in here as "node1" and "node2".
    QString sshCommand() const { return u"ssh -F "_s + m_folder + u"/ssh_config"_s; }

private:
    QString start()
    {
        const QString f = m_folder;
        QDir().mkpath(home());
        for (const char *key : {"host_key", "client_key"}) {
            const Run made = runProgram(u"ssh-keygen"_s, {u"-q"_s, u"-t"_s, u"ed25519"_s, u"-N"_s, QString(), u"-f"_s,
                                                           f + u'/' + QLatin1StringView(key)});
            if (made.exitCode != 0)
                return u"ssh-keygen: "_s + made.output;
        }
        // sshd looks up the user's home (and its own privilege separation
        // user) through NSS: the wrapper serves the system's files, with this
        // user's home moved to the node's folder.
        const passwd *me = ::getpwuid(::getuid());
        QStringList users = readText(u"/etc/passwd"_s).split(u'\n', Qt::SkipEmptyParts);
        for (QString &line : users) {
            QStringList fields = line.split(u':');
            if (me && fields.size() == 7 && fields.at(0) == QString::fromLocal8Bit(me->pw_name)) {
                fields[5] = home();
                line = fields.join(u':');
            }
        }
        const int port = freePort();
        const QString config = u"Port %1\nListenAddress 127.0.0.1\nHostKey %2/host_key\nPidFile %2/sshd.pid\n"
                               "AuthorizedKeysFile %2/client_key.pub\nPasswordAuthentication no\n"
                               "KbdInteractiveAuthentication no\nPermitRootLogin prohibit-password\nUsePAM no\n"
                               "StrictModes no\nSetEnv PATH=%3:/usr/local/bin:/usr/bin:/bin\n"_s.arg(port).arg(f, programFolder());
        const QString client = u"Host node1 node2\n  HostName 127.0.0.1\n  Port %1\n  User %2\n  IdentityFile %3/client_key\n"
                               "  IdentitiesOnly yes\n  UserKnownHostsFile %3/known_hosts\n  StrictHostKeyChecking yes\n"
                               "  BatchMode yes\n"_s.arg(port).arg(QString::fromLocal8Bit(me ? me->pw_name : "root"), f);
        if (!writeText(f + u"/passwd"_s, users.join(u'\n') + u'\n') || !writeText(f + u"/sshd_config"_s, config)
            || !writeText(f + u"/ssh_config"_s, client)
            || !writeText(f + u"/known_hosts"_s, u"[127.0.0.1]:%1 "_s.arg(port) + readText(f + u"/host_key.pub"_s)))
            return u"cannot write the configuration in "_s + f;
        // sshd insists on its privilege separation folder, which a system
        // that never started the service lacks.
        if (!QDir(u"/run/sshd"_s).exists() && !QDir().mkpath(u"/run/sshd"_s))
            return u"cannot make /run/sshd"_s;

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"LD_PRELOAD"_s, nssWrapper());
        env.insert(u"NSS_WRAPPER_PASSWD"_s, f + u"/passwd"_s);
        env.insert(u"NSS_WRAPPER_GROUP"_s, u"/etc/group"_s);
        m_sshd.setProcessEnvironment(env);
        m_sshd.setProcessChannelMode(QProcess::MergedChannels);
        m_sshd.start(u"/usr/sbin/sshd"_s, {u"-D"_s, u"-e"_s, u"-f"_s, f + u"/sshd_config"_s});
        QString log;
        const auto listening = [&] {
            log += QString::fromUtf8(m_sshd.readAll());
            return log.contains(u"Server listening on 127.0.0.1"_s) || m_sshd.state() == QProcess::NotRunning;
        };
        if (!QTest::qWaitFor(listening, 30000) || m_sshd.state() == QProcess::NotRunning)
            return u"sshd did not start: "_s + log;
        return {};
    }

    QString m_folder;
    QString m_whyNot;
    QString m_error;
    QProcess m_sshd;
};

} // namespace

class TestSshNodes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Five clips go to the nodes and come back converted, each once, in the
    // folder of its job; the joblog is all 0 and the nodes keep nothing.
    void recipeWithoutASharedFolder()
    {
        if (::geteuid() != 0)
            QSKIP("needs root: runs an sshd of its own, which logs in as this user");
        QTemporaryDir dir;
        const PrivateSshd sshd(dir.filePath(u"node"_s));
        if (!sshd.whyNot().isEmpty())
            QSKIP(qPrintable(sshd.whyNot()));
        QVERIFY2(sshd.error().isEmpty(), qPrintable(sshd.error()));

        const QString work = dir.filePath(u"work"_s);
        QVERIFY(QDir().mkpath(work + u"/clips"_s));
        const QStringList names{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s};
        for (const QString &name : names)
            QVERIFY(makeClip(work + u"/clips/"_s + name + u".flv"_s));
        QCOMPARE(runShell(work, {u"-c"_s, u"find clips -iname '*.flv' -print0 | sort -z > files.list"_s}), 0);

        const QString recipe = documentedBlock(u"tst_ssh_nodes.cpp"_s);
        QVERIFY2(recipe.contains(u"--transferfile"_s) && recipe.contains(u"--cleanup"_s), qPrintable(recipe));
        QCOMPARE(runShell(work, {u"-c"_s, recipe}, {u"PARALLEL_SSH="_s + sshd.sshCommand()}, 240000), 0);

        QCOMPARE(jobExits(work + u"/convert.log"_s),
                 (QStringList{u"1:0"_s, u"2:0"_s, u"3:0"_s, u"4:0"_s, u"5:0"_s}));
        for (int job = 1; job <= names.size(); ++job) {
            const QString folder = work + u"/converted/"_s + QString::number(job);
            const QStringList back = filesIn(folder);
            QCOMPARE(back.size(), 1);
            QVERIFY2(back.first().startsWith(names.at(job - 1) + u'-'), qPrintable(back.first()));
            const Probe p = probe(folder + u'/' + back.first());
            QVERIFY2(p.ok && p.videoCodec == u"rv10"_s && qAbs(p.duration - 1.0) < 0.3, qPrintable(back.first()));
        }
        QCOMPARE(filesIn(work + u"/converted"_s), QStringList()); // nothing beside the job folders
        QCOMPARE(QDir(work + u"/converted"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), names.size());

        // The node's work folders went with --cleanup: no file is left there.
        QStringList left;
        QDirIterator it(sshd.home(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext())
            left << it.next();
        QCOMPARE(left, QStringList());
        QCOMPARE(QDir(sshd.home() + u"/.parallel/tmp"_s).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestSshNodes)
#include "tst_ssh_nodes.moc"
