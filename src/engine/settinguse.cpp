#include "settinguse.h"

#include <QCoreApplication>

#include <array>

namespace sonvera {

namespace {

constexpr std::array<QStringView, 7> kKeys{u"video-bitrate", u"frame-rate", u"size",    u"audio-rate",
                                           u"audio-bitrate", u"channels",   u"clip"};

QStringView wordsFor(const coding::FormatCoding &row, bool keptSize)
{
    return keptSize && !row.keptSizeWords.isEmpty() ? row.keptSizeWords : row.words;
}

// True when the words of any of the format's runs hold `text`.
bool anyRunSays(const FormatInfo &format, bool keptSize, QStringView text)
{
    for (const coding::FormatCoding *row : {format.first, format.second}) {
        if (row && wordsFor(*row, keptSize).contains(text))
            return true;
    }
    return false;
}

bool isPictureSetting(Setting setting)
{
    return setting == Setting::VideoBitrate || setting == Setting::FrameRate || setting == Setting::VideoSize;
}

} // namespace

QStringView settingKey(Setting setting)
{
    return kKeys[static_cast<std::size_t>(setting)];
}

std::optional<UnusedBecause> unusedSetting(const FormatInfo &format, Setting setting, QStringView videoSize)
{
    if (format.isAudioOnly() && isPictureSetting(setting))
        return UnusedBecause::NoPicture;
    const bool kept = videoSize == kKeepSourceSize;
    const QString field = u'{' + settingKey(setting) + u'}';
    if (setting == Setting::VideoSize) {
        if (!anyRunSays(format, false, field) && !anyRunSays(format, true, field))
            return UnusedBecause::SizeAlwaysKept;
        // Words for a kept size that scale the picture all the same.
        if (kept && anyRunSays(format, true, u" -s "))
            return UnusedBecause::SizeCannotBeKept;
        return std::nullopt;
    }
    if (anyRunSays(format, kept, field))
        return std::nullopt;
    return kept && anyRunSays(format, false, field) ? UnusedBecause::FixedForKeptSize : UnusedBecause::FixedByFormat;
}

std::optional<UnusedBecause> unusedSetting(const ConversionSettings &settings, Setting setting)
{
    const FormatInfo *format = formatAt(settings.formatIndex);
    if (!format)
        return std::nullopt;
    return unusedSetting(*format, setting, settings.videoSize);
}

QString unusedSettingText(UnusedBecause why, const FormatInfo &format)
{
    // In the order of UnusedBecause.
    static constexpr std::array<const char *, 5> kTexts{
        QT_TRANSLATE_NOOP("SettingUse", "%1 只有声音，不用这一项"),
        QT_TRANSLATE_NOOP("SettingUse", "%1 不用这一项，总是用它自己的值"),
        QT_TRANSLATE_NOOP("SettingUse", "视频尺寸为原始大小时，%1 不用这一项；选一个尺寸即可设置它"),
        QT_TRANSLATE_NOOP("SettingUse", "%1 总是保持源文件的画面尺寸"),
        QT_TRANSLATE_NOOP("SettingUse", "%1 不能保持原始大小，请选一个尺寸"),
    };
    return QCoreApplication::translate("SettingUse", kTexts[static_cast<std::size_t>(why)])
        .arg(format.listText.toString());
}

} // namespace sonvera
