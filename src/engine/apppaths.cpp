#include "apppaths.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

QString defaultWorkFolderPath()
{
    return QDir::tempPath() + u"/sonvera-"_s + QString::number(::getuid());
}

QString prepareWorkFolder(const QString &preferred)
{
    constexpr QFile::Permissions kPrivate = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const QFileInfo info(preferred);
    if (!info.exists() && !info.isSymLink())
        QDir().mkdir(preferred, kPrivate);

    const QFileInfo made(preferred);
    if (!made.isSymLink() && made.isDir() && made.ownerId() == ::getuid()) {
        QFile::setPermissions(preferred, kPrivate);
        return preferred;
    }

    // Someone else's folder or a link in its place: use a fresh private one.
    static std::unique_ptr<QTemporaryDir> fallback;
    if (!fallback || !fallback->isValid())
        fallback = std::make_unique<QTemporaryDir>(QDir::tempPath() + u"/sonvera-XXXXXX"_s);
    return fallback->isValid() ? fallback->path() : QString();
}

} // namespace sonvera
