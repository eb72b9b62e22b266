#pragma once

#include "afterbatchaction.h"

#include <QDialog>
#include <QTimer>

#include <chrono>

class QLabel;
class QPushButton;

namespace sonvera {

// The last word before the after-batch action: "转换已完成，60 秒后关机。"
// counting down once a second, with 取消 as the default button (Return,
// Escape and closing the dialog all cancel). Window-modal: open it with
// open(), never exec(), so the window's event loop keeps running.
//
// Exactly one of ranOut() and cancelled() is emitted, once. The dialog does
// not delete itself; set Qt::WA_DeleteOnClose when opening one with `new`.
class PowerCountdownDialog final : public QDialog {
    Q_OBJECT

public:
    static constexpr int kDefaultSeconds = 60;

    // `action` is PowerOff or Suspend. `tick` is the time one counted second
    // takes; zero starts no timer, and the caller drives the count with
    // tick() (tests).
    PowerCountdownDialog(AfterBatchAction action, QWidget *parent, int seconds = kDefaultSeconds,
                         std::chrono::milliseconds tick = std::chrono::seconds(1));

    int secondsLeft() const { return m_secondsLeft; }
    QString text() const;
    QPushButton *cancelButton() const { return m_cancel; }

    // The text for `seconds` left, e.g. "转换已完成，60 秒后关机。"
    static QString textFor(AfterBatchAction action, int seconds);

public Q_SLOTS:
    // One second passed: counts down; at zero the dialog closes with ranOut().
    void tick();
    void reject() override; // 取消, Escape, the close button: cancelled()

Q_SIGNALS:
    void ranOut();
    void cancelled();

protected:
    void showEvent(QShowEvent *event) override;

private:
    AfterBatchAction m_action;
    int m_secondsLeft;
    bool m_finished = false; // ranOut() or cancelled() was emitted
    QLabel *m_label = nullptr;
    QPushButton *m_cancel = nullptr;
    QTimer m_timer;
};

} // namespace sonvera
