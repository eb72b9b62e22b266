// What the encoders make of sources that ask more than the plain path:
// frames and frame rates RealVideo cannot code as they are, and failures
// told apart from ffmpeg's log (lines as ffmpeg 5.1 prints them) where real
// runs cannot easily bring them about.
#include "encodercommands.h"
#include "conversionsettings.h"
#include "failures.h"
#include "legacyoptions.h"
#include "plans.h"
#include "valuemaps.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;
using namespace sonvera::encoders;

namespace {

const coding::VideoCoding &kReal = coding::rows::kRm.video;

QString valueOf(const QStringList &args, const QString &option)
{
    const qsizetype i = args.indexOf(option);
    return i >= 0 && i + 1 < args.size() ? args[i + 1] : QString();
}

// The plan of the engine's second stage for `format` with `size` picked.
CoderPlan secondStagePlan(int format, const QString &size)
{
    ConversionSettings s = ConversionSettings::startupDefaults(u"/out"_s);
    s.selectFormat(format);
    s.videoSize = size;
    CommandContext c;
    c.programFolder = u"/opt/Sonvera"_s;
    c.workFolder = u"/tmp/w"_s;
    c.clock = QTime(14, 7, 9);
    return *planCoder(*parseCoderArguments(buildSecondStageCommand(u"/v/a.flv"_s, u"/out/"_s, s, c).arguments).request, true).plan;
}

StreamInfo videoStream(QSize size, double fps)
{
    StreamInfo v;
    v.kind = StreamInfo::Kind::Video;
    v.codec = u"mpeg4"_s;
    v.size = size;
    v.frameRate = fps;
    return v;
}

FfmpegLogReader readLog(const QByteArray &text)
{
    FfmpegLogReader log;
    log.feed(text);
    log.finish();
    return log;
}

const QByteArray kFlvListing = "[info] Input #0, flv, from 'file:/v/a.flv':\n"
                               "[info]   Duration: 00:00:03.03, start: 0.000000, bitrate: 446 kb/s\n";
const QByteArray kMp3Stream = "[info]   Stream #0:0: Audio: mp3, 44100 Hz, mono, fltp, 64 kb/s\n";
const QByteArray kVideoStream = "[info]   Stream #0:1: Video: flv1 (flv) ([2][0][0][0] / 0x0002), yuv420p, 320x240, 200 kb/s, 25 fps, 25 tbr, 1k tbn\n";
const QByteArray kMapping = "[info] Stream mapping:\n";

constexpr InputNeeds kVideoOutput{true, false, true};
constexpr InputNeeds kMp3Output{false, true, true};

} // namespace

