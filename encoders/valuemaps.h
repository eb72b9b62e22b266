#pragma once

#include <QSize>
#include <QString>
#include <QStringView>

#include <optional>

namespace sonvera::encoders {

// A setting value after it was fitted to what a codec or container takes.
// `warning` says from what to what when the value changed, and is empty
// when the asked value was taken as it is.
template<typename T>
struct Mapped {
    T value;
    QString warning;
};

// Reads a plain decimal number: digits with at most one decimal point ("12",
// "10.2", ".5"). Blanks, signs, exponents and units make it no number.
std::optional<double> parseDecimal(QStringView text);

// Reads a bitrate in kbit/s as the legacy FFmpeg options write it: "128k",
// "12.2k" or a bare number, which counts as kbit/s below 1000 and as bit/s
// from 1000 on (so "128000" is 128 kbit/s too).
std::optional<double> parseKbitPerSecond(QStringView text);

// Reads "WIDTHxHEIGHT" with both sides whole numbers from 2 to 8192.
std::optional<QSize> parseFrameSize(QStringView text);

// Writes a number the short way: 32, 10.2, 23.976.
QString numberText(double value);

// A frame rate as a fraction, e.g. 24000/1001.
struct FrameRate {
    int num = 0;
    int den = 1;
    double value() const { return double(num) / den; }
    QString text() const; // "24" or "24000/1001", as ffmpeg's -r takes it
    friend bool operator==(const FrameRate &, const FrameRate &) = default;
};

// MPEG-1 video codes only a fixed set of frame rates (23.976, 24, 25, 29.97,
// 30, 50, 59.94, 60, and with -strict unofficial 5, 10, 12, 15). Any other
// asked rate becomes the nearest of them, so 23 gives 24000/1001 and 29 gives
// 30000/1001. `asked` must be above 0.
Mapped<FrameRate> mpeg1FrameRate(double asked);

// MP2 (MPEG-1 Layer II at 44.1 kHz) bitrates: 32 to 384 kbit/s from a fixed
// table; the nearest is taken (10.2 and 12.2 give 32).
Mapped<int> mp2Bitrate(double kbps);

// The sample rates LAME takes: the nearest (12050 gives 12000; 28000 lies
// midway between 24000 and 32000 and gives 32000).
Mapped<int> lameSampleRate(int hz);

// LAME's constant bitrates depend on the sample rate: 32-320 kbit/s at 32-48
// kHz, 8-160 at 16-24 kHz, 8-64 at 8-12 kHz. The nearest is taken.
Mapped<int> lameBitrate(double kbps, int sampleRate);

// The average bitrate for MP3 audio at 44.1 kHz (the high-definition MP4's
// LAME preset): 32 to 320 kbit/s.
Mapped<int> lameAverageBitrate(double kbps);

// AC-3 (the RealMedia muxer's audio) takes 32000, 44100 and 48000 Hz.
Mapped<int> ac3SampleRate(int hz);

// AC-3 bitrates: 32 to 640 kbit/s from a fixed table; the nearest is taken.
Mapped<int> ac3Bitrate(double kbps);

// RealVideo 1 frames must stay under 64 kB, which its rate control keeps only
// up to about 5000 kbit/s; higher rates are lowered to that.
Mapped<int> realVideoBitrate(double kbps);

// The rate control's buffer that keeps every RealVideo frame under the
// RealMedia packet limit of 64 kB, in kbit.
inline constexpr int kRealVideoBufferKbit = 480;

// The encoder refuses a buffer smaller than one frame's share of the
// bitrate, and a frame cannot grow past the buffer: at low frame rates
// (`fps` frames per second, as ffmpeg lists the source) the bitrate is
// lowered to what one buffer a frame allows.
Mapped<int> realVideoBitrateAt(int kbps, double fps);

// RealVideo 1 codes at most 4095 macroblocks of 16x16 pixels a frame.
inline constexpr int kRealVideoMaxMacroblocks = 4095;

// For a frame of `size` (before its padding to multiples of 16) that holds
// more macroblocks than RealVideo codes: the largest size within the limit
// with both sides multiples of 16 whose shape is that of `size` within a
// quarter of a percent, so 1920x1080 gives 1280x720. Empty when the padded
// frame fits as it is.
std::optional<QSize> realVideoFittedSize(QSize size);

// The warning for the scaling above.
QString realVideoFittedSizeWarning(QSize from, QSize to);

// The eight AMR-NB modes, by their bitrate in kbit/s; the nearest is taken.
// `mode` is the index into 4.75, 5.15, 5.9, 6.7, 7.4, 7.95, 10.2, 12.2, which
// is also libopencore-amrnb's enum Mode.
struct AmrMode {
    int mode = 7;
    double kbps = 12.2;
};
Mapped<AmrMode> amrMode(double kbps);

// The channel count of an output: 0 keeps the source's; more than `maximum`
// gives `maximum`.
Mapped<int> channelCount(int asked, int maximum);

// RealVideo 1 needs width and height in multiples of 16: the picture gets
// black borders up to the next multiple.
QSize paddedTo16(QSize size);

// H.264 in 4:2:0 needs even width and height: an odd side loses one pixel.
QSize evenSize(QSize size);

// "480x270"
QString sizeText(QSize size);

} // namespace sonvera::encoders
