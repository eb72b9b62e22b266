#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <initializer_list>
#include <span>

namespace sonvera::coding {

// A few values kept inside a row itself, so that every row reads whole.
template<typename T, std::size_t Capacity>
class ValueList {
public:
    constexpr ValueList() = default;
    constexpr ValueList(std::initializer_list<T> values)
    {
        for (const T &value : values)
            m_values[m_count++] = value; // more than Capacity does not compile
    }
    constexpr std::span<const T> values() const { return {m_values.data(), m_count}; }
    constexpr bool isEmpty() const { return m_count == 0; }

private:
    std::array<T, Capacity> m_values{};
    std::size_t m_count = 0;
};

// A frame rate as a fraction, e.g. 24000/1001.
struct FrameRate {
    int num = 0;
    int den = 1;
    constexpr double value() const { return static_cast<double>(num) / den; }
    QString text() const; // "24" or "24000/1001", as ffmpeg's -r takes it
    friend constexpr bool operator==(const FrameRate &, const FrameRate &) = default;
};

// A rate a codec cannot declare, coded at one it can with each frame
// repeated: 15 fps as 30 fps, each frame shown twice. Players then show the
// declared rate, and the picture changes at the rate asked for.
struct RepeatedRate {
    FrameRate rate;
    FrameRate declared; // a whole multiple of `rate`
};

// The encoder programs in data/.
enum class Encoder { Conv, Coder, Coder2 };
QStringView encoderName(Encoder encoder); // "conv", "coder", "coder2"

// What a codec needs of a source size that is kept.
enum class SizeRule {
    AsIs,       // any size
    EvenSides,  // H.264 in 4:2:0: an odd side loses one pixel
    PadTo16,    // RealVideo: black borders up to multiples of 16
};

// How a format's picture is coded.
struct VideoCoding {
    ValueList<QStringView, 3> legacyNames; // how command lines name the codec, the usual name first; none: no picture
    QStringView ffmpegEncoder;
    QStringView shownName;                 // in messages: "MPEG-1 video", "RealVideo"
    SizeRule keptSize = SizeRule::AsIs;
    ValueList<FrameRate, 12> frameRates;   // the rates it codes, the closest taken; empty: any
    int maxKbps = 0;                       // higher bitrates are lowered to this, in whole kbit/s; 0: any
    int defaultKbps = 0;                   // when the command line names none; 0: ffmpeg's own
    ValueList<QStringView, 2> ffmpegOptions; // one option and its value that it always needs
    int maxMacroblocks = 0;                // larger frames are scaled down to fit; 0: any size
    int frameBufferKbit = 0;               // a rate-control buffer that keeps every frame under it; 0: none
    // Options and values it adds when it codes a source itself instead of
    // the intermediate; a quality option ("-crf") only when no bitrate is asked.
    ValueList<QStringView, 4> fromSourceOptions = {};
    ValueList<RepeatedRate, 4> repeatedRates = {}; // rates of frameRates it codes that way

    constexpr bool isNone() const { return legacyNames.isEmpty(); }
};

// The bitrates a sound codec takes from a sample rate up.
struct BitrateBand {
    int fromHz = 0;
    ValueList<double, 20> kbps;
};

// How a format's sound is coded.
struct AudioCoding {
    ValueList<QStringView, 3> legacyNames; // how command lines name the codec, the usual name first
    QStringView ffmpegEncoder;  // empty: AMR-NB, which coder2 codes itself
    QStringView shownName;      // in messages: "MP2 audio", "MP3", "RealMedia audio (AC-3)"
    ValueList<BitrateBand, 3> bitrates; // the bitrates it takes, by sample rate, the closest taken
    int minKbps = 0;            // without bitrates: whole kbit/s from minKbps to maxKbps
    int maxKbps = 0;            //   (both 0: any bitrate)
    ValueList<int, 14> sampleRates; // the rates it takes, the closest taken; empty: any
    int fixedSampleRate = 0;    // it always codes at this rate; 0: as asked
    int maxChannels = 2;
    int fixedChannels = 0;      // it always codes this many; 0: as asked
    bool averageBitrate = false; // LAME's numeric presets are average bitrates, but 320 is constant

