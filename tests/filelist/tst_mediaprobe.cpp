// What the list learns of a source before converting it: ffprobe's report
// read as it comes (or does not), and the probe run on real files with the
// real ffprobe and ffmpeg, whatever their names and kinds.
#include "mediaprobe.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

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

    // The real tools on a clip whose name is not UTF-8, a FIFO that would
    // keep a reader waiting, and a file that is no video: each once, in order.
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
        QSignalSpy probed(&probe, &MediaProbe::probed);
        probe.probe(1, clip);
        probe.probe(2, fifo);
        probe.probe(3, QFile::encodeName(text));
        QTRY_COMPARE_WITH_TIMEOUT(probed.size(), 3, 30000);
        QVERIFY(!probe.isBusy());
        QMap<quint64, MediaInfo> results;
        for (const QList<QVariant> &args : probed)
            results.insert(args.at(0).toULongLong(), args.at(1).value<MediaInfo>());
        QCOMPARE(results.keys(), (QList<quint64>{1, 2, 3}));

        const MediaInfo &video = results[1];
        QCOMPARE(video.state, MediaInfo::State::Known);
        QVERIFY(qAbs(video.durationSeconds.value_or(0) - 2.0) < 0.2);
        QCOMPARE(std::pair(video.width, video.height), std::pair(64, 48));
        QVERIFY(video.fileBytes > 0);
        const QImage thumbnail = QImage::fromData(video.thumbnailPng, "PNG");
        QCOMPARE(thumbnail.height(), MediaProbe::kThumbnailHeight);
        QCOMPARE(results[2].state, MediaInfo::State::Unreadable);
        QCOMPARE(results[3].state, MediaInfo::State::Unreadable);
        QCOMPARE(results[3].fileBytes, 11);
    }

    // Forgotten files say nothing more, and a probe without tools still
    // gives the size on disk.
    void clearedAndWithoutTools()
    {
        const QString text = m_dir.filePath(u"size.flv"_s);
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("12345") == 5);
        file.close();
        MediaProbe probe;
        probe.setTools({}, {});
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
    }
};

QTEST_GUILESS_MAIN(TestMediaProbe)
#include "tst_mediaprobe.moc"
