#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>

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

// Keeps a copy of the batch list on disk so that a crash, a kill or a power
// cut loses nothing: the window hands over the whole list after each change,
// the journal writes it atomically (QSaveFile) within `delay` of the first
// unsaved change, and deletes it when the program ends cleanly. A journal
// found at start-up therefore means the last run did not end cleanly.
//
// Several changes within one delay give a single write. The timer is not
// restarted by later changes, so a steady stream of changes (progress, a
// folder search adding rows) still reaches the disk once per delay.
class BatchJournal final : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kDefaultDelay{1000};

    // `filePath` is the journal file; see pathIn(). Nothing is read or written yet.
    explicit BatchJournal(QString filePath, QObject *parent = nullptr,
                          std::chrono::milliseconds delay = kDefaultDelay);
    // Writes a change that is still waiting for its timer, so that ending
    // without removeOnCleanEnd() (a crash handler, an early return) loses nothing.
    ~BatchJournal() override;

    // The journal of the settings folder: "<settingsFolder>/journal.dat".
    static QString pathIn(const QString &settingsFolder);
    QString filePath() const { return m_path; }

    // The list changed: this is the whole list now. An empty list removes the file.
    void setEntries(QList<JournalEntry> entries);
    // Writes a pending change now. Returns false when writing failed (logged).
    bool flush();
    // The program ends cleanly: forget any pending change and delete the file.
    void removeOnCleanEnd();

    // The list a previous run left behind. Empty when there is no journal or
    // when it is truncated, unreadable or not a journal at all (logged once per
    // call, never fatal).
    QList<JournalEntry> load() const;

    // The bytes of the file for a list, and back: exposed for the tests of
    // hostile content. decode() returns false for anything but a whole journal.
    static QByteArray encode(const QList<JournalEntry> &entries);
    static bool decode(const QByteArray &bytes, QList<JournalEntry> &entries);

Q_SIGNALS:
    // A write reached the disk (or an empty list removed the file).
    void saved();

private:
    QString m_path;
    QList<JournalEntry> m_entries;
    bool m_dirty = false;
    QTimer m_timer;
};

} // namespace sonvera