class TestEncoderFailures : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void realVideoFramesFitItsLimit_data()
    {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<QSize>("expected"); // invalid: any size that keeps the rules
        QTest::newRow("1080p") << QSize(1920, 1080) << QSize(1280, 720);
        QTest::newRow("4K") << QSize(3840, 2160) << QSize(1280, 720);
        QTest::newRow("4:3") << QSize(1440, 1080) << QSize(1152, 864);
        QTest::newRow("portrait") << QSize(1080, 1920) << QSize(720, 1280);
        QTest::newRow("odd 1366x768") << QSize(1366, 768) << QSize();
        QTest::newRow("scope") << QSize(2048, 858) << QSize();
        QTest::newRow("odd 1927x1091") << QSize(1927, 1091) << QSize();
    }

    void realVideoFramesFitItsLimit()
    {
        QFETCH(QSize, source);
        QFETCH(QSize, expected);
        const std::optional<QSize> fitted = sizeWithinMacroblocks(source, kReal.maxMacroblocks);
        QVERIFY(fitted);
        if (expected.isValid())
            QCOMPARE(*fitted, expected);
        QCOMPARE(fitted->width() % 16, 0);
        QCOMPARE(fitted->height() % 16, 0);
        QVERIFY(fitted->width() / 16 * (fitted->height() / 16) <= kReal.maxMacroblocks);
        const double shape = double(fitted->width()) / fitted->height() / (double(source.width()) / source.height());
        QVERIFY2(std::abs(shape - 1) <= 0.0025, qPrintable(sizeText(*fitted)));
        // Not much smaller than the limit allows.
        QVERIFY(fitted->width() / 16 * (fitted->height() / 16) > kReal.maxMacroblocks * 3 / 4);

        // What fits stays, borders and all: 720p is 3600 blocks.
        QVERIFY(!sizeWithinMacroblocks(QSize(1280, 720), kReal.maxMacroblocks));
        QVERIFY(!sizeWithinMacroblocks(QSize(1360, 765), kReal.maxMacroblocks)); // 1360x768 after its borders: 4080 blocks
    }

    void realVideoFollowsTheSource()
    {
        // RMVB keeps the source's size: the frame is fitted once ffmpeg has listed the source.
        const CoderPlan rmvb = secondStagePlan(0, u"原始大小"_s);
        QStringList warnings;
        const StreamInfo big = videoStream(QSize(1920, 1080), 25);
        QStringList args = coderVideoArguments(rmvb, &big, &warnings);
        QCOMPARE(valueOf(args, u"-vf"_s), u"scale=1280:720"_s);
        QCOMPARE(valueOf(args, u"-b:v"_s), u"1200k"_s);
        QCOMPARE(warnings, QStringList{u"frame size 1920x1080 → 1280x720: RealVideo codes at most 4095 blocks of 16x16 pixels a frame"_s});

        // At 2 fps one frame's share of 1200 kbit/s is more than the buffer
        // that keeps it under 64 kB: the bitrate comes down to fit.
        warnings.clear();
        const StreamInfo slow = videoStream(QSize(640, 360), 2);
        args = coderVideoArguments(rmvb, &slow, &warnings);
        const int kbps = valueOf(args, u"-b:v"_s).chopped(1).toInt();
        QVERIFY(kbps > 0 && kbps * 1000 / 2 <= kReal.frameBufferKbit * 1000);
        QCOMPARE(valueOf(args, u"-bufsize"_s), u"480k"_s);
        QCOMPARE(valueOf(args, u"-maxrate"_s), QString::number(2 * kbps) + u'k');
        QCOMPARE(warnings.size(), 2); // the borders to 640x368, and the bitrate
        QVERIFY(warnings[1].startsWith(u"video bitrate 1200 kbit/s → "_s));
        QVERIFY(bitrateForFrameBuffer(1200, 25, kReal.frameBufferKbit).warning.isEmpty());
        QCOMPARE(bitrateForFrameBuffer(1200, 0, kReal.frameBufferKbit).value, 1200); // rate unknown: as asked

        // A common source needs nothing else than what the run started with.
        const StreamInfo common = videoStream(QSize(320, 240), 25);
        QCOMPARE(coderVideoArguments(rmvb, &common), rmvb.videoArguments);

        // A size typed in that is too large is fitted from the start.
        const CoderPlan rm = secondStagePlan(1, u"1920x1080"_s);
        QCOMPARE(valueOf(rm.videoArguments, u"-vf"_s).section(u',', 0, 0), u"scale=1280:720"_s);
        QVERIFY(rm.warnings.first().startsWith(u"frame size 1920x1080 → 1280x720: "_s));
    }

    void failuresAreToldApart_data()
    {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<bool>("mp3");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("cause"); // how the reason starts
        QTest::addColumn<QString>("detail"); // ffmpeg's line after our words; empty: none

        QTest::newRow("listing without streams") << kFlvListing + kMapping + "[fatal] Output file #0 does not contain any stream\n" << true
            << int(FailureCode::SourceDamaged) << u"the file is damaged: it holds no readable audio or video stream"_s << QString();
        QTest::newRow("undecodable packets") << kFlvListing + kMp3Stream + kMapping
                + "[error] Error while decoding stream #0:0: Invalid data found when processing input\n"
                + "[warning] Output file is empty, nothing was encoded (check -ss / -t / -frames parameters if used)\n"
            << true << int(FailureCode::SourceDamaged) << u"the file is damaged: its streams could not be decoded"_s
            << u"Error while decoding stream #0:0: Invalid data found when processing input"_s;
        QTest::newRow("disk full") << kFlvListing + kMp3Stream + kVideoStream + kMapping
                + "[error] file:/o/.sonvera-7.part: No space left on device\n"
            << false << int(FailureCode::DiskFull) << u"the disk is full; free some space or choose another output folder"_s << QString();
        QTest::newRow("source gone") << QByteArray("[error] file:/v/a.flv: No such file or directory\n") << false
            << int(FailureCode::SourceMissing) << u"no such file"_s << QString();
        // The encoder refused: a fault of this system, said as such, ffmpeg's words only as detail.
        QTest::newRow("encoder refused") << kFlvListing + kMp3Stream + kVideoStream + kMapping
                + "[rv10 @ 0x5600] [error] Encoding frames with 8160 (>= 4096) macroblocks is not implemented.\n"
                + "[error] Error submitting video frame to the encoder\n"
            << false << int(FailureCode::Failed) << u"ffmpeg could not convert it with these settings; try another format, size or bitrate"_s
            << u"Error submitting video frame to the encoder"_s;
    }

    void failuresAreToldApart()
    {
        QFETCH(QByteArray, log);
        QFETCH(bool, mp3);
        QFETCH(int, status);
        QFETCH(QString, cause);
        QFETCH(QString, detail);
        const FfmpegLogReader reader = readLog(log);
        const FailureReason reason = ffmpegFailure(reader, 1, mp3 ? kMp3Output : kVideoOutput, {u"file:/v/a.flv"_s, u"file:/o/.sonvera-7.part"_s});
        QCOMPARE(int(reason.code), status);
        QVERIFY2(reason.cause.startsWith(cause), qPrintable(reason.cause));
        if (!detail.isEmpty())
            QVERIFY2(reason.cause.contains(u" (ffmpeg: "_s + detail), qPrintable(reason.cause));
        // ffmpeg's path prefix is gone: the program's line names the file once.
        QVERIFY(!reason.cause.contains(u"file:/"_s));
    }
};

QTEST_GUILESS_MAIN(TestEncoderFailures)
#include "tst_encoderfailures.moc"
