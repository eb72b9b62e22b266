#include "conversionsettings.h"
#include "encodercommands.h"
#include "formats.h"
#include "settinguse.h"

#include <QTest>

#include <functional>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

class TestFormats : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void catalogueRows_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("listText");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("firstImage");
        QTest::addColumn<QString>("secondImage");

        QTest::newRow("0") << 0 << u"RMVB(RealPlayerRMVB)"_s << u".rmvb"_s << u"conv"_s << u"coder"_s;
        QTest::newRow("1") << 1 << u"RM(RealPlayerRM)"_s << u".rm"_s << u"conv"_s << u"coder"_s;
        QTest::newRow("2") << 2 << u"MPG(MPEG2)"_s << u".mpg"_s << u"conv"_s << QString();
        QTest::newRow("3") << 3 << u"AVI(Windows Media Player格式)"_s << u".avi"_s << u"conv"_s << QString();
        QTest::newRow("4") << 4 << u"MP4(高清MPEG4格式)"_s << u".mp4"_s << u"conv"_s << QString();
        QTest::newRow("5") << 5 << u"MOV(QuickTime格式)"_s << u".mov"_s << u"conv"_s << u"coder"_s;
        QTest::newRow("6") << 6 << u"MP4(手机MP4格式)"_s << u".mp4"_s << u"conv"_s << u"coder2"_s;
        QTest::newRow("7") << 7 << u"3GP(手机3GP格式)"_s << u".3gp"_s << u"conv"_s << u"coder2"_s;
        QTest::newRow("8") << 8 << u"MP3(纯音频格式)"_s << u".mp3"_s << u"coder"_s << QString();
    }

    void catalogueRows()
    {
        QFETCH(int, format);
        const FormatInfo *info = formatAt(format);
        QVERIFY(info);
        QTEST(info->listText.toString(), "listText");
        QTEST(info->extension().toString(), "extension");
        QTEST(info->encoderImage().toString(), "firstImage");
        QTEST(info->stageTwoImage().toString(), "secondImage");
        QCOMPARE(info->outputStyle(), format == 8 ? OutputStyle::Ffmpeg : OutputStyle::Mencoder);
        // The recipes agree with the encoders: a second stage needs a second encoder and an intermediate.
        QCOMPARE(info->isTwoStage(), !info->stageTwoImage().isEmpty());
        QCOMPARE(info->first->key == u"intermediate", info->isTwoStage());
        QCOMPARE(info->isAudioOnly(), format == 8);
    }

    void outsideTheCatalogue()
    {
        QCOMPARE(formatAt(-1), nullptr);
        QCOMPARE(formatAt(9), nullptr);
    }

    void listEntries()
    {
        QCOMPARE(ParameterLists::videoBitrate().size(), 14u);
        QCOMPARE(ParameterLists::frameRate().size(), 3u);
        QCOMPARE(ParameterLists::videoSize().size(), 13u);
        QCOMPARE(ParameterLists::videoSize()[0], kKeepSourceSize);
        QCOMPARE(ParameterLists::audioRate()[6], u"12050");
        QCOMPARE(ParameterLists::audioBitrate()[13], u"320");
        QCOMPARE(ParameterLists::channel()[0].toString(), u"单声道"_s);
        QCOMPARE(ParameterLists::channel()[1].toString(), u"双声道"_s);
    }

    void presets_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QStringList>("expected"); // video bitrate, rate, size, audio rate, bitrate, channel

        QTest::newRow("RMVB") << 0 << QStringList{u"1200"_s, u"29"_s, u"原始大小"_s, u"44100"_s, u"320"_s, u"1"_s};
        QTest::newRow("RM") << 1 << QStringList{u"1200"_s, u"29"_s, u"原始大小"_s, u"44100"_s, u"320"_s, u"1"_s};
        QTest::newRow("MPG") << 2 << QStringList{u"600"_s, u"24"_s, u"原始大小"_s, u"28000"_s, u"64"_s, u"1"_s};
        QTest::newRow("AVI") << 3 << QStringList{u"600"_s, u"24"_s, u"原始大小"_s, u"28000"_s, u"64"_s, u"1"_s};
        QTest::newRow("HD MP4") << 4 << QStringList{u"1200"_s, u"29"_s, u"原始大小"_s, u"48000"_s, u"320"_s, u"1"_s};
        QTest::newRow("MOV") << 5 << QStringList{u"256"_s, u"29"_s, u"原始大小"_s, u"48000"_s, u"64"_s, u"1"_s};
        QTest::newRow("mobile") << 6 << QStringList{u"128"_s, u"29"_s, u"320x240"_s, u"8000"_s, u"12.2"_s, u"0"_s};
        QTest::newRow("3GP") << 7 << QStringList{u"128"_s, u"29"_s, u"320x240"_s, u"8000"_s, u"12.2"_s, u"0"_s};
        // MP3 keeps the video fields the user had.
        QTest::newRow("MP3") << 8 << QStringList{u"700"_s, u"7"_s, u"1x1"_s, u"48000"_s, u"320"_s, u"1"_s};
        QTest::newRow("none") << -1 << QStringList{u"700"_s, u"7"_s, u"1x1"_s, u"9"_s, u"9"_s, u"0"_s};
    }

    void presets()
    {
        QFETCH(int, format);
        QFETCH(QStringList, expected);
        ConversionSettings s;
        s.videoBitrate = u"700"_s;
        s.frameRate = u"7"_s;
        s.videoSize = u"1x1"_s;
        s.audioRate = u"9"_s;
        s.audioBitrate = u"9"_s;
        s.channelIndex = 0;
        s.selectFormat(format);
        QCOMPARE(s.formatIndex, format);
        QCOMPARE((QStringList{s.videoBitrate, s.frameRate, s.videoSize, s.audioRate, s.audioBitrate,
                              QString::number(s.channelIndex)}),
                 expected);
    }

    void mp3AfterMobileKeepsVideoFields()
    {
        ConversionSettings s = ConversionSettings::startupDefaults(u"/o"_s);
        s.selectFormat(6);
        s.selectFormat(8);
        QCOMPARE(s.videoBitrate, u"128"_s);
        QCOMPARE(s.frameRate, u"29"_s);
        QCOMPARE(s.videoSize, u"320x240"_s);
        QCOMPARE(s.audioRate, u"48000"_s);
        QCOMPARE(s.audioBitrate, u"320"_s);
        QCOMPARE(s.channelIndex, 1);
    }

    void typedValueLastsUntilAPreset()
    {
        ConversionSettings s = ConversionSettings::startupDefaults(u"/o"_s);
        s.videoBitrate = u"700"_s;
        s.selectFormat(1);
        QCOMPARE(s.videoBitrate, u"1200"_s);
    }

    // A setting is said to apply exactly when changing it changes what the
    // encoders are told, for every format and both kinds of size choice.
    void aSettingAppliesWhenItChangesTheCommands()
    {
        // Two values of each setting, as a change to the settings and to the context.
        using Change = std::function<void(ConversionSettings &, CommandContext &, bool second)>;
        const auto text = [](QString ConversionSettings::*field, QString a, QString b) -> Change {
            return [=](ConversionSettings &s, CommandContext &, bool second) { s.*field = second ? b : a; };
        };
        const std::array<std::pair<Setting, Change>, 6> changes{{
            {Setting::VideoBitrate, text(&ConversionSettings::videoBitrate, u"300"_s, u"700"_s)},
            {Setting::FrameRate, text(&ConversionSettings::frameRate, u"15"_s, u"23"_s)},
            {Setting::AudioRate, text(&ConversionSettings::audioRate, u"22050"_s, u"32000"_s)},
            {Setting::AudioBitrate, text(&ConversionSettings::audioBitrate, u"48"_s, u"96"_s)},
            {Setting::Channels, [](ConversionSettings &s, CommandContext &, bool second) { s.channelIndex = second; }},
            {Setting::Clip, [](ConversionSettings &, CommandContext &c, bool second) {
                 c.mp3Clip = second ? std::optional<ClipRange>(ClipRange{5, 9}) : std::nullopt; }},
        }};
        const auto commands = [](const ConversionSettings &s, const CommandContext &c) -> QString {
            return buildFirstStageCommand(u"/v/a.flv"_s, u"/o/"_s, s, c).text + u'\n'
                + buildSecondStageCommand(u"/v/a.flv"_s, u"/o/"_s, s, c).text;
        };
        CommandContext context;
        context.programFolder = u"/p"_s;
        context.workFolder = u"/w"_s;
        context.clock = QTime(14, 7, 9);
        for (int format = 0; format < kFormatCount; ++format) {
            const auto sizeCommands = [&](QStringView size) {
                ConversionSettings s = ConversionSettings::forFormat(format, u"/o/"_s);
                s.videoSize = size.toString();
                return commands(s, context);
            };
            const auto unusedSize = [&](QStringView size) { return unusedSetting(*formatAt(format), Setting::VideoSize, size); };
            QCOMPARE(!unusedSize(u"176x144"), sizeCommands(u"176x144") != sizeCommands(u"352x288"));
            // The kept size is replaced when it codes what some listed size codes.
            bool replaced = false;
            for (QStringView size : ParameterLists::videoSize().subspan(1))
                replaced = replaced || sizeCommands(kKeepSourceSize) == sizeCommands(size);
            QCOMPARE(replaced, unusedSize(kKeepSourceSize).has_value());
            for (const QStringView size : {kKeepSourceSize, QStringView(u"176x144")}) {
                for (const auto &[setting, change] : changes) {
                    ConversionSettings s = ConversionSettings::forFormat(format, u"/o/"_s);
                    s.videoSize = size.toString();
                    CommandContext c = context;
                    change(s, c, false);
                    const QString first = commands(s, c);
                    change(s, c, true);
                    const bool applies = !unusedSetting(s, setting);
                    QVERIFY2(applies == (commands(s, c) != first),
                             qPrintable(u"format %1, %2, size %3"_s.arg(format).arg(settingKey(setting)).arg(size)));
                }
            }
        }
    }

    void startupDefaults()
    {
        const ConversionSettings s = ConversionSettings::startupDefaults(u"/prog/output"_s);
        QCOMPARE(s.formatIndex, 0);
        QCOMPARE(s.videoBitrate, u"1200"_s);
        QCOMPARE(s.frameRate, u"29"_s);
        QCOMPARE(s.videoSize, u"原始大小"_s);
        QCOMPARE(s.audioRate, u"44100"_s);
        QCOMPARE(s.audioBitrate, u"320"_s);
        QCOMPARE(s.channelIndex, 1);
        QCOMPARE(s.channelCount(), 2);
        QCOMPARE(s.outputFolder, u"/prog/output"_s);
    }
};

QTEST_GUILESS_MAIN(TestFormats)
#include "tst_formats.moc"
