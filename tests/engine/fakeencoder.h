#pragma once

#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
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

// One line of the fake encoder's log (FAKE_ENCODER_LOG).
struct LogEntry {
    QString what; // "start" or "end"
    QString image;
    qint64 pid = 0;
    qint64 ms = 0;   // monotonic
    QString output;  // the output path the run was given
};

inline QList<LogEntry> readLog(const QString &path)
{
    QList<LogEntry> entries;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    const auto lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const QStringList f = line.split(u' ');
        entries.append({f.value(0), f.value(1), f.value(2).toLongLong(), f.value(3).toLongLong(),
                        f.mid(4).join(u' ')});
    }
    return entries;
}

// The encoders the log says were started, in order ("conv", "coder", ...).
inline QStringList startedImages(const QString &logPath)
{
    QStringList images;
    for (const LogEntry &e : readLog(logPath)) {
        if (e.what == QLatin1String("start"))
            images << e.image;
    }
    return images;
}

// Writes a script (the fake encoder's source file) and returns its path.
inline QString writeScript(const QString &path, const QByteArray &script)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(script);
    return path;
}
