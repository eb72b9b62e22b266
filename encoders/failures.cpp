#include "failures.h"

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

// The codec's number as the container gives it, for the curious: "FLV
// video codec 12".
QString codecNumber(const InputInfo &input, const StreamInfo &stream, QStringView kind)
{
    if (stream.codecTag < 0)
        return {};
    if (input.format.split(u',').contains(u"flv"_s))
        return u" (FLV "_s + kind + u" codec "_s + QString::number(stream.codecTag) + u')';
    return u" (codec tag 0x"_s + QString::number(stream.codecTag, 16) + u')';
}

FailureReason unsupportedVideo(const InputInfo &input, const StreamInfo &video)
{
    QString cause = u"the video codec is not supported by this system's ffmpeg"_s + codecNumber(input, video, u"video")
        + u"; HEVC or AV1 video in \"enhanced\" FLV needs a newer ffmpeg"_s;
    if (input.audio() && input.audio()->decodable())
        cause += u"; MP3 can still take the sound"_s;
    return {EncoderExit::UnsupportedCodec, cause};
}

FailureReason unsupportedAudio(const InputInfo &input, const StreamInfo &audio)
{
    return {EncoderExit::UnsupportedCodec, u"the audio codec is not supported by this system's ffmpeg"_s
                                               + codecNumber(input, audio, u"audio") + u"; a newer ffmpeg may read it"_s};
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

} // namespace

QString noVideoCause() { return u"no video stream; choose MP3 for audio-only sources"_s; }
QString noAudioCause() { return u"no audio stream; an MP3 needs a source with sound"_s; }
QString nothingDecodedCause()
{
    return u"the file is damaged: nothing in it could be decoded; check that it plays and is complete"_s;
}

std::optional<FailureReason> listingProblem(const InputInfo &input, const InputNeeds &needs)
{
    const StreamInfo *video = input.video();
    const StreamInfo *audio = input.audio();
    if (!video && !audio) {
        return FailureReason{EncoderExit::Damaged,
                             u"the file is damaged: it holds no readable audio or video stream; check that it is a complete video file"_s};
    }
    if (needs.video && !video)
        return FailureReason{EncoderExit::NoVideo, noVideoCause()};
    if (needs.video && !video->decodable())
        return unsupportedVideo(input, *video);
    if (needs.audio && !audio)
        return FailureReason{EncoderExit::NoAudio, noAudioCause()};
    if ((needs.audio || needs.takesSound) && audio && !audio->decodable())
        return unsupportedAudio(input, *audio);
    return std::nullopt;
}

FailureReason ffmpegFailure(const FfmpegLogReader &log, int exitCode, const InputNeeds &needs, const QStringList &paths)
{
    QStringList errors;
    for (const QString &e : log.errors())
        errors << withoutPaths(e, paths);
    const QString last = withoutPaths(log.lastProblem(), paths);
    const QString detail = last.isEmpty() ? u" (ffmpeg's exit status "_s + QString::number(exitCode) + u')'
                                          : u" (ffmpeg: "_s + last + u')';

    const InputInfo *input = log.input(0);
    if (!input || !input->complete) {
        if (mentions(errors, u"No such file or directory"))
            return {EncoderExit::SourceUnreadable, u"no such file; it was moved or deleted"_s};
        if (mentions(errors, u"Permission denied"))
            return {EncoderExit::SourceUnreadable, u"cannot be read: permission denied"_s};
        return {EncoderExit::Damaged,
                u"the file is damaged or not a video: no readable stream was found in it"_s + detail};
    }
    if (const std::optional<FailureReason> problem = listingProblem(*input, needs))
        return *problem;
    if (mentions(errors, u"No space left on device"))
        return {EncoderExit::OutputUnwritable, u"the disk is full; free some space or choose another output folder"_s, true};
    if (mentions(errors, u"Permission denied") || mentions(errors, u"Read-only file system"))
        return {EncoderExit::OutputUnwritable, u"the output cannot be written; choose another output folder"_s + detail, true};
    if (mentions(errors, u"Decoder (codec")) {
        return {EncoderExit::UnsupportedCodec,
                u"a codec of the file is not supported by this system's ffmpeg; a newer ffmpeg may read it"_s + detail};
    }
    if (!mentionsAny(errors, kCodingSigns) && (mentionsAny(errors, kDamageSigns) || nothingWasCoded(log)))
        return {EncoderExit::Damaged, u"the file is damaged: its streams could not be decoded; check that it plays and is complete"_s + detail};
    return {EncoderExit::Failed, u"ffmpeg could not convert it with these settings; try another format, size or bitrate"_s + detail, true};
}

bool nothingWasCoded(const FfmpegLogReader &log)
{
    return mentions(log.warnings(), u"Output file is empty, nothing was encoded");
}

} // namespace sonvera::encoders
