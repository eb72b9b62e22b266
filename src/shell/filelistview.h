#pragma once

#include <QCache>
#include <QImage>
#include <QStyledItemDelegate>
#include <QTreeView>

namespace sonvera {

// Paints the rows of the file list: a thumbnail before the file name, and in
// the status column a bar that shows how far a file being converted is (one
// delegate for every row; no widget per row). A bigger thumbnail comes with
// the file name's tool tip.
class FileListDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr QSize kThumbnailBox{44, 26};

    explicit FileListDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;
    // Whether a file-name cell `cellWidth` pixels wide shows the thumbnail:
    // only with room left for a readable part of the name.
    static bool showsThumbnail(int cellWidth, const QFontMetrics &metrics);

private:
    void paintFileName(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;
    void paintStatus(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;
    // The row's thumbnail, decoded once; null when it has none.
    QImage thumbnail(const QModelIndex &index) const;

    mutable QCache<quint64, QImage> m_thumbnails{256}; // by row id
};

// The file list view `LV`: rows of the batch list, files and folders dropped
// on it are added, a converted file plays on a double click (or Return), and
// a right click (or the menu key) asks for the list's menu.
class FileListView final : public QTreeView {
    Q_OBJECT

public:
    explicit FileListView(QWidget *parent = nullptr);

    // Gives every column but the file name the room its texts need, in the
    // view's font; the file name takes the rest.
    void fitColumns();

Q_SIGNALS:
    void pathsDropped(const QByteArrayList &paths);
    // The current row is a done row and was double-clicked or entered.
    void doneRowActivated();
    // At `globalPos`, on the current row if any.
    void contextMenuWanted(const QPoint &globalPos);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void giveNamesRoom();
};

} // namespace sonvera
