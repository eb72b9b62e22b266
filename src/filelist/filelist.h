#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <vector>

namespace sonvera {

// One input file of the batch.
struct FileListRow {
    enum class Status { Waiting, Converting, Failed };

    quint64 id = 0;        // stable identity, never reused within a list
    QString path;          // exactly as the adding route delivered it
    QString formatLabel;   // last three characters of the path, upper case; never recomputed
    Status status = Status::Waiting;
    int percent = 0;       // 0..100 while converting
    QString failureReason; // why the last attempt failed; never blank for a failed row
};

// The batch list and conversion queue: one model, shown by the window's list
// view and consumed head first by the batch. Rows are only ever appended at the
// end; they are never sorted or moved. The hint panel that lies over an empty
// list follows `hintVisible`, whose rules differ per operation.
class FileList final : public QAbstractTableModel {
    Q_OBJECT
    Q_PROPERTY(bool hintVisible READ hintVisible NOTIFY hintVisibleChanged)

public:
    enum Column { FileNameColumn, FormatColumn, StatusColumn, ColumnCount };
    enum Role { IdRole = Qt::UserRole + 1, PathRole };

    explicit FileList(QObject *parent = nullptr);

    // Last three characters of `path` (all of it when shorter) in upper case;
    // with `trimForLabel` leading and trailing blanks are removed first.
    static QString FormatLabel(const QString &path, bool trimForLabel);

    // Appends a row and returns its id. The hint panel is left alone: each
    // adding route calls ReevaluateHint() once after its rows are in.
    quint64 AppendRow(const QString &path, bool trimForLabel);

    // Removes the row at `currentRow` (0-based, -1 for none) unless it is the
    // row under conversion. Shows the hint when the list is then empty.
    // Returns whether a row was removed.
    bool RemoveSelectedRow(int currentRow);

    // Removes every row but the one under conversion; shows the hint when the
    // list is then empty.
    void RemoveAllRows();

    int RowCount() const { return static_cast<int>(m_rows.size()); }
    QString HeadPath() const;
    quint64 HeadId() const;

    // Removes the row with this id, wherever it now stands. The hint is left
    // as it is, so a batch that empties the list leaves the panel hidden.
    bool PopHead(quint64 id);

    // The rule of the adding routes: hidden with rows, shown without.
    void ReevaluateHint();
    // Shows the hint whatever the rows (the folder search shows its status there).
    void ShowHint() { setHintVisible(true); }
    bool hintVisible() const { return m_hintVisible; }

    // The row under conversion cannot be removed until this is cleared.
    void setProtectedRow(quint64 id);
    void clearProtectedRow() { m_protectedId = 0; }
    quint64 protectedRow() const { return m_protectedId; }

    int indexOf(quint64 id) const;
    const FileListRow *rowById(quint64 id) const;
    const FileListRow &rowAt(int index) const { return m_rows.at(static_cast<std::size_t>(index)); }

    void setConverting(quint64 id, int percent);
    void setFailed(quint64 id, const QString &reason);
    void setWaiting(quint64 id);

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    void hintVisibleChanged(bool visible);

private:
    void setHintVisible(bool visible);
    void removeAt(int index);
    void updateRow(int index);

    std::vector<FileListRow> m_rows;
    quint64 m_nextId = 1;
    quint64 m_protectedId = 0; // 0: no row is protected
    bool m_hintVisible = true;
};

// The texts of the status column.
QString StatusText(const FileListRow &row);

} // namespace sonvera
