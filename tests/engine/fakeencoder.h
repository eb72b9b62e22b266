#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A program folder whose data/ holds the scripted fake encoder under the
// three encoder names.
class FakeProgramFolder {
public:
    explicit FakeProgramFolder(const QStringList &images = {QStringLiteral("conv"), QStringLiteral("coder"),
                                                            QStringLiteral("coder2")})
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("data"));
        for (const QString &image : images)
            QFile::link(QStringLiteral(FAKE_ENCODER_PATH), path() + QStringLiteral("/data/") + image);
    }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// Writes a script (the fake encoder's source file) and returns its path.
inline QString writeScript(const QString &path, const QByteArray &script)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(script);
    return path;
}
