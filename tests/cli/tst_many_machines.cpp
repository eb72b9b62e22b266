// The recipes of docs/many-machines.md, run as written with the real
// sonvera-cli: GNU parallel on this machine, and the Slurm array script
// outside Slurm (one task at a time, as a node would run it).
#include "encodertestkit.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera::testkit;

namespace {

QString docsFolder()
{
    return qEnvironmentVariable("SONVERA_SOURCE_DIR") + u"/docs"_s;
}

// The shell block that follows the comment naming this test.
QString testedBlock()
{
    QFile file(docsFolder() + u"/many-machines.md"_s);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    const qsizetype marker = text.indexOf(u"tst_many_machines.cpp runs this block"_s);
    const qsizetype begin = text.indexOf(u"```sh\n"_s, marker);
    const qsizetype end = text.indexOf(u"```"_s, begin + 6);
    if (marker < 0 || begin < 0 || end < 0)
        return {};
    return text.mid(begin + 6, end - begin - 6);
}

// The Exitval of each job in a GNU parallel joblog, in the log's order, as "seq:exit".
QStringList jobExits(const QString &joblog)
{
    QFile file(joblog);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList exits;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : lines.mid(1)) { // the first is the header
        const QStringList fields = line.split(u'\t');
        exits << fields.value(0) + u':' + fields.value(6);
    }
    std::sort(exits.begin(), exits.end()); // jobs end in any order
    return exits;
}

bool makeClip(const QString &path)
{
    return makeSource(path, {u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=size=64x48:rate=15:duration=1"_s, u"-f"_s,
                             u"lavfi"_s, u"-i"_s, u"sine=duration=1"_s, u"-c:v"_s, u"flv1"_s, u"-c:a"_s,
                             u"libmp3lame"_s, u"-shortest"_s});
}

bool makeBroken(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("not a video\n") > 0;
}

// Runs a shell command in `folder` with sonvera-cli on the PATH; its exit status.
int runShell(const QString &folder, const QStringList &arguments, const QStringList &environment = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"PATH"_s, programFolder() + u':' + env.value(u"PATH"_s));
    env.insert(u"HOME"_s, folder); // GNU parallel keeps its own files there
    for (const QString &pair : environment)
        env.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    QProcess shell;
    shell.setProcessEnvironment(env);
    shell.setWorkingDirectory(folder);
    shell.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    shell.start(u"bash"_s, arguments);
    if (!shell.waitForFinished(120000))
        return -1;
    return shell.exitStatus() == QProcess::NormalExit ? shell.exitCode() : -1;
}

void checkDecodes(const QString &folder, int expected)
{
    const QStringList outputs = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(outputs.size(), expected);
    for (const QString &name : outputs) {
        const Probe p = probe(folder + u'/' + name);
        QVERIFY2(p.ok && p.audioCodec == u"mp3"_s && qAbs(p.duration - 1.0) < 0.3, qPrintable(name));
    }
}

} // namespace

class TestManyMachines : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void gnuParallelOnThisMachine()
    {
        const QString recipe = testedBlock();
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
        QCOMPARE(QDir(dir.filePath(u"converted"_s)).entryList(QDir::Files | QDir::Hidden).size(), 3);

        // The cause mended, the same command runs the failed job alone.
        QVERIFY(QFile::remove(broken) && makeClip(broken));
        QCOMPARE(runShell(dir.path(), {u"-c"_s, recipe}), 0);
        QCOMPARE(jobExits(joblog), (QStringList{u"1:0"_s, u"2:0"_s, u"3:0"_s, u"3:1"_s, u"4:0"_s}));
        checkDecodes(dir.filePath(u"converted"_s), 4);
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
        checkDecodes(dir.filePath(u"converted"_s), 1);
    }
};

QTEST_GUILESS_MAIN(TestManyMachines)
#include "tst_many_machines.moc"
