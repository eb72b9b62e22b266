// What sonvera-cli says of sources that do not convert whole, with the real
// encoders and ffmpeg: an interrupted download, damaged files and codecs this
// ffmpeg cannot read. Every reason names the source's problem in the user's
// language; no ffmpeg line stands alone and no folder of a run's own shows.
#include "encodertestkit.h"
#include "formats.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sys/statvfs.h>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;
using namespace sonvera::testkit;

namespace {

struct CliRun {
    int exitCode = -1;
    QString err;
    QString out = {};
};

// sonvera-cli in Chinese, the window's own language.
CliRun runChinese(const QStringList &arguments)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"SONVERA_LANG"_s, u"zh"_s);
    p.setProcessEnvironment(env);
    p.start(programFolder() + u"/sonvera-cli"_s, arguments);
    p.waitForFinished(300000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardError()),
            QString::fromUtf8(p.readAllStandardOutput())};
}

// The reason the run gave for `source`: "sonvera-cli: [n/m] 失败：SOURCE: REASON".
QString reasonFor(const CliRun &run, const QString &source)
{
    const QString marker = u"失败："_s + source + u": "_s;
    for (const QString &line : run.err.split(u'\n')) {
        if (const qsizetype at = line.indexOf(marker); at >= 0)
            return line.mid(at + marker.size());
    }
    return {};
}

// An H.264 FLV retold as "enhanced" FLV: the video tags carry `fourCc` in
// the extended header that ffmpeg 5.1 does not know, the frames either with
// their composition time (CodedFrames) or without (CodedFramesX).
FlvTagChange enhanced(const QByteArray &fourCc, bool framesX)
{
    return [=](int type, const QByteArray &d) -> std::optional<QByteArray> {
        if (type != 9 || d.size() < 5 || (d[0] & 0x0f) != 7)
            return d;
        const int frame = (uchar(d[0]) >> 4) & 7;
        const int packet = d[1];
        const int newPacket = packet == 0 ? 0 : packet == 1 ? (framesX ? 3 : 1) : 2;
        const QByteArray body = packet == 0 ? d.mid(5) : packet == 1 ? (framesX ? d.mid(5) : d.mid(2)) : QByteArray();
        return QByteArray(1, char(0x80 | frame << 4 | newPacket)) + fourCc + body;
    };
}

bool isChinese(QChar c)
{
    return c.unicode() >= 0x4e00 && c.unicode() <= 0x9fff;
}

} // namespace

