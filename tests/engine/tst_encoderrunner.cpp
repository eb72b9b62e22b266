#include "encoderrunner.h"
#include "failurecatalogue.h"
#include "fakeencoder.h"

#include <QSignalSpy>
#include <QTest>

#include <cstring>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

namespace {

// A command that runs the fake encoder as "coder" on a script.
EncoderCommand scripted(const FakeProgramFolder &program, const QString &scriptPath, const QString &output)
{
    EncoderCommand c;
    c.program = program.path() + u"/data/coder"_s;
    c.arguments = QStringList{u"-i"_s, scriptPath, output};
    c.text = c.program + u" -i "_s + scriptPath + u" \""_s + output + u'"';
    c.outputStyle = OutputStyle::Ffmpeg;
    c.encoderImage = u"coder"_s;
    c.outputPath = output;
    return c;
}

} // namespace

class TestEncoderRunner : public QObject {
    Q_OBJECT

private:
    FakeProgramFolder m_program;
    QTemporaryDir m_work;

    // Runs a script to its end; returns the spies' counts through the runner.
    struct Run {
        QStringList chunks;
        int over = 0;
        QStringList failures;
    };

    Run runScript(EncoderRunner &runner, const QByteArray &script, const QString &name = u"s.txt"_s)
    {
        const QString path = writeScript(m_work.filePath(name), script);
        runner.setCommand(scripted(m_program, path, m_work.filePath(name + u".out"_s)));
        Run run;
        QSignalSpy over(&runner, &EncoderRunner::finished);
        QSignalSpy failed(&runner, &EncoderRunner::startFailed);
        connect(&runner, &EncoderRunner::outputReceived, this, [&run](const QString &c) { run.chunks << c; });
        runner.start();
        [&] { QTRY_VERIFY_WITH_TIMEOUT(over.count() > 0 || failed.count() > 0, 10000); }();
        QTest::qWait(20); // nothing may follow the end
        runner.disconnect(this);
        run.over = static_cast<int>(over.count());
        for (const auto &args : failed)
            run.failures << args.at(0).toString();
        return run;
    }

private Q_SLOTS:
    void endings_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<int>("ending");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("succeeded");
        QTest::addColumn<QString>("reason"); // the catalogue's words for a failure

