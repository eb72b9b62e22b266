// The recipes of docs/many-machines.md, run as written with the real
// sonvera-cli: GNU parallel on this machine, the Slurm array script outside
// Slurm (one task at a time, as a node would run it), and batches that share
// one output folder from PID and host-name namespaces of their own, as
// batches on several machines do.
#include "encodertestkit.h"
#include "manymachines.h"
#include "processwatch.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera::manymachines;
using namespace sonvera::testkit;
using sonvera::testsupport::descendantsOf;

namespace {

QStringList partFiles(const QString &folder)
{
    return QDir(folder).entryList({u".sonvera-*.part"_s}, QDir::Files | QDir::Hidden);
}

// A sonvera-cli batch in a PID, mount and host-name namespace of its own
// (unshare as root): to the other batches it is a batch on another machine,
// except that it shares their kernel, their boot and their folders.
class SeparateBatch {
public:
    SeparateBatch(const QString &folder, const QStringList &arguments)
    {
        m_process.setProcessEnvironment(shellEnvironment(folder));
        m_process.setWorkingDirectory(folder);
        m_process.setStandardInputFile(QProcess::nullDevice());
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(u"unshare"_s, QStringList{u"--pid"_s, u"--fork"_s, u"--kill-child"_s, u"--mount-proc"_s, u"--uts"_s,
                                                   programFolder() + u"/sonvera-cli"_s, u"-q"_s}
                                          + arguments);
    }
    ~SeparateBatch()
    {
        signalAll(SIGCONT);
        m_process.kill();
        m_process.waitForFinished();
    }

    // Stops or continues every process of the batch (a stopped process keeps
    // its files, and its claims, open).
    void signalAll(int signal)
    {
        for (int pass = 0; pass < 2; ++pass) { // a process that started a child meanwhile
            for (const qint64 pid : descendantsOf(m_process.processId()))
                ::kill(static_cast<pid_t>(pid), signal);
        }
    }
    // Ends the whole batch at once, as a power cut or the OOM killer would:
    // killing the namespace's first process kills every process in it.
    void killAtOnce()
    {
        const QList<qint64> all = descendantsOf(m_process.processId());
        if (!all.isEmpty())
            ::kill(static_cast<pid_t>(all.first()), SIGKILL);
        m_process.waitForFinished();
    }
    // Waits until a part file in `folder` has data in it (ffmpeg writes into
    // it); its name, or "" when the batch ended first.
    QString waitForWrittenPartFile(const QString &folder)
    {
        QString found;
        const auto written = [&] {
            for (const QString &name : partFiles(folder)) {
                if (QFileInfo(folder + u'/' + name).size() > 0)
                    found = name;
            }
            return !found.isEmpty() || m_process.state() == QProcess::NotRunning;
        };
        return QTest::qWaitFor(written, 120000) ? found : QString();
    }
    int exitCode()
    {
        if (!m_process.waitForFinished(300000))
            return -1;
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

private:
    QProcess m_process;
};

} // namespace

class TestManyMachines : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void gnuParallelOnThisMachine()
    {
        const QString recipe = documentedBlock(u"tst_many_machines.cpp"_s);
        QVERIFY2(recipe.contains(u"--resume-failed"_s), qPrintable(recipe));
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath(u"clips"_s));
        for (const QString &name : {u"a"_s, u"b"_s, u"d"_s})
            QVERIFY(makeClip(dir.filePath(u"clips/"_s + name + u".flv"_s)));
        const QString broken = dir.filePath(u"clips/c.FLV"_s);
        QVERIFY(makeBroken(broken));

        // GNU parallel's own status is the number of jobs that failed.
        QCOMPARE(runShell(dir.path(), {u"-c"_s, recipe}), 1);
        const QString joblog = dir.filePath(u"convert.log"_s);
        QCOMPARE(jobExits(joblog), (QStringList{u"1:0"_s, u"2:0"_s, u"3:1"_s, u"4:0"_s}));
        QCOMPARE(filesIn(dir.filePath(u"converted"_s)).size(), 3);

