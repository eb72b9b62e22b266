#pragma once

namespace sonvera {

// What the computer does once a batch has converted every file (the options
// dialog's 转换完成后: 无 / 关机 / 睡眠). A stopped batch never triggers it, and
// the window always shows a countdown with a way out before it happens.
enum class AfterBatchAction {
    None,     // 无: nothing
    PowerOff, // 关机: logind PowerOff
    Suspend,  // 睡眠: logind Suspend
};

} // namespace sonvera
