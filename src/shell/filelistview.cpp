#include "filelistview.h"

#include "droptargets.h"
#include "filelist.h"
#include "progress.h"

#include <QCoreApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QToolTip>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

constexpr int kCellPadding = 6;
constexpr int kRowHeight = 32;

FileListRow::Status statusOf(const QModelIndex &index)
{
    return static_cast<FileListRow::Status>(index.data(FileList::StatusRole).toInt());
}

} // namespace

FileListDelegate::FileListDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

QSize FileListDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), kRowHeight));
    return size;
}

void FileListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (index.column() == FileList::FileNameColumn)
        paintFileName(painter, option, index);
    else if (index.column() == FileList::StatusColumn)
        paintStatus(painter, option, index);
    else
        QStyledItemDelegate::paint(painter, option, index);
}

QImage FileListDelegate::thumbnail(const QModelIndex &index) const
{
    const quint64 id = index.data(FileList::IdRole).toULongLong();
    if (const QImage *cached = m_thumbnails.object(id))
        return *cached;
    const QByteArray png = index.data(FileList::ThumbnailRole).toByteArray();
    if (png.isEmpty())
        return {};
    auto *image = new QImage(QImage::fromData(png, "PNG"));
    const QImage copy = *image;
    m_thumbnails.insert(id, image);
    return copy;
}

void FileListDelegate::paintFileName(QPainter *painter, const QStyleOptionViewItem &option,
                                     const QModelIndex &index) const
{
    // The thumbnail's box is kept on every row, so that the names line up;
    // where the column is narrow the names take it.
    const bool withThumbnail = showsThumbnail(option.rect.width(), option.fontMetrics);
    QStyleOptionViewItem textOption = option;
    if (withThumbnail)
        textOption.rect.setLeft(option.rect.left() + kThumbnailBox.width() + kCellPadding);
    // A long path gives way from its start: the file's own name stays.
    textOption.textElideMode = Qt::ElideLeft;
    QStyleOptionViewItem background = option;
    background.text.clear();
    initStyleOption(&background, index);
    background.text.clear();
    option.widget->style()->drawControl(QStyle::CE_ItemViewItem, &background, painter, option.widget);
    const QImage image = withThumbnail ? thumbnail(index) : QImage();
    if (!image.isNull()) {
        const QRect box(option.rect.left() + kCellPadding / 2,
                        option.rect.top() + (option.rect.height() - kThumbnailBox.height()) / 2, kThumbnailBox.width(),
                        kThumbnailBox.height());
        QRect target(QPoint(), image.size().scaled(box.size(), Qt::KeepAspectRatio));
        target.moveCenter(box.center());
        painter->save();
        painter->setClipRect(option.rect); // never over the next column
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawImage(target, image);
        painter->restore();
    }
    QStyledItemDelegate::paint(painter, textOption, index);
}

bool FileListDelegate::showsThumbnail(int cellWidth, const QFontMetrics &metrics)
{
    // About twelve characters of the name come before any picture.
    return cellWidth >= kThumbnailBox.width() + 2 * kCellPadding + 12 * metrics.averageCharWidth();
}

void FileListDelegate::paintStatus(QPainter *painter, const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const
{
    const FileListRow::Status status = statusOf(index);
    if (status != FileListRow::Status::Converting) {
        QStyleOptionViewItem shown = option;
        if (!(option.state & QStyle::State_Selected)) {
            if (status == FileListRow::Status::Failed)
                shown.palette.setColor(QPalette::Text, QColor(0xb3, 0x26, 0x1e));
            else if (status == FileListRow::Status::Done)
                shown.palette.setColor(QPalette::Text, QColor(0x1e, 0x7b, 0x34));
        }
        QStyledItemDelegate::paint(painter, shown, index);
        return;
    }
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    option.widget->style()->drawControl(QStyle::CE_ItemViewItem, &background, painter, option.widget);

    // The bar: the whole file, both steps of a file of two.
    const double fraction = std::clamp(index.data(FileList::FractionRole).toDouble(), 0.0, 1.0);
    const QRectF track = QRectF(option.rect).adjusted(3, 5, -3, -5);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QColor(0x9f, 0xb1, 0xc8));
    painter->setBrush(QColor(0xf4, 0xf7, 0xfb));
    painter->drawRoundedRect(track, 3, 3);
    QRectF filled = track.adjusted(1, 1, -1, -1);
    filled.setWidth(filled.width() * fraction);
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(0x8c, 0xc1, 0xff));
    painter->drawRoundedRect(filled, 2, 2);
    painter->setPen(QColor(0x1d, 0x2b, 0x3f));
    const QString text = option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight,
                                                       int(track.width()) - 2 * kCellPadding);
    painter->drawText(track, Qt::AlignCenter, text);
    painter->restore();
}

