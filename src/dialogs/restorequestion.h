#pragma once

#include <QMessageBox>

namespace sonvera {

// The question at start-up when the last run left files unconverted:
// "上次有 N 个文件没有转换完，恢复到列表吗？" with 恢复 (the default button:
// Return restores) and 不恢复 (also Escape and closing). Window-modal and
// opened with open(), so the window's event loop keeps running.
class RestoreQuestion final : public QMessageBox {
    Q_OBJECT

public:
    // Builds the question over `parent` for `fileCount` files; not shown yet.
    RestoreQuestion(int fileCount, QWidget *parent);

    // Builds the question, opens it and deletes it once answered.
    static RestoreQuestion *ask(int fileCount, QWidget *parent);

    QPushButton *restoreButton() const { return m_restore; }
    QPushButton *discardButton() const { return m_discard; }

    static QString textFor(int fileCount);

Q_SIGNALS:
    // Emitted once, when the question is answered or closed.
    void answered(bool restore);

private:
    QPushButton *m_restore = nullptr;
    QPushButton *m_discard = nullptr;
};

} // namespace sonvera
