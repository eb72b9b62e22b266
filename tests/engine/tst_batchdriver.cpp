#include "batchdriver.h"
#include "driverfixture.h"
#include "fileclaim.h"
#include "filelist.h"
#include "formats.h"

#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

class TestBatchDriver : public QObject {
    Q_OBJECT

    using Fixture = DriverFixture;

private Q_SLOTS:
    void cleanup() { qunsetenv("FAKE_ENCODER_LOG"); }

    void emptyListIsRefused()
    {
        Fixture f;
        QSignalSpy lock(&f.driver, &BatchDriver::lockChanged);
        QVERIFY(!f.driver.start());
        QCOMPARE(lock.count(), 0);
        QCOMPARE(f.driver.state(), BatchDriver::State::Idle);
    }

    void mp3BatchRunsOneEncoderAtATime()
    {
        Fixture f;
        f.settings.selectFormat(8);
        f.addSource(u"a.flv"_s);
        f.addSource(u"b.flv"_s);
        f.addSource(u"c.flv"_s);
        QSignalSpy lock(&f.driver, &BatchDriver::lockChanged);
        QSignalSpy open(&f.driver, &BatchDriver::openOutputFolder);
        QSignalSpy sound(&f.driver, &BatchDriver::playFinishSound);
        QSignalSpy started(&f.driver, &BatchDriver::fileStarted);
        QSignalSpy progress(&f.driver, &BatchDriver::progressChanged);
        QSignalSpy finished(&f.driver, &BatchDriver::batchFinished);

        QVERIFY(f.driver.start());
        QCOMPARE(lock.count(), 1);
        QCOMPARE(lock.at(0).at(0).toBool(), true);
        QVERIFY(!f.driver.start()); // a batch is under way
        QVERIFY(finished.wait(15000));

        const QList<LogEntry> log = readLog(f.log);
        QCOMPARE(log.size(), 6);
        for (int i = 0; i < 6; i += 2) {
            QCOMPARE(log[i].what, u"start"_s);
            QCOMPARE(log[i].image, u"coder"_s);
            QCOMPARE(log[i + 1].what, u"end"_s);
            QCOMPARE(log[i + 1].pid, log[i].pid); // never two at once
        }
        QCOMPARE(f.list.rowCount(), 0);
        QVERIFY(!f.list.hintVisible() || f.list.rowCount() == 0);
        const QString out = f.dir.filePath(u"out/"_s);
        QCOMPARE(f.settings.outputFolder, out); // the "/" was added
        for (const char *name : {"a", "b", "c"})
            QVERIFY(QFileInfo::exists(out + QString::fromLatin1(name) + u"-1479.mp3"_s));

        const BatchSummary summary = finished.at(0).at(0).value<BatchSummary>();
        QCOMPARE(summary.converted, 3);
        QVERIFY(summary.failed.isEmpty());
        QCOMPARE(open.count(), 1);
        QCOMPARE(open.at(0).at(0).toString(), out);
        QCOMPARE(sound.count(), 1);
        QCOMPARE(lock.last().at(0).toBool(), false);
        QCOMPARE(progress.last().at(0).value<ProgressDisplay>(), idleDisplay(BatchTexts::kDone.toString()));
        QCOMPARE(started.count(), 3);
        QCOMPARE(started.at(2).at(2).toInt(), 3);
        QCOMPARE(started.at(2).at(3).toInt(), 3);
    }

    void soundOnlyWhenAskedFor()
    {
        Fixture f;
        f.options.playFinishSound = false;
        f.settings.selectFormat(8);
        f.addSource(u"a.flv"_s);
        QSignalSpy sound(&f.driver, &BatchDriver::playFinishSound);
        QVERIFY(f.runToEnd());
        QCOMPARE(sound.count(), 0);
    }

