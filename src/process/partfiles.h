#pragma once

#include <QString>

#include <optional>

namespace sonvera {

// An encoder writes its output under a short hidden name in the output's own
// folder, ".sonvera-PID.part" (PID: the encoder's process id), and publishes
// it under the real name only once it is complete. The name is short so that
// the longest output name still fits, and it carries the writer's process id
// so that the unfinished work of a run that died can be found and removed.
QString partFileName(long long pid);
QString partFilePath(const QString &folder, long long pid);

// The process id of the writer when `fileName` names a part file: our own
// ".sonvera-PID.part", or ".NAME.part-PID.EXT" written by earlier versions.
std::optional<long long> partFileOwner(QStringView fileName);

// Removes the part files in `folder` whose writer no longer runs. Only files
// are removed, never what a symbolic link points to. Returns how many went.
int sweepDeadPartFiles(const QString &folder);

} // namespace sonvera
