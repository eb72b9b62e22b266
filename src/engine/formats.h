#pragma once

#include "formatcodings.h"
#include "translatabletext.h"

#include <QStringView>

#include <array>
#include <optional>
#include <span>

namespace sonvera {

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

// One entry of the output-format list. How each of its encoder runs codes,
// and the option words that ask for it, are the rows of formatcodings.h.
struct FormatInfo {
    TranslatableText listText; // entry of the output-format list
    QStringView cliName;       // short name for sonvera-cli ("rmvb", "mobile-mp4", ...)
    const coding::FormatCoding *first;  // the first run: the output, or the intermediate
    const coding::FormatCoding *second; // the run that reads the intermediate; nullptr for one-stage formats
    FormatPreset preset;

    bool isTwoStage() const { return second != nullptr; }
    // MP3 keeps the video fields when it is picked, and alone takes the clip range.
    bool isAudioOnly() const { return first->video.isNone(); }
    // The first run's encoder in data/ ("conv" or "coder") and how it reports progress.
    QStringView encoderImage() const { return coding::encoderName(first->encoder); }
    OutputStyle outputStyle() const;
    // The output's extension with its dot.
    QStringView extension() const { return (second ? second : first)->extension; }
    // The second run's encoder ("coder", "coder2"), or empty for one-stage formats.
    QStringView stageTwoImage() const { return second ? coding::encoderName(second->encoder) : QStringView(); }
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
