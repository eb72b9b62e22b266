#include "nativepath.h"

#include "pathtext.h"

#include <cerrno>
#include <climits>
#include <unistd.h>

namespace sonvera {

NativePath::NativePath(QByteArray bytes)
    : m_bytes(std::move(bytes))
{
}

QString NativePath::shown() const
{
    return shownName(m_bytes);
}

NativePath NativePath::fromText(const QString &text)
{
    return NativePath(text.toUtf8());
}

NativePath NativePath::fromEscaped(QStringView escaped)
{
    return NativePath(escapedToNative(escaped));
}

NativePath NativePath::currentFolder()
{
    // Not QDir::currentPath(): it decodes the name as UTF-8, which loses
    // every byte of a GBK folder name.
    QByteArray buffer(PATH_MAX, Qt::Uninitialized);
    while (::getcwd(buffer.data(), size_t(buffer.size())) == nullptr) {
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    buffer.truncate(qsizetype(qstrlen(buffer.constData())));
    return NativePath(std::move(buffer));
}

QString NativePath::escaped() const
{
    return nativeToEscaped(m_bytes);
}

bool NativePath::isUtf8() const
{
    return sonvera::isUtf8(m_bytes);
}

NativePath NativePath::absolute() const
{
    if (isAbsolute())
        return *this;
    return currentFolder() / m_bytes;
}

bool NativePath::linkAs(const QString &link) const
{
    const QByteArray linkBytes = link.toUtf8();
    ::unlink(linkBytes.constData());
    return ::symlink(absolute().bytes().constData(), linkBytes.constData()) == 0;
}

NativePath NativePath::withoutTrailingSlash() const
{
    QByteArray bytes = m_bytes;
    while (bytes.size() > 1 && bytes.endsWith('/'))
        bytes.chop(1);
    return bytes.size() == m_bytes.size() ? *this : NativePath(std::move(bytes));
}

NativePath NativePath::fileName() const
{
    return NativePath(m_bytes.mid(m_bytes.lastIndexOf('/') + 1));
}

NativePath NativePath::operator/(const QByteArray &name) const
{
    if (m_bytes.isEmpty() || m_bytes.endsWith('/'))
        return NativePath(m_bytes + name);
    return NativePath(m_bytes + '/' + name);
}

} // namespace sonvera
