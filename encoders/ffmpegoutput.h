#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QSize>
#include <QString>

#include <optional>

namespace sonvera::encoders {

// One stream of an input, as ffmpeg's input listing describes it.
struct StreamInfo {
    enum class Kind { Video, Audio, Other };
    Kind kind = Kind::Other;
    QString codec;                 // "h264", "mp3", ...; "none" when ffmpeg has no decoder for it
    int codecTag = -1;             // the container's codec number ("/ 0x000C"); -1 when not listed
    QSize size;                    // video only; invalid when not listed
    double frameRate = 0;          // video only, frames per second ("tbr"); 0 when not listed
    int sampleRate = 0;            // audio only, Hz; 0 when not listed
    bool attachedPicture = false;  // cover art: a still image, not a video

    bool decodable() const { return codec != u"none"; }
};

// What ffmpeg's listing of one input says.
struct InputInfo {
    QString format;                        // demuxer name, e.g. "flv"
    std::optional<double> durationSeconds; // empty when ffmpeg prints N/A
    QString startText;                     // e.g. "0.000000"; empty when not listed
    QString bitrateText;                   // e.g. "948 kb/s" or "N/A"
    QList<StreamInfo> streams;
    QList<std::pair<QString, QString>> tags; // the input's own metadata ("title", ...), in listed order
    bool complete = false;                 // the listing has ended

    // The value of metadata `key` (any letter case), or an empty text.
    QString tag(QStringView key) const;

    // The first real video stream (no cover art), or nullptr.
    const StreamInfo *video() const;
    const StreamInfo *audio() const;
};

// The lines of a stream read in chunks that may end anywhere; "\r" ends a
// line as "\n" does. A line is cut after kMaxLineBytes and the rest of it
// dropped: ffmpeg prints no line that long of its own, but a file's metadata
// (a title of many megabytes) can make it print one without end.
class LineBuffer final {
public:
    static constexpr qsizetype kMaxLineBytes = 16 * 1024;

    QList<QByteArray> take(QByteArrayView chunk);
    QByteArray takeRest(); // the unfinished last line

private:
    QByteArray m_pending;    // the unfinished line
    bool m_dropping = false; // it was cut: the rest of it goes
};

// Reads ffmpeg's standard error written with `-loglevel level+info`, where
// every message starts with its level in brackets. It collects the listings
// of the inputs ("Input #0 ..." with its "Duration:" and "Stream #0:N" lines)
// and the texts of its error and warning messages, from which a failure is
// told apart. Chunks may end anywhere; an unfinished line waits for the next
// chunk.
class FfmpegLogReader final {
public:
    void feed(const QByteArray &chunk);
    void finish(); // reads an unfinished last line

    // The listing of input `index`, or nullptr when it has not begun.
    const InputInfo *input(int index) const;
    // The text of the last error (or, when none, warning) message, without
    // prefixes; empty when there was none.
    QString lastProblem() const { return m_lastError.isEmpty() ? m_lastWarning : m_lastError; }
    // The distinct texts of the error (fatal included) and warning messages,
    // in the order first seen; at most kKeptMessages of each.
    const QStringList &errors() const { return m_errors; }
    const QStringList &warnings() const { return m_warnings; }
    static constexpr qsizetype kKeptMessages = 64;

private:
    void readLine(QString line);

    // A line of the input's metadata (and its continuations); false when it is none.
    bool readTagLine(const QString &text, bool prefixed);

    LineBuffer m_lines;
    QList<InputInfo> m_inputs;
    int m_current = -1; // input whose listing is being read
    bool m_inTags = false; // reading the current input's "Metadata:" block
    QString m_lastError;
    QString m_lastWarning;
    QStringList m_errors;
    QStringList m_warnings;
};

// One block of ffmpeg's `-progress` output. Fields that a block lacks or
// that read "N/A" are left at their "unknown" values.
struct ProgressBlock {
    qint64 frame = -1;
    double fps = -1;
    qint64 totalSizeBytes = -1;
    std::optional<double> outTimeSeconds;
    double bitrateKbps = -1;
    double speed = -1;  // times real time
    bool end = false;   // the last block: ffmpeg has written everything
};

// Splits ffmpeg's `-progress` key=value stream into blocks; each block ends
// with its "progress=" line. Chunks may end anywhere.
class ProgressReader final {
public:
    QList<ProgressBlock> feed(const QByteArray &chunk);

private:
    LineBuffer m_lines;
    ProgressBlock m_block;
};

} // namespace sonvera::encoders
