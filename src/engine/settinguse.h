#pragma once

#include "conversionsettings.h"
#include "formats.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace sonvera {

// The settings a user chooses besides the format and the output folder.
enum class Setting { VideoBitrate, FrameRate, VideoSize, AudioRate, AudioBitrate, Channels, Clip };

// The setting's key: the field of the command rows' words ("{audio-bitrate}")
// and of a bad setting's failure facts: "video-bitrate", "frame-rate",
// "size", "audio-rate", "audio-bitrate", "channels", "clip".
QStringView settingKey(Setting setting);

// Why a format leaves a setting unused. A value that is not used is never
// taken silently: the window shows its field as not applying, sonvera-cli
// refuses it.
enum class UnusedBecause {
    NoPicture,        // the format codes sound only
    FixedByFormat,    // its command lines always use values of their own
    FixedForKeptSize, // with the source's size kept, its command lines use values of their own
    SizeAlwaysKept,   // it always keeps the source's picture size
    SizeCannotBeKept, // the size choice keeps the source's size, which the format cannot
};

// Whether `format` uses `setting` with the size choice `videoSize` (a size,
// or kKeepSourceSize). Read from the words of the format's command rows
// (formatcodings.h): a setting is used when the words for that size choice
// hold its field, so a row is the one place that says it.
std::optional<UnusedBecause> unusedSetting(const FormatInfo &format, Setting setting, QStringView videoSize);
// The same for the settings' own format and size; nothing when no format is picked.
std::optional<UnusedBecause> unusedSetting(const ConversionSettings &settings, Setting setting);

// Why, in the user's language, naming the format.
QString unusedSettingText(UnusedBecause why, const FormatInfo &format);

} // namespace sonvera
