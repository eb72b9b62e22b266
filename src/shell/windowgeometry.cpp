#include "windowgeometry.h"

namespace sonvera {

WindowPlacement placeWindow(QSize preferred, QSize least, const QRect &available)
{
    WindowPlacement placement;
    placement.least = least.boundedTo(available.size());
    const QSize size = preferred.expandedTo(placement.least).boundedTo(available.size());
    const QPoint topLeft(available.x() + (available.width() - size.width()) / 2,
                         available.y() + (available.height() - size.height()) / 2);
    placement.geometry = QRect(topLeft, size);
    return placement;
}

} // namespace sonvera
