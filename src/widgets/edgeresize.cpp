#include "edgeresize.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace sonvera {

EdgeResize::EdgeResize(QWidget *window, int band)
    : QObject(window)
    , m_window(window)
    , m_band(band)
{
    window->setMouseTracking(true);
    window->installEventFilter(this);
}

Qt::Edges EdgeResize::edgesAt(QPoint pos, QSize size, int band)
{
    Qt::Edges edges;
    if (pos.x() < band)
        edges |= Qt::LeftEdge;
    if (pos.x() >= size.width() - band)
        edges |= Qt::RightEdge;
    if (pos.y() < band)
        edges |= Qt::TopEdge;
    if (pos.y() >= size.height() - band)
        edges |= Qt::BottomEdge;
    return edges;
}

namespace {

Qt::CursorShape cursorFor(Qt::Edges edges)
{
    const bool left = edges & Qt::LeftEdge;
    const bool right = edges & Qt::RightEdge;
    const bool top = edges & Qt::TopEdge;
    const bool bottom = edges & Qt::BottomEdge;
    if ((left && top) || (right && bottom))
        return Qt::SizeFDiagCursor;
    if ((right && top) || (left && bottom))
        return Qt::SizeBDiagCursor;
    if (left || right)
        return Qt::SizeHorCursor;
    return Qt::SizeVerCursor;
}

} // namespace

bool EdgeResize::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window || m_window->isMaximized())
        return false;
    switch (event->type()) {
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (m_manualEdges) {
            followPointer(mouse->globalPosition().toPoint());
            return true;
        }
        const Qt::Edges edges = edgesAt(mouse->position().toPoint(), m_window->size(), m_band);
        if (edges)
            m_window->setCursor(cursorFor(edges));
        else
            m_window->unsetCursor();
        return false;
    }
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const Qt::Edges edges = edgesAt(mouse->position().toPoint(), m_window->size(), m_band);
        if (mouse->button() != Qt::LeftButton || !edges)
            return false;
        QWindow *handle = m_window->windowHandle();
        if (handle && handle->startSystemResize(edges))
            return true;
        m_manualEdges = edges;
        m_pressedAt = mouse->globalPosition().toPoint();
        m_startGeometry = m_window->geometry();
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (!m_manualEdges)
            return false;
        m_manualEdges = {};
        return true;
    case QEvent::Leave:
        m_window->unsetCursor();
        return false;
    default:
        return false;
    }
}

void EdgeResize::followPointer(QPoint globalPos)
{
    const QPoint moved = globalPos - m_pressedAt;
    QRect geometry = m_startGeometry;
    const QSize least = m_window->minimumSize();
    if (m_manualEdges & Qt::LeftEdge)
        geometry.setLeft(std::min(geometry.left() + moved.x(), geometry.right() - least.width() + 1));
    if (m_manualEdges & Qt::RightEdge)
        geometry.setRight(std::max(geometry.right() + moved.x(), geometry.left() + least.width() - 1));
    if (m_manualEdges & Qt::TopEdge)
        geometry.setTop(std::min(geometry.top() + moved.y(), geometry.bottom() - least.height() + 1));
    if (m_manualEdges & Qt::BottomEdge)
        geometry.setBottom(std::max(geometry.bottom() + moved.y(), geometry.top() + least.height() - 1));
    m_window->setGeometry(geometry);
}

} // namespace sonvera
