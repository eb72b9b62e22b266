#pragma once

class QWidget;

namespace sonvera {

// Puts a frameless dialog over the middle of its parent's window, kept
// inside that screen's available area. Qt's own placement allows for a
// title bar and frame that a frameless dialog does not have, which leaves
// it off the middle. Call it from the dialog's showEvent().
void centreOverParent(QWidget &dialog);

} // namespace sonvera
