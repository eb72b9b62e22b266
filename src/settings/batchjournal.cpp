#include "batchjournal.h"

#include "settingslog.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

// The file starts with these bytes and a format version, so that a stray file
// of another kind (or a later format) is never mistaken for a list.
constexpr char kMagic[] = "SonveraJournal";
constexpr quint32 kVersion = 1;
// A fixed stream version: the bytes must not change with the Qt that writes them.
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_0;
// Far beyond any real list (100 000 rows of long paths); a bigger file is not read.
constexpr qint64 kMaxFileBytes = 256LL * 1024 * 1024;
// The fewest bytes one entry takes: status, path length, reason length.
constexpr qint64 kMinEntryBytes = 1 + 4 + 4;

} // namespace

BatchJournal::BatchJournal(QString filePath, QObject *parent, std::chrono::milliseconds delay)
    : QObject(parent)
    , m_path(std::move(filePath))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(delay);
    connect(&m_timer, &QTimer::timeout, this, &BatchJournal::flush);
}

BatchJournal::~BatchJournal()
{
    if (m_dirty)
        flush();
}

QString BatchJournal::pathIn(const QString &settingsFolder)
{
    return settingsFolder + u"/journal.dat"_s;
}

void BatchJournal::setEntries(QList<JournalEntry> entries)
{
    m_entries = std::move(entries);
    m_dirty = true;
    // Not restarted while running: the first unsaved change sets the deadline.
    if (!m_timer.isActive())
        m_timer.start();
}

bool BatchJournal::flush()
{
    m_timer.stop();
    if (!m_dirty)
        return true;
    m_dirty = false;

    if (m_entries.isEmpty()) {
        // Nothing to offer back after a crash: no file, so no question at start.
        if (QFile::exists(m_path) && !QFile::remove(m_path)) {
            qCWarning(lcSettings) << "cannot remove the journal" << m_path;
            m_dirty = true; // try again with the next change
            return false;
        }
        Q_EMIT saved();
        return true;
    }

    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder)) {
        qCWarning(lcSettings) << "cannot create the folder of the journal" << folder;
        m_dirty = true;
        return false;
    }
    const QByteArray bytes = encode(m_entries);
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        // The previous journal stays whole; the next change tries again.
        qCWarning(lcSettings) << "cannot write the journal" << m_path << ":" << file.errorString();
        m_dirty = true;
        return false;
    }
    Q_EMIT saved();
    return true;
}

void BatchJournal::removeOnCleanEnd()
{
    m_timer.stop();
    m_dirty = false;
    m_entries.clear();
    if (QFile::exists(m_path) && !QFile::remove(m_path))
        qCWarning(lcSettings) << "cannot remove the journal" << m_path;
}

QList<JournalEntry> BatchJournal::load() const
{
    QFile file(m_path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcSettings) << "cannot read the journal" << m_path << ":" << file.errorString();
        return {};
    }
    if (file.size() > kMaxFileBytes) {
        qCWarning(lcSettings) << "the journal" << m_path << "is too large to be a list; ignored";
        return {};
    }
    QList<JournalEntry> entries;
    if (!decode(file.readAll(), entries)) {
        qCWarning(lcSettings) << "the journal" << m_path << "is damaged or incomplete; ignored";
        return {};
    }
    return entries;
}

QByteArray BatchJournal::encode(const QList<JournalEntry> &entries)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out.writeRawData(kMagic, sizeof kMagic - 1);
    out << kVersion << quint32(entries.size());
    for (const JournalEntry &entry : entries)
        out << quint8(entry.status) << entry.path << entry.failureReason;
    return bytes;
}

bool BatchJournal::decode(const QByteArray &bytes, QList<JournalEntry> &entries)
{
    entries.clear();
    constexpr qsizetype magicSize = sizeof kMagic - 1;
    if (!bytes.startsWith(QByteArrayView(kMagic, magicSize)))
        return false;

    QDataStream in(bytes);
    in.setVersion(kStreamVersion);
    in.skipRawData(int(magicSize));
    quint32 version = 0;
    quint32 count = 0;
    in >> version >> count;
    // A count that the remaining bytes cannot hold is garbage: refuse it before
    // looping over it.
    if (in.status() != QDataStream::Ok || version != kVersion || qint64(count) * kMinEntryBytes > bytes.size())
        return false;

    QList<JournalEntry> read;
    for (quint32 i = 0; i < count; ++i) {
        quint8 status = 0;
        JournalEntry entry;
        in >> status >> entry.path >> entry.failureReason;
        if (in.status() != QDataStream::Ok || status > quint8(JournalEntry::Status::Failed) || entry.path.isEmpty())
            return false;
        entry.status = JournalEntry::Status(status);
        read.append(std::move(entry));
    }
    // Trailing bytes mean the file is not what this version wrote.
    if (!in.atEnd())
        return false;
    entries = std::move(read);
    return true;
}

} // namespace sonvera
