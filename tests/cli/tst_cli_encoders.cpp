// sonvera-cli end to end with the real encoders and ffmpeg.
#include "encodertestkit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

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

} // namespace

class TestCliEncoders : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_source; // 2 s, H.264 + AAC, 320x180

private Q_SLOTS:
    void initTestCase()
    {
        m_source = m_dir.filePath(u"in/talk.part1.flv"_s);
        QDir().mkpath(m_dir.filePath(u"in"_s));
        QVERIFY(makeSource(m_source, {u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=size=320x180:rate=25:duration=2"_s,
                                      u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=frequency=440:duration=2"_s, u"-ac"_s,
                                      u"2"_s, u"-c:v"_s, u"libx264"_s, u"-c:a"_s, u"aac"_s, u"-shortest"_s}));
    }

    void everyFormat_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QString>("video");
        QTest::addColumn<QString>("audio");
        QTest::newRow("rmvb") << u"rmvb"_s << u".rmvb"_s << u"rm"_s << u"rv10"_s << u"ac3"_s;
        QTest::newRow("rm") << u"rm"_s << u".rm"_s << u"rm"_s << u"rv10"_s << u"ac3"_s;
        QTest::newRow("mpg") << u"mpg"_s << u".mpg"_s << u"mpeg"_s << u"mpeg1video"_s << u"mp2"_s;
        QTest::newRow("avi") << u"avi"_s << u".avi"_s << u"avi"_s << u"mpeg1video"_s << u"mp2"_s;
        QTest::newRow("mp4") << u"mp4"_s << u".mp4"_s << u"mov,mp4,m4a,3gp,3g2,mj2"_s << u"mpeg4"_s << u"mp3"_s;
        QTest::newRow("mov") << u"mov"_s << u".mov"_s << u"mov,mp4,m4a,3gp,3g2,mj2"_s << u"h264"_s << u"aac"_s;
        QTest::newRow("mobile-mp4") << u"mobile-mp4"_s << u".mp4"_s << u"mov,mp4,m4a,3gp,3g2,mj2"_s << u"mpeg4"_s
                                    << u"amr_nb"_s;
        QTest::newRow("3gp") << u"3gp"_s << u".3gp"_s << u"mov,mp4,m4a,3gp,3g2,mj2"_s << u"mpeg4"_s << u"amr_nb"_s;
        QTest::newRow("mp3") << u"mp3"_s << u".mp3"_s << u"mp3"_s << QString() << u"mp3"_s;
    }

    void everyFormat()
    {
        QFETCH(QString, format);
        QFETCH(QString, extension);
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
