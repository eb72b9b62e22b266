#pragma once

#include "encodercommands.h"
#include "conversionsettings.h"

#include <QMap>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Helpers for tests that run the real encoder programs and ffmpeg.
namespace sonvera::testkit {

// The program folder of the build (SONVERA_PROGRAM_DIR).
QString programFolder();

struct Run {
    int exitCode = -1;
    bool finished = false;
    QString output; // standard output and standard error, merged in order
    // The last line that is not empty, after splitting at "\r" and "\n".
    QString lastLine() const;
    QStringList lines() const;
};

// Runs `program` to its end (at most `timeoutMs`), with `path` as PATH when set.
Run runProgram(const QString &program, const QStringList &arguments, int timeoutMs = 120000,
               const std::optional<QString> &path = std::nullopt);

// Makes a test source with ffmpeg; `arguments` go between the common options
// and the output path. Returns false (and says why) when ffmpeg fails.
bool makeSource(const QString &path, const QStringList &arguments);

// What ffprobe reads from a file.
struct Probe {
    bool ok = false;
    QString formatName;  // "avi", "mpeg", "mov,mp4,m4a,3gp,3g2,mj2", ...
    QString majorBrand;  // ISO files: "isom", "3gp4", "qt  "
    double duration = -1;
    QString videoCodec;  // empty: no video stream
    QSize size;
    QString frameRate;   // r_frame_rate, e.g. "24000/1001"
    QString audioCodec;  // empty: no audio stream
    int sampleRate = 0;
    int channels = 0;
    qint64 audioBitrate = 0;
    QMap<QString, QString> tags; // the file's metadata: "title", "artist", ...
};
Probe probe(const QString &path);

// Each packet of a file's first video ("v") or audio ("a") stream as
// ffmpeg's framemd5 lists it when copying: its size and checksum.
QStringList packets(const QString &path, const QString &stream);

// Where a file's sound lies against its picture, in seconds.
struct Timing {
    bool ok = false;
    double videoEnd = -1;   // the end of the last frame; -1 without video
    double audioStart = -1; // the first audio packet's time; -1 without audio
    double audioEnd = -1;   // where the sound ends
    double soundStart = -1; // the first audible sample (after any silence a late start became)
    double soundLength() const { return audioEnd - soundStart; }
};
// With `played`, the audio ends where its decoded samples, played back to
// back from its first packet, run out: what a player does, whatever the
// timestamps say. Otherwise it ends where its last packet's timestamp and
// duration say: the reference a source gives.
Timing timing(const QString &path, bool played);

// One conversion as the engine runs it: stage one, and stage two for the
// two-stage formats, with the commands built by the engine itself under
// `choices` (the one-stage route runs one encoder on the source).
struct Conversion {
    bool ok = false;
    QString outputPath; // the final output the commands named
    Run first;
    Run second;         // empty for one-stage formats
    const Run &last() const { return second.exitCode == -1 && !second.finished ? first : second; }
};
Conversion convert(const QString &source, const QString &outputFolder, const QString &workFolder,
                   const ConversionSettings &settings, std::optional<ClipRange> clip = std::nullopt,
                   const ConversionChoices &choices = {});

// The second stage alone, reading an intermediate that is already in `workFolder`.
Conversion convertSecondStage(const QString &source, const QString &outputFolder, const QString &workFolder,
                              const ConversionSettings &settings);

// Copies an FLV file tag by tag: `change` gets each tag's type (8 sound,
// 9 video, 18 script) and data, and returns the data to write in its place
// (of any size), or nothing to drop the tag.
using FlvTagChange = std::function<std::optional<QByteArray>(int type, const QByteArray &data)>;
// `retime`, when given, gets each tag's type and timestamp (ms) and returns
// the timestamp to write.
using FlvRetime = std::function<qint64(int type, qint64 ms)>;
bool rewriteFlv(const QString &from, const QString &to, const FlvTagChange &change, const FlvRetime &retime = {});
// A script tag's data with its "duration" number set to `seconds`.
QByteArray withFlvDuration(QByteArray script, double seconds);

// An FLV header followed by `bytes` of noise from `seed`: no readable stream.
bool makeNoiseFlv(const QString &path, qsizetype bytes, quint32 seed);

// The first third of a file's bytes, as an interrupted download leaves it.
bool copyFirstThird(const QString &from, const QString &to);
// The first `share` (0..1) of a file's bytes.
bool copyFirstShare(const QString &from, const QString &to, double share);

// The entries of a folder, hidden ones included.
QStringList folderEntries(const QString &folder);

} // namespace sonvera::testkit
