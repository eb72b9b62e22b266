#pragma once

#include <QString>

namespace sonvera {

// The engine keeps each run's intermediate files in a run folder of its own
// (see RunFolder), where the next file of the run may replace the last one's
// intermediate. Nothing else may ever be replaced, so an encoder asked to
// replace a file first proves the folder is such a run folder: the folder is
// a real folder of this user's with mode 0700, and holds a marker file that
// only the folder's maker creates, exclusively, owned by this user, mode 0600.
inline constexpr char kRunFolderMarkerName[] = ".sonvera.run";

// Creates the marker in `runFolder`, which the caller has just made (mode
// 0700). False when it cannot, or when something already stands there.
bool markRunFolder(const QString &runFolder);

// True when `folder` is a marked run folder of this user's, or a real folder
// of this user's directly inside one (a worker's folder).
bool isInOwnRunFolder(const QString &folder);

} // namespace sonvera
