// The Slurm recipe of docs/many-machines.md on a real one-node cluster of the
// test's own: munged, slurmctld and slurmd from Debian's packages, with a
// generated slurm.conf (this host as the only node, no accounting), private
// folders and free ports on 127.0.0.1. Everything started is stopped again,
// also when the test fails.
#include "manymachines.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera::manymachines;

namespace {

QString run(const QString &program, const QStringList &arguments, const QProcessEnvironment &env, int *exitCode = nullptr)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    const bool ended = p.waitForFinished(60000);
    if (exitCode)
        *exitCode = ended && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAll()).trimmed();
}

// munged, slurmctld and slurmd in `folder`, for as long as this object lives.
class OneNodeCluster {
public:
    explicit OneNodeCluster(const QString &folder) : m_folder(folder)
    {
        for (const char *tool : {"munged", "mungekey", "slurmctld", "slurmd", "sbatch", "scontrol", "sinfo", "scancel"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool), {u"/usr/sbin"_s, u"/usr/bin"_s}).isEmpty()) {
                m_whyNot = u"needs Debian's slurm-wlm and munge (see scripts/install-deps.sh)"_s;
                return;
            }
        }
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(u"SLURM_CONF"_s, folder + u"/slurm.conf"_s);
        m_error = start();
    }
    ~OneNodeCluster()
    {
        if (m_slurmctld.state() != QProcess::NotRunning)
            run(u"scancel"_s, {u"--user=root"_s, u"--full"_s, u"--signal=KILL"_s}, m_env);
        for (QProcess *daemon : {&m_slurmd, &m_slurmctld, &m_munged}) {
            if (daemon->state() == QProcess::NotRunning)
                continue;
            daemon->terminate();
            if (!daemon->waitForFinished(30000)) {
                daemon->kill();
                daemon->waitForFinished();
            }
        }
    }

    QString whyNot() const { return m_whyNot; } // set when the test cannot run here
    QString error() const { return m_error; }   // set when the cluster did not come up
    const QProcessEnvironment &environment() const { return m_env; }

private:
    QString start()
    {
        const QString f = m_folder;
        QDir().mkpath(f + u"/state"_s);
        QDir().mkpath(f + u"/spool"_s);
        if (!QFile::setPermissions(f, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther))
            return u"cannot set up "_s + f;
        int status = 0;
        const QString key = run(u"mungekey"_s, {u"--create"_s, u"--keyfile"_s, f + u"/munge.key"_s}, m_env, &status);
        if (status != 0)
            return u"mungekey: "_s + key;
        startDaemon(m_munged, u"munged"_s, {u"--foreground"_s, u"--force"_s, u"--socket"_s, f + u"/munge.socket"_s,
                                            u"--key-file"_s, f + u"/munge.key"_s, u"--log-file"_s, f + u"/munged.log"_s,
                                            u"--pid-file"_s, f + u"/munged.pid"_s, u"--seed-file"_s, f + u"/munged.seed"_s});
        if (!QTest::qWaitFor([&] { return QFile::exists(f + u"/munge.socket"_s) || m_munged.state() == QProcess::NotRunning; }, 30000)
            || !QFile::exists(f + u"/munge.socket"_s))
            return u"munged did not start"_s;

        const QString host = QSysInfo::machineHostName().section(u'.', 0, 0);
        QString node = run(u"slurmd"_s, {u"-C"_s}, m_env).section(u'\n', 0, 0);
        node.replace(QRegularExpression(u"^NodeName=\\S+"_s), u"NodeName="_s + host + u" NodeAddr=127.0.0.1"_s);
        if (!node.contains(u"CPUs="_s))
            return u"slurmd -C did not describe this machine: "_s + node;
        QFile conf(f + u"/slurm.conf"_s);
        if (!conf.open(QIODevice::WriteOnly))
            return u"cannot write slurm.conf"_s;
        conf.write(u"ClusterName=sonvera\nSlurmctldHost=%1(127.0.0.1)\nSlurmctldPort=%2\nSlurmdPort=%3\n"
                   "SlurmUser=root\nSlurmdUser=root\nAuthType=auth/munge\nCredType=cred/munge\nAuthInfo=socket=%4/munge.socket\n"
                   "StateSaveLocation=%4/state\nSlurmdSpoolDir=%4/spool\nSlurmctldPidFile=%4/slurmctld.pid\n"
                   "SlurmdPidFile=%4/slurmd.pid\nSlurmctldLogFile=%4/slurmctld.log\nSlurmdLogFile=%4/slurmd.log\n"
                   "ProctrackType=proctrack/linuxproc\nTaskPlugin=task/none\nMpiDefault=none\n"
                   "SchedulerType=sched/builtin\nSelectType=select/cons_tres\nSelectTypeParameters=CR_Core\n"
                   "AccountingStorageType=accounting_storage/none\nJobAcctGatherType=jobacct_gather/none\n"
                   "JobCompType=jobcomp/none\nReturnToService=2\n%5 State=UNKNOWN\n"
                   "PartitionName=test Nodes=%1 Default=YES MaxTime=INFINITE State=UP\n"_s
                       .arg(host)
                       .arg(freePort())
                       .arg(freePort())
                       .arg(f, node)
                       .toUtf8());
        conf.close();

        startDaemon(m_slurmctld, u"slurmctld"_s, {u"-D"_s, u"-i"_s, u"-f"_s, conf.fileName()});
        startDaemon(m_slurmd, u"slurmd"_s, {u"-D"_s, u"-f"_s, conf.fileName(), u"-N"_s, host});
        // The node reports to the controller within a few seconds.
        QString state;
        for (int tries = 0; tries < 150 && state != u"idle"; ++tries) {
            if (m_slurmctld.state() == QProcess::NotRunning || m_slurmd.state() == QProcess::NotRunning)
                break;
            state = run(u"sinfo"_s, {u"-h"_s, u"-N"_s, u"-o"_s, u"%T"_s}, m_env);
            if (state != u"idle")
                QTest::qWait(200);
        }
        return state == u"idle" ? QString() : u"the node did not become idle: \""_s + state + u"\" (see "_s + f + u"/*.log)"_s;
    }

    void startDaemon(QProcess &daemon, const QString &program, const QStringList &arguments)
    {
        daemon.setProcessEnvironment(m_env);
        daemon.setStandardOutputFile(m_folder + u'/' + program + u".out"_s);
        daemon.setStandardErrorFile(m_folder + u'/' + program + u".out"_s);
        daemon.start(program, arguments);
    }

    QString m_folder;
    QString m_whyNot;
    QString m_error;
    QProcessEnvironment m_env;
    QProcess m_munged;
    QProcess m_slurmctld;
    QProcess m_slurmd;
};

} // namespace

