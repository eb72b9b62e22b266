#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>

// The frame a later launch sends to the running window: the files and
// folders it was given. Big-endian, as QDataStream writes a quint32 magic and
// a QByteArrayList: the magic "SVR1", the number of paths, then each path as
// its length and its bytes. Pure functions of bytes, so that every rule is
// checked without a socket (and fuzzed).
namespace sonvera::HandOverFrame {

// Larger than any launch's arguments (a shell expands at most about 2 MB);
// a client that sends more is not a launch of ours.
inline constexpr qsizetype kMaxFrameBytes = 16 * 1024 * 1024;

QByteArray encode(const QByteArrayList &paths);

struct Decoded {
    enum class Status {
        Incomplete, // a whole frame may still follow: wait for more bytes
        Malformed,  // no more bytes can make this a frame: close the connection
        Complete,
    };
    Status status = Status::Incomplete;
    QByteArrayList paths;  // when Complete: absolute paths, none empty, none holding NUL
    qsizetype frameBytes = 0; // when Complete: the bytes the frame took
};

// Reads the frame at the start of `bytes`. Only absolute paths are taken: a
// relative one would be resolved against the window's own working folder,
// and "" or "-rf" are no files at all. The launch makes its paths absolute
// before sending them, so a frame with any other path is malformed.
Decoded decode(QByteArrayView bytes);

} // namespace sonvera::HandOverFrame