        // The cause mended, the same command runs the failed job alone.
        QVERIFY(QFile::remove(broken) && makeClip(broken));
        QCOMPARE(runShell(dir.path(), {u"-c"_s, recipe}), 0);
        QCOMPARE(jobExits(joblog), (QStringList{u"1:0"_s, u"2:0"_s, u"3:0"_s, u"3:1"_s, u"4:0"_s}));
        checkMp3s(dir.filePath(u"converted"_s), 4);
    }

    void slurmArrayTasks()
    {
        QTemporaryDir dir;
        QVERIFY(makeClip(dir.filePath(u"a b.flv"_s)));
        QVERIFY(makeBroken(dir.filePath(u"c.flv"_s)));
        QFile list(dir.filePath(u"files.list"_s));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write(QByteArray("a b.flv") + '\0' + "c.flv" + '\0');
        list.close();
        const QString script = docsFolder() + u"/sonvera-array.sbatch"_s;
        const auto task = [&](int index) {
            return runShell(dir.path(), {script},
                            {u"SLURM_ARRAY_TASK_ID="_s + QString::number(index), u"SONVERA_FORMAT=mp3"_s});
        };
        QCOMPARE(task(0), 0);
        QCOMPARE(task(1), 1); // the broken file: sonvera-cli's own status
        QCOMPARE(task(2), 2); // no such task: a usage error, not a retry
        checkMp3s(dir.filePath(u"converted"_s), 1);
    }

    // Two batches writing into one folder, each in namespaces of its own: the
    // second starts (and sweeps) while the first is in the middle of writing,
    // and neither harms the other. The first is held still meanwhile, so the
    // overlap does not depend on the machine's speed.
    void batchesOfSeparateNamespacesShareAFolder()
    {
        if (::geteuid() != 0)
            QSKIP("needs root: runs each batch in PID and host-name namespaces of its own (unshare)");
        QTemporaryDir dir;
        const QString out = dir.filePath(u"out"_s);
        QVERIFY(QDir().mkpath(out));
        QVERIFY(makeClip(dir.filePath(u"long.flv"_s), 40, u"320x240"_s));
        QVERIFY(makeClip(dir.filePath(u"short.flv"_s), 2));

        SeparateBatch first(dir.path(), {u"-f"_s, u"mov"_s, u"-o"_s, out, u"long.flv"_s});
        const QString writing = first.waitForWrittenPartFile(out);
        QVERIFY2(!writing.isEmpty(), "the first batch never wrote into a part file");
        first.signalAll(SIGSTOP);
        QVERIFY2(filesIn(out) == QStringList{writing}, "the first batch ended before it could be held");

        SeparateBatch second(dir.path(), {u"-f"_s, u"mp3"_s, u"-o"_s, out, u"short.flv"_s});
        QCOMPARE(second.exitCode(), 0);
        QVERIFY2(QFile::exists(out + u'/' + writing), "the second batch took the first one's part file");
        first.signalAll(SIGCONT);
        QCOMPARE(first.exitCode(), 0);

        const QStringList outputs = filesIn(out);
        QCOMPARE(outputs.size(), 2);
        for (const QString &name : outputs) {
            const Probe p = probe(out + u'/' + name);
            const double expected = name.startsWith(u"long-"_s) ? 40 : 2;
            QVERIFY2(p.ok && qAbs(p.duration - expected) < 0.5, qPrintable(name));
        }
    }

    // What a batch killed outright (a power cut) leaves half written goes
    // with the next batch; the user's files that merely look like it stay.
    void abandonedWorkGoesAndLookAlikesStay()
    {
        if (::geteuid() != 0)
            QSKIP("needs root: ends a whole batch at once by killing its PID namespace (unshare)");
        QTemporaryDir dir;
        const QString out = dir.filePath(u"out"_s);
        QVERIFY(QDir().mkpath(out));
        QVERIFY(makeClip(dir.filePath(u"long.flv"_s), 40, u"320x240"_s));
        QVERIFY(makeClip(dir.filePath(u"short.flv"_s), 2));
        {
            SeparateBatch killed(dir.path(), {u"-f"_s, u"mov"_s, u"-o"_s, out, u"long.flv"_s});
            QVERIFY(!killed.waitForWrittenPartFile(out).isEmpty());
            killed.killAtOnce();
        }
        QCOMPARE(partFiles(out).size(), 1);
        const QStringList lookAlikes{u".thesis.part-99999.odt"_s, u".backup.part-4242"_s, u".sonvera-4242.part"_s};
        for (const QString &name : lookAlikes) {
            QFile file(out + u'/' + name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("the user's") > 0);
        }
        QCOMPARE(runShell(dir.path(), {u"-c"_s, u"sonvera-cli -q -f mp3 -o out short.flv"_s}), 0);

        QStringList left = filesIn(out);
        QCOMPARE(left.size(), lookAlikes.size() + 1);
        QVERIFY2(left.filter(u"short-"_s).size() == 1, qPrintable(left.join(u' ')));
        for (const QString &name : lookAlikes) {
            QFile file(out + u'/' + name);
            QVERIFY2(file.open(QIODevice::ReadOnly) && file.readAll() == "the user's", qPrintable(name));
        }
    }
};

QTEST_GUILESS_MAIN(TestManyMachines)
#include "tst_many_machines.moc"
