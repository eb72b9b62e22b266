#pragma once

#include "encodercommands.h"

#include <QtGlobal>

#include <optional>

namespace sonvera {

// Program-wide options kept in options.ini and edited by the options dialog.
// The widths are those of the file's fields.
struct AppOptions {
    qint16 finishSoundIndex = 0; // position in the dialog's list: 0 "ON" plays the finish sound, 1 "OFF"; -1 none
    qint16 cutterEnabled = 0;    // the "Music Cutter" switch: 1 on, 0 off
    qint32 cutStartSeconds = 0;  // clip start, whole seconds
    qint32 cutEndSeconds = 0;    // clip end, whole seconds

    // Only position 0 ("ON") plays the sound; "OFF" and no selection stay silent.
    bool playsFinishSound() const { return finishSoundIndex == 0; }

    // The range an MP3 conversion takes: set only while the cutter is on and
    // the end lies after the start. A negative start (the dialog sets no lower
    // limit) means the beginning of the source.
    std::optional<ClipRange> mp3Clip() const;

    friend bool operator==(const AppOptions &, const AppOptions &) = default;
};

} // namespace sonvera
