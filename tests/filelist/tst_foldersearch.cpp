#include "foldersearch.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

namespace {

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

QStringList relative(const QString &root, const QByteArrayList &paths)
{
    QStringList out;
    for (const QByteArray &p : paths)
        out << QString::fromUtf8(p).mid(root.size() + 1);
    return out;
}

QByteArray bytes(const QString &path)
{
    return QFile::encodeName(path);
}

} // namespace

class TestFolderSearch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("match");
        QTest::newRow("flv") << u"a.flv"_s << true;
        QTest::newRow("FLV") << u"b.FLV"_s << true;
        QTest::newRow("Flv") << u"d.Flv"_s << true;
        QTest::newRow("bare extension") << u".flv"_s << true;
        QTest::newRow("mp4") << u"c.mp4"_s << false;
        QTest::newRow("bak") << u"x.flv.bak"_s << false;
        QTest::newRow("no dot") << u"flv"_s << false;
    }

    void names()
    {
        QFETCH(QString, name);
        QTEST(FolderSearch::isFlvName(name.toUtf8()), "match");
    }

    void findsInOrderAndNeverFollowsLinks()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        touch(root + u"/a.flv"_s);
        touch(root + u"/b.FLV"_s);
        touch(root + u"/c.mp4"_s);
        touch(root + u"/x.flv.bak"_s);
        touch(root + u"/sub/d.Flv"_s);
        touch(root + u"/sub/deeper/e.flv"_s);
        touch(root + u"/movie.flv/f.flv"_s); // a folder with the extension is searched, not listed
        touch(root + u"/.hidden/g.flv"_s);
        QTemporaryDir outside;
        touch(outside.path() + u"/elsewhere.flv"_s);
        QVERIFY(QFile::link(outside.path(), root + u"/link"_s));
        QVERIFY(QFile::link(root, root + u"/sub/loop"_s));
        // A link to a file is a file; a link to a folder named like a clip is neither.
        QVERIFY(QFile::link(root + u"/a.flv"_s, root + u"/sub/alias.flv"_s));
        QVERIFY(QFile::link(outside.path(), root + u"/linked.flv"_s));
        // A FIFO would block an encoder forever: only regular files are listed.
        QCOMPARE(::mkfifo(QFile::encodeName(root + u"/pipe.flv"_s).constData(), 0600), 0);
        QVERIFY(QFile::link(root + u"/pipe.flv"_s, root + u"/sub/pipe-link.flv"_s));

        FolderSearch search;
        QSignalSpy finished(&search, &FolderSearch::finished);
        QVERIFY(search.start(bytes(root)));
        QVERIFY(finished.isEmpty()); // never from inside start()
        QVERIFY(search.isRunning());
        QVERIFY(!search.start(bytes(root))); // one search at a time
        QVERIFY(finished.wait(5000));
        const FolderSearchResult result = finished.at(0).at(0).value<FolderSearchResult>();
        const QStringList found = relative(root, result.files);

        QCOMPARE(found.size(), 7);
        QVERIFY(found.contains(u"sub/alias.flv"_s));
        QVERIFY(!found.contains(u"linked.flv"_s));
        QVERIFY(!found.contains(u"pipe.flv"_s));
        QVERIFY(!found.contains(u"sub/pipe-link.flv"_s));
        QVERIFY(!found.contains(u"c.mp4"_s));
        QVERIFY(!found.contains(u"movie.flv"_s));
        for (const QString &p : found)
            QVERIFY2(!p.startsWith(u"link"_s) && !p.contains(u"loop"_s) && !p.contains(u"elsewhere"_s), qPrintable(p));
        // A folder's files come before those of its subfolders; a subfolder's
        // whole tree before the next subfolder.
        QVERIFY(found.indexOf(u"a.flv"_s) < 2 && found.indexOf(u"b.FLV"_s) < 2);
        QVERIFY(found.indexOf(u"sub/d.Flv"_s) < found.indexOf(u"sub/deeper/e.flv"_s));
        QVERIFY(found.indexOf(u"sub/alias.flv"_s) < found.indexOf(u"sub/deeper/e.flv"_s));
        QCOMPARE(FolderSearch::searchNow(bytes(root)).files, result.files);
        QVERIFY(result.unreadableFolders.isEmpty());
    }

    void everySubfolderIsSearched()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 250; ++i)
            touch(dir.path() + u"/d"_s + QString::number(i) + u"/clip.flv"_s);
        FolderSearch search;
        search.setSliceBudget(0); // yield as often as possible
        QSignalSpy finished(&search, &FolderSearch::finished);
        QVERIFY(search.start(bytes(dir.path())));
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.at(0).at(0).value<FolderSearchResult>().files.size(), 250);
    }

    // Names copied from old Windows archives are GBK or Latin-1, not UTF-8:
    // found with their bytes as they are.
    void namesThatAreNotUtf8()
    {
        QTemporaryDir dir;
        const QByteArray folder = bytes(dir.path()) + "/caf\xe9";         // café in Latin-1
        const QByteArray file = folder + "/\xca\xd3\xc6\xb5.FLV";          // 视频 in GBK
        QCOMPARE(::mkdir(folder.constData(), 0700), 0);
        const int fd = ::open(file.constData(), O_WRONLY | O_CREAT, 0600);
        QVERIFY(fd >= 0);
        ::close(fd);
        QCOMPARE(FolderSearch::searchNow(bytes(dir.path())).files, QByteArrayList{file});
    }

    void cancelAndUnreadableFolders()
    {
        FolderSearch search;
        QSignalSpy finished(&search, &FolderSearch::finished);
        QVERIFY(search.start("/no/such/folder"));
        QVERIFY(finished.wait(5000));
        FolderSearchResult result = finished.at(0).at(0).value<FolderSearchResult>();
        QVERIFY(result.files.isEmpty());
        QCOMPARE(result.unreadableFolders, QByteArrayList{"/no/such/folder"});

        QTemporaryDir dir;
        touch(dir.path() + u"/a.flv"_s);
        touch(dir.path() + u"/locked/b.flv"_s);
        QVERIFY(search.start(bytes(dir.path())));
        search.cancel();
        QTest::qWait(50);
        QCOMPARE(finished.count(), 1);
        if (::geteuid() != 0) // the superuser reads any folder
            QFile::setPermissions(dir.filePath(u"locked"_s), {});
        QVERIFY(search.start(bytes(dir.path()))); // free again after a cancel
        QVERIFY(finished.wait(5000));
        result = finished.at(1).at(0).value<FolderSearchResult>();
        if (::geteuid() != 0) {
            QCOMPARE(result.unreadableFolders, QByteArrayList{bytes(dir.filePath(u"locked"_s))});
            QFile::setPermissions(dir.filePath(u"locked"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }
};

QTEST_GUILESS_MAIN(TestFolderSearch)
#include "tst_foldersearch.moc"
