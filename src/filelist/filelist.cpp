#include "filelist.h"

#include "pathtext.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

QString statusText(const FileListRow &row)
{
    switch (row.status) {
    case FileListRow::Status::Waiting:
        return FileList::tr("等待");
    case FileListRow::Status::Converting:
        return row.progress.isEmpty() ? FileList::tr("转换中") : row.progress;
    case FileListRow::Status::Failed:
        return FileList::tr("失败");
    }
    return {};
}

FileList::FileList(QObject *parent)
    : QAbstractTableModel(parent)
{
}

QString FileList::formatLabelOf(const QString &path, bool trimForLabel)
{
    const QString source = trimForLabel ? trimmedSpaces(path) : path;
    return source.right(3).toUpper();
}

quint64 FileList::append(const QString &path, bool trimForLabel)
{
    return append(path.toUtf8(), trimForLabel);
}

quint64 FileList::append(const QByteArray &path, bool trimForLabel, const QByteArray &root)
{
    const NewRow row{path, {}, root};
    return appendRows({&row, 1}, trimForLabel);
}

quint64 FileList::appendRows(std::span<const NewRow> rows, bool trimForLabel)
{
    if (rows.empty())
        return 0;
    const int at = rowCount();
    beginInsertRows({}, at, at + int(rows.size()) - 1);
    if (const std::size_t needed = m_rows.size() + rows.size(); needed > m_rows.capacity())
        m_rows.reserve(std::max(needed, m_rows.capacity() * 2));
    const quint64 first = m_nextId;
    for (const NewRow &added : rows) {
        FileListRow row;
        row.id = m_nextId++;
        row.path = NativePath(added.path);
        row.formatLabel = formatLabelOf(row.path.shown(), trimForLabel);
        row.root = added.root;
        if (!added.failureReason.isEmpty()) {
            row.status = FileListRow::Status::Failed;
            row.failureReason = added.failureReason;
        }
        m_rows.push_back(std::move(row));
    }
    endInsertRows();
    return first;
}

bool FileList::removeRowAt(int row)
{
    return removeRowsAt({row}) == 1;
}

int FileList::removeRowsAt(QList<int> rows)
{
    // From the last to the first, so that the positions still to go hold;
    // each run of neighbouring rows goes as one removal (a whole selection of
    // thousands is one, not thousands).
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    const auto removable = [this](int row) {
        return row >= 0 && row < rowCount() && !isProtected(m_rows[static_cast<std::size_t>(row)].id);
    };
    int removed = 0;
    for (qsizetype i = 0; i < rows.size();) {
        if (!removable(rows[i])) {
            ++i;
            continue;
        }
        const int last = rows[i];
        int first = last;
        while (++i < rows.size() && rows[i] == first - 1 && removable(rows[i]))
            first = rows[i];
        removeRange(first, last);
        removed += last - first + 1;
    }
    if (m_rows.empty())
        setHintVisible(true);
    return removed;
}

void FileList::removeAllRows()
{
    if (m_protected.isEmpty()) {
        if (!m_rows.empty()) {
            beginResetModel();
            m_rows.clear();
            endResetModel();
        }
    } else {
        // Each run of unprotected rows, from the end, as one removal.
        for (int end = rowCount(); end > 0;) {
            int begin = end;
            while (begin > 0 && !isProtected(m_rows[static_cast<std::size_t>(begin - 1)].id))
                --begin;
            if (begin < end) {
                beginRemoveRows({}, begin, end - 1);
                m_rows.erase(m_rows.begin() + begin, m_rows.begin() + end);
                endRemoveRows();
            }
            end = begin - 1;
        }
    }
    if (m_rows.empty())
        setHintVisible(true);
}

bool FileList::removeById(quint64 id)
{
    const int index = indexOf(id);
    if (index < 0)
        return false;
    m_protected.remove(id);
    removeRange(index, index);
    return true;
}

void FileList::updateHint()
{
    setHintVisible(m_rows.empty());
}

int FileList::indexOf(quint64 id) const
{
    const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), id,
                                     [](const FileListRow &row, quint64 wanted) { return row.id < wanted; });
    return at != m_rows.end() && at->id == id ? static_cast<int>(at - m_rows.begin()) : -1;
}

const FileListRow *FileList::rowById(quint64 id) const
{
    const int index = indexOf(id);
    return index < 0 ? nullptr : &m_rows[static_cast<std::size_t>(index)];
}

void FileList::setConverting(quint64 id, const QString &progress)
{
    const int index = indexOf(id);
    if (index < 0)
        return;
    FileListRow &row = m_rows[static_cast<std::size_t>(index)];
    if (row.status == FileListRow::Status::Converting && row.progress == progress)
        return;
    const bool statusChanges = row.status != FileListRow::Status::Converting;
    row.status = FileListRow::Status::Converting;
    row.progress = progress;
    row.failureReason.clear();
    updateRow(index);
    if (statusChanges)
        Q_EMIT statusChanged(id);
}

void FileList::setFailed(quint64 id, const QString &reason)
{
    const int index = indexOf(id);
    if (index < 0)
        return;
    FileListRow &row = m_rows[static_cast<std::size_t>(index)];
    row.status = FileListRow::Status::Failed;
    row.progress.clear();
    row.failureReason = reason.trimmed().isEmpty() ? tr("未知错误") : reason;
    updateRow(index);
    Q_EMIT statusChanged(id);
}

void FileList::setWaiting(quint64 id)
{
    const int index = indexOf(id);
    if (index < 0)
        return;
    FileListRow &row = m_rows[static_cast<std::size_t>(index)];
    row.status = FileListRow::Status::Waiting;
    row.progress.clear();
    row.failureReason.clear();
    updateRow(index);
    Q_EMIT statusChanged(id);
}

int FileList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int FileList::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FileList::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const FileListRow &row = rowAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case FileNameColumn:
            return withHomeAsTilde(row.path.shown()); // the whole path is in the tool tip
        case FormatColumn:
            return row.formatLabel;
        case StatusColumn:
            return statusText(row);
        default:
            return {};
        }
    case Qt::ToolTipRole:
        if (index.column() == StatusColumn && row.status == FileListRow::Status::Failed)
            return row.failureReason;
        if (index.column() == FileNameColumn)
            return row.path.shown();
        return {};
    case IdRole:
        return row.id;
    case PathRole:
        return row.path.bytes();
    default:
        return {};
    }
}

QVariant FileList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case FileNameColumn:
        return tr("文件名");
    case FormatColumn:
        return tr("格式");
    case StatusColumn:
        return tr("状态");
    default:
        return {};
    }
}

void FileList::setHintVisible(bool visible)
{
    if (m_hintVisible == visible)
        return;
    m_hintVisible = visible;
    Q_EMIT hintVisibleChanged(visible);
}

void FileList::removeRange(int first, int last)
{
    beginRemoveRows({}, first, last);
    m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
    endRemoveRows();
}

void FileList::updateRow(int index)
{
    Q_EMIT dataChanged(this->index(index, 0), this->index(index, ColumnCount - 1));
}

} // namespace sonvera
