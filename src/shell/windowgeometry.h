#pragma once

#include <QRect>
#include <QSize>

namespace sonvera {

// Where a window opens on its screen.
struct WindowPlacement {
    QRect geometry; // inside the screen's available area, centred in it
    QSize least;    // the least size to allow: never more than the area
};

// Places a window that asks for `preferred` and can be made no smaller than
// `least` in `available` (a screen's area without its panels, in the same
// units): the preferred size where it fits, else as much as there is, and the
// least size no larger than the area, so that the whole window, its buttons
// and its frame are always on the screen.
WindowPlacement placeWindow(QSize preferred, QSize least, const QRect &available);

} // namespace sonvera
