// The three encoder programs run for real: every format on generated sources
// and on the test clip, as the engine builds the command lines; progress
// lines, failures with their reasons, and stopping.
#include "batchdriver.h"
#include "encoderstatus.h"
#include "encodertestkit.h"
#include "formats.h"
#include "runfolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;
using namespace sonvera::testkit;

namespace {

ConversionSettings settingsFor(int format)
{
    return ConversionSettings::forFormat(format, u"/out"_s);
}

QSize paddedTo16(QSize s) { return {(s.width() + 15) / 16 * 16, (s.height() + 15) / 16 * 16}; }
QSize evenSize(QSize s) { return {s.width() / 2 * 2, s.height() / 2 * 2}; }

// The progress display's reading of a first-stage line.
std::optional<int> displayedPercent(const QString &line)
{
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] != u'(')
            continue;
        QString text;
        if (i + 4 < line.size() && line[i + 4] == u')')
            text = line.mid(i + 1, 3);
        else if (i + 5 < line.size() && line[i + 5] == u')')
            text = line.mid(i + 1, 4);
        else
            continue;
        return text.trimmed().chopped(1).toInt();
    }
    return std::nullopt;
}

// The ids of a process's children.
QList<qint64> childrenOf(qint64 pid)
{
    QFile f(u"/proc/%1/task/%1/children"_s.arg(pid));
    QList<qint64> ids;
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray &id : f.readAll().split(' ')) {
            if (!id.trimmed().isEmpty())
                ids << id.trimmed().toLongLong();
        }
    }
    return ids;
}

// A process that has exited: gone, or a zombie waiting to be reaped.
bool processEnded(qint64 pid)
{
    QFile f(u"/proc/%1/stat"_s.arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return true;
    const QByteArray stat = f.readAll();
    const qsizetype close = stat.lastIndexOf(')');
    return close > 0 && close + 2 < stat.size() && (stat[close + 2] == 'Z' || stat[close + 2] == 'X');
}

} // namespace

