#include "batchjournal.h"

#include "formats.h"
#include "settingsfile.h"
#include "settingslog.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

// The file starts with these bytes and a format version, so that a stray file
// of another kind (or a later format) is never mistaken for a list.
constexpr char kMagic[] = "SonveraJournal";
constexpr qsizetype kMagicSize = sizeof kMagic - 1;
// 1: the list alone. 2: the settings of the batch, then the list.
constexpr quint32 kListOnlyVersion = 1;
constexpr quint32 kVersion = 2;
// A fixed stream version: the bytes must not change with the Qt that writes them.
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_0;
// The fewest bytes one entry takes: status, path length, reason length.
constexpr qint64 kMinEntryBytes = 1 + 4 + 4;

void writeSettings(QDataStream &out, const std::optional<ConversionSettings> &settings)
{
    out << quint8(settings.has_value());
    if (!settings)
        return;
    out << qint32(settings->formatIndex) << settings->videoBitrate << settings->frameRate << settings->videoSize
        << settings->audioRate << settings->audioBitrate << qint32(settings->channelIndex) << settings->outputFolder;
}

// False for anything the journal never writes.
bool readSettings(QDataStream &in, std::optional<ConversionSettings> &settings)
{
    quint8 present = 0;
    in >> present;
    if (present == 0)
        return in.status() == QDataStream::Ok;
    ConversionSettings read;
    qint32 format = 0;
    qint32 channel = 0;
    in >> format >> read.videoBitrate >> read.frameRate >> read.videoSize >> read.audioRate >> read.audioBitrate
        >> channel >> read.outputFolder;
    const bool inRange = format >= -1 && format < qint32(kFormatCount) && channel >= -1
                         && channel < qint32(ParameterLists::channel().size());
    if (present != 1 || in.status() != QDataStream::Ok || !inRange)
        return false;
    read.formatIndex = format;
    read.channelIndex = channel;
    settings = std::move(read);
    return true;
}

// Writes `contents` to `path` atomically, or removes the file when there is
// nothing to offer back. Runs on the journal's thread.
bool writeContents(const QString &path, const JournalContents &contents)
{
    if (contents.entries.isEmpty()) {
        // Nothing to offer back after a crash: no file, so no question at start.
        if (QFileInfo(path).isSymLink() || QFileInfo::exists(path)) {
            if (!QFile::remove(path)) {
                qCWarning(lcSettings) << "cannot remove the journal" << path;
                return false;
            }
        }
        return true;
    }
    // A failed write keeps the previous journal whole.
    return writeSettingsFile(path, BatchJournal::encode(contents));
}

} // namespace

BatchJournal::BatchJournal(QString filePath, QObject *parent, std::chrono::milliseconds delay)
    : QObject(parent)
    , m_path(std::move(filePath))
{
    qRegisterMetaType<JournalContents>();
    m_timer.setSingleShot(true);
    m_timer.setInterval(delay);
    connect(&m_timer, &QTimer::timeout, this, &BatchJournal::startWrite);
    m_urgentTimer.setSingleShot(true);
    m_urgentTimer.setInterval(0);
    connect(&m_urgentTimer, &QTimer::timeout, this, &BatchJournal::startWrite);
    m_thread.setObjectName(u"journal"_s);
    m_threadContext.moveToThread(&m_thread);
    m_thread.start(QThread::LowPriority);
}

BatchJournal::~BatchJournal()
{
    if (m_dirty || m_inFlight)
        flush();
    m_thread.quit();
    m_thread.wait();
}

QString BatchJournal::pathIn(const QString &settingsFolder)
{
    return settingsFolder + u"/journal.dat"_s;
}

void BatchJournal::changed(Urgency urgency)
{
    m_dirty = true;
    if (urgency == Urgency::Now)
        m_urgentTimer.start();
    // Not restarted while running: the first unsaved change sets the deadline.
    else if (!m_timer.isActive())
        m_timer.start();
}

