#pragma once

#include "partfiles.h"

#include <QString>

#include <optional>

namespace sonvera::encoders {

// The output of a run, written into a part file in the output's folder
// (partfiles.h), claimed while the run lives, and given its name only once it
// is complete, so a stopped or failed run never leaves a file that looks done.
class TemporaryOutput final {
public:
    // Checks the folder and the final name and creates the empty temporary
    // file (which proves the folder writable). On failure returns nothing and
    // sets `error` to a cause that names the folder or the file, and
    // `errorNumber`, when given, to the errno of a file that could not be
    // created. `replace` is for a run's own intermediate file only: outputs
    // never replace anything.
    static std::optional<TemporaryOutput> create(const QString &finalPath, bool replace, QString &error,
                                                 int *errorNumber = nullptr);

    TemporaryOutput(TemporaryOutput &&other) noexcept;
    TemporaryOutput &operator=(TemporaryOutput &&other) noexcept;
    ~TemporaryOutput(); // discards the temporary file unless committed

    const QString &temporaryPath() const { return m_part.path(); }
    const QString &finalPath() const { return m_final; }
    qint64 size() const;

    // Gives the temporary file its final name: atomically replacing an
    // existing file with `replace`; otherwise, when the name was taken
    // meanwhile, the first free "-2", "-3", ... name, which finalPath() then
    // holds.
    bool commit(QString &error);
    void discard();

private:
    TemporaryOutput() = default;

    PartFile m_part;
    QString m_final;
    bool m_replace = false;
};

} // namespace sonvera::encoders
