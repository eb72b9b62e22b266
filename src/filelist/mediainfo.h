#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QMetaType>

#include <optional>

namespace sonvera {

// What the list shows of a source before it is converted: its length, its
// picture size, its size on disk and a small picture of it. Filled in by a
// MediaProbe in the background; every field may stay unknown.
struct MediaInfo {
    enum class State {
        Unknown,    // not probed yet
        Known,      // probed; the fields below hold what could be read
        Unreadable, // not a file the probe could read as media
    };

    State state = State::Unknown;
    std::optional<double> durationSeconds; // > 0 when known
    int width = 0;                         // picture size in pixels; 0 when there is no picture
    int height = 0;
    qint64 fileBytes = -1;                 // size on disk; -1 when unknown
    QByteArray thumbnailPng;               // a frame as PNG, a few dozen pixels high; empty for none

    bool hasPicture() const { return width > 0 && height > 0; }
};

// Reads what `ffprobe -print_format json -show_entries
// format=duration:stream=codec_type,width,height` printed: the length from the
// format, the picture size from the first video stream. Nothing when the text
// is not such a report or names neither a length nor a stream.
std::optional<MediaInfo> readProbeReport(QByteArrayView json);

// Reads the replies of the probe helper (data/probe) as its output arrives,
// in pieces of any size:
//     <id> <ok|bad> <seconds|-> <width> <height> <png length>\n<png bytes>
// Bytes that break this form end the reading for good (broken()): the helper
// is not doing what it was asked, and is ended.
class ProbeReplyReader {
public:
    struct Reply {
        quint64 id = 0;
        MediaInfo info; // Known or Unreadable; fileBytes is left unknown
    };
    static constexpr qsizetype kLongestHeader = 128;             // bytes
    static constexpr qsizetype kMostPngBytes = 4 * 1024 * 1024;  // larger is no thumbnail of ours

    // The replies `bytes` completed, in order.
    QList<Reply> read(QByteArrayView bytes);
    bool broken() const { return m_broken; }
    // For a new helper: what an ended one left half said is dropped.
    void reset();

private:
    QByteArray m_buffer;
    bool m_broken = false;
};

} // namespace sonvera

Q_DECLARE_METATYPE(sonvera::MediaInfo)
