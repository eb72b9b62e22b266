#include "naming.h"

namespace sonvera {

QString FileNameFromPath(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? path : path.mid(slash + 1);
}

QString BaseNameFromPath(const QString &path)
{
    const QString name = FileNameFromPath(path);
    const qsizetype dot = name.indexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

QString OutputFileName(const QString &folder, const QString &sourcePath, const QString &extension,
                       const QTime &clock)
{
    return folder + BaseNameFromPath(sourcePath) + u'-' + QString::number(clock.hour())
        + QString::number(clock.minute()) + QString::number(clock.second()) + extension;
}

QString FirstFreeOutputName(const QString &outputFileName, const QString &extension, const FileExistsFn &exists)
{
    if (!exists || !exists(outputFileName))
        return outputFileName;
    const QString stem = outputFileName.endsWith(extension) ? outputFileName.chopped(extension.size())
                                                            : outputFileName;
    const QString suffix = outputFileName.endsWith(extension) ? extension : QString();
    for (int n = 2;; ++n) {
        QString candidate = stem + u'-' + QString::number(n) + suffix;
        if (!exists(candidate))
            return candidate;
    }
}

} // namespace sonvera
