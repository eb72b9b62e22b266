#pragma once

#include <QString>

namespace sonvera {

class NativePath;
struct FileListRow;

// The file-system work a batch does around its scheduling: where a row's
// output goes, the folders made for it, and the link through which the
// encoders open a name they cannot be given as text. The driver decides when;
// these say how.

// The folder of `row` below the folder it was found in, as shown, with a
// trailing "/" ("2009/summer/"); "" for a row found directly in it or added
// without a folder. With keepTree its output goes there under the output folder.
QString folderBelowRoot(const FileListRow &row);

// Makes `folder` and its parents as needed; false when it is not a folder
// afterwards (a file of that name stays as it is).
bool makeOutputFolder(const QString &folder);

// The path the encoders are given for `source`: the path itself when it is
// UTF-8, else a link to it in `intermediateFolder`/source named as the name
// is shown, fitted to the file system's 255 bytes; empty when the link
// cannot be made.
QString encoderPathFor(const NativePath &source, const QString &intermediateFolder);

} // namespace sonvera
