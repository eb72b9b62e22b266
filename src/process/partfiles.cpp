#include "partfiles.h"

#include "childprocess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

QString partFileName(long long pid)
{
    return u".sonvera-"_s + QString::number(pid) + u".part"_s;
}

QString partFilePath(const QString &folder, long long pid)
{
    return folder + u'/' + partFileName(pid);
}

std::optional<long long> partFileOwner(QStringView fileName)
{
    static const QRegularExpression current(u"^\\.sonvera-([1-9][0-9]{0,9})\\.part$"_s);
    static const QRegularExpression earlier(u"^\\..+\\.part-([1-9][0-9]{0,9})(\\.[^.]*)?$"_s);
    for (const QRegularExpression *pattern : {&current, &earlier}) {
        const QRegularExpressionMatch match = pattern->match(fileName);
        if (match.hasMatch())
            return match.capturedView(1).toLongLong();
    }
    return std::nullopt;
}

int sweepDeadPartFiles(const QString &folder)
{
    int removed = 0;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo &entry : entries) {
        const std::optional<long long> owner = partFileOwner(entry.fileName());
        if (!owner || processExists(*owner) || entry.isSymLink() || !entry.isFile())
            continue;
        if (QFile::remove(entry.filePath()))
            ++removed;
    }
    return removed;
}

} // namespace sonvera
