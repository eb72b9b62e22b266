// Every format as players that are not built on libavformat read it:
// GStreamer's own demuxers, MediaInfo, exiftool and mutagen, on the outputs
// of the real sonvera-cli.
#include "encodertestkit.h"
#include "realmediaindex.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;
using namespace sonvera::testkit;

namespace {

const QString kTitle = u"湖边的夏天"_s;
const QString kArtist = u"吴芳"_s;
const QString kComment = u"2009, at the lake"_s;

QJsonObject jsonOf(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        qWarning().noquote() << program << arguments << p.readAllStandardError();
        return {};
    }
    const QJsonDocument doc = QJsonDocument::fromJson(p.readAllStandardOutput());
    return doc.isArray() ? doc.array().at(0).toObject() : doc.object();
}

QString helper()
{
    return qEnvironmentVariable("SONVERA_SOURCE_DIR") + u"/tests/encoders/interopread.py"_s;
}

QJsonObject gstreamer(const QString &path)
{
    return jsonOf(u"/usr/bin/python3"_s, {helper(), u"gst"_s, path});
}

// MediaInfo's tracks by type: "General", "Video", "Audio".
QMap<QString, QJsonObject> mediaInfo(const QString &path)
{
    QMap<QString, QJsonObject> tracks;
    const QJsonObject all = jsonOf(u"mediainfo"_s, {u"--Output=JSON"_s, path});
    for (const QJsonValue track : all.value(u"media"_s).toObject().value(u"track"_s).toArray())
        tracks.insert(track.toObject().value(u"@type"_s).toString(), track.toObject());
    return tracks;
}

QString firstTag(const QJsonObject &gst, const QString &key)
{
    return gst.value(u"tags"_s).toObject().value(key).toArray().at(0).toString();
}

// RealMedia: one INDX chunk a stream whose entries name keyframe packets,
// as our own reader checks them.
void checkSeekIndex(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QString error;
    const auto layout = encoders::readRealMediaLayout([&bytes](qint64 at, qint64 n) { return bytes.mid(at, n); },
                                                      bytes.size(), error);
    QVERIFY2(layout, qPrintable(error));
    const std::optional<QString> problem = encoders::seekIndexProblem(*layout);
    QVERIFY2(!problem, qPrintable(problem.value_or(QString())));
    QCOMPARE(layout->indexes.size(), 2);
    QVERIFY(layout->indexes.at(0).entries.size() >= 4); // a keyframe every 12 frames of 4 s at 25 fps
}

// MP3: ID3v2.3 with the title, artist and comment as the frames players
// show, and none of the FLV's onMetaData keys.
void checkId3(const QString &path)
{
    const QJsonObject id3 = jsonOf(u"/usr/bin/python3"_s, {helper(), u"id3"_s, path});
    QCOMPARE(id3.value(u"version"_s).toArray(), (QJsonArray{2, 3, 0}));
    const QJsonObject frames = id3.value(u"frames"_s).toObject();
    QCOMPARE(frames.keys(), (QStringList{u"COMM::eng"_s, u"TIT2"_s, u"TPE1"_s}));
    QCOMPARE(frames.value(u"TIT2"_s).toString(), kTitle);
    QCOMPARE(frames.value(u"COMM::eng"_s).toString(), kComment);
}

} // namespace

class TestInterop : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_source; // 4 s of Sorenson video and MP3 sound, 320x240 at 25 fps, tagged, with onMetaData clutter

