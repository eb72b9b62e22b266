#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>

class QWidget;

namespace sonvera {

// Lets a frameless window be resized by its edges and corners: a band of
// `band` pixels along the window's border (the window's own area, outside its
// contents) shows a resize cursor and, pressed, starts the desktop's window
// resize. Where the platform has no such resize, the window follows the
// pointer instead. Install one per window; it is owned by that window.
class EdgeResize final : public QObject {
    Q_OBJECT

public:
    EdgeResize(QWidget *window, int band);

    // The edges within `band` of `pos` (window coordinates) in a window of `size`.
    static Qt::Edges edgesAt(QPoint pos, QSize size, int band);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void followPointer(QPoint globalPos);

    QWidget *m_window;
    int m_band;
    Qt::Edges m_manualEdges; // the edges being dragged where the platform cannot resize
    QPoint m_pressedAt;      // global position of that press
    QRect m_startGeometry;   // the window's geometry at that press
};

} // namespace sonvera
