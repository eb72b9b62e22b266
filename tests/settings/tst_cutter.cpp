// The clip range end to end: an MP3 conversion with the cutter on, run by the
// program folder's real encoder, lasts END - START seconds.
#include "appoptions.h"
#include "encodercommands.h"
#include "formats.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

Q_DECLARE_METATYPE(sonvera::AppOptions)

namespace {

constexpr int kSourceSeconds = 8;
constexpr int kRunTimeoutMs = 60000;

QString programFolder()
{
    return qEnvironmentVariable("SONVERA_PROGRAM_DIR");
}

// Runs a helper program to its end; its output goes into the test log on failure.
bool run(const QString &program, const QStringList &arguments, QByteArray *output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(kRunTimeoutMs);
    const QByteArray text = process.readAll();
    if (output)
        *output = text;
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qWarning().noquote() << program << arguments.join(u' ') << "failed:" << process.errorString() << '\n'
                             << QString::fromLocal8Bit(text.right(2000));
        return false;
    }
    return true;
}

// The length of a media file in seconds, as ffprobe reads it; negative on failure.
double durationOf(const QString &path)
{
    QByteArray out;
    if (!run(u"ffprobe"_s, {u"-v"_s, u"error"_s, u"-show_entries"_s, u"format=duration"_s, u"-of"_s,
                            u"default=noprint_wrappers=1:nokey=1"_s, path},
             &out))
        return -1;
    bool ok = false;
    const double seconds = out.trimmed().toDouble(&ok);
    return ok ? seconds : -1;
}

} // namespace

class TestCutter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!QFile::exists(programFolder() + u"/data/coder"_s))
            QSKIP("data/coder is not built in this program folder");
        QVERIFY2(!QStandardPaths::findExecutable(u"ffmpeg"_s).isEmpty(), "ffmpeg is needed (scripts/install-deps.sh)");
        QVERIFY(m_dir.isValid());
        // An FLV clip with sound and picture, as the window usually gets.
        m_source = m_dir.filePath(u"clip.flv"_s);
        QVERIFY(run(u"ffmpeg"_s, {u"-hide_banner"_s, u"-loglevel"_s, u"error"_s, u"-y"_s,
                                  u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=frequency=440:duration=%1"_s.arg(kSourceSeconds),
                                  u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=size=160x120:rate=15:duration=%1"_s.arg(kSourceSeconds),
                                  u"-shortest"_s, m_source}));
    }

    void mp3Output_data()
    {
        QTest::addColumn<AppOptions>("options");
        QTest::addColumn<double>("seconds");
        QTest::newRow("cutter on, 2-5") << AppOptions{0, 1, 2, 5} << 3.0;
        QTest::newRow("cutter off") << AppOptions{0, 0, 2, 5} << double(kSourceSeconds);
        QTest::newRow("end not after start") << AppOptions{0, 1, 5, 5} << double(kSourceSeconds);
    }

    void mp3Output()
    {
        QFETCH(AppOptions, options);
        QFETCH(double, seconds);

        const QString out = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_'));
        CommandContext ctx;
        ctx.programFolder = programFolder();
        ctx.workFolder = m_dir.path();
        ctx.clock = QTime(14, 7, 9);
        ctx.mp3Clip = options.mp3Clip();
        ConversionSettings settings = ConversionSettings::startupDefaults(out);
        settings.selectFormat(kMp3Format);
        const EncoderCommand command = buildFirstStageCommand(m_source, out + u'/', settings, ctx);
        QVERIFY(QDir().mkpath(out));
        QVERIFY(run(command.program, command.arguments));

        const double duration = durationOf(command.outputPath);
        QVERIFY2(qAbs(duration - seconds) <= 0.3,
                 qPrintable(u"%1 lasts %2 s, expected %3 s"_s.arg(command.outputPath).arg(duration).arg(seconds)));
    }

private:
    QTemporaryDir m_dir;
    QString m_source;
};

QTEST_GUILESS_MAIN(TestCutter)
#include "tst_cutter.moc"
