#include "centring.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace sonvera {

namespace {

// Where a window is on its screen, frame and all. A frameless window's frame
// is its own: under some window managers (openbox) Qt reports nonsense for it.
QRect outline(const QWidget &window)
{
    return window.windowFlags().testFlag(Qt::FramelessWindowHint) ? window.geometry() : window.frameGeometry();
}

} // namespace

void centreOverParent(QWidget &dialog)
{
    const QWidget *parent = dialog.parentWidget() ? dialog.parentWidget()->window() : nullptr;
    if (!parent || !parent->isVisible())
        return;
    QRect placed(QPoint(0, 0), outline(dialog).size());
    placed.moveCenter(outline(*parent).center());
    if (const QScreen *screen = parent->screen()) {
        const QRect available = screen->availableGeometry();
        const int right = std::max(available.left(), available.right() - placed.width() + 1);
        const int bottom = std::max(available.top(), available.bottom() - placed.height() + 1);
        placed.moveTopLeft(QPoint(std::clamp(placed.left(), available.left(), right),
                                  std::clamp(placed.top(), available.top(), bottom)));
    }
    dialog.move(placed.topLeft());
}

} // namespace sonvera
