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
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;
using namespace sonvera::testkit;

namespace {

struct CliRun {
    int exitCode = -1;
    QString err;
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
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardError())};
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
