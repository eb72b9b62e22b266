#pragma once

#include <QMessageBox>

namespace sonvera {

// The question when the window is closed during a batch:
// "正在转换，确定要停止并退出吗？" with 继续转换 (the default: Return, Escape
// and closing the question keep converting) and 停止并退出. Window-modal and
// opened with open(), so the batch goes on while it is asked.
class CloseQuestion final : public QMessageBox {
    Q_OBJECT

public:
    explicit CloseQuestion(QWidget *parent);

    QPushButton *keepButton() const { return m_keep; }
    QPushButton *stopButton() const { return m_stop; }

Q_SIGNALS:
    // Emitted once, when the question is answered or closed.
    void answered(bool stopAndClose);

private:
    QPushButton *m_keep = nullptr;
    QPushButton *m_stop = nullptr;
};

} // namespace sonvera
