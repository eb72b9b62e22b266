#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace sonvera {

// What the progress display shows: how far the stage is (0..1; the view
// draws its bar and value from it) and the caption.
struct ProgressDisplay {
    double fraction = 0;
    QString caption;       // with the spinner glyph, as a terminal shows it: "转换中- 42%"
    QString steadyCaption; // the same without it, for a window that draws its own: "转换中 42%"
    QChar spinner;         // the glyph; null when the caption has none
    QString percent;       // the percentage as the caption writes it ("42"); empty at a stage's end
    bool copying = false;  // the stage copies the source's streams: the captions say 复制中
    int step = 0;          // while a file converts: its stage, 1 or 2 of stepCount; else 0
    int stepCount = 0;

    friend bool operator==(const ProgressDisplay &, const ProgressDisplay &) = default;
};

// The small state the two output readers share for the file being converted.
struct ProgressState {
    QChar spinnerGlyph = u'-'; // one step per received chunk: - \ | /
    int durationSeconds = 0;   // length of the current source in whole seconds; 0 = not read yet
    QString partialLine;       // the unfinished last line of the chunks so far, while the banner is awaited
    bool copying = false;      // the encoder copies the streams: the caption says so

    // Called when a file is complete: the next file's banner is read afresh.
    void fileComplete()
    {
        durationSeconds = 0;
        partialLine.clear();
    }
};

// The spinner step: "-" → "\" → "|" → "/" → "-".
QChar nextSpinnerGlyph(QChar glyph);

// Reads one chunk of the first-stage (MEncoder-style) encoder's output: the
// first "(" that encloses three or four characters gives the percentage.
// Returns the new display, or nothing when the chunk holds no such field.
std::optional<ProgressDisplay> readMencoderProgress(ProgressState &state, QStringView chunk);

// Reads one chunk of an FFmpeg-style encoder's output: the banner's
// "Duration: " gives the length once per file (a banner line cut between two
// chunks is read whole), a "time=" field the position in seconds. Returns the
// new display, or nothing when the chunk holds no "time=".
std::optional<ProgressDisplay> readFfmpegProgress(ProgressState &state, QStringView chunk);

// The first four characters of the plain decimal text of `percent` (at most 15
// significant digits, no trailing zeros): 5.8536... gives "5.85", 0.005 "0.00".
QString percentText(double percent);

// The display of an idle window and of the end of a batch.
ProgressDisplay idleDisplay(const QString &caption);

// A file's progress as its row in a list says it: the steady caption, with the
// step ("1/2") in front for a file of two stages; a file of one stage is
// converting ("转换中 42%") whichever encoder converts it.
QString rowProgressText(const ProgressDisplay &display);

// A percentage as the window says it: a whole number within 0..100, rounded
// down so that 100 is said only at the end (a share's rounding error, 28.99999
// for 29, does not count).
int wholePercent(double percent);

// The steady caption with its percentage as a whole number, rounded down
// ("创建中 58%" for "创建中 58.3%"): the window's captions keep one form and
// one width whichever encoder reports.
QString wholePercentCaption(const ProgressDisplay &display);

} // namespace sonvera
