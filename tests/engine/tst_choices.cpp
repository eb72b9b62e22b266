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
