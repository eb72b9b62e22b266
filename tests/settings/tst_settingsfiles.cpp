#include "appoptions.h"
#include "cutoption.h"
#include "formats.h"
#include "preferences.h"
#include "settingsstore.h"
#include "settingstext.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

Q_DECLARE_METATYPE(sonvera::ConversionSettings)
Q_DECLARE_METATYPE(sonvera::AppOptions)

namespace {

const QString kDefaultOut = u"/prog/output"_s;

ConversionSettings defaults()
{
    return ConversionSettings::startupDefaults(kDefaultOut);
}

QString entry(std::span<const QStringView> list, int position)
{
    return list[static_cast<std::size_t>(position)].toString();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSettingsFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Keep the config home of this run inside a temporary folder.
        QVERIFY(m_home.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(u"config"_s)));
    }

    void readField_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("field");
        QTest::newRow("quoted") << u"\"13\""_s << u"13"_s;
        QTest::newRow("blanks before a quote") << u"   \"a b\" "_s << u"a b"_s;
        QTest::newRow("comma inside quotes") << u"\"a,b\",c"_s << u"a,b"_s;
        QTest::newRow("up to the next quote") << u"\"x\"y\""_s << u"x"_s;
        QTest::newRow("no closing quote") << u"\"/tmp/out"_s << u"/tmp/out"_s;
        QTest::newRow("empty quotes") << u"\"\""_s << QString();
        QTest::newRow("bare") << u"  12  "_s << u"12"_s;
        QTest::newRow("bare up to a comma") << u"abc , def"_s << u"abc"_s;
        QTest::newRow("tab before") << u"\t7"_s << u"7"_s;
        QTest::newRow("empty") << QString() << QString();
    }

    void readField()
    {
        QFETCH(QString, line);
        QTEST(SettingsText::readField(line), "field");
    }

    void wholeNumber()
    {
        QCOMPARE(SettingsText::wholeNumber(u" -1 "), -1.0);
        QCOMPARE(SettingsText::wholeNumber(u"2.5"), 2.5);
        QCOMPARE(SettingsText::wholeNumber(u"1a"), std::nullopt);
        QCOMPARE(SettingsText::wholeNumber(u"abc"), std::nullopt);
        QCOMPARE(SettingsText::wholeNumber(u""), std::nullopt);
    }

    void roundedWithin_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected"); // 99999 stands for "out of range"
        QTest::newRow("2.5") << 2.5 << 2;
        QTest::newRow("3.5") << 3.5 << 4;
        QTest::newRow("0.5") << 0.5 << 0;
        QTest::newRow("-0.5") << -0.5 << 0;
        QTest::newRow("-1.5") << -1.5 << -2;
        QTest::newRow("1.49") << 1.49 << 1;
        QTest::newRow("1.51") << 1.51 << 2;
        QTest::newRow("top") << 32767.0 << 32767;
        QTest::newRow("rounds past the top") << 32767.5 << 99999;
        QTest::newRow("bottom") << -32768.0 << -32768;
        QTest::newRow("below") << -32769.0 << 99999;
    }

    void roundedWithin()
    {
        QFETCH(double, value);
        QFETCH(int, expected);
        const auto rounded = SettingsText::roundedWithin(value, -32768, 32767);
        if (expected == 99999)
            QCOMPARE(rounded, std::nullopt);
        else
            QCOMPARE(rounded, std::optional<qint64>(expected));
    }

    void firstRunWithoutFiles()
    {
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        ConversionSettings s = defaults();
        s.outputFolder.clear();
        store.loadSetup(s, kDefaultOut);
        QCOMPARE(s, defaults());
        QCOMPARE(s.formatIndex, 0);
        QCOMPARE(s.audioBitrate, u"320"_s);
        QCOMPARE(s.audioRate, u"44100"_s);
        QCOMPARE(s.channelIndex, 1);

        const AppOptions options = store.loadOptions();
        QCOMPARE(options, AppOptions{});
        QVERIFY(options.playsFinishSound());
        QCOMPARE(options.mp3Clip(), std::nullopt);
        QVERIFY(QDir(dir.path()).isEmpty()); // loading writes nothing
    }

    // A FIFO in place of a settings file would hold start-up until someone
    // writes to it: it gives the defaults, and saving puts a file there.
    void settingsFilesThatAreNotFilesGiveTheDefaults()
    {
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        const QString preferences = Preferences::pathIn(dir.path());
        for (const QString &path : {store.setupPath(), store.optionsPath(), preferences})
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        ConversionSettings s = defaults();
        s.formatIndex = 3;
        store.loadSetup(s, kDefaultOut);
        QCOMPARE(s.formatIndex, 3);
        QCOMPARE(store.loadOptions(), AppOptions{});
        QCOMPARE(Preferences::load(dir.path()), Preferences());

        QVERIFY(store.saveSetup(defaults()));
        QVERIFY(store.saveOptions(AppOptions{0, 1, 2, 3}));
        Preferences jobs;
        jobs.parallelJobs = 3;
        QVERIFY(jobs.save(dir.path()));
        for (const QString &path : {store.setupPath(), store.optionsPath(), preferences})
            QVERIFY2(QFileInfo(path).isFile(), qPrintable(path));
        QCOMPARE(store.loadOptions(), (AppOptions{0, 1, 2, 3}));
        QCOMPARE(Preferences::load(dir.path()), jobs);
    }

    void loadSetup_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<ConversionSettings>("expected");

        ConversionSettings mp3 = defaults();
        mp3.selectFormat(kMp3Format);
        mp3.outputFolder = u"/x"_s;
        QTest::newRow("MP3 in line 5 overrides lines 1-3")
            << "\"0\"\r\n\"0\"\r\n\"0\"\r\n\"/x\"\r\n\"8\"\r\n"_ba << mp3;
        QCOMPARE(mp3.audioRate, u"48000"_s);
        QCOMPARE(mp3.audioBitrate, u"320"_s);
        QCOMPARE(mp3.channelIndex, 1);
        QCOMPARE(mp3.videoBitrate, u"1200"_s); // MP3 leaves the video fields

        ConversionSettings emptyFolder = defaults();
        QTest::newRow("empty folder line")
            << "\"13\"\r\n\"1\"\r\n\"1\"\r\n\"\"\r\n\"0\"\r\n"_ba << emptyFolder;

        ConversionSettings cut = defaults();
        cut.audioBitrate = entry(ParameterLists::audioBitrate(), 3);
        cut.audioRate = entry(ParameterLists::audioRate(), 2);
        QTest::newRow("cut after line 2") << "\"3\"\r\n\"2\"\r\n"_ba << cut;

        ConversionSettings rmvb = defaults();
        rmvb.audioBitrate = u"128"_s;
        rmvb.audioRate = u"48000"_s;
        rmvb.channelIndex = 0;
        rmvb.outputFolder = u"/o"_s;
        QTest::newRow("format already selected keeps restored audio")
            << "\"9\"\r\n\"0\"\r\n\"0\"\r\n\"/o\"\r\n\"0\"\r\n"_ba << rmvb;

        ConversionSettings outside = defaults();
        outside.outputFolder = u"/o"_s;
        QTest::newRow("positions outside their lists")
            << "\"14\"\r\n\"-1\"\r\n\"2\"\r\n\"/o\"\r\n\"9\"\r\n"_ba << outside;
        QTest::newRow("text that is not a position")
            << "\"abc\"\r\n\"1a\"\r\n\"\"\r\n\"/o\"\r\n\"x\"\r\n"_ba << outside;
        QTest::newRow("position beyond 16 bits")
            << "\"65537\"\r\n\"1\"\r\n\"1\"\r\n\"/o\"\r\n\"65536\"\r\n"_ba << outside;

        ConversionSettings mpg = defaults();
        mpg.selectFormat(2);
        mpg.outputFolder = u"/home/u/out"_s;
        QTest::newRow("bare values, LF line ends") << "13\n1\n0\n/home/u/out\n2"_ba << mpg;

        ConversionSettings halves = defaults();
        halves.audioBitrate = entry(ParameterLists::audioBitrate(), 2);
        halves.audioRate = entry(ParameterLists::audioRate(), 4);
        halves.outputFolder = u"/o"_s;
        QTest::newRow("halves go to even") << "\"2.5\"\r\n\" 3.5 \"\r\n\"1\"\r\n\"/o\"\r\n\"0.5\"\r\n"_ba << halves;

        ConversionSettings bom = defaults();
        bom.outputFolder = u"/视频"_s;
        QTest::newRow("UTF-8 with byte order mark")
            << "\xEF\xBB\xBF\"13\"\r\n\"1\"\r\n\"1\"\r\n\"/\xE8\xA7\x86\xE9\xA2\x91\"\r\n\"0\"\r\n"_ba << bom;

        QTest::newRow("CR alone ends lines") << "13\r1\r0\r/home/u/out\r2\r"_ba << mpg;
        QTest::newRow("control characters in the folder line")
            << "\"13\"\r\n\"1\"\r\n\"1\"\r\n\"/o\x01\x1b[2J\tx\"\r\n\"0\"\r\n"_ba << defaults();

        QTest::newRow("empty file") << QByteArray() << defaults();
    }

    void loadSetup()
    {
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        writeBytes(store.setupPath(), file);
        ConversionSettings s = defaults();
        store.loadSetup(s, kDefaultOut);
        QTEST(s, "expected");
    }

    void gb18030Folder()
    {
        // A setup.ini of the Windows program: code page 936 text.
        const QString folder = u"D:\\视频\\输出文件夹"_s;
        QStringEncoder gb("GB18030");
        QVERIFY(gb.isValid());
        const QByteArray file = gb.encode(u"\"9\"\r\n\"0\"\r\n\"0\"\r\n\""_s + folder + u"\"\r\n\"0\"\r\n"_s);
        QVERIFY(file != folder.toUtf8()); // really not UTF-8

        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        writeBytes(store.setupPath(), file);
        ConversionSettings s = defaults();
        store.loadSetup(s, kDefaultOut);
        QCOMPARE(s.outputFolder, folder);
        QCOMPARE(s.audioBitrate, u"128"_s);
    }

    void setupFileBytes()
    {
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        ConversionSettings s = defaults();
        s.outputFolder = u"/home/用户/out"_s;
        QVERIFY(store.saveSetup(s));
        QCOMPARE(readBytes(store.setupPath()),
                 "\"13\"\r\n\"1\"\r\n\"1\"\r\n\"/home/\xE7\x94\xA8\xE6\x88\xB7/out\"\r\n\"0\"\r\n"_ba);

        // Texts that are not list entries (a preset's "28000", a typed "700") and
        // no channel are written as -1.
        s.selectFormat(2);
        s.audioBitrate = u"700"_s;
        s.channelIndex = -1;
        QVERIFY(store.saveSetup(s));
        QCOMPARE(readBytes(store.setupPath()),
                 "\"-1\"\r\n\"-1\"\r\n\"-1\"\r\n\"/home/\xE7\x94\xA8\xE6\x88\xB7/out\"\r\n\"2\"\r\n"_ba);
    }

    void roundTripEveryPosition_data()
    {
        QTest::addColumn<ConversionSettings>("saved");
        const auto lists = {
            std::pair{"audio bitrate", ParameterLists::audioBitrate()},
            std::pair{"audio rate", ParameterLists::audioRate()},
        };
        int listNumber = 0;
        for (const auto &[name, list] : lists) {
            for (int p = 0; p < int(list.size()); ++p) {
                ConversionSettings s = defaults();
                if (listNumber == 0)
                    s.audioBitrate = entry(list, p);
                else
                    s.audioRate = entry(list, p);
                QTest::addRow("%s %d", name, p) << s;
            }
            ++listNumber;
        }
        for (int p = 0; p < int(ParameterLists::channel().size()); ++p) {
            ConversionSettings s = defaults();
            s.channelIndex = p;
            QTest::addRow("channel %d", p) << s;
        }
        for (int format = 0; format < kFormatCount; ++format) {
            ConversionSettings s = defaults();
            s.selectFormat(format);
            QTest::addRow("format %d", format) << s;
        }
        ConversionSettings folder = defaults();
        folder.outputFolder = u" /home/用户/my out, 2 "_s;
        QTest::newRow("folder with blanks and a comma") << folder;
    }

    void roundTripEveryPosition()
    {
        QFETCH(ConversionSettings, saved);
        QTemporaryDir dir;
        QVERIFY(SettingsStore(dir.path()).saveSetup(saved));
        // A restart: fresh start-up values, then the file.
        ConversionSettings restored = defaults();
        SettingsStore(dir.path()).loadSetup(restored, kDefaultOut);
        QCOMPARE(restored, saved);
    }

    void folderThatCannotBeQuoted()
    {
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        ConversionSettings s = defaults();
        s.outputFolder = u"/media/a\"b"_s;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"cannot be kept in setup.ini"_s));
        QVERIFY(store.saveSetup(s));
        ConversionSettings restored = defaults();
        store.loadSetup(restored, kDefaultOut);
        // Not "/media/a", a different folder: the default instead.
        QCOMPARE(restored.outputFolder, kDefaultOut);
    }

    void loadOptions_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("sound");
        QTest::addColumn<int>("cutter");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::newRow("1, 1, 65, 130") << "1\r\n1\r\n65\r\n130\r\n"_ba << 1 << 1 << 65 << 130;
        QTest::newRow("abc in line 1") << "abc\r\n1\r\n65\r\n130\r\n"_ba << 0 << 1 << 65 << 130;
        QTest::newRow("leading numbers, LF") << "1x\n 1 \n65.5s\n-7"_ba << 1 << 1 << 66 << -7;
        QTest::newRow("halves to even") << "0.5\r\n1.5\r\n2.5\r\n3.5\r\n"_ba << 0 << 2 << 2 << 4;
        QTest::newRow("quoted values") << "\"1\"\r\n\"1\"\r\n\"5\"\r\n\"6\"\r\n"_ba << 1 << 1 << 5 << 6;
        QTest::newRow("cut after line 2") << "1\r\n1\r\n"_ba << 1 << 1 << 0 << 0;
        QTest::newRow("outside the field widths")
            << "40000\r\n-40000\r\n3000000000\r\n-3000000000\r\n"_ba << 0 << 0 << 0 << 0;
        QTest::newRow("widths' edges")
            << "32767\r\n-32768\r\n2147483647\r\n-2147483648\r\n"_ba << 32767 << -32768 << 2147483647 << int(-2147483648LL);
        QTest::newRow("empty file") << QByteArray() << 0 << 0 << 0 << 0;
    }

    void loadOptions()
    {
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        writeBytes(store.optionsPath(), file);
        const AppOptions options = store.loadOptions();
        QTEST(int(options.finishSoundIndex), "sound");
        QTEST(int(options.cutterEnabled), "cutter");
        QTEST(int(options.cutStartSeconds), "start");
        QTEST(int(options.cutEndSeconds), "end");
    }

    void optionsFileBytes()
    {
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        const AppOptions options{1, 1, -5, 130};
        QVERIFY(store.saveOptions(options));
        QCOMPARE(readBytes(store.optionsPath()), "1\r\n1\r\n-5\r\n130\r\n"_ba);
        QCOMPARE(store.loadOptions(), options);
    }

    void failedWritesAreLoggedAndReported()
    {
        // A folder that cannot be created, whoever runs the test: its parent is a file.
        QTemporaryDir dir;
        writeBytes(dir.filePath(u"file"_s), "x");
        const SettingsStore store(dir.filePath(u"file/Sonvera"_s));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"cannot create the settings folder"_s));
        QVERIFY(!store.saveOptions(AppOptions{}));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"cannot create the settings folder"_s));
        QVERIFY(!store.saveSetup(defaults()));

        // A file that cannot be replaced keeps its old content.
        QVERIFY(QDir(dir.path()).mkdir(u"s"_s));
        const SettingsStore blocked(dir.filePath(u"s"_s));
        QVERIFY(QDir().mkpath(blocked.optionsPath())); // a folder where the file should be
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"cannot write .*options.ini"_s));
        QVERIFY(!blocked.saveOptions(AppOptions{1, 1, 2, 3}));
        QVERIFY(QFileInfo(blocked.optionsPath()).isDir());
    }

    void savingReplacesTheWholeFile()
    {
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        writeBytes(store.optionsPath(), "1\r\n1\r\n11111111\r\n22222222\r\nleftover\r\n"_ba);
        QVERIFY(store.saveOptions(AppOptions{0, 0, 1, 2}));
        QCOMPARE(readBytes(store.optionsPath()), "0\r\n0\r\n1\r\n2\r\n"_ba);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"options.ini"_s}); // no temporary left
    }

    void location()
    {
        QTemporaryDir dir;
        const QString program = dir.filePath(u"Sonvera"_s);
        QVERIFY(QDir().mkpath(program));

        QCOMPARE(locateSettings(program, true), (SettingsLocation{program, program + u"/output"_s}));
        QCOMPARE(locateSettings(program), (SettingsLocation{program, program + u"/output"_s}));
        QCOMPARE(defaultOutputFolder(program), program + u"/output"_s);

        const SettingsLocation installed = locateSettings(program, false);
        QCOMPARE(installed.settingsFolder, m_home.filePath(u"config/Sonvera"_s));
        QCOMPARE(installed.defaultOutputFolder,
                 QStandardPaths::writableLocation(QStandardPaths::MoviesLocation) + u"/Sonvera"_s);
    }

    void isFolderWritable()
    {
        QTemporaryDir dir;
        QVERIFY(sonvera::isFolderWritable(dir.path()));
        QVERIFY(!sonvera::isFolderWritable(dir.filePath(u"missing"_s)));
        writeBytes(dir.filePath(u"file"_s), "x");
        QVERIFY(!sonvera::isFolderWritable(dir.filePath(u"file"_s)));

        const QString locked = dir.filePath(u"locked"_s);
        QVERIFY(QDir().mkdir(locked));
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
        if (::geteuid() != 0) // the superuser may write into any folder
            QVERIFY(!sonvera::isFolderWritable(locked));
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void readOnlyProgramFolder()
    {
        // An installed copy: nothing is written beside the program; both files
        // go to the config home and come back from there.
        QTemporaryDir dir;
        const QString program = dir.filePath(u"opt"_s);
        QVERIFY(QDir().mkpath(program));
        const SettingsLocation where = locateSettings(program, false);
        const SettingsStore store(where.settingsFolder);

        ConversionSettings s = ConversionSettings::startupDefaults(where.defaultOutputFolder);
        s.selectFormat(kMp3Format);
        QVERIFY(store.saveSetup(s));
        QVERIFY(store.saveOptions(AppOptions{1, 1, 65, 130}));
        QVERIFY(QDir(program).isEmpty());
        QVERIFY(QFile::exists(m_home.filePath(u"config/Sonvera/setup.ini"_s)));

        ConversionSettings restored = ConversionSettings::startupDefaults(where.defaultOutputFolder);
        store.loadSetup(restored, where.defaultOutputFolder);
        QCOMPARE(restored, s);
        QCOMPARE(restored.outputFolder, where.defaultOutputFolder);
        QCOMPARE(store.loadOptions(), (AppOptions{1, 1, 65, 130}));
    }

    void mp3Clip_data()
    {
        QTest::addColumn<AppOptions>("options");
        QTest::addColumn<bool>("cuts");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::newRow("on") << AppOptions{0, 1, 65, 130} << true << 65 << 130;
        QTest::newRow("off") << AppOptions{0, 0, 65, 130} << false << 0 << 0;
        QTest::newRow("end equals start") << AppOptions{0, 1, 30, 30} << false << 0 << 0;
        QTest::newRow("end before start") << AppOptions{0, 1, 30, 10} << false << 0 << 0;
        QTest::newRow("negative start from the beginning") << AppOptions{0, 1, -10, 5} << true << 0 << 5;
        QTest::newRow("both negative") << AppOptions{0, 1, -10, -5} << false << 0 << 0;
        QTest::newRow("switch neither 0 nor 1") << AppOptions{0, 2, 1, 5} << false << 0 << 0;
    }

    void mp3Clip()
    {
        QFETCH(AppOptions, options);
        QFETCH(bool, cuts);
        const std::optional<ClipRange> clip = options.mp3Clip();
        QCOMPARE(clip.has_value(), cuts);
        if (cuts) {
            QTEST(clip->startSeconds, "start");
            QTEST(clip->endSeconds, "end");
        }
    }

    void clipReachesTheMp3CommandLine()
    {
        CommandContext ctx;
        ctx.programFolder = u"/p"_s;
        ctx.workFolder = u"/w"_s;
        ctx.clock = QTime(14, 7, 9);
        ConversionSettings s = ConversionSettings::startupDefaults(u"/out"_s);
        s.selectFormat(kMp3Format);
        const QString plain = u"/p/data/coder -i \"/v/talk.flv\" -y -vn -ar 48000 -ab 320k -ac 2 \"/out/talk-1479.mp3\""_s;

        ctx.mp3Clip = AppOptions{0, 0, 65, 130}.mp3Clip();
        QCOMPARE(buildFirstStageCommand(u"/v/talk.flv"_s, u"/out/"_s, s, ctx).text, plain);
        ctx.mp3Clip = AppOptions{0, 1, 65, 130}.mp3Clip();
        const EncoderCommand cut = buildFirstStageCommand(u"/v/talk.flv"_s, u"/out/"_s, s, ctx);
        QCOMPARE(cut.text,
                 u"/p/data/coder -i \"/v/talk.flv\" -y -vn -ar 48000 -ab 320k -ac 2 -ss 65 -to 130 \"/out/talk-1479.mp3\""_s);
        QCOMPARE(cut.arguments.mid(cut.arguments.size() - 5),
                 (QStringList{u"-ss"_s, u"65"_s, u"-to"_s, u"130"_s, u"/out/talk-1479.mp3"_s}));
    }

    void parseCutOption_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start"); // -1: rejected
        QTest::addColumn<int>("end");
        QTest::newRow("seconds") << u"2-5"_s << 2 << 5;
        QTest::newRow("m:ss") << u"0:30-1:35"_s << 30 << 95;
        QTest::newRow("h:mm:ss") << u"0:01:05-0:02:10"_s << 65 << 130;
        QTest::newRow("mixed, blanks") << u" 10 - 1:00:00 "_s << 10 << 3600;
        QTest::newRow("many hours") << u"0-100:00:00"_s << 0 << 360000;
        QTest::newRow("empty") << QString() << -1 << -1;
        QTest::newRow("one time") << u"5"_s << -1 << -1;
        QTest::newRow("no end") << u"5-"_s << -1 << -1;
        QTest::newRow("negative start") << u"-5-10"_s << -1 << -1;
        QTest::newRow("letters") << u"a-b"_s << -1 << -1;
        QTest::newRow("fraction") << u"1.5-3"_s << -1 << -1;
        QTest::newRow("one-digit seconds") << u"1:5-2:00"_s << -1 << -1;
        QTest::newRow("60 seconds") << u"1:60-3:00"_s << -1 << -1;
        QTest::newRow("60 minutes") << u"1:60:00-3:00:00"_s << -1 << -1;
        QTest::newRow("four parts") << u"1:00:00:00-2"_s << -1 << -1;
        QTest::newRow("end before start") << u"5-2"_s << -1 << -1;
        QTest::newRow("end equals start") << u"5-5"_s << -1 << -1;
        QTest::newRow("three times") << u"1-2-3"_s << -1 << -1;
        QTest::newRow("past 32 bits") << u"0-2147483648"_s << -1 << -1;
        QTest::newRow("32 bits") << u"0-2147483647"_s << 0 << 2147483647;
    }

    void parseCutOption()
    {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, end);
        QString error;
        const std::optional<ClipRange> clip = sonvera::parseCutOption(text, &error);
        if (start < 0) {
            QVERIFY(!clip);
            QVERIFY(error.startsWith(u"--cut"_s));
        } else {
            QVERIFY(clip);
            QCOMPARE(clip->startSeconds, start);
            QCOMPARE(clip->endSeconds, end);
            QVERIFY(error.isEmpty());
        }
    }

private:
    QTemporaryDir m_home;
};

QTEST_GUILESS_MAIN(TestSettingsFiles)
#include "tst_settingsfiles.moc"
