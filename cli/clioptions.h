#pragma once

#include "encodercommands.h"
#include "conversionsettings.h"
#include "nativepath.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace sonvera {

// What the command line asks for, after checking.
struct CliOptions {
    ConversionSettings settings;   // preset applied first, then the overrides
    QList<NativePath> inputs;      // files and folders as given, their bytes kept
    NativePath outputFolder;       // -o made absolute, its bytes kept; empty: the default
    std::optional<ClipRange> cut;  // --cut, for MP3
    ConversionChoices choices;     // --direct, --remux, --no-keep-dates, --keep-tree
    int jobs = 1;                  // files converted at once, at least 1
    bool dryRun = false;
    bool quiet = false;
    bool json = false;             // events as JSON Lines on standard output (see cli/jsonevents.h)
    bool spaceCheck = true;        // refuse to start when the disks cannot hold the batch (--no-space-check: start anyway)
};

struct CliParseResult {
    std::optional<CliOptions> options; // empty: print `message` and exit with `exitCode`
    QString message;
    int exitCode = 0;
};

// The format a --format value names: 0-8 or a short name ("rmvb", "mobile-mp4", ...).
std::optional<int> parseFormatName(const QString &text);

// Parses the arguments (argv without the program name is not enough: pass
// all of them, each as nativeToEscaped(), so that names that are not UTF-8
// keep their bytes). `defaultOutputFolder` is used when -o is absent. A
// setting the chosen format would not use is refused (exit status 2), naming
// the option and why.
CliParseResult parseCliArguments(const QStringList &arguments, const QString &defaultOutputFolder);

} // namespace sonvera
