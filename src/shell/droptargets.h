#pragma once

#include <QLabel>
#include <QStringList>
#include <QTreeView>

class QDragEnterEvent;
class QDropEvent;
class QMimeData;

namespace sonvera {

// The local files and folders a drag carries, in the order it gives them.
QStringList localPathsOf(const QMimeData *data);

// The file list view `LV`: files and folders dropped on it are added.
class FileListView final : public QTreeView {
    Q_OBJECT

public:
    explicit FileListView(QWidget *parent = nullptr);

Q_SIGNALS:
    void pathsDropped(const QStringList &paths);

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
    void pathsDropped(const QStringList &paths);
    void clicked();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace sonvera
