// Batches that convert several files at once, with the scripted fake encoder.
#include "driverfixture.h"

#include <QTest>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

namespace {

// The most encoders the log shows running at one moment.
int mostAtOnce(const QList<LogEntry> &log)
{
    QList<std::pair<qint64, int>> events; // (ms, +1 start / -1 end)
    for (const LogEntry &e : log)
        events.append({e.ms, e.what == u"start"_s ? 1 : -1});
    // At the same millisecond an end goes first: the driver starts the next
    // encoder only after the previous one has gone.
    std::sort(events.begin(), events.end());
    int running = 0;
    int most = 0;
    for (const auto &[ms, step] : std::as_const(events)) {
        running += step;
        most = std::max(most, running);
    }
    return most;
}

QStringList hiddenAndAll(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

class TestWorkers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { qunsetenv("FAKE_ENCODER_LOG"); }

    void neverMoreThanNEncodersAtOnce_data()
    {
        QTest::addColumn<int>("jobs");
        QTest::newRow("2") << 2;
        QTest::newRow("3") << 3;
    }

    void neverMoreThanNEncodersAtOnce()
    {
        QFETCH(int, jobs);
        DriverFixture f;
        f.settings.selectFormat(8);
        f.driver.setParallelJobs(jobs);
        // The first encoders wait until `jobs` of them have started; after
        // that every file goes through.
        const QString gate = f.dir.filePath(u"gate"_s);
        for (int i = 0; i < 7; ++i)
            f.addSource(u"f%1.flv"_s.arg(i), "coder await " + QFile::encodeName(gate) + "\ncoder sleep "
                                                 + QByteArray::number(120 + (i % 3) * 70) + '\n');
        QSignalSpy finished(&f.driver, &BatchDriver::batchFinished);
        QVERIFY(f.driver.start());
        f.driver.setParallelJobs(jobs + 2); // from the next batch on
        QTRY_VERIFY_WITH_TIMEOUT(readLog(f.log).size() >= jobs, 10000);
        QVERIFY(QFile(gate).open(QIODevice::WriteOnly));
        QVERIFY(finished.wait(15000));

        const QList<LogEntry> log = readLog(f.log);
        QCOMPARE(log.size(), 14); // every run started and ended
        QCOMPARE(mostAtOnce(log), jobs);
        QCOMPARE(f.list.rowCount(), 0);
        QCOMPARE(hiddenAndAll(f.dir.filePath(u"out"_s)).size(), 7);
    }

    // Files start in list order whichever worker comes free, rows added
    // during the batch included.
    void headFirst()
    {
        DriverFixture f;
        f.settings.selectFormat(8);
        f.driver.setParallelJobs(2);
        // The head ends only after d has: with a worker held by the head, the
        // others must go through on the other one.
        const QString dEnded = f.dir.filePath(u"d-ended"_s);
        QStringList expected{f.addSource(u"a.flv"_s, "coder await " + QFile::encodeName(dEnded) + '\n'),
                             f.addSource(u"b.flv"_s), f.addSource(u"c.flv"_s), f.addSource(u"d.flv"_s)};
        QSignalSpy started(&f.driver, &BatchDriver::fileStarted);
        connect(&f.driver, &BatchDriver::fileStarted, this, [&] { expected << f.addSource(u"late.flv"_s); },
                Qt::SingleShotConnection);
        connect(&f.driver, &BatchDriver::fileFinished, this, [&](quint64, const QString &path) {
            if (path.endsWith(u"/d.flv"_s))
                QFile(dEnded).open(QIODevice::WriteOnly);
        });
        QVERIFY(f.runToEnd());
        QStringList order;
        for (const auto &args : std::as_const(started))
            order << args.at(1).toString();
        QCOMPARE(order, expected);
        // The slow head was still converting while the others went through.
        const QList<LogEntry> log = readLog(f.log);
        const auto endOf = [&log](const QString &name) {
            for (const LogEntry &e : log)
                if (e.what == u"end"_s && e.output.contains(name))
                    return e.ms;
            return qint64(-1);
        };
        QVERIFY(endOf(u"/d-"_s) >= 0 && endOf(u"/d-"_s) < endOf(u"/a-"_s));
    }

    void stopWithTwoWorkersRunning()
    {
        DriverFixture f;
        f.settings.selectFormat(8);
        f.driver.setParallelJobs(2);
        for (const QString &name : {u"a.flv"_s, u"b.flv"_s, u"c.flv"_s})
            f.addSource(name, "coder write\ncoder print time=1.00 \\r\ncoder hang\n");
        QSignalSpy finished(&f.driver, &BatchDriver::batchFinished);
        QVERIFY(f.driver.start());
        // Both encoders are mid-stage: their part files are there.
        const QString out = f.dir.filePath(u"out"_s);
        QTRY_COMPARE_WITH_TIMEOUT(hiddenAndAll(out).filter(u".part"_s).size(), 2, 10000);
        QCOMPARE(f.list.protectedCount(), 2);
        f.driver.stop();
        QVERIFY(finished.wait(10000));
        QTest::qWait(200);
        QCOMPARE(finished.count(), 1);
        QVERIFY(finished.at(0).at(0).value<BatchSummary>().stopped);

        const QList<LogEntry> log = readLog(f.log);
        QCOMPARE(log.size(), 2); // two starts; c never started
        for (const LogEntry &e : log)
            QVERIFY(!QFileInfo::exists(u"/proc/"_s + QString::number(e.pid)));
        QCOMPARE(hiddenAndAll(out), QStringList());
        QCOMPARE(f.list.rowCount(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(f.list.rowAt(i).status, FileListRow::Status::Waiting);
        QCOMPARE(f.list.protectedCount(), 0);
        QCOMPARE(f.driver.state(), BatchDriver::State::Idle);
    }

    // Stop pressed from a handler of the second file's start: that file never
    // reaches an encoder, the first one's is stopped.
    void stopAsTheSecondFileStarts()
    {
        DriverFixture f;
        f.settings.selectFormat(8);
        f.driver.setParallelJobs(2);
        f.addSource(u"a.flv"_s, "coder write\ncoder hang\n");
        f.addSource(u"b.flv"_s);
        QSignalSpy finished(&f.driver, &BatchDriver::batchFinished);
        connect(&f.driver, &BatchDriver::fileStarted, this, [&f](quint64, const QString &, int number) {
            if (number == 2)
                f.driver.stop();
        });
        QVERIFY(f.driver.start());
        QVERIFY(finished.wait(10000));
        QTest::qWait(300);
        QCOMPARE(finished.count(), 1);
        const QList<LogEntry> log = readLog(f.log);
        QVERIFY(log.size() <= 1); // a's start at most (it may be stopped before it ran)
        for (const LogEntry &e : log)
            QVERIFY(e.output.contains(u"/a-"_s) && !QFileInfo::exists(u"/proc/"_s + QString::number(e.pid)));
        QCOMPARE(hiddenAndAll(f.dir.filePath(u"out"_s)), QStringList());
        QCOMPARE(f.list.rowAt(1).status, FileListRow::Status::Waiting);
        QCOMPARE(f.list.protectedCount(), 0);
    }

    void oneWorkerFailsTheOthersGoOn()
    {
        DriverFixture f;
        f.settings.selectFormat(8);
        f.driver.setParallelJobs(2);
        // a fails while b runs, and b ends only after the driver has seen a fail.
        const QByteArray bRuns = QFile::encodeName(f.dir.filePath(u"b-runs"_s));
        const QString aFailed = f.dir.filePath(u"a-failed"_s);
        const QString broken = f.addSource(
            u"a.flv"_s, "coder write\ncoder await " + bRuns + "\ncoder eprint coder: broken\\n\ncoder exit 1\n");
        f.addSource(u"b.flv"_s, "coder touch " + bRuns + "\ncoder await " + QFile::encodeName(aFailed) + '\n');
        f.addSource(u"c.flv"_s);
        connect(&f.driver, &BatchDriver::fileFinished, this, [&](quint64, const QString &, bool ok) {
            if (!ok)
                QFile(aFailed).open(QIODevice::WriteOnly);
        });
        QSignalSpy finished(&f.driver, &BatchDriver::batchFinished);
        QVERIFY(f.driver.start());
        QVERIFY(finished.wait(15000));

        const BatchSummary summary = finished.at(0).at(0).value<BatchSummary>();
        QCOMPARE(summary.converted, 2);
        QCOMPARE(summary.failed.size(), 1);
        QCOMPARE(summary.failed.at(0).path, broken);
        QCOMPARE(f.list.rowCount(), 1);
        QCOMPARE(f.list.rowAt(0).status, FileListRow::Status::Failed);
        QCOMPARE(f.list.rowAt(0).failureReason(), u"转换失败：coder 出错退出（退出码 1）"_s);
        QCOMPARE(f.list.protectedCount(), 0);
        QCOMPARE(hiddenAndAll(f.dir.filePath(u"out"_s)), (QStringList{u"b-1479.mp3"_s, u"c-1479.mp3"_s}));
        // b was converting when a failed, and went on (the log is in the order of events).
        const QList<LogEntry> log = readLog(f.log);
        qsizetype aEnd = -1, bStart = -1, bEnd = -1;
        for (qsizetype i = 0; i < log.size(); ++i) {
            if (log[i].output.contains(u"/a-"_s) && log[i].what == u"end"_s)
                aEnd = i;
            if (log[i].output.contains(u"/b-"_s))
                (log[i].what == u"start"_s ? bStart : bEnd) = i;
        }
        QVERIFY(bStart >= 0 && bStart < aEnd && aEnd < bEnd);
    }

    // Every converting row is protected and shows its own stage; the main
    // display is the batch's share, each file weighing its length.
    void rowsUnderConversionAndTheBatchDisplay()
    {
        DriverFixture f;
        f.settings.selectFormat(8);
        f.driver.setParallelJobs(2);
        f.addSource(u"a.flv"_s, "coder sleep 150\ncoder print Duration: 00:00:10.00, \\n\ncoder print time=5.00 \\r\ncoder sleep 1500\n");
        f.addSource(u"b.flv"_s, "coder sleep 150\ncoder print Duration: 00:00:30.00, \\n\ncoder print time=3.00 \\r\ncoder sleep 1500\n");
        f.addSource(u"c.flv"_s);
        QSignalSpy started(&f.driver, &BatchDriver::fileStarted);
        QSignalSpy progress(&f.driver, &BatchDriver::progressChanged);
        QSignalSpy finished(&f.driver, &BatchDriver::batchFinished);
        // The display counts the files converting as each starts and ends,
        // before their encoders say anything: what it shows next after each
        // start and after the first end.
        QStringList captionsAtChanges;
        QString pending;
        connect(&f.driver, &BatchDriver::fileStarted, this,
                [&](quint64, const QString &, int number) { pending = u"start %1: "_s.arg(number); });
        connect(&f.driver, &BatchDriver::fileFinished, this, [&] {
            if (captionsAtChanges.size() == 2)
                pending = u"end: "_s;
        });
        connect(&f.driver, &BatchDriver::progressChanged, this, [&](const ProgressDisplay &display) {
            if (!pending.isEmpty())
                captionsAtChanges << std::exchange(pending, QString()) + display.caption;
        });
        QVERIFY(f.driver.start());
        // Starts are made in slices of the event loop: on a busy machine the
        // second may come a turn after the first.
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 2, 5000);
        QCOMPARE(captionsAtChanges.value(1), u"start 2: 正在转换 2 个文件 0%"_s);
        QCOMPARE(f.list.protectedCount(), 2);
        QVERIFY(!f.list.removeRowAt(0));
        QVERIFY(!f.list.removeRowAt(1));
        QVERIFY(f.list.removeRowAt(2)); // c still waits: it can go

        QTRY_VERIFY_WITH_TIMEOUT(f.list.rowAt(0).progress().endsWith(u" 50%"_s)
                                     && f.list.rowAt(1).progress().endsWith(u" 10%"_s),
                                 5000);
        const ProgressDisplay batch = progress.last().at(0).value<ProgressDisplay>();
        QCOMPARE(batch.caption, u"正在转换 2 个文件 20%"_s); // whole percents, as on the rows
        QVERIFY2(qAbs(batch.fraction - 0.2) < 1e-9, qPrintable(QString::number(batch.fraction))); // (5 + 3) / (10 + 30)

        QVERIFY(finished.wait(10000));
        QVERIFY2(captionsAtChanges.value(2).startsWith(u"end: 正在转换 1 个文件 "_s), qPrintable(captionsAtChanges.join(u'|')));
        QCOMPARE(f.list.protectedCount(), 0);
        QCOMPARE(progress.last().at(0).value<ProgressDisplay>(), idleDisplay(BatchTexts::kDone.toString()));
    }

    // Two-stage files on two workers: each worker's intermediate is its own,
    // so each output holds its own source (the fake encoders copy).
    void twoStagesOnTwoWorkers()
    {
        DriverFixture f;
        f.settings.selectFormat(0);
        f.driver.setParallelJobs(2);
        QList<QByteArray> sources;
        for (int i = 0; i < 4; ++i) {
            sources << "# source " + QByteArray::number(i) + "\nconv sleep " + QByteArray::number(60 + i * 40)
                    + "\ncoder sleep 80\n";
            f.addSource(u"s%1.flv"_s.arg(i), sources.last());
        }
        QVERIFY(f.runToEnd());
        QCOMPARE(f.list.rowCount(), 0);
        for (int i = 0; i < 4; ++i) {
            QFile output(f.dir.filePath(u"out/s%1-1479.rmvb"_s.arg(i)));
            QVERIFY(output.open(QIODevice::ReadOnly));
            QCOMPARE(output.readAll(), sources.at(i));
        }
        QSet<QString> intermediates;
        for (const LogEntry &e : readLog(f.log))
            if (e.image == u"conv"_s)
                intermediates.insert(e.output);
        const QString run = f.driver.runFolderPath();
        QCOMPARE(intermediates, (QSet<QString>{BatchDriver::workerFolder(run, 0) + u"/tmp.mp4"_s,
                                                BatchDriver::workerFolder(run, 1) + u"/tmp.mp4"_s}));
    }

    void timeLeftEstimate()
    {
        TimeLeftEstimate estimate;
        // Nothing before a measurement.
        QCOMPARE(estimate.update(1000, 0, 100), std::nullopt);
        QCOMPARE(estimate.update(1000, 1, 100), std::nullopt);
        // 10 of 100 in 1 s: 9 s to go.
        QCOMPARE(estimate.update(1000, 10, 100), std::optional<qint64>(9000));
        // A burst (80 of 100 at 2 s) would say 0.5 s: it drops by the 1 s that passed, no more.
        QCOMPARE(estimate.update(2000, 80, 100), std::optional<qint64>(8000));
        // Slower than thought: it may rise.
        QCOMPARE(estimate.update(2100, 20, 200), std::optional<qint64>(18900));
        // All done: 0, however much was shown before.
        QCOMPARE(estimate.update(2200, 200, 200), std::optional<qint64>(0));
        estimate.reset();
        QCOMPARE(estimate.update(3000, 0, 100), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestWorkers)
#include "tst_workers.moc"
