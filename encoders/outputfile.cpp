#include "outputfile.h"

#include "publish.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace sonvera::encoders {

std::optional<TemporaryOutput> TemporaryOutput::create(const QString &finalPath, bool replace, QString &error,
                                                       int *errorNumber)
{
    const QFileInfo target(finalPath);
    const QString folder = target.absolutePath();
    const QFileInfo folderInfo(folder);
    if (!folderInfo.exists()) {
        error = u"the output folder \""_s + folder + u"\" does not exist"_s;
        return std::nullopt;
    }
    if (!folderInfo.isDir()) {
        error = u"the output folder \""_s + folder + u"\" is not a folder"_s;
        return std::nullopt;
    }
    if (target.fileName().isEmpty()) {
        error = u"the output path names a folder, not a file"_s;
        return std::nullopt;
    }
    if (target.isDir()) {
        error = u"is a folder, not a file"_s;
        return std::nullopt;
    }
    TemporaryOutput out;
    out.m_final = target.absoluteFilePath();
    out.m_replace = replace;
    int partError = 0;
    out.m_part = PartFile::create(folder, partError);
    if (out.m_part.path().isEmpty()) {
        if (errorNumber)
            *errorNumber = partError;
        error = u"cannot write in the output folder \""_s + folder + u"\": "_s + qt_error_string(partError);
        return std::nullopt;
    }
    return out;
}

TemporaryOutput::TemporaryOutput(TemporaryOutput &&other) noexcept
    : m_part(std::move(other.m_part)), m_final(other.m_final), m_replace(other.m_replace)
{
}

TemporaryOutput &TemporaryOutput::operator=(TemporaryOutput &&other) noexcept
{
    if (this != &other) {
        discard();
        m_part = std::move(other.m_part);
        m_final = other.m_final;
        m_replace = other.m_replace;
    }
    return *this;
}

TemporaryOutput::~TemporaryOutput()
{
    discard();
}

qint64 TemporaryOutput::size() const
{
    return QFileInfo(temporaryPath().isEmpty() ? m_final : temporaryPath()).size();
}

bool TemporaryOutput::commit(QString &error)
{
    if (temporaryPath().isEmpty()) {
        error = u"the output was already discarded"_s;
        return false;
    }
    if (m_replace) {
        // QFile::rename never replaces, and removing the old file first would
        // leave a moment without either: POSIX rename replaces atomically.
        const QByteArray from = QFile::encodeName(temporaryPath());
        const QByteArray to = QFile::encodeName(m_final);
        // Synced before and after the rename, as publishWithoutReplacing does.
        if (const int synced = syncFileData(from)) {
            error = u"cannot write the finished output to the disk: "_s + QString::fromLocal8Bit(std::strerror(synced));
            return false;
        }
        if (std::rename(from.constData(), to.constData()) != 0) {
            error = u"cannot rename the finished output into place: "_s + QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        if (const int synced = syncFolder(QFile::encodeName(QFileInfo(m_final).absolutePath()))) {
            m_part.release();
            error = u"the output folder could not be written to the disk: "_s + QString::fromLocal8Bit(std::strerror(synced));
            return false;
        }
    } else {
        const PublishResult published = publishWithoutReplacing(temporaryPath(), m_final);
        if (published.path.isEmpty()) {
            error = u"cannot give the finished output its name: "_s + QString::fromLocal8Bit(std::strerror(published.error));
            return false;
        }
        m_final = published.path;
        if (published.error != 0) {
            // Named, but the name itself may not survive a power cut: said, not hidden.
            m_part.release();
            error = u"the output folder could not be written to the disk: "_s + QString::fromLocal8Bit(std::strerror(published.error));
            return false;
        }
    }
    m_part.release();
    return true;
}

void TemporaryOutput::discard()
{
    m_part.remove();
}

} // namespace sonvera::encoders
