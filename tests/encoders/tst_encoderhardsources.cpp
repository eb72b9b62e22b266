// Sources that real FLV collections hold and the plain cases do not: sound
// that starts late or has gaps in its timestamps, frames too large or too
// slow for RealVideo, a single frame, damaged files and codecs this ffmpeg
// cannot read. Each is converted with the engine's own command lines.
#include "encodertestkit.h"
#include "encoderstatus.h"
#include "formats.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;
using namespace sonvera::testkit;

namespace {

ConversionSettings settingsFor(int format)
{
    return ConversionSettings::forFormat(format, u"/out"_s);
}

// Copies an FLV file, letting `change` edit each tag (its 11-byte header
// and its data) in place.
bool rewriteTags(const QString &from, const QString &to, const std::function<void(QByteArray &tag)> &change)
{
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    QByteArray data = in.readAll();
    qsizetype at = 9 + 4; // the header, then the first "previous tag size"
    while (at + 11 <= data.size()) {
        const qsizetype size = (uchar(data[at + 1]) << 16) | (uchar(data[at + 2]) << 8) | uchar(data[at + 3]);
        QByteArray tag = data.mid(at, 11 + size);
        change(tag);
        data.replace(at, tag.size(), tag);
        at += 11 + size + 4;
    }
    return out.write(data) == data.size();
}

constexpr char kAudioTag = 8;
constexpr char kVideoTag = 9;

} // namespace

