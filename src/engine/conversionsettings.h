#pragma once

#include <QString>

namespace sonvera {

// The output format and parameters chosen for a batch. The texts are what the
// user typed or picked and go into command lines unchanged; nothing here is
// validated or converted.
struct ConversionSettings {
    int formatIndex = 0;    // position in the format list, 0..8; -1 when none is picked
    QString videoBitrate;   // kbit/s
    QString frameRate;      // frames per second
    QString videoSize;      // "WxH" or kKeepSourceSize
    QString audioRate;      // Hz
    QString audioBitrate;   // kbit/s
    int channelIndex = 1;   // list position; the channel count is channelIndex + 1; -1 when none
    QString outputFolder;   // folder text as shown in the panel

    // The number of audio channels handed to the encoders.
    int channelCount() const { return channelIndex + 1; }

    // Picks a format: sets formatIndex and applies that format's preset.
    void selectFormat(int index);

    // The values after start-up when no settings file exists.
    static ConversionSettings startupDefaults(const QString &defaultOutputFolder);
    // The start-up values with format `formatIndex` picked.
    static ConversionSettings forFormat(int formatIndex, const QString &outputFolder);

    friend bool operator==(const ConversionSettings &, const ConversionSettings &) = default;
};

// How a batch converts, beyond the format and its parameters: choices the
// user makes once (the options, sonvera-cli's flags) that leave the
// settings files and the default command lines as they are.
struct ConversionChoices {
    bool direct = false;   // two-stage formats in one run that reads the source
    bool remux = false;    // streams that fit the output's container are copied, not coded
    bool keepDates = true; // every output gets its source's modification time
    bool keepTree = false; // a folder's files go into the same subfolders under the output folder

    friend bool operator==(const ConversionChoices &, const ConversionChoices &) = default;
};

// Applies the preset of format `formatIndex` to the parameter fields. Formats
// 0-7 set all six, MP3 only the three audio fields (channel position 1), any
// other index nothing. A preset always overwrites what the fields held.
void applyPreset(ConversionSettings &settings, int formatIndex);

} // namespace sonvera
