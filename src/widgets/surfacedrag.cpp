#include "surfacedrag.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace sonvera {

SurfaceDrag::SurfaceDrag(QWidget *window)
    : QObject(window)
    , m_window(window)
{
    window->installEventFilter(this);
}

bool SurfaceDrag::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        QWindow *handle = m_window->windowHandle();
        if (handle && handle->startSystemMove())
            return true;
        m_manualDrag = true;
        m_grabOffset = mouse->globalPosition().toPoint() - m_window->frameGeometry().topLeft();
        return true;
    }
    case QEvent::MouseMove:
        if (m_manualDrag) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            m_window->move(mouse->globalPosition().toPoint() - m_grabOffset);
            return true;
        }
        return false;
    case QEvent::MouseButtonRelease:
        m_manualDrag = false;
        return false;
    default:
        return false;
    }
}

} // namespace sonvera
