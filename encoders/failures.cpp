#include "failures.h"

#include "startfailure.h"

#include <QFile>
#include <QMap>

#include <algorithm>
#include <array>

using namespace Qt::Literals::StringLiterals;

namespace sonvera::encoders {

namespace {

// ffmpeg names the file in front of many messages ("file:/v/a.flv: Invalid
// data ..."); the reason names it once already.
QString withoutPaths(QString text, const QStringList &paths)
{
    for (const QString &path : paths) {
        const QString prefix = path + u": "_s;
        if (!path.isEmpty() && text.startsWith(prefix))
            text = text.mid(prefix.size());
    }
    return text;
}

bool mentions(const QStringList &texts, QStringView needle)
{
    return std::any_of(texts.begin(), texts.end(), [needle](const QString &t) { return t.contains(needle, Qt::CaseInsensitive); });
}

// The codec's number as the container gives it: "FLV 12", or "0xc" for others.
QString codecNumber(const InputInfo &input, const StreamInfo &stream)
{
    if (stream.codecTag < 0)
        return {};
    if (input.format.split(u',').contains(u"flv"_s))
        return u"FLV "_s + QString::number(stream.codecTag);
    return u"0x"_s + QString::number(stream.codecTag, 16);
}

// The same for the English line: " (FLV video codec 12)", " (codec tag 0xc)".
QString codecNumberWords(const QString &number, QStringView kind)
{
    if (number.isEmpty())
        return {};
    QString words = number.startsWith(u"FLV"_s) ? QString(u"FLV "_s + kind + u" codec "_s + number.mid(4))
                                                : QString(u"codec tag "_s + number);
    return u" ("_s + words + u')';
}

FailureReason unsupportedVideo(const InputInfo &input, const StreamInfo &video)
{
    const QString number = codecNumber(input, video);
    QString cause = u"the video codec is not supported by this system's ffmpeg"_s + codecNumberWords(number, u"video")
        + u"; HEVC or AV1 video in \"enhanced\" FLV needs a newer ffmpeg"_s;
    const bool soundLeft = input.audio() && input.audio()->decodable();
    if (soundLeft)
        cause += u"; MP3 can still take the sound"_s;
    FailureFacts facts;
    facts.stream = u"video"_s;
    facts.codec = number;
    facts.soundUsable = soundLeft;
    return {FailureCode::CodecUnsupported, cause, facts};
}

FailureReason unsupportedAudio(const InputInfo &input, const StreamInfo &audio)
{
    const QString number = codecNumber(input, audio);
    FailureFacts facts;
    facts.stream = u"audio"_s;
    facts.codec = number;
    return {FailureCode::CodecUnsupported,
            u"the audio codec is not supported by this system's ffmpeg"_s + codecNumberWords(number, u"audio")
                + u"; a newer ffmpeg may read it"_s,
            facts};
}

FailureReason damagedStream(QStringView stream, const QString &detail)
{
    FailureFacts facts;
    facts.stream = stream.toString();
    facts.detail = detail;
    const QString what = stream == u"video" ? u"its picture cannot be read"_s : u"its sound cannot be read"_s;
    return {FailureCode::SourceDamaged,
            u"the file is damaged: "_s + what + u"; check that it plays and is complete"_s
                + (detail.isEmpty() ? QString() : u" (ffmpeg: "_s + detail + u')'),
            facts};
}

// Messages of a decoder or demuxer that met data it cannot read.
constexpr std::array<QStringView, 6> kDamageSigns{
    u"Invalid data found when processing input", u"Error while decoding", u"could not find codec parameters",
    u"corrupt", u"Header missing", u"Packet mismatch"};

// Messages of the coding side: an encoder, a filter or a muxer that refused.
constexpr std::array<QStringView, 6> kCodingSigns{
    u"Error submitting", u"Error initializing output stream", u"Error while opening encoder", u"Error configuring filter",
    u"Error marking filters", u"Error while filtering"};

template<std::size_t N>
bool mentionsAny(const QStringList &texts, const std::array<QStringView, N> &signs)
{
    return std::any_of(signs.begin(), signs.end(), [&texts](QStringView s) { return mentions(texts, s); });
}

QStringList errorsOf(const FfmpegLogReader &log, const QStringList &paths)
{
    QStringList errors;
    for (const QString &e : log.errors())
        errors << withoutPaths(e, paths);
    return errors;
}

} // namespace

FailureReason noVideo()
{
    return {FailureCode::NoVideo, u"no video stream; choose MP3 for audio-only sources"_s, {}};
}

FailureReason noAudio()
{
    return {FailureCode::NoAudio, u"no audio stream; an MP3 needs a source with sound"_s, {}};
}

FailureReason nothingDecoded()
{
    return {FailureCode::SourceDamaged,
            u"the file is damaged: nothing in it could be decoded; check that it plays and is complete"_s, {}};
}

std::optional<FailureReason> listingProblem(const InputInfo &input, const InputNeeds &needs)
{
    const StreamInfo *video = input.video();
    const StreamInfo *audio = input.audio();
    if (!video && !audio) {
        return FailureReason{FailureCode::SourceDamaged,
                             u"the file is damaged: it holds no readable audio or video stream; check that it is a complete video file"_s, {}};
    }
    if (needs.video && !video)
        return noVideo();
    if (needs.video && !video->decodable())
        return unsupportedVideo(input, *video);
    // ffmpeg found a decoder but could not tell the picture's size: nothing
    // can be made of it, whatever the settings.
    if (needs.video && !video->size.isValid())
        return damagedStream(u"video", {});
    if (needs.audio && !audio)
        return noAudio();
    if ((needs.audio || needs.takesSound) && audio && !audio->decodable())
        return unsupportedAudio(input, *audio);
    return std::nullopt;
}

FailureReason ffmpegFailure(const FfmpegLogReader &log, int exitCode, const InputNeeds &needs, const QStringList &paths)
{
    const QStringList errors = errorsOf(log, paths);
    const QString last = withoutPaths(log.lastProblem(), paths);
    const QString detail = last.isEmpty() ? u" (ffmpeg's exit status "_s + QString::number(exitCode) + u')'
                                          : u" (ffmpeg: "_s + last + u')';
    FailureFacts facts;
    facts.detail = last;

    const InputInfo *input = log.input(0);
    if (!input || !input->complete) {
        if (mentions(errors, u"No such file or directory"))
            return {FailureCode::SourceMissing, u"no such file; it was moved or deleted"_s, {}};
        if (mentions(errors, u"Permission denied"))
            return {FailureCode::SourceUnreadable, u"cannot be read: permission denied"_s, {}};
        return {FailureCode::SourceDamaged, u"the file is damaged or not a video: no readable stream was found in it"_s + detail, facts};
    }
    if (const std::optional<FailureReason> problem = listingProblem(*input, needs))
        return *problem;
    if (mentions(errors, u"No space left on device"))
        return {FailureCode::DiskFull, u"the disk is full; free some space or choose another output folder"_s, {}, true};
    if (mentions(errors, u"Too many open files"))
        return {FailureCode::TooManyFiles, u"too many files are open; convert fewer files at once"_s, {}};
    if (mentions(errors, u"Permission denied") || mentions(errors, u"Read-only file system"))
        return {FailureCode::OutputUnwritable, u"the output cannot be written; choose another output folder"_s + detail, facts, true};
    if (mentions(errors, u"Decoder (codec")) {
        return {FailureCode::CodecUnsupported,
                u"a codec of the file is not supported by this system's ffmpeg; a newer ffmpeg may read it"_s + detail, facts};
    }
    if (!mentionsAny(errors, kCodingSigns) && (mentionsAny(errors, kDamageSigns) || nothingWasCoded(log)))
        return {FailureCode::SourceDamaged, u"the file is damaged: its streams could not be decoded; check that it plays and is complete"_s + detail, facts};
    return {FailureCode::Failed, u"ffmpeg could not convert it with these settings; try another format, size or bitrate"_s + detail, facts, true};
}

QStringList sourceProbeArguments(const QString &sourceUrl, const InputNeeds &needs)
{
    // A few frames, or a few seconds of sound, show whether the stream decodes.
    QStringList args{u"-i"_s, sourceUrl};
    if (needs.video)
        args << u"-map"_s << u"0:V:0"_s << u"-frames:v"_s << u"5"_s;
    else
        args << u"-map"_s << u"0:a:0"_s << u"-t"_s << u"5"_s;
    return args << u"-f"_s << u"null"_s << u"-progress"_s << u"pipe:1"_s << u"-"_s;
}

std::optional<FailureReason> sourceProbeProblem(const FfmpegLogReader &log, bool success, qint64 framesDecoded,
                                                const InputNeeds &needs, const QStringList &paths)
{
    const QString stream = needs.video ? u"video"_s : u"audio"_s;
    const QString last = withoutPaths(log.lastProblem(), paths);
    if (!success) {
        const InputInfo *input = log.input(0);
        if (input && input->complete) {
            if (const std::optional<FailureReason> problem = listingProblem(*input, needs))
                return problem;
        }
        return damagedStream(stream, last);
    }
    if (nothingWasCoded(log) || (needs.video && framesDecoded == 0))
        return damagedStream(stream, last);
    return std::nullopt;
}

bool nothingWasCoded(const FfmpegLogReader &log)
{
    return mentions(log.warnings(), u"Output file is empty, nothing was encoded");
}

FailureReason ffmpegStartFailure(const QString &why, int error)
{
    FailureFacts facts;
    facts.detail = why;
    if (error == 0)
        error = errorNamedIn(why);
    switch (startProblem(error)) {
    case StartProblem::OutOfFiles:
        return {FailureCode::TooManyFiles, u"too many files are open to start ffmpeg ("_s + why + u"); convert fewer files at once"_s, facts};
    case StartProblem::ProgramMissing:
        return {FailureCode::FfmpegMissing,
                u"ffmpeg could not be started: "_s + why + u"; reinstall the Debian package \"ffmpeg\""_s, facts};
    case StartProblem::OutOfResources:
        break;
    }
    // Nothing is missing: fork() or exec() found no process slot or memory.
    facts.program = u"ffmpeg"_s;
    return {FailureCode::CannotStart,
            u"the system has no resources left to start ffmpeg ("_s + why + u"); close some programs or convert fewer files at once"_s,
            facts};
}

FailureReason ffmpegKilled(int signal)
{
    FailureFacts facts;
    facts.signal = signal;
    return {FailureCode::FfmpegKilled,
            u"ffmpeg was ended by signal "_s + QString::number(signal) + u" (perhaps the system ran out of memory)"_s, facts};
}

std::optional<QString> enhancedFlvVideo(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (file.peek(3) != "FLV")
        return std::nullopt;
    // The header, and the tags up to the first video tag: a few kilobytes
    // of script data and sound at most before it.
    const QByteArray head = file.read(1 << 20);
    if (head.size() < 13)
        return std::nullopt;
    qsizetype at = (uchar(head[5]) << 24 | uchar(head[6]) << 16 | uchar(head[7]) << 8 | uchar(head[8])) + 4;
    while (at >= 0 && at + 16 <= head.size()) {
        const int type = head[at] & 0x1f;
        const qsizetype size = uchar(head[at + 1]) << 16 | uchar(head[at + 2]) << 8 | uchar(head[at + 3]);
        if (type == 9 && size >= 5) {
            // The top bit of a video tag's first byte announces the extended
            // header with a FourCC; no legacy frame type sets it.
            if (!(uchar(head[at + 11]) & 0x80))
                return std::nullopt;
            return QString::fromLatin1(head.mid(at + 12, 4));
        }
        at += 11 + size + 4;
    }
    return std::nullopt;
}

FailureReason enhancedFlvFailure(const QString &fourCc)
{
    static const QMap<QString, QString> kNames{{u"hvc1"_s, u"HEVC"_s}, {u"av01"_s, u"AV1"_s}, {u"vp09"_s, u"VP9"_s},
                                               {u"avc1"_s, u"H.264"_s}};
    const bool printable = std::all_of(fourCc.begin(), fourCc.end(), [](QChar c) { return c.unicode() > 32 && c.unicode() < 127; });
    const QString codec = kNames.value(fourCc, printable ? fourCc : QString());
    FailureFacts facts;
    facts.stream = u"video"_s;
    facts.codec = codec;
    // Whether its sound can still be read depends on how ffmpeg misreads the
    // rest: nothing is promised.
    return {FailureCode::CodecUnsupported,
            u"the video is "_s + (codec.isEmpty() ? QString() : codec + u' ')
                + u"in \"enhanced\" FLV, which this system's ffmpeg cannot read; a newer ffmpeg can"_s,
            facts};
}

} // namespace sonvera::encoders
