// What the conversion choices change in a batch, with the scripted stand-in
// encoder: which encoders run, what a copy is called, the outputs' dates and
// folders.
#include "driverfixture.h"

#include <QDateTime>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

namespace {

// 2009-05-04 03:02:01 UTC, as an old download keeps it.
constexpr time_t kOldDate = 1241406121;

bool makeOld(const QString &path)
{
    const struct timespec times[2]{{kOldDate, 0}, {kOldDate, 0}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

qint64 modified(const QString &path)
{
    return QFileInfo(path).lastModified().toSecsSinceEpoch();
}

} // namespace

class TestChoices : public QObject {
    Q_OBJECT

    using Fixture = DriverFixture;

private Q_SLOTS:
    void cleanup() { qunsetenv("FAKE_ENCODER_LOG"); }

    // The one-stage route: one encoder, the second stage's, on the source.
    void oneStageRoute()
    {
        Fixture f;
        f.settings.selectFormat(0);
        f.options.choices.direct = true;
        const QString source = f.addSource(u"talk.flv"_s);
        QVERIFY(f.runToEnd());
        QCOMPARE(startedImages(f.log), QStringList{u"coder"_s});
        QVERIFY(QFileInfo::exists(f.dir.filePath(u"out/talk-1479.rmvb"_s)));
        QCOMPARE(f.driver.workers().at(0)->runner().command().arguments.at(1), source);
    }

    void copyAttemptComesFirst_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QStringList>("images");
        QTest::addColumn<bool>("copied");
        QTest::newRow("the streams fit") << QByteArray("coder--remux-only print coder: copying the streams\\n  Duration: 00:00:02.00, \\ntime=1.00 \\r\n")
                                         << QStringList{u"coder"_s} << true;
        QTest::newRow("they do not") << QByteArray("coder--remux-only exit 20\n")
                                     << QStringList{u"coder"_s, u"conv"_s, u"coder"_s} << false;
    }

    // MOV with remux: a copy attempt, and the two stages only when it declines.
    void copyAttemptComesFirst()
    {
        QFETCH(QByteArray, script);
        QFETCH(QStringList, images);
        QFETCH(bool, copied);
        Fixture f;
        f.settings.selectFormat(5);
        f.options.choices.remux = true;
        f.addSource(u"talk.flv"_s, script);
        QSignalSpy copies(&f.driver, &BatchDriver::fileCopied);
        QSignalSpy progress(&f.driver, &BatchDriver::progressChanged);
        QVERIFY(f.runToEnd());
        QCOMPARE(startedImages(f.log), images);
        QVERIFY(QFileInfo::exists(f.dir.filePath(u"out/talk-1479.mov"_s)));
        QCOMPARE(copies.count(), copied ? 1 : 0);
        QStringList captions;
        for (const auto &args : progress)
            captions << args.at(0).value<ProgressDisplay>().caption;
        QCOMPARE(captions.first().startsWith(u"复制中"_s), copied);
    }

    // Every order of events of a MOV file with remux: the copy attempt, then
    // (when it declines) the intermediate and the output, each succeeding,
    // failing, finding the source cut short or stopped. The worker decides
    // from each run's role: a copy attempt cut short ends the file with the
    // copy kept; a full disk is the temporary folder's only under the
    // intermediate; no intermediate outlives its file.
    void everyOrderOfRuns_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<int>("stopAtRun"); // stop once this run (1-based) has started; 0: never
        QTest::addColumn<QStringList>("images");
        QTest::addColumn<QString>("outcome"); // "converted", "stopped" or the failure's code name
        QTest::addColumn<bool>("kept");       // talk-1479.mov is there at the end
        const QByteArray declined("coder--remux-only exit 20\n");
        const QByteArray cut(" write\n%1 keep\n%1 print %1: failure source-truncated source-end=4.00 converted=4.00 "
                             "declared=30 output=\"talk-1479.mov\"\\n\n%1 exit 10\n");
        const auto cutBy = [&cut](const QByteArray &image) -> QByteArray { return image + QByteArray(cut).replace("%1", image); };
        const auto full = [](const QByteArray &image) -> QByteArray {
            return image + " eprint coder: failure disk-full\\n\n" + image + " exit 11\n";
        };
        const QStringList copy{u"coder"_s}, stage1{u"coder"_s, u"conv"_s}, stage2{u"coder"_s, u"conv"_s, u"coder"_s};
        QTest::newRow("copy: converted") << QByteArray() << 0 << copy << u"converted"_s << true;
        QTest::newRow("copy: cut short") << cutBy("coder--remux-only") << 0 << copy << u"source-truncated"_s << true;
        QTest::newRow("copy: disk full") << full("coder--remux-only") << 0 << copy << u"disk-full"_s << false;
        QTest::newRow("copy: stopped") << QByteArray("coder--remux-only write\ncoder--remux-only hang\n") << 1 << copy
                                       << u"stopped"_s << false;
        QTest::newRow("stage 1: disk full") << declined + full("conv") << 0 << stage1 << u"temp-disk-full"_s << false;
        QTest::newRow("stage 1: cut short") << declined + cutBy("conv") << 0 << stage2 << u"source-truncated"_s << true;
        QTest::newRow("stage 1: stopped") << declined + "conv write\nconv hang\n" << 2 << stage1 << u"stopped"_s << false;
        QTest::newRow("stage 2: converted") << declined << 0 << stage2 << u"converted"_s << true;
        QTest::newRow("stage 2: failed") << declined + "coder exit 1\n" << 0 << stage2 << u"failed"_s << false;
        QTest::newRow("stage 2: disk full") << declined + full("coder") << 0 << stage2 << u"disk-full"_s << false;
        QTest::newRow("stage 2: cut short") << declined + cutBy("coder") << 0 << stage2 << u"source-truncated"_s << true;
        QTest::newRow("stage 2: stopped") << declined + "coder write\ncoder hang\n" << 3 << stage2 << u"stopped"_s << false;
    }

