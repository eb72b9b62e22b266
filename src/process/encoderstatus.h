#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace sonvera {

// Why a file did not convert. An encoder program (conv, coder, coder2) exits
// with its cause's number, and the engine adds causes it finds itself. Each
// cause has a short ASCII name for scripts (failureCodeName). Numbers and
// names never change: a new cause takes a new number and a new name.
enum class FailureCode : int {
    None = 0,                 // converted: the output is complete and published
    Failed = 1,               // "failed": ffmpeg refused the settings, or no cause below fits
    BadSetting = 2,           // "bad-setting": a parameter it cannot use (not a number, no such size)
    SourceUnreadable = 3,     // "source-unreadable": no permission to read it
    OutputUnwritable = 4,     // "output-unwritable": the output folder is read-only or not a folder
    NoVideo = 5,              // "no-video": a video format asked of a source without video
    NoAudio = 6,              // "no-audio": MP3 asked of a source without sound
    CodecUnsupported = 7,     // "codec-unsupported": a stream this system's ffmpeg cannot decode
    SourceDamaged = 8,        // "source-damaged": nothing readable, or its picture cannot be read
    FfmpegMissing = 9,        // "ffmpeg-missing": ffmpeg is not installed or cannot be started
    SourceTruncated = 10,     // "source-truncated": the source ends early; a partial output was kept
    DiskFull = 11,            // "disk-full": the output folder's disk is full
    TempDiskFull = 12,        // "temp-disk-full": the temporary folder's disk is full
    OutputFolderMissing = 13, // "output-folder-missing": the output folder is gone
    OutputRemoved = 14,       // "output-removed": another program deleted the unfinished output
    FfmpegKilled = 15,        // "ffmpeg-killed": ffmpeg was ended by a signal (out of memory, kill -9)
    TooManyFiles = 16,        // "too-many-files": no file descriptor left to start a program
    SourceMissing = 17,       // "source-missing": moved or deleted
    SourceNotAFile = 18,      // "source-not-a-file": a folder, pipe, device or socket
    Stopped = 19,             // "stopped": a stop signal ended the encoder (not the front end's own Stop)
    NotCopied = 20,           // "not-copied": asked only to copy, the source's streams do not fit; nothing written
    CannotStart = 21,         // "cannot-start": a program could not be started for want of process slots or memory

    // Causes the engine finds itself; no encoder exits with these.
    EncoderMissing = 64,      // "encoder-missing": data/conv, coder or coder2 is missing or not executable
    EncoderCrashed = 65,      // "encoder-crashed": the encoder died of a signal
    NoFormat = 66,            // "no-format": no output format picked
    NoWorkFolder = 67,        // "no-work-folder": the temporary folder cannot be made or written
    NoOutput = 68,            // "no-output": the encoder said it finished, but no output is there
};

// "source-truncated", ...; "" for None.
QString failureCodeName(FailureCode code);
// The cause of a name; nothing for an unknown name.
std::optional<FailureCode> failureCodeFromName(QStringView name);
// An encoder's exit status as a cause: Failed for any status no encoder uses.
FailureCode failureCodeFromExitStatus(int exitStatus);

// What an encoder tells about a failure besides its cause, so that the front
// end can say it in the user's words. Only what applies is set.
struct FailureFacts {
    std::optional<double> sourceEndSeconds; // source-truncated: where the source's data ends
    std::optional<double> convertedSeconds; // source-truncated: how much was converted
    std::optional<double> declaredSeconds;  // source-truncated: how long the source says it is
    QString output;   // file name of a partial output that was kept
    QString stream;   // "video" or "audio": the stream at fault
    QString codec;    // codec-unsupported: what the file holds ("FLV 12", "HEVC")
    QString setting;  // bad-setting: "video-bitrate", "frame-rate", "size", "audio-rate",
                      // "audio-bitrate", "channels" or "clip"
    QString value;    // bad-setting: the text that was given
    QString folder;   // the folder at fault (output folder, temporary folder)
    QString detail;   // ffmpeg's own line, for the curious; never the whole story
    int signal = 0;   // ffmpeg-killed: the signal
    bool soundUsable = false; // codec-unsupported video: MP3 can still take the sound
    // What the engine adds when the encoder said nothing: which program and how it ended.
    QString program;
    int exitStatus = 0;

    friend bool operator==(const FailureFacts &, const FailureFacts &) = default;
};

// The facts of a bad setting: its key ("audio-bitrate") and the text given.
FailureFacts settingFacts(const QString &setting, const QString &value = {});

struct EncoderReport {
    FailureCode code = FailureCode::Failed;
    FailureFacts facts;
};

// An encoder's machine-readable failure line, printed before its last line
// (which says the same in English for whoever runs it by hand):
// `conv: failure source-truncated source-end=9.61 converted=9.61 declared=33.04 output="a-1.mp3"`.
// Texts are quoted with every line break and control character escaped, so
// the line stays one line whatever a name holds.
QString failureReportLine(QStringView program, const EncoderReport &report);
// The last such line in an encoder's output, if any.
std::optional<EncoderReport> lastFailureReport(QStringView output);

// On success an encoder's last line names the file it wrote, which may carry
// "-2", "-3", ... when another program took the planned name meanwhile:
// `coder: wrote "talk-1479-2.mp3"`. The name is quoted as above.
QString publishedLine(QStringView program, QStringView fileName);
// The file name of the last such line in an encoder's output, if any.
std::optional<QString> publishedFileName(QStringView output);

// An encoder that copies the source's streams instead of coding them says so
// once, before its first status line: `coder: copying the streams`.
QString streamCopyLine(QStringView program);
// True when `output` holds such a line.
bool announcesStreamCopy(QStringView output);

// A source whose data ends on a whole tag but whose header claims more (a
// live recorder that never rewrote it, a trimmed copy) converts; its encoder
// says so before its last line:
// `conv: header claims more holds=33.04 declared=60.00` (seconds).
struct HeaderNote {
    double holdsSeconds = 0;    // the time the source's data covers
    double declaredSeconds = 0; // the length its header claims
    friend bool operator==(const HeaderNote &, const HeaderNote &) = default;
};
QString headerNoteLine(QStringView program, const HeaderNote &note);
// The last such line in an encoder's output, if any.
std::optional<HeaderNote> lastHeaderNote(QStringView output);

// `text` in double quotes, with "\", '"' and control characters escaped
// (\n, \r, \t, \xHH); and back. Unquoting gives nothing for a text that is
// not one such quoted piece.
QString quotedText(QStringView text);
std::optional<QString> unquotedText(QStringView quoted);

} // namespace sonvera