class TestEncoderHardSources : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QMap<QString, QString> m_sources;
    int m_folders = 0;

    QString freshFolder()
    {
        const QString folder = m_dir.filePath(u"run%1"_s.arg(++m_folders));
        QDir().mkpath(folder);
        return folder;
    }

    // conv writing `output` from the single-frame source with a stand-in
    // ffmpeg on PATH, which lists that source and then runs `script` (with
    // $last its output argument).
    Run runConvWithFakeFfmpeg(const QString &output, const QByteArray &script)
    {
        const QString fake = freshFolder();
        QFile ffmpeg(fake + u"/ffmpeg"_s);
        if (!ffmpeg.open(QIODevice::WriteOnly))
            return {};
        ffmpeg.write("#!/bin/sh\n"
                     "for a; do last=$a; done\n"
                     "printf '[info] Input #0, flv, from '\\''x'\\'':\\n[info]   Duration: 00:00:00.04, start: 0.000000, bitrate: N/A\\n"
                     "[info]   Stream #0:0: Video: flashsv, bgr24, 320x240, 25 fps, 25 tbr, 1k tbn\\n[info] Stream mapping:\\n' >&2\n");
        ffmpeg.write(script);
        ffmpeg.close();
        ffmpeg.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return runProgram(programFolder() + u"/data/conv"_s,
                          {m_sources[u"single"_s], u"-oac"_s, u"lavc"_s, u"-lavcopts"_s, u"acodec=mp2:abitrate=64"_s, u"-ovc"_s, u"lavc"_s,
                           u"-lavcopts"_s, u"vcodec=mpeg1video:vbitrate=600:vpass=1"_s, u"-ofps"_s, u"24"_s, u"-of"_s, u"lavf"_s,
                           u"-lavfopts"_s, u"format=yuv4mpeg"_s, u"-o"_s, output},
                          30000, fake + u":/usr/bin:/bin"_s);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(QFileInfo::exists(programFolder() + u"/data/conv"_s), "the encoders are not built");
        const QStringList lavfi{u"-f"_s, u"lavfi"_s, u"-i"_s};
        auto video = [](const QString &size, int rate, double seconds) {
            return u"testsrc=size=%1:rate=%2:duration=%3"_s.arg(size).arg(rate).arg(seconds);
        };
        auto tone = [](int rate, double seconds) { return u"sine=frequency=440:sample_rate=%1:duration=%2"_s.arg(rate).arg(seconds); };
        const QStringList h264{u"-c:v"_s, u"libx264"_s, u"-preset"_s, u"ultrafast"_s, u"-c:a"_s, u"aac"_s};
        const QStringList sorenson{u"-c:v"_s, u"flv1"_s, u"-c:a"_s, u"libmp3lame"_s};
        const QList<std::pair<QString, QStringList>> recipes{
            // The sound starts 3.4 s after the picture.
            {u"late"_s, lavfi + QStringList{video(u"160x120"_s, 25, 6), u"-itsoffset"_s, u"3.4"_s} + lavfi + QStringList{tone(44100, 2.6)} + sorenson},
            // Speex whose timestamps jump twice by half a second: 4 s of sound spread over 5 s.
            {u"gaps"_s, lavfi + QStringList{video(u"160x120"_s, 25, 5)} + lavfi
                 + QStringList{tone(16000, 4), u"-af"_s, u"asetpts=PTS+gte(T\\,1)*0.5/TB+gte(T\\,2.5)*0.5/TB"_s, u"-c:v"_s, u"flv1"_s,
                               u"-c:a"_s, u"libspeex"_s, u"-ac"_s, u"1"_s}},
            {u"1080p"_s, lavfi + QStringList{video(u"1920x1080"_s, 25, 0.4)} + lavfi + QStringList{tone(44100, 0.4)} + h264},
            {u"2160p"_s, lavfi + QStringList{video(u"3840x2160"_s, 25, 0.2)} + lavfi + QStringList{tone(44100, 0.2)} + h264},
            {u"2fps"_s, lavfi + QStringList{video(u"640x360"_s, 2, 4)} + lavfi + QStringList{tone(44100, 4)} + h264},
            {u"1fps"_s, lavfi + QStringList{video(u"640x360"_s, 1, 4)} + lavfi + QStringList{tone(44100, 4)} + h264},
            {u"single"_s, lavfi + QStringList{video(u"320x240"_s, 25, 1), u"-frames:v"_s, u"1"_s, u"-c:v"_s, u"flashsv"_s}},
            {u"plain"_s, lavfi + QStringList{video(u"160x120"_s, 25, 2)} + lavfi + QStringList{tone(44100, 2)} + sorenson},
            {u"soundonly"_s, lavfi + QStringList{tone(44100, 2), u"-c:a"_s, u"libmp3lame"_s}},
            {u"nometadata"_s, lavfi + QStringList{video(u"160x120"_s, 25, 2)} + lavfi + QStringList{tone(44100, 2)} + sorenson
                                  + QStringList{u"-flvflags"_s, u"no_metadata"_s}},
        };
        for (const auto &[key, args] : recipes) {
            m_sources[key] = m_dir.filePath(key + u".flv"_s);
            QVERIFY(makeSource(m_sources[key], args));
        }

        // Hand-made damage. Every MP3 tag's type byte broken: the tags are
        // there, none is readable.
        auto crafted = [this](const QString &key, const QString &from, char type, const std::function<void(QByteArray &)> &change) {
            m_sources[key] = m_dir.filePath(key + u".flv"_s);
            return rewriteTags(m_sources[from], m_sources[key], [&](QByteArray &tag) {
                if (tag[0] == type)
                    change(tag);
            });
        };
        QVERIFY(crafted(u"mp3tags"_s, u"soundonly"_s, kAudioTag, [](QByteArray &tag) { tag[0] = 0x0b; }));
        // A video codec id ffmpeg 5.1 does not know (12, as some HEVC FLV writers use).
        QVERIFY(crafted(u"codec12"_s, u"plain"_s, kVideoTag, [](QByteArray &tag) { tag[11] = char((tag[11] & 0xf0) | 12); }));
        // "Enhanced" FLV: the first byte's top bit announces an extended header.
        QVERIFY(crafted(u"enhanced"_s, u"plain"_s, kVideoTag, [](QByteArray &tag) { tag[11] = char(0x91); }));
        // Sound format 9, the extended audio header of newer FLV.
        QVERIFY(crafted(u"sound9"_s, u"soundonly"_s, kAudioTag, [](QByteArray &tag) { tag[11] = char((tag[11] & 0x0f) | 0x90); }));
        // Frames at uneven times and no frame rate in the file: ffmpeg guesses 1000 fps.
        int frame = 0;
        QVERIFY(crafted(u"uneven"_s, u"nometadata"_s, kVideoTag, [&frame](QByteArray &tag) {
            const int ms = 40 * frame + (frame * frame % 7) * 5 + frame % 5 * 3;
            ++frame;
            tag[4] = char(ms >> 16);
            tag[5] = char(ms >> 8);
            tag[6] = char(ms);
        }));
        // An FLV header followed by noise.
        m_sources[u"garbage"_s] = m_dir.filePath(u"garbage.flv"_s);
        QVERIFY(makeNoiseFlv(m_sources[u"garbage"_s], 20000, 7));
        m_sources[u"fifo"_s] = m_dir.filePath(u"pipe.flv"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(m_sources[u"fifo"_s]).constData(), 0600), 0);
    }

    void soundStaysInStep_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("format");
        for (const QString &source : {u"late"_s, u"gaps"_s}) {
            for (int format = 0; format < kFormatCount; ++format)
                QTest::addRow("%s %s", qPrintable(source), qPrintable(formatAt(format)->cliName.toString())) << source << format;
        }
    }

    // Each sound plays with the picture it played with in the source: it
    // ends as far from the picture's end, and lasts as long, as there.
    void soundStaysInStep()
    {
        QFETCH(QString, source);
        QFETCH(int, format);
        const Conversion c = convert(m_sources[source], freshFolder(), freshFolder(), settingsFor(format));
        QVERIFY2(c.ok, qPrintable(c.first.output + c.second.output));
        const Timing in = timing(m_sources[source], false);
        const Timing out = timing(c.outputPath, true);
        QVERIFY(in.ok && out.ok);
        QVERIFY(out.audioEnd > 0);
        QString figures = u"source: sound %1 s, ends %2 s after the picture; output: sound %3 s"_s
                              .arg(in.soundLength()).arg(in.audioEnd - in.videoEnd).arg(out.soundLength());
        if (format != kMp3Format)
            figures += u", ends %1 s after"_s.arg(out.audioEnd - out.videoEnd);
        qInfo().noquote() << figures;
        QVERIFY2(std::abs(out.soundLength() - in.soundLength()) <= 0.03 * in.soundLength(), qPrintable(figures));
        if (format != kMp3Format)
            QVERIFY2(std::abs((out.audioEnd - out.videoEnd) - (in.audioEnd - in.videoEnd)) <= 0.25, qPrintable(figures));
    }

    void directRouteStaysInStep_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("format");
        for (const QString &source : {u"late"_s, u"gaps"_s, u"uneven"_s}) {
            for (int format = 0; format < kFormatCount; ++format) {
                if (formatAt(format)->isTwoStage())
                    QTest::addRow("%s %s", qPrintable(source), qPrintable(formatAt(format)->cliName.toString())) << source << format;
            }
        }
    }

    // The one-stage route reads the source itself: one encoder run, an
    // output as long as the source, the sound where it was.
    void directRouteStaysInStep()
    {
        QFETCH(QString, source);
        QFETCH(int, format);
        ConversionChoices direct;
        direct.direct = true;
        const QString work = freshFolder();
        const Conversion c = convert(m_sources[source], freshFolder(), work, settingsFor(format), std::nullopt, direct);
        QVERIFY2(c.ok && c.second.exitCode == -1, qPrintable(c.first.output));
        QCOMPARE(folderEntries(work), QStringList()); // no intermediate
        const Timing in = timing(m_sources[source], false);
        const Timing out = timing(c.outputPath, true);
        QVERIFY(in.ok && out.ok);
        const QString figures = u"source: video ends %1 s, sound %2 s ending %3 s after; output: video %4 s, sound %5 s ending %6 s after"_s
                                    .arg(in.videoEnd).arg(in.soundLength()).arg(in.audioEnd - in.videoEnd)
                                    .arg(out.videoEnd).arg(out.soundLength()).arg(out.audioEnd - out.videoEnd);
        qInfo().noquote() << figures;
        QVERIFY2(std::abs(out.videoEnd - in.videoEnd) <= 0.25, qPrintable(figures));
        QVERIFY2(std::abs(out.soundLength() - in.soundLength()) <= 0.03 * in.soundLength() + 0.05, qPrintable(figures));
        QVERIFY2(std::abs((out.audioEnd - out.videoEnd) - (in.audioEnd - in.videoEnd)) <= 0.25, qPrintable(figures));
    }

    void largeAndSlowSourcesMakeRealMedia_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("format");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("warning");
        QTest::newRow("1080p RMVB") << u"1080p"_s << 0 << QSize(1280, 720) << u"frame size 1920x1080 → 1280x720: "_s;
        QTest::newRow("2160p RMVB") << u"2160p"_s << 0 << QSize(1280, 720) << u"frame size 3840x2160 → 1280x720: "_s;
        QTest::newRow("2 fps RM") << u"2fps"_s << 1 << QSize(640, 368) << u"video bitrate 1200 kbit/s → "_s;
        QTest::newRow("1 fps RMVB") << u"1fps"_s << 0 << QSize(640, 368) << u"video bitrate 1200 kbit/s → "_s;
    }

    void largeAndSlowSourcesMakeRealMedia()
    {
        QFETCH(QString, source);
        QFETCH(int, format);
        QFETCH(QSize, size);
        QFETCH(QString, warning);
        const Conversion c = convert(m_sources[source], freshFolder(), freshFolder(), settingsFor(format));
        QVERIFY2(c.ok, qPrintable(c.second.output));
        QVERIFY2(c.second.output.contains(u"coder: warning: "_s + warning), qPrintable(c.second.output));
        const Probe in = probe(m_sources[source]);
        const Probe out = probe(c.outputPath);
        QCOMPARE(out.videoCodec, u"rv10"_s);
        QCOMPARE(out.size, size);
        QVERIFY2(std::abs(out.duration - in.duration) < 0.5, qPrintable(QString::number(out.duration)));
    }

    // The intermediate file has a frame at every tick, at a rate within reason.
    void unevenFramesKeepARate()
    {
        const QString work = freshFolder();
        const Conversion c = convert(m_sources[u"uneven"_s], freshFolder(), work, settingsFor(0));
        QVERIFY2(c.ok, qPrintable(c.first.output + c.second.output));
        QCOMPARE(probe(work + u"/tmp.mp4"_s).frameRate, u"60/1"_s);
    }

    // A single frame is a whole video: each route (conv alone, conv and
    // coder, conv and coder2) converts it.
    void singleFrameSources()
    {
        for (int format : {0, 2, 7, kMp3Format}) {
            const QString folder = freshFolder();
            const Conversion c = convert(m_sources[u"single"_s], folder, freshFolder(), settingsFor(format));
            if (format == kMp3Format) {
                QCOMPARE(c.last().exitCode, int(FailureCode::NoAudio));
                QCOMPARE(folderEntries(folder), QStringList());
                continue;
            }
            QVERIFY2(c.ok, qPrintable(formatAt(format)->cliName + u": "_s + c.first.output + c.second.output));
            QVERIFY(!probe(c.outputPath).videoCodec.isEmpty());
        }
    }

    // ffmpeg that ended well and wrote a file has converted, even when its
    // last position reads 0 (as for a lone frame at time 0).
    void anEndedRunThatWroteIsConverted()
    {
        const QString out = freshFolder() + u"/one.avi"_s;
        const Run r = runConvWithFakeFfmpeg(out, "printf 'picture' > \"${last#file:}\"\n"
                                                 "printf 'frame=1\\nout_time_us=0\\nprogress=end\\n'\n");
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.lastLine(), u"conv: wrote \"one.avi\""_s);
        QVERIFY(QFileInfo(out).size() > 0);
    }

    // Failures that are not the settings' are not put down to them: ffmpeg
    // killed by a signal, and an output folder deleted while ffmpeg wrote.
    void failuresThatAreNotTheSettings()
    {
        Run r = runConvWithFakeFfmpeg(freshFolder() + u"/killed.avi"_s, "kill -9 $$\n");
        QCOMPARE(r.exitCode, int(FailureCode::FfmpegKilled));
        QCOMPARE(lastFailureReport(r.output).value_or(EncoderReport{}).facts.signal, 9);

        const QString doomed = freshFolder();
        r = runConvWithFakeFfmpeg(doomed + u"/gone.avi"_s, "printf 'picture' > \"${last#file:}\"\n"
                                                          "part=${last#file:}; rm -rf \"${part%/*}\"\n"
                                                          "printf 'frame=1\\nout_time_us=40000\\nprogress=end\\n'\n");
        QCOMPARE(r.exitCode, int(FailureCode::OutputFolderMissing));
        QCOMPARE(lastFailureReport(r.output).value_or(EncoderReport{}).facts.folder, doomed);

        // ffmpeg refuses to code: the source alone is decoded before the
        // settings are blamed, and when that fails too the source is at fault.
        const QByteArray refused = "case \" $* \" in *' null '*) %1;; esac\n"
                                   "echo '[error] Error configuring filter graph' >&2; exit 1\n";
        r = runConvWithFakeFfmpeg(freshFolder() + u"/bad.avi"_s,
                                  QByteArray(refused).replace("%1", "echo '[error] Error while decoding stream #0:0: Invalid data found when processing input' >&2; exit 1"));
        QCOMPARE(r.exitCode, int(FailureCode::SourceDamaged));
        QCOMPARE(lastFailureReport(r.output).value_or(EncoderReport{}).facts.stream, u"video"_s);
        r = runConvWithFakeFfmpeg(freshFolder() + u"/settings.avi"_s,
                                  QByteArray(refused).replace("%1", "printf 'frame=5\\nprogress=end\\n'; exit 0"));
        QCOMPARE(r.exitCode, int(FailureCode::Failed));
        QCOMPARE(lastFailureReport(r.output).value_or(EncoderReport{}).facts.detail, u"Error configuring filter graph"_s);
    }

    void failuresSayWhyInOurWords_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("cause"); // how the reason starts

        const QString damaged = u"the file is damaged or not a video: no readable stream was found in it (ffmpeg: "_s;
        QTest::newRow("noise AVI") << u"garbage"_s << 3 << int(FailureCode::SourceDamaged) << damaged;
        QTest::newRow("noise MP3") << u"garbage"_s << kMp3Format << int(FailureCode::SourceDamaged) << damaged;
        QTest::newRow("broken MP3 tags MP3") << u"mp3tags"_s << kMp3Format << int(FailureCode::SourceDamaged) << damaged;
        QTest::newRow("broken MP3 tags RMVB") << u"mp3tags"_s << 0 << int(FailureCode::SourceDamaged) << damaged;
        const QString video12 = u"the video codec is not supported by this system's ffmpeg (FLV video codec 12); HEVC or AV1"_s;
        QTest::newRow("codec 12 AVI") << u"codec12"_s << 3 << int(FailureCode::CodecUnsupported) << video12;
        QTest::newRow("codec 12 MOV") << u"codec12"_s << 5 << int(FailureCode::CodecUnsupported) << video12;
        QTest::newRow("enhanced 3GP") << u"enhanced"_s << 7 << int(FailureCode::CodecUnsupported)
                                      << u"the video is in \"enhanced\" FLV, which this system's ffmpeg cannot read"_s;
        QTest::newRow("sound format 9 MP3") << u"sound9"_s << kMp3Format << int(FailureCode::CodecUnsupported)
                                            << u"the audio codec is not supported by this system's ffmpeg (FLV audio codec 9)"_s;
        QTest::newRow("sound only MPG") << u"soundonly"_s << 2 << int(FailureCode::NoVideo) << u"no video stream; choose MP3"_s;
        QTest::newRow("pipe") << u"fifo"_s << 3 << int(FailureCode::SourceNotAFile) << u"is not a file but a pipe"_s;
    }

    void failuresSayWhyInOurWords()
    {
        QFETCH(QString, source);
        QFETCH(int, format);
        QFETCH(int, status);
        QFETCH(QString, cause);
        const QString folder = freshFolder();
        const Conversion c = convert(m_sources[source], folder, freshFolder(), settingsFor(format));
        QVERIFY(!c.ok);
        QCOMPARE(c.last().exitCode, status);
        const QString program = format == kMp3Format ? u"coder"_s : u"conv"_s;
        const QString line = c.last().lastLine();
        QVERIFY2(line.startsWith(program + u": \""_s + m_sources[source] + u"\": "_s + cause), qPrintable(line));
        QCOMPARE(folderEntries(folder), QStringList());
    }

    // The temporary name is short, so the longest name a folder takes works.
    void longestOutputName()
    {
        const QString fitting = QString(83, QChar(0x97f3)) + u"ab.mp3"_s; // three bytes a character: 255 bytes
        QCOMPARE(fitting.toUtf8().size(), 255);
        const QString folder = freshFolder();
        const Run r = runProgram(programFolder() + u"/data/coder"_s, {u"-i"_s, m_sources[u"plain"_s], u"-y"_s, u"-vn"_s, u"-ar"_s,
                                                                      u"44100"_s, u"-ab"_s, u"128k"_s, u"-ac"_s, u"2"_s, folder + u'/' + fitting});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(folderEntries(folder), QStringList{fitting});
    }
};

QTEST_GUILESS_MAIN(TestEncoderHardSources)
#include "tst_encoderhardsources.moc"