    void everyOrderOfRuns()
    {
        QFETCH(QByteArray, script);
        QFETCH(int, stopAtRun);
        QFETCH(QStringList, images);
        QFETCH(QString, outcome);
        QFETCH(bool, kept);
        Fixture f;
        f.settings.selectFormat(5);
        f.options.choices.remux = true;
        f.addSource(u"talk.flv"_s, script);
        QSignalSpy finished(&f.driver, &BatchDriver::batchFinished);
        QVERIFY(f.driver.start());
        if (stopAtRun > 0) {
            // The run to stop has begun (it hangs until stopped).
            QTRY_COMPARE_WITH_TIMEOUT(startedImages(f.log).size(), qsizetype(stopAtRun), 10000);
            f.driver.stop();
        }
        QVERIFY(finished.wait(15000));
        const std::optional<BatchSummary> summary = finished.at(0).at(0).value<BatchSummary>();
        QCOMPARE(startedImages(f.log), images);
        const QString ended = summary->stopped ? u"stopped"_s
            : summary->failed.isEmpty()        ? u"converted"_s
                                               : failureCodeName(summary->failed.at(0).code);
        QCOMPARE(ended, outcome);
        QCOMPARE(QFileInfo::exists(f.dir.filePath(u"out/talk-1479.mov"_s)), kept);
        if (outcome == u"disk-full"_s) // the folder the failing run wrote to: the output folder's disk
            QVERIFY(!summary->failed.at(0).reason.contains(u"临时"_s));
        const QString intermediate = f.driver.workers().at(0)->intermediateFolder() + u"/tmp.mp4"_s;
        QVERIFY(!QFileInfo::exists(intermediate));
    }

    // Outputs keep their source's date unless told not to, a partial output
    // kept from a source cut short too.
    void datesFollowTheSource()
    {
        for (const bool keep : {true, false}) {
            Fixture f;
            f.settings.selectFormat(8);
            f.options.choices.keepDates = keep;
            QVERIFY(makeOld(f.addSource(u"whole.flv"_s)));
            QVERIFY(makeOld(f.addSource(u"cut.flv"_s,
                                        "coder write\ncoder keep\n"
                                        "coder print coder: failure source-truncated output=\"cut-1479.mp3\"\\n\n"
                                        "coder exit 10\n")));
            QSignalSpy finished(&f.driver, &BatchDriver::batchFinished);
            QVERIFY(f.driver.start());
            QVERIFY(finished.wait(15000));
            QCOMPARE(finished.at(0).at(0).value<BatchSummary>().failed.size(), 1);
            for (const QString &output : {u"out/whole-1479.mp3"_s, u"out/cut-1479.mp3"_s}) {
                const qint64 date = modified(f.dir.filePath(output));
                QVERIFY2(keep ? date == kOldDate : date > kOldDate + 86400 * 365, qPrintable(output));
            }
        }
    }

    // A folder's files go into its subfolders under the output folder; a
    // file standing where a subfolder goes stays, and its row fails.
    void keepTreeMirrorsFolders()
    {
        Fixture f;
        f.settings.selectFormat(8);
        f.options.choices.keepTree = true;
        const QByteArray root = QFile::encodeName(f.dir.filePath(u"in"_s));
        for (const QString &name : {u"in/clip.flv"_s, u"in/a/clip.flv"_s, u"in/b/c/clip.flv"_s}) {
            QDir().mkpath(QFileInfo(f.dir.filePath(name)).path());
            writeScript(f.dir.filePath(name), {});
            f.list.append(QFile::encodeName(f.dir.filePath(name)), true, root);
        }
        QDir().mkpath(f.dir.filePath(u"out"_s));
        writeScript(f.dir.filePath(u"out/b"_s), "a file, not a folder");
        QSignalSpy finished(&f.driver, &BatchDriver::batchFinished);
        QVERIFY(f.driver.start());
        QVERIFY(finished.wait(15000));
        const BatchSummary summary = finished.at(0).at(0).value<BatchSummary>();
        QVERIFY(QFileInfo::exists(f.dir.filePath(u"out/clip-1479.mp3"_s)));
        QVERIFY(QFileInfo::exists(f.dir.filePath(u"out/a/clip-1479.mp3"_s)));
        QCOMPARE(summary.failed.size(), 1);
        QCOMPARE(summary.failed.at(0).code, FailureCode::OutputUnwritable);
        QVERIFY(summary.failed.at(0).reason.contains(f.dir.filePath(u"out/b/c/"_s)));
        QVERIFY(QFileInfo(f.dir.filePath(u"out/b"_s)).isFile());
    }
};

QTEST_GUILESS_MAIN(TestChoices)
#include "tst_choices.moc"
