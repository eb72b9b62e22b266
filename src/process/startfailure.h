#pragma once

#include <QByteArray>
#include <QString>

namespace sonvera {

// Why a program could not be started, read from the errno of the call that
// failed (the check before the start, pipe(), open(), fork() or exec()).
// Only a program that is really not there or cannot be run is "missing":
// a start that ran out of file descriptors, process slots or memory is the
// system's want, and says so, so that nobody is told to reinstall.
enum class StartProblem {
    ProgramMissing, // ENOENT, ENOTDIR, ELOOP, EACCES, ENOEXEC: the file is not there or cannot be run
    OutOfFiles,     // EMFILE, ENFILE: no file descriptor left
    OutOfResources, // EAGAIN, ENOMEM and anything else: no process slot, no memory
};

StartProblem startProblem(int error);

// 0 when `program` (a path) is a regular file this process may execute;
// otherwise the errno of the check that failed (EACCES for a folder).
int programRunnable(const QByteArray &program);

// The errno whose system words `text` holds ("execve: Exec format error"
// gives ENOEXEC), or 0. A child that fails in exec() hands its errno back only
// as such words.
int errorNamedIn(const QString &text);

// The errno of a start that QProcess refused from inside its start(), after
// programRunnable() had passed. `seen` is errno as Qt left it, `reason` Qt's
// words. Qt keeps fork()'s errno in its words, but when a pipe() or open()
// fails it first prints a warning, whose handler may look up files and leave
// ENOENT behind: a "missing" program that was there a moment ago. Then the
// calls a start makes of the system (its pipes) are made again, and the errno
// of the first that fails is the answer; 0 when none fails.
int refusedStartError(int seen, const QString &reason);

// The system's words for `error` ("Resource temporarily unavailable").
QString systemErrorText(int error);

} // namespace sonvera
