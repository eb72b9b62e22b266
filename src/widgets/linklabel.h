#pragma once

#include <QAccessible>
#include <QLabel>

namespace sonvera {

// Shows `widget` to assistive technology in `role` (a link, a button) with a
// press action, which presses Space on it: for labels that act as controls
// and answer Space, which Qt would otherwise expose as static text. Call it
// right after making the widget: an interface made before keeps its role.
void exposeAsPressable(QWidget *widget, QAccessible::Role role);

// A text that acts as a link: clickable, bold while the pointer is over it;
// it takes the focus with Tab and is pressed with Space or Return; a screen
// reader meets it as a link.
class LinkLabel final : public QLabel {
    Q_OBJECT

public:
    explicit LinkLabel(const QString &text, QWidget *parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setBold(bool bold);
};

} // namespace sonvera
