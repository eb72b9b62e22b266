// The real default wiring on a machine with neither a session nor a system
// bus (ctest points both addresses nowhere): nothing breaks, each missing
// service is logged once, and the user hears why the computer stayed on.
#include "capturedlog.h"
#include "desktopbatchsession.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

class TestDesktopNoBus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void withoutABusEachServiceIsLoggedOnce()
    {
        CapturedLog log("sonvera.desktop");
        DesktopBatchSession session;
        QSignalSpy countdown(&session, &DesktopBatchSession::powerActionCountdownRequested);
        QSignalSpy failed(&session, &DesktopBatchSession::powerActionFailed);
        QTRY_VERIFY(session.isSettled());
        session.setAfterBatchAction(AfterBatchAction::PowerOff);
        for (int batch = 0; batch < 2; ++batch) {
            session.batchStarted();
            session.batchProgress(0.5, 1);
            session.batchEnded(1, 0, false, u"/out"_s, false);
            session.confirmPowerAction();
        }
        QCOMPARE(countdown.size(), 2);
        QCOMPARE(failed.size(), 2);
        QVERIFY(failed.first().first().toString().contains(u"请手动关机"_s));
        QVERIFY(!session.isKeepingAwake());
        // 关机 is not offered, and the options dialog can say why.
        QVERIFY(!session.afterBatchSupport().powerOff.available);
        QVERIFY(session.afterBatchSupport().powerOff.reason.contains(u"logind"_s));
        // Each bus once, with its address; then notifications, the launcher entry and logind.
        QCOMPARE(log.lines().filter(u"/nonexistent/sonvera-no-bus"_s).size(), 2);
        QCOMPARE(log.lines().size(), 5);
    }
};

QTEST_GUILESS_MAIN(TestDesktopNoBus)
#include "tst_desktopnobus.moc"
