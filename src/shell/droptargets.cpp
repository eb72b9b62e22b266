#include "droptargets.h"

#include <QDragEnterEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QUrl>

namespace sonvera {

QStringList localPathsOf(const QMimeData *data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    const QList<QUrl> urls = data->urls();
    for (const QUrl &url : urls) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    return paths;
}

namespace {

// Copy is what a drop here does: the files stay where they are.
template<typename Event>
bool acceptFiles(Event *event)
{
    if (localPathsOf(event->mimeData()).isEmpty())
        return false;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
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
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideMiddle);
    header()->setStretchLastSection(false);
}

void FileListView::dragEnterEvent(QDragEnterEvent *event)
{
    if (!acceptFiles(event))
        event->ignore();
}

void FileListView::dragMoveEvent(QDragMoveEvent *event)
{
    if (!acceptFiles(event))
        event->ignore();
}

void FileListView::dropEvent(QDropEvent *event)
{
    const QStringList paths = localPathsOf(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    Q_EMIT pathsDropped(paths);
}

DropZone::DropZone(QWidget *parent)
    : QLabel(parent)
{
    setAcceptDrops(true);
}

void DropZone::dragEnterEvent(QDragEnterEvent *event)
{
    if (!acceptFiles(event))
        event->ignore();
}

void DropZone::dragMoveEvent(QDragMoveEvent *event)
{
    if (!acceptFiles(event))
        event->ignore();
}

void DropZone::dropEvent(QDropEvent *event)
{
    const QStringList paths = localPathsOf(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    Q_EMIT pathsDropped(paths);
}

void DropZone::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
    QLabel::mouseReleaseEvent(event);
}

} // namespace sonvera
