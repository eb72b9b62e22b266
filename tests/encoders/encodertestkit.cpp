#include "encodertestkit.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace sonvera::testkit {

QString programFolder()
{
    return qEnvironmentVariable("SONVERA_PROGRAM_DIR");
}

QStringList Run::lines() const
{
    static const QRegularExpression kEnds(u"[\r\n]"_s);
    QStringList all = output.split(kEnds, Qt::SkipEmptyParts);
    all.removeIf([](const QString &l) { return l.trimmed().isEmpty(); });
    return all;
}

QString Run::lastLine() const
{
    const QStringList all = lines();
    return all.isEmpty() ? QString() : all.last();
}

Run runProgram(const QString &program, const QStringList &arguments, int timeoutMs, const std::optional<QString> &path)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setStandardInputFile(QProcess::nullDevice());
    if (path) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"PATH"_s, *path);
        p.setProcessEnvironment(env);
    }
    p.start(program, arguments);
    Run run;
    run.finished = p.waitForFinished(timeoutMs);
    if (!run.finished)
        p.kill();
    run.output = QString::fromUtf8(p.readAll());
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    return run;
}

bool makeSource(const QString &path, const QStringList &arguments)
{
    QStringList args{u"-nostdin"_s, u"-v"_s, u"error"_s, u"-y"_s};
    args << arguments << path;
    const Run run = runProgram(u"ffmpeg"_s, args);
    if (run.exitCode != 0)
        qWarning().noquote() << "ffmpeg could not make" << path << run.output;
    return run.exitCode == 0;
}

Probe probe(const QString &path)
{
    const Run run = runProgram(u"ffprobe"_s, {u"-v"_s, u"error"_s, u"-of"_s, u"json"_s, u"-show_format"_s,
                                              u"-show_streams"_s, path});
    Probe p;
    if (run.exitCode != 0)
        return p;
    const QJsonObject root = QJsonDocument::fromJson(run.output.toUtf8()).object();
    const QJsonObject format = root.value(u"format"_s).toObject();
    p.ok = !format.isEmpty();
    p.formatName = format.value(u"format_name"_s).toString();
    p.majorBrand = format.value(u"tags"_s).toObject().value(u"major_brand"_s).toString();
    p.duration = format.value(u"duration"_s).toString().toDouble();
    for (const QJsonValue &value : root.value(u"streams"_s).toArray()) {
        const QJsonObject s = value.toObject();
        const QString type = s.value(u"codec_type"_s).toString();
        if (type == u"video" && p.videoCodec.isEmpty()) {
            p.videoCodec = s.value(u"codec_name"_s).toString();
            p.size = QSize(s.value(u"width"_s).toInt(), s.value(u"height"_s).toInt());
            p.frameRate = s.value(u"r_frame_rate"_s).toString();
        } else if (type == u"audio" && p.audioCodec.isEmpty()) {
            p.audioCodec = s.value(u"codec_name"_s).toString();
            p.sampleRate = s.value(u"sample_rate"_s).toString().toInt();
            p.channels = s.value(u"channels"_s).toInt();
            p.audioBitrate = s.value(u"bit_rate"_s).toString().toLongLong();
        }
    }
    return p;
}

namespace {

CommandContext contextFor(const QString &workFolder, std::optional<ClipRange> clip)
{
    CommandContext c;
    c.programFolder = programFolder();
    c.workFolder = workFolder;
    c.clock = QTime::currentTime();
    c.fileExists = [](const QString &path) { return QFileInfo::exists(path); };
    c.mp3Clip = clip;
    return c;
}

} // namespace

Conversion convert(const QString &source, const QString &outputFolder, const QString &workFolder,
                   const ConversionSettings &settings, std::optional<ClipRange> clip)
{
    const CommandContext context = contextFor(workFolder, clip);
    const QString folder = outputFolder.endsWith(u'/') ? outputFolder : outputFolder + u'/';
    const EncoderCommand first = buildFirstStageCommand(source, folder, settings, context);
    Conversion c;
    c.first = runProgram(first.program, first.arguments);
    c.outputPath = first.outputPath;
    if (c.first.exitCode != 0)
        return c;
    const EncoderCommand second = buildSecondStageCommand(source, folder, settings, context);
    if (second.isEmpty()) {
        c.ok = true;
        return c;
    }
    c.outputPath = second.outputPath;
    c.second = runProgram(second.program, second.arguments);
    c.ok = c.second.exitCode == 0;
    return c;
}

Conversion convertSecondStage(const QString &source, const QString &outputFolder, const QString &workFolder,
                              const ConversionSettings &settings)
{
    const EncoderCommand second = buildSecondStageCommand(source, outputFolder, settings, contextFor(workFolder, std::nullopt));
    Conversion c;
    c.first.finished = true;
    c.first.exitCode = 0;
    c.outputPath = second.outputPath;
    c.second = runProgram(second.program, second.arguments);
    c.ok = c.second.exitCode == 0;
    return c;
}

QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace sonvera::testkit