    void twoStageFormatsRunBothEncoders_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("extension");
        QTest::newRow("RMVB") << 0 << u"coder"_s << u".rmvb"_s;
        QTest::newRow("mobile MP4") << 6 << u"coder2"_s << u".mp4"_s;
        QTest::newRow("MPG: one stage") << 2 << QString() << u".mpg"_s;
    }

    void twoStageFormatsRunBothEncoders()
    {
        QFETCH(int, format);
        QFETCH(QString, second);
        QFETCH(QString, extension);
        Fixture f;
        f.settings.selectFormat(format);
        f.addSource(u"talk.part1.flv"_s, "conv print Pos: 1.0s (50%)\\r\ncoder print Duration: 00:00:10.00, \\n\ncoder print time=5.00 \\r\ncoder2 print Duration: 00:00:10.00, \\ntime=5.00 \\r\n");
        QSignalSpy progress(&f.driver, &BatchDriver::progressChanged);
        QVERIFY(f.runToEnd());
        QStringList expected{u"conv"_s};
        if (!second.isEmpty())
            expected << second;
        QCOMPARE(startedImages(f.log), expected);
        QVERIFY(QFileInfo::exists(f.dir.filePath(u"out/talk-1479"_s + extension)));

        QStringList captions;
        for (const auto &args : progress)
            captions << args.at(0).value<ProgressDisplay>().caption;
        QVERIFY(captions.first().startsWith(u"转换中"_s));
        // Each display says which step of how many it shows.
        const ProgressDisplay first = progress.first().first().value<ProgressDisplay>();
        QCOMPARE(std::pair(first.step, first.stepCount), std::pair(1, second.isEmpty() ? 1 : 2));
        if (!second.isEmpty()) {
            const QString stageTwo = captions.at(captions.size() - 2);
            QVERIFY2(stageTwo.startsWith(u"创建中"_s) && stageTwo.endsWith(u" 50%"_s), qPrintable(stageTwo));
            const ProgressDisplay last = progress.at(progress.size() - 2).first().value<ProgressDisplay>();
            QCOMPARE(std::pair(last.step, last.stepCount), std::pair(2, 2));
            QCOMPARE(last.steadyCaption, u"创建中 50%"_s);
        }
        QCOMPARE(captions.last(), BatchTexts::kDone.toString());
    }

    // Kept, a converted file's row stays done with its output, is never
    // converted again, and leaves the list when the next batch starts.
    void doneRowsStayUntilTheNextStart()
    {
        Fixture f;
        f.settings.selectFormat(8);
        f.driver.setKeepDoneRows(true);
        f.addSource(u"a.flv"_s);
        f.addSource(u"b.flv"_s);
        QVERIFY(f.runToEnd());
        QCOMPARE(f.list.rowCount(), 2);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(f.list.rowAt(i).status, FileListRow::Status::Done);
            QVERIFY(QFileInfo::exists(f.list.rowAt(i).outputPath()));
        }
        QCOMPARE(f.list.rowAt(0).outputPath(), f.dir.filePath(u"out/a-1479.mp3"_s));

        const QString c = f.addSource(u"c.flv"_s);
        QSignalSpy started(&f.driver, &BatchDriver::fileStarted);
        QVERIFY(f.runToEnd());
        QCOMPARE(started.count(), 1);
        QCOMPARE(f.list.rowCount(), 1);
        QCOMPARE(f.list.rowAt(0).path.shown(), c);
        // Nothing but done rows: nothing to start, and the list is empty.
        QVERIFY(!f.driver.start());
        QCOMPARE(f.list.rowCount(), 0);
    }

    void aFailedFileStaysMarkedAndTheBatchGoesOn()
    {
        Fixture f;
        f.settings.selectFormat(8);
        f.addSource(u"a.flv"_s);
        const QString broken = f.addSource(u"b.flv"_s, "coder write\ncoder print time=1.00\\r\n"
                                                      "coder eprint coder: failure no-audio\\n\ncoder eprint coder: \"b.flv\": no audio stream\\n\ncoder exit 6\n");
        f.addSource(u"c.flv"_s);
        QSignalSpy finished(&f.driver, &BatchDriver::batchFinished);
        QSignalSpy fileFinished(&f.driver, &BatchDriver::fileFinished);
        QVERIFY(f.driver.start());
        QVERIFY(finished.wait(15000));

        const BatchSummary summary = finished.at(0).at(0).value<BatchSummary>();
        QCOMPARE(summary.converted, 2);
        QCOMPARE(summary.failed.size(), 1);
        QCOMPARE(summary.failed.at(0).path, broken);
        // The cause the encoder gave, in the user's words and by its name for scripts.
        QCOMPARE(summary.failed.at(0).reason, u"文件中没有声音，无法转换成 MP3"_s);
        QCOMPARE(failureCodeName(summary.failed.at(0).code), u"no-audio"_s);
        QCOMPARE(f.list.rowCount(), 1);
        QCOMPARE(f.list.rowAt(0).status, FileListRow::Status::Failed);
        QCOMPARE(f.list.rowAt(0).failureReason(), summary.failed.at(0).reason);
        // The half-written output is gone; the others are there.
        QVERIFY(!QFileInfo::exists(f.dir.filePath(u"out/b-1479.mp3"_s)));
        QVERIFY(QFileInfo::exists(f.dir.filePath(u"out/a-1479.mp3"_s)));
        QVERIFY(QFileInfo::exists(f.dir.filePath(u"out/c-1479.mp3"_s)));
        QCOMPARE(fileFinished.count(), 3);
        QCOMPARE(fileFinished.at(1).at(2).toBool(), false);

        // Start again: the failed row is retried, and now converts.
        writeScript(broken, "");
        QVERIFY(f.runToEnd());
        QCOMPARE(f.list.rowCount(), 0);
        QVERIFY(QFileInfo::exists(f.dir.filePath(u"out/b-1479.mp3"_s)));
    }

    void failedStageOneSkipsStageTwo_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no video") << QByteArray("conv eprint conv: failure no-video\\n\nconv eprint conv: no video stream\\n\nconv exit 5\n")
                                  << u"文件中没有视频，请选择 MP3 格式只转换声音"_s;
        // An encoder's English alone never reaches the user.
        QTest::newRow("exit 1, English only") << QByteArray("conv eprint conv: no video stream\\n\nconv exit 1\n")
                                              << u"转换失败：conv 出错退出（退出码 1）"_s;
        QTest::newRow("crash") << QByteArray("conv print Pos: 1.0s (10%)\\r\nconv write\nconv crash\n") << u"conv 意外退出 (信号 11)"_s;
    }

    void failedStageOneSkipsStageTwo()
    {
        QFETCH(QByteArray, script);
        Fixture f;
        f.settings.selectFormat(0);
        f.addSource(u"a.flv"_s, script);
        QVERIFY(f.runToEnd());
        for (const LogEntry &e : readLog(f.log))
            QCOMPARE(e.image, u"conv"_s); // no second stage
        QCOMPARE(f.list.rowAt(0).status, FileListRow::Status::Failed);
        QTEST(f.list.rowAt(0).failureReason(), "reason");
    }

    // Cut short in the first stage: the second still makes the output of
    // what there was, and the file then fails with the cut and that output.
    void aSourceCutShortKeepsItsPartialOutput()
    {
        Fixture f;
        f.settings.selectFormat(0);
        f.addSource(u"a.flv"_s, "conv write\nconv keep\n"
                                "conv eprint conv: failure source-truncated source-end=4.2 converted=4.2 declared=30\\n\nconv exit 10\n");
        QSignalSpy failed(&f.driver, &BatchDriver::fileFailed);
        QVERIFY(f.runToEnd());
        QCOMPARE(readLog(f.log).size(), 4); // both stages ran
        const QString output = f.dir.filePath(u"out/a-1479.rmvb"_s);
        QVERIFY(QFileInfo(output).isFile());
        QCOMPARE(f.list.rowAt(0).status, FileListRow::Status::Failed);
        QCOMPARE(f.list.rowAt(0).failureReason(), u"源文件在 0:04 处中断，可能没有下载完；只转换了前 4 秒，已保存为 a-1479.rmvb"_s);
        QCOMPARE(failed.count(), 1);
        const FailedFile record = failed.at(0).at(1).value<FailedFile>();
        QCOMPARE(failureCodeName(record.code), u"source-truncated"_s);
        QCOMPARE(record.output, output);
    }

    // A full disk under the intermediate is the temporary folder's, named
    // so: not the output folder's, and not by a run's own folder.
    void aFullTemporaryDisk()
    {
        Fixture f;
        f.settings.selectFormat(0);
        f.addSource(u"a.flv"_s, "conv eprint conv: failure disk-full\\n\nconv exit 11\n");
        QVERIFY(f.runToEnd());
        const QString workFolder = QFileInfo(f.driver.runFolderPath()).absolutePath();
        QCOMPARE(f.list.rowAt(0).failureReason(), u"临时文件夹 "_s + workFolder + u" 所在的磁盘已满，请腾出空间后重试"_s);
    }

    // A crashed encoder's part file goes; an encoder that claims success
    // without writing fails its file; a FIFO never reaches an encoder.
    void noHalfWrittenFilesAndNoFalseSuccess()
    {
        Fixture f;
        f.settings.selectFormat(0);
        f.addSource(u"crash.flv"_s, "coder write\ncoder crash\n");
        f.addSource(u"vanish.flv"_s, "coder vanish\n");
        const QString fifo = f.dir.filePath(u"pipe.flv"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        f.list.append(fifo, true);
        QVERIFY(f.runToEnd());

        QCOMPARE(f.list.rowCount(), 3);
        QCOMPARE(f.list.rowAt(0).failureReason(), u"coder 意外退出 (信号 11)"_s);
        QCOMPARE(f.list.rowAt(1).failureReason(), u"没有生成输出文件"_s);
        QCOMPARE(f.list.rowAt(2).failureReason(), u"不是普通文件（可能是文件夹、管道、设备或套接字），无法转换"_s);
        const auto everything = QDir::Files | QDir::Hidden | QDir::System | QDir::Dirs | QDir::NoDotAndDotDot;
        QCOMPARE(QDir(f.dir.filePath(u"out"_s)).entryList(everything), QStringList());
        QCOMPARE(QDir(f.driver.runFolderPath()).entryList({u".sonvera-*"_s}, everything), QStringList());
        // Two files of two stages each (a crash logs no end); nothing for the FIFO.
        QCOMPARE(readLog(f.log).size(), 7);
    }

    // Every run converts in a folder of its own, gone when the run ends; what
    // runs that died left behind is swept when the next one starts, and only
    // that: a run of another PID namespace is alive although its process id
    // means nothing here.
    void eachRunHasItsOwnFolder()
    {
        Fixture f;
        f.settings.selectFormat(8);
        f.addSource(u"a.flv"_s);
        const QString work = f.dir.filePath(u"work"_s);
        const QString ours = work + u"/run-"_s + QString::fromLatin1(thisWriter().text());
        const auto makeRun = [](const QString &path) {
            QDir().mkpath(path);
            int error = 0;
            return FileClaim::create(QFile::encodeName(path + u"/claim"_s), 0600, error);
        };
        QVERIFY(makeRun(ours + u"-dead01"_s).isLocked()); // released at once: its run has ended
        const FileClaim live = makeRun(ours + u"-alive1"_s);
        QVERIFY(live.isLocked());
        QVERIFY(makeRun(work + u"/run-00000000-00000000-other1"_s).isOpen()); // another host's
        QVERIFY(QDir().mkpath(work + u"/run-999999999-abcdef"_s)); // an earlier naming, maybe another namespace's
        QVERIFY(f.runToEnd());
        const QString mine = f.driver.runFolderPath();
        QVERIFY(mine.startsWith(ours + u'-'));
        QVERIFY(!QFileInfo::exists(ours + u"-dead01"_s));
        for (const QString &kept : QStringList{ours + u"-alive1"_s, work + u"/run-00000000-00000000-other1"_s,
                                               work + u"/run-999999999-abcdef"_s})
            QVERIFY2(QFileInfo::exists(kept), qPrintable(kept));
        {
            BatchDriver other(f.list, f.settings);
            other.setProgramFolder(f.program.path());
            other.setWorkFolder(work);
            other.setStartDelay(1);
            f.addSource(u"b.flv"_s);
            QSignalSpy finished(&other, &BatchDriver::batchFinished);
            QVERIFY(other.start());
            QVERIFY(finished.wait(10000));
            QVERIFY(other.runFolderPath() != mine);
            QVERIFY(QFileInfo(other.runFolderPath()).isDir());
        }
        QCOMPARE(QDir(work).entryList({u"run-*"_s}, QDir::Dirs).size(), 4); // ours and the three kept
    }

    void aRunThatCannotStartFailsItsFile()
    {
        Fixture f({u"conv"_s, u"coder"_s}); // no coder2
        f.settings.selectFormat(7);
        f.addSource(u"a.flv"_s);
        f.addSource(u"b.flv"_s);
        QSignalSpy errors(&f.driver, &BatchDriver::runnerError);
        QSignalSpy finished(&f.driver, &BatchDriver::batchFinished);
        QVERIFY(f.driver.start());
        QVERIFY(finished.wait(15000));
        QCOMPARE(errors.count(), 1); // one message for the batch, not one per file
        QCOMPARE(errors.at(0).at(0).toString(), f.list.rowAt(0).failureReason()); // the catalogue's words
        QVERIFY(errors.at(0).at(0).toString().contains(u"coder2"_s));
        const BatchSummary summary = finished.at(0).at(0).value<BatchSummary>();
        QCOMPARE(summary.failed.size(), 2);
        QCOMPARE(f.list.rowCount(), 2);
    }

    // Every batch starts fresh: one stopped before its first file reports
    // nothing of the files the batch before it failed.
    void aBatchStoppedWhileArmedStartsFresh()
    {
        Fixture f;
        f.settings.selectFormat(8);
        f.addSource(u"bad.flv"_s, "coder exit 1\n");
        QSignalSpy finished(&f.driver, &BatchDriver::batchFinished);
        QVERIFY(f.runToEnd());
        QCOMPARE(finished.at(0).at(0).value<BatchSummary>().failed.size(), 1);
        QVERIFY(f.driver.start());
        f.driver.stop();
        QCOMPARE(finished.count(), 2);
        const BatchSummary stopped = finished.at(1).at(0).value<BatchSummary>();
        QVERIFY(stopped.stopped);
        QVERIFY(stopped.failed.isEmpty());
        QCOMPARE(stopped.converted, 0);
    }

    // Stop in every order: before the batch starts, between two files,
    // twice, and racing an encoder that has just finished. Each ends the batch
    // exactly once, as stopped, keeps what was converted and leaves the rest
    // waiting; a new start works.
    void stopInEveryOrder_data()
    {
        QTest::addColumn<QString>("when");
        QTest::addColumn<int>("converted");
        QTest::newRow("before the batch starts") << u"armed"_s << 0;
        QTest::newRow("between two files") << u"between"_s << 1;
        QTest::newRow("twice") << u"twice"_s << 0;
        QTest::newRow("racing a normal end") << u"race"_s << 1;
    }

    void stopInEveryOrder()
    {
        QFETCH(QString, when);
        Fixture f;
        f.settings.selectFormat(8);
        // The first encoder runs until it is stopped, or in the next batch
        // until the gate opens; in the race it finishes its work as the stop
        // request comes, and ends well all the same. Between two files it ends
        // on its own.
        const QString gate = f.dir.filePath(u"gate"_s);
        const QByteArray ending = when == u"race"_s      ? QByteArray("coder awaitterm\n")
                                  : when == u"between"_s ? QByteArray()
                                                         : "coder await " + QFile::encodeName(gate) + '\n';
        f.addSource(u"a.flv"_s, "coder print time=1.00 \\r\n" + ending + "coder exit 0\n");
        f.addSource(u"b.flv"_s);
        QSignalSpy finished(&f.driver, &BatchDriver::batchFinished);
        QSignalSpy started(&f.driver, &BatchDriver::fileStarted);
        QSignalSpy progress(&f.driver, &BatchDriver::progressChanged);
        if (when == u"between"_s) {
            connect(&f.driver, &BatchDriver::fileFinished, this, [&f] { f.driver.stop(); }, Qt::SingleShotConnection);
        }
        QVERIFY(f.driver.start());
        if (when == u"armed"_s) {
            f.driver.stop();
        } else if (when != u"between"_s) {
            // Its progress line: the encoder is running its script.
            QTRY_VERIFY_WITH_TIMEOUT(!progress.isEmpty(), 10000);
            f.driver.stop();
            if (when == u"twice"_s)
                f.driver.stop();
        }
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
        QTest::qWait(200);
        QCOMPARE(finished.count(), 1);
        const BatchSummary summary = finished.at(0).at(0).value<BatchSummary>();
        QVERIFY(summary.stopped);
        QTEST(summary.converted, "converted");
        QCOMPARE(f.list.rowCount(), 2 - summary.converted);
        for (int i = 0; i < f.list.rowCount(); ++i)
            QCOMPARE(f.list.rowAt(i).status, FileListRow::Status::Waiting);
        QCOMPARE(f.list.protectedCount(), 0);
        QCOMPARE(QFileInfo::exists(f.dir.filePath(u"out/a-1479.mp3"_s)), summary.converted == 1);
        QCOMPARE(f.driver.state(), BatchDriver::State::Idle);
        QCOMPARE(started.count(), when == u"armed"_s ? 0 : 1); // b never started

        QVERIFY(QFile(gate).open(QIODevice::WriteOnly));
        QVERIFY(f.runToEnd()); // the rest converts on the next start
        QCOMPARE(f.list.rowCount(), 0);
    }

    void stop_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("stopAt"); // the image running when Stop is pressed
        QTest::newRow("stage one") << QByteArray("conv write\nconv print Pos: 1.0s (10%)\\r\nconv hang\n") << u"conv"_s;
        QTest::newRow("stage two") << QByteArray("coder write\ncoder print time=1.00 \\r\ncoder hang\n") << u"coder"_s;
    }

    void stop()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, stopAt);
        Fixture f;
        f.settings.selectFormat(0);
        f.addSource(u"a.flv"_s, script);
        f.addSource(u"b.flv"_s);
        QSignalSpy open(&f.driver, &BatchDriver::openOutputFolder);
        QSignalSpy finished(&f.driver, &BatchDriver::batchFinished);
        // Stopped once that stage's encoder has printed its progress, after
        // writing its part file.
        QString stage;
        bool printed = false;
        connect(&f.driver, &BatchDriver::stageStarted, this, [&](const EncoderCommand &command) {
            stage = command.encoderImage;
            printed = false;
        });
        connect(&f.driver, &BatchDriver::progressChanged, this, [&printed] { printed = true; });
        QVERIFY(f.driver.start());
        QTRY_VERIFY_WITH_TIMEOUT(stage == stopAt && printed, 10000);
        f.driver.stop();
        QVERIFY(finished.wait(10000));
        const BatchSummary summary = finished.at(0).at(0).value<BatchSummary>();
        QVERIFY(summary.stopped);
        QCOMPARE(open.count(), 0);
        QCOMPARE(f.list.rowCount(), 2);
        QCOMPARE(f.list.rowAt(0).status, FileListRow::Status::Waiting);
        QCOMPARE(f.list.protectedCount(), 0);
        QVERIFY(!QFileInfo::exists(f.dir.filePath(u"out/a-1479.rmvb"_s)));
        QCOMPARE(f.driver.state(), BatchDriver::State::Idle);
        // No encoder is left running.
        const QList<LogEntry> log = readLog(f.log);
        QCOMPARE(log.size() % 2, 1); // the stopped run never logged its end...
        QVERIFY(!QFileInfo::exists(u"/proc/"_s + QString::number(log.last().pid)));
    }

    void theConvertedRowIsProtectedAndNewRowsJoin()
    {
        Fixture f;
        f.settings.selectFormat(8);
        f.addSource(u"a.flv"_s, "coder print time=1.00 \\r\ncoder sleep 300\ncoder exit 0\n");
        QSignalSpy started(&f.driver, &BatchDriver::fileStarted);
        QSignalSpy finished(&f.driver, &BatchDriver::batchFinished);
        QVERIFY(f.driver.start());
        QVERIFY(started.wait(5000));
        QVERIFY(!f.list.removeRowAt(0));
        f.addSource(u"late.flv"_s);
        QVERIFY(finished.wait(15000));
        QCOMPARE(finished.at(0).at(0).value<BatchSummary>().converted, 2);
        QVERIFY(QFileInfo::exists(f.dir.filePath(u"out/late-1479.mp3"_s)));
    }

    void sameNameInTheSameSecondKeepsBoth()
    {
        Fixture f;
        f.settings.selectFormat(8);
        f.addSource(u"x/talk.flv"_s);
        f.addSource(u"y/talk.flv"_s);
        QVERIFY(f.runToEnd());
        QVERIFY(QFileInfo::exists(f.dir.filePath(u"out/talk-1479.mp3"_s)));
        QVERIFY(QFileInfo::exists(f.dir.filePath(u"out/talk-1479-2.mp3"_s)));
    }

    void anOutputFolderThatCannotBeMade()
    {
        Fixture f;
        f.settings.selectFormat(0);
        writeScript(f.dir.filePath(u"blocker"_s), "a file, not a folder");
        f.settings.outputFolder = f.dir.filePath(u"blocker/out"_s);
        f.addSource(u"a.flv"_s);
        f.addSource(u"b.flv"_s);
        QSignalSpy finished(&f.driver, &BatchDriver::batchFinished);
        QVERIFY(f.driver.start());
        QVERIFY(finished.wait(5000));
        const BatchSummary summary = finished.at(0).at(0).value<BatchSummary>();
        QCOMPARE(summary.failed.size(), 2);
        QCOMPARE(summary.failed.at(0).reason, u"无法写入输出文件夹 "_s + f.dir.filePath(u"blocker/out/"_s) + u"：请确认它存在并且可以写入"_s);
        QCOMPARE(summary.failed.at(0).code, FailureCode::OutputUnwritable);
        QVERIFY(readLog(f.log).isEmpty()); // no encoder ran in vain
    }

    // Thousands of files failing before an encoder starts end in slices, the
    // event loop running between them, each said once and in order.
    void fastFailuresEndInSlicesFromTheEventLoop()
    {
        Fixture f;
        f.settings.selectFormat(8);
        writeScript(f.dir.filePath(u"blocker"_s), "a file, not a folder");
        f.settings.outputFolder = f.dir.filePath(u"blocker/out"_s);
        QList<NewRow> rows;
        for (int i = 0; i < 20000; ++i)
            rows.append({QFile::encodeName(f.dir.filePath(u"f%1.flv"_s.arg(i))), {}});
        f.list.appendRows(rows, true);
        int turns = 0;
        QTimer loop;
        loop.setInterval(0);
        connect(&loop, &QTimer::timeout, this, [&turns] { ++turns; });
        loop.start();
        QSignalSpy started(&f.driver, &BatchDriver::fileStarted);
        const std::optional<BatchSummary> summary = f.runForSummary(60000);
        QVERIFY(summary);
        QCOMPARE(summary->failed.size(), 20000);
        QCOMPARE(summary->failed.last().path, f.dir.filePath(u"f19999.flv"_s));
        QVERIFY2(turns >= 3, qPrintable(QString::number(turns)));
        // "file n of total": the waiting rows counted as they go.
        QCOMPARE(started.at(9).at(2).toInt(), 10);
        QCOMPARE(started.at(9).at(3).toInt(), 20000);
    }

    // A size the format cannot keep, typed or restored, is refused, not
    // replaced by a size of the format's own.
    void aSizeTheFormatCannotKeepIsRefused()
    {
        Fixture f;
        f.settings.selectFormat(7);
        f.settings.videoSize = kKeepSourceSize.toString();
        f.addSource(u"a.flv"_s);
        const std::optional<BatchSummary> summary = f.runForSummary();
        QVERIFY(summary && summary->failed.size() == 1);
        QCOMPARE(summary->failed.at(0).code, FailureCode::BadSetting);
        QVERIFY2(summary->failed.at(0).reason.contains(kKeepSourceSize), qPrintable(summary->failed.at(0).reason));
        QVERIFY(readLog(f.log).isEmpty());
    }

    // 100 Chinese characters in GBK make a legal name of 204 bytes, which
    // would be 304 in UTF-8: the link the encoders open it through is fitted
    // to the file system, and the file converts.
    void aLongNameThatIsNotUtf8Converts()
    {
        Fixture f;
        f.settings.selectFormat(8);
        QByteArray name;
        for (int i = 0; i < 100; ++i)
            name += "\xca\xd3"; // 视
        const QByteArray path = QFile::encodeName(f.dir.path()) + '/' + name + ".flv";
        QFile source;
        QVERIFY(source.open(::open(path.constData(), O_WRONLY | O_CREAT, 0600), QIODevice::WriteOnly,
                            QFileDevice::AutoCloseHandle));
        source.close();
        f.list.append(path, true);
        const std::optional<BatchSummary> summary = f.runForSummary();
        QVERIFY(summary);
        QVERIFY2(summary->failed.isEmpty(), qPrintable(summary->failed.value(0).reason));
        QCOMPARE(summary->outputs.size(), 1);
        const QFileInfo output(summary->outputs.at(0));
        QVERIFY(output.exists());
        QVERIFY(output.fileName().startsWith(u"视视视"_s));
        QVERIFY(output.fileName().toUtf8().size() <= 255);
    }

    void outputFolderRules_data()
    {
        QTest::addColumn<QString>("folder"); // relative to the fixture's folder; "" for empty
        QTest::addColumn<QString>("used");
        QTest::newRow("nested, missing parents") << u"deep/er/out"_s << u"deep/er/out/"_s;
        QTest::newRow("already ends in /") << u"out/"_s << u"out/"_s;
        QTest::newRow("empty means the default") << QString() << u"default-out/"_s;
        QTest::newRow("~ is the home folder") << u"~/home-out"_s << u"home-out/"_s;
    }

    void outputFolderRules()
    {
        QFETCH(QString, folder);
        QFETCH(QString, used);
        Fixture f;
        f.settings.selectFormat(8);
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(f.dir.path()));
        const auto restoreHome = qScopeGuard([&home] { qputenv("HOME", home); });
        f.settings.outputFolder = folder.isEmpty() ? QString() : folder.startsWith(u'~') ? folder : f.dir.filePath(folder);
        f.addSource(u"a.flv"_s);
        QSignalSpy changed(&f.driver, &BatchDriver::outputFolderChanged);
        QVERIFY(f.runToEnd());
        QCOMPARE(f.settings.outputFolder, f.dir.filePath(used));
        QCOMPARE(changed.count(), folder.endsWith(u'/') ? 0 : 1);
        QVERIFY(QFileInfo::exists(f.dir.filePath(used) + u"a-1479.mp3"_s));
    }
};

QTEST_GUILESS_MAIN(TestBatchDriver)
#include "tst_batchdriver.moc"
