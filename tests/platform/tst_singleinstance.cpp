#include "singleinstance.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

class TestSingleInstance : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aSecondCopyHandsOverItsFiles()
    {
        QTemporaryDir dir;
        const QString key = u"sonvera-test-"_s + QUuid::createUuid().toString(QUuid::Id128);
        SingleInstance first(dir.path(), key);
        QVERIFY(first.claim());
        QSignalSpy received(&first, &SingleInstance::pathsReceived);

        SingleInstance second(dir.path(), key);
        QVERIFY(!second.claim());
        const QStringList paths{u"/v/a b.flv"_s, u"/v/视频.flv"_s};
        QVERIFY(second.forward(paths));
        QVERIFY(received.wait(5000));
        QCOMPARE(received.at(0).at(0).toStringList(), paths);

        // Without files it still reaches the first copy (to raise its window).
        QVERIFY(second.forward({}));
        QVERIFY(received.wait(5000));
        QVERIFY(received.at(1).at(0).toStringList().isEmpty());
    }

    void theLockIsFreeAgainAfterTheFirstCopyEnds()
    {
        QTemporaryDir dir;
        const QString key = u"sonvera-test-"_s + QUuid::createUuid().toString(QUuid::Id128);
        {
            SingleInstance first(dir.path(), key);
            QVERIFY(first.claim());
        }
        SingleInstance next(dir.path(), key);
        QVERIFY(next.claim());
        SingleInstance nobody(dir.path(), key + u"-other"_s);
        QVERIFY(!nobody.forward({u"/x.flv"_s})); // no first copy listens under that name
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
