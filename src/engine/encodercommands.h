#pragma once

#include "conversionsettings.h"
#include "formats.h"
#include "naming.h"

#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>

namespace sonvera {

// What an encoder run makes, which decides what its end means: a copy
// attempt's output is the file's output (or nothing, when the streams do not
// fit); an intermediate is only read by the second stage of the same file.
enum class RunRole { CopyAttempt, Intermediate, Output };

// One encoder run: the program and its argument list, which is what gets
// started (never through a shell), plus the legacy one-line text form that
// logs, --dry-run and tests show. Setting texts stay whole in the argument
// list even when they hold blanks; the text form is plain concatenation.
struct EncoderCommand {
    QString program;       // absolute path of the encoder in data/
    QStringList arguments; // one entry per argument, without quotes
    QString text;          // program, options and quoted paths, byte for byte
    OutputStyle outputStyle = OutputStyle::Mencoder; // how the encoder reports progress
    QString encoderImage;  // "conv", "coder" or "coder2"
    QString outputPath;    // the file this run writes: the output, or the intermediate file
    RunRole role = RunRole::Output;

    // No command: the format index was outside the catalogue, or the format
    // has no such stage. Callers must not start a run then.
    bool isEmpty() const { return program.isEmpty(); }
};

// A clip range in whole seconds; applied to MP3 conversions only, and only
// when its end lies after its start.
struct ClipRange {
    int startSeconds = 0;
    int endSeconds = 0;
    bool isUsable() const { return endSeconds > startSeconds; }
};

// What a command depends on besides the settings, passed in so that tests can fix it.
struct CommandContext {
    QString programFolder;        // folder of the executable, no trailing "/"
    QString workFolder;           // private folder that holds the intermediate tmp.mp4
    QTime clock;                  // local time for the output name
    FileExistsFn fileExists;      // when set, an output takes the first free name
    std::optional<ClipRange> mp3Clip;
    ConversionChoices choices;    // direct and remux shape the commands; the rest the batch
};

// The work folder's intermediate file, written by the first stage of the
// two-stage formats and read by their second stage.
QString intermediateFilePath(const QString &workFolder);

// True when `settings`' format converts in two runs under `context`: a
// two-stage format, unless the one-stage route is chosen.
bool convertsInTwoStages(const ConversionSettings &settings, const CommandContext &context);

// The first encoder run for `sourcePath`. `outputFolder` must end in "/".
// With the one-stage route a two-stage format has this run alone: the second
// stage's words with the source in place of the intermediate. With remux
// chosen, a run whose output could hold the source's streams as they are
// ends in kRemuxFlag.
EncoderCommand buildFirstStageCommand(const QString &sourcePath, const QString &outputFolder,
                                      const ConversionSettings &settings, const CommandContext &context);

// The second run of a two-stage format (RMVB, RM, MOV, mobile MP4, 3GP); an
// empty command for every other format, and with the one-stage route. A "/" is added to a copy of
// `outputFolder` when it lacks one.
EncoderCommand buildSecondStageCommand(const QString &sourcePath, const QString &outputFolder,
                                       const ConversionSettings &settings, const CommandContext &context);

// With remux chosen and the two-stage route, a format whose output can hold
// the source's streams (MOV) first tries to copy them: the one-stage run
// ending in kRemuxOnlyFlag, which writes nothing and ends with
// FailureCode::NotCopied when they do not fit; the stages follow then. An
// empty command for every other case.
EncoderCommand buildCopyAttemptCommand(const QString &sourcePath, const QString &outputFolder,
                                       const ConversionSettings &settings, const CommandContext &context);

} // namespace sonvera
