// Every entry of every parameter list, in each format that uses it, converted
// for real: each must give a file that plays with the value it asked for, or
// the nearest value the codec takes.
#include "encodertestkit.h"
#include "formats.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;
using namespace sonvera::testkit;

namespace {

ConversionSettings settingsFor(int format)
{
    return ConversionSettings::forFormat(format, u"/out"_s);
}

// The sizes the RealVideo formats write for the size list: the asked size
// with borders up to multiples of 16 (the source is 320x240).
const QMap<QString, QString> kRealSizes{
    {u"原始大小"_s, u"320x240"_s}, {u"128x96"_s, u"128x96"_s},   {u"160x120"_s, u"160x128"_s}, {u"176x144"_s, u"176x144"_s},
    {u"320x180"_s, u"320x192"_s},  {u"320x240"_s, u"320x240"_s}, {u"352x288"_s, u"352x288"_s}, {u"640x272"_s, u"640x272"_s},
    {u"480x480"_s, u"480x480"_s},  {u"640x360"_s, u"640x368"_s}, {u"640x480"_s, u"640x480"_s}, {u"720x306"_s, u"720x320"_s},
    {u"720x320"_s, u"720x320"_s}};

QString sizeText(QSize s) { return u"%1x%2"_s.arg(s.width()).arg(s.height()); }

} // namespace

