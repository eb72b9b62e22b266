#include "naming.h"

#include "pathtext.h"
#include "publish.h"

namespace sonvera {

QString baseNameOf(const QString &path)
{
    const QString name = fileNameOf(path);
    const qsizetype dot = name.indexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

QString plannedOutputPath(const QString &folder, const QString &sourcePath, const QString &extension,
                          const QTime &clock)
{
    // A long source name would pass the file system's 255 bytes with the
    // time stamp: the base name gives way, at a character boundary.
    return folder
        + fittedFileName(baseNameOf(sourcePath), u'-' + QString::number(clock.hour())
                                                     + QString::number(clock.minute())
                                                     + QString::number(clock.second()) + extension);
}

QString firstFreeOutputPath(const QString &plannedPath, const FileExistsFn &exists)
{
    if (!exists || !exists(plannedPath))
        return plannedPath;
    const QString folder = plannedPath.left(plannedPath.lastIndexOf(u'/') + 1);
    const QString name = fileNameOf(plannedPath);
    for (int n = 2;; ++n) {
        QString candidate = folder + numberedFileName(name, n);
        if (!exists(candidate))
            return candidate;
    }
}

} // namespace sonvera
