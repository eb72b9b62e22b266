#include "filelist.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

QString StatusText(const FileListRow &row)
{
    switch (row.status) {
    case FileListRow::Status::Waiting:
        return u"等待"_s;
    case FileListRow::Status::Converting:
        return u"转换中 "_s + QString::number(row.percent) + u'%';
    case FileListRow::Status::Failed:
        return u"失败"_s;
    }
    return {};
}

FileList::FileList(QObject *parent)
    : QAbstractTableModel(parent)
{
}

QString FileList::FormatLabel(const QString &path, bool trimForLabel)
{
    const QString source = trimForLabel ? trimBlanks(path) : path;
    return source.right(3).toUpper();
}

quint64 FileList::AppendRow(const QString &path, bool trimForLabel)
{
    const int at = RowCount();
    beginInsertRows({}, at, at);
    FileListRow row;
    row.id = m_nextId++;
    row.path = path;
    row.formatLabel = FormatLabel(path, trimForLabel);
    m_rows.push_back(std::move(row));
    endInsertRows();
    return m_rows.back().id;
}

bool FileList::RemoveSelectedRow(int currentRow)
{
    bool removed = false;
    if (currentRow >= 0 && currentRow < RowCount() && m_rows[static_cast<std::size_t>(currentRow)].id != m_protectedId) {
        removeAt(currentRow);
        removed = true;
    }
    if (m_rows.empty())
        setHintVisible(true);
    return removed;
}

void FileList::RemoveAllRows()
{
    const int keep = m_protectedId ? indexOf(m_protectedId) : -1;
    if (keep < 0) {
        if (!m_rows.empty()) {
            beginResetModel();
            m_rows.clear();
            endResetModel();
        }
    } else {
        // Everything after the protected row, then everything before it.
        if (keep + 1 < RowCount()) {
            beginRemoveRows({}, keep + 1, RowCount() - 1);
            m_rows.erase(m_rows.begin() + keep + 1, m_rows.end());
            endRemoveRows();
        }
        if (keep > 0) {
            beginRemoveRows({}, 0, keep - 1);
            m_rows.erase(m_rows.begin(), m_rows.begin() + keep);
            endRemoveRows();
        }
    }
    if (m_rows.empty())
        setHintVisible(true);
}

QString FileList::HeadPath() const
{
    return m_rows.empty() ? QString() : m_rows.front().path;
}

quint64 FileList::HeadId() const
{
    return m_rows.empty() ? 0 : m_rows.front().id;
}

bool FileList::PopHead(quint64 id)
{
    const int index = indexOf(id);
    if (index < 0)
        return false;
    if (id == m_protectedId)
        m_protectedId = 0;
    removeAt(index);
    return true;
}

void FileList::ReevaluateHint()
{
    setHintVisible(m_rows.empty());
}

void FileList::setProtectedRow(quint64 id)
{
    m_protectedId = id;
}

int FileList::indexOf(quint64 id) const
{
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].id == id)
            return static_cast<int>(i);
    }
    return -1;
}

const FileListRow *FileList::rowById(quint64 id) const
{
    const int index = indexOf(id);
    return index < 0 ? nullptr : &m_rows[static_cast<std::size_t>(index)];
}

void FileList::setConverting(quint64 id, int percent)
{
    const int index = indexOf(id);
    if (index < 0)
        return;
    FileListRow &row = m_rows[static_cast<std::size_t>(index)];
    const int clamped = std::clamp(percent, 0, 100);
    if (row.status == FileListRow::Status::Converting && row.percent == clamped)
        return;
    row.status = FileListRow::Status::Converting;
    row.percent = clamped;
    row.failureReason.clear();
    updateRow(index);
}

void FileList::setFailed(quint64 id, const QString &reason)
{
    const int index = indexOf(id);
    if (index < 0)
        return;
    FileListRow &row = m_rows[static_cast<std::size_t>(index)];
    row.status = FileListRow::Status::Failed;
    row.percent = 0;
    row.failureReason = reason.trimmed().isEmpty() ? u"未知错误"_s : reason;
    updateRow(index);
}

void FileList::setWaiting(quint64 id)
{
    const int index = indexOf(id);
    if (index < 0)
        return;
    FileListRow &row = m_rows[static_cast<std::size_t>(index)];
    row.status = FileListRow::Status::Waiting;
    row.percent = 0;
    row.failureReason.clear();
    updateRow(index);
}

int FileList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : RowCount();
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
            return row.path;
        case FormatColumn:
            return row.formatLabel;
        case StatusColumn:
            return StatusText(row);
        default:
            return {};
        }
    case Qt::ToolTipRole:
        if (index.column() == StatusColumn && row.status == FileListRow::Status::Failed)
            return row.failureReason;
        if (index.column() == FileNameColumn)
            return row.path;
        return {};
    case IdRole:
        return row.id;
    case PathRole:
        return row.path;
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
        return u"文件名"_s;
    case FormatColumn:
        return u"格式"_s;
    case StatusColumn:
        return u"状态"_s;
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

void FileList::removeAt(int index)
{
    beginRemoveRows({}, index, index);
    m_rows.erase(m_rows.begin() + index);
    endRemoveRows();
}

void FileList::updateRow(int index)
{
    Q_EMIT dataChanged(this->index(index, 0), this->index(index, ColumnCount - 1));
}

} // namespace sonvera
