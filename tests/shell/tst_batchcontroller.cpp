// The batch controller on its own, without a window: what a crash leaves is
// offered back with the settings it was to be converted with, the old
// journal is kept until the question is answered, and an orderly close
// saves the settings and lets the journal go.
#include "batchcontroller.h"
#include "fakeencoder.h"
#include "fakes.h"

#include <QDateTime>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

class TestBatchController : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    FakeProgramFolder m_program;
    RecordingDesktop m_desktop;

    ShellContext context()
    {
        ShellContext c;
        c.programFolder = m_program.path();
        c.workFolder = m_dir.filePath(u"work"_s);
        c.location = {m_dir.filePath(u"settings"_s), m_dir.filePath(u"default-out"_s)};
        c.desktop = &m_desktop;
        return c;
    }

    // Starts a controller up and answers the question, if one is asked.
    static void startUp(BatchController &controller, bool restore, int expectedLeftOver)
    {
        QSignalSpy asked(&controller, &BatchController::leftOverFound);
        QSignalSpy ready(&controller, &BatchController::readyForFiles);
        controller.startUp();
        if (expectedLeftOver > 0) {
            QVERIFY(asked.wait(5000));
            QCOMPARE(asked.first().first().toInt(), expectedLeftOver);
            controller.answerLeftOver(restore);
        }
        QTRY_COMPARE(ready.size(), 1);
    }

