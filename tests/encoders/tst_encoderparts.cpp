// The encoders' pure parts: value fitting, the legacy command lines as the
// engine builds them, the reading of ffmpeg's output, the status lines.
#include "encodercommands.h"
#include "conversionsettings.h"
#include "ffmpegoutput.h"
#include "flvtimeline.h"
#include "formats.h"
#include "legacyoptions.h"
#include "plans.h"
#include "statuslines.h"
#include "valuemaps.h"

#include <QBuffer>
#include <QTest>
#include <QtEndian>

#include <cstring>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;
using namespace sonvera::encoders;

namespace {

// An FLV tag of `type` at `ms` with `data`, and the size field after it.
QByteArray flvTag(int type, qint64 ms, const QByteArray &data)
{
    QByteArray tag(11, '\0');
    tag[0] = char(type);
    tag[1] = char(data.size() >> 16);
    tag[2] = char(data.size() >> 8);
    tag[3] = char(data.size());
    tag[4] = char(ms >> 16);
    tag[5] = char(ms >> 8);
    tag[6] = char(ms);
    tag[7] = char(ms >> 24);
    tag += data;
    QByteArray size(4, '\0');
    qToBigEndian(quint32(11 + data.size()), size.data());
    return tag + size;
}

// onMetaData with only its duration.
QByteArray metaData(double seconds)
{
    quint64 bits = 0;
    std::memcpy(&bits, &seconds, sizeof bits);
    QByteArray number(8, '\0');
    qToBigEndian(bits, number.data());
    return QByteArray("\x02\x00\x0aonMetaData\x08\x00\x00\x00\x01\x00\x08" "duration\x00", 29) + number
        + QByteArray("\x00\x00\x09", 3);
}

CommandContext context()
{
    CommandContext c;
    c.programFolder = u"/opt/Sonvera"_s;
    c.workFolder = u"/tmp/sonvera-1000"_s;
    c.clock = QTime(14, 7, 9);
    return c;
}

ConversionSettings settingsFor(int format)
{
    return ConversionSettings::forFormat(format, u"/out"_s);
}

// The value after `option` in an argument list, or a null string.
QString valueOf(const QStringList &args, const QString &option)
{
    const qsizetype i = args.indexOf(option);
    return i >= 0 && i + 1 < args.size() ? args[i + 1] : QString();
}

// The progress display's reading of a first-stage chunk: the first "(" whose
// ")" lies four or five places on encloses the percentage.
std::optional<QString> displayedPercent(const QString &chunk)
{
    for (qsizetype i = 0; i < chunk.size(); ++i) {
        if (chunk[i] != u'(')
            continue;
        if (i + 4 < chunk.size() && chunk[i + 4] == u')')
            return chunk.mid(i + 1, 3);
        if (i + 5 < chunk.size() && chunk[i + 5] == u')')
            return chunk.mid(i + 1, 4);
    }
    return std::nullopt;
}

// ffmpeg 5.1's log of a real run, written with -loglevel level+info.
const QByteArray kLog =
    "[info] Input #0, flv, from 'file:/tmp/a b/bun33s.flv':\n"
    "[info]   Metadata:\n"
    "[info]     encoder         : Lavf61.7.100\n"
    "[info]   Duration: 00:00:33.04, start: 0.000000, bitrate: 948 kb/s\n"
    "[info]   Stream #0:0: Video: h264 (Constrained Baseline), yuv420p(tv, smpte170m/smpte170m/bt709, progressive), 480x270, 30 fps, 30 tbr, 1k tbn\n"
    "[info]   Stream #0:1: Audio: aac (LC), 44100 Hz, stereo, fltp\n"
    "[info] Stream mapping:\n"
    "[info]   Stream #0:0 -> #0:0 (h264 (native) -> mpeg4 (native))\n"
    "[info] Output #0, avi, to 'file:/tmp/out.avi':\n"
    "[info]   Stream #0:0: Video: mpeg4 (FMP4 / 0x34504D46), yuv420p, 480x270, q=2-31, 200 kb/s, 30 fps, 30 tbn\n"
    "[mp3 @ 0x55d0c0a1b2c0] [warning] Estimating duration from bitrate, this may be inaccurate\n"
    "[flv @ 0x55d0c0a1b2c0] [error] Packet corrupt (stream = 0, dts = 1200).\n"
    "[fatal] Stream map '0:a:3' matches no streams.\n"
    "To ignore this, add a trailing '?' to the map.\n";

const QByteArray kProgress =
    "frame=0\nfps=0.00\nstream_0_0_q=0.0\nbitrate=N/A\ntotal_size=9920\nout_time_us=N/A\nout_time_ms=N/A\n"
    "out_time=N/A\ndup_frames=0\ndrop_frames=0\nspeed=N/A\nprogress=continue\n"
    "frame=505\nfps=502.31\nstream_0_0_q=17.9\nbitrate=1492.0kbits/s\ntotal_size=3145728\nout_time_us=16860000\n"
    "out_time_ms=16860000\nout_time=00:00:16.860000\ndup_frames=0\ndrop_frames=0\nspeed=16.8x\nprogress=continue\n"
    "frame=990\nfps=510.00\nbitrate=1500.1kbits/s\ntotal_size=6291456\nout_time_us=33040000\nout_time=00:00:33.040000\n"
    "speed=17.2x\nprogress=end\n";

} // namespace