class TestEncoderLists : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_source;
    QString m_work; // holds the intermediate, made once: stage one ignores every setting
    int m_folders = 0;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_source = m_dir.filePath(u"clip.flv"_s);
        QVERIFY(makeSource(m_source, {u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=size=320x240:rate=25:duration=1"_s,
                                      u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=frequency=440:sample_rate=44100:duration=1"_s,
                                      u"-c:v"_s, u"flv1"_s, u"-c:a"_s, u"libmp3lame"_s, u"-ac"_s, u"2"_s}));
        m_work = m_dir.filePath(u"work"_s);
        QVERIFY(QDir().mkpath(m_work));
        const Conversion first = convert(m_source, m_dir.filePath(u"unused"_s), m_work, settingsFor(1));
        QVERIFY2(first.first.exitCode == 0, qPrintable(first.first.output));
    }

    void everyEntry_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("entry");
        auto rows = [](int format, const char *field, std::span<const QStringView> entries) {
            for (QStringView entry : entries)
                QTest::addRow("%d %s %s", format, field, qPrintable(entry.toString())) << format << QString::fromLatin1(field) << entry.toString();
        };
        for (int format : {2, 3}) {
            rows(format, "videoBitrate", ParameterLists::videoBitrate());
            rows(format, "frameRate", ParameterLists::frameRate());
            rows(format, "audioBitrate", ParameterLists::audioBitrate());
        }
        rows(4, "videoBitrate", ParameterLists::videoBitrate());
        rows(4, "audioBitrate", ParameterLists::audioBitrate());
        rows(8, "audioRate", ParameterLists::audioRate());
        rows(8, "audioBitrate", ParameterLists::audioBitrate());
        for (const QString &channel : {u"0"_s, u"1"_s, u"-1"_s})
            QTest::addRow("8 channelIndex %s", qPrintable(channel)) << 8 << u"channelIndex"_s << channel;
        rows(1, "videoSize", ParameterLists::videoSize());
        rows(1, "videoBitrate", ParameterLists::videoBitrate());
        rows(1, "audioRate", ParameterLists::audioRate());
        rows(1, "audioBitrate", ParameterLists::audioBitrate());
        for (const QString &channel : {u"0"_s, u"1"_s, u"-1"_s})
            QTest::addRow("1 channelIndex %s", qPrintable(channel)) << 1 << u"channelIndex"_s << channel;
        for (int format : {0, 5, 6, 7})
            rows(format, "videoSize", ParameterLists::videoSize());
    }

    void everyEntry()
    {
        QFETCH(int, format);
        QFETCH(QString, field);
        QFETCH(QString, entry);
        ConversionSettings s = settingsFor(format);
        // The RealVideo formats use their other fields only with a size picked.
        if (format == 1 && field != u"videoSize")
            s.videoSize = u"320x240"_s;
        if (field == u"videoBitrate") s.videoBitrate = entry;
        if (field == u"frameRate") s.frameRate = entry;
        if (field == u"videoSize") s.videoSize = entry;
        if (field == u"audioRate") s.audioRate = entry;
        if (field == u"audioBitrate") s.audioBitrate = entry;
        if (field == u"channelIndex") s.channelIndex = entry.toInt();

        const QString folder = m_dir.filePath(u"out%1"_s.arg(++m_folders));
        QVERIFY(QDir().mkpath(folder));
        const bool twoStage = !formatAt(format)->stageTwoImage().isEmpty();
        const Conversion c = twoStage ? convertSecondStage(m_source, folder, m_work, s) : convert(m_source, folder, m_work, s);
        QVERIFY2(c.ok, qPrintable(c.first.output + c.second.output));
        const Probe out = probe(c.outputPath);
        QVERIFY(out.ok);
        QVERIFY2(qAbs(out.duration - 1.0) <= 0.5, qPrintable(QString::number(out.duration)));
        QVERIFY(!out.audioCodec.isEmpty());
        QCOMPARE(out.videoCodec.isEmpty(), format == kMp3Format);

        const bool lowAudio = entry == u"10.2" || entry == u"12.2";
        if (field == u"frameRate") {
            // MPEG-1 declares no 15 fps: each frame is shown twice at 30.
            const QMap<QString, QString> rates{{u"15"_s, u"30/1"_s}, {u"23"_s, u"24000/1001"_s}, {u"29"_s, u"30000/1001"_s}};
            QCOMPARE(out.frameRate, rates[entry]);
        }
        if (field == u"audioBitrate" && (format == 2 || format == 3 || format == 8 || format == 1)) {
            // MP2, MP3 at 48 kHz and AC-3 all take 32 and up, from a table that holds every other entry.
            const qint64 expected = lowAudio ? 32000 : qint64(entry.toDouble() * 1000);
            QCOMPARE(out.audioBitrate, expected);
        }
        if (field == u"audioRate" && format == kMp3Format) {
            // The preset's 320 kbit/s is more than MP3 takes below 32 kHz.
            const QMap<QString, QPair<int, int>> mp3{{u"48000"_s, {48000, 320}}, {u"44100"_s, {44100, 320}}, {u"32000"_s, {32000, 320}},
                                                     {u"24000"_s, {24000, 160}}, {u"22050"_s, {22050, 160}}, {u"16000"_s, {16000, 160}},
                                                     {u"12050"_s, {12000, 64}},  {u"8000"_s, {8000, 64}}};
            QCOMPARE(out.sampleRate, mp3[entry].first);
            QCOMPARE(out.audioBitrate, mp3[entry].second * 1000);
        }
        if (field == u"audioRate" && format == 1) {
            const int rate = entry.toInt();
            QCOMPARE(out.sampleRate, rate == 48000 || rate == 44100 ? rate : 32000);
        }
        if (field == u"channelIndex")
            QCOMPARE(out.channels, entry == u"0" ? 1 : 2); // -1 (none picked) keeps the source's two
        if (field == u"videoSize") {
            // Every listed size is even; the others keep the source's 320x240 (or, mobile, use it).
            const bool real = format == 0 || format == 1;
            QCOMPARE(sizeText(out.size), real ? kRealSizes[entry] : entry == u"原始大小" ? u"320x240"_s : entry);
        }
        // Only the output: no temporary file beside it.
        QCOMPARE(folderEntries(folder), QStringList{QFileInfo(c.outputPath).fileName()});
    }
};

QTEST_GUILESS_MAIN(TestEncoderLists)
#include "tst_encoderlists.moc"
