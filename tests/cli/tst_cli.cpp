#include "fakeencoder.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

class TestCli : public QObject {
    Q_OBJECT

    // A program folder holding a copy of sonvera-cli and the stand-in encoders.
    struct Fixture {
        Fixture()
        {
            cli = program.path() + u"/sonvera-cli"_s;
            QFile::copy(QStringLiteral(SONVERA_CLI_PATH), cli);
            QFile::setPermissions(cli, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            out = dir.filePath(u"out"_s);
        }

        QString source(const QString &name, const QByteArray &script = {})
        {
            QDir().mkpath(QFileInfo(dir.filePath(name)).path());
            return writeScript(dir.filePath(name), script);
        }

        Result run(const QStringList &args, const QByteArray &openGateAt = {})
        {
            return runProgram(cli, args, openGateAt);
        }

        // Runs a program to its end. With `openGateAt`, the file gate() is made
        // once the standard output holds that text: a script that says
        // "await <gate()>" goes on only then.
        Result runProgram(const QString &executable, const QStringList &args, const QByteArray &openGateAt = {})
        {
            QProcess p;
            p.start(executable, args);
            QByteArray printed;
            const QDeadlineTimer deadline(20000);
            while (!p.waitForFinished(50) && p.state() != QProcess::NotRunning && !deadline.hasExpired()) {
                printed += p.readAllStandardOutput();
                if (!openGateAt.isEmpty() && printed.contains(openGateAt))
                    QFile(gate()).open(QIODevice::WriteOnly);
            }
            printed += p.readAllStandardOutput();
            const bool ended = p.state() == QProcess::NotRunning && p.exitStatus() == QProcess::NormalExit;
            return {ended ? p.exitCode() : -1, QString::fromUtf8(printed), QString::fromUtf8(p.readAllStandardError())};
        }

        QString gate() const { return dir.filePath(u"gate"_s); }
        QByteArray awaitGate() const { return "coder await " + QFile::encodeName(gate()) + '\n'; }

        QTemporaryDir dir;
        FakeProgramFolder program;
        QString cli;
        QString out;
    };

private Q_SLOTS:
    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("no input") << QStringList{} << u"no input file given"_s;
        QTest::newRow("unknown format") << QStringList{u"-f"_s, u"ogg"_s, u"a.flv"_s} << u"unknown format 'ogg'"_s;
        QTest::newRow("format out of range") << QStringList{u"-f"_s, u"9"_s, u"a.flv"_s} << u"unknown format '9'"_s;
        QTest::newRow("channels") << QStringList{u"--channels"_s, u"3"_s, u"a.flv"_s} << u"--channels takes 1 or 2"_s;
        QTest::newRow("cut backwards") << QStringList{u"--cut"_s, u"30-10"_s, u"a.flv"_s} << u"end time must lie after"_s;
        QTest::newRow("cut garbage") << QStringList{u"--cut"_s, u"abc"_s, u"a.flv"_s} << u"--cut takes START-END"_s;
        QTest::newRow("unknown option") << QStringList{u"--bogus"_s, u"a.flv"_s} << u"bogus"_s;
        QTest::newRow("jobs not a number") << QStringList{u"-j"_s, u"two"_s, u"a.flv"_s} << u"--jobs takes"_s;
        QTest::newRow("jobs negative") << QStringList{u"--jobs"_s, u"-1"_s, u"a.flv"_s} << u"--jobs takes"_s;
        // A setting the format would not use is refused, not replaced in silence.
        QTest::newRow("fixed by the format")
            << QStringList{u"-f"_s, u"mov"_s, u"--audio-bitrate"_s, u"64"_s, u"a.flv"_s}
            << u"--audio-bitrate 64 does not apply: MOV(QuickTime) does not use this setting"_s;
        QTest::newRow("fixed for the kept size")
            << QStringList{u"-f"_s, u"rmvb"_s, u"--size"_s, u"original"_s, u"--video-bitrate"_s, u"300"_s, u"a.flv"_s}
            << u"--video-bitrate 300 does not apply: With the original size, RMVB"_s;
        QTest::newRow("size not kept") << QStringList{u"-f"_s, u"3gp"_s, u"--size"_s, u"original"_s, u"a.flv"_s}
                                       << u"--size original does not apply: 3GP(Mobile 3GP) cannot keep"_s;
        QTest::newRow("sound only") << QStringList{u"-f"_s, u"mp3"_s, u"--frame-rate"_s, u"15"_s, u"a.flv"_s}
                                    << u"--frame-rate 15 does not apply"_s;
        QTest::newRow("cut without MP3") << QStringList{u"--cut"_s, u"5-9"_s, u"a.flv"_s} << u"--cut 5-9 does not apply"_s;
        QTest::newRow("json dry run") << QStringList{u"--json"_s, u"-n"_s, u"a.flv"_s} << u"--json cannot be used with"_s;
    }

