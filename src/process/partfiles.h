#pragma once

#include "fileclaim.h"

#include <QString>

namespace sonvera {

// An encoder writes its output under a short hidden name in the output's own
// folder and publishes it under the real name only once it is complete (see
// publish.h). The name, ".sonvera-HOST-BOOT-XXXXXXXX.part" (40 bytes: the
// writer's tag and 8 random hex digits), is the same length whatever the
// output is called, and the encoder claims the file (fileclaim.h) for as long
// as it writes, so that a sweep can tell the work of a run that died from
// work still going on, on this machine or on another sharing the folder.
class PartFile final {
public:
    PartFile() = default; // holds no file
    PartFile(PartFile &&other) noexcept;
    PartFile &operator=(PartFile &&other) noexcept;
    ~PartFile() = default; // gives up the claim; the file stays

    // A new, empty, claimed part file in `folder`. Holds no file, with the
    // errno in `error`, when none can be made there.
    static PartFile create(const QString &folder, int &error);

    const QString &path() const { return m_path; } // empty when holding no file

    // Gives up the claim and forgets the file, which stays where it is (by
    // now under its real name).
    void release();
    // Deletes the file, then gives up the claim.
    void remove();

private:
    QString m_path;
    FileClaim m_claim;
};

// Deletes the part files in `folder` that were provably abandoned: made on
// this host (by their name), owned by this user, and claimed by nobody (their
// writer has ended, however). On a file system without locks only those of an
// earlier boot qualify. Nothing else is touched, whatever its name looks like.
// Returns how many went.
int sweepDeadPartFiles(const QString &folder);

} // namespace sonvera