void BatchJournal::startWrite()
{
    if (m_inFlight) {
        // One write at a time: this change goes once the current write is done.
        return;
    }
    m_timer.stop();
    m_urgentTimer.stop();
    if (!m_dirty || !m_source)
        return;
    m_dirty = false;
    JournalContents contents = m_source();
    // A row that starts converting is still a waiting row to the journal.
    if (contents == m_written)
        return;
    const quint64 generation = ++m_generation;
    auto task = std::make_shared<std::packaged_task<bool()>>(
        [path = m_path, contents] { return writeContents(path, contents); });
    m_inFlight = task->get_future();
    m_inFlightContents = std::move(contents);
    QMetaObject::invokeMethod(&m_threadContext, [this, task, generation] {
        (*task)();
        QMetaObject::invokeMethod(this, [this, generation] { writeDone(generation); }, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
}

void BatchJournal::writeDone(quint64 generation)
{
    // flush() may have taken this write's result already.
    if (generation != m_generation || !m_inFlight)
        return;
    finishWriteInFlight();
    if (m_dirty && !m_timer.isActive())
        m_urgentTimer.start(); // what changed during the write goes now
}

void BatchJournal::finishWriteInFlight()
{
    if (!m_inFlight)
        return;
    const bool ok = m_inFlight->get();
    m_inFlight.reset();
    if (ok) {
        m_written = std::move(m_inFlightContents);
        Q_EMIT saved();
    } else {
        m_dirty = true; // the next change (or flush) tries again
    }
    m_inFlightContents = {};
}

bool BatchJournal::flush()
{
    m_timer.stop();
    m_urgentTimer.stop();
    finishWriteInFlight();
    if (!m_dirty || !m_source)
        return !m_dirty;
    m_dirty = false;
    JournalContents contents = m_source();
    if (contents == m_written)
        return true;
    if (!writeContents(m_path, contents)) {
        m_dirty = true;
        return false;
    }
    m_written = std::move(contents);
    Q_EMIT saved();
    return true;
}

void BatchJournal::removeOnCleanEnd()
{
    m_timer.stop();
    m_urgentTimer.stop();
    if (m_inFlight) {
        m_inFlight->wait();
        m_inFlight.reset();
    }
    m_dirty = false;
    m_written.reset();
    if ((QFileInfo(m_path).isSymLink() || QFileInfo::exists(m_path)) && !QFile::remove(m_path))
        qCWarning(lcSettings) << "cannot remove the journal" << m_path;
}

JournalContents BatchJournal::load() const
{
    // Said from its size, before reading all of it; a file that grows while
    // it is read is cut at the limit all the same.
    const bool tooLarge = QFileInfo(m_path).isFile() && QFileInfo(m_path).size() > kMaxFileBytes;
    const std::optional<SettingsFileBytes> file = tooLarge ? SettingsFileBytes{{}, false}
                                                           : readSettingsFile(m_path, kMaxFileBytes);
    if (!file)
        return {};
    if (!file->whole) {
        qCWarning(lcSettings) << "the journal" << m_path << "is too large to be a list; ignored";
        return {};
    }
    JournalContents contents;
    if (!decode(file->bytes, contents)) {
        qCWarning(lcSettings) << "the journal" << m_path << "is damaged or incomplete; ignored";
        return {};
    }
    return contents;
}

void BatchJournal::loadInBackground()
{
    QMetaObject::invokeMethod(&m_threadContext, [this] {
        const JournalContents contents = load();
        QMetaObject::invokeMethod(this, [this, contents] { Q_EMIT loaded(contents); }, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
}

QByteArray BatchJournal::encode(const JournalContents &contents)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out.writeRawData(kMagic, int(kMagicSize));
    out << kVersion;
    writeSettings(out, contents.settings);
    out << quint32(contents.entries.size());
    for (const JournalEntry &entry : contents.entries)
        out << quint8(entry.status) << entry.path << entry.failureReason;
    return bytes;
}

bool BatchJournal::decode(QByteArrayView bytes, JournalContents &contents)
{
    contents = {};
    if (!bytes.startsWith(QByteArrayView(kMagic, kMagicSize)))
        return false;

    const QByteArray data = QByteArray::fromRawData(bytes.data(), bytes.size());
    QDataStream in(data);
    in.setVersion(kStreamVersion);
    in.skipRawData(int(kMagicSize));
    quint32 version = 0;
    in >> version;
    JournalContents read;
    if (version != kListOnlyVersion && (version != kVersion || !readSettings(in, read.settings)))
        return false;
    quint32 count = 0;
    in >> count;
    // A count that the remaining bytes cannot hold is garbage: refuse it before
    // looping over it.
    if (in.status() != QDataStream::Ok || qint64(count) * kMinEntryBytes > bytes.size())
        return false;

    read.entries.reserve(qsizetype(count));
    for (quint32 i = 0; i < count; ++i) {
        quint8 status = 0;
        JournalEntry entry;
        in >> status >> entry.path >> entry.failureReason;
        if (in.status() != QDataStream::Ok || status > quint8(JournalEntry::Status::Failed) || entry.path.isEmpty())
            return false;
        entry.status = JournalEntry::Status(status);
        read.entries.append(std::move(entry));
    }
    // Trailing bytes mean the file is not what this version wrote.
    if (!in.atEnd())
        return false;
    contents = std::move(read);
    return true;
}

} // namespace sonvera
