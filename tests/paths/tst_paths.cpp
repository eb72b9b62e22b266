// NativePath and the lossless text form of path bytes.
#include "nativepath.h"
#include "pathtext.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

class TestPaths : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bytesKeptTextShown()
    {
        const NativePath gbk(QByteArray("/v/\xca\xd3\xc6\xb5.flv")); // 视频.flv in GBK
        QCOMPARE(gbk.shown(), u"/v/视频.flv"_s);
        QVERIFY(!gbk.isUtf8());
        QCOMPARE(gbk.fileName().bytes(), QByteArray("\xca\xd3\xc6\xb5.flv"));
        // Its shown text, made a path again, is another file.
        QVERIFY(!(NativePath::fromText(gbk.shown()) == gbk));

        const NativePath utf8 = NativePath::fromText(u"/v/视频.flv"_s);
        QVERIFY(utf8.isUtf8());
        QCOMPARE(utf8.shown(), u"/v/视频.flv"_s);
    }

    // A relative name typed inside a folder whose name is not UTF-8 names a
    // file in that very folder.
    void absoluteInAFolderThatIsNotUtf8()
    {
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path()) + "/\xca\xd3\xc6\xb5";
        QCOMPARE(::mkdir(folder.constData(), 0700), 0);
        const NativePath before = NativePath::currentFolder();
        QCOMPARE(::chdir(folder.constData()), 0);
        const NativePath made = NativePath(QByteArray("a.flv")).absolute();
        const NativePath here = NativePath::currentFolder();
        QCOMPARE(::chdir(before.bytes().constData()), 0);
        QCOMPARE(here.bytes(), folder);
        QCOMPARE(made.bytes(), folder + "/a.flv");
        const NativePath absolute(QByteArray("/x/a.flv"));
        QCOMPARE(absolute.absolute(), absolute);
    }

    void joiningAndTrimming_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("joined");  // with "b" put inside
        QTest::addColumn<QByteArray>("trimmed"); // without its trailing "/"
        QTest::newRow("plain") << QByteArray("/a") << QByteArray("/a/b") << QByteArray("/a");
        QTest::newRow("slashes") << QByteArray("/a//") << QByteArray("/a//b") << QByteArray("/a");
        QTest::newRow("root") << QByteArray("/") << QByteArray("/b") << QByteArray("/");
        QTest::newRow("empty") << QByteArray() << QByteArray("b") << QByteArray();
    }

    void joiningAndTrimming()
    {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, joined);
        QFETCH(QByteArray, trimmed);
        QCOMPARE((NativePath(path) / "b").bytes(), joined);
        QCOMPARE(NativePath(path).withoutTrailingSlash().bytes(), trimmed);
    }

    // Every byte sequence survives the text form that command-line parsing
    // takes, and valid UTF-8 reads as itself there.
    void escapedFormKeepsEveryByte_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("GBK") << QByteArray("\xca\xd3\xc6\xb5.flv");
        QTest::newRow("stray continuation") << QByteArray("a\x80z");
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf");
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80");
        QTest::newRow("past U+10FFFF") << QByteArray("\xf4\x90\x80\x80");
        QTest::newRow("cut sequence") << QByteArray("\xe8\xa7");
        // U+1F080: its low surrogate, DC80, lies in the range that stands for bytes.
        QTest::newRow("4-byte UTF-8") << QByteArray("\xf0\x9f\x82\x80.flv");
        QTest::newRow("escape's own range") << QByteArray("\xed\xb3\x8a"); // U+DCCA as UTF-8 bytes, not valid
    }

    void escapedFormKeepsEveryByte()
    {
        QFETCH(QByteArray, bytes);
        const NativePath path(bytes);
        QCOMPARE(NativePath::fromEscaped(path.escaped()).bytes(), bytes);
        if (path.isUtf8())
            QCOMPARE(path.escaped(), QString::fromUtf8(bytes));
    }

    // A name is shown, never obeyed: what could move the cursor, retitle or
    // clear a terminal, or turn the text around is written out instead.
    void shownSafelyEscapesControls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("OSC title") << u"a\x1b]0;owned\x07.flv"_s << u"a\\e]0;owned\\a.flv"_s;
        QTest::newRow("clear screen") << u"b\x1b[2J.flv"_s << u"b\\e[2J.flv"_s;
        QTest::newRow("CR, LF, tab") << u"c\rfake done\n\t.flv"_s << u"c\\rfake done\\n\\t.flv"_s;
        QTest::newRow("SOH, DEL, C1 CSI") << u"d\x01\x7f\u009b2J.flv"_s << u"d???2J.flv"_s;
        QTest::newRow("bidi override and isolate") << u"e\u202Egnp.\u2066exe\u2069.flv"_s << u"e?gnp.?exe?.flv"_s;
        QTest::newRow("line separator") << u"f\u2028g.flv"_s << u"f?g.flv"_s;
        QTest::newRow("Chinese and emoji kept") << u"视频 ÿ 🎬.flv"_s << u"视频 ÿ 🎬.flv"_s;
    }

    void shownSafelyEscapesControls()
    {
        QFETCH(QString, name);
        QTEST(shownSafely(name), "shown");
    }
};

QTEST_GUILESS_MAIN(TestPaths)
#include "tst_paths.moc"
