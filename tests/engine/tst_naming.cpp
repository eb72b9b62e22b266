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
        QTEST(FileNameFromPath(path), "fileName");
        QTEST(BaseNameFromPath(path), "baseName");
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
        QTEST(OutputFileName(u"/out/"_s, u"/v/talk.part1.flv"_s, u".mp3"_s, time), "expected");
    }

    void emptyBaseName()
    {
        QCOMPARE(OutputFileName(u"/out/"_s, u"/v/.flv"_s, u".mp3"_s, QTime(14, 7, 9)), u"/out/-1479.mp3"_s);
    }

    void firstFreeName()
    {
        QStringList taken;
        const FileExistsFn exists = [&](const QString &p) { return taken.contains(p); };
        QCOMPARE(FirstFreeOutputName(u"/o/a-1.mp3"_s, u".mp3"_s, exists), u"/o/a-1.mp3"_s);
        taken << u"/o/a-1.mp3"_s;
        QCOMPARE(FirstFreeOutputName(u"/o/a-1.mp3"_s, u".mp3"_s, exists), u"/o/a-1-2.mp3"_s);
        taken << u"/o/a-1-2.mp3"_s << u"/o/a-1-3.mp3"_s;
        QCOMPARE(FirstFreeOutputName(u"/o/a-1.mp3"_s, u".mp3"_s, exists), u"/o/a-1-4.mp3"_s);
        QCOMPARE(FirstFreeOutputName(u"/o/a-1.mp3"_s, u".mp3"_s, nullptr), u"/o/a-1.mp3"_s);
    }
};

QTEST_GUILESS_MAIN(TestNaming)
#include "tst_naming.moc"
