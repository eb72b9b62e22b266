#include "encodertestkit.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <QtEndian>

#include <cstring>

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
    if (!run.finished) {
        p.kill();
        p.waitForFinished();
    }
    run.output = QString::fromUtf8(p.readAll());
    run.exitCode = run.finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
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
    const QJsonObject tags = format.value(u"tags"_s).toObject();
    for (auto it = tags.begin(); it != tags.end(); ++it)
        p.tags.insert(it.key().toLower(), it.value().toString());
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

QStringList packets(const QString &path, const QString &stream)
{
    const Run run = runProgram(u"ffmpeg"_s, {u"-nostdin"_s, u"-v"_s, u"error"_s, u"-i"_s, path, u"-map"_s, u"0:"_s + stream + u":0"_s,
                                             u"-c"_s, u"copy"_s, u"-f"_s, u"framemd5"_s, u"-"_s});
    QStringList list;
    for (const QString &line : run.output.split(u'\n')) {
        const QStringList fields = line.split(u',');
        // A packet's side data (an MP3's samples to skip) may follow: it is no part of the packet.
        if (!line.startsWith(u'#') && fields.size() >= 6)
            list << fields[4].trimmed() + u' ' + fields[5].trimmed();
    }
    return list;
}

Timing timing(const QString &path, bool played)
{
    Timing t;
    const Run packets = runProgram(u"ffprobe"_s, {u"-v"_s, u"error"_s, u"-of"_s, u"json"_s, u"-show_entries"_s,
                                                  u"stream=index,codec_type,avg_frame_rate:packet=stream_index,pts_time,dts_time,duration_time"_s,
                                                  u"-show_packets"_s, path});
    if (packets.exitCode != 0)
        return t;
    const QJsonObject root = QJsonDocument::fromJson(packets.output.toUtf8()).object();
    QMap<int, QString> kinds;
    double frameDuration = 0;
    for (const QJsonValue &value : root.value(u"streams"_s).toArray()) {
        const QJsonObject s = value.toObject();
        kinds[s.value(u"index"_s).toInt()] = s.value(u"codec_type"_s).toString();
        const QStringList rate = s.value(u"avg_frame_rate"_s).toString().split(u'/');
        if (s.value(u"codec_type"_s).toString() == u"video" && rate.size() == 2 && rate[0].toDouble() > 0)
            frameDuration = rate[1].toDouble() / rate[0].toDouble();
    }
    double audioSpanEnd = -1;
    for (const QJsonValue &value : root.value(u"packets"_s).toArray()) {
        const QJsonObject p = value.toObject();
        const QJsonValue time = p.contains(u"pts_time"_s) ? p.value(u"pts_time"_s) : p.value(u"dts_time"_s);
        if (time.isUndefined())
            continue;
        const double at = time.toString().toDouble();
        const double duration = p.value(u"duration_time"_s).toString().toDouble();
        const QString kind = kinds.value(p.value(u"stream_index"_s).toInt());
        if (kind == u"video") {
            t.videoEnd = std::max(t.videoEnd, at + (duration > 0 ? duration : frameDuration));
        } else if (kind == u"audio") {
            t.audioStart = t.audioStart < 0 ? at : std::min(t.audioStart, at);
            audioSpanEnd = std::max(audioSpanEnd, at + duration);
        }
    }
    t.ok = true;
    if (t.audioStart < 0 && audioSpanEnd < 0)
        return t;

    // The sound as a player gets it: decoded, the samples one after another.
    QProcess decoder;
    decoder.setStandardInputFile(QProcess::nullDevice());
    decoder.start(u"ffmpeg"_s, {u"-nostdin"_s, u"-v"_s, u"error"_s, u"-i"_s, path, u"-map"_s, u"0:a:0"_s, u"-ac"_s, u"1"_s,
                                u"-ar"_s, u"8000"_s, u"-c:a"_s, u"pcm_s16le"_s, u"-f"_s, u"s16le"_s, u"pipe:1"_s});
    if (!decoder.waitForFinished(60000) || decoder.exitCode() != 0) {
        t.ok = false;
        return t;
    }
    const QByteArray pcm = decoder.readAllStandardOutput();
    const qsizetype samples = pcm.size() / 2;
    qsizetype firstSound = samples;
    for (qsizetype i = 0; i < samples; ++i) {
        if (std::abs(qFromLittleEndian<qint16>(pcm.constData() + 2 * i)) > 1000) { // about -30 dB
            firstSound = i;
            break;
        }
    }
    t.audioEnd = played ? t.audioStart + double(samples) / 8000 : audioSpanEnd;
    t.soundStart = t.audioStart + double(firstSound) / 8000;
    return t;
}

