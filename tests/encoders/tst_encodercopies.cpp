// What the encoders take from a source beyond coding it: its streams when
// they fit (remux), its title, artist and comment, and the iTunes tags they
// add to a 3GPP file.
#include "ffmpegoutput.h"
#include "isotags.h"
#include "legacyoptions.h"
#include "plans.h"

#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;
using namespace sonvera::encoders;

namespace {

InputInfo listed(const QByteArray &streams)
{
    FfmpegLogReader log;
    log.feed("[info] Input #0, flv, from 'file:/v/a.flv':\n"
             "[info]   Duration: 00:00:03.03, start: 0.000000, bitrate: 446 kb/s\n"
             + streams + "[info] Stream mapping:\n");
    log.finish();
    return *log.input(0);
}

const QByteArray kH264 = "[info]   Stream #0:0: Video: h264 (High), yuv420p(progressive), 320x180, 25 fps, 25 tbr, 1k tbn\n";
const QByteArray kFlv1 = "[info]   Stream #0:0: Video: flv1 (flv) ([2][0][0][0] / 0x0002), yuv420p, 320x240, 25 fps, 25 tbr, 1k tbn\n";
const QByteArray kAac = "[info]   Stream #0:1: Audio: aac (LC), 44100 Hz, stereo, fltp, 128 kb/s\n";
const QByteArray kMp3 = "[info]   Stream #0:1: Audio: mp3, 44100 Hz, mono, fltp, 64 kb/s\n";

QByteArray box(QByteArrayView type, const QByteArray &payload)
{
    QByteArray size(4, '\0');
    qToBigEndian(quint32(8 + payload.size()), size.data());
    return size + type.toByteArray() + payload;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestEncoderCopies : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The input's own metadata, a value of several lines included; not a
    // stream's, not the output's.
    void sourceTagsFromTheListing()
    {
        FfmpegLogReader log;
        log.feed("[info] Input #0, flv, from 'file:/v/a.flv':\n"
                 "[info]   Metadata:\n"
                 "[info]     title           : Summer: the lake\n"
                 "[info]     comment         : first line\n"
                 "                    : second line\n"
                 "[info]     ARTIST          : Wu Fang\n"
                 "[info]   Duration: 00:00:03.03, start: 0.000000, bitrate: 446 kb/s\n"
                 + kH264 +
                 "[info]     Metadata:\n"
                 "[info]       handler_name    : VideoHandler\n"
                 "[info] Output #0, rm, to 'file:/o/a.rm':\n"
                 "[info]   Metadata:\n"
                 "[info]     encoder         : Lavf59.27.100\n");
        log.finish();
        const InputInfo &input = *log.input(0);
        QCOMPARE(input.tag(u"title"), u"Summer: the lake"_s);
        QCOMPARE(input.tag(u"comment"), u"first line\nsecond line"_s);
        QCOMPARE(input.tag(u"artist"), u"Wu Fang"_s);
        QCOMPARE(input.tags.size(), 3);
        QCOMPARE(input.streams.size(), 1);

        // RealMedia calls the artist the author; others carry it as it is.
        QCOMPARE(metadataArguments(coding::rows::kRm, input), (QStringList{u"-metadata"_s, u"author=Wu Fang"_s}));
        QCOMPARE(metadataArguments(coding::rows::kMov, input), QStringList());
        QCOMPARE(metadataArguments(coding::rows::kRm, listed(kH264)), QStringList());
    }

    void copiesOnlyWhatFits_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QByteArray>("streams");
        QTest::addColumn<bool>("fits");
        QTest::newRow("H.264 and AAC into MP4") << u"mp4"_s << kH264 + kAac << true;
        QTest::newRow("H.264 alone into MOV") << u"mov"_s << kH264 << true;
        QTest::newRow("Sorenson into MP4") << u"mp4"_s << kFlv1 + kAac << false;
        QTest::newRow("sound alone into MP4") << u"mp4"_s << kMp3 << false;
        QTest::newRow("MP3 sound into MP3") << u"mp3"_s << kFlv1 + kMp3 << true;
        QTest::newRow("AAC into MP3") << u"mp3"_s << kH264 + kAac << false;
        QTest::newRow("no sound into MP3") << u"mp3"_s << kH264 << false;
    }

