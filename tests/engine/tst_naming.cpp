#include "naming.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

class TestNaming : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void names_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("baseName");

        QTest::newRow("first dot ends the base") << u"/videos/talk.part1.flv"_s << u"talk.part1.flv"_s << u"talk"_s;
        QTest::newRow("no dot") << u"/v/clip"_s << u"clip"_s << u"clip"_s;
        QTest::newRow("leading dot") << u"/v/.flv"_s << u".flv"_s << u""_s;
        QTest::newRow("no folder") << u"clip.flv"_s << u"clip.flv"_s << u"clip"_s;
        QTest::newRow("ends in slash") << u"/v/"_s << u""_s << u""_s;
        QTest::newRow("empty") << u""_s << u""_s << u""_s;
        QTest::newRow("dot in a folder name") << u"/v.1/clip"_s << u"clip"_s << u"clip"_s;
        QTest::newRow("backslash is a plain character") << uR"(/v/a\b.flv)"_s << uR"(a\b.flv)"_s << uR"(a\b)"_s;
    }

    void names()
    {
        QFETCH(QString, path);
        QTEST(fileNameOf(path), "fileName");
        QTEST(baseNameOf(path), "baseName");
    }

    void stamps_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("expected");
        QTest::newRow("14:07:09") << QTime(14, 7, 9) << u"/out/talk-1479.mp3"_s;
        QTest::newRow("09:05:03") << QTime(9, 5, 3) << u"/out/talk-953.mp3"_s;
        QTest::newRow("10:30:00") << QTime(10, 30, 0) << u"/out/talk-10300.mp3"_s;
        QTest::newRow("01:11:05") << QTime(1, 11, 5) << u"/out/talk-1115.mp3"_s;
        QTest::newRow("11:01:05") << QTime(11, 1, 5) << u"/out/talk-1115.mp3"_s;
        QTest::newRow("midnight") << QTime(0, 0, 0) << u"/out/talk-000.mp3"_s;
    }

    void stamps()
    {
        QFETCH(QTime, time);
        QTEST(plannedOutputPath(u"/out/"_s, u"/v/talk.part1.flv"_s, u".mp3"_s, time), "expected");
    }

    void emptyBaseName()
    {
        QCOMPARE(plannedOutputPath(u"/out/"_s, u"/v/.flv"_s, u".mp3"_s, QTime(14, 7, 9)), u"/out/-1479.mp3"_s);
    }

    // A long name is shortened, never split inside a character, so that it
    // and any "-n" still fit the file system's 255 bytes.
    void longNamesFit()
    {
        // 243 + 4 bytes of name and 9 of stamp: one byte too many; the emoji
        // (two UTF-16 units) goes whole.
        const QString base = QString(81, u'视') + u"😀"_s;
        const QString planned = plannedOutputPath(u"/out/"_s, u"/v/"_s + base + u".flv"_s, u".mp3"_s, QTime(14, 7, 9));
        QCOMPARE(planned, u"/out/"_s + QString(81, u'视') + u"-1479.mp3"_s);
        const QString second = firstFreeOutputPath(planned, [&](const QString &p) { return p == planned; });
        QVERIFY(fileNameOf(second).endsWith(u"-1479-2.mp3"_s) && fileNameOf(second).toUtf8().size() <= 255);
    }

    void firstFreeName()
    {
        QStringList taken;
        const FileExistsFn exists = [&](const QString &p) { return taken.contains(p); };
        QCOMPARE(firstFreeOutputPath(u"/o/a-1.mp3"_s, exists), u"/o/a-1.mp3"_s);
        taken << u"/o/a-1.mp3"_s;
        QCOMPARE(firstFreeOutputPath(u"/o/a-1.mp3"_s, exists), u"/o/a-1-2.mp3"_s);
        taken << u"/o/a-1-2.mp3"_s << u"/o/a-1-3.mp3"_s;
        QCOMPARE(firstFreeOutputPath(u"/o/a-1.mp3"_s, exists), u"/o/a-1-4.mp3"_s);
        QCOMPARE(firstFreeOutputPath(u"/o/a-1.mp3"_s, nullptr), u"/o/a-1.mp3"_s);
    }
};

QTEST_GUILESS_MAIN(TestNaming)
#include "tst_naming.moc"
