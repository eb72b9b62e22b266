#include "startfailure.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

StartProblem startProblem(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
    case EACCES:
    case ENOEXEC:
    case ENAMETOOLONG:
        return StartProblem::ProgramMissing;
    case EMFILE:
    case ENFILE:
        return StartProblem::OutOfFiles;
    default:
        return StartProblem::OutOfResources;
    }
}

int programRunnable(const QByteArray &program)
{
    struct stat st {};
    if (::stat(program.constData(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EACCES; // what execve() says of a folder
    if (::access(program.constData(), X_OK) != 0)
        return errno;
    return 0;
}

int errorNamedIn(const QString &text)
{
    for (const int error : {ENOENT, EACCES, ENOEXEC, ENOTDIR, ELOOP, ENAMETOOLONG, EMFILE, ENFILE, EAGAIN, ENOMEM, E2BIG}) {
        if (text.contains(systemErrorText(error), Qt::CaseInsensitive))
            return error;
    }
    return 0;
}

int refusedStartError(int seen, const QString &reason)
{
    if (reason.contains(u"fork"_s, Qt::CaseInsensitive)) {
        if (const int named = errorNamedIn(reason))
            return named;
    }
    if (seen != 0 && startProblem(seen) != StartProblem::ProgramMissing)
        return seen;
    // Three channels and the start report: as many pipes as QProcess makes.
    int error = 0;
    int made[8];
    int count = 0;
    while (count < 8) {
        if (::pipe2(made + count, O_CLOEXEC) != 0) {
            error = errno;
            break;
        }
        count += 2;
    }
    for (int i = 0; i < count; ++i)
        ::close(made[i]);
    return error;
}

QString systemErrorText(int error)
{
    // strerror's English: these words go into logs and the encoders' lines,
    // the user reads the catalogue's.
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace sonvera
