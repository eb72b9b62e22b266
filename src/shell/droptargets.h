#pragma once

#include <QByteArrayList>
#include <QLabel>
#include <QStringList>

class QDropEvent;
class QMimeData;

namespace sonvera {

// The local files and folders a drag carries, in the order it gives them, as
// the file system spells them (the URLs' percent-encoded bytes, so a name that
// is not UTF-8 arrives intact).
QByteArrayList localPathsOf(const QMimeData *data);

// Accepts a drag or drop of local files as a copy, and ignores any other.
void acceptFileDrag(QDropEvent *event);
// The local files of a drop, once accepted; empty (and ignored) without files.
QByteArrayList takeFileDrop(QDropEvent *event);

// A picture that takes drops of local files and folders, and can be clicked
// (or, when it takes the focus, pressed with Space or Return): the drop zone
// `picDrag`, and the hint panel that lies over an empty list.
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
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace sonvera
