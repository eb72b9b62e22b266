// What the encoders add to an output for players after ffmpeg: RealMedia's
// seek index, MP3's ID3v2.3 tag, MPEG-1's standard frame rates.
#include "id3tag.h"
#include "plans.h"
#include "realmediaindex.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera::encoders;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::optional<RealMediaLayout> layoutOf(const QByteArray &bytes, QString &error)
{
    return readRealMediaLayout([&bytes](qint64 at, qint64 length) { return bytes.mid(at, length); }, bytes.size(), error);
}

bool ffmpeg(const QStringList &arguments)
{
    QProcess p;
    p.start(u"ffmpeg"_s, QStringList{u"-nostdin"_s, u"-v"_s, u"error"_s, u"-y"_s} + arguments);
    return p.waitForFinished(60000) && p.exitCode() == 0;
}

// ffmpeg's framemd5 of every packet: the same list before and after means
// that not a byte of the media moved.
QByteArray packetSums(const QString &path)
{
    QProcess p;
    p.start(u"ffmpeg"_s, {u"-nostdin"_s, u"-v"_s, u"error"_s, u"-i"_s, path, u"-map"_s, u"0"_s, u"-c"_s, u"copy"_s,
                          u"-f"_s, u"framemd5"_s, u"-"_s});
    p.waitForFinished(60000);
    return p.readAllStandardOutput();
}

} // namespace

class TestPlayerReady : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_rm; // 3 s of RealVideo and AC-3 as ffmpeg writes them

