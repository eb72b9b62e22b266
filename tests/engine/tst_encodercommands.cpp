#include "encodercommands.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

namespace {

const QString kProgram = u"/opt/Tools/Conv"_s;
const QString kWork = u"/tmp/sonvera-1000"_s;
const QString kSource = u"/videos/talk.part1.flv"_s;
const QString kOut = u"/out/"_s;

CommandContext context()
{
    CommandContext c;
    c.programFolder = kProgram;
    c.workFolder = kWork;
    c.clock = QTime(14, 7, 9);
    return c;
}

ConversionSettings settingsFor(int format)
{
    return ConversionSettings::forFormat(format, u"/out"_s);
}

} // namespace

class TestEncoderCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstStageText_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("audioBitrate");
        QTest::addColumn<QString>("videoBitrate");
        QTest::addColumn<QString>("frameRate");
        QTest::addColumn<QString>("audioRate");
        QTest::addColumn<int>("channelIndex");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("image");
        QTest::addColumn<int>("runner");

        const QString intermediate = kProgram
            + uR"(/data/conv "/videos/talk.part1.flv" -oac mp3lame -lameopts preset=320 -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=1200 -of avi -o /tmp/sonvera-1000/tmp.mp4)"_s;
        const int dos = int(OutputStyle::Mencoder);
        const int ff = int(OutputStyle::Ffmpeg);

        // The intermediate run ignores every setting, whatever they hold.
        for (int format : {0, 1, 5, 6, 7}) {
            QTest::addRow("intermediate %d", format)
                << format << u"12 8"_s << u"abc"_s << u""_s << u"1"_s << 0 << intermediate << u"conv"_s << dos;
        }
        QTest::newRow("MPG")
            << 2 << u"64"_s << u"600"_s << u"24"_s << u"28000"_s << 1
            << kProgram + uR"(/data/conv "/videos/talk.part1.flv" -oac lavc -lavcopts acodec=mp2:abitrate=64 -ovc lavc -lavcopts vcodec=mpeg1video:vbitrate=600:vpass=1 -ofps 24 -of lavf -lavfopts format=yuv4mpeg -o "/out/talk-1479.mpg")"_s
            << u"conv"_s << dos;
        QTest::newRow("AVI")
            << 3 << u"10.2"_s << u"40"_s << u"15"_s << u"28000"_s << 1
            << kProgram + uR"(/data/conv "/videos/talk.part1.flv" -oac lavc -lavcopts acodec=mp2:abitrate=10.2 -ovc lavc -lavcopts vcodec=mpeg1video:vbitrate=40:vpass=1 -ofps 15 -of lavf -lavfopts format=yuv4mpeg -o "/out/talk-1479.avi")"_s
            << u"conv"_s << dos;
        QTest::newRow("HD MP4, 10.2 as the LAME preset")
            << 4 << u"10.2"_s << u"1200"_s << u"29"_s << u"48000"_s << 1
            << kProgram + uR"(/data/conv "/videos/talk.part1.flv" -oac mp3lame -lameopts preset=10.2 -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=1200 -of avi -o "/out/talk-1479.mp4")"_s
            << u"conv"_s << dos;
        QTest::newRow("MP3")
            << 8 << u"128"_s << u"1200"_s << u"29"_s << u"44100"_s << 1
            << kProgram + uR"(/data/coder -i "/videos/talk.part1.flv" -y -vn -ar 44100 -ab 128k -ac 2 "/out/talk-1479.mp3")"_s
            << u"coder"_s << ff;
        QTest::newRow("MP3, no channel picked gives 0")
            << 8 << u"10.2"_s << u""_s << u""_s << u"8000"_s << -1
            << kProgram + uR"(/data/coder -i "/videos/talk.part1.flv" -y -vn -ar 8000 -ab 10.2k -ac 0 "/out/talk-1479.mp3")"_s
            << u"coder"_s << ff;
    }

    void firstStageText()
    {
        QFETCH(int, format);
        ConversionSettings s = settingsFor(format);
        QFETCH(QString, audioBitrate);
        QFETCH(QString, videoBitrate);
        QFETCH(QString, frameRate);
        QFETCH(QString, audioRate);
        QFETCH(int, channelIndex);
        s.audioBitrate = audioBitrate;
        s.videoBitrate = videoBitrate;
        s.frameRate = frameRate;
        s.audioRate = audioRate;
        s.channelIndex = channelIndex;

        const EncoderCommand c = buildFirstStageCommand(kSource, kOut, s, context());
        QTEST(c.text, "expected");
        QTEST(c.encoderImage, "image");
        QTEST(int(c.outputStyle), "runner");
        QCOMPARE(c.program, kProgram + u"/data/"_s + c.encoderImage);
    }

    void secondStageText_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("expected");

        const QString head = kProgram + u"/data/"_s;
        QTest::newRow("RMVB keeps the size")
            << 0 << u"原始大小"_s
            << head + uR"(coder -i /tmp/sonvera-1000/tmp.mp4 -y -vcodec rv10 -b 1200k -f rm  -ab 128k -ac 2 "/out/talk-1479.rmvb")"_s;
        QTest::newRow("RM keeps the size")
            << 1 << u"原始大小"_s
            << head + uR"(coder -i /tmp/sonvera-1000/tmp.mp4 -y -vcodec rv10 -b 1200k -f rm  -ab 128k -ac 2 "/out/talk-1479.rm")"_s;
        QTest::newRow("RM 320x240")
            << 1 << u"320x240"_s
            << head + uR"(coder -i /tmp/sonvera-1000/tmp.mp4 -y -s 320x240 -vcodec rv10 -b 256k -f rm -ar 44100 -ab 64k -ac 2 "/out/talk-1479.rm")"_s;
        QTest::newRow("RMVB 640x360")
            << 0 << u"640x360"_s
            << head + uR"(coder -i /tmp/sonvera-1000/tmp.mp4 -y -s 640x360 -vcodec rv10 -b 256k -f rm -ar 44100 -ab 64k -ac 2 "/out/talk-1479.rmvb")"_s;
        QTest::newRow("MOV keeps the size")
            << 5 << u"原始大小"_s
            << head + uR"(coder -i /tmp/sonvera-1000/tmp.mp4 -y -ac 2 -ar 48000 -ab 128k "/out/talk-1479.mov")"_s;
        QTest::newRow("MOV 640x480")
            << 5 << u"640x480"_s
            << head + uR"(coder -i /tmp/sonvera-1000/tmp.mp4 -y -s 640x480 -ac 2 -ar 48000 -ab 128k "/out/talk-1479.mov")"_s;
        QTest::newRow("mobile MP4 keeps 320x240")
            << 6 << u"原始大小"_s
            << head + uR"(coder2 -i /tmp/sonvera-1000/tmp.mp4 -y -s 320x240 -vcodec mpeg4 -acodec amr_nb -ac 1 -ar 8000 -ab 12.2k "/out/talk-1479.mp4")"_s;
        QTest::newRow("3GP 176x144")
            << 7 << u"176x144"_s
            << head + uR"(coder2 -i /tmp/sonvera-1000/tmp.mp4 -y -s 176x144 -vcodec mpeg4 -acodec amr_nb -ac 1 -ar 8000 -ab 12.2k "/out/talk-1479.3gp")"_s;
        QTest::newRow("3GP keeps 320x240")
            << 7 << u"原始大小"_s
            << head + uR"(coder2 -i /tmp/sonvera-1000/tmp.mp4 -y -s 320x240 -vcodec mpeg4 -acodec amr_nb -ac 1 -ar 8000 -ab 12.2k "/out/talk-1479.3gp")"_s;
    }

    void secondStageText()
    {
        QFETCH(int, format);
        QFETCH(QString, size);
        ConversionSettings s = settingsFor(format);
        s.videoSize = size;
        s.videoBitrate = u"256"_s;
        s.audioRate = u"44100"_s;
        s.audioBitrate = u"64"_s;
        s.channelIndex = 1;
        // The output folder lacks its "/": the second stage adds it to its own copy.
        const EncoderCommand c = buildSecondStageCommand(kSource, u"/out"_s, s, context());
        QTEST(c.text, "expected");
        QCOMPARE(c.outputStyle, OutputStyle::Ffmpeg);
        QCOMPARE(c.encoderImage, (format == 6 || format == 7) ? u"coder2"_s : u"coder"_s);
    }

    void secondStageOnlyForTwoStageFormats()
    {
        for (int format : {-1, 2, 3, 4, 8, 9}) {
            ConversionSettings s = settingsFor(0);
            s.formatIndex = format;
            QVERIFY2(buildSecondStageCommand(kSource, kOut, s, context()).isEmpty(), qPrintable(QString::number(format)));
        }
    }

    void noCommandOutsideTheCatalogue()
    {
        for (int format : {-1, 9, 100}) {
            ConversionSettings s = settingsFor(0);
            s.formatIndex = format;
            const EncoderCommand c = buildFirstStageCommand(kSource, kOut, s, context());
            QVERIFY(c.isEmpty());
            QVERIFY(c.text.isEmpty());
            QVERIFY(c.arguments.isEmpty());
        }
    }

    void argumentsFollowTheText()
    {
        ConversionSettings s = settingsFor(0);
        s.videoSize = u"原始大小"_s;
        const EncoderCommand two = buildSecondStageCommand(kSource, kOut, s, context());
        // The doubled blank after "rm" gives no empty argument.
        QCOMPARE(two.arguments,
                 QStringList({u"-i"_s, u"/tmp/sonvera-1000/tmp.mp4"_s, u"-y"_s, u"-vcodec"_s, u"rv10"_s, u"-b"_s,
                              u"1200k"_s, u"-f"_s, u"rm"_s, u"-ab"_s, u"128k"_s, u"-ac"_s, u"2"_s,
                              u"/out/talk-1479.rmvb"_s}));
        QCOMPARE(two.outputPath, u"/out/talk-1479.rmvb"_s);

        ConversionSettings mpg = settingsFor(2);
        const EncoderCommand one = buildFirstStageCommand(kSource, kOut, mpg, context());
        QCOMPARE(one.arguments,
                 QStringList({kSource, u"-oac"_s, u"lavc"_s, u"-lavcopts"_s, u"acodec=mp2:abitrate=64"_s, u"-ovc"_s,
                              u"lavc"_s, u"-lavcopts"_s, u"vcodec=mpeg1video:vbitrate=600:vpass=1"_s, u"-ofps"_s,
                              u"24"_s, u"-of"_s, u"lavf"_s, u"-lavfopts"_s, u"format=yuv4mpeg"_s, u"-o"_s,
                              u"/out/talk-1479.mpg"_s}));

        ConversionSettings mobile = settingsFor(6);
        const EncoderCommand inter = buildFirstStageCommand(kSource, kOut, mobile, context());
        QCOMPARE(inter.arguments.last(), u"/tmp/sonvera-1000/tmp.mp4"_s);
        QCOMPARE(inter.outputPath, u"/tmp/sonvera-1000/tmp.mp4"_s);
    }

    void hostilePathsStayOneArgument_data()
    {
        QTest::addColumn<QString>("source");
        QTest::newRow("blanks") << u"/my videos/a b.flv"_s;
        QTest::newRow("double quotes") << uR"(/v/say "hi".flv)"_s;
        QTest::newRow("command substitution") << u"/v/$(rm -rf ~) `id`.flv"_s;
        QTest::newRow("backslash") << uR"(/v/back\slash.flv)"_s;
        QTest::newRow("leading dash") << u"-clip.flv"_s;
        QTest::newRow("Chinese") << u"/视频/第一集.flv"_s;
    }

    void hostilePathsStayOneArgument()
    {
        QFETCH(QString, source);
        CommandContext ctx = context();
        ctx.programFolder = u"/opt/My Tools/Conv"_s;
        for (int format = 0; format < kFormatCount; ++format) {
            ConversionSettings s = settingsFor(format);
            const EncoderCommand c = buildFirstStageCommand(source, u"/out dir/"_s, s, ctx);
            QCOMPARE(c.program, u"/opt/My Tools/Conv/data/"_s + c.encoderImage);
            QCOMPARE(c.arguments.count(source), 1);
            QVERIFY(c.text.contains(u'"' + source + u'"'));
            if (format == 2) {
                const QString out = u"/out dir/"_s + baseNameOf(source) + u"-1479.mpg"_s;
                QCOMPARE(c.arguments.last(), out);
            }
        }
    }

    void settingTextsWithBlanksStayWhole()
    {
        ConversionSettings s = settingsFor(8);
        s.audioBitrate = u"12 8"_s;
        s.audioRate = u""_s;
        const EncoderCommand c = buildFirstStageCommand(kSource, kOut, s, context());
        QCOMPARE(c.text, kProgram + uR"(/data/coder -i "/videos/talk.part1.flv" -y -vn -ar  -ab 12 8k -ac 2 "/out/talk-1479.mp3")"_s);
        QCOMPARE(c.arguments,
                 QStringList({u"-i"_s, kSource, u"-y"_s, u"-vn"_s, u"-ar"_s, u"-ab"_s, u"12 8k"_s, u"-ac"_s, u"2"_s,
                              u"/out/talk-1479.mp3"_s}));

        ConversionSettings rm = settingsFor(1);
        rm.videoSize = u"320 x 240"_s;
        const EncoderCommand two = buildSecondStageCommand(kSource, kOut, rm, context());
        QVERIFY(two.arguments.contains(u"320 x 240"_s));
    }

    void outputNeverNamesAnExistingFile()
    {
        CommandContext ctx = context();
        QStringList existing{u"/out/talk-1479.mp3"_s, u"/out/talk-1479-2.mp3"_s};
        ctx.fileExists = [&](const QString &p) { return existing.contains(p); };
        const EncoderCommand c = buildFirstStageCommand(kSource, kOut, settingsFor(8), ctx);
        QCOMPARE(c.outputPath, u"/out/talk-1479-3.mp3"_s);
        QVERIFY(c.text.endsWith(uR"( "/out/talk-1479-3.mp3")"_s));

        ConversionSettings rmvb = settingsFor(0);
        existing = QStringList{u"/out/talk-1479.rmvb"_s};
        QCOMPARE(buildSecondStageCommand(kSource, kOut, rmvb, ctx).outputPath, u"/out/talk-1479-2.rmvb"_s);
        // The intermediate file is ours and is always rewritten.
        existing = QStringList{intermediateFilePath(kWork)};
        QCOMPARE(buildFirstStageCommand(kSource, kOut, rmvb, ctx).outputPath, intermediateFilePath(kWork));
    }

    void mp3ClipRange_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("tail");
        QTest::newRow("range") << 65 << 130 << uR"(-ac 2 -ss 65 -to 130 "/out/talk-1479.mp3")"_s;
        QTest::newRow("from zero") << 0 << 10 << uR"(-ac 2 -ss 0 -to 10 "/out/talk-1479.mp3")"_s;
        QTest::newRow("end equals start: not cut") << 30 << 30 << uR"(-ac 2 "/out/talk-1479.mp3")"_s;
        QTest::newRow("end before start: not cut") << 30 << 10 << uR"(-ac 2 "/out/talk-1479.mp3")"_s;
    }

    void mp3ClipRange()
    {
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QString, tail);
        CommandContext ctx = context();
        ctx.mp3Clip = ClipRange{start, end};
        ConversionSettings s = settingsFor(8);
        s.audioRate = u"44100"_s;
        s.audioBitrate = u"128"_s;
        QVERIFY(buildFirstStageCommand(kSource, kOut, s, ctx).text.endsWith(u' ' + tail));

        // Other formats are never cut.
        ConversionSettings mpg = settingsFor(2);
        QVERIFY(!buildFirstStageCommand(kSource, kOut, mpg, ctx).text.contains(u"-ss"_s));
    }

    void choicesShapeTheCommands_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("direct");
        QTest::addColumn<QStringList>("lines"); // the copy attempt, if any, then the stages
        const QString head = kProgram + u"/data/"_s;
        const QString intermediate = head + uR"(conv "/videos/talk.part1.flv" -oac mp3lame -lameopts preset=320 -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=1200 -of avi -o /tmp/sonvera-1000/tmp.mp4)"_s;
        QTest::newRow("RMVB in one stage: the second stage's words on the source")
            << 0 << true << QStringList{head + uR"(coder -i "/videos/talk.part1.flv" -y -vcodec rv10 -b 1200k -f rm  -ab 128k -ac 2 "/out/talk-1479.rmvb")"_s};
        QTest::newRow("3GP in one stage")
            << 7 << true << QStringList{head + uR"(coder2 -i "/videos/talk.part1.flv" -y -s 320x240 -vcodec mpeg4 -acodec amr_nb -ac 1 -ar 8000 -ab 12.2k "/out/talk-1479.3gp")"_s};
        QTest::newRow("MOV copies first, the stages as ever after")
            << 5 << false << QStringList{head + uR"(coder -i "/videos/talk.part1.flv" -y -ac 2 -ar 48000 -ab 128k "/out/talk-1479.mov" --remux-only)"_s, intermediate,
                                         head + uR"(coder -i /tmp/sonvera-1000/tmp.mp4 -y -ac 2 -ar 48000 -ab 128k "/out/talk-1479.mov")"_s};
        QTest::newRow("MOV in one stage copies or codes")
            << 5 << true << QStringList{head + uR"(coder -i "/videos/talk.part1.flv" -y -ac 2 -ar 48000 -ab 128k "/out/talk-1479.mov" --remux)"_s};
        QTest::newRow("HD MP4")
            << 4 << false << QStringList{head + uR"(conv "/videos/talk.part1.flv" -oac mp3lame -lameopts preset=320 -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=1200 -of avi -o "/out/talk-1479.mp4" --remux)"_s};
        QTest::newRow("MPG never copies")
            << 2 << false << QStringList{head + uR"(conv "/videos/talk.part1.flv" -oac lavc -lavcopts acodec=mp2:abitrate=64 -ovc lavc -lavcopts vcodec=mpeg1video:vbitrate=600:vpass=1 -ofps 24 -of lavf -lavfopts format=yuv4mpeg -o "/out/talk-1479.mpg")"_s};
    }

    // Remux chosen (and the one-stage route where the row says so): what runs.
    void choicesShapeTheCommands()
    {
        QFETCH(int, format);
        QFETCH(bool, direct);
        QFETCH(QStringList, lines);
        CommandContext ctx = context();
        ctx.choices.remux = true;
        ctx.choices.direct = direct;
        const ConversionSettings s = settingsFor(format);
        QStringList built;
        for (const EncoderCommand &c : {buildCopyAttemptCommand(kSource, kOut, s, ctx), buildFirstStageCommand(kSource, kOut, s, ctx),
                                        buildSecondStageCommand(kSource, kOut, s, ctx)}) {
            if (!c.isEmpty())
                built << c.text;
        }
        QCOMPARE(built, lines);
        QCOMPARE(convertsInTwoStages(s, ctx), lines.size() == 3);
        // The source is one argument, as the intermediate was.
        QCOMPARE(buildFirstStageCommand(kSource, kOut, s, ctx).arguments.count(kSource), 1);
    }
};

QTEST_GUILESS_MAIN(TestEncoderCommands)
#include "tst_encodercommands.moc"
