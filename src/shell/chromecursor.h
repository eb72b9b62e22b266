#pragma once

#include <QCursor>
#include <QString>

namespace sonvera {

// The 32×32 pointer of the exit, help or minimise picture (":/cursors/<name>.svg"),
// drawn sharp for the screen's scale; the arrow's tip at (4, 2) is the hot spot.
QCursor chromeCursor(const QString &name);

} // namespace sonvera
