#pragma once

#include <QStringView>

#include <array>
#include <optional>
#include <span>

namespace sonvera {

// What the first encoder run of a format writes.
enum class FormatKind {
    Intermediate, // conv writes the work folder's tmp.mp4; a second run makes the output
    DirectVideo,  // conv writes the output itself
    Audio,        // coder writes the output itself
};

// The two runner instances of the window: objDOS runs the MEncoder-style
// first stage, objffmpeg every FFmpeg-style run (MP3 and all second stages).
enum class RunnerId { objDOS, objffmpeg };

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
    QStringView listText;     // entry of the output-format list
    QStringView cliName;      // short name for sonvera-cli ("rmvb", "mobile-mp4", ...)
    FormatKind kind;
    QStringView encoderImage; // first-stage encoder in data/: "conv" or "coder"
    RunnerId runner;          // runner of the first stage
    QStringView extension;    // final extension with its dot
    QStringView stageTwoImage; // "coder", "coder2", or empty for one-stage formats
    FormatPreset preset;
};

inline constexpr int kFormatCount = 9;
inline constexpr int kMp3Format = 8;

// The catalogue, in list order: formatIndex is the position in this table.
std::span<const FormatInfo, kFormatCount> formatCatalogue();

// The format at a list position, or nullptr outside 0..8 (-1 means "none picked").
const FormatInfo *formatAt(int formatIndex);

// The entries each editable parameter list offers, in list order. Settings
// files store positions in exactly these orders.
namespace ListEntries {
std::span<const QStringView> videoBitrate();
std::span<const QStringView> frameRate();
std::span<const QStringView> videoSize();
std::span<const QStringView> audioRate();
std::span<const QStringView> audioBitrate();
std::span<const QStringView> channel();
} // namespace ListEntries

// The videoSize entry that keeps the source's picture size.
inline constexpr QStringView kKeepSourceSize = u"原始大小";

} // namespace sonvera