class TestEncoderParts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Where an FLV's data lies, from its tags: a late start and a jump
    // shorten nothing; a file that stops inside a tag is cut wherever it
    // stops; what follows the last tag that is no tag is no cut.
    void flvTimeline_data()
    {
        QTest::addColumn<QByteArray>("tail"); // after the header and a script tag declaring 60 s
        QTest::addColumn<bool>("whole");
        QTest::addColumn<double>("span");
        const QByteArray frames = flvTag(9, 60000, "abc") + flvTag(8, 60010, "de") + flvTag(9, 93000, "fgh");
        QTest::newRow("late start") << frames << true << 33.0;
        QTest::newRow("jump") << flvTag(8, 0, "a") + flvTag(8, 4150900, "b") << true << 4150.9;
        QTest::newRow("cut in the data") << frames + flvTag(9, 94000, "ijkl").left(13) << false << 33.0;
        QTest::newRow("cut in a header") << frames + flvTag(9, 94000, "ijkl").left(5) << false << 33.0;
        QTest::newRow("cut in the size field") << frames.chopped(2) << false << 0.01;
        QTest::newRow("no tag after the last") << frames + QByteArray(40, '\0') << true << 33.0;
        QTest::newRow("no media") << QByteArray() << true << 0.0;
    }

    void flvTimeline()
    {
        QFETCH(QByteArray, tail);
        QFETCH(bool, whole);
        QFETCH(double, span);
        QByteArray file = QByteArray("FLV\x01\x05\x00\x00\x00\x09\x00\x00\x00\x00", 13) + flvTag(18, 0, metaData(60)) + tail;
        QBuffer buffer(&file);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        const std::optional<FlvTimeline> timeline = readFlvTimeline(buffer);
        QVERIFY(timeline);
        QCOMPARE(timeline->endsWhole, whole);
        QCOMPARE(timeline->spanSeconds(), span);
        QCOMPARE(timeline->declaredSeconds.value_or(0), 60.0);
        QByteArray notFlv = file.mid(1);
        QBuffer other(&notFlv);
        QVERIFY(other.open(QIODevice::ReadOnly));
        QVERIFY(!readFlvTimeline(other));
    }

    void numbersAreReadStrictly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("decimal"); // -1: no number
        QTest::addColumn<double>("kbit");
        QTest::newRow("whole") << u"128"_s << 128.0 << 128.0;
        QTest::newRow("decimal") << u"10.2"_s << 10.2 << 10.2;
        QTest::newRow("k suffix") << u"12.2k"_s << -1.0 << 12.2;
        QTest::newRow("bits per second") << u"128000"_s << 128000.0 << 128.0;
        QTest::newRow("blank inside") << u"12 8"_s << -1.0 << -1.0;
        QTest::newRow("blank inside with k") << u"12 8k"_s << -1.0 << -1.0;
        QTest::newRow("letters") << u"abc"_s << -1.0 << -1.0;
        QTest::newRow("empty") << QString() << -1.0 << -1.0;
        QTest::newRow("only k") << u"k"_s << -1.0 << -1.0;
        QTest::newRow("negative") << u"-5"_s << -1.0 << -1.0;
        QTest::newRow("exponent") << u"1e3"_s << -1.0 << -1.0;
        QTest::newRow("two points") << u"1.2.3"_s << -1.0 << -1.0;
    }

    void numbersAreReadStrictly()
    {
        QFETCH(QString, text);
        QFETCH(double, decimal);
        QFETCH(double, kbit);
        QCOMPARE(parseDecimal(text).value_or(-1), decimal);
        QCOMPARE(parseKbitPerSecond(text).value_or(-1), kbit);
    }

    void frameSizes()
    {
        QCOMPARE(parseFrameSize(u"320x240"), QSize(320, 240));
        QCOMPARE(parseFrameSize(u"317x177"), QSize(317, 177));
        QVERIFY(!parseFrameSize(u"320 x 240"));
        QVERIFY(!parseFrameSize(u"原始大小"));
        QVERIFY(!parseFrameSize(u"0x0"));
        QVERIFY(!parseFrameSize(u"320x"));
        QVERIFY(!parseFrameSize(u"32.5x24"));
        QVERIFY(!parseFrameSize(u"99999x99999"));
        QCOMPARE(paddedTo16(QSize(318, 178)), QSize(320, 192));
        QCOMPARE(paddedTo16(QSize(320, 240)), QSize(320, 240));
        QCOMPARE(paddedTo16(QSize(720, 306)), QSize(720, 320));
        QCOMPARE(evenSize(QSize(317, 177)), QSize(316, 176));
    }

    void mpeg1FrameRates_data()
    {
        QTest::addColumn<double>("asked");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<bool>("warns");
        QTest::newRow("15, repeated up to a standard rate") << 15.0 << u"15"_s << false;
        QTest::newRow("23") << 23.0 << u"24000/1001"_s << true;
        QTest::newRow("29") << 29.0 << u"30000/1001"_s << true;
        QTest::newRow("24") << 24.0 << u"24"_s << false;
        QTest::newRow("23.976") << 23.976 << u"24000/1001"_s << true;
        QTest::newRow("7") << 7.0 << u"5"_s << true;
        QTest::newRow("100") << 100.0 << u"60"_s << true;
    }

    void mpeg1FrameRates()
    {
        QFETCH(double, asked);
        QFETCH(QString, rate);
        QFETCH(bool, warns);
        const Mapped<QString> m = fitFrameRate(coding::rows::kMpg.video, asked);
        QCOMPARE(m.value, rate);
        QCOMPARE(!m.warning.isEmpty(), warns);
        // conv's messages hold no "(...)" that the progress display could take for a percentage.
        QVERIFY(!displayedPercent(m.warning));
    }

    // Each format's row fits the values to what its codecs take.
    void audioValuesFitTheCodecs()
    {
        using namespace coding::rows;
        const AudioCoding &mp2 = kMpg.audio;
        QCOMPARE(fitAudioBitrate(mp2, 10.2, 0).value, 32.0);
        QCOMPARE(fitAudioBitrate(mp2, 12.2, 0).value, 32.0);
        QCOMPARE(fitAudioBitrate(mp2, 64, 0).value, 64.0);
        QVERIFY(fitAudioBitrate(mp2, 64, 0).warning.isEmpty());
        QCOMPARE(fitAudioBitrate(mp2, 100, 0).value, 96.0);
        QCOMPARE(fitAudioBitrate(mp2, 1000, 0).value, 384.0);
        QCOMPARE(fitAudioBitrate(mp2, 10.2, 0).warning, u"audio bitrate 10.2 kbit/s → 32 kbit/s: MP2 audio takes no 10.2 kbit/s"_s);

        const AudioCoding &lame = kMp3.audio;
        QCOMPARE(fitSampleRate(lame, 12050).value, 12000);
        QCOMPARE(fitSampleRate(lame, 28000).value, 32000);
        QCOMPARE(fitSampleRate(lame, 44100).value, 44100);
        QVERIFY(fitSampleRate(lame, 44100).warning.isEmpty());
        QCOMPARE(fitSampleRate(lame, 12050).warning, u"audio sample rate 12050 Hz → 12000 Hz: MP3 takes no 12050 Hz"_s);
        QCOMPARE(fitAudioBitrate(lame, 10.2, 48000).value, 32.0);
        QCOMPARE(fitAudioBitrate(lame, 12.2, 8000).value, 16.0);
        QCOMPARE(fitAudioBitrate(lame, 320, 22050).value, 160.0);
        QCOMPARE(fitAudioBitrate(lame, 320, 8000).value, 64.0);
        QCOMPARE(fitAudioBitrate(lame, 128, 44100).value, 128.0);
        QVERIFY(fitAudioBitrate(lame, 128, 44100).warning.isEmpty());
        QCOMPARE(fitAudioBitrate(kHdMp4.audio, 10.2, 0).value, 32.0);
        QCOMPARE(fitAudioBitrate(kHdMp4.audio, 320, 0).value, 320.0);

        const AudioCoding &ac3 = kRm.audio;
        QCOMPARE(fitSampleRate(ac3, 22050).value, 32000);
        QCOMPARE(fitSampleRate(ac3, 8000).value, 32000);
        QCOMPARE(fitSampleRate(ac3, 44100).value, 44100);
        QCOMPARE(fitAudioBitrate(ac3, 10.2, 44100).value, 32.0);
        QCOMPARE(fitAudioBitrate(ac3, 320, 44100).value, 320.0);
        QCOMPARE(fitVideoBitrate(kRm.video, 20000).value, 5000.0);
        QVERIFY(fitVideoBitrate(kRm.video, 1200).warning.isEmpty());

        const AudioCoding &amr = k3gp.audio;
        QCOMPARE(bitrateIndex(amr, fitAudioBitrate(amr, 12.2, 0).value, 0), 7);
        QVERIFY(fitAudioBitrate(amr, 12.2, 0).warning.isEmpty());
        QCOMPARE(bitrateIndex(amr, fitAudioBitrate(amr, 10.2, 0).value, 0), 6);
        QCOMPARE(bitrateIndex(amr, fitAudioBitrate(amr, 64, 0).value, 0), 7);
        QVERIFY(!fitAudioBitrate(amr, 64, 0).warning.isEmpty());
    }

    // Every entry of every list a format uses, in the command lines the engine builds.
    void everyListEntryGivesAPlan()
    {
        int plans = 0;
        for (int format = 0; format < kFormatCount; ++format) {
            auto check = [&](const ConversionSettings &s, const QString &what) {
                const QString label = QString::number(format) + u' ' + what;
                const EncoderCommand first = buildFirstStageCommand(u"/v/a.flv"_s, u"/out/"_s, s, context());
                if (first.encoderImage == u"conv") {
                    const ConvParse parsed = parseConvArguments(first.arguments);
                    QVERIFY2(parsed.request, qPrintable(label + u": "_s + parsed.error.cause));
                    const ConvPlanResult plan = planConv(*parsed.request);
                    QVERIFY2(plan.plan, qPrintable(label + u": "_s + plan.error.cause));
                    for (const QString &w : plan.plan->warnings)
                        QVERIFY2(!displayedPercent(w), qPrintable(w));
                } else {
                    const CoderParse parsed = parseCoderArguments(first.arguments);
                    QVERIFY2(parsed.request, qPrintable(label + u": "_s + parsed.error.cause));
                    QVERIFY2(planCoder(*parsed.request, false).plan, qPrintable(label));
                }
                const EncoderCommand second = buildSecondStageCommand(u"/v/a.flv"_s, u"/out/"_s, s, context());
                if (!second.isEmpty()) {
                    const CoderParse parsed = parseCoderArguments(second.arguments);
                    QVERIFY2(parsed.request, qPrintable(label + u": "_s + parsed.error.cause));
                    const CoderPlanResult plan = planCoder(*parsed.request, second.encoderImage == u"coder2");
                    QVERIFY2(plan.plan, qPrintable(label + u": "_s + plan.error.cause));
                }
                ++plans;
            };
            auto each = [&](std::span<const QStringView> entries, QString ConversionSettings::*field, const char *name) {
                for (QStringView entry : entries) {
                    ConversionSettings s = settingsFor(format);
                    s.*field = entry.toString();
                    check(s, QString::fromLatin1(name) + u'=' + entry);
                }
            };
            each(ParameterLists::videoBitrate(), &ConversionSettings::videoBitrate, "videoBitrate");
            each(ParameterLists::frameRate(), &ConversionSettings::frameRate, "frameRate");
            each(ParameterLists::audioRate(), &ConversionSettings::audioRate, "audioRate");
            each(ParameterLists::audioBitrate(), &ConversionSettings::audioBitrate, "audioBitrate");
            for (QStringView size : ParameterLists::videoSize()) {
                ConversionSettings s = settingsFor(format);
                s.videoSize = size.toString();
                // Sizes combine with the other RM fields: try the extremes with each.
                for (int channelIndex : {-1, 0, 1}) {
                    s.channelIndex = channelIndex;
                    check(s, u"size="_s + size + u" channels="_s + QString::number(channelIndex + 1));
                }
            }
        }
        QVERIFY(plans > 9 * 40);
    }

    void mpegCommandBecomesMpeg1AndMp2()
    {
        ConversionSettings s = settingsFor(2);
        s.frameRate = u"23"_s;
        s.audioBitrate = u"10.2"_s;
        const ConvPlan plan = *planConv(*parseConvArguments(buildFirstStageCommand(u"/v/a.flv"_s, u"/out/"_s, s, context()).arguments).request).plan;
        QCOMPARE(plan.muxer, u"mpeg"_s);
        QCOMPARE(valueOf(plan.codecArguments, u"-c:v"_s), u"mpeg1video"_s);
        QCOMPARE(valueOf(plan.codecArguments, u"-r"_s), u"24000/1001"_s);
        QCOMPARE(valueOf(plan.codecArguments, u"-b:v"_s), u"600000"_s);
        QCOMPARE(valueOf(plan.codecArguments, u"-c:a"_s), u"mp2"_s);
        QCOMPARE(valueOf(plan.codecArguments, u"-b:a"_s), u"32k"_s);
        QCOMPARE(valueOf(plan.codecArguments, u"-ar"_s), u"44100"_s);
        QCOMPARE(plan.warnings.size(), 2);

        s.selectFormat(3);
        const ConvPlan avi = *planConv(*parseConvArguments(buildFirstStageCommand(u"/v/a.flv"_s, u"/out/"_s, s, context()).arguments).request).plan;
        QCOMPARE(avi.muxer, u"avi"_s);
    }

    void mp4OutputIsARealMp4ButTheIntermediateStaysAvi()
    {
        const ConvRequest hd = *parseConvArguments(buildFirstStageCommand(u"/v/tmp.flv"_s, u"/out/"_s, settingsFor(4), context()).arguments).request;
        QCOMPARE(planConv(hd).plan->muxer, u"mp4"_s);
        // The high-definition preset asks for exactly the intermediate's values.
        const ConvRequest inter = *parseConvArguments(buildFirstStageCommand(u"/v/a.flv"_s, u"/out/"_s, settingsFor(0), context()).arguments).request;
        QCOMPARE(planConv(inter).plan->muxer, u"avi"_s);
        QCOMPARE(inter.lamePreset, hd.lamePreset);
        QCOMPARE(inter.lavcOptions, hd.lavcOptions);
        // LAME's preset 320 is constant bitrate, others average.
        QVERIFY(!planConv(hd).plan->codecArguments.contains(u"-abr"_s));
        ConversionSettings s = settingsFor(4);
        s.audioBitrate = u"128"_s;
        QVERIFY(planConv(*parseConvArguments(buildFirstStageCommand(u"/v/a.flv"_s, u"/out/"_s, s, context()).arguments).request)
                    .plan->codecArguments.contains(u"-abr"_s));
    }

    void secondStagePlans()
    {
        ConversionSettings rm = settingsFor(1);
        rm.videoSize = u"720x306"_s;
        rm.videoBitrate = u"1500"_s;
        rm.audioRate = u"22050"_s;
        rm.audioBitrate = u"12.2"_s;
        CoderPlan plan = *planCoder(*parseCoderArguments(buildSecondStageCommand(u"/v/a.flv"_s, u"/out/"_s, rm, context()).arguments).request, false).plan;
        QCOMPARE(plan.muxer, u"rm"_s);
        QCOMPARE(valueOf(plan.videoArguments, u"-vf"_s), u"scale=720:306,pad=ceil(iw/16)*16:ceil(ih/16)*16:(ow-iw)/2:(oh-ih)/2"_s);
        QCOMPARE(valueOf(plan.videoArguments, u"-bufsize"_s), u"480k"_s);
        QCOMPARE(valueOf(plan.audioArguments, u"-ar"_s), u"32000"_s);
        QCOMPARE(valueOf(plan.audioArguments, u"-b:a"_s), u"32000"_s);
        QCOMPARE(plan.warnings.size(), 3);
        QVERIFY(plan.warnings[0].startsWith(u"frame size 720x306 → 720x320"_s));

        rm.videoSize = u"原始大小"_s;
        plan = *planCoder(*parseCoderArguments(buildSecondStageCommand(u"/v/a.flv"_s, u"/out/"_s, rm, context()).arguments).request, false).plan;
        QVERIFY(plan.keepsSize);
        QCOMPARE(plan.videoCoding->keptSize, SizeRule::PadTo16);
        QCOMPARE(keptSizeWarning(SizeRule::PadTo16, QSize(480, 270)),
                 u"frame size 480x270 → 480x272: RealVideo needs multiples of 16; black borders added"_s);
        QVERIFY(keptSizeWarning(SizeRule::PadTo16, QSize(320, 240)).isEmpty());

        ConversionSettings mov = settingsFor(5);
        plan = *planCoder(*parseCoderArguments(buildSecondStageCommand(u"/v/a.flv"_s, u"/out/"_s, mov, context()).arguments).request, false).plan;
        QCOMPARE(valueOf(plan.videoArguments, u"-c:v"_s), u"libx264"_s);
        QCOMPARE(valueOf(plan.videoArguments, u"-vf"_s), u"scale=trunc(iw/2)*2:trunc(ih/2)*2"_s);
        QCOMPARE(valueOf(plan.audioArguments, u"-c:a"_s), u"aac"_s);
        QCOMPARE(keptSizeWarning(SizeRule::EvenSides, QSize(317, 177)), u"frame size 317x177 → 316x176: H.264 needs even sizes"_s);

        for (int format : {6, 7}) {
            const EncoderCommand c = buildSecondStageCommand(u"/v/a.flv"_s, u"/out/"_s, settingsFor(format), context());
            const CoderRequest request = *parseCoderArguments(c.arguments).request;
            plan = *planCoder(request, true).plan;
            QCOMPARE(plan.muxer, u"3gp"_s); // also for the ".mp4" name
            QCOMPARE(plan.amr->mode, 7);
            QVERIFY(plan.audioArguments.isEmpty());
            // coder, built without AMR-NB, says who does it.
            QCOMPARE(planCoder(request, false).error.cause, u"AMR-NB audio is written by coder2, not by coder"_s);
        }
    }

    void mp3ClipRange()
    {
        CommandContext ctx = context();
        ctx.mp3Clip = ClipRange{5, 9};
        const EncoderCommand c = buildFirstStageCommand(u"/v/a.flv"_s, u"/out/"_s, settingsFor(8), ctx);
        const CoderPlan plan = *planCoder(*parseCoderArguments(c.arguments).request, false).plan;
        QCOMPARE(plan.inputOptions, QStringList({u"-ss"_s, u"5"_s, u"-to"_s, u"9"_s}));
        QCOMPARE(clippedDuration(plan, 33.04), 4.0);
        QCOMPARE(clippedDuration(plan, 7.5), 2.5);
        QCOMPARE(clippedDuration(plan, std::nullopt), 4.0);
    }

    void badSettingsAreRefusedWithAReason_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("secondStage");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("cause");

        QTest::newRow("MP3 empty rate") << 8 << false << u"audioRate"_s << QString() << u"the audio sample rate is empty; enter a value"_s;
        QTest::newRow("MP3 bitrate abc") << 8 << false << u"audioBitrate"_s << u"abc"_s
                                         << u"the audio bitrate \"abc\" is not a number; enter kbit/s such as 128"_s;
        QTest::newRow("MP3 bitrate with blank") << 8 << false << u"audioBitrate"_s << u"12 8"_s
                                                << u"the audio bitrate \"12 8\" is not a number; enter kbit/s such as 128"_s;
        QTest::newRow("MP3 rate 0") << 8 << false << u"audioRate"_s << u"0"_s
                                    << u"the audio sample rate must be above 0; enter Hz such as 44100"_s;
        QTest::newRow("MPG empty frame rate") << 2 << false << u"frameRate"_s << QString() << u"the frame rate is empty; enter a value"_s;
        QTest::newRow("MPG frame rate abc") << 2 << false << u"frameRate"_s << u"abc"_s
                                            << u"the frame rate \"abc\" is not a number; enter frames per second such as 24"_s;
        QTest::newRow("AVI video bitrate abc") << 3 << false << u"videoBitrate"_s << u"abc"_s
                                               << u"the video bitrate \"abc\" is not a number; enter kbit/s such as 600"_s;
        QTest::newRow("AVI empty audio bitrate") << 3 << false << u"audioBitrate"_s << QString()
                                                 << u"the audio bitrate is empty; enter kbit/s such as 64"_s;
        QTest::newRow("HD MP4 zero video bitrate") << 4 << false << u"videoBitrate"_s << u"0"_s
                                                   << u"the video bitrate must be above 0; enter kbit/s such as 600"_s;
        QTest::newRow("RM size abc") << 1 << true << u"videoSize"_s << u"abc"_s
                                     << u"the frame size \"abc\" is not WIDTHxHEIGHT; pick one such as 320x240"_s;
        QTest::newRow("RM empty size") << 1 << true << u"videoSize"_s << QString() << u"the frame size is empty; enter a value"_s;
        QTest::newRow("RM video bitrate abc") << 1 << true << u"videoBitrate"_s << u"abc"_s
                                              << u"the video bitrate \"abc\" is not a number; enter kbit/s such as 256"_s;
        QTest::newRow("3GP size 320 x 240") << 7 << true << u"videoSize"_s << u"320 x 240"_s
                                            << u"the frame size \"320 x 240\" is not WIDTHxHEIGHT; pick one such as 320x240"_s;
    }

    void badSettingsAreRefusedWithAReason()
    {
        QFETCH(int, format);
        QFETCH(bool, secondStage);
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, cause);
        ConversionSettings s = settingsFor(format);
        if (field == u"audioRate") s.audioRate = value;
        if (field == u"audioBitrate") s.audioBitrate = value;
        if (field == u"frameRate") s.frameRate = value;
        if (field == u"videoBitrate") s.videoBitrate = value;
        if (field == u"videoSize") s.videoSize = value;
        if (format == 1 && field != u"videoSize")
            s.videoSize = u"320x240"_s;
        const EncoderCommand c = secondStage ? buildSecondStageCommand(u"/v/a.flv"_s, u"/out/"_s, s, context())
                                             : buildFirstStageCommand(u"/v/a.flv"_s, u"/out/"_s, s, context());
        QString got;
        if (c.encoderImage == u"conv") {
            const ConvParse parsed = parseConvArguments(c.arguments);
            got = parsed.request ? planConv(*parsed.request).error.cause : parsed.error.cause;
            if (!parsed.request)
                QCOMPARE(parsed.error.file, c.outputPath);
        } else {
            const CoderParse parsed = parseCoderArguments(c.arguments);
            got = parsed.request ? planCoder(*parsed.request, true).error.cause : parsed.error.cause;
        }
        QCOMPARE(got, cause);
    }

    void sourcePathsAreTakenWhole()
    {
        // A source that looks like an option is still the source.
        const ConvParse parsed = parseConvArguments({u"-clip.flv"_s, u"-oac"_s, u"mp3lame"_s, u"-o"_s, u"-o"_s});
        QVERIFY(parsed.request);
        QCOMPARE(parsed.request->source, u"-clip.flv"_s);
        QCOMPARE(parsed.request->output, u"-o"_s);
        const CoderParse coder = parseCoderArguments({u"-i"_s, u"-ab"_s, u"-y"_s, u"/o/x.mp3"_s});
        QVERIFY(coder.request);
        QCOMPARE(coder.request->input, u"-ab"_s);
        QVERIFY(!parseCoderArguments({u"-i"_s, u"/v/a.flv"_s, u"stray"_s, u"/o/x.mp3"_s}).request);
        QVERIFY(!parseCoderArguments({u"-i"_s, u"/v/a.flv"_s, u"-qscale"_s, u"3"_s, u"/o/x.mp3"_s}).request);
        QVERIFY(!parseCoderArguments({u"-i"_s, u"/v/a.flv"_s, u"-y"_s}).request);
        QVERIFY(!parseConvArguments({u"/v/a.flv"_s, u"/v/b.flv"_s, u"-o"_s, u"/o/x.mpg"_s}).request);
        QCOMPARE(ffmpegFileUrl(u"/v/concat:a|b.flv"_s), u"file:/v/concat:a|b.flv"_s);
    }

    void readsFfmpegsLogInAnyChunks()
    {
        for (qsizetype piece : {qsizetype(1), qsizetype(7), qsizetype(64), kLog.size()}) {
            FfmpegLogReader log;
            for (qsizetype at = 0; at < kLog.size(); at += piece)
                log.feed(kLog.mid(at, piece));
            log.finish();
            const InputInfo *input = log.input(0);
            QVERIFY(input);
            QVERIFY(input->complete);
            QCOMPARE(input->format, u"flv"_s);
            QCOMPARE(*input->durationSeconds, 33.04);
            QCOMPARE(input->startText, u"0.000000"_s);
            QCOMPARE(input->bitrateText, u"948 kb/s"_s);
            QCOMPARE(input->streams.size(), 2);
            QCOMPARE(input->video()->size, QSize(480, 270));
            QCOMPARE(input->video()->codec, u"h264"_s);
            QCOMPARE(input->audio()->sampleRate, 44100);
            QVERIFY(!log.input(1)); // the output's listing is not an input
            QCOMPARE(log.lastProblem(), u"Stream map '0:a:3' matches no streams."_s);
        }
    }

    // A file's metadata can make ffmpeg print a line of many megabytes: it is
    // cut short, and the lines after it are read as ever.
    void anEndlessLineIsCut()
    {
        FfmpegLogReader log;
        log.feed("[error] ");
        const QByteArray read(4096, 'x');
        for (int i = 0; i < 256; ++i) // 1 MiB in pipe-sized reads
            log.feed(read);
        log.feed("\n[warning] after it\n");
        QCOMPARE(log.errors().size(), 1);
        QVERIFY2(log.errors().at(0).size() <= 16 * 1024, qPrintable(QString::number(log.errors().at(0).size())));
        QCOMPARE(log.warnings(), QStringList{u"after it"_s});
    }

    void inputListingVariants()
    {
        FfmpegLogReader log;
        log.feed("[info] Input #0, mp3, from 'file:/m/song.mp3':\n"
                 "[info]   Duration: N/A, start: 0.025057, bitrate: N/A\n"
                 "[info]   Stream #0:0: Audio: mp3, 44100 Hz, stereo, fltp, 128 kb/s\n"
                 "[mjpeg @ 0x5612a0] [info] a component's message does not end the listing\n"
                 "[info]   Stream #0:1(eng): Video: mjpeg (Baseline), yuvj420p(pc), 500x500 [SAR 1:1 DAR 1:1], 90k tbr, 90k tbn (attached pic)\n"
                 "[info] Input #1, amr, from 'pipe:0':\n"
                 "[info]   Duration: 00:00:10.36, bitrate: 12 kb/s\n"
                 "[info]   Stream #1:0: Audio: amr_nb (samr / 0x726D6173), 8000 Hz, mono, flt\n"
                 "[info] Stream mapping:\n"
                 "[warning] Output file is empty, nothing was encoded\n");
        const InputInfo *mp3 = log.input(0);
        QVERIFY(mp3 && mp3->complete);
        QVERIFY(!mp3->durationSeconds);
        QVERIFY(!mp3->video()); // cover art is no video
        QVERIFY(mp3->audio());
        const InputInfo *amr = log.input(1);
        QVERIFY(amr && amr->complete);
        QCOMPARE(*amr->durationSeconds, 10.36);
        QVERIFY(amr->startText.isEmpty());
        QCOMPARE(amr->audio()->sampleRate, 8000);
        QCOMPARE(log.lastProblem(), u"Output file is empty, nothing was encoded"_s);

        FfmpegLogReader unfinished;
        unfinished.feed("[info] Input #0, flv, from 'x':\n[info]   Duration: 00:00:01.00, start: 0.000000, bitrate: 1 kb/s\n");
        QVERIFY(!unfinished.input(0)->complete); // more streams may follow
    }

    void readsProgressBlocksInAnyChunks()
    {
        for (qsizetype piece : {qsizetype(1), qsizetype(5), qsizetype(100), kProgress.size()}) {
            ProgressReader reader;
            QList<ProgressBlock> blocks;
            for (qsizetype at = 0; at < kProgress.size(); at += piece)
                blocks += reader.feed(kProgress.mid(at, piece));
            QCOMPARE(blocks.size(), 3);
            QVERIFY(!blocks[0].outTimeSeconds);
            QCOMPARE(blocks[0].speed, -1.0);
            QCOMPARE(blocks[1].frame, 505);
            QCOMPARE(*blocks[1].outTimeSeconds, 16.86);
            QCOMPARE(blocks[1].totalSizeBytes, 3145728);
            QCOMPARE(blocks[1].bitrateKbps, 1492.0);
            QCOMPARE(blocks[1].speed, 16.8);
            QVERIFY(!blocks[1].end);
            QVERIFY(blocks[2].end);
        }
    }

    void convStatusLinesCarryTheirPercentage()
    {
        for (int percent : {0, 5, 42, 99, 100}) {
            ConvStatus s;
            s.positionSeconds = 12.3;
            s.frames = 308;
            s.percent = percent;
            s.fps = 25;
            s.videoKbps = 1200;
            s.audioKbps = 320;
            const QString line = convStatusLine(s);
            QVERIFY2(line.startsWith(u"Pos:  12.3s    308f "_s), qPrintable(line));
            QCOMPARE(displayedPercent(line), QString::asprintf("%2d%%", percent));
        }
        QCOMPARE(convPercent(5, 10.0), 50);
        QCOMPARE(convPercent(10, 10.0), 99); // 100 only once the output is in place
        QCOMPARE(convPercent(12, 10.0), 99);
        QCOMPARE(convPercent(0.099, 10.0), 0);
        QCOMPARE(convPercent(5, std::nullopt), 0);
    }

    void coderLinesCarryDurationAndSeconds()
    {
        QCOMPARE(hmsText(205.47), u"00:03:25.47"_s);
        QCOMPARE(hmsText(3600 * 2 + 0.005), u"02:00:00.01"_s);
        QCOMPARE(durationBannerLine(33.04, u"0.000000"_s, u"948 kb/s"_s), u"  Duration: 00:00:33.04, start: 0.000000, bitrate: 948 kb/s"_s);
        QCOMPARE(durationBannerLine(std::nullopt, QString(), QString()), u"  Duration: N/A, start: 0.000000, bitrate: N/A"_s);

        ProgressBlock b;
        b.frame = 505;
        b.fps = 502;
        b.totalSizeBytes = 3072 * 1024;
        b.outTimeSeconds = 12.48;
        b.bitrateKbps = 1492;
        b.speed = 16.8;
        QCOMPARE(coderStatusLine(b, true, false),
                 u"frame=  505 fps=502 q=0.0 size=    3072kB time=12.48 bitrate=1492.0kbits/s speed=16.8x"_s);
        QCOMPARE(coderStatusLine(b, false, true), u"Lsize=    3072kB time=12.48 bitrate=1492.0kbits/s speed=16.8x"_s);
        b.outTimeSeconds = 3725.5;
        QVERIFY(coderStatusLine(b, false, false).contains(u" time=3725.50 "_s));
        QVERIFY(coderStatusLine(ProgressBlock{}, false, false).contains(u" time=0.00 bitrate=N/A speed=N/A"_s));
    }
};

QTEST_GUILESS_MAIN(TestEncoderParts)
#include "tst_encoderparts.moc"
