#pragma once

#include <QString>

#include <optional>

namespace sonvera::encoders {

// The output of a run, written under a hidden temporary name in the output's
// folder (".NAME.part-PID.EXT") and renamed into place only once it is
// complete, so a stopped or failed run never leaves a file that looks done.
class TemporaryOutput final {
public:
    // Checks the folder and the final name and creates the empty temporary
    // file (which proves the folder writable). Without `replace` an existing
    // file of the final name is an error. On failure returns nothing and sets
    // `error` to a cause that names the folder or the file.
    static std::optional<TemporaryOutput> create(const QString &finalPath, bool replace, QString &error);

    TemporaryOutput(TemporaryOutput &&other) noexcept;
    TemporaryOutput &operator=(TemporaryOutput &&other) noexcept;
    ~TemporaryOutput(); // discards the temporary file unless committed

    const QString &temporaryPath() const { return m_temporary; }
    const QString &finalPath() const { return m_final; }
    qint64 size() const;

    // Renames the temporary file over the final name: atomically replacing an
    // existing file with `replace`, refusing to otherwise.
    bool commit(QString &error);
    void discard();

private:
    TemporaryOutput() = default;

    QString m_temporary;
    QString m_final;
    bool m_replace = false;
};

} // namespace sonvera::encoders
