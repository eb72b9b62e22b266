#include "conversionsettings.h"

#include "formats.h"

namespace sonvera {

void applyPreset(ConversionSettings &settings, int formatIndex)
{
    const FormatInfo *format = formatAt(formatIndex);
    if (!format)
        return;
    const FormatPreset &preset = format->preset;
    if (preset.videoBitrate)
        settings.videoBitrate = preset.videoBitrate->toString();
    if (preset.frameRate)
        settings.frameRate = preset.frameRate->toString();
    if (preset.videoSize)
        settings.videoSize = preset.videoSize->toString();
    settings.audioRate = preset.audioRate.toString();
    settings.audioBitrate = preset.audioBitrate.toString();
    settings.channelIndex = preset.channelIndex;
}

void ConversionSettings::selectFormat(int index)
{
    formatIndex = index;
    applyPreset(*this, index);
}

ConversionSettings ConversionSettings::startupDefaults(const QString &defaultOutputFolder)
{
    // Start-up picks audio bitrate position 7, audio rate position 1 and two
    // channels, then the first format, whose preset replaces most of it.
    ConversionSettings s;
    s.audioBitrate = ParameterLists::audioBitrate()[7].toString();
    s.audioRate = ParameterLists::audioRate()[1].toString();
    s.channelIndex = 1;
    s.selectFormat(0);
    s.outputFolder = defaultOutputFolder;
    return s;
}

ConversionSettings ConversionSettings::forFormat(int formatIndex, const QString &outputFolder)
{
    ConversionSettings settings = startupDefaults(outputFolder);
    settings.selectFormat(formatIndex);
    return settings;
}

} // namespace sonvera
