// The journal of the batch list: what a crash leaves behind must come back
// byte for byte, with the settings of the batch, and whatever else is found
// must never be offered back, nor hold up the program that finds it.
#include "batchjournal.h"

#include <QDataStream>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using namespace sonvera;

namespace {

QList<JournalEntry> hostileList()
{
    return {
        {"/videos/line\nbreak.flv", JournalEntry::Status::Waiting, {}},
        {"/videos/gbk-\xc4\xe3\xba\xc3-\xff\xfe.flv", JournalEntry::Status::Failed, u"编码器退出\n代码 1"_s},
        {"/videos/" + QByteArray(60000, 'x') + ".flv", JournalEntry::Status::Waiting, {}},
        {"/videos/\r\n|\x01\x7f.flv", JournalEntry::Status::Failed, u"无法读取源文件"_s},
    };
}

JournalContents hostileContents()
{
    ConversionSettings settings = ConversionSettings::forFormat(7, u"/输出/\"引号\"/"_s); // 3GP
    settings.videoBitrate = u"72 "_s;                                                     // typed, as it stands
    return {settings, hostileList()};
}

int journalWarnings = 0;
void countJournalWarnings(QtMsgType, const QMessageLogContext &context, const QString &message)
{
    if (context.category && qstrcmp(context.category, "sonvera.settings") == 0 && message.contains(u"journal"_s))
        ++journalWarnings;
}

// Loads with the warnings counted.
JournalContents loadCounting(const QString &path)
{
    journalWarnings = 0;
    const QtMessageHandler previous = qInstallMessageHandler(countJournalWarnings);
    JournalContents loaded = BatchJournal(path).load();
    qInstallMessageHandler(previous);
    return loaded;
}

} // namespace

