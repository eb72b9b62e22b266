// bench_publish FOLDER [FILES] [KIB]: writes FILES part files of KIB KiB each
// in FOLDER and publishes them as an encoder does (fdatasync of the file,
// rename without replacing, fsync of the folder), then the same number again
// with a bare rename, as before the syncs; prints the time per file of each.
#include "partfiles.h"
#include "publish.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace sonvera;

namespace {

// One part file of `bytes`, written (not synced) as ffmpeg leaves it.
QString writePart(const QString &folder, const QByteArray &bytes)
{
    int error = 0;
    PartFile part = PartFile::create(folder, error);
    const QString path = part.path();
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    file.close();
    part.release();
    return path;
}

double run(const QString &folder, int files, const QByteArray &bytes, bool synced, const char *prefix)
{
    qint64 nanoseconds = 0;
    for (int i = 0; i < files; ++i) {
        const QString part = writePart(folder, bytes);
        if (part.isEmpty())
            return -1;
        const QString target = folder + u'/' + QString::fromLatin1(prefix) + QString::number(i) + QStringLiteral(".mp3");
        QElapsedTimer clock;
        clock.start();
        if (synced) {
            if (publishWithoutReplacing(part, target).path.isEmpty())
                return -1;
        } else if (::renameat2(AT_FDCWD, QFile::encodeName(part).constData(), AT_FDCWD,
                               QFile::encodeName(target).constData(), RENAME_NOREPLACE) != 0) {
            return -1;
        }
        nanoseconds += clock.nsecsElapsed();
    }
    return double(nanoseconds) / files / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_publish FOLDER [FILES] [KIB]\n");
        return 2;
    }
    const QString folder = QFile::decodeName(argv[1]);
    const int files = argc > 2 ? std::atoi(argv[2]) : 500;
    const int kib = argc > 3 ? std::atoi(argv[3]) : 64;
    const QByteArray bytes(qsizetype(kib) * 1024, 'x');
    const double bare = run(folder, files, bytes, false, "bare-");
    ::sync(); // the bare run's data is not left for the synced run to write
    const double durable = run(folder, files, bytes, true, "synced-");
    if (bare < 0 || durable < 0) {
        std::fprintf(stderr, "bench_publish: cannot write in %s\n", argv[1]);
        return 1;
    }
    std::printf("%d files of %d KiB: bare rename %.3f ms/file, synced publish %.3f ms/file, cost %.3f ms/file\n", files,
                kib, bare, durable, durable - bare);
    return 0;
}
