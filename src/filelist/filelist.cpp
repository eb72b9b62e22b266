#include "filelist.h"

#include "pathtext.h"

#include <QTimer>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

// libstdc++'s deque keeps rows in blocks of 512 bytes: three rows of up to 170
// bytes fill one; a row of 171 to 256 bytes would leave a third of each unused.
static_assert(sizeof(FileListRow) <= 512 / 3, "a list row no longer fits three to a block");

QString FileListRow::outputPath() const
{
    if (status != Status::Done)
        return {};
    const qsizetype end = m_text.indexOf(QChar(0));
    return end < 0 ? m_text : m_text.left(end);
}

QString FileListRow::note() const
{
    const qsizetype end = status == Status::Done ? m_text.indexOf(QChar(0)) : -1;
    return end < 0 ? QString() : m_text.mid(end + 1);
}

void FileListRow::setLabel(const QString &label)
{
    m_labelSize = quint8(std::min<qsizetype>(label.size(), qsizetype(m_label.size())));
    std::copy_n(reinterpret_cast<const char16_t *>(label.utf16()), m_labelSize, m_label.begin());
}

QString statusText(const FileListRow &row)
{
    switch (row.status) {
    case FileListRow::Status::Waiting:
        return FileList::tr("等待");
    case FileListRow::Status::Converting:
        if (const QString progress = row.progress(); !progress.isEmpty())
            return progress;
        return FileList::tr("转换中");
    case FileListRow::Status::Failed:
        return FileList::tr("失败");
    case FileListRow::Status::Done:
        if (const QString note = row.note(); !note.isEmpty())
            //: %1 is the name of the output file, %2 a note on its source.
            return FileList::tr("完成：%1（%2）").arg(shownSafely(fileNameOf(row.outputPath())), note);
        //: %1 is the name of the output file.
        return FileList::tr("完成：%1").arg(shownSafely(fileNameOf(row.outputPath())));
    }
    return {};
}

QString clockText(qint64 seconds)
{
    if (seconds < 0)
        return {};
    const qint64 h = seconds / 3600;
    const qint64 m = seconds / 60 % 60;
    const qint64 s = seconds % 60;
    const QString mmss = QString::number(m).rightJustified(h > 0 ? 2 : 1, u'0') + u':'
        + QString::number(s).rightJustified(2, u'0');
    return h > 0 ? QString::number(h) + u':' + mmss : mmss;
}

QString pictureSizeText(const MediaInfo &media)
{
    return media.hasPicture() ? QString::number(media.width) + u'×' + QString::number(media.height) : QString();
}