namespace {

CommandContext contextFor(const QString &workFolder, std::optional<ClipRange> clip, const ConversionChoices &choices = {})
{
    CommandContext c;
    c.choices = choices;
    c.programFolder = programFolder();
    c.workFolder = workFolder;
    c.clock = QTime::currentTime();
    c.fileExists = [](const QString &path) { return QFileInfo::exists(path); };
    c.mp3Clip = clip;
    return c;
}

} // namespace

Conversion convert(const QString &source, const QString &outputFolder, const QString &workFolder,
                   const ConversionSettings &settings, std::optional<ClipRange> clip, const ConversionChoices &choices)
{
    const CommandContext context = contextFor(workFolder, clip, choices);
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

bool rewriteFlv(const QString &from, const QString &to, const FlvTagChange &change, const FlvRetime &retime)
{
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    const QByteArray data = in.readAll();
    QByteArray result = data.left(13); // the header and the first "previous tag size"
    qsizetype at = 13;
    while (at + 11 <= data.size()) {
        const qsizetype size = (uchar(data[at + 1]) << 16) | (uchar(data[at + 2]) << 8) | uchar(data[at + 3]);
        const std::optional<QByteArray> body = change(data[at] & 0x1f, data.mid(at + 11, size));
        if (body) {
            QByteArray header = data.mid(at, 11);
            header[1] = char(body->size() >> 16);
            header[2] = char(body->size() >> 8);
            header[3] = char(body->size());
            if (retime) {
                const qint64 ms = (qint64(uchar(header[4])) << 16 | uchar(header[5]) << 8 | uchar(header[6]))
                    | qint64(uchar(header[7])) << 24;
                const qint64 changed = retime(header[0] & 0x1f, ms);
                header[4] = char(changed >> 16);
                header[5] = char(changed >> 8);
                header[6] = char(changed);
                header[7] = char(changed >> 24);
            }
            const qsizetype tagSize = 11 + body->size();
            result += header + *body;
            const char previous[4]{char(tagSize >> 24), char(tagSize >> 16), char(tagSize >> 8), char(tagSize)};
            result += QByteArray(previous, 4);
        }
        at += 11 + size + 4;
    }
    return out.write(result) == result.size();
}

bool makeNoiseFlv(const QString &path, qsizetype bytes, quint32 seed)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray noise(bytes, Qt::Uninitialized);
    QRandomGenerator rng(seed);
    for (char &c : noise)
        c = char(rng.bounded(256));
    const QByteArray data = QByteArray("FLV\x01\x05\x00\x00\x00\x09\x00\x00\x00\x00", 13) + noise;
    return file.write(data) == data.size();
}

bool copyFirstThird(const QString &from, const QString &to)
{
    return copyFirstShare(from, to, 1.0 / 3);
}

bool copyFirstShare(const QString &from, const QString &to, double share)
{
    QFile in(from);
    QFile out(to);
    return in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly)
        && out.write(in.read(qint64(double(in.size()) * share))) >= 0;
}

QByteArray withFlvDuration(QByteArray script, double seconds)
{
    const QByteArray key("\x00\x08" "duration\x00", 11);
    const qsizetype at = script.indexOf(key);
    if (at >= 0 && at + key.size() + 8 <= script.size()) {
        quint64 bits = 0;
        std::memcpy(&bits, &seconds, sizeof bits);
        qToBigEndian(bits, script.data() + at + key.size());
    }
    return script;
}

QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace sonvera::testkit
