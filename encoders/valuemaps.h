#pragma once

#include "formatcodings.h"

#include <QSize>
#include <QString>
#include <QStringView>

#include <optional>

namespace sonvera::encoders {

using coding::AudioCoding;
using coding::FrameRate;
using coding::VideoCoding;

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

// Each value below is fitted to what the coding of a format's row takes:
// the closest entry of its table, or its range, or its fixed value.

// The frame rate (above 0) as ffmpeg's -r takes it; 23 gives "24000/1001"
// for MPEG-1 video.
Mapped<QString> fitFrameRate(const VideoCoding &coding, double fps);
// The video bitrate, lowered to the coding's highest, in whole kbit/s there.
Mapped<double> fitVideoBitrate(const VideoCoding &coding, double kbps);
// The sample rate.
Mapped<int> fitSampleRate(const AudioCoding &coding, int hz);
// The audio bitrate at `sampleRate` Hz (the coding's own rate when it has one).
Mapped<double> fitAudioBitrate(const AudioCoding &coding, double kbps, int sampleRate);
// The channel count: 0 keeps the source's.
Mapped<int> fitChannels(const AudioCoding &coding, int asked);
// The position of a fitted bitrate in the coding's table: AMR-NB's mode
// (libopencore-amrnb's enum Mode follows the table's order).
int bitrateIndex(const AudioCoding &coding, double kbps, int sampleRate);

// A bitrate for a coding whose rate control keeps every frame within a
// buffer of `bufferKbit` (RealVideo's, see VideoCoding::frameBufferKbit):
// the encoder refuses a buffer smaller than one frame's share of the
// bitrate, so at low frame rates (`fps` frames per second, as ffmpeg lists
// the source) the bitrate is lowered to what one buffer a frame allows.
Mapped<int> bitrateForFrameBuffer(int kbps, double fps, int bufferKbit);

// For a frame of `size` (before its padding to multiples of 16) that holds
// more than `maxMacroblocks` macroblocks of 16x16 pixels: the largest size
// within the limit with both sides multiples of 16 whose shape is that of
// `size` within a quarter of a percent, so 1920x1080 gives 1280x720 for
// RealVideo's 4095. Empty when the padded frame fits as it is.
std::optional<QSize> sizeWithinMacroblocks(QSize size, int maxMacroblocks);

// The warning for the scaling above, naming `codec`.
QString macroblockWarning(QSize from, QSize to, QStringView codec, int maxMacroblocks);

// RealVideo 1 needs width and height in multiples of 16: the picture gets
// black borders up to the next multiple.
QSize paddedTo16(QSize size);

// H.264 in 4:2:0 needs even width and height: an odd side loses one pixel.
QSize evenSize(QSize size);

// "480x270"
QString sizeText(QSize size);

} // namespace sonvera::encoders
