#include "droptargets.h"

#include <QDragEnterEvent>
#include <QKeyEvent>
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

// Copy is what a drop here does: the files stay where they are.
void acceptFileDrag(QDropEvent *event)
{
    if (localPathsOf(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

QByteArrayList takeFileDrop(QDropEvent *event)
{
    acceptFileDrag(event);
    return event->isAccepted() ? localPathsOf(event->mimeData()) : QByteArrayList();
}

DropZone::DropZone(QWidget *parent)
    : QLabel(parent)
{
    setAcceptDrops(true);
}

void DropZone::dragEnterEvent(QDragEnterEvent *event)
{
    acceptFileDrag(event);
}

void DropZone::dragMoveEvent(QDragMoveEvent *event)
{
    acceptFileDrag(event);
}

void DropZone::dropEvent(QDropEvent *event)
{
    if (const QByteArrayList paths = takeFileDrop(event); !paths.isEmpty())
        Q_EMIT pathsDropped(paths);
}

void DropZone::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
    QLabel::mouseReleaseEvent(event);
}

void DropZone::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
        Q_EMIT clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

} // namespace sonvera
