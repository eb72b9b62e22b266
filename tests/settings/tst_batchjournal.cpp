// The journal of the batch list: what a crash leaves behind must come back
// byte for byte, and whatever else is found must never be offered back.
#include "batchjournal.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

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

int journalWarnings = 0;
void countJournalWarnings(QtMsgType, const QMessageLogContext &context, const QString &message)
{
    if (context.category && qstrcmp(context.category, "sonvera.settings") == 0 && message.contains(u"journal"_s))
        ++journalWarnings;
}

} // namespace

class TestBatchJournal : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void hostilePathsComeBackByteForByte()
    {
        QTemporaryDir dir;
        const QString path = BatchJournal::pathIn(dir.path());
        {
            BatchJournal journal(path);
            journal.setEntries(hostileList());
            QVERIFY(journal.flush());
        }
        QVERIFY(path.endsWith(u"/journal.dat"_s));
        QCOMPARE(BatchJournal(path).load(), hostileList());
    }

    void changesWithinASecondGiveOneWrite()
    {
        QTemporaryDir dir;
        BatchJournal journal(BatchJournal::pathIn(dir.path())); // the real one-second delay
        QSignalSpy saved(&journal, &BatchJournal::saved);
        const QList<JournalEntry> list = hostileList();
        for (qsizetype n = 1; n <= list.size(); ++n)
            journal.setEntries(list.first(n));
        QVERIFY(!QFile::exists(journal.filePath())); // not written on the spot
        QVERIFY(saved.wait(1500));
        QTest::qWait(300);
        QCOMPARE(saved.size(), 1);
        QCOMPARE(journal.load(), list);
    }

    void theFileFollowsTheListAndGoesAtACleanEnd()
    {
        QTemporaryDir dir;
        const QString path = BatchJournal::pathIn(dir.path());
        {
            BatchJournal journal(path, nullptr, 1h);
            journal.setEntries(hostileList());
        } // ended before the timer: the change is still written
        QCOMPARE(BatchJournal(path).load(), hostileList());

        BatchJournal journal(path, nullptr, 1h);
        journal.setEntries({});
        QVERIFY(journal.flush());
        QVERIFY(!QFile::exists(path)); // nothing left to offer back

        journal.setEntries(hostileList());
        QVERIFY(journal.flush());
        journal.setEntries(hostileList().mid(1)); // still pending at the clean end
        journal.removeOnCleanEnd();
        QVERIFY(!QFile::exists(path));
        QVERIFY(journal.flush()); // nothing pending any more
        QVERIFY(!QFile::exists(path));
    }

    void damagedJournalsLoadAsNothing_data()
    {
        // Magic (14 bytes), version and count (big-endian 32 bits), entries.
        const QByteArray whole = BatchJournal::encode(hostileList());
        const qsizetype headerSize = BatchJournal::encode({}).size();
        QByteArray hugeCount = whole.left(headerSize);
        hugeCount.replace(headerSize - 4, 4, "\xff\xff\xff\xff");
        QByteArray badStatus = whole;
        badStatus[headerSize] = '\x07';
        QByteArray otherVersion = whole;
        otherVersion[headerSize - 5] = '\x02';

        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty file") << QByteArray("");
        QTest::newRow("cut in the last entry") << whole.left(whole.size() - 3);
        QTest::newRow("cut in the header") << whole.left(16);
        QTest::newRow("garbage") << QByteArray("\x89PNG\r\n\x1a\n not a journal at all");
        QTest::newRow("trailing bytes") << whole + "x";
        QTest::newRow("impossible count") << hugeCount;
        QTest::newRow("unknown status") << badStatus;
        QTest::newRow("later version") << otherVersion;
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

        journalWarnings = 0;
        const QtMessageHandler previous = qInstallMessageHandler(countJournalWarnings);
        const QList<JournalEntry> loaded = BatchJournal(path).load();
        qInstallMessageHandler(previous);
        QVERIFY(loaded.isEmpty());
        QCOMPARE(journalWarnings, 1);
    }
};

QTEST_GUILESS_MAIN(TestBatchJournal)
#include "tst_batchjournal.moc"
