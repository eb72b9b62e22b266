#pragma once

#include <QString>
#include <QStringList>

namespace sonvera {

// The file-type lists of the open and save dialogs are written the way the
// program has always stored them: label and pattern pairs joined by "|",
// e.g. "所有格式文件(*.*)|*.*" or "视频|*.flv;*.mp4|所有文件|*.*". A pattern
// part may hold several patterns separated by ";".
//
// Qt's file dialog wants name filters of the form "label (pat1 pat2)" and
// reads the patterns from the last parentheses. These helpers build such
// filters so that
//  - the dialog shows exactly the label (the dialog is told to hide the
//    pattern part, so "所有格式文件(*.*)" is shown once, not doubled);
//  - matching behaves as the patterns were always meant: "*.*" means every
//    file, also names without a dot. (Qt's file dialog already matches
//    regardless of letter case, so "*.flv" finds "B.FLV".)

// The text up to its first NUL (all of it when there is none). Texts reach
// the dialogs as C strings used to; a stored NUL still ends them.
QString upToNul(const QString &text);

// One stored pattern ("*.flv", "*.*", "a?.txt") as a Qt wildcard: "*.*" is
// "*"; "[" and "]" are literal; a character that Qt's filter syntax cannot
// carry (blank, parenthesis, non-ASCII, ...) becomes "?", which matches it. A
// blank pattern is "*".
QString QtWildcard(const QString &pattern);

// The stored list as Qt name filters, in order, one per label/pattern pair:
// "<label> (<wildcards separated by blanks>)". A label without a pattern at
// the end of the list is dropped; an empty pattern part means every file.
// The text is read up to its first NUL. Line breaks in a label become blanks.
QStringList qtNameFilters(const QString &filter);

} // namespace sonvera
