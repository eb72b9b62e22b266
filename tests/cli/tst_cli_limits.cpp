// sonvera-cli and the encoders when the system refuses what a start needs
// (real limits, set in the child before exec), and names that would drive a
// terminal: every run ends at once with a true reason, and no name is obeyed.
#include "encodercommands.h"
#include "encodertestkit.h"
#include "encoderstatus.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;
using namespace sonvera::testkit;

namespace {

struct Ended {
    bool ended = false;
    int exitCode = -1;
    qint64 ms = 0;
    QString out;
    QString err;
};

constexpr uid_t kNobody = 65534;

// Runs `program` in a child that takes the limit `value` on `resource`
// before exec. As root the child first becomes nobody, whom RLIMIT_NPROC
// binds (root it does not).
Ended runStarved(const QString &program, const QStringList &args, int resource, rlim_t value, const QString &tmp,
                 const QString &language)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"TMPDIR"_s, tmp);
    env.insert(u"SONVERA_LANG"_s, language);
    p.setProcessEnvironment(env);
    p.setChildProcessModifier([resource, value] {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(120);
        const rlimit limit{value, value};
        if (::setrlimit(resource, &limit) != 0)
            ::_exit(121);
    });
    QElapsedTimer clock;
    clock.start();
    p.start(program, args);
    Ended e;
    // Its end is the event waited for; a hang shows as the timeout.
    e.ended = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
    e.ms = clock.elapsed();
    if (!e.ended)
        p.kill();
    e.exitCode = p.exitCode();
    e.out = QString::fromUtf8(p.readAllStandardOutput());
    e.err = QString::fromUtf8(p.readAllStandardError());
    return e;
}

// A folder everyone may write, for a child that runs as nobody.
QString openFolder(const QTemporaryDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    QDir().mkpath(path);
    QFile::setPermissions(path, QFileDevice::Permissions(0x7777));
    return path;
}

bool saysReinstall(const QString &text)
{
    return text.contains(u"reinstall"_s, Qt::CaseInsensitive) || text.contains(u"重新安装"_s);
}

} // namespace

class TestCliLimits : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_source; // 1 s, Sorenson + MP3, readable by everyone

