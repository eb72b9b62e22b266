#pragma once

#include "appoptions.h"
#include "conversionsettings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// The text rules of the two settings files, free of any file access so that
// every rule can be checked on plain strings.
//
// setup.ini holds five quoted lines: the positions of the audio-bitrate,
// audio-rate and channel lists, the output folder, and the output format's
// position. options.ini holds the four numbers of AppOptions, bare. Both are
// written as UTF-8 with CR LF line ends; they are read with either line end,
// and a file that is not valid UTF-8 is read as GB18030 (the encoding of the
// Windows program's files).
namespace sonvera::SettingsText {

// The text of a file: UTF-8 when the bytes are valid UTF-8 (a leading byte
// order mark is dropped), else GB18030.
QString decode(const QByteArray &bytes);

// The lines of a decoded file, split at CR LF, LF or a CR alone. A line end
// after the last line does not start another line.
QStringList lines(QStringView text);

// True when the text holds a control character (a line break, a tab, NUL,
// C1 controls): no folder name the user chose does.
bool holdsControlCharacters(QStringView text);

// One value read from a line: leading blanks skipped; a value that starts with
// a double quote runs to the next double quote (or the line's end when none
// follows); any other value runs to the first comma or the line's end, trailing
// blanks removed.
QString readField(QStringView line);

// The text as a number only when it is nothing but one (blanks around it
// allowed): "13", " -1 ", "2.5"; nullopt for "", "abc", "1a".
std::optional<double> wholeNumber(QStringView text);

// `value` rounded to a whole number, a fraction of exactly one half going to
// the even neighbour (2.5 gives 2, 3.5 gives 4), when the result lies within
// [minimum, maximum]; nullopt otherwise.
std::optional<qint64> roundedWithin(double value, qint64 minimum, qint64 maximum);

// The five lines of setup.ini, each ending in CR LF, as UTF-8. A position whose
// text is not one of its list's entries is written as -1.
//
// A folder holding a double quote or a control character cannot be stored in a quoted line
// (it would come back cut short, naming another folder); line 4 is then
// written empty, so the next start falls back to the default output folder.
QByteArray formatSetup(const ConversionSettings &settings);

// Applies the lines of setup.ini to `settings`, in file order:
//  1-3  audio-bitrate, audio-rate and channel positions; a position inside its
//       list sets the field to that entry. Anything else (-1, a position past
//       the list, text that is not a number) leaves the field as it was.
//  4    the output folder, unchanged; one holding control characters is
//       damage and gives the default folder, with a warning in the log.
//  5    the output format's position. Picking a format other than the current
//       one applies its preset, which replaces lines 1-3 (MP3 sets "48000",
//       "320" and two channels); restoring the format that is already selected
//       applies no preset, so the restored audio values survive for it.
// Missing lines change nothing. Finally an empty folder becomes
// `defaultOutputFolder`.
void applySetup(const QStringList &lines, ConversionSettings &settings, const QString &defaultOutputFolder);

// The four lines of options.ini, bare decimal numbers ending in CR LF.
QByteArray formatOptions(const AppOptions &options);

// Reads options.ini's lines over `options`: each line's leading number,
// rounded half to even, into its field. A missing line, or a number outside
// its field's width, leaves that field as it was.
void applyOptions(const QStringList &lines, AppOptions &options);

} // namespace sonvera::SettingsText
