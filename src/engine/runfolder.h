#pragma once

#include <QString>

#include <memory>

namespace sonvera {

// A folder of this process's own inside the private work folder
// ("run-PID-XXXXXX", made by mkdtemp), holding the intermediate files of its
// conversions, so that the window, CLI processes and parallel workers never
// share one. It is removed with everything in it when this object goes;
// the folders of processes that died without removing theirs are swept when
// the next one is made.
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
    explicit RunFolder(QString path) : m_path(std::move(path)) {}
    QString m_path;
};

// Removes the run folders in `workFolder` whose process has ended, and the
// part files dead encoders left there. Returns how many entries went.
int sweepDeadRuns(const QString &workFolder);

} // namespace sonvera
