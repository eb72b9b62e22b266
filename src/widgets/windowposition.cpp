#include "windowposition.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>

namespace sonvera {

namespace {

struct FreeReply {
    void operator()(void *reply) const { std::free(reply); }
};

// Where the X server has the window's top-left corner on the screen, in
// device pixels; none when the server cannot say (the window is gone).
std::optional<QPoint> serverPosition(xcb_connection_t *connection, xcb_window_t window)
{
    const std::unique_ptr<xcb_get_geometry_reply_t, FreeReply> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    if (!geometry)
        return std::nullopt;
    const std::unique_ptr<xcb_translate_coordinates_reply_t, FreeReply> translated(xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, window, geometry->root, 0, 0), nullptr));
    if (!translated)
        return std::nullopt;
    return QPoint(translated->dst_x, translated->dst_y);
}

} // namespace

bool WindowPositionCheck::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Expose)
        return false;
    auto *window = qobject_cast<QWindow *>(watched);
    // Popups and tooltips are placed by Qt itself, past the window manager.
    if (!window || !window->isTopLevel() || !window->isExposed() || window->type() == Qt::Popup
        || window->type() == Qt::ToolTip)
        return false;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return false;
    const std::optional<QPoint> server = serverPosition(x11->connection(), xcb_window_t(window->winId()));
    if (!server)
        return false;
    // Two round trips to the local server, a fraction of a millisecond. The
    // server counts device pixels, Qt the window's own: a difference under
    // one of those is rounding, not an error.
    const qreal ratio = window->devicePixelRatio();
    const QPointF actual = QPointF(*server) / ratio;
    const QPointF believed = window->position();
    if (std::abs(actual.x() - believed.x()) < 1 && std::abs(actual.y() - believed.y()) < 1)
        return false;
    // Telling Qt where the window is asks the window manager to put it
    // where it already is: nothing moves.
    window->setPosition(QPoint(qRound(actual.x()), qRound(actual.y())));
    return false;
}

} // namespace sonvera
