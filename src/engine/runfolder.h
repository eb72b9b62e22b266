#pragma once

#include "fileclaim.h"

#include <QString>

#include <memory>

namespace sonvera {

// A folder of this process's own inside the private work folder
// ("run-HOST-BOOT-XXXXXX", made by mkdtemp), holding the intermediate files
// of its conversions, so that the window, CLI processes and parallel workers
// never share one. The run claims it through the file "claim" inside (see
// fileclaim.h) for as long as this object lives, which tells other runs of
// this user (in other PID namespaces too) that it is in use. It is removed
// with everything in it when this object goes; the folders of runs that died
// without removing theirs are swept when the next one is made.
class RunFolder final {
public:
    // Sweeps what dead runs left in `workFolder` (their run folders and part
    // files), then makes this run's folder. nullptr when it cannot be made.
    static std::unique_ptr<RunFolder> create(const QString &workFolder);
    ~RunFolder();

    RunFolder(const RunFolder &) = delete;
    RunFolder &operator=(const RunFolder &) = delete;

    const QString &path() const { return m_path; }

private:
    RunFolder(QString path, FileClaim claim) : m_path(std::move(path)), m_claim(std::move(claim)) {}
    QString m_path;
    FileClaim m_claim;
};

// Removes the run folders in `workFolder` that were provably abandoned (made
// on this host, their claim held by nobody; on a file system without locks,
// made in an earlier boot), and the part files dead encoders left there.
// Returns how many entries went.
int sweepDeadRuns(const QString &workFolder);

} // namespace sonvera
