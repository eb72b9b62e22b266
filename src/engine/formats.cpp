#include "formats.h"

namespace sonvera {

namespace {

constexpr FormatPreset kRealPreset{u"1200", u"29", kKeepSourceSize, u"44100", u"320", 1};
constexpr FormatPreset kMpegPreset{u"600", u"24", kKeepSourceSize, u"28000", u"64", 1};
constexpr FormatPreset kHdMp4Preset{u"1200", u"29", kKeepSourceSize, u"48000", u"320", 1};
constexpr FormatPreset kMovPreset{u"256", u"29", kKeepSourceSize, u"48000", u"64", 1};
constexpr FormatPreset kMobilePreset{u"128", u"29", u"320x240", u"8000", u"12.2", 0};
constexpr FormatPreset kMp3Preset{std::nullopt, std::nullopt, std::nullopt, u"48000", u"320", 1};

namespace rows = coding::rows;

constexpr std::array<FormatInfo, kFormatCount> kCatalogue{{
    {{"Formats", QT_TRANSLATE_NOOP("Formats", "RMVB(RealPlayerRMVB)")},
     u"rmvb", &rows::kIntermediate, &rows::kRmvb, kRealPreset},
    {{"Formats", QT_TRANSLATE_NOOP("Formats", "RM(RealPlayerRM)")},
     u"rm", &rows::kIntermediate, &rows::kRm, kRealPreset},
    {{"Formats", QT_TRANSLATE_NOOP("Formats", "MPG(MPEG2)")},
     u"mpg", &rows::kMpg, nullptr, kMpegPreset},
    {{"Formats", QT_TRANSLATE_NOOP("Formats", "AVI(Windows Media Player格式)")},
     u"avi", &rows::kAvi, nullptr, kMpegPreset},
    {{"Formats", QT_TRANSLATE_NOOP("Formats", "MP4(高清MPEG4格式)")},
     u"mp4", &rows::kHdMp4, nullptr, kHdMp4Preset},
    {{"Formats", QT_TRANSLATE_NOOP("Formats", "MOV(QuickTime格式)")},
     u"mov", &rows::kIntermediate, &rows::kMov, kMovPreset},
    {{"Formats", QT_TRANSLATE_NOOP("Formats", "MP4(手机MP4格式)")},
     u"mobile-mp4", &rows::kIntermediate, &rows::kMobileMp4, kMobilePreset},
    {{"Formats", QT_TRANSLATE_NOOP("Formats", "3GP(手机3GP格式)")},
     u"3gp", &rows::kIntermediate, &rows::k3gp, kMobilePreset},
    {{"Formats", QT_TRANSLATE_NOOP("Formats", "MP3(纯音频格式)")},
     u"mp3", &rows::kMp3, nullptr, kMp3Preset},
}};

constexpr std::array<QStringView, 14> kVideoBitrates{u"40", u"80", u"120", u"128", u"256", u"384", u"512",
                                                     u"600", u"640", u"768", u"800", u"900", u"1000", u"1500"};
constexpr std::array<QStringView, 3> kFrameRates{u"15", u"23", u"29"};
constexpr std::array<QStringView, 13> kVideoSizes{kKeepSourceSize, u"128x96", u"160x120", u"176x144", u"320x180",
                                                  u"320x240", u"352x288", u"640x272", u"480x480", u"640x360",
                                                  u"640x480", u"720x306", u"720x320"};
constexpr std::array<QStringView, 8> kAudioRates{u"48000", u"44100", u"32000", u"24000",
                                                 u"22050", u"16000", u"12050", u"8000"};
constexpr std::array<QStringView, 14> kAudioBitrates{u"10.2", u"12.2", u"32", u"48", u"56", u"64", u"80",
                                                     u"96", u"112", u"128", u"192", u"224", u"256", u"320"};
constexpr std::array<TranslatableText, 2> kChannels{{
    {"ParameterLists", QT_TRANSLATE_NOOP("ParameterLists", "单声道")},
    {"ParameterLists", QT_TRANSLATE_NOOP("ParameterLists", "双声道")},
}};

} // namespace

OutputStyle FormatInfo::outputStyle() const
{
    return first->encoder == coding::Encoder::Conv ? OutputStyle::Mencoder : OutputStyle::Ffmpeg;
}

std::span<const FormatInfo, kFormatCount> formatCatalogue() { return kCatalogue; }

const FormatInfo *formatAt(int formatIndex)
{
    if (formatIndex < 0 || formatIndex >= kFormatCount)
        return nullptr;
    return &kCatalogue[static_cast<std::size_t>(formatIndex)];
}

namespace ParameterLists {
std::span<const QStringView> videoBitrate() { return kVideoBitrates; }
std::span<const QStringView> frameRate() { return kFrameRates; }
std::span<const QStringView> videoSize() { return kVideoSizes; }
std::span<const QStringView> audioRate() { return kAudioRates; }
std::span<const QStringView> audioBitrate() { return kAudioBitrates; }
std::span<const TranslatableText> channel() { return kChannels; }
} // namespace ParameterLists

} // namespace sonvera