class TestCliReports : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_whole;   // 2 s, converts in every format
    QString m_cut;     // the first third of a 6 s file
    QString m_bunCut;  // the first third of the real test clip, when it is there
    QMap<QString, QString> m_bad; // damaged and unsupported sources by name
    QMap<QString, QString> m_shapes; // whole recordings as real ones come, by name
    QMap<QString, QString> m_cuts;   // a 4 s file cut inside a tag, by the share of its bytes kept
    QMap<QString, QString> m_cutEnds; // where the first route said each cut ends

    // Whole files in the shapes live recorders and editors leave, and cuts
    // of a 4 s file inside a tag.
    void makeShapes()
    {
        const QStringList lavfi{u"-f"_s, u"lavfi"_s, u"-i"_s};
        const QString four = m_dir.filePath(u"four.flv"_s);
        const QString bframes = m_dir.filePath(u"bframes.flv"_s);
        const QStringList sound = lavfi + QStringList{u"sine=duration=4"_s};
        QVERIFY(makeSource(four, lavfi + QStringList{u"testsrc=size=160x96:rate=25:duration=4"_s} + sound
                                     + QStringList{u"-c:v"_s, u"libx264"_s, u"-preset"_s, u"ultrafast"_s, u"-c:a"_s, u"aac"_s}));
        QVERIFY(makeSource(bframes, lavfi + QStringList{u"testsrc=size=160x96:rate=2:duration=4"_s} + sound
                                        + QStringList{u"-c:v"_s, u"libx264"_s, u"-bf"_s, u"2"_s, u"-c:a"_s, u"aac"_s}));
        const auto keep = [](int, const QByteArray &d) -> std::optional<QByteArray> { return d; };
        const auto shape = [&](const QString &name, const QString &from, const FlvTagChange &change, const FlvRetime &retime) {
            m_shapes[name] = m_dir.filePath(name + u".flv"_s);
            QVERIFY(rewriteFlv(from, m_shapes[name], change, retime));
        };
        const auto declaring = [](double seconds) {
            return [seconds](int type, const QByteArray &d) -> std::optional<QByteArray> {
                return type == 18 ? withFlvDuration(d, seconds) : d;
            };
        };
        // A live capture joined 60 s in, whose header says 0.
        shape(u"late-start"_s, four, declaring(0), [](int, qint64 ms) { return ms + 60000; });
        // A trimmed copy whose header still says 60 s.
        shape(u"header-too-long"_s, four, declaring(60), {});
        // A recorder's clock jumped 5 s after 2 s.
        shape(u"jump"_s, four, keep, [](int, qint64 ms) { return ms < 2000 ? ms : ms + 5000; });
        // A slide show whose first frame comes a second after its sound, with B-frames.
        shape(u"bframes-late"_s, bframes, keep, [](int type, qint64 ms) { return type == 9 ? ms + 1000 : ms; });
        for (const double share : {0.10, 0.50, 0.95, 0.99}) {
            const QString name = QString::number(int(share * 100));
            m_cuts[name] = m_dir.filePath(u"cut-"_s + name + u".flv"_s);
            QVERIFY(copyFirstShare(four, m_cuts[name], share));
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QStringList lavfi{u"-f"_s, u"lavfi"_s, u"-i"_s};
        auto clip = [&](const QString &name, int seconds) {
            const QString path = m_dir.filePath(name);
            const bool made = makeSource(path, lavfi + QStringList{u"testsrc=size=320x180:rate=25:duration=%1"_s.arg(seconds)}
                                                   + lavfi + QStringList{u"sine=duration=%1"_s.arg(seconds), u"-c:v"_s, u"libx264"_s,
                                                                         u"-preset"_s, u"ultrafast"_s, u"-c:a"_s, u"aac"_s});
            return made ? path : QString();
        };
        m_whole = clip(u"whole.flv"_s, 2);
        const QString six = clip(u"six.flv"_s, 6);
        QVERIFY(!m_whole.isEmpty() && !six.isEmpty());
        m_cut = m_dir.filePath(u"cut.flv"_s);
        QVERIFY(copyFirstThird(six, m_cut));

        const QString root = qEnvironmentVariable("SONVERA_SOURCE_DIR");
        for (const QString &candidate : QStringList{root + u"/../shared/media/bun33s.flv"_s, root + u"/../../shared/media/bun33s.flv"_s}) {
            if (m_bunCut.isEmpty() && QFileInfo::exists(candidate)) {
                m_bunCut = m_dir.filePath(u"bun-cut.flv"_s);
                QVERIFY(copyFirstThird(candidate, m_bunCut));
            }
        }

        auto bad = [&](const QString &name, const FlvTagChange &change) {
            m_bad[name] = m_dir.filePath(name + u".flv"_s);
            return rewriteFlv(six, m_bad[name], change);
        };
        QVERIFY(bad(u"enhanced-av1"_s, enhanced("av01", true)));
        QVERIFY(bad(u"enhanced-hevc"_s, enhanced("hvc1", false)));
        // The AVC header that sizes the picture is missing.
        QVERIFY(bad(u"no-header"_s, [](int type, const QByteArray &d) -> std::optional<QByteArray> {
            if (type == 9 && d.size() > 1 && (d[0] & 0x0f) == 7 && d[1] == 0)
                return std::nullopt;
            return d;
        }));
        // Codec 12, which some writers gave HEVC before "enhanced" FLV.
        QVERIFY(bad(u"codec12"_s, [](int type, QByteArray d) -> std::optional<QByteArray> {
            if (type == 9 && !d.isEmpty())
                d[0] = char((d[0] & 0xf0) | 12);
            return d;
        }));
        m_bad[u"noise"_s] = m_dir.filePath(u"noise.flv"_s);
        QVERIFY(makeNoiseFlv(m_bad[u"noise"_s], 30000, 11));
    }

    void aSourceCutShort_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("format");
        for (const FormatInfo &format : formatCatalogue())
            QTest::addRow("generated %s", qPrintable(format.cliName.toString())) << u"generated"_s << format.cliName.toString();
        for (const QString &format : {u"mp3"_s, u"rmvb"_s, u"mp4"_s})
            QTest::addRow("bun33s %s", qPrintable(format)) << u"bun33s"_s << format;
    }

    // An interrupted download converts as far as it goes: the file fails,
    // saying where the source ends, and keeps what was converted under its
    // own name; a whole file beside it converts.
    void aSourceCutShort()
    {
        QFETCH(QString, source);
        QFETCH(QString, format);
        const QString cut = source == u"bun33s" ? m_bunCut : m_cut;
        if (cut.isEmpty())
            QSKIP("the test clip shared/media/bun33s.flv is not beside the project");
        const QString out = m_dir.filePath(u"cut-"_s + source + u'-' + format);
        const CliRun run = runChinese({u"-q"_s, u"-f"_s, format, u"-o"_s, out, cut, m_whole});
        QCOMPARE(run.exitCode, 1);
        const QString reason = reasonFor(run, cut);
        static const QRegularExpression kCut(u"^源文件在 (\\d+):(\\d\\d) 处中断，可能没有下载完；只转换了前 (\\d+) 秒，已保存为 (.+)$"_s);
        const QRegularExpressionMatch m = kCut.match(reason);
        QVERIFY2(m.hasMatch(), qPrintable(run.err));
        const int endsAt = m.captured(1).toInt() * 60 + m.captured(2).toInt();
        const QString partial = out + u'/' + m.captured(4);
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), 2); // the partial output and the whole file's
        const double converted = probe(partial).duration;
        QVERIFY2(std::abs(converted - endsAt) <= 1.0 && std::abs(converted - m.captured(3).toInt()) <= 1.0,
                 qPrintable(reason + u" / "_s + QString::number(converted)));
        QVERIFY2(converted < (source == u"bun33s" ? 33.0 : 6.0) - 1.5, qPrintable(QString::number(converted)));
        QVERIFY(reasonFor(run, m_whole).isEmpty());
    }

    void recordingShapes_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("route"); // a sonvera-cli option, or none
        for (const FormatInfo &format : formatCatalogue())
            QTest::newRow(qPrintable(format.cliName.toString())) << format.cliName.toString() << QString();
        QTest::newRow("mov copy attempt") << u"mov"_s << u"--remux"_s;
        QTest::newRow("mp4 copy") << u"mp4"_s << u"--remux"_s;
        QTest::newRow("rmvb one step") << u"rmvb"_s << u"--direct"_s;
    }

    // The shapes real recordings take convert whole (a header that claims
    // more is noted); a download cut inside a tag fails wherever it stops,
    // and every format and route names the same end point.
    void recordingShapes()
    {
        QFETCH(QString, format);
        QFETCH(QString, route);
        if (m_shapes.isEmpty())
            makeShapes();
        QVERIFY(!QTest::currentTestFailed());
        const QString out = m_dir.filePath(u"shapes-"_s + QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-'));
        QStringList args{u"-f"_s, format, u"-o"_s, out};
        if (!route.isEmpty())
            args << route;
        const CliRun run = runChinese(args + m_shapes.values() + m_cuts.values());
        QCOMPARE(run.exitCode, 1);
        for (auto it = m_shapes.cbegin(); it != m_shapes.cend(); ++it)
            QVERIFY2(reasonFor(run, it.value()).isEmpty(), qPrintable(it.key() + u": "_s + reasonFor(run, it.value())));
        QVERIFY2(run.out.contains(u"文件头声称长 1:00，实际只有 0:04 的内容"_s), qPrintable(run.out));
        QCOMPARE(run.out.count(u"文件头声称"_s), 1);
        static const QRegularExpression kCut(u"^源文件在 (\\d+:\\d\\d) 处中断，可能没有下载完；只转换了(前 \\d+ 秒|不到 1 秒)，已保存为 (.+)$"_s);
        for (auto it = m_cuts.cbegin(); it != m_cuts.cend(); ++it) {
            const QRegularExpressionMatch m = kCut.match(reasonFor(run, it.value()));
            QVERIFY2(m.hasMatch(), qPrintable(it.key() + u": "_s + reasonFor(run, it.value())));
            QVERIFY(QFileInfo::exists(out + u'/' + m.captured(3)));
            const QString said = m.captured(1) + u' ' + m.captured(2);
            QCOMPARE(m_cutEnds.value(it.key(), said), said);
            m_cutEnds[it.key()] = said;
        }
        // One output for each file, the cut ones' partial outputs included.
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), m_shapes.size() + m_cuts.size());
    }

    // With the copy attempt of MOV, a file cut short keeps its own copy and
    // ends there: the intermediate of the file before it (coded in two
    // stages) is never made into its output.
    void aCopyAttemptCutShortKeepsItsOwnPicture()
    {
        const QStringList lavfi{u"-f"_s, u"lavfi"_s, u"-i"_s};
        const QString coded = m_dir.filePath(u"mpeg4.flv"_s);
        const QString full = m_dir.filePath(u"small.flv"_s);
        const QString cut = m_dir.filePath(u"small-cut.flv"_s);
        QVERIFY(makeSource(coded, lavfi + QStringList{u"testsrc=size=320x240:rate=25:duration=3"_s, u"-c:v"_s, u"flv1"_s}));
        QVERIFY(makeSource(full, lavfi + QStringList{u"testsrc=size=160x96:rate=25:duration=6"_s} + lavfi
                                     + QStringList{u"sine=duration=6"_s, u"-c:v"_s, u"libx264"_s, u"-preset"_s,
                                                   u"ultrafast"_s, u"-c:a"_s, u"aac"_s}));
        QVERIFY(copyFirstShare(full, cut, 0.5));
        const QString out = m_dir.filePath(u"swap"_s);
        const CliRun run = runChinese({u"-q"_s, u"--remux"_s, u"-f"_s, u"mov"_s, u"-o"_s, out, coded, cut});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(reasonFor(run, coded).isEmpty());
        const QRegularExpressionMatch m = QRegularExpression(u"已保存为 (.+)$"_s).match(reasonFor(run, cut));
        QVERIFY2(m.hasMatch(), qPrintable(run.err));
        const Probe kept = probe(out + u'/' + m.captured(1));
        QCOMPARE(kept.size, QSize(160, 96));
        QCOMPARE(kept.videoCodec, u"h264"_s);
        QVERIFY2(kept.duration > 1.5 && kept.duration < 4.5, qPrintable(QString::number(kept.duration)));
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // On a disk all but full, a 3GP (whose tags are written after ffmpeg)
    // is published whole or not at all, whatever room is left; a batch the
    // disk cannot hold is not started unless asked; a copy attempt that
    // fills the disk names the output folder.
    void aNearlyFullDisk()
    {
        const QString disk = m_dir.filePath(u"disk"_s);
        QVERIFY(QDir().mkpath(disk));
        if (QProcess::execute(u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=2m"_s, u"tmpfs"_s, disk}) != 0)
            QSKIP("mounting a small tmpfs needs root");
        const auto unmount = qScopeGuard([&disk] { QProcess::execute(u"umount"_s, {u"-l"_s, disk}); });
        const QStringList lavfi{u"-f"_s, u"lavfi"_s, u"-i"_s};
        const QString tagged = m_dir.filePath(u"tagged.flv"_s);
        QVERIFY(makeSource(tagged, lavfi + QStringList{u"testsrc=size=160x96:rate=25:duration=3"_s} + lavfi
                                       + QStringList{u"sine=duration=3"_s, u"-c:v"_s, u"libx264"_s, u"-preset"_s, u"ultrafast"_s,
                                                     u"-c:a"_s, u"aac"_s, u"-metadata"_s, u"title=Whole or nothing"_s}));
        const QString roomy = m_dir.filePath(u"roomy"_s);
        QCOMPARE(runChinese({u"-q"_s, u"-f"_s, u"3gp"_s, u"-o"_s, roomy, tagged}).exitCode, 0);
        const QStringList made = QDir(roomy).entryList(QDir::Files);
        QCOMPARE(made.size(), 1);
        const qint64 size = QFileInfo(roomy + u'/' + made.first()).size();
        const auto fillLeaving = [&disk](qint64 room) {
            QFile::remove(disk + u"/filler"_s);
            struct statvfs st {};
            ::statvfs(QFile::encodeName(disk).constData(), &st);
            QFile filler(disk + u"/filler"_s);
            return filler.open(QIODevice::WriteOnly)
                && filler.write(QByteArray(qint64(st.f_bavail) * qint64(st.f_frsize) - room, 'x')) >= 0 && filler.flush();
        };
        const QString out = disk + u"/out"_s;
        QVERIFY(QDir().mkpath(out));
        for (qint64 room = size - 8192; room <= size + 8192; room += 4096) {
            QVERIFY(fillLeaving(room));
            const CliRun run = runChinese({u"-q"_s, u"--no-space-check"_s, u"-f"_s, u"3gp"_s, u"-o"_s, out, tagged});
            const QStringList published = QDir(out).entryList(QDir::Files | QDir::Hidden);
            if (run.exitCode == 0) {
                QCOMPARE(published.size(), 1);
                const Probe whole = probe(out + u'/' + published.first());
                QVERIFY2(whole.ok && std::abs(whole.duration - 3.0) < 0.5, qPrintable(published.first()));
                QCOMPARE(whole.tags.value(u"title"_s), u"Whole or nothing"_s);
            } else {
                QVERIFY2(published.isEmpty(), qPrintable(published.join(u' ') + u": "_s + run.err));
                QVERIFY2(reasonFor(run, tagged).startsWith(u"输出文件夹 "_s + out), qPrintable(run.err));
            }
            for (const QString &name : published)
                QFile::remove(out + u'/' + name);
        }
        QVERIFY(fillLeaving(4096));
        // Asked plainly, sonvera-cli does not start a batch the disk cannot hold.
        const CliRun refused = runChinese({u"-q"_s, u"-f"_s, u"3gp"_s, u"-o"_s, out, tagged});
        QCOMPARE(refused.exitCode, 2);
        QVERIFY2(refused.err.contains(u"输出文件夹 "_s + out + u" 所在的磁盘大约需要 "_s) && refused.err.contains(u"只剩 "_s),
                 qPrintable(refused.err));
        QVERIFY(QDir(out).isEmpty());
        const CliRun copy = runChinese({u"-q"_s, u"--no-space-check"_s, u"--remux"_s, u"-f"_s, u"mov"_s, u"-o"_s, out, tagged});
        QCOMPARE(copy.exitCode, 1);
        QVERIFY2(reasonFor(copy, tagged).startsWith(u"输出文件夹 "_s + out), qPrintable(copy.err));
    }

    void damagedAndUnsupportedSources_data()
    {
        QTest::addColumn<QString>("format");
        for (const FormatInfo &format : formatCatalogue())
            QTest::newRow(qPrintable(format.cliName.toString())) << format.cliName.toString();
    }

    // Each sample's reason says what is wrong with the source, whatever the format.
    void damagedAndUnsupportedSources()
    {
        QFETCH(QString, format);
        const bool mp3 = format == u"mp3";
        // The picture's problem is no problem for MP3, which takes the sound,
        // unless this ffmpeg loses the sound in the new video tags as well.
        const QMap<QString, QString> expected{
            {u"enhanced-av1"_s, u"本机的 ffmpeg 无法解码其中的视频（AV1）"_s},
            {u"enhanced-hevc"_s, mp3 ? QString() : u"本机的 ffmpeg 无法解码其中的视频（HEVC）"_s},
            {u"no-header"_s, mp3 ? QString() : u"文件已损坏：其中的视频无法读取"_s},
            {u"codec12"_s, mp3 ? QString() : u"本机的 ffmpeg 无法解码其中的视频（FLV 12）"_s},
            {u"noise"_s, u"文件已损坏，找不到可以读取的音视频数据"_s},
        };
        const QString out = m_dir.filePath(u"bad-"_s + format);
        const CliRun run = runChinese(QStringList{u"-q"_s, u"-f"_s, format, u"-o"_s, out} + m_bad.values());
        QCOMPARE(run.exitCode, 1);
        for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
            const QString reason = reasonFor(run, m_bad[it.key()]);
            if (it.value().isEmpty()) {
                QVERIFY2(reason.isEmpty(), qPrintable(it.key() + u": "_s + reason));
                continue;
            }
            QVERIFY2(reason.startsWith(it.value()), qPrintable(it.key() + u": "_s + reason));
            // Our words first; ffmpeg's, if any, only after them.
            QVERIFY2(isChinese(reason.at(0)) || reason.startsWith(u"本机的 ffmpeg"_s), qPrintable(reason));
            QVERIFY2(!reason.contains(u"/sonvera-"_s) && !reason.contains(u"tmp.mp4"_s), qPrintable(reason));
        }
        // No source's fault is put down to the settings.
        QVERIFY2(!run.err.contains(u"ffmpeg 无法用这些参数转换"_s), qPrintable(run.err));
    }

    // --json for scripts: every line of the standard output is one event,
    // in order, read here with a real JSON parser.
    void jsonEventsOfAGoodAndANoiseFile()
    {
        QProcess p;
        p.start(programFolder() + u"/sonvera-cli"_s, {u"--json"_s, u"-f"_s, u"rmvb"_s, u"-o"_s, m_dir.filePath(u"json"_s),
                                                      m_whole, m_bad[u"noise"_s]});
        QVERIFY(p.waitForFinished(300000));
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(!p.readAllStandardError().isEmpty()); // the words for people
        QMap<QString, QList<QJsonObject>> events;
        const QList<QByteArray> lines = p.readAllStandardOutput().split('\n');
        QVERIFY(lines.last().isEmpty());
        for (const QByteArray &line : lines.mid(0, lines.size() - 1)) {
            const QJsonDocument document = QJsonDocument::fromJson(line);
            QVERIFY2(document.isObject(), line.constData());
            events[document.object().value(u"file"_s).toString()] << document.object();
        }
        const QList<QJsonObject> whole = events.value(m_whole);
        QVERIFY2(whole.size() >= 4, qPrintable(QString::number(whole.size())));
        QCOMPARE(whole.first().value(u"event"_s).toString(), u"started"_s);
        double fraction = 0;
        for (const QJsonObject &event : whole.mid(1, whole.size() - 2)) {
            QCOMPARE(event.value(u"event"_s).toString(), u"progress"_s);
            QVERIFY(event.value(u"fraction"_s).toDouble() > fraction && event.value(u"fraction"_s).toDouble() <= 1.0);
            fraction = event.value(u"fraction"_s).toDouble();
        }
        QCOMPARE(whole.last().value(u"event"_s).toString(), u"converted"_s);
        QVERIFY(std::abs(probe(whole.last().value(u"output"_s).toString()).duration - 2.0) < 0.5);

        const QList<QJsonObject> noise = events.value(m_bad[u"noise"_s]);
        QCOMPARE(noise.size(), 2);
        QCOMPARE(noise.at(0).value(u"event"_s).toString(), u"started"_s);
        QCOMPARE(noise.at(1).value(u"event"_s).toString(), u"failed"_s);
        QCOMPARE(noise.at(1).value(u"code"_s).toString(), u"source-damaged"_s);
        QVERIFY(noise.at(1).value(u"reason"_s).toString().startsWith(u"文件已损坏"_s));
    }
};

QTEST_GUILESS_MAIN(TestCliReports)
#include "tst_cli_reports.moc"