private Q_SLOTS:
    void initTestCase()
    {
        QFile::setPermissions(m_dir.path(), QFileDevice::Permissions(0x7755));
        m_source = openFolder(m_dir, u"in"_s) + u"/clip.flv"_s;
        QVERIFY(makeSource(m_source, {u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=size=160x120:rate=15:duration=1"_s, u"-f"_s,
                                      u"lavfi"_s, u"-i"_s, u"sine=duration=1"_s, u"-c:v"_s, u"flv1"_s, u"-c:a"_s,
                                      u"libmp3lame"_s, u"-shortest"_s}));
    }

    // With 10 to 18 descriptors the batch ends within seconds, whichever
    // start runs short (the encoder's pipes, its ffmpeg's, the part file):
    // converted, or failed for want of files or resources, never "reinstall".
    void fewFileDescriptorsEndAtOnce()
    {
        const QString tmp = openFolder(m_dir, u"tmp-nofile"_s);
        int failedTruly = 0;
        for (rlim_t descriptors = 10; descriptors <= 18; ++descriptors) {
            const QString out = openFolder(m_dir, u"out-nofile-%1"_s.arg(descriptors));
            const Ended e = runStarved(programFolder() + u"/sonvera-cli"_s, {u"-f"_s, u"mp3"_s, u"-o"_s, out, m_source},
                                       RLIMIT_NOFILE, descriptors, tmp, u"zh"_s);
            const QByteArray at = "ulimit -n " + QByteArray::number(qulonglong(descriptors)) + ": ";
            QVERIFY2(e.ended, QByteArray(at + "sonvera-cli did not end").constData());
            QVERIFY2(e.ms < 30000, QByteArray(at + QByteArray::number(e.ms) + " ms").constData());
            QVERIFY2(!saysReinstall(e.err), qPrintable(QString::fromLatin1(at) + e.err));
            if (e.exitCode == 0) {
                QCOMPARE(QDir(out).entryList({u"*.mp3"_s}, QDir::Files).size(), 1);
                continue;
            }
            QVERIFY2(e.exitCode == 1, qPrintable(QString::fromLatin1(at) + e.err));
            QVERIFY2(e.err.contains(u"打开的文件太多"_s) || e.err.contains(u"系统资源不足"_s), qPrintable(QString::fromLatin1(at) + e.err));
            QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), 0);
            ++failedTruly;
        }
        QVERIFY(failedTruly > 0); // the lowest limits do starve the batch
    }

    // No process slot: the encoder cannot start its ffmpeg, and sonvera-cli
    // cannot start the encoder; both end at once and say so.
    void noProcessSlotEndsAtOnce()
    {
        if (::geteuid() != 0 && ::getuid() == kNobody)
            QSKIP("needs root (to become nobody) or a user with other processes");
        const QString tmp = openFolder(m_dir, u"tmp-nproc"_s);
        const QString out = openFolder(m_dir, u"out-nproc"_s);

        ConversionSettings settings;
        settings.selectFormat(8); // MP3: one encoder, one ffmpeg
        CommandContext context;
        context.programFolder = programFolder();
        context.workFolder = openFolder(m_dir, u"work-nproc"_s);
        context.clock = QTime::currentTime();
        context.fileExists = [](const QString &path) { return QFileInfo::exists(path); };
        const EncoderCommand encoder = buildFirstStageCommand(m_source, out + u'/', settings, context);
        Ended e = runStarved(encoder.program, encoder.arguments, RLIMIT_NPROC, 1, tmp, u"en"_s);
        QVERIFY2(e.ended, "the encoder did not end");
        QVERIFY2(e.ms < 30000, QByteArray::number(e.ms).constData());
        QCOMPARE(e.exitCode, int(FailureCode::CannotStart));
        QVERIFY2(e.err.contains(u"failure cannot-start"_s) && e.err.contains(u"no resources left to start ffmpeg"_s),
                 qPrintable(e.err));
        QVERIFY2(!saysReinstall(e.err), qPrintable(e.err));

        e = runStarved(programFolder() + u"/sonvera-cli"_s, {u"-f"_s, u"mp3"_s, u"-o"_s, out, m_source}, RLIMIT_NPROC, 1,
                       tmp, u"en"_s);
        QVERIFY2(e.ended, "sonvera-cli did not end");
        QVERIFY2(e.ms < 30000, QByteArray::number(e.ms).constData());
        QCOMPARE(e.exitCode, 1);
        QVERIFY2(e.err.contains(u"Not enough system resources to start "_s), qPrintable(e.err));
        QVERIFY2(!saysReinstall(e.err), qPrintable(e.err));
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), 0);
    }

    // Names that would retitle or clear the terminal, overwrite a line or
    // turn text around reach no terminal unescaped, in any line: progress,
    // results, failures, the summary, the dry run; in both languages.
    void namesAreShownNotObeyed_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("中文") << u"zh"_s;
        QTest::newRow("English") << u"en"_s;
    }

    void namesAreShownNotObeyed()
    {
        QFETCH(QString, language);
        const QString folder = m_dir.filePath(u"names-"_s + language);
        QVERIFY(QDir().mkpath(folder));
        QStringList sources;
        for (const QString &name : {u"a\x1b]0;owned\x07.flv"_s, u"b\x1b[2J.flv"_s, u"c\rfake done.flv"_s, u"d\u202Egnp.flv"_s}) {
            sources << folder + u'/' + name;
            QVERIFY(QFile::copy(m_source, sources.last()));
        }
        QFile broken(folder + u"/e\x1b[1A\nbroken.flv"_s);
        QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("not a video\n") > 0);
        broken.close();
        sources << broken.fileName();

        const QString out = m_dir.filePath(u"names-out-"_s + language);
        QString printed;
        for (const QStringList &options : {QStringList{u"--dry-run"_s}, QStringList{}}) {
            QProcess cli;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(u"SONVERA_LANG"_s, language);
            cli.setProcessEnvironment(env);
            cli.start(programFolder() + u"/sonvera-cli"_s, options + QStringList{u"-f"_s, u"mp3"_s, u"-o"_s, out} + sources);
            QVERIFY(cli.waitForFinished(120000));
            QCOMPARE(cli.exitCode(), options.isEmpty() ? 1 : 0); // the broken one fails
            printed += QString::fromUtf8(cli.readAllStandardOutput() + cli.readAllStandardError());
        }
        QCOMPARE(QDir(out).entryList({u"*.mp3"_s}, QDir::Files).size(), 4);
        for (const QChar c : std::as_const(printed)) {
            const char16_t u = c.unicode();
            QVERIFY2(u == u'\n' || (u >= 0x20 && u != 0x7f && !(u >= 0x80 && u < 0xa0) && u != 0x202E),
                     qPrintable(u"U+%1 reached the terminal in: "_s.arg(int(u), 4, 16, QChar(u'0')) + printed));
        }
        // Each name is there, escaped: the failed one too, in its one line.
        for (const QString &shown : {u"a\\e]0;owned\\a.flv"_s, u"b\\e[2J.flv"_s, u"c\\rfake done.flv"_s, u"d?gnp.flv"_s})
            QVERIFY2(printed.contains(shown), qPrintable(shown + u" not in: "_s + printed));
        QVERIFY2(printed.contains(u"e\\e[1A\\nbroken.flv: "_s), qPrintable(printed));
    }
};

QTEST_GUILESS_MAIN(TestCliLimits)
#include "tst_cli_limits.moc"
