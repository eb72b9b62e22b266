// A window's batches as the desktop sees them, against fake notification,
// launcher and logind services on a private session bus (dbus-run-session).
#include "desktopbatchsession.h"
#include "failuresummary.h"
#include "fakedesktop.h"
#include "fakeencoder.h"
#include "fakes.h"
#include "mainwindow.h"
#include "powercountdowndialog.h"

#include <QAction>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace sonvera;

class TestWindowDesktop : public QObject {
    Q_OBJECT

    // A window over temporary folders and the stand-in encoders, with a
    // desktop session on the test's bus.
    struct Fixture {
        Fixture()
            : session(FakeDesktop::bus(), FakeDesktop::bus())
        {
            context.programFolder = program.path();
            context.workFolder = dir.filePath(u"work"_s);
            context.location = {dir.filePath(u"settings"_s), dir.filePath(u"default-out"_s)};
            QDir().mkpath(context.location.settingsFolder);
            context.desktop = &desktop;
            context.session = &session;
            window = std::make_unique<MainWindow>(context);
            window->controller().driver().setStartDelay(1);
            window->controller().settings().selectFormat(8);
            window->controller().settings().outputFolder = dir.filePath(u"out"_s);
        }

        void add(const QString &name, const QByteArray &script)
        {
            window->addPaths({QFile::encodeName(writeScript(dir.filePath(name), script))});
        }

        QTemporaryDir dir;
        FakeProgramFolder program;
        RecordingDesktop desktop;
        DesktopBatchSession session;
        ShellContext context;
        std::unique_ptr<MainWindow> window;
    };

    FakeDesktop m_fake;

private Q_SLOTS:
    void initTestCase() { QVERIFY2(FakeDesktop::bus().isConnected(), "run under dbus-run-session"); }
    void init() { QVERIFY(m_fake.start()); }
    void cleanup() { m_fake.stop(); }

    // Awake only while the batch runs, launcher progress that only rises,
    // and one notification at the end of a batch the user is not watching.
    void aBatchAsTheDesktopSeesIt()
    {
        Fixture f;
        for (const char *name : {"a.flv", "b.flv"})
            f.add(QString::fromLatin1(name), "coder print Duration: 00:00:10.00, \\n\ncoder print time=5.00 \\r\ncoder sleep 300\ncoder exit 0\n");
        QSignalSpy finished(&f.window->controller().driver(), &BatchDriver::batchFinished);
        f.window->action(WindowCommand::Start)->trigger();
        QTRY_COMPARE(m_fake.heldInhibitors(), 1);
        QVERIFY(finished.wait(10000));
        QTRY_COMPARE(m_fake.heldInhibitors(), 0);
        QTRY_COMPARE(m_fake.log(u"Notify"_s).size(), 1); // the window was never in front
        QTest::qWait(200);
        QCOMPARE(m_fake.log(u"Notify"_s).size(), 1);

        double last = -1;
        const QStringList updates = m_fake.log(u"Update"_s);
        QVERIFY(updates.size() >= 3);
        for (const QString &update : updates.mid(0, updates.size() - 1)) {
            const double progress = update.section(u"progress="_s, 1).section(u'|', 0, 0).toDouble();
            QVERIFY2(progress >= last, qPrintable(update));
            last = progress;
        }
        QVERIFY2(last >= 0.5, qPrintable(updates.join(u'\n'))); // it did move
        QVERIFY2(updates.last().contains(u"progress-visible=false"_s), qPrintable(updates.last()));
    }

    // 关机 after the batch: only once the countdown has run out, and never
    // after a batch the user stopped.
    void powerOffAfterTheCountdownOnly()
    {
        Fixture f;
        f.window->controller().preferences().afterBatch = AfterBatchAction::PowerOff;
        f.add(u"a.flv"_s, "coder print time=1.00 \\r\ncoder sleep 200\ncoder exit 0\n");
        f.window->action(WindowCommand::Start)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(f.window->findChild<PowerCountdownDialog *>(), 10000);
        auto *countdown = f.window->findChild<PowerCountdownDialog *>();
        QCOMPARE(countdown->secondsLeft(), 60);
        for (int i = 0; i < 59; ++i)
            countdown->tick();
        QTest::qWait(100);
        QVERIFY(m_fake.log(u"PowerOff"_s).isEmpty()); // one second still to go
        countdown->tick();
        QTRY_COMPARE(m_fake.log(u"PowerOff"_s).size(), 1);

        f.add(u"b.flv"_s, "coder print time=1.00 \\r\ncoder hang\n");
        QSignalSpy finished(&f.window->controller().driver(), &BatchDriver::batchFinished);
        f.window->action(WindowCommand::Start)->trigger();
        QTRY_VERIFY(f.window->controller().driver().state() == BatchDriver::State::Running);
        f.window->action(WindowCommand::Stop)->trigger();
        QVERIFY(finished.wait(10000));
        QTest::qWait(200);
        QVERIFY(!f.window->findChild<PowerCountdownDialog *>());
        QCOMPARE(m_fake.log(u"PowerOff"_s).size(), 1);
    }

    // With 关机 chosen, a batch that left a file unconverted ends with its
    // failure summary alone, which says why the computer stayed on: no
    // countdown covers it, and nothing powers off.
    void aFailureIsNeverCoveredByThePowerAction()
    {
        Fixture f;
        f.window->controller().preferences().afterBatch = AfterBatchAction::PowerOff;
        f.add(u"good.flv"_s, "coder print time=1.00 \\r\ncoder exit 0\n");
        f.add(u"bad.flv"_s, "coder eprint coder: no audio stream\\n\ncoder exit 1\n");
        QSignalSpy finished(&f.window->controller().driver(), &BatchDriver::batchFinished);
        f.window->action(WindowCommand::Start)->trigger();
        QVERIFY(finished.wait(10000));
        QTRY_VERIFY(f.window->findChild<FailureSummary *>());
        QCOMPARE(f.window->findChild<FailureSummary *>()->noteText(), u"有文件没有转换成功，所以电脑没有自动关机。"_s);
        QTRY_COMPARE(m_fake.log(u"Notify"_s).size(), 1); // the desktop still hears of the end
        QVERIFY(!f.window->findChild<PowerCountdownDialog *>());
        QVERIFY(m_fake.log(u"PowerOff"_s).isEmpty());
    }
};

QTEST_MAIN(TestWindowDesktop)
#include "tst_windowdesktop.moc"
