#pragma once

#include "mediainfo.h"
#include "nativepath.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QSet>
#include <QString>

#include <array>
#include <deque>
#include <span>
#include <utility>

namespace sonvera {

// One input file of the batch. A queue may hold 100,000 of them, so a row is
// lean: 168 bytes (three to a block of the list's deque) and its path's
// bytes; what only some rows have (a step, a reason, an output) shares one text.
struct FileListRow {
    // Done: converted in the last batch and kept on show (with its output)
    // until the next batch starts or the list is cleared; never converted again.
    enum class Status : quint8 { Waiting, Converting, Failed, Done };

    quint64 id = 0;        // stable identity, never reused within a list
    NativePath path;       // what is opened (any bytes) and how it is shown
    MediaInfo media;       // what a probe found out about the source; empty until then
    QByteArray root;       // the folder it was found in when a folder was added; empty otherwise
    double fraction = 0;   // while converting: how far the whole file is, 0..1
    Status status = Status::Waiting;
    // previewWanted() was said for it: a view showed it, so it is probed
    // before the others and with a thumbnail (once; a preview that cannot be
    // drawn is not asked for again).
    mutable bool previewAsked = false;

    // While converting: the step, stage and percent.
    QString progress() const { return status == Status::Converting ? m_text : QString(); }
    // Why the last attempt failed; never blank for a failed row.
    QString failureReason() const { return status == Status::Failed ? m_text : QString(); }
    // A done row's output file, and its note for the user (its source's
    // header claims more; often empty).
    QString outputPath() const;
    QString note() const;
    // The last three characters of the shown path, upper case, as it was added; never recomputed.
    QString formatLabel() const { return QString(reinterpret_cast<const QChar *>(m_label.data()), m_labelSize); }

private:
    friend class FileList;
    void setLabel(const QString &label);

    // The one text the status has: converting, the progress; failed, the
    // reason; done, the output path and, after a NUL (which no path holds),
    // the note.
    QString m_text;
    std::array<char16_t, 3> m_label{};
    quint8 m_labelSize = 0;
};

// A row to be added: a path, and for a row restored as failed its reason.
struct NewRow {
    QByteArray path;       // as the file system spells it
    QString failureReason; // empty: the row waits; else it is failed, for this reason
    QByteArray root = {};  // the folder searched to find it, if any (FileListRow::root)
};

// The batch list and conversion queue: one model, shown by the window's list
// view and consumed head first by the batch. Rows are only ever appended at the
// end; they are never sorted or moved. The hint panel that lies over an empty
// list follows `hintVisible`, whose rules differ per operation.
//
// A queue of 100,000 rows costs what a short one does per event: the counts by
// status, the workload and the next waiting row are kept as rows change, never
// counted over the list, and a row leaving near either end moves no others.
class FileList final : public QAbstractTableModel {
    Q_OBJECT
    Q_PROPERTY(bool hintVisible READ hintVisible NOTIFY hintVisibleChanged)

public:
    enum Column {
        FileNameColumn,
        FormatColumn,
        DurationColumn,
        PictureSizeColumn,
        FileSizeColumn,
        StatusColumn,
        ColumnCount
    };
    enum Role {
        IdRole = Qt::UserRole + 1,
        PathRole,      // the path's bytes
        StatusRole,    // FileListRow::Status as an int
        FractionRole,  // a converting row's share done, 0..1
        OutputRole,    // a done row's output path
        ThumbnailRole, // the source's thumbnail as PNG bytes; empty when there is none
    };

    explicit FileList(QObject *parent = nullptr);

    // Last three characters of `path` (all of it when shorter) in upper case;
    // with `trimForLabel` leading and trailing spaces are removed first.
    static QString formatLabelOf(const QString &path, bool trimForLabel);

    // Appends a row and returns its id. The hint panel is left alone: each
    // adding route calls updateHint() once after its rows are in. `root`:
    // the folder searched to find it, if any.
    quint64 append(const QByteArray &path, bool trimForLabel, const QByteArray &root = {});
    // The same for a path that is text (from a dialog): its UTF-8 bytes.
    quint64 append(const QString &path, bool trimForLabel);
    // Appends these rows in order, as one insertion (views and the journal
    // hear of them once). Returns the id of the first, 0 when there are none.
    quint64 appendRows(std::span<const NewRow> rows, bool trimForLabel);

    // Removes the row at `row` (0-based, -1 for none) unless it is being
    // converted. Shows the hint when the list is then empty. Returns whether a
    // row was removed.
    bool removeRowAt(int row);
    // Removes these rows (any order, duplicates allowed) but those being
    // converted; shows the hint when the list is then empty. Returns how many went.
    int removeRowsAt(QList<int> rows);
    // Removes every row but those being converted; shows the hint when the
    // list is then empty.
    void removeAllRows();

