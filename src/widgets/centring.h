#pragma once

#include <QObject>

class QWidget;

namespace sonvera {

// Puts a frameless dialog over the middle of its parent's window, kept
// inside that screen's available area. Qt's own placement allows for a
// title bar and frame that a frameless dialog does not have, which leaves
// it off the middle. DialogCentring calls it for every dialog as it shows.
void centreOverParent(QWidget &dialog);

// Installed on the application, it centres every dialog that has a parent
// over its parent's window as the dialog is shown: a window manager places
// a dialog on its own (openbox: at the top left of the screen) when Qt only
// suggests a place, as it does for the dialogs it positions itself.
class DialogCentring final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace sonvera
