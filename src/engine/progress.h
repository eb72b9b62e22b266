#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace sonvera {

// The full width of the progress bar in the legacy window units; the window
// draws the bar in proportion to it.
inline constexpr double kBarFullWidth = 5415.0;

// What the progress display shows: bar width (0..kBarFullWidth), progress
// value (0..100) and the caption.
struct ProgressDisplay {
    double barWidth = 0;
    double value = 0;
    QString caption;

    friend bool operator==(const ProgressDisplay &, const ProgressDisplay &) = default;
};

// The small state the two output readers share for the file being converted.
struct ProgressState {
    QChar SpinnerGlyph = u'-'; // one step per received chunk: - \ | /
    int DurationSeconds = 0;   // length of the current source in whole seconds; 0 = not read yet

    // Called when a file is complete: the next file's banner is read afresh.
    void fileComplete() { DurationSeconds = 0; }
};

// The spinner step: "-" → "\" → "|" → "/" → "-".
QChar NextSpinnerGlyph(QChar glyph);

// Reads one chunk of the first-stage (MEncoder-style) encoder's output: the
// first "(" that encloses three or four characters gives the percentage.
// Returns the new display, or nothing when the chunk holds no such field.
std::optional<ProgressDisplay> ReadFirstStageOutput(ProgressState &state, QStringView chunk);

// Reads one chunk of an FFmpeg-style encoder's output: the banner's
// "Duration: " gives the length once per file, a "time=" field the position in
// seconds. Returns the new display, or nothing when the chunk holds no "time=".
std::optional<ProgressDisplay> ReadFfmpegOutput(ProgressState &state, QStringView chunk);

// The first four characters of the plain decimal text of `percent` (at most 15
// significant digits, no trailing zeros): 5.8536... gives "5.85", 0.005 "0.00".
QString PercentText(double percent);

// The display of an idle window and of the end of a batch.
ProgressDisplay IdleDisplay(const QString &caption);

} // namespace sonvera
