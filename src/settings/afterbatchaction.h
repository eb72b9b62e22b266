#pragma once

#include <QString>

namespace sonvera {

// What the computer does once a batch has converted every file (the options
// dialog's 转换完成后: 无 / 关机 / 睡眠). A stopped batch, or one that left a
// file unconverted, never triggers it, and the window always shows a
// countdown with a way out before it happens.
enum class AfterBatchAction {
    None,     // 无: nothing
    PowerOff, // 关机: logind PowerOff
    Suspend,  // 睡眠: logind Suspend
};

// Whether the computer can do an after-batch action, as far as is known.
struct ActionSupport {
    bool available = false;
    QString reason; // when not available: why, in the user's language (a tool tip)

    friend bool operator==(const ActionSupport &, const ActionSupport &) = default;
};

struct AfterBatchSupport {
    ActionSupport powerOff;
    ActionSupport suspend;

    // The support of `action`; None is always available.
    ActionSupport of(AfterBatchAction action) const
    {
        switch (action) {
        case AfterBatchAction::PowerOff: return powerOff;
        case AfterBatchAction::Suspend: return suspend;
        case AfterBatchAction::None: break;
        }
        return {true, {}};
    }

    friend bool operator==(const AfterBatchSupport &, const AfterBatchSupport &) = default;
};

} // namespace sonvera
