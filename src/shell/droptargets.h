#pragma once

#include <QByteArrayList>
#include <QLabel>
#include <QStringList>
#include <QTreeView>

class QDragEnterEvent;
class QDropEvent;
class QMimeData;

namespace sonvera {

// The local files and folders a drag carries, in the order it gives them, as
// the file system spells them (the URLs' percent-encoded bytes, so a name that
// is not UTF-8 arrives intact).
QByteArrayList localPathsOf(const QMimeData *data);

// The file list view `LV`: files and folders dropped on it are added.
class FileListView final : public QTreeView {
    Q_OBJECT

public:
    explicit FileListView(QWidget *parent = nullptr);

Q_SIGNALS:
    void pathsDropped(const QByteArrayList &paths);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};

// A picture that takes drops of local files and folders, and can be clicked:
// the drop zone `picDrag`, and the hint panel that lies over an empty list.
class DropZone final : public QLabel {
    Q_OBJECT

public:
    explicit DropZone(QWidget *parent = nullptr);

Q_SIGNALS:
    void pathsDropped(const QByteArrayList &paths);
    void clicked();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace sonvera
