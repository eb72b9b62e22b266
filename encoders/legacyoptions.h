#pragma once

#include "encoderstatus.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace sonvera::encoders {

// A command-line fault: what the program says, the file it concerns (empty
// when no file is known yet), and which setting it was (facts.setting and
// facts.value) when a setting's text was empty.
struct UsageError {
    QString file;
    QString cause;
    FailureFacts facts;
};

// What the engine asks beyond a legacy command line, in arguments after it
// (formatcodings.h, namespace words): never part of the legacy lines.
struct EncoderFlags {
    bool remux = false;     // copy the source's streams when they fit, code them otherwise
    bool remuxOnly = false; // copy them when they fit, or write nothing (FailureCode::NotCopied)

    bool copies() const { return remux || remuxOnly; }
};
// Takes the flags off the end of `arguments`; the legacy line remains.
EncoderFlags takeEncoderFlags(QStringList &arguments);

// conv's MEncoder-style command line. The source is the first argument that
// is not one of conv's options (it may begin with "-"); every option takes
// one value. Both -lavcopts lists are merged key by key.
struct ConvRequest {
    QString source;
    QString output;                      // -o
    QString audioEncoder;                // -oac: "mp3lame" or "lavc"
    std::optional<QString> lamePreset;   // preset= of -lameopts
    QString videoEncoder;                // -ovc: "lavc"
    QMap<QString, QString> lavcOptions;  // acodec, abitrate, vcodec, vbitrate, vpass, ...
    std::optional<QString> outputFps;    // -ofps
    QString container;                   // -of: "avi" or "lavf"
    QString lavfFormat;                  // format= of -lavfopts; the name's extension decides instead
};

struct ConvParse {
    std::optional<ConvRequest> request;
    UsageError error; // set when request is empty
};
ConvParse parseConvArguments(const QStringList &arguments);

// coder's FFmpeg-style command line: options, then the output path last.
// Options that need a value and are followed by another option or by the
// output path have none: the setting text was empty.
struct CoderRequest {
    QString input;                        // -i
    QString output;                       // last argument
    bool overwrite = false;               // -y
    bool noVideo = false;                 // -vn
    bool noAudio = false;                 // -an
    std::optional<QString> size;          // -s
    std::optional<QString> videoCodec;    // -vcodec
    std::optional<QString> audioCodec;    // -acodec
    std::optional<QString> videoBitrate;  // -b
    std::optional<QString> audioBitrate;  // -ab
    std::optional<QString> sampleRate;    // -ar
    std::optional<QString> channels;      // -ac
    std::optional<QString> format;        // -f
    std::optional<QString> clipStart;     // -ss, whole seconds
    std::optional<QString> clipEnd;       // -to, whole seconds
};

struct CoderParse {
    std::optional<CoderRequest> request;
    UsageError error;
};
CoderParse parseCoderArguments(const QStringList &arguments);

} // namespace sonvera::encoders