QString fileSizeText(qint64 bytes)
{
    if (bytes < 0)
        return {};
    if (bytes < 1024)
        return QString::number(bytes) + u" B"_s;
    if (bytes < 1024 * 1024)
        return QString::number((bytes + 512) / 1024) + u" KB"_s;
    const double megabytes = double(bytes) / (1024 * 1024);
    if (megabytes < 1024)
        return QString::number(megabytes, 'f', megabytes < 100 ? 1 : 0) + u" MB"_s;
    return QString::number(megabytes / 1024, 'f', 1) + u" GB"_s;
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
    const quint64 first = m_nextId;
    for (const NewRow &added : rows) {
        FileListRow row;
        row.id = m_nextId++;
        row.path = NativePath(added.path);
        row.setLabel(formatLabelOf(row.path.shown(), trimForLabel));
        row.root = added.root;
        if (!added.failureReason.isEmpty()) {
            row.status = FileListRow::Status::Failed;
            row.m_text = added.failureReason;
        }
        account(row, +1);
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
            m_counts = {};
            m_unknownDurations = 0;
            m_knownMicroseconds = 0;
            endResetModel();
        }
    } else {
        // Each run of unprotected rows, from the end, as one removal.
        for (int end = rowCount(); end > 0;) {
            int begin = end;
            while (begin > 0 && !isProtected(m_rows[static_cast<std::size_t>(begin - 1)].id))
                --begin;
            if (begin < end) {
                removeRange(begin, end - 1);
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

int FileList::removeDoneRows()
{
    int removed = 0;
    for (int end = rowCount(); end > 0;) {
        int begin = end;
        while (begin > 0 && m_rows[static_cast<std::size_t>(begin - 1)].status == FileListRow::Status::Done)
            --begin;
        if (begin < end) {
            removeRange(begin, end - 1);
            removed += end - begin;
        }
        end = begin - 1;
    }
    return removed;
}

void FileList::updateHint()
{
    setHintVisible(m_rows.empty());
}

int FileList::firstFrom(quint64 id) const
{
    const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), id,
                                     [](const FileListRow &row, quint64 wanted) { return row.id < wanted; });
    return static_cast<int>(at - m_rows.begin());
}

int FileList::indexOf(quint64 id) const
{
    const int at = firstFrom(id);
    return at < rowCount() && m_rows[static_cast<std::size_t>(at)].id == id ? at : -1;
}

const FileListRow *FileList::rowById(quint64 id) const
{
    const int index = indexOf(id);
    return index < 0 ? nullptr : &m_rows[static_cast<std::size_t>(index)];
}

void FileList::setConverting(quint64 id, const QString &progress, double fraction)
{
    const int index = indexOf(id);
    if (index < 0)
        return;
    FileListRow &row = m_rows[static_cast<std::size_t>(index)];
    fraction = std::clamp(fraction, 0.0, 1.0);
    if (row.status == FileListRow::Status::Converting && row.m_text == progress && row.fraction == fraction)
        return;
    const bool statusChanges = row.status != FileListRow::Status::Converting;
    changeStatus(row, FileListRow::Status::Converting);
    row.m_text = progress;
    row.fraction = fraction;
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
    changeStatus(row, FileListRow::Status::Failed);
    row.fraction = 0;
    row.m_text = reason.trimmed().isEmpty() ? tr("未知错误") : reason;
    updateRow(index);
    Q_EMIT statusChanged(id);
}

void FileList::setWaiting(quint64 id)
{
    const int index = indexOf(id);
    if (index < 0)
        return;
    FileListRow &row = m_rows[static_cast<std::size_t>(index)];
    changeStatus(row, FileListRow::Status::Waiting);
    row.fraction = 0;
    row.m_text.clear();
    updateRow(index);
    Q_EMIT statusChanged(id);
}

int FileList::retryFailedRows()
{
    if (count(FileListRow::Status::Failed) == 0)
        return 0;
    int retried = 0;
    for (FileListRow &row : m_rows) {
        if (row.status != FileListRow::Status::Failed)
            continue;
        changeStatus(row, FileListRow::Status::Waiting);
        row.fraction = 0;
        row.m_text.clear();
        m_unannounced = {std::min(m_unannounced.first, row.id), std::max(m_unannounced.second, row.id)};
        ++retried;
    }
    announceSlice();
    Q_EMIT failedRowsRetried(retried);
    return retried;
}

void FileList::announceSlice()
{
    // A view takes a change of tens of thousands of rows in one go (Qt's
    // tree view walks them all): a few thousand at a time, each from the
    // event loop, keeps it responsive. Ids, not positions: rows may go between.
    constexpr int kSliceRows = 4096;
    const auto [from, to] = m_unannounced;
    const int first = firstFrom(from);
    const int end = firstFrom(to + 1);
    if (first >= end) {
        m_unannounced = kNothingUnannounced;
        return;
    }
    const int last = std::min(end, first + kSliceRows) - 1;
    Q_EMIT dataChanged(index(first, 0), index(last, ColumnCount - 1));
    if (last + 1 < end) {
        m_unannounced.first = m_rows[static_cast<std::size_t>(last + 1)].id;
        QTimer::singleShot(0, this, &FileList::announceSlice);
    } else {
        m_unannounced = kNothingUnannounced;
    }
}

void FileList::setDone(quint64 id, const QString &outputPath, const QString &note)
{
    const int index = indexOf(id);
    if (index < 0)
        return;
    FileListRow &row = m_rows[static_cast<std::size_t>(index)];
    changeStatus(row, FileListRow::Status::Done);
    row.fraction = 1;
    row.m_text = note.isEmpty() ? outputPath : outputPath + QChar(0) + note;
    m_protected.remove(id);
    updateRow(index);
    Q_EMIT statusChanged(id);
}

void FileList::setMedia(quint64 id, const MediaInfo &media)
{
    const int index = indexOf(id);
    if (index < 0)
        return;
    FileListRow &row = m_rows[static_cast<std::size_t>(index)];
    account(row, -1);
    row.media = media;
    account(row, +1);
    updateRow(index);
    Q_EMIT mediaChanged(id);
}

FileList::Workload FileList::workload() const
{
    Workload load;
    load.files = rowCount() - count(FileListRow::Status::Done);
    load.knownSeconds = double(m_knownMicroseconds) / 1e6;
    load.unknownDurations = m_unknownDurations;
    return load;
}

const FileListRow *FileList::nextWaiting()
{
    if (count(FileListRow::Status::Waiting) == 0)
        return nullptr;
    auto at = std::lower_bound(m_rows.begin(), m_rows.end(), m_waitingFrom,
                               [](const FileListRow &row, quint64 wanted) { return row.id < wanted; });
    for (; at != m_rows.end(); ++at) {
        if (at->status == FileListRow::Status::Waiting) {
            m_waitingFrom = at->id;
            return &*at;
        }
    }
    return nullptr; // not reached while the counts are right
}

void FileList::account(const FileListRow &row, int sign)
{
    m_counts[std::size_t(row.status)] += sign;
    if (row.status == FileListRow::Status::Done)
        return;
    if (row.media.durationSeconds)
        m_knownMicroseconds += sign * std::llround(*row.media.durationSeconds * 1e6);
    else
        m_unknownDurations += sign;
}

void FileList::changeStatus(FileListRow &row, FileListRow::Status status)
{
    account(row, -1);
    row.status = status;
    account(row, +1);
    if (status == FileListRow::Status::Waiting)
        m_waitingFrom = std::min(m_waitingFrom, row.id);
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
            return shownSafely(withHomeAsTilde(row.path.shown())); // the whole path is in the tool tip
        case FormatColumn:
            return shownSafely(row.formatLabel());
        case DurationColumn:
            return row.media.durationSeconds ? clockText(std::llround(*row.media.durationSeconds)) : QString();
        case PictureSizeColumn:
            return pictureSizeText(row.media);
        case FileSizeColumn:
            return fileSizeText(row.media.fileBytes);
        case StatusColumn:
            return statusText(row);
        default:
            return {};
        }
    case Qt::ToolTipRole:
        return toolTip(row, index.column());
    case Qt::TextAlignmentRole:
        if (index.column() == DurationColumn || index.column() == FileSizeColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case IdRole:
        return row.id;
    case PathRole:
        return row.path.bytes();
    case StatusRole:
        return int(row.status);
    case FractionRole:
        return row.fraction;
    case OutputRole:
        return row.outputPath();
    case ThumbnailRole:
        // Only the rows a view draws ask: they are probed first, and only
        // they get a thumbnail drawn.
        if (!row.previewAsked && row.media.thumbnailPng.isEmpty()
            && (row.media.state == MediaInfo::State::Unknown
                || (row.media.state == MediaInfo::State::Known && row.media.hasPicture()))) {
            row.previewAsked = true;
            Q_EMIT const_cast<FileList *>(this)->previewWanted(row.id);
        }
        return row.media.thumbnailPng;
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
    case DurationColumn:
        return tr("时长");
    case PictureSizeColumn:
        return tr("分辨率");
    case FileSizeColumn:
        return tr("大小");
    case StatusColumn:
        return tr("状态");
    default:
        return {};
    }
}

QString FileList::toolTip(const FileListRow &row, int column)
{
    // A name is shown, never obeyed: no control character reaches the screen.
    if (column == FileNameColumn)
        return shownSafely(row.path.shown());
    if (column != StatusColumn)
        return row.media.state == MediaInfo::State::Unreadable ? tr("无法读取这个文件的时长和画面") : QString();
    switch (row.status) {
    case FileListRow::Status::Failed:
        return shownSafely(row.failureReason());
    case FileListRow::Status::Done:
        //: %1 is the output file's whole path.
        return tr("已转换为 %1\n双击播放").arg(shownSafely(row.outputPath()))
            + (row.note().isEmpty() ? QString() : u'\n' + row.note());
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
    for (int i = first; i <= last; ++i)
        account(m_rows[static_cast<std::size_t>(i)], -1);
    m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
    endRemoveRows();
}

void FileList::updateRow(int index)
{
    Q_EMIT dataChanged(this->index(index, 0), this->index(index, ColumnCount - 1));
}

} // namespace sonvera