bool FileListDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                                 const QModelIndex &index)
{
    if (event->type() != QEvent::ToolTip || index.column() != FileList::FileNameColumn)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QByteArray png = index.data(FileList::ThumbnailRole).toByteArray();
    const QString path = index.data(Qt::ToolTipRole).toString();
    if (png.isEmpty())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    // The path, and the picture at the size it was drawn.
    const QString html = u"<p style='white-space:pre'>%1</p><img src='data:image/png;base64,%2'>"_s.arg(
        path.toHtmlEscaped(), QString::fromLatin1(png.toBase64()));
    QToolTip::showText(event->globalPos(), html, view);
    return true;
}

FileListView::FileListView(QWidget *parent)
    : QTreeView(parent)
{
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAlternatingRowColors(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection); // Delete removes every selected row
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideMiddle);
    setItemDelegate(new FileListDelegate(this));
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(this, &QAbstractItemView::activated, this, [this](const QModelIndex &index) {
        if (statusOf(index) == FileListRow::Status::Done)
            Q_EMIT doneRowActivated();
    });
}

void FileListView::fitColumns()
{
    ensurePolished(); // the style sheet's font
    const QFontMetrics metrics = fontMetrics();
    // The widest a column's texts get: its header and a sample of each kind.
    ProgressDisplay twoSteps;
    twoSteps.steadyCaption = QCoreApplication::translate("Progress", "创建中 %1%").arg(100);
    twoSteps.step = 2;
    twoSteps.stepCount = 2;
    const std::array<std::pair<int, QStringList>, 5> columns{{
        {FileList::FormatColumn, {u"FLV"_s}},
        {FileList::DurationColumn, {u"00:00:00"_s}},
        {FileList::PictureSizeColumn, {u"1920×1080"_s}},
        {FileList::FileSizeColumn, {u"999.9 MB"_s}},
        {FileList::StatusColumn, {rowProgressText(twoSteps)}},
    }};
    QHeaderView *head = header();
    head->setSectionResizeMode(FileList::FileNameColumn, QHeaderView::Stretch);
    for (const auto &[column, samples] : columns) {
        // Headers are bold.
        const QString title = model()->headerData(column, Qt::Horizontal).toString();
        int widest = metrics.horizontalAdvance(title) * 6 / 5;
        for (const QString &sample : samples)
            widest = std::max(widest, metrics.horizontalAdvance(sample));
        head->setSectionResizeMode(column, QHeaderView::Interactive);
        head->resizeSection(column, widest + 3 * kCellPadding);
    }
    head->setMinimumSectionSize(24);
    giveNamesRoom();
}

void FileListView::resizeEvent(QResizeEvent *event)
{
    QTreeView::resizeEvent(event);
    giveNamesRoom();
}

void FileListView::giveNamesRoom()
{
    // Where the list is narrow (a small screen, 200 %), the names keep a
    // readable part: the thumbnails go first (the delegate drops them), then
    // the file size and the picture size (back as soon as there is room).
    if (!model())
        return;
    QHeaderView *head = header();
    const int least = 24 * fontMetrics().averageCharWidth() + 2 * kCellPadding;
    const auto fixedWidth = [head] {
        int width = 0;
        for (int column = FileList::FormatColumn; column < FileList::ColumnCount; ++column)
            width += head->isSectionHidden(column) ? 0 : head->sectionSize(column);
        return width;
    };
    for (int column : {FileList::FileSizeColumn, FileList::PictureSizeColumn})
        head->setSectionHidden(column, false);
    for (int column : {FileList::FileSizeColumn, FileList::PictureSizeColumn}) {
        if (viewport()->width() - fixedWidth() >= least)
            break;
        head->setSectionHidden(column, true);
    }
}

void FileListView::dragEnterEvent(QDragEnterEvent *event)
{
    acceptFileDrag(event);
}

void FileListView::dragMoveEvent(QDragMoveEvent *event)
{
    acceptFileDrag(event);
}

void FileListView::dropEvent(QDropEvent *event)
{
    if (const QByteArrayList paths = takeFileDrop(event); !paths.isEmpty())
        Q_EMIT pathsDropped(paths);
}

void FileListView::contextMenuEvent(QContextMenuEvent *event)
{
    // A right click makes the row under it current; the menu key keeps the current one.
    if (event->reason() == QContextMenuEvent::Mouse) {
        const QModelIndex at = indexAt(viewport()->mapFromGlobal(event->globalPos()));
        if (at.isValid() && !selectionModel()->isRowSelected(at.row(), {}))
            setCurrentIndex(at);
        Q_EMIT contextMenuWanted(event->globalPos());
        return;
    }
    const QRect current = visualRect(currentIndex());
    const QPoint at = current.isValid() ? current.bottomLeft() : QPoint(0, 0);
    Q_EMIT contextMenuWanted(viewport()->mapToGlobal(at));
}

} // namespace sonvera
