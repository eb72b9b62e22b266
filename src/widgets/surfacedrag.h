#pragma once

#include <QObject>
#include <QPoint>

class QWidget;

namespace sonvera {

// Lets a frameless window be dragged by its bare surface: a left-button press
// on the window itself (not on one of its controls) followed by a move of the
// platform's drag distance (QApplication::startDragDistance) with the button
// held starts the desktop's window move; a click never does. Where the
// platform has no such move, the window follows the pointer instead. Install
// one per window; it is owned by that window.
class SurfaceDrag final : public QObject {
    Q_OBJECT

public:
    explicit SurfaceDrag(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    enum class State { Idle, Pressed, Following };
    State m_state = State::Idle;
    QPoint m_pressedAt; // global position of the press, in device-independent pixels
    QPoint m_grabOffset; // pointer position relative to the window's corner during a manual drag
};

} // namespace sonvera
