#pragma once

#include <QByteArray>
#include <QString>

// Paths are "/"-separated; a "\" is an ordinary character of a name.
namespace sonvera {

// The part after the last "/": the whole path when it holds none, "" for ""
// and for a path that ends in "/".
QString fileNameOf(QStringView path);

// The part before the last "/": "/" when that is the first character, ""
// when there is no "/".
QString folderOf(QStringView path);

// `folder` ending in exactly the "/" it may already have; "" stays "".
QString withTrailingSlash(const QString &folder);

// `text` without the spaces (U+0020 only, not tabs) at either end.
QString trimmedSpaces(QStringView text);

// A path or name as the file system spells it, shown to the user: UTF-8 when
// the bytes are valid UTF-8, else GB18030 (the encoding of Chinese archives
// copied from Windows), which reads any byte sequence. The bytes themselves
// stay what the program opens.
QString shownName(const QByteArray &native);

// `text` (a name, or a line that holds one) as it may reach a terminal, a
// widget or a log: never obeyed, only shown. As `ls` shows names, a control
// character is written "\a", "\b", "\t", "\n", "\v", "\f", "\r" or "\e" (ESC),
// and every other one (C0, DEL, C1), every bidirectional formatting mark
// (U+061C, U+200E-U+200F, U+202A-U+202E, U+2066-U+2069) and the line and
// paragraph separators (U+2028, U+2029) as "?". Everything else is kept, so
// "视频/a.flv" reads as itself. For display only: a name is opened, compared
// and written (JSON) from its own text or bytes.
QString shownSafely(QStringView text);

// `path` with the user's home folder written "~" ("/home/li/视频/a.flv" gives
// "~/视频/a.flv"), for showing; other paths unchanged.
QString withHomeAsTilde(const QString &path);
// A folder text as typed: "~" and a leading "~/" mean the home folder, as in
// a shell; any other text unchanged.
QString withTildeExpanded(const QString &text);

// True when the bytes are valid UTF-8, so that Qt's own file functions (which
// speak UTF-8) reach exactly this file.
bool isUtf8(const QByteArray &native);

// A lossless text form of any bytes, for code that takes text (command-line
// parsing): valid UTF-8 reads as itself, every other byte B as the lone
// surrogate U+DC00+B. Never shown; escapedToNative() gives the bytes back.
QString nativeToEscaped(const QByteArray &native);
QByteArray escapedToNative(QStringView escaped);

} // namespace sonvera