    void copiesOnlyWhatFits()
    {
        QFETCH(QString, row);
        QFETCH(QByteArray, streams);
        QFETCH(bool, fits);
        const coding::FormatCoding &format = *coding::formatCoding(row);
        const std::optional<QString> mismatch = copyMismatch(format.copy, !format.video.isNone(), listed(streams));
        QCOMPARE(!mismatch.has_value(), fits);
    }

    // The engine's flags come off the end; the legacy line stays as it was.
    void engineFlagsLeaveTheLegacyLine()
    {
        QStringList args{u"-i"_s, u"/v/--remux.flv"_s, u"-y"_s, u"/o/a.mov"_s, u"--remux-only"_s};
        const EncoderFlags flags = takeEncoderFlags(args);
        QVERIFY(flags.remuxOnly && !flags.remux);
        QCOMPARE(args, (QStringList{u"-i"_s, u"/v/--remux.flv"_s, u"-y"_s, u"/o/a.mov"_s}));
        QVERIFY(parseCoderArguments(args).request);
        QStringList plain{u"-i"_s, u"/v/a.flv"_s, u"/o/a.mp3"_s};
        QVERIFY(!takeEncoderFlags(plain).copies());
        QCOMPARE(plain.size(), 3);
    }

    // The tags join the index at the file's end, after 3GPP's own; no
    // sample moves, and a second pass adds nothing.
    void itunesTagsJoinTheIndex()
    {
        QTemporaryDir dir;
        const QByteArray samples = box("mdat", QByteArray(5000, 'x'));
        const QByteArray head = box("ftyp", "3gp4\0\0\2\0" "3gp4isom") + samples;
        const QByteArray udta = box("udta", box("titl", QByteArray(6, '\0') + "Old"));
        const QString path = dir.filePath(u"a.3gp"_s);
        QVERIFY(writeAll(path, head + box("moov", box("mvhd", QByteArray(100, '\0')) + udta)));
        const QList<ItunesTag> tags{{QByteArray("\xa9" "nam"), u"标题"_s}, {QByteArray("\xa9" "ART"), u"Wu"_s}};
        QString error;
        QVERIFY2(addItunesTags(path, tags, error), qPrintable(error));
        const QByteArray tagged = readAll(path);
        QVERIFY(tagged.startsWith(head));
        const QByteArray moov = tagged.mid(head.size());
        QCOMPARE(qFromBigEndian<quint32>(moov.constData()), quint32(moov.size()));
        QCOMPARE(moov.mid(4, 4), QByteArray("moov"));
        QVERIFY(moov.contains("titl"));
        const qsizetype items = moov.indexOf("ilst");
        QVERIFY(moov.indexOf("mdir") > 0 && items > moov.indexOf("titl"));
        QCOMPARE(moov.mid(moov.indexOf("\xa9" "ART") + 8, 4), QByteArray("data"));
        QCOMPARE(moov.right(2), QByteArray("Wu"));
        QVERIFY(moov.indexOf(QString(u"标题"_s).toUtf8()) > items);
        QVERIFY(addItunesTags(path, tags, error));
        QCOMPARE(readAll(path), tagged);
    }

    // A file whose index is not at its end, or that is no ISO file, stays as it is.
    void otherFilesAreLeftAlone()
    {
        QTemporaryDir dir;
        const QString early = dir.filePath(u"early.mp4"_s);
        const QByteArray faststart = box("ftyp", "isom\0\0\2\0") + box("moov", box("mvhd", QByteArray(100, '\0')))
            + box("mdat", QByteArray(100, 'x'));
        const QString noise = dir.filePath(u"noise.mp4"_s);
        const QByteArray garbage = QByteArray("\0\0\0\x03moov", 8) + QByteArray(50, 'z');
        QVERIFY(writeAll(early, faststart) && writeAll(noise, garbage));
        QString error;
        QVERIFY(!addItunesTags(early, {{QByteArray("\xa9" "nam"), u"x"_s}}, error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!addItunesTags(noise, {{QByteArray("\xa9" "nam"), u"x"_s}}, error));
        QCOMPARE(readAll(early), faststart);
        QCOMPARE(readAll(noise), garbage);
    }
};

QTEST_GUILESS_MAIN(TestEncoderCopies)
#include "tst_encodercopies.moc"
