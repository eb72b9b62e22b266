// What the desktop sees of a batch, against fake services on the private
// session bus that ctest starts for this test (dbus-run-session).
#include "batchnotifier.h"
#include "capturedlog.h"
#include "fakedesktop.h"
#include "desktop.h"
#include "desktopbatchsession.h"
#include "launcherentry.h"
#include "powercountdowndialog.h"
#include "sleepinhibitor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <functional>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using namespace sonvera;

namespace {

QMap<QString, QString> launcherProperties(const QString &updateLine)
{
    QMap<QString, QString> properties;
    const QStringList fields = updateLine.split(u'|');
    properties[u"uri"_s] = fields.value(1);
    for (const QString &field : fields.mid(2))
        properties[field.section(u'=', 0, 0)] = field.section(u'=', 1);
    return properties;
}

} // namespace

class TestDesktopBus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY2(FakeDesktop::bus().isConnected(), "run under dbus-run-session"); }
    void init() { QVERIFY(m_fake.start()); }
    void cleanup() { m_fake.stop(); }

    void oneNotificationPerBatchOnlyWhenTheWindowIsInactive()
    {
        DesktopBatchSession session(FakeDesktop::bus(), FakeDesktop::bus());
        session.batchStarted();
        session.batchEnded(3, 1, false, u"/videos/out"_s, false);
        session.batchEnded(3, 1, false, u"/videos/out"_s, false); // a second end of the same batch
        session.batchStarted();
        session.batchEnded(2, 0, false, u"/videos/out"_s, true); // the window is in front
        session.batchStarted();
        session.batchEnded(1, 0, true, u"/videos/out"_s, false); // stopped by the user

        const QStringList notes = m_fake.log(u"Notify"_s);
        QCOMPARE(notes.size(), 1);
        const QStringList f = notes.first().split(u'|');
        QCOMPARE(f.mid(2, 5), (QStringList{u"Sonvera"_s, u"0"_s, u"app.sonvera.Sonvera"_s, u"转换完成"_s,
                                           u"3 个文件转换成功，1 个失败"_s}));
        QVERIFY(f.at(7).startsWith(u"default,"_s));
        QCOMPARE(f.at(8), u"app.sonvera.Sonvera"_s);
    }

    void activatingOurNotificationOpensTheOutputFolder()
    {
        DesktopBatchSession session(FakeDesktop::bus(), FakeDesktop::bus());
        QSignalSpy open(&session, &DesktopBatchSession::openFolderRequested);
        session.batchStarted();
        session.batchEnded(1, 0, false, u"/videos/输出 1"_s, false);
        const uint id = m_fake.log(u"Notify"_s).value(0).section(u'|', 1, 1).toUInt();
        QVERIFY(id != 0);

        // Signals arrive in order: when ours has arrived, the others were ignored.
        m_fake.call(u"EmitActionInvoked"_s, {id + 1, u"default"_s});
        m_fake.call(u"EmitActionInvoked"_s, {id, u"other"_s});
        m_fake.call(u"EmitActionInvoked"_s, {id, u"default"_s});
        QTRY_COMPARE(open.size(), 1);
        QCOMPARE(open.first().first().toString(), u"/videos/输出 1"_s);

        // The next batch's notification takes the place of this one.
        session.batchStarted();
        session.batchEnded(0, 2, false, u"/videos/out"_s, false);
        const QStringList second = m_fake.log(u"Notify"_s).value(1).split(u'|');
        QCOMPARE(second.value(3), QString::number(id));
        QCOMPARE(second.value(6), u"0 个文件转换成功，2 个失败"_s);
    }

    void launcherProgressOnlyRisesAndIsClearedAtTheEnd()
    {
        DesktopBatchSession session(FakeDesktop::bus(), FakeDesktop::bus());
        session.batchStarted();
        session.batchProgress(0.1, 5);
        session.batchProgress(0.4, 3);
        session.batchProgress(0.2, 2); // parallel files report out of order
        session.batchProgress(std::nan(""), 2);
        session.batchProgress(0.7, 1);
        session.batchEnded(4, 0, false, u"/videos/out"_s, true);
        session.batchProgress(0.9, 0); // after the end: nothing

        const QStringList updates = m_fake.log(u"Update"_s);
        QCOMPARE(updates.size(), 6);
        double last = -1;
        for (const QString &line : updates) {
            const auto p = launcherProperties(line);
            QCOMPARE(p.value(u"uri"_s), u"application://app.sonvera.Sonvera.desktop"_s);
            const double progress = p.value(u"progress"_s).toDouble();
            QVERIFY2(progress >= last, qPrintable(line));
            last = progress;
        }
        QCOMPARE(launcherProperties(updates.at(3)).value(u"progress"_s).toDouble(), 0.4);
        QCOMPARE(launcherProperties(updates.at(3)).value(u"count"_s), u"2"_s);
        QCOMPARE(launcherProperties(updates.at(4)).value(u"progress"_s).toDouble(), 0.7);
        const auto cleared = launcherProperties(updates.last());
        QCOMPARE(cleared.value(u"progress-visible"_s), u"false"_s);
        QCOMPARE(cleared.value(u"count-visible"_s), u"false"_s);
    }

    void theComputerIsKeptAwakeOnlyWhileABatchRuns()
    {
        auto session = std::make_unique<DesktopBatchSession>(FakeDesktop::bus(), FakeDesktop::bus());
        const std::function<void(DesktopBatchSession &)> endings[] = {
            [](DesktopBatchSession &s) { s.batchEnded(1, 0, false, u"/out"_s, true); },
            [](DesktopBatchSession &s) { s.batchEnded(0, 0, true, u"/out"_s, true); }, // Stop
            [](DesktopBatchSession &s) { s.released(); },                               // the window closes
        };
        for (const auto &end : endings) {
            QCOMPARE(m_fake.heldInhibitors(), 0);
            session->batchStarted();
            session->batchStarted(); // once is enough
            QTRY_VERIFY(session->isKeepingAwake());
            QCOMPARE(m_fake.heldInhibitors(), 1);
            end(*session);
            QVERIFY(!session->isKeepingAwake());
            QTRY_COMPARE(m_fake.heldInhibitors(), 0);
        }
        QCOMPARE(m_fake.log(u"Inhibit"_s),
                 QStringList(3, u"Inhibit|sleep:idle|Sonvera|正在转换视频|block"_s));

        session->batchStarted();
        QTRY_COMPARE(m_fake.heldInhibitors(), 1);
        session.reset(); // the program ends mid-batch
        QTRY_COMPARE(m_fake.heldInhibitors(), 0);
    }

    void aReleaseBeforeLogindAnswersStillEndsReleased()
    {
        m_fake.call(u"SetInhibitDelay"_s, {300});
        SleepInhibitor inhibitor(BusService::logind(FakeDesktop::bus()));
        inhibitor.acquire();
        inhibitor.release();
        QTRY_VERIFY(m_fake.log().contains(u"InhibitReplied"_s));
        QTRY_COMPARE(m_fake.heldInhibitors(), 0);
        QVERIFY(!inhibitor.isHeld());

        // Wanted again while the answer is on its way: that answer is kept.
        inhibitor.acquire();
        inhibitor.release();
        inhibitor.acquire();
        QTRY_VERIFY(inhibitor.isHeld());
        QCOMPARE(m_fake.log(u"Inhibit"_s).size(), 2);
        QCOMPARE(m_fake.heldInhibitors(), 1);
    }

    void thePowerActionWaitsForTheCountdown_data()
    {
        QTest::addColumn<AfterBatchAction>("action");
        QTest::addColumn<QString>("method");
        QTest::newRow("关机") << AfterBatchAction::PowerOff << u"PowerOff"_s;
        QTest::newRow("睡眠") << AfterBatchAction::Suspend << u"Suspend"_s;
    }
    void thePowerActionWaitsForTheCountdown()
    {
        QFETCH(AfterBatchAction, action);
        QFETCH(QString, method);
        // Wired as the window wires it, with the count driven by hand.
        QWidget window;
        DesktopBatchSession session(FakeDesktop::bus(), FakeDesktop::bus());
        session.setAfterBatchAction(action);
        std::unique_ptr<PowerCountdownDialog> dialog;
        connect(&session, &DesktopBatchSession::powerActionCountdownRequested, &window, [&](AfterBatchAction a) {
            dialog = std::make_unique<PowerCountdownDialog>(a, &window, 60, 0ms);
            connect(dialog.get(), &PowerCountdownDialog::ranOut, &session, &DesktopBatchSession::confirmPowerAction);
            connect(dialog.get(), &PowerCountdownDialog::cancelled, &session,
                    &DesktopBatchSession::cancelPowerAction);
            dialog->open();
        });

        session.batchStarted();
        session.batchEnded(2, 0, true, u"/out"_s, true); // Stop: no countdown
        QVERIFY(!dialog);
        session.batchStarted();
        session.batchEnded(2, 1, false, u"/out"_s, true); // a file failed: no countdown over its summary
        QVERIFY(!dialog);
        session.confirmPowerAction(); // nothing is pending

        session.batchStarted();
        session.batchEnded(2, 0, false, u"/out"_s, true);
        QVERIFY(dialog && dialog->isVisible());
        dialog->cancelButton()->click(); // 取消
        session.confirmPowerAction();

        dialog.reset();
        session.batchStarted();
        session.batchEnded(2, 0, false, u"/out"_s, true);
        QVERIFY(dialog);
        for (int i = 0; i < 59; ++i)
            dialog->tick();
        QVERIFY(m_fake.log(method).isEmpty());
        dialog->tick();
        QTRY_COMPARE(m_fake.log(method), QStringList{method + u"|false"_s});
        QCOMPARE(m_fake.log(u"PowerOff"_s).size() + m_fake.log(u"Suspend"_s).size(), 1);
    }

    // 关机 and 睡眠 are offered only when logind says the computer can, and
    // otherwise say why.
    void theAfterBatchActionsAreOfferedAsLogindAllows()
    {
        {
            DesktopBatchSession session(FakeDesktop::bus(), FakeDesktop::bus());
            QVERIFY(!session.afterBatchSupport().powerOff.available); // still asking
            QTRY_VERIFY(session.afterBatchSupport().powerOff.available && session.afterBatchSupport().suspend.available);
        }
        m_fake.call(u"SetCanAnswer"_s, {u"challenge"_s});
        DesktopBatchSession session(FakeDesktop::bus(), FakeDesktop::bus());
        QSignalSpy changed(&session, &DesktopBatchSession::afterBatchSupportChanged);
        QTRY_COMPARE(changed.size(), 2);
        QVERIFY(!session.afterBatchSupport().powerOff.available);
        QVERIFY(session.afterBatchSupport().powerOff.reason.contains(u"密码"_s));
        QVERIFY(session.afterBatchSupport().suspend.reason.contains(u"睡眠"_s));
    }

    void aRefusedPowerActionIsToldToTheUser()
    {
        m_fake.call(u"SetRefusePower"_s, {true});
        DesktopBatchSession session(FakeDesktop::bus(), FakeDesktop::bus());
        QSignalSpy failed(&session, &DesktopBatchSession::powerActionFailed);
        session.setAfterBatchAction(AfterBatchAction::PowerOff);
        session.batchStarted();
        session.batchEnded(1, 0, false, u"/out"_s, true);
        session.confirmPowerAction();
        QTRY_COMPARE(failed.size(), 1);
        QVERIFY(failed.first().first().toString().contains(u"请手动关机"_s));
    }

    // A converted file is shown in its folder by the file manager, selected.
    void aFileIsShownSelectedInItsFolder()
    {
        const std::unique_ptr<Desktop> desktop = makeSystemDesktop();
        QVERIFY(desktop->showInFolder(u"/out/clip 1.mp3"_s));
        QTRY_COMPARE(m_fake.log(u"ShowItems"_s), QStringList{u"ShowItems|file:///out/clip%201.mp3|"_s});
    }

    void missingServicesAreLoggedOnceEach()
    {
        m_fake.stop();
        CapturedLog log("sonvera.desktop");
        DesktopBatchSession session(FakeDesktop::bus(), FakeDesktop::bus());
        QSignalSpy failed(&session, &DesktopBatchSession::powerActionFailed);
        session.setAfterBatchAction(AfterBatchAction::Suspend);
        for (int batch = 0; batch < 2; ++batch) {
            session.batchStarted();
            session.batchProgress(0.5, 1);
            session.batchEnded(1, 0, false, u"/out"_s, false);
            session.confirmPowerAction();
        }
        // Answers come in order: the last power call's error comes last.
        QTRY_COMPARE(failed.size(), 2);
        QCOMPARE(log.lines().filter(u"org.freedesktop.Notifications"_s).size(), 1);
        QCOMPARE(log.lines().filter(u"org.freedesktop.login1"_s).size(), 1);
        QCOMPARE(log.lines().size(), 2); // a signal with no listener is no failure
        QVERIFY(m_fake.start()); // for cleanup()
    }

private:
    FakeDesktop m_fake;
};

QTEST_MAIN(TestDesktopBus)
#include "tst_desktopbus.moc"
