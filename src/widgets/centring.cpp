#include "centring.h"

#include <QDialog>
#include <QEvent>
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

bool DialogCentring::eventFilter(QObject *watched, QEvent *event)
{
    // A show event comes before the window is mapped, so the window manager
    // sees the dialog at its place from the start.
    if (event->type() == QEvent::Show) {
        auto *dialog = qobject_cast<QDialog *>(watched);
        if (dialog && dialog->isWindow() && dialog->parentWidget())
            centreOverParent(*dialog);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace sonvera