class TestSlurmCluster : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Twelve clips in tasks of five, one damaged: the array converts eleven;
    // mended, the damaged one alone is submitted again, as a new array of one
    // task, and every clip is converted exactly once.
    void chunkedArrayWithAResubmission()
    {
        if (::geteuid() != 0)
            QSKIP("needs root: runs munged, slurmctld and slurmd of its own");
        QTemporaryDir dir;
        const OneNodeCluster cluster(dir.filePath(u"cluster"_s));
        if (!cluster.whyNot().isEmpty())
            QSKIP(qPrintable(cluster.whyNot()));
        QVERIFY2(cluster.error().isEmpty(), qPrintable(cluster.error()));

        const QString work = dir.filePath(u"work"_s);
        QVERIFY(QDir().mkpath(work + u"/clips"_s));
        for (const char *name : {"sonvera-array.sbatch", "sonvera-array-resubmit"})
            QVERIFY(QFile::copy(docsFolder() + u'/' + QLatin1StringView(name), work + u'/' + QLatin1StringView(name)));
        QStringList names;
        for (char letter = 'a'; letter < 'a' + 12; ++letter)
            names << QChar(QLatin1Char(letter)) + u" clip"_s; // a space in every name
        const QString damaged = work + u"/clips/g clip.flv"_s; // the second task's second file
        for (const QString &name : names)
            QVERIFY(makeClip(work + u"/clips/"_s + name + u".flv"_s));
        QVERIFY(QFile::remove(damaged) && makeBroken(damaged));
        // Every sbatch waits for its job to end: the test waits on Slurm itself.
        const QStringList env{u"SLURM_CONF="_s + cluster.environment().value(u"SLURM_CONF"_s), u"SBATCH_WAIT=1"_s,
                              u"K=5"_s};
        const auto outputsOf = [&] {
            QMap<QString, int> count; // source name -> outputs
            for (const QString &output : checkedOutputs(work + u"/converted"_s))
                ++count[output.section(u'-', 0, 0)];
            return count;
        };

        QString said;
        runShell(work, {u"-c"_s, documentedBlock(u"tst_slurm_cluster.cpp"_s, 0)}, env, 240000, &said);
        const QString job = said.section(u"submitted job "_s, 1).trimmed();
        QVERIFY2(QRegularExpression(u"^[0-9]+$"_s).match(job).hasMatch(), qPrintable(said));
        QMap<QString, int> converted = outputsOf();
        QCOMPARE(converted.size(), 11);
        QVERIFY(!converted.contains(u"g clip"_s));
        // Three tasks: a log and a record each, not one of each a file.
        QCOMPARE(QDir(work + u"/logs"_s).entryList(QDir::Files).size(), 6);

        QVERIFY(QFile::remove(damaged) && makeClip(damaged));
        const QString resubmit = documentedBlock(u"tst_slurm_cluster.cpp"_s, 1) + u"echo \"$jobid\"\n"_s;
        QCOMPARE(runShell(work, {u"-c"_s, resubmit}, env + QStringList{u"jobid="_s + job}, 240000, &said), 0);
        const QString again = said.trimmed();
        QVERIFY2(QRegularExpression(u"^[0-9]+$"_s).match(again).hasMatch() && again != job, qPrintable(said));
        const QString tasks = run(u"scontrol"_s, {u"-o"_s, u"show"_s, u"job"_s, again}, cluster.environment());
        QCOMPARE(tasks.count(u"ArrayTaskId="_s), 1);
        QVERIFY2(tasks.contains(u"ArrayTaskId=0 "_s), qPrintable(tasks));
        QFile retried(work + u"/logs/sonvera-"_s + job + u".retry.list"_s);
        QVERIFY(retried.open(QIODevice::ReadOnly));
        QCOMPARE(retried.readAll(), QByteArray("clips/g clip.flv") + '\0');

        converted = outputsOf();
        QCOMPARE(converted.keys(), names);
        QCOMPARE(QSet<int>(converted.cbegin(), converted.cend()), QSet<int>{1});

        // Nothing left to do: it says so and submits nothing.
        QCOMPARE(runShell(work, {u"-c"_s, resubmit}, env + QStringList{u"jobid="_s + again}, 240000, &said), 0);
        QCOMPARE(said.trimmed(), QString());
        QCOMPARE(checkedOutputs(work + u"/converted"_s).size(), 12);
    }
};

QTEST_GUILESS_MAIN(TestSlurmCluster)
#include "tst_slurm_cluster.moc"