private Q_SLOTS:
    void initTestCase()
    {
        m_source = m_dir.filePath(u"lake.flv"_s);
        QVERIFY(makeSource(m_source, {u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=size=320x240:rate=25:duration=4"_s, u"-f"_s,
                                      u"lavfi"_s, u"-i"_s, u"sine=frequency=440:duration=4"_s, u"-c:v"_s, u"flv1"_s,
                                      u"-c:a"_s, u"libmp3lame"_s, u"-ar"_s, u"44100"_s, u"-metadata"_s, u"title="_s + kTitle,
                                      u"-metadata"_s, u"artist="_s + kArtist, u"-metadata"_s, u"comment="_s + kComment,
                                      u"-metadata"_s, u"canSeekToEnd=true"_s, u"-metadata"_s, u"metadatacreator=Yamdi"_s}));
    }

    void everyFormat_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("video");
        QTest::addColumn<QString>("tags"); // "all", "ascii" (AVI: only what Latin-1 readers show right) or "none"
        QTest::addColumn<QString>("frameRate");
        QTest::newRow("rmvb") << QStringList{u"-f"_s, u"rmvb"_s} << true << u"all"_s << u"25/1"_s;
        QTest::newRow("rm") << QStringList{u"-f"_s, u"rm"_s} << true << u"all"_s << u"25/1"_s;
        QTest::newRow("mpg") << QStringList{u"-f"_s, u"mpg"_s} << true << u"none"_s << QString();
        QTest::newRow("mpg at 15 fps, declared 30") << QStringList{u"-f"_s, u"mpg"_s, u"--frame-rate"_s, u"15"_s} << true
                                                    << u"none"_s << u"30/1"_s;
        QTest::newRow("avi at 12 fps, declared 24") << QStringList{u"-f"_s, u"avi"_s, u"--frame-rate"_s, u"12"_s} << true
                                                    << u"ascii"_s << u"24/1"_s;
        QTest::newRow("hd mp4") << QStringList{u"-f"_s, u"mp4"_s} << true << u"all"_s << u"25/1"_s;
        QTest::newRow("mov") << QStringList{u"-f"_s, u"mov"_s} << true << u"all"_s << u"25/1"_s;
        QTest::newRow("mobile mp4") << QStringList{u"-f"_s, u"mobile-mp4"_s} << true << u"all"_s << QString();
        QTest::newRow("3gp") << QStringList{u"-f"_s, u"3gp"_s} << true << u"all"_s << QString();
        QTest::newRow("mp3") << QStringList{u"-f"_s, u"mp3"_s} << false << u"all"_s << QString();
    }

    // Each output opens in GStreamer's own demuxer with its length, streams,
    // declared frame rate and tags, and seeks to its middle; MediaInfo reads
    // the same length and rate, and a second tag reader the same tags.
    void everyFormat()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, video);
        QFETCH(QString, tags);
        QFETCH(QString, frameRate);
        const QString out = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        const Run run = runProgram(programFolder() + u"/sonvera-cli"_s, QStringList{u"-q"_s, u"-o"_s, out} + options + QStringList{m_source});
        QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.output));
        const QStringList files = QDir(out).entryList(QDir::Files);
        QCOMPARE(files.size(), 1);
        const QString path = out + u'/' + files.at(0);

        const QJsonObject gst = gstreamer(path);
        QVERIFY2(!gst.isEmpty() && !gst.contains(u"error"_s), QJsonDocument(gst).toJson().constData());
        QVERIFY(!gst.value(u"demuxers"_s).toArray().isEmpty());
        for (const QJsonValue demuxer : gst.value(u"demuxers"_s).toArray())
            QVERIFY(!demuxer.toString().startsWith(u"avdemux"_s));
        QVERIFY2(qAbs(gst.value(u"duration"_s).toDouble() - 4.0) < 0.5, qPrintable(QString::number(gst.value(u"duration"_s).toDouble())));
        QCOMPARE(gst.value(u"video"_s).toInt(), video ? 1 : 0);
        QCOMPARE(gst.value(u"audio"_s).toInt(), 1);
        if (!frameRate.isEmpty())
            QCOMPARE(gst.value(u"framerate"_s).toString(), frameRate);
        QVERIFY2(gst.value(u"seek"_s).toBool(), "the seek to the middle was refused");
        // GStreamer's MPEG-PS demuxer finds a time by the clock references
        // and lands 0.8 to 1.1 s past it in any program stream, ffmpeg's own too.
        const double tolerance = path.endsWith(u".mpg"_s) ? 1.5 : 0.25;
        QVERIFY2(qAbs(gst.value(u"landed"_s).toDouble(-1) - gst.value(u"middle"_s).toDouble()) < tolerance,
                 qPrintable(QString::number(gst.value(u"landed"_s).toDouble(-1))));

        const QMap<QString, QJsonObject> info = mediaInfo(path);
        QVERIFY(qAbs(info.value(u"General"_s).value(u"Duration"_s).toString().toDouble() - 4.0) < 0.5);
        if (!frameRate.isEmpty()) {
            const QStringList parts = frameRate.split(u'/');
            QCOMPARE(info.value(u"Video"_s).value(u"FrameRate"_s).toString().toDouble(), parts[0].toDouble() / parts[1].toDouble());
        }

        if (path.endsWith(u".rm"_s) || path.endsWith(u".rmvb"_s))
            checkSeekIndex(path);
        if (path.endsWith(u".mp3"_s))
            checkId3(path);
        if (tags == u"none") {
            QVERIFY(firstTag(gst, u"title"_s).isEmpty());
            return;
        }
        // Our own Chinese text, never Latin-1 garble of it.
        QCOMPARE(firstTag(gst, u"title"_s), tags == u"all" ? kTitle : QString());
        QCOMPARE(firstTag(gst, u"artist"_s), tags == u"all" ? kArtist : QString());
        QCOMPARE(firstTag(gst, u"comment"_s), kComment);
        const QJsonObject exif = jsonOf(u"exiftool"_s, {u"-j"_s, u"-Title"_s, u"-Artist"_s, u"-Author"_s, u"-Comment"_s, path});
        QCOMPARE(exif.value(u"Title"_s).toString(), tags == u"all" ? kTitle : QString());
        QCOMPARE(exif.value(exif.contains(u"Author"_s) ? u"Author"_s : u"Artist"_s).toString(), tags == u"all" ? kArtist : QString());
    }
};

QTEST_GUILESS_MAIN(TestInterop)
#include "tst_interop.moc"
