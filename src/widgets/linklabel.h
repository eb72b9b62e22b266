#pragma once

#include <QLabel>

namespace sonvera {

// A text that acts as a link: clickable, bold while the pointer is over it;
// it takes the focus with Tab and is pressed with Space or Return.
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