class TestBatchJournal : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void hostileContentsComeBackByteForByte()
    {
        QTemporaryDir dir;
        const QString path = BatchJournal::pathIn(dir.path());
        {
            BatchJournal journal(path);
            journal.setSource(hostileContents);
            journal.changed();
            QVERIFY(journal.flush());
        }
        QVERIFY(path.endsWith(u"/journal.dat"_s));
        QCOMPARE(BatchJournal(path).load(), hostileContents());
    }

    // A journal of the first format (the list alone) still comes back.
    void aListOnlyJournalStillLoads()
    {
        QByteArray bytes("SonveraJournal");
        QDataStream out(&bytes, QIODevice::WriteOnly | QIODevice::Append);
        out.setVersion(QDataStream::Qt_6_0);
        out << quint32(1) << quint32(2) << quint8(0) << QByteArray("/v/a.flv") << QString() << quint8(1)
            << QByteArray("/v/b.flv") << u"坏了"_s;
        JournalContents contents;
        QVERIFY(BatchJournal::decode(bytes, contents));
        QCOMPARE(contents.settings, std::nullopt);
        QCOMPARE(contents.entries, (QList<JournalEntry>{{"/v/a.flv", JournalEntry::Status::Waiting, {}},
                                                       {"/v/b.flv", JournalEntry::Status::Failed, u"坏了"_s}}));
    }

    // Changes within the delay give one write, taken from the source when it
    // is made; an urgent change goes at the next turn of the event loop.
    void writesFollowTheChanges()
    {
        QTemporaryDir dir;
        BatchJournal journal(BatchJournal::pathIn(dir.path())); // the real one-second delay
        QSignalSpy saved(&journal, &BatchJournal::saved);
        JournalContents contents{std::nullopt, {}};
        journal.setSource([&contents] { return contents; });
        for (const JournalEntry &entry : hostileList()) {
            contents.entries << entry;
            journal.changed();
        }
        QVERIFY(!QFile::exists(journal.filePath())); // not written on the spot
        QVERIFY(saved.wait(5000));
        QTest::qWait(300);
        QCOMPARE(saved.size(), 1);
        QCOMPARE(journal.load(), contents);

        contents.entries.removeFirst();
        journal.changed(BatchJournal::Urgency::Now);
        QVERIFY(saved.wait(5000));
        QCOMPARE(journal.load(), contents);
    }

    void theFileFollowsTheListAndGoesAtACleanEnd()
    {
        QTemporaryDir dir;
        const QString path = BatchJournal::pathIn(dir.path());
        JournalContents contents = hostileContents();
        {
            BatchJournal journal(path, nullptr, 1h);
            journal.setSource([&contents] { return contents; });
            journal.changed();
        } // ended before the timer: the change is still written
        QCOMPARE(BatchJournal(path).load(), contents);

        BatchJournal journal(path, nullptr, 1h);
        journal.setSource([&contents] { return contents; });
        contents.entries.clear();
        journal.changed();
        QVERIFY(journal.flush());
        QVERIFY(!QFile::exists(path)); // nothing left to offer back

        contents = hostileContents();
        journal.changed();
        QVERIFY(journal.flush());
        contents.entries.removeFirst();
        journal.changed(); // still pending at the clean end
        journal.removeOnCleanEnd();
        QVERIFY(!QFile::exists(path));
        QVERIFY(journal.flush()); // nothing pending any more
        QVERIFY(!QFile::exists(path));
    }

    void damagedJournalsLoadAsNothing_data()
    {
        // Magic (14 bytes), version (big-endian 32 bits), settings, count, entries.
        const JournalContents whole = hostileContents();
        const QByteArray bytes = BatchJournal::encode(whole);
        const qsizetype headerSize = BatchJournal::encode({whole.settings, {}}).size();
        QByteArray hugeCount = bytes.left(headerSize);
        hugeCount.replace(headerSize - 4, 4, "\xff\xff\xff\xff");
        QByteArray badStatus = bytes;
        badStatus[headerSize] = '\x07';
        QByteArray laterVersion = bytes;
        laterVersion[17] = '\x03';
        QByteArray badFormat = bytes;
        badFormat.replace(19, 4, "\x00\x00\x00\x2a"); // format 42
        QByteArray twoSettingsFlag = bytes;
        twoSettingsFlag[18] = '\x02';

        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty file") << QByteArray("");
        QTest::newRow("cut in the last entry") << bytes.left(bytes.size() - 3);
        QTest::newRow("cut in the settings") << bytes.left(30);
        QTest::newRow("garbage") << QByteArray("\x89PNG\r\n\x1a\n not a journal at all");
        QTest::newRow("trailing bytes") << bytes + "x";
        QTest::newRow("impossible count") << hugeCount;
        QTest::newRow("unknown status") << badStatus;
        QTest::newRow("later version") << laterVersion;
        QTest::newRow("no such format") << badFormat;
        QTest::newRow("settings flag neither 0 nor 1") << twoSettingsFlag;
    }
    void damagedJournalsLoadAsNothing()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = BatchJournal::pathIn(dir.path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        QCOMPARE(loadCounting(path), JournalContents());
        QCOMPARE(journalWarnings, 1);
    }

    // A FIFO would wait for a writer for ever, /dev/zero never ends: neither
    // is read, and a write replaces the name, never what a link points to.
    void whatIsNotARegularFileIsNeitherReadNorWrittenThrough()
    {
        QTemporaryDir dir;
        const QString path = BatchJournal::pathIn(dir.path());
        const QString fifo = dir.filePath(u"fifo"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString &target : {fifo, u"/dev/zero"_s}) {
            QFile::remove(path);
            QVERIFY(QFile::link(target, path));
            QCOMPARE(loadCounting(path), JournalContents());
            QCOMPARE(journalWarnings, 1);
        }
        BatchJournal journal(path);
        journal.setSource(hostileContents);
        journal.changed();
        QVERIFY(journal.flush());
        QVERIFY(!QFileInfo(path).isSymLink());
        QCOMPARE(journal.load(), hostileContents());
        QVERIFY(QFileInfo(u"/dev/zero"_s).exists() && !QFileInfo(u"/dev/zero"_s).isFile());

        // Larger than any list: refused without being read whole.
        QFile big(path);
        QVERIFY(big.open(QIODevice::ReadWrite));
        QVERIFY(big.resize(BatchJournal::kMaxFileBytes + 1));
        big.close();
        QCOMPARE(loadCounting(path), JournalContents());
        QCOMPARE(journalWarnings, 1);
    }
};

QTEST_GUILESS_MAIN(TestBatchJournal)
#include "tst_batchjournal.moc"