class TestEncoderRuns : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QMap<QString, QString> m_sources;   // key -> path
    QMap<QString, Probe> m_probes;      // key -> what the source holds
    QString m_bun;                      // the test clip, copied
    int m_folders = 0;

    QString freshFolder()
    {
        const QString folder = m_dir.filePath(u"run%1"_s.arg(++m_folders));
        QDir().mkpath(folder);
        return folder;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(QFileInfo::exists(programFolder() + u"/data/conv"_s), "the encoders are not built");
        const QStringList testsrc{u"-f"_s, u"lavfi"_s, u"-i"_s};
        auto video = [](const QString &size, int rate) {
            return u"testsrc=size=%1:rate=%2:duration=2"_s.arg(size).arg(rate);
        };
        auto tone = [](int rate) { return u"sine=frequency=440:sample_rate=%1:duration=2"_s.arg(rate); };
        struct SourceRecipe { QString key; QStringList args; };
        const QList<SourceRecipe> recipes{
            {u"sorenson"_s, testsrc + QStringList{video(u"320x240"_s, 25)} + testsrc + QStringList{tone(44100), u"-c:v"_s, u"flv1"_s, u"-c:a"_s, u"libmp3lame"_s, u"-ac"_s, u"2"_s}},
            {u"h264"_s, testsrc + QStringList{video(u"640x360"_s, 30)} + testsrc + QStringList{tone(48000), u"-c:v"_s, u"libx264"_s, u"-preset"_s, u"ultrafast"_s, u"-c:a"_s, u"aac"_s, u"-ac"_s, u"2"_s}},
            {u"odd"_s, testsrc + QStringList{video(u"317x177"_s, 25)} + testsrc + QStringList{tone(44100), u"-c:v"_s, u"flv1"_s, u"-c:a"_s, u"libmp3lame"_s}},
            {u"mono22k"_s, testsrc + QStringList{video(u"320x240"_s, 25)} + testsrc + QStringList{tone(22050), u"-c:v"_s, u"flv1"_s, u"-c:a"_s, u"libmp3lame"_s, u"-ac"_s, u"1"_s}},
            {u"noaudio"_s, testsrc + QStringList{video(u"320x240"_s, 25), u"-c:v"_s, u"flv1"_s}},
            {u"novideo"_s, testsrc + QStringList{tone(44100), u"-c:a"_s, u"libmp3lame"_s}},
        };
        for (const SourceRecipe &recipe : recipes) {
            const QString path = m_dir.filePath(recipe.key + u".flv"_s);
            QVERIFY(makeSource(path, recipe.args));
            m_sources[recipe.key] = path;
            m_probes[recipe.key] = probe(path);
            QVERIFY(m_probes[recipe.key].ok);
        }
        // A 6 s file cut after a third, and a text file that claims to be a video.
        const QString whole = m_dir.filePath(u"whole.flv"_s);
        QVERIFY(makeSource(whole, testsrc + QStringList{u"testsrc=size=320x240:rate=25:duration=6"_s} + testsrc
                                      + QStringList{u"sine=duration=6"_s, u"-c:v"_s, u"flv1"_s, u"-c:a"_s, u"libmp3lame"_s}));
        QFile wholeFile(whole);
        QVERIFY(wholeFile.open(QIODevice::ReadOnly));
        QFile cut(m_dir.filePath(u"truncated.flv"_s));
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(wholeFile.read(wholeFile.size() / 3));
        m_sources[u"truncated"_s] = cut.fileName();
        QFile text(m_dir.filePath(u"notes.flv"_s));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("These are my notes, not a video.\n");
        m_sources[u"text"_s] = text.fileName();

        m_bun = m_dir.filePath(u"bun33s.flv"_s);
        // shared/ lies beside the project's clone (or beside the folder of its worktrees).
        const QString root = qEnvironmentVariable("SONVERA_SOURCE_DIR");
        QString clip;
        for (const QString &candidate : QStringList{root + u"/../shared/media/bun33s.flv"_s, root + u"/../../shared/media/bun33s.flv"_s}) {
            if (QFileInfo::exists(candidate)) {
                clip = candidate;
                break;
            }
        }
        // Without the clip its cases are skipped, saying why; every generated source still runs.
        if (clip.isEmpty()) {
            m_bun.clear();
            return;
        }
        QVERIFY(QFile::copy(clip, m_bun));
        QFile::setPermissions(m_bun, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        m_probes[u"bun"_s] = probe(m_bun);
    }

    void nineFormats_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("format");
        for (const QString &source : {u"sorenson"_s, u"h264"_s, u"odd"_s, u"mono22k"_s, u"noaudio"_s, u"novideo"_s}) {
            for (int format = 0; format < kFormatCount; ++format)
                QTest::addRow("%s %s", qPrintable(source), qPrintable(formatAt(format)->cliName.toString())) << source << format;
        }
    }

    // Each format with its preset, as a user who only picks the format gets it.
    void nineFormats()
    {
        QFETCH(QString, source);
        QFETCH(int, format);
        const Probe in = m_probes[source];
        const bool hasVideo = !in.videoCodec.isEmpty();
        const bool hasAudio = !in.audioCodec.isEmpty();
        const QString folder = freshFolder();
        const Conversion c = convert(m_sources[source], folder, freshFolder(), settingsFor(format));

        if (format != kMp3Format && !hasVideo) {
            QCOMPARE(c.last().exitCode, int(FailureCode::NoVideo));
            QCOMPARE(c.last().lastLine(), u"conv: \""_s + m_sources[source] + u"\": no video stream; choose MP3 for audio-only sources"_s);
            QCOMPARE(folderEntries(folder), QStringList());
            return;
        }
        if (format == kMp3Format && !hasAudio) {
            QCOMPARE(c.last().exitCode, int(FailureCode::NoAudio));
            QCOMPARE(c.last().lastLine(), u"coder: \""_s + m_sources[source] + u"\": no audio stream; an MP3 needs a source with sound"_s);
            QCOMPARE(folderEntries(folder), QStringList());
            return;
        }
        QVERIFY2(c.ok, qPrintable(c.first.output + c.second.output));
        // Only the finished output: no temporary file left beside it.
        QCOMPARE(folderEntries(folder), QStringList{QFileInfo(c.outputPath).fileName()});

        const Probe out = probe(c.outputPath);
        QVERIFY(out.ok);
        QVERIFY2(qAbs(out.duration - in.duration) <= 0.5, qPrintable(u"%1 s against %2 s"_s.arg(out.duration).arg(in.duration)));
        QCOMPARE(out.audioCodec.isEmpty(), !hasAudio);

        struct Expected { QString format; QString brand; QString video; QSize size; QString audio; };
        const QSize sourceSize = in.size;
        const QList<Expected> table{
            {u"rm"_s, {}, u"rv10"_s, paddedTo16(sourceSize), u"ac3"_s},
            {u"rm"_s, {}, u"rv10"_s, paddedTo16(sourceSize), u"ac3"_s},
            {u"mpeg"_s, {}, u"mpeg1video"_s, sourceSize, u"mp2"_s},
            {u"avi"_s, {}, u"mpeg1video"_s, sourceSize, u"mp2"_s},
            {u"mov,mp4,m4a,3gp,3g2,mj2"_s, u"isom"_s, u"mpeg4"_s, sourceSize, u"mp3"_s},
            {u"mov,mp4,m4a,3gp,3g2,mj2"_s, u"qt  "_s, u"h264"_s, evenSize(sourceSize), u"aac"_s},
            {u"mov,mp4,m4a,3gp,3g2,mj2"_s, u"3gp4"_s, u"mpeg4"_s, QSize(320, 240), u"amr_nb"_s},
            {u"mov,mp4,m4a,3gp,3g2,mj2"_s, u"3gp4"_s, u"mpeg4"_s, QSize(320, 240), u"amr_nb"_s},
            {u"mp3"_s, {}, QString(), QSize(), u"mp3"_s},
        };
        const Expected &e = table[format];
        QCOMPARE(out.formatName, e.format);
        if (!e.brand.isEmpty())
            QCOMPARE(out.majorBrand, e.brand);
        QCOMPARE(out.videoCodec, e.video);
        if (e.size.isValid())
            QCOMPARE(out.size, e.size);
        if (hasAudio)
            QCOMPARE(out.audioCodec, e.audio);
        if (format == 6 || format == 7) {
            if (hasAudio) {
                QCOMPARE(out.sampleRate, 8000);
                QCOMPARE(out.channels, 1);
            }
        }
        if (format == kMp3Format)
            QCOMPARE(out.sampleRate, 48000);
    }

    // The clip, as the status lines show it: percentages that only grow and
    // reach 100 at the very end, a banner before the first position, and
    // positions in seconds.
    void progressLinesOnTheTestClip()
    {
        if (m_bun.isEmpty())
            QSKIP("the test clip shared/media/bun33s.flv is not beside the project");
        const QString folder = freshFolder();
        const QString work = freshFolder();
        const Conversion c = convert(m_bun, folder, work, settingsFor(0));
        QVERIFY2(c.ok, qPrintable(c.first.output + c.second.output));

        QList<int> percents;
        for (const QString &line : c.first.lines()) {
            if (line.startsWith(u"Pos:"_s)) {
                const std::optional<int> p = displayedPercent(line);
                QVERIFY2(p, qPrintable(line));
                percents << *p;
            }
        }
        QVERIFY2(percents.size() >= 3, "too few status lines for a 33 s clip");
        QCOMPARE(percents.last(), 100);
        QCOMPARE(percents.count(100), 1);
        QVERIFY(std::is_sorted(percents.begin(), percents.end()));
        // The final status line, then the name of the file written.
        QVERIFY(c.first.lines().at(c.first.lines().size() - 2).startsWith(u"Pos:"_s));
        QCOMPARE(c.first.lastLine(), u"conv: wrote \"tmp.mp4\""_s);

        const QStringList lines = c.second.lines();
        static const QRegularExpression kBanner(uR"(^  Duration: (\d\d):(\d\d):(\d\d\.\d\d), )"_s);
        static const QRegularExpression kTime(uR"( time=(\S*) )"_s);
        qsizetype banner = -1;
        int positions = 0;
        double lastTime = 0;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QRegularExpressionMatch b = kBanner.match(lines[i]);
            if (b.hasMatch()) {
                QCOMPARE(banner, -1);
                banner = i;
                const double seconds = b.captured(1).toInt() * 3600 + b.captured(2).toInt() * 60 + b.captured(3).toDouble();
                QVERIFY(qAbs(seconds - m_probes[u"bun"_s].duration) < 0.5);
            }
            const QRegularExpressionMatch t = kTime.match(lines[i]);
            if (t.hasMatch()) {
                QVERIFY2(banner >= 0 && banner < i, "a position came before the duration");
                static const QRegularExpression kSeconds(uR"(^\d+\.\d\d$)"_s);
                QVERIFY2(kSeconds.match(t.captured(1)).hasMatch(), qPrintable(lines[i]));
                lastTime = t.captured(1).toDouble();
                ++positions;
            }
        }
        QVERIFY(positions >= 2);
        QVERIFY(qAbs(lastTime - m_probes[u"bun"_s].duration) < 0.5);
        QVERIFY(c.second.lines().at(c.second.lines().size() - 2).startsWith(u"frame="_s));

        // The same intermediate also makes a 3GP: coder2 on a long source.
        ConversionSettings threeGp = settingsFor(7);
        threeGp.videoSize = u"176x144"_s;
        const Conversion g = convertSecondStage(m_bun, folder, work, threeGp);
        QVERIFY2(g.ok, qPrintable(g.second.output));
        const Probe out = probe(g.outputPath);
        QCOMPARE(out.size, QSize(176, 144));
        QCOMPARE(out.audioCodec, u"amr_nb"_s);
        QVERIFY(qAbs(out.duration - m_probes[u"bun"_s].duration) < 0.5);
    }

    void mp3ClipRangeOfTheTestClip()
    {
        if (m_bun.isEmpty())
            QSKIP("the test clip shared/media/bun33s.flv is not beside the project");
        const QString folder = freshFolder();
        const Conversion c = convert(m_bun, folder, freshFolder(), settingsFor(kMp3Format), ClipRange{5, 9});
        QVERIFY2(c.ok, qPrintable(c.first.output));
        QVERIFY(c.first.output.contains(u"  Duration: 00:00:04.00, "_s));
        QVERIFY(qAbs(probe(c.outputPath).duration - 4) < 0.5);

        // A range past the end of the source is refused, and writes nothing.
        const QString empty = freshFolder();
        const Conversion late = convert(m_bun, empty, freshFolder(), settingsFor(kMp3Format), ClipRange{40, 50});
        QVERIFY(!late.ok);
        QCOMPARE(late.first.lastLine(), u"coder: \""_s + m_bun + u"\": the clip starts at 40 s, after the end of the source at 33.04 s"_s);
        QCOMPARE(folderEntries(empty), QStringList());
    }

    void damagedSources()
    {
        const QString folder = freshFolder();
        // Not a video at all: a reason, no file.
        const QString notVideo = u"\": the file is damaged or not a video: no readable stream was found in it (ffmpeg: "_s;
        Conversion c = convert(m_sources[u"text"_s], folder, freshFolder(), settingsFor(2));
        QCOMPARE(c.first.exitCode, int(FailureCode::SourceDamaged));
        QVERIFY2(c.first.lastLine().startsWith(u"conv: \""_s + m_sources[u"text"_s] + notVideo), qPrintable(c.first.lastLine()));
        c = convert(m_sources[u"text"_s], folder, freshFolder(), settingsFor(kMp3Format));
        QCOMPARE(c.first.exitCode, int(FailureCode::SourceDamaged));
        QVERIFY(c.first.lastLine().startsWith(u"coder: \""_s + m_sources[u"text"_s] + notVideo));
        QCOMPARE(folderEntries(folder), QStringList());

        // Cut short: what is there is converted and kept under its name, and
        // the run fails saying where the source ends.
        c = convert(m_sources[u"truncated"_s], folder, freshFolder(), settingsFor(3));
        QCOMPARE(c.first.exitCode, int(FailureCode::SourceTruncated));
        const std::optional<EncoderReport> report = lastFailureReport(c.first.output);
        QVERIFY2(report && report->facts.sourceEndSeconds, qPrintable(c.first.output));
        QVERIFY2(*report->facts.sourceEndSeconds > 1 && *report->facts.sourceEndSeconds < 3, qPrintable(c.first.output));
        QVERIFY(std::abs(report->facts.declaredSeconds.value_or(0) - 6) < 0.1);
        QCOMPARE(report->facts.output, QFileInfo(c.outputPath).fileName());
        QVERIFY(std::abs(probe(c.outputPath).duration - *report->facts.sourceEndSeconds) < 0.5);
    }

    void badSettingsWriteNothing_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("cause");
        QTest::newRow("MP3 without a rate") << 8 << u"audioRate"_s << QString() << u"the audio sample rate is empty; enter a value"_s;
        QTest::newRow("MP3 bitrate abc") << 8 << u"audioBitrate"_s << u"abc"_s << u"the audio bitrate \"abc\" is not a number; enter kbit/s such as 128"_s;
        QTest::newRow("MPG frame rate abc") << 2 << u"frameRate"_s << u"abc"_s << u"the frame rate \"abc\" is not a number; enter frames per second such as 24"_s;
        QTest::newRow("AVI without a video bitrate") << 3 << u"videoBitrate"_s << QString() << u"the video bitrate is empty; enter kbit/s such as 600"_s;
        QTest::newRow("RM size 12 x 8") << 1 << u"videoSize"_s << u"12 x 8"_s << u"the frame size \"12 x 8\" is not WIDTHxHEIGHT; pick one such as 320x240"_s;
    }

    void badSettingsWriteNothing()
    {
        QFETCH(int, format);
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, cause);
        ConversionSettings s = settingsFor(format);
        if (field == u"audioRate") s.audioRate = value;
        if (field == u"audioBitrate") s.audioBitrate = value;
        if (field == u"frameRate") s.frameRate = value;
        if (field == u"videoBitrate") s.videoBitrate = value;
        if (field == u"videoSize") s.videoSize = value;
        const QString folder = freshFolder();
        const Conversion c = convert(m_sources[u"sorenson"_s], folder, freshFolder(), s);
        QCOMPARE(c.last().exitCode, int(FailureCode::BadSetting));
        const QString program = format == 1 || format == kMp3Format ? u"coder"_s : u"conv"_s;
        QCOMPARE(c.last().lastLine(), program + u": \""_s + c.outputPath + u"\": "_s + cause);
        QCOMPARE(folderEntries(folder), QStringList());
    }

    void hostileNamesAndFolders()
    {
        // A source whose name looks like an option and holds quotes, "$" and a backslash.
        const QString odd = m_dir.filePath(u"-dash \"quoted\" $HOME \\ back.flv"_s);
        QVERIFY(QFile::copy(m_sources[u"sorenson"_s], odd));
        const QString folder = freshFolder() + u"/with blank"_s;
        QVERIFY(QDir().mkpath(folder));
        for (int format : {2, kMp3Format, 7}) {
            const Conversion c = convert(odd, folder, freshFolder(), settingsFor(format));
            QVERIFY2(c.ok, qPrintable(c.first.output + c.second.output));
            QVERIFY(probe(c.outputPath).ok);
        }

        // A missing output folder is named in the reason.
        const QString missing = m_dir.filePath(u"no/such/folder"_s);
        Conversion c = convert(m_sources[u"sorenson"_s], missing, freshFolder(), settingsFor(2));
        QCOMPARE(c.first.exitCode, int(FailureCode::OutputFolderMissing));
        QVERIFY2(c.first.lastLine().endsWith(u"the output folder \""_s + missing + u"\" does not exist"_s), qPrintable(c.first.lastLine()));
        QVERIFY(!QFileInfo::exists(missing));

        if (::geteuid() != 0) {
            const QString locked = freshFolder();
            QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            c = convert(m_sources[u"sorenson"_s], locked, freshFolder(), settingsFor(kMp3Format));
            QCOMPARE(c.first.exitCode, int(FailureCode::OutputUnwritable));
            QVERIFY2(c.first.lastLine().contains(u"cannot write in the output folder \""_s + locked + u'"'), qPrintable(c.first.lastLine()));
            QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        }
    }

    // An output never replaces what stands at its name, -y or not, a
    // dangling symbolic link included: it takes the next free "-n" name and
    // says which.
    void existingNamesAreNeverReplaced()
    {
        const QString folder = freshFolder();
        const QString out = folder + u"/kept.mp3"_s;
        QFile f(out);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("precious");
        f.close();
        QVERIFY(QFile::link(folder + u"/nowhere"_s, folder + u"/kept-2.mp3"_s));
        const QString coder = programFolder() + u"/data/coder"_s;
        const Run r = runProgram(coder, {u"-i"_s, m_sources[u"sorenson"_s], u"-y"_s, u"-vn"_s, u"-ar"_s, u"44100"_s, u"-ab"_s, u"128k"_s, out});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.lastLine(), u"coder: wrote \"kept-3.mp3\""_s);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("precious"));
        QVERIFY(QFileInfo(folder + u"/kept-2.mp3"_s).isSymLink());
        QCOMPARE(probe(folder + u"/kept-3.mp3"_s).audioCodec, u"mp3"_s);
        QCOMPARE(folderEntries(folder), (QStringList{u"kept-2.mp3"_s, u"kept-3.mp3"_s, u"kept.mp3"_s}));
    }

    // conv replaces a file only in a run folder the engine made: a user's
    // tmp.mp4, and a source of that name given as its own output, stay.
    void convReplacesOnlyInARunFolder()
    {
        const QStringList options{u"-oac"_s, u"mp3lame"_s, u"-lameopts"_s, u"preset=320"_s, u"-ovc"_s, u"lavc"_s,
                                  u"-lavcopts"_s, u"vcodec=mpeg4:vbitrate=1200"_s, u"-of"_s, u"avi"_s, u"-o"_s};
        const QString conv = programFolder() + u"/data/conv"_s;
        const QString users = freshFolder() + u"/tmp.mp4"_s;
        QVERIFY(QFile::copy(m_sources[u"sorenson"_s], users));
        for (const QString &source : {m_sources[u"sorenson"_s], users}) {
            const Run r = runProgram(conv, QStringList{source} + options + QStringList{users});
            QCOMPARE(r.exitCode, 0);
            QCOMPARE(r.lastLine(), u"conv: wrote \"tmp-2.mp4\""_s);
            QCOMPARE(probe(users).formatName, u"flv"_s); // still the user's own file
            QVERIFY(QFile::remove(QFileInfo(users).absolutePath() + u"/tmp-2.mp4"_s));
        }

        // In a worker's folder of a run folder of the engine's, the next intermediate replaces the last.
        const std::unique_ptr<RunFolder> run = RunFolder::create(freshFolder());
        QVERIFY(run);
        const QString worker = BatchDriver::workerFolder(run->path(), 0);
        QVERIFY(QDir().mkpath(worker));
        QVERIFY(QFile::copy(m_sources[u"sorenson"_s], worker + u"/tmp.mp4"_s));
        const Run r = runProgram(conv, QStringList{m_sources[u"sorenson"_s]} + options + QStringList{worker + u"/tmp.mp4"_s});
        QCOMPARE(r.lastLine(), u"conv: wrote \"tmp.mp4\""_s);
        QCOMPARE(probe(worker + u"/tmp.mp4"_s).formatName, u"avi"_s);
    }

    void missingFfmpegIsNamed()
    {
        const QString empty = freshFolder();
        for (const QString &program : {u"conv"_s, u"coder"_s, u"coder2"_s}) {
            const QStringList args = program == u"conv"
                ? QStringList{m_sources[u"sorenson"_s], u"-oac"_s, u"mp3lame"_s, u"-lameopts"_s, u"preset=320"_s, u"-ovc"_s, u"lavc"_s,
                              u"-lavcopts"_s, u"vcodec=mpeg4:vbitrate=1200"_s, u"-of"_s, u"avi"_s, u"-o"_s, empty + u"/tmp.mp4"_s}
                : QStringList{u"-i"_s, m_sources[u"sorenson"_s], u"-y"_s, u"-vn"_s, u"-ar"_s, u"44100"_s, u"-ab"_s, u"128k"_s, empty + u"/a.mp3"_s};
            const Run r = runProgram(programFolder() + u"/data/"_s + program, args, 30000, empty);
            QCOMPARE(r.exitCode, int(FailureCode::FfmpegMissing));
            QCOMPARE(r.lastLine(), program + u": ffmpeg was not found on PATH; install the Debian package \"ffmpeg\" (sudo apt-get install ffmpeg)"_s);
        }
        QCOMPARE(folderEntries(empty), QStringList());
    }

    // A stop request ends the run within a second, with its ffmpeg and
    // without a partial file; a killed program takes its ffmpeg along.
    void stopping_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<int>("signal");
        for (const QString &program : {u"conv"_s, u"coder2"_s}) {
            QTest::addRow("%s SIGTERM", qPrintable(program)) << program << int(SIGTERM);
            QTest::addRow("%s SIGINT", qPrintable(program)) << program << int(SIGINT);
            QTest::addRow("%s SIGKILL", qPrintable(program)) << program << int(SIGKILL);
        }
    }

    void stopping()
    {
        if (m_bun.isEmpty())
            QSKIP("the test clip shared/media/bun33s.flv is not beside the project");
        QFETCH(QString, program);
        QFETCH(int, signal);
        const QString folder = freshFolder();
        const QString output = folder + (program == u"conv" ? u"/x.mpg"_s : u"/x.3gp"_s);
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        // Long runs: the test clip to MPEG-1 at the highest rates, or to 3GP
        // with its two ffmpeg children (the audio decoder and the muxer).
        if (program == u"conv") {
            p.start(programFolder() + u"/data/conv"_s,
                    {m_bun, u"-oac"_s, u"lavc"_s, u"-lavcopts"_s, u"acodec=mp2:abitrate=320"_s, u"-ovc"_s, u"lavc"_s,
                     u"-lavcopts"_s, u"vcodec=mpeg1video:vbitrate=1500:vpass=1"_s, u"-ofps"_s, u"29"_s, u"-of"_s, u"lavf"_s,
                     u"-lavfopts"_s, u"format=yuv4mpeg"_s, u"-o"_s, output});
        } else {
            p.start(programFolder() + u"/data/coder2"_s,
                    {u"-i"_s, m_bun, u"-y"_s, u"-s"_s, u"720x480"_s, u"-vcodec"_s, u"mpeg4"_s, u"-acodec"_s, u"amr_nb"_s,
                     u"-ac"_s, u"1"_s, u"-ar"_s, u"8000"_s, u"-ab"_s, u"12.2k"_s, output});
        }
        QVERIFY(p.waitForStarted());
        QByteArray seen;
        QList<qint64> children;
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < 5000 && !seen.contains("Pos:") && !seen.contains("frame=")) {
            p.waitForReadyRead(50);
            seen += p.readAllStandardOutput();
            for (qint64 child : childrenOf(p.processId())) {
                if (!children.contains(child))
                    children << child;
            }
        }
        QVERIFY2(!children.isEmpty(), seen.constData());
        QCOMPARE(folderEntries(folder).size(), 1); // the hidden temporary file

        QElapsedTimer stop;
        stop.start();
        ::kill(pid_t(p.processId()), signal);
        QVERIFY(p.waitForFinished(2000));
        if (signal == SIGKILL) {
            QCOMPARE(p.exitStatus(), QProcess::CrashExit);
            for (qint64 child : std::as_const(children))
                QTRY_VERIFY_WITH_TIMEOUT(processEnded(child), 2000);
            return; // the hidden temporary file stays; no run ever takes it for an output
        }
        QVERIFY2(stop.elapsed() < 1000, qPrintable(QString::number(stop.elapsed())));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), int(FailureCode::Stopped));
        for (qint64 child : std::as_const(children))
            QVERIFY(processEnded(child));
        const QString text = QString::fromUtf8(p.readAll());
        const QString reason = program + u": \""_s + output + u"\": stopped by "_s + (signal == SIGTERM ? u"SIGTERM"_s : u"SIGINT"_s);
        QVERIFY2(text.endsWith(reason + u'\n'), qPrintable(text.right(200)));
        QCOMPARE(folderEntries(folder), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestEncoderRuns)
#include "tst_encoderruns.moc"
