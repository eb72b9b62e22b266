#include "droptargets.h"

#include <QDragEnterEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QUrl>

namespace sonvera {

QByteArrayList localPathsOf(const QMimeData *data)
{
    QByteArrayList paths;
    if (!data || !data->hasUrls())
        return paths;
    const QList<QUrl> urls = data->urls();
    for (const QUrl &url : urls) {
        if (url.isLocalFile())
            paths << QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    }
    return paths;
}

namespace {

// Copy is what a drop here does: the files stay where they are.
void acceptFiles(QDropEvent *event)
{
    if (localPathsOf(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

// The dropped paths, once the drop is accepted; empty (and ignored) without files.
QByteArrayList takeDrop(QDropEvent *event)
{
    acceptFiles(event);
    return event->isAccepted() ? localPathsOf(event->mimeData()) : QByteArrayList();
}

} // namespace

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
    header()->setStretchLastSection(false);
}

void FileListView::dragEnterEvent(QDragEnterEvent *event)
{
    acceptFiles(event);
}

void FileListView::dragMoveEvent(QDragMoveEvent *event)
{
    acceptFiles(event);
}

void FileListView::dropEvent(QDropEvent *event)
{
    if (const QByteArrayList paths = takeDrop(event); !paths.isEmpty())
        Q_EMIT pathsDropped(paths);
}

DropZone::DropZone(QWidget *parent)
    : QLabel(parent)
{
    setAcceptDrops(true);
}

void DropZone::dragEnterEvent(QDragEnterEvent *event)
{
    acceptFiles(event);
}

void DropZone::dragMoveEvent(QDragMoveEvent *event)
{
    acceptFiles(event);
}

void DropZone::dropEvent(QDropEvent *event)
{
    if (const QByteArrayList paths = takeDrop(event); !paths.isEmpty())
        Q_EMIT pathsDropped(paths);
}

void DropZone::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
    QLabel::mouseReleaseEvent(event);
}

} // namespace sonvera