        QTest::newRow("exit 0") << QByteArray("coder print a\\nb\\n\ncoder vanish\n") << int(EncoderRunner::Ending::Exited)
                                << 0 << true << QString();
        // The English line is for people at a terminal: the user reads our words.
        QTest::newRow("exit 1 with an English line")
            << QByteArray("coder print time=1.00\\r\ncoder eprint coder: \"/v/a.flv\": no audio stream\\n\ncoder exit 1\n")
            << int(EncoderRunner::Ending::Exited) << 1 << false << u"转换失败：coder 出错退出（退出码 1）"_s;
        QTest::newRow("exit 10 with its failure line")
            << QByteArray("coder eprint coder: failure source-truncated source-end=10.52 converted=10.4 declared=33.04 output=\"a\\\\nb-1.mp3\"\\n\n"
                          "coder eprint coder: \"/o/a-1.mp3\": the source ends at 10.5 s\\n\ncoder exit 10\n")
            << int(EncoderRunner::Ending::Exited) << 10 << false
            << u"源文件在 0:11 处中断，可能没有下载完；只转换了前 10 秒，已保存为 a\nb-1.mp3"_s;
        QTest::newRow("exit 2 silently") << QByteArray("coder exit 2\n") << int(EncoderRunner::Ending::Exited) << 2
                                         << false << u"参数无法使用，请检查视频和音频参数后重试"_s;
        QTest::newRow("crash after a status line")
            << QByteArray("coder print size= 1kB time=1.00\\r\ncoder crash\n") << int(EncoderRunner::Ending::Crashed)
            << 11 << false << u"coder 意外退出 (信号 11)"_s;
        QTest::newRow("nothing printed") << QByteArray("coder vanish\n") << int(EncoderRunner::Ending::Exited) << 0
                                         << true << QString();
    }

    void endings()
    {
        QFETCH(QByteArray, script);
        EncoderRunner runner;
        const Run run = runScript(runner, script);
        QCOMPARE(run.over, 1);
        QVERIFY(run.failures.isEmpty());
        QTEST(int(runner.ending()), "ending");
        QTEST(runner.succeeded(), "succeeded");
        QTEST(runner.exitCode(), "exitCode");
        if (!runner.succeeded()) {
            const EncoderReport failure = runner.failure();
            QTEST(failureText(failure.code, failure.facts), "reason");
        }
        QCOMPARE(run.chunks.join(QString()), runner.output());
        QVERIFY(!runner.isRunning());
    }

    void startFailures()
    {
        EncoderRunner runner;
        QSignalSpy over(&runner, &EncoderRunner::finished);
        QSignalSpy failed(&runner, &EncoderRunner::startFailed);

        QVERIFY(!runner.start()); // nothing stored
        QVERIFY(failed.isEmpty());         // never from inside the call
        QTRY_COMPARE(failed.count(), 1);
        QCOMPARE(failed.at(0).at(0).toString(), u"Command Line empty"_s);

        EncoderCommand missing = scripted(m_program, u"/nowhere"_s, u"/nowhere.out"_s);
        missing.program = m_program.path() + u"/data/no-such-encoder"_s;
        runner.setCommand(missing);
        QVERIFY(!runner.start());
        QTRY_COMPARE(failed.count(), 2);
        const QString message = failed.at(1).at(0).toString();
        // The catalogue's words, in the user's language, with the path and the system's reason.
        QCOMPARE(runner.startFailure().code, FailureCode::EncoderMissing);
        QCOMPARE(message, failureText(FailureCode::EncoderMissing, runner.startFailure().facts));
        QVERIFY(message.contains(missing.program));
        QVERIFY2(message.contains(QString::fromLocal8Bit(std::strerror(ENOENT))), qPrintable(message));

        // A file that is there but cannot be run.
        const QString plain = writeScript(m_work.filePath(u"plain"_s), "not a program");
        missing.program = plain;
        runner.setCommand(missing);
        QVERIFY(!runner.start());
        QTRY_COMPARE(failed.count(), 3);
        QCOMPARE(runner.startFailure().code, FailureCode::EncoderMissing);
        QTest::qWait(20);
        QCOMPARE(over.count(), 0);
    }

    // The system refuses the start (no file descriptor left for the pipes):
    // QProcess reports it from inside its start, the runner from the event
    // loop, and in our words, not as a file that was not found.
    void aStartTheSystemRefusesIsReportedLater()
    {
        EncoderRunner runner;
        QSignalSpy failed(&runner, &EncoderRunner::startFailed);
        runner.setCommand(scripted(m_program, writeScript(m_work.filePath(u"r.txt"_s), "coder vanish\n"),
                                   m_work.filePath(u"r.out"_s)));
        rlimit saved{};
        QVERIFY(::getrlimit(RLIMIT_NOFILE, &saved) == 0);
        rlimit low = saved;
        low.rlim_cur = 64;
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &low) == 0);
        QList<int> fillers;
        for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
            fillers << fd;
        const bool started = runner.start();
        const qsizetype failedInside = failed.size();
        for (int fd : std::as_const(fillers))
            ::close(fd);
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &saved) == 0);
        QCOMPARE(failedInside, 0);
        QVERIFY(!started);
        QTRY_COMPARE(failed.size(), 1);
        QVERIFY(!runner.isRunning());
        QCOMPARE(failed.at(0).at(0).toString(), failureText(FailureCode::TooManyFiles));
        QCOMPARE(runner.startFailure().code, FailureCode::TooManyFiles);
    }

    void chunksAreAtMost1024BytesAndLoseNothing()
    {
        EncoderRunner runner;
        // 700 three-byte characters: boundaries fall inside characters.
        const Run run = runScript(runner, "coder bytes 5000\ncoder utf8 700\ncoder print end\ncoder vanish\n");
        QCOMPARE(run.over, 1);
        QVERIFY(run.chunks.size() >= 7);
        for (const QString &chunk : run.chunks)
            QVERIFY(chunk.toUtf8().size() <= EncoderRunner::kChunkBytes);
        const QString all = run.chunks.join(QString());
        QCOMPARE(all, QString(5000, u'x') + QString(700, u'转') + u"end"_s);
    }

    void outputIsBounded()
    {
        EncoderRunner runner;
        const Run run = runScript(runner, "coder print first\ncoder bytes 1000000\ncoder print last\ncoder vanish\n");
        QCOMPARE(run.over, 1);
        const QString kept = runner.output();
        QVERIFY(kept.size() <= 3 * EncoderRunner::kKeptOutputChars + 16);
        QVERIFY(kept.startsWith(u"first"_s));
        QVERIFY(kept.endsWith(u"last"_s));
    }

    void storedCommandRunsAgain()
    {
        EncoderRunner runner;
        runScript(runner, "coder print once\ncoder vanish\n");
        const QString line = runner.commandText();
        QSignalSpy over(&runner, &EncoderRunner::finished);
        QVERIFY(runner.start());
        QVERIFY(!runner.start()); // one run at a time
        QTRY_COMPARE(over.count(), 1);
        QCOMPARE(runner.commandText(), line);
        QCOMPARE(runner.output(), u"once"_s);
    }

    void stop_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::newRow("asked to end") << QByteArray("coder print working\\r\ncoder hang\n");
        QTest::newRow("ignores the request: killed") << QByteArray("coder ignoreterm\ncoder print working\\r\ncoder hang\n");
    }

    void stop()
    {
        QFETCH(QByteArray, script);
        EncoderRunner runner;
        runner.setStopGrace(300);
        const QString path = writeScript(m_work.filePath(u"stop.txt"_s), script);
        runner.setCommand(scripted(m_program, path, m_work.filePath(u"stop.out"_s)));
        QSignalSpy output(&runner, &EncoderRunner::outputReceived);
        QSignalSpy over(&runner, &EncoderRunner::finished);
        QVERIFY(runner.start());
        QTRY_VERIFY(output.count() > 0);
        runner.stop();
        QCOMPARE(over.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(over.count(), 1, 5000);
        QCOMPARE(runner.ending(), EncoderRunner::Ending::Stopped);
        QVERIFY(!runner.succeeded());
        QCOMPARE(runner.failure().code, FailureCode::Stopped);
        QTest::qWait(400);
        QCOMPARE(over.count(), 1);
    }

};

QTEST_GUILESS_MAIN(TestEncoderRunner)
#include "tst_encoderrunner.moc"
