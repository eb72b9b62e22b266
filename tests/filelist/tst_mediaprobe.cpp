// What the list learns of a source before converting it: ffprobe's report and
// the probe helper's replies read as they come (or do not), and the probe run
// on real files with the real helper, whatever their names and kinds.
#include "mediaprobe.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sched.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

class TestMediaProbe : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // A two-second clip of 64x48 at `path` (its bytes, any bytes).
    bool makeClip(const QByteArray &path)
    {
        const QString made = m_dir.filePath(u"made.flv"_s);
        QProcess ffmpeg;
        ffmpeg.start(u"ffmpeg"_s, {u"-v"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                                   u"testsrc=size=64x48:rate=10:duration=2"_s, u"-c:v"_s, u"flv1"_s, made});
        return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0
            && ::rename(QFile::encodeName(made).constData(), path.constData()) == 0;
    }

private Q_SLOTS:
    void readProbeReport_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("read");
        QTest::addColumn<double>("seconds"); // 0: unknown
        QTest::addColumn<int>("width");
        QTest::newRow("video and sound")
            << QByteArray("{\"streams\":[{\"codec_type\":\"audio\"},{\"codec_type\":\"video\",\"width\":480,\"height\":270}],"
                          "\"format\":{\"duration\":\"33.042000\"}}")
            << true << 33.042 << 480;
        QTest::newRow("length unknown") << QByteArray("{\"streams\":[{\"codec_type\":\"video\",\"width\":8,\"height\":6}],\"format\":{\"duration\":\"N/A\"}}")
                                        << true << 0.0 << 8;
        QTest::newRow("sound only") << QByteArray("{\"streams\":[{\"codec_type\":\"audio\"}],\"format\":{\"duration\":\"2.5\"}}")
                                    << true << 2.5 << 0;
        QTest::newRow("a picture beyond any video") << QByteArray("{\"streams\":[{\"codec_type\":\"video\",\"width\":900000,\"height\":2}]}")
                                                    << true << 0.0 << 0;
        QTest::newRow("negative length") << QByteArray("{\"streams\":[{\"codec_type\":\"audio\"}],\"format\":{\"duration\":\"-4\"}}")
                                         << true << 0.0 << 0;
        QTest::newRow("nothing found") << QByteArray("{\n\n}") << false << 0.0 << 0;
        QTest::newRow("not JSON") << QByteArray("file:x: Invalid data found when processing input") << false << 0.0 << 0;
        QTest::newRow("cut short") << QByteArray("{\"streams\":[{\"codec_type\":\"vid") << false << 0.0 << 0;
    }

    void readProbeReport()
    {
        QFETCH(QByteArray, json);
        const std::optional<MediaInfo> info = sonvera::readProbeReport(json);
        QTEST(info.has_value(), "read");
        if (!info)
            return;
        QFETCH(double, seconds);
        QCOMPARE(info->durationSeconds.value_or(0), seconds);
        QTEST(info->width, "width");
        QCOMPARE(info->hasPicture(), info->width > 0);
    }

    // The helper's replies, whole or in pieces of one byte, and output that
    // is no reply at all.
    void readsHelperReplies()
    {
        const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + "rest";
        const QByteArray stream = "7 ok 2.500 64 48 " + QByteArray::number(png.size()) + '\n' + png
            + "8 bad - 0 0 0\n9 ok - 0 0 4\nJUNK";
        for (const int piece : {int(stream.size()), 1}) {
            ProbeReplyReader reader;
            QList<ProbeReplyReader::Reply> replies;
            for (qsizetype at = 0; at < stream.size(); at += piece)
                replies += reader.read(QByteArrayView(stream).sliced(at, std::min<qsizetype>(piece, stream.size() - at)));
            QCOMPARE(replies.size(), 3);
            QCOMPARE(replies[0].id, 7u);
            QCOMPARE(replies[0].info.durationSeconds.value_or(0), 2.5);
            QCOMPARE(replies[0].info.width, 64);
            QCOMPARE(replies[0].info.thumbnailPng, png);
            QCOMPARE(replies[1].info.state, MediaInfo::State::Unreadable);
            QVERIFY(replies[2].info.thumbnailPng.isEmpty()); // no picture, no thumbnail
            QVERIFY(!reader.broken());
        }
        ProbeReplyReader reader;
        QVERIFY(reader.read("7 ok 1 2 3\n").isEmpty());
        QVERIFY(reader.broken());
        QVERIFY(reader.read("8 bad - 0 0 0\n").isEmpty()); // nothing more is believed
        reader.reset();
        QVERIFY(reader.read(QByteArray(ProbeReplyReader::kLongestHeader + 1, '1')).isEmpty());
        QVERIFY(reader.broken());
    }

    // The real helper on a clip whose name is not UTF-8, a FIFO that would
    // keep a reader waiting, and a file that is no video: each once. A row on
    // show goes first and gets its thumbnail; the others do not.
    void probesRealFiles()
    {
        const QByteArray clip = QFile::encodeName(m_dir.path()) + "/\xb2\xe2\xca\xd4 clip.flv"; // GBK
        QVERIFY(makeClip(clip));
        const QByteArray fifo = QFile::encodeName(m_dir.filePath(u"pipe.flv"_s));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        const QString text = m_dir.filePath(u"notes.flv"_s);
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a video") == 11);
        file.close();

        MediaProbe probe;
        probe.setHelper(QStringLiteral(PROBE_HELPER_PATH));
        QSignalSpy probed(&probe, &MediaProbe::probed);
        probe.probe(1, clip);
        probe.probe(2, fifo);
        probe.probe(3, QFile::encodeName(text));
        probe.probe(4, clip);
        probe.hurry(4, clip);
        QTRY_COMPARE_WITH_TIMEOUT(probed.size(), 4, 30000);
        QVERIFY(!probe.isBusy());
        QCOMPARE(probed.at(0).at(0).toULongLong(), 4u);
        QMap<quint64, MediaInfo> results;
        for (const QList<QVariant> &args : probed)
            results.insert(args.at(0).toULongLong(), args.at(1).value<MediaInfo>());

        const MediaInfo &video = results[1];
        QCOMPARE(video.state, MediaInfo::State::Known);
        QVERIFY(qAbs(video.durationSeconds.value_or(0) - 2.0) < 0.2);
        QCOMPARE(std::pair(video.width, video.height), std::pair(64, 48));
        QVERIFY(video.fileBytes > 0);
        QVERIFY(video.thumbnailPng.isEmpty());
        const QImage thumbnail = QImage::fromData(results[4].thumbnailPng, "PNG");
        QCOMPARE(thumbnail.height(), MediaProbe::kThumbnailHeight);
        QCOMPARE(results[2].state, MediaInfo::State::Unreadable);
        QCOMPARE(results[3].state, MediaInfo::State::Unreadable);
        QCOMPARE(results[3].fileBytes, 11);

        // The helper runs at idle CPU and I/O priority, within its memory cap.
        const qint64 pid = probe.helperPid();
        QVERIFY(pid > 0);
        QCOMPARE(::sched_getscheduler(pid_t(pid)), SCHED_IDLE);
        QCOMPARE(::syscall(SYS_ioprio_get, 1, pid_t(pid)) >> 13, 3); // IOPRIO_CLASS_IDLE
        QFile limits(u"/proc/%1/limits"_s.arg(pid));
        QVERIFY(limits.open(QIODevice::ReadOnly));
        const QByteArray cap = "Max address space         "
            + (MediaProbe::kCapsAddressSpace ? QByteArray::number(MediaProbe::kMemoryLimitBytes) : "unlimited");
        QVERIFY(limits.readAll().contains(cap));
    }

    // A source declaring a picture far beyond any thumbnail's needs is read
    // for its length within the cap, and shows no preview.
    void aHugePictureShowsNoPreview()
    {
        const QString huge = m_dir.filePath(u"huge.avi"_s);
        QProcess ffmpeg;
        ffmpeg.start(u"ffmpeg"_s, {u"-v"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                                   u"color=size=5000x5000:rate=1:duration=2"_s, u"-c:v"_s, u"mjpeg"_s, u"-q:v"_s,
                                   u"31"_s, huge});
        QVERIFY(ffmpeg.waitForFinished(120000) && ffmpeg.exitCode() == 0);
        MediaProbe probe;
        probe.setHelper(QStringLiteral(PROBE_HELPER_PATH));
        QSignalSpy probed(&probe, &MediaProbe::probed);
        probe.probe(1, QFile::encodeName(huge));
        probe.hurry(1, QFile::encodeName(huge));
        QVERIFY(probed.wait(30000));
        const MediaInfo info = probed.at(0).at(1).value<MediaInfo>();
        QCOMPARE(info.state, MediaInfo::State::Known);
        QVERIFY(qAbs(info.durationSeconds.value_or(0) - 2.0) < 0.2);
        QVERIFY(info.thumbnailPng.isEmpty());
    }

    // A file that crashes the helper fails its own probe; the next file goes
    // to a new helper. Paused, nothing is sent; a forgotten file says nothing.
    void aCrashFailsOneFileAndPausesHold()
    {
        // A stand-in helper that dies on a name with "crash" in it.
        const QString helper = m_dir.filePath(u"helper.sh"_s);
        QFile script(helper);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n"
                     "while read id thumb length; do\n"
                     "  path=$(dd bs=1 count=$length 2>/dev/null)\n"
                     "  case $path in *crash*) kill -KILL $$;; esac\n"
                     "  echo \"$id ok 1.0 0 0 0\"\n"
                     "done\n");
        script.close();
        QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));
        const QString real = m_dir.filePath(u"real.flv"_s);
        QFile file(real);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("x") == 1);
        file.close();
        const QByteArray crash = QFile::encodeName(m_dir.filePath(u"crash.flv"_s));
        QVERIFY(QFile::copy(real, QString::fromUtf8(crash)));

        MediaProbe probe;
        probe.setHelper(helper);
        QSignalSpy probed(&probe, &MediaProbe::probed);
        probe.setPaused(true);
        probe.probe(1, QFile::encodeName(real));
        probe.probe(2, crash);
        probe.probe(3, QFile::encodeName(real));
        probe.probe(4, QFile::encodeName(real));
        probe.forget(3);
        QCoreApplication::processEvents();
        QCOMPARE(probe.helperPid(), 0);
        probe.setPaused(false);
        QTRY_COMPARE_WITH_TIMEOUT(probed.size(), 3, 20000);
        QCOMPARE(probed.at(0).at(0).toULongLong(), 1u);
        QCOMPARE(probed.at(0).at(1).value<MediaInfo>().durationSeconds.value_or(0), 1.0);
        QCOMPARE(probed.at(1).at(0).toULongLong(), 2u);
        QCOMPARE(probed.at(1).at(1).value<MediaInfo>().state, MediaInfo::State::Unreadable);
        QCOMPARE(probed.at(1).at(1).value<MediaInfo>().fileBytes, 1);
        QCOMPARE(probed.at(2).at(0).toULongLong(), 4u);
        QCOMPARE(probed.at(2).at(1).value<MediaInfo>().state, MediaInfo::State::Known);
    }

    // Forgotten files say nothing more, and a probe without its helper (none
    // set, or one that cannot start) still gives the size on disk.
    void clearedAndWithoutHelper()
    {
        const QString text = m_dir.filePath(u"size.flv"_s);
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("12345") == 5);
        file.close();
        for (const QString &helper : {QString(), m_dir.filePath(u"no-such-helper"_s)}) {
            MediaProbe probe;
            probe.setHelper(helper);
            QSignalSpy probed(&probe, &MediaProbe::probed);
            probe.probe(7, QFile::encodeName(text));
            probe.probe(8, QFile::encodeName(text));
            probe.clear();
            QVERIFY(!probe.isBusy());
            probe.probe(9, QFile::encodeName(text));
            QVERIFY(probed.wait(5000));
            QCOMPARE(probed.size(), 1);
            QCOMPARE(probed.first().at(0).toULongLong(), 9u);
            QCOMPARE(probed.first().at(1).value<MediaInfo>().fileBytes, 5);
            QCOMPARE(probed.first().at(1).value<MediaInfo>().state, MediaInfo::State::Known);
        }
    }

    // Without a helper, files end at once, yet a long list ends in slices:
    // the event loop runs while they are answered.
    void manyFilesWithoutHelperEndInSlices()
    {
        const QByteArray path = QFile::encodeName(m_dir.filePath(u"size.flv"_s));
        QFile(m_dir.filePath(u"size.flv"_s)).open(QIODevice::WriteOnly);
        MediaProbe probe;
        probe.setHelper(QString()); // none: sizes only
        QSignalSpy probed(&probe, &MediaProbe::probed);
        constexpr int kFiles = 100000;
        for (int id = 1; id <= kFiles; ++id)
            probe.probe(quint64(id), path);
        // How many were answered when the event loop next ran after the first answer.
        qsizetype answeredAtFirstTurn = -1;
        connect(&probe, &MediaProbe::probed, this, [&] {
            if (answeredAtFirstTurn < 0)
                QMetaObject::invokeMethod(this, [&] { answeredAtFirstTurn = probed.size(); }, Qt::QueuedConnection);
            answeredAtFirstTurn = std::max<qsizetype>(answeredAtFirstTurn, 0);
        });
        QTRY_COMPARE_WITH_TIMEOUT(probed.size(), kFiles, 60000);
        QTRY_VERIFY(answeredAtFirstTurn > 0);
        QVERIFY2(answeredAtFirstTurn < kFiles, "every file was answered in one turn of the event loop");
    }
};

QTEST_GUILESS_MAIN(TestMediaProbe)
#include "tst_mediaprobe.moc"
