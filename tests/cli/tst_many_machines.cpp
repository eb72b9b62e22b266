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

// An output folder, and beside it a 40-second clip that takes a while to
// convert and a 2-second one.
struct SharedFolder {
    QTemporaryDir dir;
    QString out = dir.filePath(u"out"_s);
    bool ready = QDir().mkpath(out) && makeClip(dir.filePath(u"long.flv"_s), 40, u"320x240"_s)
        && makeClip(dir.filePath(u"short.flv"_s), 2);
};

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
    // Groups of files a job: a failed group is run again for its failed file
    // alone, and the failure is listed with its reason.
    void gnuParallelOnThisMachine()
    {
        QString recipe = documentedBlock(u"tst_many_machines.cpp"_s);
        QVERIFY2(recipe.contains(u"--resume-failed"_s) && recipe.contains(u"-N 50 "_s), qPrintable(recipe));
        recipe.replace(u"-N 50 "_s, u"-N 2 "_s);
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath(u"clips"_s));
        QVERIFY(QFile::copy(docsFolder() + u"/sonvera-group"_s, dir.filePath(u"sonvera-group"_s)));
        for (const QString &name : {u"a"_s, u"b"_s, u"d"_s, u"e"_s, u"f"_s})
            QVERIFY(makeClip(dir.filePath(u"clips/"_s + name + u".flv"_s)));
        const QString broken = dir.filePath(u"clips/c.FLV"_s);
        QVERIFY(makeBroken(broken));

        // GNU parallel's own status is the number of jobs that failed.
        QCOMPARE(runShell(dir.path(), {u"-c"_s, recipe}), 1);
        const QString joblog = dir.filePath(u"convert.log"_s);
        QCOMPARE(jobExits(joblog), (QStringList{u"1:0"_s, u"2:1"_s, u"3:0"_s}));
        QCOMPARE(filesIn(dir.filePath(u"converted"_s)).size(), 5);
        QString failures;
        QCOMPARE(runShell(dir.path(), {u"-c"_s, documentedBlock(u"tst_many_machines.cpp"_s, 1)}, {}, 60000, &failures), 0);
        QVERIFY2(failures.startsWith(broken + u": "_s) && failures.count(u'\n') == 1, qPrintable(failures));

        // The cause mended, the same command runs the failed group alone, and
        // of it the failed file alone.
        QVERIFY(QFile::remove(broken) && makeClip(broken));
        QCOMPARE(runShell(dir.path(), {u"-c"_s, recipe}), 0);
        QCOMPARE(jobExits(joblog), (QStringList{u"1:0"_s, u"2:0"_s, u"2:1"_s, u"3:0"_s}));
        checkMp3s(dir.filePath(u"converted"_s), 6);
        QCOMPARE(runShell(dir.path(), {u"-c"_s, documentedBlock(u"tst_many_machines.cpp"_s, 1)}, {}, 60000, &failures), 0);
        QCOMPARE(failures, QString());
    }

    // The array script outside Slurm, one task at a time as a node runs it:
    // its exit status is sonvera-cli's, recorded next to its log; a SIGTERM
    // (scancel, the time limit) stops the conversion cleanly.
    void slurmArrayTasks()
    {
        QTemporaryDir dir;
        QVERIFY(makeClip(dir.filePath(u"a b.flv"_s)));
        QVERIFY(makeBroken(dir.filePath(u"c.flv"_s)));
        QVERIFY(makeClip(dir.filePath(u"long.flv"_s), 40, u"320x240"_s));
        QVERIFY(QDir().mkpath(dir.filePath(u"logs"_s)));
        QFile list(dir.filePath(u"files.list"_s));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write(QByteArray("a b.flv") + '\0' + "c.flv" + '\0' + "long.flv" + '\0');
        list.close();
        const QString script = docsFolder() + u"/sonvera-array.sbatch"_s;
        const auto taskEnvironment = [](int index, const QString &format) {
            return QStringList{u"SLURM_ARRAY_JOB_ID=7"_s, u"SLURM_ARRAY_TASK_ID="_s + QString::number(index),
                               u"SONVERA_FORMAT="_s + format};
        };
        QCOMPARE(runShell(dir.path(), {script}, taskEnvironment(0, u"mp3"_s)), 0);
        QCOMPARE(runShell(dir.path(), {script}, taskEnvironment(1, u"mp3"_s)), 1); // sonvera-cli's own status
        QCOMPARE(runShell(dir.path(), {script}, taskEnvironment(3, u"mp3"_s)), 2); // no such task: not a retry
        checkMp3s(dir.filePath(u"converted"_s), 1);

        QProcess task;
        QProcessEnvironment env = shellEnvironment(dir.path());
        for (const QString &pair : taskEnvironment(2, u"mov"_s))
            env.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
        task.setProcessEnvironment(env);
        task.setWorkingDirectory(dir.path());
        task.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        task.start(u"bash"_s, {script});
        QVERIFY(QTest::qWaitFor([&] { return !partFiles(dir.filePath(u"converted"_s)).isEmpty(); }, 60000));
        task.terminate(); // the shell alone, as `scancel --batch` does
        QVERIFY(task.waitForFinished(60000));
        QCOMPARE(task.exitCode(), 130);
        checkMp3s(dir.filePath(u"converted"_s), 1); // nothing half written

        QStringList statuses;
        for (int index = 0; index < 3; ++index) {
            QFile status(dir.filePath(u"logs/sonvera-7_%1.status"_s.arg(index)));
            const QString record = status.open(QIODevice::ReadOnly) ? QString::fromUtf8(status.readAll()) : QString();
            statuses << record.section(u"\nexit "_s, 1).trimmed();
        }
        QCOMPARE(statuses, (QStringList{u"0"_s, u"1"_s, u"130"_s}));
    }

    // Which files sonvera-array-resubmit submits again, from the tasks'
    // records and what each kind of cluster can tell it: Slurm's tools are
    // stand-ins here that answer as the real ones do (tst_slurm_cluster runs
    // the real ones). The list holds f0 ... f9.
    void resubmitTakesTheFilesThatDidNotConvert_data()
    {
        const QString noAccounting = u"echo 'Slurm accounting storage is disabled' >&2; exit 1"_s;
        const QString forgotten = u"echo 'slurm_load_jobs error: Invalid job id specified' >&2; exit 1"_s;
        // A task's record: "TASK:" then its lines, one task a file.
        const auto task = [](int id, const QString &shape, const QString &lines, int perTask = 1) {
            return u"%1:task %2 %3 files.list\n%4"_s.arg(id).arg(perTask).arg(shape, lines);
        };
        const QString converted = u" 0 {\"event\":\"converted\"}\n"_s;
        QTest::addColumn<QString>("sacct");
        QTest::addColumn<QString>("scontrol");
        QTest::addColumn<QStringList>("records"); // "retry:" for a retry list already there
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("submitted"); // "--array=... LIST K: files"; "" for nothing
        QTest::newRow("accounting")
            << u"printf '12_0|COMPLETED\\n12_1|FAILED\\n12_2|CANCELLED by 0\\n12_3|COMPLETED\\n12_[4-6%%32]|CANCELLED by 0\\n'"_s
            << u"exit 1"_s << QStringList{task(1, u"7 0 6 1"_s, u"exit 1\n"_s)} << 0 << u"0-4 1: f1 f2 f4 f5 f6"_s;
        QTest::newRow("accounting, still running")
            << u"printf '12_0|COMPLETED\\n12_1|RUNNING\\n'"_s << u"exit 1"_s
            << QStringList{task(0, u"2 0 1 1"_s, u"exit 0\n"_s)} << 1 << QString();
        QTest::newRow("accounting, all completed")
            << u"printf '12_0|COMPLETED\\n12_1|COMPLETED\\n'"_s << u"exit 1"_s << QStringList() << 0 << QString();
        QTest::newRow("three a task: the files a failed task converted stay done")
            << u"printf '12_0|FAILED\\n12_1|COMPLETED\\n12_2|CANCELLED by 0\\n12_3|COMPLETED\\n'"_s << u"exit 1"_s
            << QStringList{task(0, u"4 0 3 1"_s, u"file 0"_s + converted + u"file 1 1 {\"event\":\"failed\"}\nexit 1\n"_s, 3),
                           task(2, u"4 0 3 1"_s, u"file 6"_s + converted + u"exit 130\n"_s, 3)}
            << 0 << u"0-1 3: f1 f2 f7 f8"_s;
        QTest::newRow("slurmctld remembers some, records the rest")
            << noAccounting
            << u"echo 'JobId=14 ArrayJobId=12 ArrayTaskId=2 JobState=COMPLETED Reason=None'; "
               "echo 'JobId=15 ArrayJobId=12 ArrayTaskId=3 JobState=FAILED Reason=NonZeroExitCode'"_s
            << QStringList{task(0, u"4 0 3 1"_s, u"exit 0\n"_s), task(1, u"4 0 3 1"_s, u"exit 1\n"_s),
                           task(3, u"4 0 3 1"_s, u"exit 0\n"_s)}
            << 0 << u"0-1 1: f1 f3"_s;
        const QStringList killedOutright{task(0, u"4 0 3 1"_s, u"exit 0\n"_s), task(1, u"4 0 3 1"_s, u"exit 1\n"_s),
                                         task(3, u"4 0 3 1"_s, u"exit 0\n"_s)};
        QTest::newRow("forgotten, a task killed outright")
            << noAccounting << forgotten << killedOutright << 0 << u"0-1 1: f1 f2"_s;
        QTest::newRow("forgotten, submitted again already")
            << noAccounting << forgotten << killedOutright + QStringList{u"retry:"_s} << 1 << QString();
        QTest::newRow("forgotten, irregular task numbers")
            << noAccounting << forgotten
            << QStringList{task(1, u"3 1 4 1"_s, u"exit 0\n"_s), task(4, u"3 1 4 1"_s, u"exit 0\n"_s)} << 1 << QString();
        QTest::newRow("unknown job") << noAccounting << forgotten << QStringList() << 1 << QString();
        QTest::newRow("slurmctld unreachable")
            << noAccounting
            << u"echo 'slurm_load_jobs error: Unable to contact slurm controller (connect failure)' >&2; exit 1"_s
            << QStringList{task(0, u"1 0 0 1"_s, u"exit 1\n"_s)} << 1 << QString();
    }
    void resubmitTakesTheFilesThatDidNotConvert()
    {
        QFETCH(QString, sacct);
        QFETCH(QString, scontrol);
        QFETCH(QStringList, records);
        QFETCH(int, exitCode);
        QFETCH(QString, submitted);
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath(u"bin"_s)) && QDir().mkpath(dir.filePath(u"logs"_s)));
        const auto write = [&](const QString &name, const QByteArray &bytes, bool program) {
            QFile file(dir.filePath(name));
            const bool ok = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
            return ok && (!program || file.setPermissions(file.permissions() | QFile::ExeOwner));
        };
        QVERIFY(write(u"bin/sacct"_s, (u"#!/bin/bash\n"_s + sacct + u'\n').toUtf8(), true));
        QVERIFY(write(u"bin/scontrol"_s, (u"#!/bin/bash\n"_s + scontrol + u'\n').toUtf8(), true));
        QVERIFY(write(u"bin/sbatch"_s, "#!/bin/bash\necho \"$*\" > sbatch.args\necho 99\n", true));
        QByteArray list;
        for (int i = 0; i < 10; ++i)
            list += "f" + QByteArray::number(i) + '\0';
        QVERIFY(write(u"files.list"_s, list, false));
        for (const QString &record : records) {
            const QString task = record.section(u':', 0, 0);
            QVERIFY(write(task == u"retry"_s ? u"logs/sonvera-12.retry.list"_s : u"logs/sonvera-12_"_s + task + u".status"_s,
                          record.section(u':', 1).toUtf8(), false));
        }

        QProcess resubmit;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"PATH"_s, dir.filePath(u"bin"_s) + u':' + env.value(u"PATH"_s));
        resubmit.setProcessEnvironment(env);
        resubmit.setWorkingDirectory(dir.path());
        resubmit.start(docsFolder() + u"/sonvera-array-resubmit"_s, {u"12"_s, u"--export=ALL,SONVERA_FORMAT=mp3"_s});
        QVERIFY(resubmit.waitForFinished(30000));
        const QString said = QString::fromUtf8(resubmit.readAllStandardError());
        QCOMPARE(resubmit.exitCode(), exitCode);
        QVERIFY2(!said.trimmed().isEmpty(), "it must always say what it did or why not");
        QFile arguments(dir.filePath(u"sbatch.args"_s));
        if (submitted.isEmpty()) {
            QVERIFY2(!arguments.exists(), qPrintable(said));
            QCOMPARE(resubmit.readAllStandardOutput(), QByteArray());
            return;
        }
        QVERIFY2(arguments.open(QIODevice::ReadOnly), qPrintable(said));
        const QString array = submitted.section(u':', 0, 0);
        QCOMPARE(QString::fromUtf8(arguments.readAll()).trimmed(),
                 u"--parsable --array="_s + array.section(u' ', 0, 0) + u" --export=ALL,SONVERA_FORMAT=mp3 "_s
                     + docsFolder() + u"/sonvera-array.sbatch logs/sonvera-12.retry.list "_s + array.section(u' ', 1));
        QCOMPARE(resubmit.readAllStandardOutput(), QByteArray("99\n"));
        QFile retry(dir.filePath(u"logs/sonvera-12.retry.list"_s));
        QVERIFY(retry.open(QIODevice::ReadOnly));
        const QStringList files = submitted.section(u": "_s, 1).split(u' ');
        QCOMPARE(retry.readAll(), files.join(QChar(u'\0')).toUtf8() + '\0');
        for (const QString &file : files) // it says which files it submits
            QVERIFY2(said.contains(u"  "_s + file + u'\n'), qPrintable(said));
    }

    // Two batches writing into one folder, each in namespaces of its own: the
    // second starts (and sweeps) while the first is in the middle of writing,
    // and neither harms the other. The first is held still meanwhile, so the
    // overlap does not depend on the machine's speed.
    void batchesOfSeparateNamespacesShareAFolder()
    {
        if (::geteuid() != 0)
            QSKIP("needs root: runs each batch in PID and host-name namespaces of its own (unshare)");
        const SharedFolder f;
        QVERIFY(f.ready);
        const QTemporaryDir &dir = f.dir;
        const QString &out = f.out;

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
        const SharedFolder f;
        QVERIFY(f.ready);
        const QTemporaryDir &dir = f.dir;
        const QString &out = f.out;
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