    // The same coding with other bitrates, for a row that differs from the codec's usual table.
    constexpr AudioCoding withBitrates(ValueList<BitrateBand, 3> bands) const
    {
        AudioCoding changed = *this;
        changed.bitrates = bands;
        return changed;
    }
};

// The source's streams that go into a format's container as they are, by
// ffmpeg's codec names; empty lists: the format never copies.
struct StreamCopy {
    ValueList<QStringView, 2> video; // a picture in one of these codecs is copied
    ValueList<QStringView, 2> audio; // so is a sound in one of these

    constexpr bool isEmpty() const { return video.isEmpty() && audio.isEmpty(); }
};

// One file a format makes, as one encoder writes it: the legacy option words
// that the engine writes and the encoder reads, the picture's and the
// sound's coding, and ffmpeg's container. A change to how a format codes is
// a change to its row.
//
// `words` is the command line after the program, fixed text with fields in
// braces: {source} and {output} are quoted in the text form, {intermediate}
// is bare; {video-bitrate}, {frame-rate}, {size}, {audio-rate},
// {audio-bitrate} and {channels} are the settings' texts, inserted as they
// are; {clip} is MP3's clip range ("-ss 5 -to 9 ") or nothing.
struct FormatCoding {
    QStringView key;            // "rmvb", ..., "mp3", and "intermediate"
    Encoder encoder;
    QStringView extension;      // with its dot; the intermediate's whole name
    QStringView muxer;          // ffmpeg's -f
    QStringView words;
    QStringView keptSizeWords;  // the words when the source's size is kept; empty: `words`
    VideoCoding video;
    AudioCoding audio;
    StreamCopy copy = {};       // what `--remux` copies instead of coding
};

namespace codecs {

inline constexpr VideoCoding kNoVideo{};
// MPEG-1 declares eight rates. ffmpeg codes 5, 10, 12 and 15 fps only with
// codes of its own that other players read as 29.97 fps or as none: those
// are coded at the standard rate with each frame repeated.
inline constexpr VideoCoding kMpeg1{
    {u"mpeg1video"}, u"mpeg1video", u"MPEG-1 video", SizeRule::AsIs,
    {{24000, 1001}, {24, 1}, {25, 1}, {30000, 1001}, {30, 1}, {50, 1}, {60000, 1001}, {60, 1}, {5, 1}, {10, 1}, {12, 1}, {15, 1}},
    0, 0, {}, 0, 0, {},
    {{{5, 1}, {25, 1}}, {{10, 1}, {30, 1}}, {{12, 1}, {24, 1}}, {{15, 1}, {30, 1}}}};
inline constexpr VideoCoding kMpeg4{{u"mpeg4"}, u"mpeg4", u"MPEG-4 video", SizeRule::AsIs, {}, 0, 0, {}};
// RealVideo 1 codes at most 4095 macroblocks of 16x16 pixels a frame. A
// RealMedia packet holds at most 64 kB: a buffer of 480 kbit keeps every
// frame under that, which the rate control manages up to about 5000 kbit/s.
inline constexpr VideoCoding kRealVideo{{u"rv10"}, u"rv10", u"RealVideo", SizeRule::PadTo16, {}, 5000, 200, {}, 4095, 480};
// From a first-generation picture x264's veryfast search at CRF 21 gives a
// closer picture (SSIM, PSNR) than its default medium search at CRF 23 gives
// from the intermediate's second generation, at the same size, in half the
// time: bench/route/.
inline constexpr VideoCoding kH264{{u"libx264", u"h264", u"x264"}, u"libx264", u"H.264", SizeRule::EvenSides, {}, 0, 0,
                                   {u"-pix_fmt", u"yuv420p"}, 0, 0, {u"-preset", u"veryfast", u"-crf", u"21"}};

// MP2 below 32 kHz takes at most 160 kbit/s, so it is always 44.1 kHz.
inline constexpr AudioCoding kMp2{{u"mp2"}, u"mp2", u"MP2 audio",
                                  {{0, {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384}}},
                                  0, 0, {}, 44100, 2, 2, false};
// LAME's presets, as MEncoder's -lameopts preset= names them.
inline constexpr AudioCoding kLamePreset{{u"mp3lame"}, u"libmp3lame", u"MP3", {}, 32, 320, {}, 44100, 2, 2, true};
// LAME's constant bitrates depend on the sample rate (MPEG-1, 2 and 2.5).
inline constexpr AudioCoding kLame{{u"libmp3lame", u"mp3"}, u"libmp3lame", u"MP3",
                                   {{0, {8, 16, 24, 32, 40, 48, 56, 64}},
                                    {16000, {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}},
                                    {32000, {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}}},
                                   0, 0, {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000}, 0, 2, 0, false};
inline constexpr AudioCoding kAc3{{u"ac3"}, u"ac3", u"RealMedia audio (AC-3)",
                                  {{0, {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 448, 512, 576, 640}}},
                                  0, 0, {32000, 44100, 48000}, 0, 6, 0, false};
inline constexpr AudioCoding kAac{{u"aac"}, u"aac", u"AAC", {}, 0, 0,
                                  {7350, 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000, 64000, 88200, 96000},
                                  0, 8, 0, false};
// Debian's ffmpeg cannot code AMR-NB: coder2 does, with libopencore-amrnb.
inline constexpr AudioCoding kAmrNb{{u"amr_nb", u"libopencore_amrnb", u"amrnb"}, {}, u"AMR-NB",
                                    {{0, {4.75, 5.15, 5.9, 6.7, 7.4, 7.95, 10.2, 12.2}}}, 0, 0, {}, 8000, 1, 1, false};

} // namespace codecs

// The option words that several rows share.
namespace words {

inline constexpr QStringView kMpeg1 =
    u"\"{source}\" -oac lavc -lavcopts acodec=mp2:abitrate={audio-bitrate} -ovc lavc -lavcopts vcodec=mpeg1video:vbitrate={video-bitrate}:vpass=1 -ofps {frame-rate} -of lavf -lavfopts format=yuv4mpeg -o \"{output}\"";
inline constexpr QStringView kRealMedia =
    u"-i {intermediate} -y -s {size} -vcodec rv10 -b {video-bitrate}k -f rm -ar {audio-rate} -ab {audio-bitrate}k -ac {channels} \"{output}\"";
inline constexpr QStringView kRealMediaKeptSize = u"-i {intermediate} -y -vcodec rv10 -b 1200k -f rm  -ab 128k -ac 2 \"{output}\"";
inline constexpr QStringView kMobile =
    u"-i {intermediate} -y -s {size} -vcodec mpeg4 -acodec amr_nb -ac 1 -ar 8000 -ab 12.2k \"{output}\"";
inline constexpr QStringView kMobileKeptSize =
    u"-i {intermediate} -y -s 320x240 -vcodec mpeg4 -acodec amr_nb -ac 1 -ar 8000 -ab 12.2k \"{output}\"";

// Arguments the engine puts after a row's words, never part of the legacy
// command lines: the encoders take them off the end before reading those.
// Every path the engine writes is absolute, so no path is taken for them.
inline constexpr QStringView kRemuxFlag = u"--remux";          // copy streams that fit, code the rest
inline constexpr QStringView kRemuxOnlyFlag = u"--remux-only"; // copy streams that fit, or write nothing

} // namespace words

namespace copies {
// H.264 with AAC or MP3 sound go into an ISO file (MP4, QuickTime) as they are.
inline constexpr StreamCopy kIsoFile{{u"h264"}, {u"aac", u"mp3"}};
inline constexpr StreamCopy kMp3Sound{{}, {u"mp3"}};
} // namespace copies

// Every file the formats make, one row each.
namespace rows {

inline constexpr FormatCoding kIntermediate{u"intermediate", Encoder::Conv, u"tmp.mp4", u"avi",
    u"\"{source}\" -oac mp3lame -lameopts preset=320 -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=1200 -of avi -o {intermediate}",
    {}, codecs::kMpeg4, codecs::kLamePreset};
inline constexpr FormatCoding kMpg{u"mpg", Encoder::Conv, u".mpg", u"mpeg", words::kMpeg1, {}, codecs::kMpeg1, codecs::kMp2};
inline constexpr FormatCoding kAvi{u"avi", Encoder::Conv, u".avi", u"avi", words::kMpeg1, {}, codecs::kMpeg1, codecs::kMp2};
inline constexpr FormatCoding kHdMp4{u"mp4", Encoder::Conv, u".mp4", u"mp4",
    u"\"{source}\" -oac mp3lame -lameopts preset={audio-bitrate} -ovc lavc -lavcopts vcodec=mpeg4:vbitrate={video-bitrate} -of avi -o \"{output}\"",
    {}, codecs::kMpeg4, codecs::kLamePreset, copies::kIsoFile};
inline constexpr FormatCoding kMp3{u"mp3", Encoder::Coder, u".mp3", u"mp3",
    u"-i \"{source}\" -y -vn -ar {audio-rate} -ab {audio-bitrate}k -ac {channels} {clip}\"{output}\"",
    {}, codecs::kNoVideo, codecs::kLame, copies::kMp3Sound};
inline constexpr FormatCoding kRmvb{u"rmvb", Encoder::Coder, u".rmvb", u"rm", words::kRealMedia, words::kRealMediaKeptSize,
                                    codecs::kRealVideo, codecs::kAc3};
inline constexpr FormatCoding kRm{u"rm", Encoder::Coder, u".rm", u"rm", words::kRealMedia, words::kRealMediaKeptSize,
                                  codecs::kRealVideo, codecs::kAc3};
inline constexpr FormatCoding kMov{u"mov", Encoder::Coder, u".mov", u"mov",
    u"-i {intermediate} -y -s {size} -ac 2 -ar 48000 -ab 128k \"{output}\"",
    u"-i {intermediate} -y -ac 2 -ar 48000 -ab 128k \"{output}\"",
    codecs::kH264, codecs::kAac, copies::kIsoFile};
// ffmpeg's mp4 muxer refuses AMR; its 3gp muxer writes the same ISO file
// layout and takes it.
inline constexpr FormatCoding kMobileMp4{u"mobile-mp4", Encoder::Coder2, u".mp4", u"3gp", words::kMobile, words::kMobileKeptSize,
                                          codecs::kMpeg4, codecs::kAmrNb};
inline constexpr FormatCoding k3gp{u"3gp", Encoder::Coder2, u".3gp", u"3gp", words::kMobile, words::kMobileKeptSize,
                                   codecs::kMpeg4, codecs::kAmrNb};

} // namespace rows

inline constexpr std::array<const FormatCoding *, 10> kFormatCodings{
    &rows::kIntermediate, &rows::kMpg, &rows::kAvi, &rows::kHdMp4, &rows::kMp3,
    &rows::kRmvb, &rows::kRm, &rows::kMov, &rows::kMobileMp4, &rows::k3gp};

// The row of `key`, or nullptr.
const FormatCoding *formatCoding(QStringView key);

// The row for a file that an encoder of conv's style (`mencoderStyle`) or
// of coder's style writes under `fileName`: the intermediate for conv's
// "tmp.mp4", otherwise by the name's extension (any letter case), or, for
// coder's style, by ffmpeg's container `muxer` when one is named. nullptr
// when no format writes such a file.
const FormatCoding *codingForOutput(bool mencoderStyle, QStringView fileName, QStringView muxer = {});

// True when `coding` goes by `legacyName`.
bool isNamed(const VideoCoding &coding, QStringView legacyName);
bool isNamed(const AudioCoding &coding, QStringView legacyName);

} // namespace sonvera::coding
