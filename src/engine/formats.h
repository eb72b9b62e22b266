#pragma once

#include "translatabletext.h"

#include <QStringView>

#include <array>
#include <optional>
#include <span>

namespace sonvera {

// The command line of a format's first encoder run.
enum class FirstStageRecipe {
    Intermediate, // conv writes the run folder's tmp.mp4; a second run makes the output
    Mpeg1Video,   // conv writes MPEG-1 video with MP2 sound (MPG, AVI)
    Mpeg4Video,   // conv writes MPEG-4 video with MP3 sound (HD MP4)
    Mp3Audio,     // coder writes the sound alone as MP3
};

// The command line of a format's second run, which reads the intermediate file.
enum class SecondStageRecipe {
    None,      // one-stage formats
    RealMedia, // RealVideo 1 with AC-3 sound (RMVB, RM)
    QuickTime, // H.264 with AAC sound (MOV)
    MobileAmr, // MPEG-4 with AMR-NB sound (mobile MP4, 3GP)
};

// How an encoder reports its progress: MEncoder-style status lines with a
// percentage (conv), or FFmpeg-style "Duration:" and "time=" (coder, coder2).
enum class OutputStyle { Mencoder, Ffmpeg };

// Parameter texts a format puts into the panel when it is picked. Every text is
// inserted unchanged into command lines; an empty optional leaves the field as
// it is (MP3 keeps the video fields).
struct FormatPreset {
    std::optional<QStringView> videoBitrate;
    std::optional<QStringView> frameRate;
    std::optional<QStringView> videoSize;
    QStringView audioRate;
    QStringView audioBitrate;
    int channelIndex = 1; // list position: 0 one channel, 1 two channels
};

struct FormatInfo {
    TranslatableText listText; // entry of the output-format list
    QStringView cliName;       // short name for sonvera-cli ("rmvb", "mobile-mp4", ...)
    FirstStageRecipe firstStage;
    QStringView encoderImage;  // first-stage encoder in data/: "conv" or "coder"
    OutputStyle outputStyle;   // how the first-stage encoder reports progress
    QStringView extension;     // final extension with its dot
    SecondStageRecipe secondStage;
    QStringView stageTwoImage; // "coder", "coder2", or empty for one-stage formats
    FormatPreset preset;

    bool isTwoStage() const { return secondStage != SecondStageRecipe::None; }
    // MP3 keeps the video fields when it is picked, and alone takes the clip range.
    bool isAudioOnly() const { return firstStage == FirstStageRecipe::Mp3Audio; }
};

inline constexpr int kFormatCount = 9;
inline constexpr int kMp3Format = 8;

// The catalogue, in list order: formatIndex is the position in this table.
std::span<const FormatInfo, kFormatCount> formatCatalogue();

// The format at a list position, or nullptr outside 0..8 (-1 means "none picked").
const FormatInfo *formatAt(int formatIndex);

// The entries each editable parameter list offers, in list order. Settings
// files store positions in exactly these orders.
namespace ParameterLists {
std::span<const QStringView> videoBitrate();
std::span<const QStringView> frameRate();
std::span<const QStringView> videoSize();
std::span<const QStringView> audioRate();
std::span<const QStringView> audioBitrate();
std::span<const TranslatableText> channel(); // words: translated when shown
} // namespace ParameterLists

// The videoSize entry that keeps the source's picture size: a value of the
// settings and the command lines, the same in every language ...
inline constexpr QStringView kKeepSourceSize = u"原始大小";
// ... and how the size list shows it, in the user's language.
inline constexpr TranslatableText kKeepSourceSizeCaption{"ParameterLists",
                                                         QT_TRANSLATE_NOOP("ParameterLists", "原始大小")};

} // namespace sonvera
