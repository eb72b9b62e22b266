#pragma once

#include "conversionsettings.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QObject>
#include <QString>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <functional>
#include <future>
#include <optional>

namespace sonvera {

// One row of the batch list as the journal keeps it. A row that was being
// converted is kept as waiting: after a crash it starts over.
struct JournalEntry {
    enum class Status : quint8 { Waiting = 0, Failed = 1 };

    QByteArray path;       // the file's path in its original bytes (any byte, even "\n" or invalid UTF-8)
    Status status = Status::Waiting;
    QString failureReason; // why the last attempt failed; empty for a waiting row

    friend bool operator==(const JournalEntry &, const JournalEntry &) = default;
};

// What the journal keeps: the list, and the format and parameters it was to
// be converted with, so that a restored list converts as it was meant to.
struct JournalContents {
    std::optional<ConversionSettings> settings; // nullopt in a journal of the first format, which had none
    QList<JournalEntry> entries;

    friend bool operator==(const JournalContents &, const JournalContents &) = default;
};

// Keeps a copy of the batch list on disk so that a crash, a kill or a power
// cut loses nothing, and deletes it when the program ends cleanly: a journal
// found at start-up means the last run did not end cleanly.
//
// The journal is told that its contents changed, and asks its source for them
// when it writes: within `delay` of the first unsaved change (later changes do
// not postpone it, so a steady stream of changes still reaches the disk once
// per delay), or at the next turn of the event loop for an urgent change. The
// file is encoded and written atomically (QSaveFile) on a thread of its own,
// one write at a time, so the event loop pays only for taking the contents,
// whatever the size of the list; changes during a write give one more write
// after it, and contents equal to what the file holds give none.
class BatchJournal final : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kDefaultDelay{1000};
    // Far beyond any real list (100 000 rows of long paths); a bigger file is not read.
    static constexpr qint64 kMaxFileBytes = 256LL * 1024 * 1024;

    using Source = std::function<JournalContents()>;
    enum class Urgency {
        Soon, // within the delay
        Now,  // at the next turn of the event loop (a converted file must not come back)
    };

    // `filePath` is the journal file; see pathIn(). Nothing is read or written yet.
    explicit BatchJournal(QString filePath, QObject *parent = nullptr,
                          std::chrono::milliseconds delay = kDefaultDelay);
    // Writes a change that is still waiting, so that ending without
    // removeOnCleanEnd() (a crash handler, an early return) loses nothing.
    ~BatchJournal() override;

    // The journal of the settings folder: "<settingsFolder>/journal.dat".
    static QString pathIn(const QString &settingsFolder);
    QString filePath() const { return m_path; }

    // Where the contents come from; called on this object's thread when a
    // write is due. Contents without entries remove the file.
    void setSource(Source source) { m_source = std::move(source); }
    // What the source gives has changed.
    void changed(Urgency urgency = Urgency::Soon);
    // Writes a pending change now, on the calling thread, after any write on
    // its way. Returns false when writing failed (logged; the next change
    // tries again).
    bool flush();
    // The program ends cleanly: forget any pending change and delete the file.
    void removeOnCleanEnd();

    // The contents a previous run left behind. Empty when there is no journal,
    // or when it is not a regular file, too large, truncated, unreadable or not
    // a journal at all (logged, never fatal).
    JournalContents load() const;
    // load() on the journal's thread; loaded() follows.
    void loadInBackground();

    // The bytes of the file for some contents, and back: exposed for the
    // tests of hostile content and the fuzzer. decode() reads both formats
    // and returns false for anything but a whole journal.
    static QByteArray encode(const JournalContents &contents);
    static bool decode(QByteArrayView bytes, JournalContents &contents);

Q_SIGNALS:
    // A write reached the disk (or contents without entries removed the file).
    void saved();
    void loaded(const sonvera::JournalContents &contents);

private:
    void startWrite();
    void writeDone(quint64 generation);
    // Waits for the write on its way, if any, and takes its result.
    void finishWriteInFlight();

    QString m_path;
    Source m_source;
    QTimer m_timer;       // the delay of a change
    QTimer m_urgentTimer; // the next turn of the event loop
    bool m_dirty = false; // a change not yet handed to a write
    quint64 m_generation = 0;                // of the write on its way; stale answers are ignored
    std::optional<std::future<bool>> m_inFlight; // the write on the thread, if any
    JournalContents m_inFlightContents;          // what it writes
    std::optional<JournalContents> m_written;    // what the file holds, as far as this journal wrote it
    QThread m_thread;
    QObject m_threadContext; // lives on m_thread: the queue of writes
};

} // namespace sonvera

Q_DECLARE_METATYPE(sonvera::JournalContents)