    // Removes the row with this id, wherever it now stands. The hint is left
    // as it is, so a batch that empties the list leaves the panel hidden.
    bool removeById(quint64 id);
    // Removes every done row (a new batch begins with the files still to
    // convert); the hint is left as it is. Returns how many went.
    int removeDoneRows();

    // The rule of the adding routes: hidden with rows, shown without.
    void updateHint();
    // Shows the hint whatever the rows (the folder search shows its status there).
    void showHint() { setHintVisible(true); }
    bool hintVisible() const { return m_hintVisible; }

    // Rows being converted cannot be removed until they are released.
    void protectRow(quint64 id) { m_protected.insert(id); }
    void releaseRow(quint64 id) { m_protected.remove(id); }
    bool isProtected(quint64 id) const { return m_protected.contains(id); }
    qsizetype protectedCount() const { return m_protected.size(); }

    // The row's position, or -1; a binary search, since rows keep the order
    // of their rising ids.
    int indexOf(quint64 id) const;
    const FileListRow *rowById(quint64 id) const;
    const FileListRow &rowAt(int index) const { return m_rows.at(static_cast<std::size_t>(index)); }

    // `fraction`: how far the whole file is, 0..1.
    void setConverting(quint64 id, const QString &progress, double fraction = 0);
    void setFailed(quint64 id, const QString &reason);
    void setWaiting(quint64 id);
    // Makes every failed row waiting again (a new batch retries them), in one
    // pass with one change for the views; says failedRowsRetried() when any
    // were. Returns how many.
    int retryFailedRows();
    void setDone(quint64 id, const QString &outputPath, const QString &note = {});
    // What a probe found out about the row's source.
    void setMedia(quint64 id, const MediaInfo &media);

    // The rows still to convert (waiting, converting or failed): how many, and
    // the sum of the durations known so far with how many of them are unknown.
    struct Workload {
        int files = 0;
        double knownSeconds = 0;
        int unknownDurations = 0;
    };
    Workload workload() const;
    // How many rows have this status; kept as rows change.
    int count(FileListRow::Status status) const { return m_counts[std::size_t(status)]; }
    // The first waiting row from the head, or nullptr. Amortised constant: a
    // cursor remembers where the last answer stood and only a row made
    // waiting again before it moves it back.
    const FileListRow *nextWaiting();

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    void hintVisibleChanged(bool visible);
    // A row became waiting, converting, failed or done (not emitted for
    // progress alone, which changes many times a second).
    void statusChanged(quint64 id);
    // A probe filled in a row's media information.
    void mediaChanged(quint64 id);
    // retryFailedRows() made `count` rows waiting (said once, not a statusChanged() a row).
    void failedRowsRetried(int count);
    // A view asked for the thumbnail of a row whose media is not known yet, or
    // known without a thumbnail: the row is on show. Said once a row, from data().
    void previewWanted(quint64 id);

private:
    static QString toolTip(const FileListRow &row, int column);
    void setHintVisible(bool visible);
    // Removes rows [first, last] as one removal.
    void removeRange(int first, int last);
    void updateRow(int index);
    // Adds (+1) or takes away (-1) the row's share of the counts and the workload.
    void account(const FileListRow &row, int sign);
    // Gives the row this status, keeping the counts and the cursor right.
    void changeStatus(FileListRow &row, FileListRow::Status status);
    // The position of the first row whose id is `id` or more (rowCount() for none).
    int firstFrom(quint64 id) const;
    // Tells the views of the rows in m_unannounced, a slice at a time.
    void announceSlice();

    // A deque: a row leaving at the head (a converted file) or the tail moves
    // no other row, and growing never copies the rows already there.
    std::deque<FileListRow> m_rows;
    std::array<int, 4> m_counts{}; // rows by FileListRow::Status
    int m_unknownDurations = 0;    // rows not done whose length is unknown
    qint64 m_knownMicroseconds = 0; // the known lengths of the rows not done; whole
                                    // microseconds, so that taking a row off is exact
    quint64 m_waitingFrom = 0;     // no waiting row has a smaller id
    quint64 m_nextId = 1;
    QSet<quint64> m_protected; // rows being converted
    // Ids (first, last) of rows changed whose views have not been told yet.
    static constexpr std::pair<quint64, quint64> kNothingUnannounced{~quint64(0), 0};
    std::pair<quint64, quint64> m_unannounced = kNothingUnannounced;
    bool m_hintVisible = true;
};

// The texts of the status column.
QString statusText(const FileListRow &row);
// "1:05" or "1:02:03" for a length in whole seconds; "" for no length.
QString clockText(qint64 seconds);
// "480×270"; "" when the picture size is not known.
QString pictureSizeText(const MediaInfo &media);
// "12.3 MB", "850 KB", "512 B"; "" when the size is not known.
QString fileSizeText(qint64 bytes);

} // namespace sonvera
