#include "surfacedrag.h"

#include <QApplication>
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
        // Nothing moves yet: a press may be the start of a click (on the
        // surface, the drop zone, a link), and a window manager handed the
        // move on a bare press stays in its move mode after the release.
        m_state = State::Pressed;
        m_pressedAt = mouse->globalPosition().toPoint();
        m_grabOffset = m_pressedAt - m_window->frameGeometry().topLeft();
        return true;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (m_state == State::Idle || !(mouse->buttons() & Qt::LeftButton)) {
            m_state = State::Idle;
            return false;
        }
        const QPoint at = mouse->globalPosition().toPoint();
        if (m_state == State::Pressed) {
            if ((at - m_pressedAt).manhattanLength() < QApplication::startDragDistance())
                return true;
            // Past the platform's drag distance with the button still held:
            // a drag. The desktop's own move where it has one (it follows
            // the pointer from here on and ends at the release).
            QWindow *handle = m_window->windowHandle();
            if (handle && handle->startSystemMove()) {
                m_state = State::Idle;
                return true;
            }
            m_state = State::Following;
        }
        m_window->move(at - m_grabOffset);
        return true;
    }
    case QEvent::MouseButtonRelease:
        m_state = State::Idle;
        return false;
    default:
        return false;
    }
}

} // namespace sonvera
