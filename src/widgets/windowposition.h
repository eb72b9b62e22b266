#pragma once

#include <QObject>

namespace sonvera {

// Installed on the application, it keeps Qt's idea of where each top-level
// window is in step with the X server's, checked as the window is exposed.
//
// Why: a window manager that frames a window (openbox) reparents it into its
// frame before moving the frame to the window's place. Qt reads the
// window's position back (in screen pixels) when it handles the move
// notice that reparenting causes; when it does so before the frame has
// moved, it records the frame's first corner (0,0) as the window's place,
// and the window manager, having moved the frame where the window asked to
// be, sends no further notice. Every mapping from the window to the screen
// is then off by the window's real place: drop-down lists, menus and
// tooltips open at their box's position counted from the screen's corner.
// Whether Qt reads too early depends on timing, so it struck now one
// opening of a dialog, now another.
//
// Only on X11: elsewhere (Wayland) a window has no position to check.
class WindowPositionCheck final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace sonvera
