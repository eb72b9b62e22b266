#pragma once

// What tests need to know about processes: a program's descendants (its
// encoders and their ffmpeg), and whether a process has ended.
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>

namespace sonvera::testsupport {

// Every process below `pid`, children first, read from /proc.
inline QList<qint64> descendantsOf(qint64 pid)
{
    QList<qint64> found;
    const QStringList tasks = QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &task : tasks) {
        QFile children(QStringLiteral("/proc/%1/task/%2/children").arg(pid).arg(task));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &id : children.readAll().split(' ')) {
            if (!id.trimmed().isEmpty())
                found << id.trimmed().toLongLong();
        }
    }
    const qsizetype direct = found.size();
    for (qsizetype i = 0; i < direct; ++i)
        found << descendantsOf(found.at(i));
    return found;
}

// Gone, or a zombie waiting to be reaped.
inline bool processEnded(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return true;
    const QByteArray stat = f.readAll();
    const qsizetype close = stat.lastIndexOf(')');
    return close > 0 && close + 2 < stat.size() && (stat[close + 2] == 'Z' || stat[close + 2] == 'X');
}

} // namespace sonvera::testsupport
