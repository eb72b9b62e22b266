// sonvera-cli end to end with the real encoders and ffmpeg.
#include "encodertestkit.h"
#include "pathtext.h"
#include "processwatch.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;
using namespace sonvera::testkit;

namespace {

QString cli()
{
    return programFolder() + u"/sonvera-cli"_s;
}

QStringList outputsIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// 2009-05-04 03:02:01 UTC, as an old download keeps it.
constexpr time_t kOldDate = 1241406121;

qint64 modified(const QString &path)
{
    return QFileInfo(path).lastModified().toSecsSinceEpoch();
}

// sonvera-cli with its own temporary folder (and so its own work folder).
void startCli(QProcess &process, const QStringList &arguments, const QString &tmp)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"TMPDIR"_s, tmp);
    process.setProcessEnvironment(env);
    process.start(cli(), arguments);
}

} // namespace

class TestCliEncoders : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_source; // 2 s, H.264 + AAC, 320x180, with a title, an artist and a comment, from 2009
    QString m_sorenson; // 2 s, Sorenson + MP3

private Q_SLOTS:
    void initTestCase()
    {
        m_source = m_dir.filePath(u"in/talk.part1.flv"_s);
        QDir().mkpath(m_dir.filePath(u"in"_s));
        QVERIFY(makeSource(m_source, {u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=size=320x180:rate=25:duration=2"_s,
                                      u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=frequency=440:duration=2"_s, u"-ac"_s,
                                      u"2"_s, u"-c:v"_s, u"libx264"_s, u"-c:a"_s, u"aac"_s, u"-shortest"_s,
                                      u"-metadata"_s, u"title=湖边的夏天"_s, u"-metadata"_s, u"artist=Wu Fang"_s,
                                      u"-metadata"_s, u"comment=2009, at the lake"_s}));
        const struct timespec times[2]{{kOldDate, 0}, {kOldDate, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(m_source).constData(), times, 0), 0);
        m_sorenson = m_dir.filePath(u"sorenson.flv"_s);
        QVERIFY(makeSource(m_sorenson, {u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=size=160x120:rate=25:duration=2"_s,
                                        u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=duration=2"_s, u"-c:v"_s, u"flv1"_s,
                                        u"-c:a"_s, u"libmp3lame"_s, u"-shortest"_s}));
    }

    void everyFormat_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QString>("video");
        QTest::addColumn<QString>("audio");
        QTest::addColumn<QString>("artist"); // the tag the format keeps the artist in; empty: no metadata
        const QString iso = u"mov,mp4,m4a,3gp,3g2,mj2"_s;
        QTest::newRow("rmvb") << u"rmvb"_s << u".rmvb"_s << u"rm"_s << u"rv10"_s << u"ac3"_s << u"author"_s;
        QTest::newRow("rm") << u"rm"_s << u".rm"_s << u"rm"_s << u"rv10"_s << u"ac3"_s << u"author"_s;
        QTest::newRow("mpg") << u"mpg"_s << u".mpg"_s << u"mpeg"_s << u"mpeg1video"_s << u"mp2"_s << QString();
        QTest::newRow("avi") << u"avi"_s << u".avi"_s << u"avi"_s << u"mpeg1video"_s << u"mp2"_s << u"artist"_s;
        QTest::newRow("mp4") << u"mp4"_s << u".mp4"_s << iso << u"mpeg4"_s << u"mp3"_s << u"artist"_s;
        QTest::newRow("mov") << u"mov"_s << u".mov"_s << iso << u"h264"_s << u"aac"_s << u"artist"_s;
        QTest::newRow("mobile-mp4") << u"mobile-mp4"_s << u".mp4"_s << iso << u"mpeg4"_s << u"amr_nb"_s << u"artist"_s;
        QTest::newRow("3gp") << u"3gp"_s << u".3gp"_s << iso << u"mpeg4"_s << u"amr_nb"_s << u"artist"_s;
        QTest::newRow("mp3") << u"mp3"_s << u".mp3"_s << u"mp3"_s << QString() << u"mp3"_s << u"artist"_s;
    }

    // Each format decodes, as long as its source, with the source's date
    // and, where the container holds them, its title, artist and comment.
    void everyFormat()
    {
        QFETCH(QString, format);
        QFETCH(QString, extension);
        QFETCH(QString, artist);
        const QString out = m_dir.filePath(u"out-"_s + format);
        const Run run = runProgram(cli(), {u"-q"_s, u"-f"_s, format, u"-o"_s, out, m_source});
        QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.output));
        const QStringList files = outputsIn(out);
        QCOMPARE(files.size(), 1); // no temporary file left behind
        QVERIFY2(files.at(0).startsWith(u"talk-"_s) && files.at(0).endsWith(extension), qPrintable(files.at(0)));
        const Probe p = probe(out + u'/' + files.at(0));
        QVERIFY(p.ok);
        QTEST(p.formatName, "container");
        QTEST(p.videoCodec, "video");
        QTEST(p.audioCodec, "audio");
        QVERIFY2(qAbs(p.duration - 2.0) < 0.5, qPrintable(QString::number(p.duration)));
        QCOMPARE(modified(out + u'/' + files.at(0)), kOldDate);
        if (!artist.isEmpty()) {
            // AVI's readers show only ASCII right: its Chinese title is left out.
            QCOMPARE(p.tags.value(u"title"_s), format == u"avi" ? QString() : u"湖边的夏天"_s);
            QCOMPARE(p.tags.value(artist), u"Wu Fang"_s);
            QCOMPARE(p.tags.value(u"comment"_s), u"2009, at the lake"_s);
        }
    }

    void datesReplacedWhenAsked()
    {
        const QString out = m_dir.filePath(u"out-dated"_s);
        const Run run = runProgram(cli(), {u"-q"_s, u"--no-keep-dates"_s, u"-f"_s, u"mp3"_s, u"-o"_s, out, m_source});
        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
        QVERIFY(std::abs(modified(out + u'/' + outputsIn(out).value(0)) - QDateTime::currentSecsSinceEpoch()) < 600);
    }

    void remuxCopiesEveryPacket_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("streams");
        QTest::newRow("HD MP4") << QStringList{u"-f"_s, u"mp4"_s} << QStringList{u"v"_s, u"a"_s};
        QTest::newRow("MOV, in place of two stages") << QStringList{u"--size"_s, u"128x96"_s, u"-f"_s, u"mov"_s} << QStringList{u"v"_s, u"a"_s};
        QTest::newRow("MOV, one stage") << QStringList{u"--direct"_s, u"--size"_s, u"128x96"_s, u"-f"_s, u"mov"_s} << QStringList{u"v"_s, u"a"_s};
        QTest::newRow("MP3 sound") << QStringList{u"-f"_s, u"mp3"_s} << QStringList{u"a"_s};
    }

    // Streams that fit are copied: every packet as it was, whatever size is
    // asked for; the line says so. Those that do not are coded: AAC
    // into an MP3, Sorenson into an MP4 or a MOV.
    void remuxCopiesEveryPacket()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, streams);
        const bool mp3 = options.last() == u"mp3"_s;
        for (const QString &source : {m_source, m_sorenson}) {
            const QString out = m_dir.filePath(u"out-remux-"_s + options.join(u'-') + QFileInfo(source).baseName());
            const Run run = runProgram(cli(), QStringList{u"--remux"_s, u"-o"_s, out} + options + QStringList{source});
            QVERIFY2(run.exitCode == 0, qPrintable(run.output));
            const QStringList files = outputsIn(out);
            QCOMPARE(files.size(), 1);
            const bool copied = (source == m_sorenson) == mp3;
            QCOMPARE(run.output.contains(u"(copied)"_s), copied);
            for (const QString &stream : streams) {
                const QStringList in = packets(source, stream);
                QVERIFY(!in.isEmpty());
                QCOMPARE(packets(out + u'/' + files.at(0), stream) == in, copied);
            }
        }
    }

    // The outputs of a folder's three subfolders go into the same
    // subfolders; without --keep-tree they lie side by side.
    void keepTreeMirrorsAFolder()
    {
        const QString tree = m_dir.filePath(u"tree"_s);
        const QStringList folders{u"a"_s, u"b"_s, u"b/c d"_s};
        for (const QString &folder : folders) {
            QDir().mkpath(tree + u'/' + folder);
            QVERIFY(QFile::copy(m_source, tree + u'/' + folder + u"/clip.flv"_s));
        }
        const QString mirrored = m_dir.filePath(u"out-tree"_s);
        Run run = runProgram(cli(), {u"-q"_s, u"--keep-tree"_s, u"-f"_s, u"mp3"_s, u"-o"_s, mirrored, tree + u'/'});
        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
        QVERIFY(outputsIn(mirrored).isEmpty());
        for (const QString &folder : folders) {
            const QStringList files = outputsIn(mirrored + u'/' + folder);
            QCOMPARE(files.size(), 1);
            QCOMPARE(probe(mirrored + u'/' + folder + u'/' + files.at(0)).audioCodec, u"mp3"_s);
        }
        const QString flat = m_dir.filePath(u"out-flat"_s);
        run = runProgram(cli(), {u"-q"_s, u"-f"_s, u"mp3"_s, u"-o"_s, flat, tree});
        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
        QCOMPARE(outputsIn(flat).size(), 3);
        QCOMPARE(QDir(flat).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList());
    }

    void aBrokenFileInTheMiddle()
    {
        const QString folder = m_dir.filePath(u"batch"_s);
        QDir().mkpath(folder);
        QFile::copy(m_source, folder + u"/a.flv"_s);
        QFile text(folder + u"/b.flv"_s);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("this is not a video\n");
        text.close();
        QFile::copy(m_source, folder + u"/c.flv"_s);
        const QString out = m_dir.filePath(u"out-batch"_s);
        const Run run = runProgram(cli(), {u"-f"_s, u"mp3"_s, u"-o"_s, out, folder + u"/a.flv"_s,
                                           folder + u"/b.flv"_s, folder + u"/c.flv"_s});
        QCOMPARE(run.exitCode, 1);
        // The failure is named with its file and a reason.
        const QString failure = run.lines().filter(u"failed: "_s).value(0);
        QVERIFY2(failure.contains(folder + u"/b.flv"_s), qPrintable(run.output));
        QVERIFY2(failure.section(u"b.flv: "_s, 1).trimmed().size() > 5, qPrintable(failure));
        const QStringList files = outputsIn(out);
        QCOMPARE(files.size(), 2);
        QVERIFY(files.at(0).startsWith(u"a-"_s));
        QVERIFY(files.at(1).startsWith(u"c-"_s));
    }

    void sameBaseNameKeepsBoth()
    {
        QDir().mkpath(m_dir.filePath(u"x"_s));
        QDir().mkpath(m_dir.filePath(u"y"_s));
        QFile::copy(m_source, m_dir.filePath(u"x/clip.flv"_s));
        QFile::copy(m_source, m_dir.filePath(u"y/clip.flv"_s));
        const QString out = m_dir.filePath(u"out-same"_s);
        const Run run = runProgram(cli(), {u"-q"_s, u"-f"_s, u"mp3"_s, u"-o"_s, out, m_dir.filePath(u"x/clip.flv"_s),
                                           m_dir.filePath(u"y/clip.flv"_s)});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(outputsIn(out).size(), 2);
    }

    // Two batches of two-stage files at once, into one folder: each keeps its
    // own intermediate, so no output holds the other batch's video (the
    // sources of the two batches differ in size).
    void concurrentBatchesNeverSwap()
    {
        const QString small = m_dir.filePath(u"small.flv"_s);
        const QString large = m_dir.filePath(u"large.flv"_s);
        for (const auto &[path, size] : {std::pair{small, u"64x48"_s}, std::pair{large, u"96x64"_s}}) {
            QVERIFY(makeSource(path, {u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=size="_s + size + u":rate=15:duration=0.6"_s,
                                      u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=duration=0.6"_s, u"-c:v"_s, u"flv1"_s,
                                      u"-c:a"_s, u"libmp3lame"_s, u"-shortest"_s}));
        }
        QStringList batchA, batchB;
        for (int i = 0; i < 25; ++i) {
            const QString n = QString::number(i).rightJustified(2, u'0');
            batchA << m_dir.filePath(u"a"_s + n + u".flv"_s);
            batchB << m_dir.filePath(u"b"_s + n + u".flv"_s);
            QVERIFY(QFile::copy(small, batchA.last()) && QFile::copy(large, batchB.last()));
        }
        const QString out = m_dir.filePath(u"out-together"_s);
        QTemporaryDir tmp;
        QProcess a, b;
        startCli(a, QStringList{u"-q"_s, u"-f"_s, u"rmvb"_s, u"-o"_s, out} + batchA, tmp.path());
        startCli(b, QStringList{u"-q"_s, u"-f"_s, u"rmvb"_s, u"-o"_s, out} + batchB, tmp.path());
        QVERIFY(a.waitForFinished(300000) && b.waitForFinished(300000));
        QVERIFY2(a.exitCode() == 0, a.readAllStandardError().constData());
        QVERIFY2(b.exitCode() == 0, b.readAllStandardError().constData());
        const QStringList files = outputsIn(out);
        QCOMPARE(files.size(), 50); // no part file left either
        for (const QString &file : files) {
            const QSize expected = file.startsWith(u'a') ? QSize(64, 48) : QSize(96, 64);
            QCOMPARE(probe(out + u'/' + file).size, expected);
        }
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1); // the work folder
        QCOMPARE(QDir(tmp.path() + u"/sonvera-"_s + QString::number(::getuid())).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList()); // both run folders are gone
    }

    // Two workers in one run, two-stage files of two frame sizes in turn:
    // each output has its own source's size.
    void twoWorkersKeepEachFileItsOwn()
    {
        const QString folder = m_dir.filePath(u"jobs"_s);
        QDir().mkpath(folder);
        QStringList sources;
        for (int i = 0; i < 4; ++i) {
            const QString size = i % 2 ? u"96x64"_s : u"64x48"_s;
            sources << folder + u"/clip%1.flv"_s.arg(i);
            QVERIFY(makeSource(sources.last(), {u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=size="_s + size + u":rate=15:duration="_s + QString::number(0.6 + 0.3 * i),
                                                u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=duration=1.5"_s, u"-c:v"_s, u"flv1"_s,
                                                u"-c:a"_s, u"libmp3lame"_s, u"-shortest"_s}));
        }
        const QString out = m_dir.filePath(u"out-jobs"_s);
        const Run run = runProgram(cli(), QStringList{u"-q"_s, u"-j"_s, u"2"_s, u"-f"_s, u"rmvb"_s, u"-o"_s, out} + sources);
        QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.output));
        const QStringList files = outputsIn(out);
        QCOMPARE(files.size(), 4); // no part file left
        for (const QString &file : files) {
            const int i = file.mid(4, 1).toInt(); // "clipN-..."
            const Probe p = probe(out + u'/' + file);
            QCOMPARE(p.size, i % 2 ? QSize(96, 64) : QSize(64, 48));
            QVERIFY2(qAbs(p.duration - (0.6 + 0.3 * i)) < 0.25, qPrintable(file + u' ' + QString::number(p.duration)));
        }
    }

    // Two runs on the same file in the same second plan the same name; the
    // second to finish takes "-2" and says so.
    void sameFileSameSecondNeverSharesAName()
    {
        const QString out = m_dir.filePath(u"out-race"_s);
        QTemporaryDir tmp;
        QSet<QString> reported;
        for (int round = 0; round < 10; ++round) {
            QProcess a, b;
            startCli(a, {u"-f"_s, u"mp3"_s, u"-o"_s, out, m_source}, tmp.path());
            startCli(b, {u"-f"_s, u"mp3"_s, u"-o"_s, out, m_source}, tmp.path());
            QVERIFY(a.waitForFinished(60000) && b.waitForFinished(60000));
            QCOMPARE(a.exitCode() + b.exitCode(), 0);
            for (QProcess *p : {&a, &b}) {
                const QString line = QString::fromUtf8(p->readAllStandardOutput()).section(u'\n', 0, 0);
                const QString written = line.section(u" -> "_s, 1);
                QVERIFY2(QFileInfo(written).isFile(), qPrintable(line));
                QVERIFY2(!reported.contains(written), qPrintable(written));
                reported.insert(written);
            }
        }
        QCOMPARE(outputsIn(out).size(), 20);
    }

    // Killed without warning mid-stage: its encoder and their ffmpeg follow
    // within a second or so, and nothing is published afterwards.
    void killedWithoutWarningLeavesNothingRunning()
    {
        const QString longer = m_dir.filePath(u"longer.flv"_s);
        QVERIFY(makeSource(longer, {u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=size=640x360:rate=30:duration=40"_s,
                                    u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=duration=40"_s, u"-c:v"_s, u"flv1"_s,
                                    u"-q:v"_s, u"10"_s, u"-c:a"_s, u"libmp3lame"_s, u"-shortest"_s}));
        for (const QString &format : {u"rmvb"_s, u"mp3"_s}) {
            const QString out = m_dir.filePath(u"out-killed-"_s + format);
            QTemporaryDir tmp;
            QProcess p;
            startCli(p, {u"-q"_s, u"-f"_s, format, u"-o"_s, out, longer}, tmp.path());
            QList<qint64> seen;
            QTRY_VERIFY_WITH_TIMEOUT((seen = testsupport::descendantsOf(p.processId())).size() >= 2, 10000);
            QTest::qWait(300);
            for (qint64 pid : testsupport::descendantsOf(p.processId()))
                if (!seen.contains(pid))
                    seen << pid;
            ::kill(pid_t(p.processId()), SIGKILL);
            QVERIFY(p.waitForFinished(5000));
            for (qint64 pid : std::as_const(seen))
                QTRY_VERIFY_WITH_TIMEOUT(testsupport::processEnded(pid), 5000);
            QTest::qWait(1000);
            QCOMPARE(outputsIn(out), QStringList());
        }
    }

    // Names copied from old Windows archives are GBK or Latin-1, not UTF-8:
    // a folder of them converts completely, into an output folder given in
    // Latin-1 exactly as given, and the outputs get UTF-8 names, fitted to
    // the file system where UTF-8 makes a long GBK name too long.
    void namesThatAreNotUtf8()
    {
        const QByteArray root = QFile::encodeName(m_dir.filePath(u"archive"_s));
        const QByteArray gbk = root + "/\xca\xd3\xc6\xb5.flv";     // 视频.flv
        const QByteArray latin1 = root + "/caf\xe9.flv";             // café.flv
        const QByteArray longGbk = root + '/' + QByteArray("\xca\xd3").repeated(100) + ".flv"; // 204 bytes, 304 in UTF-8
        const QByteArray output = QFile::encodeName(m_dir.path()) + "/s\xe9rie"; // série, as given
        QVERIFY(::mkdir(root.constData(), 0700) == 0);
        QFile source(m_source);
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QByteArray clip = source.readAll();
        for (const QByteArray &path : {gbk, latin1, longGbk}) {
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0600);
            QVERIFY(fd >= 0 && ::write(fd, clip.constData(), size_t(clip.size())) == clip.size());
            ::close(fd);
        }
        // The output folder's bytes reach sonvera-cli only through a shell.
        QProcess p;
        p.start(u"bash"_s, {u"-c"_s, u"exec \"$0\" -q -f mp3 -o \"$(printf '%s/s\\351rie' \"$1\")\" \"$2\""_s, cli(),
                            m_dir.path(), QFile::decodeName(root)});
        QVERIFY(p.waitForFinished(120000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        DIR *folder = ::opendir(output.constData());
        QVERIFY2(folder, "the output folder was not made exactly as given");
        QStringList names;
        while (const dirent *entry = ::readdir(folder)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..") {
                QVERIFY2(isUtf8(name), name.constData());
                names << QString::fromUtf8(name);
            }
        }
        ::closedir(folder);
        QCOMPARE(names.size(), 3);
        QVERIFY2(names.filter(QRegularExpression(u"^视频-\\d+\\.mp3$"_s)).size() == 1, qPrintable(names.join(u' ')));
        QVERIFY(names.filter(QRegularExpression(u"^caf.-\\d+\\.mp3$"_s)).size() == 1);
        const QStringList longOnes = names.filter(QRegularExpression(u"^视{50,}-\\d+\\.mp3$"_s));
        QVERIFY2(longOnes.size() == 1 && longOnes.at(0).toUtf8().size() <= 255, qPrintable(names.join(u' ')));
        // ffprobe is given paths as text: it reads the folder through a link.
        const QString link = m_dir.filePath(u"serie-link"_s);
        QCOMPARE(::symlink(output.constData(), QFile::encodeName(link).constData()), 0);
        for (const QString &name : std::as_const(names))
            QCOMPARE(probe(link + u'/' + name).audioCodec, u"mp3"_s);
    }

    void anOutputFolderThatCannotBeWritten()
    {
        // A file stands where the folder should be made: nothing can be written there.
        const QString blocker = m_dir.filePath(u"blocker"_s);
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep me");
        file.close();
        const Run run = runProgram(cli(), {u"-f"_s, u"mp3"_s, u"-o"_s, blocker + u"/out"_s, m_source});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.output.contains(blocker), qPrintable(run.output));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("keep me"));

        // A read-only folder, where permissions apply (root may write anywhere).
        if (::geteuid() != 0) {
            const QString readOnly = m_dir.filePath(u"readonly"_s);
            QDir().mkpath(readOnly);
            QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
            const Run denied = runProgram(cli(), {u"-f"_s, u"mp3"_s, u"-o"_s, readOnly, m_source});
            QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QCOMPARE(denied.exitCode, 1);
            QVERIFY2(denied.output.contains(readOnly), qPrintable(denied.output));
            QVERIFY(outputsIn(readOnly).isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestCliEncoders)
#include "tst_cli_encoders.moc"