    void usageErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        Fixture f;
        const Result r = f.run(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
    }

    void nothingFound()
    {
        Fixture f;
        QDir().mkpath(f.dir.filePath(u"empty"_s));
        const Result r = f.run({f.dir.filePath(u"empty"_s), f.dir.filePath(u"missing.flv"_s)});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.contains(u"no .flv file found"_s));
        QVERIFY(r.err.contains(u"no such file or folder"_s));
    }

    void dryRunPrintsTheCommandLines_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("linesPerFile");
        QTest::addColumn<QString>("firstLinePattern"); // with %P program folder, %S source, %O output folder
        QTest::newRow("MP3 with overrides")
            << QStringList{u"-f"_s, u"mp3"_s, u"--audio-rate"_s, u"22050"_s, u"--audio-bitrate"_s, u"64"_s,
                           u"--channels"_s, u"1"_s}
            << 1 << u"%P/data/coder -i \"%S\" -y -vn -ar 22050 -ab 64k -ac 1 \"%O/my clip-"_s;
        QTest::newRow("MP3 cut")
            << QStringList{u"-f"_s, u"8"_s, u"--cut"_s, u"0:05-1:00"_s}
            << 1 << u"%P/data/coder -i \"%S\" -y -vn -ar 48000 -ab 320k -ac 2 -ss 5 -to 60 \"%O/my clip-"_s;
        QTest::newRow("MPG preset, frame rate override")
            << QStringList{u"-f"_s, u"mpg"_s, u"--frame-rate"_s, u"15"_s}
            << 1 << u"%P/data/conv \"%S\" -oac lavc -lavcopts acodec=mp2:abitrate=64 -ovc lavc -lavcopts vcodec=mpeg1video:vbitrate=600:vpass=1 -ofps 15 -of lavf -lavfopts format=yuv4mpeg -o \"%O/my clip-"_s;
        QTest::newRow("RM two stages")
            << QStringList{u"-f"_s, u"rm"_s, u"--size"_s, u"320x240"_s}
            << 2 << u"%P/data/conv \"%S\" -oac mp3lame -lameopts preset=320 -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=1200 -of avi -o /"_s;
    }

    void dryRunPrintsTheCommandLines()
    {
        QFETCH(QStringList, options);
        QFETCH(int, linesPerFile);
        QFETCH(QString, firstLinePattern);
        Fixture f;
        const QString a = f.source(u"in/my clip.flv"_s);
        const QString b = f.source(u"in/sub/my clip.FLV"_s);
        const Result r = f.run(options + QStringList{u"-n"_s, u"-o"_s, f.out, f.dir.filePath(u"in"_s)});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2 * linesPerFile);
        const QString expected = QString(firstLinePattern)
                                     .replace(u"%P"_s, f.program.path())
                                     .replace(u"%S"_s, a)
                                     .replace(u"%O"_s, f.out);
        QVERIFY2(lines.at(0).startsWith(expected), qPrintable(lines.at(0)));
        QVERIFY(lines.at(linesPerFile).contains(u'"' + b + u'"'));
        if (linesPerFile == 2)
            QVERIFY(lines.at(1).contains(u" -y -s 320x240 -vcodec rv10 -b 1200k -f rm -ar 44100 -ab 320k -ac 2 "_s));
        // Two files of the same base name get two names, as a real run would.
        const QString firstOut = lines.at(linesPerFile - 1).section(u'"', -2, -2);
        const QString secondOut = lines.at(2 * linesPerFile - 1).section(u'"', -2, -2);
        QVERIFY(firstOut != secondOut);
        QVERIFY(!QFileInfo::exists(f.out)); // nothing ran
    }

    // "original" stands for the keep-size entry, whatever the language.
    void originalSizeKeepsTheSourceSize()
    {
        Fixture f;
        const Result r = f.run({u"-n"_s, u"-f"_s, u"rm"_s, u"--size"_s, u"original"_s, u"-o"_s, f.out,
                                f.source(u"a.flv"_s)});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains(u" -y -vcodec rv10 -b 1200k -f rm  -ab 128k -ac 2 "_s), qPrintable(r.out));
    }

    void aBatchWithAFailure()
    {
        Fixture f;
        f.source(u"a.flv"_s);
        const QString broken = f.source(u"b.flv"_s, "coder write\ncoder eprint coder: failure no-audio\\n\ncoder eprint coder: \"b.flv\": no audio stream\\n\ncoder exit 6\n");
        f.source(u"c.flv"_s);
        const Result r = f.run({u"-f"_s, u"mp3"_s, u"-o"_s, f.out, f.dir.filePath(u"a.flv"_s), broken,
                                f.dir.filePath(u"c.flv"_s)});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(broken + u": The file has no sound, so it cannot become an MP3"_s), qPrintable(r.err));
        // Not a terminal: one line per finished file.
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.at(0).startsWith(u"[1/3] "_s));
        const QStringList outputs = QDir(f.out).entryList(QDir::Files);
        QCOMPARE(outputs.size(), 2);
        QVERIFY(outputs.at(0).startsWith(u"a-"_s) && outputs.at(1).startsWith(u"c-"_s));
    }

    // Several files at once: each file's line, as it ends, carries its own
    // number; a slow head does not hold the others back.
    void jobsConvertSeveralAtOnce()
    {
        Fixture f;
        // The head ends only once the others have been reported.
        const QStringList sources{f.source(u"a.flv"_s, f.awaitGate()), f.source(u"b.flv"_s), f.source(u"c.flv"_s)};
        const Result r = f.run(QStringList{u"-j"_s, u"2"_s, u"-f"_s, u"mp3"_s, u"-o"_s, f.out} + sources, "[3/3] ");
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QVERIFY2(lines.at(0).startsWith(u"[2/3] "_s + sources.at(1) + u" -> "_s), qPrintable(r.out));
        QVERIFY2(lines.at(1).startsWith(u"[3/3] "_s + sources.at(2) + u" -> "_s), qPrintable(r.out));
        QVERIFY2(lines.at(2).startsWith(u"[1/3] "_s + sources.at(0) + u" -> "_s), qPrintable(r.out));
        QCOMPARE(QDir(f.out).entryList(QDir::Files | QDir::Hidden).size(), 3);
    }

    // Three sources of one name with a line break in it, converted at once:
    // each report names the output that file really got, the break shown as "\n".
    void namesWithALineBreakAreReportedWhole()
    {
        Fixture f;
        QStringList sources;
        for (const QString &folder : {u"1"_s, u"2"_s, u"3"_s})
            sources << f.source(folder + u"/x\ny.flv"_s, "coder sleep 300\n");
        const Result r = f.run(QStringList{u"-j"_s, u"3"_s, u"-f"_s, u"mp3"_s, u"-o"_s, f.out} + sources);
        QCOMPARE(r.exitCode, 0);
        const QStringList written = QDir(f.out).entryList(QDir::Files);
        QCOMPARE(written.size(), 3);
        for (const QString &name : written)
            QVERIFY2(r.out.contains(u" -> "_s + f.out + u'/' + QString(name).replace(u'\n', u"\\n"_s) + u'\n'), qPrintable(r.out));
    }

    // A -j larger than the open files allow is lowered, said once, and
    // every file converts: none fails for want of a file descriptor.
    void manyJobsWithFewFileDescriptors()
    {
        Fixture f;
        for (int i = 0; i < 120; ++i)
            f.source(u"v/%1.flv"_s.arg(i), "coder sleep 50\n");
        QProcess p;
        p.start(u"bash"_s, {u"-c"_s, u"ulimit -n 256 && exec \"$0\" \"$@\""_s, f.cli, u"-q"_s, u"-j"_s, u"100"_s, u"-f"_s,
                            u"mp3"_s, u"-o"_s, f.out, f.dir.filePath(u"v"_s)});
        QVERIFY(p.waitForFinished(60000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QCOMPARE(p.exitCode(), 0);
        QVERIFY2(err.startsWith(u"sonvera-cli: converting "_s) && err.count(u'\n') == 1, qPrintable(err));
        QCOMPARE(QDir(f.out).entryList({u"*.mp3"_s}, QDir::Files).size(), 120);
    }

    // On a terminal, several files at once show the batch, not one file.
    void jobsOnATerminalShowTheBatch()
    {
        Fixture f;
        // Both stay half done until the batch's line has been shown.
        const QByteArray script = "coder print   Duration: 00:00:10.00, \\n\ncoder print time=5.00 \\r\n" + f.awaitGate();
        const QString a = f.source(u"a.flv"_s, script);
        const QString b = f.source(u"b.flv"_s, script);
        // script(1) gives the program a terminal of its own.
        QStringList command;
        for (const QString &word : {f.cli, u"-j"_s, u"2"_s, u"-f"_s, u"mp3"_s, u"-o"_s, f.out, a, b})
            command << QString(u"'%1'"_s).arg(word);
        const Result r = f.runProgram(u"script"_s, {u"-qec"_s, command.join(u' '), u"/dev/null"_s}, "Converting 2 files 50%");
        QCOMPARE(r.exitCode, 0);
        const QString &screen = r.out;
        QVERIFY2(screen.contains(u"Converting 2 files 50%"_s), qPrintable(screen));
        QVERIFY2(!screen.contains(u"创建中"_s), qPrintable(screen)); // no single file's caption
    }

    void allConverted()
    {
        Fixture f;
        f.source(u"v/a.flv"_s);
        f.source(u"v/b.flv"_s);
        const Result r = f.run({u"-q"_s, u"-f"_s, u"rmvb"_s, u"-o"_s, f.out, f.dir.filePath(u"v"_s)});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.isEmpty()); // quiet
        QCOMPARE(QDir(f.out).entryList({u"*.rmvb"_s}, QDir::Files).size(), 2);
    }

    // `sonvera-cli ... | head -1`: once nobody reads the standard output the
    // batch stops as after Ctrl-C, leaving the rest unconverted and nothing
    // half written.
    void aClosedOutputStopsTheBatch()
    {
        Fixture f;
        // b ends only once the reader of the first line has gone.
        const QStringList sources{f.source(u"a.flv"_s), f.source(u"b.flv"_s, "coder write\n" + f.awaitGate() + "coder exit 0\n"),
                                  f.source(u"c.flv"_s)};
        QProcess p;
        // The user's own pipeline; the exit status is sonvera-cli's.
        const QString pipeline = u"\"$0\" \"$@\" | { head -n 1; exec <&-; touch '%1'; }; exit ${PIPESTATUS[0]}"_s.arg(f.gate());
        p.start(u"bash"_s, QStringList{u"-c"_s, pipeline, f.cli, u"-f"_s, u"mp3"_s, u"-o"_s, f.out} + sources);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.readAllStandardOutput().count('\n'), 1);
        QCOMPARE(p.exitCode(), 141);
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(u"standard output was closed"_s));
        const QStringList left = QDir(f.out).entryList(QDir::Files | QDir::Hidden);
        QVERIFY2(left.size() <= 2 && !left.filter(u"c-"_s).size() && !left.filter(u".part"_s).size(), qPrintable(left.join(u' ')));
    }

    // --json: one event a line on the standard output, each a JSON object;
    // the words for people on the standard error.
    void jsonEvents()
    {
        Fixture f;
        // The encoder's position goes back once; the events' never does.
        const QString good = f.source(u"good.flv"_s, "coder print   Duration: 00:00:10.00, \\n\ncoder print time=2.50 \\r\n"
                                                       "coder sleep 200\ncoder print time=1.00 \\r\ncoder sleep 200\n"
                                                       "coder print time=7.50 \\r\n");
        const QString broken = f.source(u"b.flv"_s, "coder write\ncoder eprint coder: failure no-audio\\n\ncoder exit 6\n");
        const QByteArray gbk = QFile::encodeName(f.dir.path()) + "/\xca\xd3\xc6\xb5.flv"; // 视频.flv in GBK
        QVERIFY(::close(::open(gbk.constData(), O_WRONLY | O_CREAT, 0600)) == 0);
        // The GBK name's bytes reach sonvera-cli only through a shell.
        QProcess p;
        p.start(u"bash"_s, {u"-c"_s, u"exec \"$0\" --json -f mp3 -o \"$1\" \"$2\" \"$3\" \"$(printf '%s/\\312\\323\\306\\265.flv' \"$4\")\" \"$4/gone.flv\""_s,
                            f.cli, f.out, good, broken, f.dir.path()});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(p.readAllStandardError().contains("failed"));
        QMap<QString, QList<QJsonObject>> events; // by file
        for (const QByteArray &line : p.readAllStandardOutput().split('\n')) {
            if (line.isEmpty())
                continue;
            QJsonParseError error{};
            const QJsonDocument document = QJsonDocument::fromJson(line, &error);
            QVERIFY2(error.error == QJsonParseError::NoError && document.isObject(), line.constData());
            events[document.object().value(u"file"_s).toString()] << document.object();
        }
        const auto names = [](const QList<QJsonObject> &list) {
            QStringList out;
            for (const QJsonObject &event : list)
                out << event.value(u"event"_s).toString();
            return out;
        };
        const QList<QJsonObject> goodEvents = events.value(good);
        QVERIFY2(goodEvents.size() >= 3 && names(goodEvents).first() == u"started"_s && names(goodEvents).last() == u"converted"_s,
                 qPrintable(names(goodEvents).join(u' ')));
        double fraction = 0;
        for (const QJsonObject &progress : goodEvents.mid(1, goodEvents.size() - 2)) {
            QCOMPARE(progress.value(u"event"_s).toString(), u"progress"_s);
            QVERIFY(progress.value(u"fraction"_s).toDouble() > fraction && progress.value(u"fraction"_s).toDouble() <= 1);
            fraction = progress.value(u"fraction"_s).toDouble();
        }
        QVERIFY(QFileInfo::exists(goodEvents.last().value(u"output"_s).toString()));
        QCOMPARE(names(events.value(broken)), (QStringList{u"started"_s, u"failed"_s}));
        QCOMPARE(events.value(broken).at(1).value(u"code"_s).toString(), u"no-audio"_s);
        QVERIFY(!events.value(broken).at(1).value(u"reason"_s).toString().isEmpty());
        QCOMPARE(events.value(f.dir.filePath(u"gone.flv"_s)).value(0).value(u"code"_s).toString(), u"source-missing"_s);
        // A name that is not UTF-8: shown, and its bytes whole.
        const QList<QJsonObject> gbkEvents = events.value(f.dir.filePath(u"视频.flv"_s));
        QCOMPARE(names(gbkEvents).last(), u"converted"_s);
        QCOMPARE(QByteArray::fromBase64(gbkEvents.at(0).value(u"file_base64"_s).toString().toLatin1()), gbk);
    }

    // A relative name given inside a folder whose name is not UTF-8.
    void relativeNamesInAFolderThatIsNotUtf8()
    {
        Fixture f;
        const QByteArray folder = QFile::encodeName(f.dir.path()) + "/\xca\xd3\xc6\xb5";
        QVERIFY(::mkdir(folder.constData(), 0700) == 0);
        const QByteArray source = folder + "/a.flv";
        QVERIFY(::close(::open(source.constData(), O_WRONLY | O_CREAT, 0600)) == 0);
        QProcess p;
        p.setChildProcessModifier([folder] { [[maybe_unused]] const int ignored = ::chdir(folder.constData()); });
        p.start(f.cli, {u"-q"_s, u"-f"_s, u"mp3"_s, u"-o"_s, f.out, u"a.flv"_s});
        QVERIFY(p.waitForFinished(20000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        QCOMPARE(QDir(f.out).entryList({u"a-*.mp3"_s}, QDir::Files).size(), 1);
    }

    void interruptedLeavesNothingHalfWritten()
    {
        Fixture f;
        const QString slow = f.source(u"slow.flv"_s, "coder write\ncoder print time=1.00 \\r\ncoder hang\n");
        QProcess p;
        p.start(f.cli, {u"-f"_s, u"mp3"_s, u"-o"_s, f.out, slow});
        // The encoder's hidden part file is there: it is mid-stage.
        const auto partFiles = [&f] { return QDir(f.out).entryList(QDir::Files | QDir::Hidden); };
        QTRY_VERIFY_WITH_TIMEOUT(!partFiles().isEmpty(), 10000);
        ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 130);
        QVERIFY(partFiles().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