private Q_SLOTS:
    void initTestCase()
    {
        m_rm = m_dir.filePath(u"clip.rm"_s);
        QVERIFY(ffmpeg({u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=size=176x144:rate=25:duration=3"_s, u"-f"_s, u"lavfi"_s,
                        u"-i"_s, u"sine=duration=3"_s, u"-c:v"_s, u"rv10"_s, u"-c:a"_s, u"ac3"_s, u"-f"_s, u"rm"_s, m_rm}));
    }

    // ffmpeg's file has no index; once indexed it checks, every keyframe of
    // the picture has an entry, the sound about one a second, and the
    // packets are those ffmpeg wrote.
    void realMediaGetsAnIndex()
    {
        const QString path = m_dir.filePath(u"indexed.rm"_s);
        QVERIFY(QFile::copy(m_rm, path));
        QString error;
        const std::optional<RealMediaLayout> before = layoutOf(readAll(path), error);
        QVERIFY2(before, qPrintable(error));
        QVERIFY(seekIndexProblem(*before));
        QCOMPARE(before->indexOffset, 0u);

        QVERIFY2(addSeekIndex(path, error), qPrintable(error));
        const std::optional<RealMediaLayout> after = layoutOf(readAll(path), error);
        QVERIFY2(after, qPrintable(error));
        const std::optional<QString> problem = seekIndexProblem(*after);
        QVERIFY2(!problem, qPrintable(problem.value_or(QString())));
        QCOMPARE(after->chunks, (QList<QByteArray>{".RMF", "PROP", "CONT", "MDPR", "MDPR", "DATA", "INDX", "INDX"}));
        QCOMPARE(after->packets.size(), before->packets.size());
        qsizetype videoKeyframes = 0;
        for (const RealMediaPacket &p : after->packets)
            videoKeyframes += p.stream == 0 && p.keyframe;
        QVERIFY(videoKeyframes >= 3); // ffmpeg's 12-frame groups: one every 0.48 s
        QCOMPARE(after->indexes.at(0).entries.size(), videoKeyframes);
        QVERIFY(qAbs(after->indexes.at(1).entries.size() - 3) <= 1);
        QCOMPARE(packetSums(path), packetSums(m_rm));
        // Indexing again changes nothing.
        const QByteArray once = readAll(path);
        QVERIFY(addSeekIndex(path, error));
        QCOMPARE(readAll(path), once);
    }

    // The check finds an entry that does not point at a keyframe, and a
    // file cut short or not RealMedia is refused, not indexed.
    void damagedFilesAreRefused()
    {
        const QString path = m_dir.filePath(u"damaged.rm"_s);
        QVERIFY(QFile::copy(m_rm, path));
        QString error;
        QVERIFY(addSeekIndex(path, error));
        QByteArray bytes = readAll(path);
        const std::optional<RealMediaLayout> layout = layoutOf(bytes, error);
        QVERIFY(layout);
        // The video index's second entry now points one packet on.
        const qint64 entry = layout->indexes.at(0).offset + 20 + 14 + 6;
        qToBigEndian(quint32(layout->indexes.at(0).entries.at(1).offset + 12), bytes.data() + entry);
        QVERIFY(seekIndexProblem(*layoutOf(bytes, error)));

        const QByteArray whole = readAll(m_rm);
        for (const QByteArray &broken : {whole.left(100), QByteArray(QByteArray("RIFF") + whole.mid(4))}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(broken);
            file.close();
            QVERIFY(!addSeekIndex(path, error));
            QVERIFY(!error.isEmpty());
        }
    }

    // Latin-1 text stays Latin-1, other text is UTF-16 with a byte order
    // mark; the comment is a COMM frame without a description.
    void id3v23Frames()
    {
        QVERIFY(id3v23Tag({}, {}, {}).isEmpty());
        const QByteArray tag = id3v23Tag(u"湖边"_s, u"Wu Fang"_s, u"été"_s);
        QCOMPARE(tag.left(5), QByteArray("ID3\x03\x00", 5));
        const quint32 size = (quint32(tag[6]) << 21) | (quint32(tag[7]) << 14) | (quint32(tag[8]) << 7) | quint32(tag[9]);
        QCOMPARE(qsizetype(size), tag.size() - 10);
        QCOMPARE(tag.mid(10, 4), QByteArray("TIT2"));
        QCOMPARE(qFromBigEndian<quint32>(tag.constData() + 14), 7u); // encoding, mark, two characters
        QCOMPARE(tag.mid(20, 7), QByteArray("\x01\xff\xfe\x56\x6e\xb9\x8f", 7));
        QCOMPARE(tag.mid(27, 4), QByteArray("TPE1"));
        QCOMPARE(tag.mid(37, 8), QByteArray("\x00Wu Fang", 8));
        QCOMPARE(tag.mid(45, 4), QByteArray("COMM"));
        QCOMPARE(tag.mid(55), QByteArray("\x00" "eng\x00\xe9t\xe9", 8));
    }

    // Moving a file's bytes back crosses the mebibyte blocks intact.
    void prependKeepsEveryByte()
    {
        const QString path = m_dir.filePath(u"long.bin"_s);
        QByteArray content;
        for (int i = 0; i < (1 << 20) + 4099; ++i)
            content += char(i * 7 + i / 251);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        QString error;
        QVERIFY2(prependToFile(path, "HEAD", error), qPrintable(error));
        QCOMPARE(readAll(path), QByteArray(QByteArray("HEAD") + content));
    }

    // 15 fps is declared as 30 with each frame twice; standard rates stay.
    void repeatedFrameRates()
    {
        const sonvera::coding::VideoCoding &mpeg1 = sonvera::coding::rows::kMpg.video;
        QCOMPARE(frameRateArguments(mpeg1, u"15"_s), (QStringList{u"-vf"_s, u"fps=15,fps=30"_s, u"-r"_s, u"30"_s}));
        QCOMPARE(frameRateArguments(mpeg1, u"5"_s), (QStringList{u"-vf"_s, u"fps=5,fps=25"_s, u"-r"_s, u"25"_s}));
        QCOMPARE(frameRateArguments(mpeg1, u"24000/1001"_s), (QStringList{u"-r"_s, u"24000/1001"_s}));
        for (const auto &repeated : mpeg1.repeatedRates.values())
            QCOMPARE(std::fmod(repeated.declared.value(), repeated.rate.value()), 0.0);
    }
};

QTEST_GUILESS_MAIN(TestPlayerReady)
#include "tst_playerready.moc"