private Q_SLOTS:
    void init() { QDir(m_dir.filePath(u"settings"_s)).removeRecursively(); }

    // 3GP was chosen for the list when the program died; setup.ini still
    // says MP3. Restoring brings back 3GP and its parameters with the files.
    void aRestoredListConvertsAsItWasMeant()
    {
        ConversionSettings meant;
        {
            BatchController died(context());
            startUp(died, false, 0);
            died.settings().selectFormat(8);
            QVERIFY(died.saveSettings()); // setup.ini: MP3
            died.settings().selectFormat(7);
            died.settings().videoBitrate = u"96"_s;
            died.settingsEdited();
            died.feeder().add({{"/v/a.flv", {}}, {"/v/b.flv", u"坏了"_s}}, true);
            meant = died.settings();
        } // gone without an orderly close: the journal stays

        BatchController next(context());
        QSignalSpy replaced(&next, &BatchController::settingsReplaced);
        QCOMPARE(next.settings().formatIndex, 8);
        startUp(next, true, 2);
        QCOMPARE(replaced.size(), 1);
        QCOMPARE(next.settings(), meant);
        QTRY_COMPARE(next.list().rowCount(), 2);
        QCOMPARE(next.list().rowAt(1).status, FileListRow::Status::Failed);
        QCOMPARE(next.list().rowAt(1).failureReason(), u"坏了"_s);
    }

    // While the question is open the old journal stays as it was, whatever
    // is added meanwhile; declined, the list and the settings are not restored.
    void theOldJournalWaitsForTheAnswer()
    {
        {
            BatchController died(context());
            startUp(died, false, 0);
            died.settings().selectFormat(7);
            died.feeder().add({{"/v/a.flv", {}}}, true);
        }
        BatchController next(context());
        const QString journal = next.journal().filePath();
        QSignalSpy asked(&next, &BatchController::leftOverFound);
        next.startUp();
        QVERIFY(asked.wait(5000));
        next.feeder().add({{"/v/handed-over.flv", {}}}, true); // a second launch's file
        QVERIFY(next.journal().flush());
        QCOMPARE(BatchJournal(journal).load().entries.size(), 1);
        QCOMPARE(BatchJournal(journal).load().entries.first().path, QByteArray("/v/a.flv"));

        QSignalSpy saved(&next.journal(), &BatchJournal::saved);
        next.answerLeftOver(false);
        QVERIFY(saved.wait(5000)); // at once, not within the delay
        const JournalContents now = BatchJournal(journal).load();
        QCOMPARE(now.entries.size(), 1);
        QCOMPARE(now.entries.first().path, QByteArray("/v/handed-over.flv"));
        QCOMPARE(next.settings().formatIndex, 0);
    }

    // A close (a logout, SIGTERM) while the question is open is no answer:
    // the question box closing with the window must not let the journal go.
    void aCloseBeforeTheAnswerKeepsTheJournal()
    {
        {
            BatchController died(context());
            startUp(died, false, 0);
            died.feeder().add({{"/v/a.flv", {}}}, true);
        }
        BatchController next(context());
        const QString journal = next.journal().filePath();
        QSignalSpy asked(&next, &BatchController::leftOverFound);
        next.startUp();
        QVERIFY(asked.wait(5000));
        QVERIFY(next.prepareToClose());
        next.answerLeftOver(false); // what the box says as it closes with the window
        QVERIFY(next.journal().flush());
        QCOMPARE(BatchJournal(journal).load().entries.size(), 1);
    }

    // A close that stops a batch keeps the files it did not convert for the
    // next start: not the converted one, which stays done until then.
    void aCloseDuringABatchKeepsTheRest()
    {
        BatchController controller(context());
        startUp(controller, false, 0);
        controller.driver().setStartDelay(1);
        ConversionSettings settings = controller.settings();
        settings.selectFormat(8);
        settings.outputFolder = m_dir.filePath(u"out"_s);
        controller.replaceSettings(settings);
        const QString done = writeScript(m_dir.filePath(u"done.flv"_s), {});
        const QString slow = writeScript(m_dir.filePath(u"slow.flv"_s), "coder print time=1.00 \\r\ncoder hang\n");
        controller.feeder().add({{QFile::encodeName(done), {}}, {QFile::encodeName(slow), {}}}, true);
        QVERIFY(controller.start());
        QTRY_COMPARE(controller.list().rowAt(0).status, FileListRow::Status::Done);
        QTRY_COMPARE(controller.list().rowAt(1).status, FileListRow::Status::Converting);

        QSignalSpy ready(&controller, &BatchController::readyToClose);
        QVERIFY(!controller.prepareToClose()); // the batch stops first
        QVERIFY(ready.wait(10000));
        QVERIFY(controller.prepareToClose());
        const JournalContents kept = BatchJournal(controller.journal().filePath()).load();
        QCOMPARE(kept.entries.size(), 1);
        QCOMPARE(kept.entries.first().path, QFile::encodeName(slow));
    }

    // The choices of preferences.ini reach the batch: the one-stage route
    // runs RMVB's second encoder alone, and the output keeps the source's date.
    void theSavedChoicesApply()
    {
        Preferences chosen;
        chosen.choices.direct = true;
        QVERIFY(chosen.save(m_dir.filePath(u"settings"_s)));
        BatchController controller(context());
        startUp(controller, false, 0);
        const QString log = m_dir.filePath(u"encoders.log"_s);
        qputenv("FAKE_ENCODER_LOG", QFile::encodeName(log));
        const auto unset = qScopeGuard([] { qunsetenv("FAKE_ENCODER_LOG"); });
        const QString source = writeScript(m_dir.filePath(u"clip.flv"_s), {});
        QFile file(source);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime(QDate(2009, 5, 4), QTime(3, 2, 1)), QFileDevice::FileModificationTime));
        file.close();
        controller.settings().selectFormat(0);
        controller.settings().outputFolder = m_dir.filePath(u"out"_s);
        controller.feeder().add({{QFile::encodeName(source), {}}}, true);
        QSignalSpy finished(&controller.driver(), &BatchDriver::batchFinished);
        QVERIFY(controller.start());
        QVERIFY(finished.wait(15000));
        const BatchSummary summary = finished.first().first().value<BatchSummary>();
        QCOMPARE(summary.converted, 1);
        QStringList images;
        for (const LogEntry &e : readLog(log))
            images << e.what + u' ' + e.image;
        QCOMPARE(images, (QStringList{u"start coder"_s, u"end coder"_s}));
        QCOMPARE(QFileInfo(summary.outputs.first()).lastModified().date(), QDate(2009, 5, 4));
    }

    // A batch converts every file with the choices it started with: one
    // turned on while the first file converts does not reach the second.
    void aChoiceChangedDuringTheBatchDoesNotReachIt()
    {
        BatchController controller(context());
        startUp(controller, false, 0);
        const QString log = m_dir.filePath(u"midbatch.log"_s);
        qputenv("FAKE_ENCODER_LOG", QFile::encodeName(log));
        const auto unset = qScopeGuard([] { qunsetenv("FAKE_ENCODER_LOG"); });
        controller.settings().selectFormat(0); // RMVB: two encoders, or one with the one-stage route
        controller.settings().outputFolder = m_dir.filePath(u"out"_s);
        controller.preferences().parallelJobs = 1;
        controller.feeder().add({{QFile::encodeName(writeScript(m_dir.filePath(u"first.flv"_s), {})), {}},
                                 {QFile::encodeName(writeScript(m_dir.filePath(u"second.flv"_s), {})), {}}},
                                true);
        connect(&controller.driver(), &BatchDriver::fileStarted, this,
                [&controller] { controller.preferences().choices.direct = true; });
        QSignalSpy finished(&controller.driver(), &BatchDriver::batchFinished);
        QVERIFY(controller.start());
        QVERIFY(finished.wait(15000));
        QCOMPARE(finished.first().first().value<BatchSummary>().converted, 2);
        QStringList started;
        for (const LogEntry &e : readLog(log)) {
            if (e.what == u"start"_s)
                started << e.image;
        }
        QCOMPARE(started, (QStringList{u"conv"_s, u"coder"_s, u"conv"_s, u"coder"_s}));
    }

    void anOrderlyCloseSavesAndLetsTheJournalGo()
    {
        BatchController controller(context());
        startUp(controller, false, 0);
        controller.settings().selectFormat(5);
        controller.feeder().add({{"/v/a.flv", {}}}, true);
        QVERIFY(controller.journal().flush());
        QVERIFY(QFileInfo::exists(controller.journal().filePath()));
        QVERIFY(controller.prepareToClose());
        QVERIFY(!QFileInfo::exists(controller.journal().filePath()));
        ConversionSettings saved = ConversionSettings::startupDefaults({});
        controller.store().loadSetup(saved, {});
        QCOMPARE(saved.formatIndex, 5);
    }
};

QTEST_GUILESS_MAIN(TestBatchController)
#include "tst_batchcontroller.moc"
