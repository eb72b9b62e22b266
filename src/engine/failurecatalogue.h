#pragma once

#include "encoderstatus.h"

#include <QString>

namespace sonvera {

// Why a file did not convert, as every front end reports it: the cause
// (whose failureCodeName() scripts read), the words the user reads, and a
// partial output that was kept.
struct FileFailure {
    FailureCode code = FailureCode::Failed;
    QString reason; // in the user's language; never blank
    QString output; // the path of a partial output that was kept; empty when none

    friend bool operator==(const FileFailure &, const FileFailure &) = default;
};

// The one catalogue of failure texts: what the user reads for `code` with
// its facts, in the user's language, with what to do. ffmpeg's own line
// appears only as a detail after these words, never alone, and no folder of
// a run's own is ever named.
QString failureText(FailureCode code, const FailureFacts &facts = {});

// A failure with the catalogue's words; `outputPath` is the partial output's path.
// The note on a file that converted whole although its header claims more
// than its data holds, in the user's language.
QString headerNoteText(const HeaderNote &note);

FileFailure fileFailure(FailureCode code, const FailureFacts &facts = {}, const QString &outputPath = {});

} // namespace sonvera
