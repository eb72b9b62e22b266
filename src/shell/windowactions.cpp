#include "windowactions.h"

#include <QAction>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

using enum WindowCommand;

struct ActionRow {
    WindowCommand command;
    const char *name;
    QStringView text;
    QKeySequence shortcut;
};

} // namespace

WindowActions::WindowActions(QWidget *window)
{
    const std::array<ActionRow, kWindowCommandCount> rows{{
        {AddFile, "menuAddaFile", u"添加文件(&A)", QKeySequence::Open},
        {AddFolder, "menuAddaFolder", u"添加目录(&F)", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)},
        {AddFromDropZone, "actionAddFromDropZone", u"打开文件", {}},
        {RemoveMenu, "actionRemoveMenu", u"移除文件", {}},
        {RemoveSelected, "menuRemoveSelected", u"移除选择项", QKeySequence::Delete},
        {RemoveAll, "menuRemoveAll", u"移除全部", {}},
        {Options, "menuOption", u"设置(&O)", QKeySequence(Qt::CTRL | Qt::Key_Comma)},
        {Help, "menuHelp", u"帮助(&H)", QKeySequence::HelpContents},
        {About, "menuA", u"关于(&A)", {}},
        {Exit, "menuExit", u"退出(&E)", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {Start, "actionStart", u"立刻开始转换！", QKeySequence(Qt::CTRL | Qt::Key_Return)},
        {Stop, "actionStop", u"停止", {}},
        {Feedback, "actionFeedback", u"意见反馈", {}},
        {WebPage, "actionWebPage", u"Sonvera ", {}},
        {Minimise, "actionMinimise", u"Minimize Window", {}},
        {ChooseOutputFolder, "actionChooseOutputFolder", u"请选择一个文件夹:", {}},
    }};
    for (const ActionRow &row : rows) {
        auto *action = new QAction(row.text.toString(), window);
        action->setObjectName(QString::fromLatin1(row.name));
        if (!row.shortcut.isEmpty()) {
            action->setShortcut(row.shortcut);
            action->setShortcutContext(Qt::WindowShortcut);
            window->addAction(action); // the shortcut works without a menu on screen
        }
        m_actions[std::size_t(row.command)] = action;
    }
    // Ctrl+Enter on the keypad starts too.
    (*this)[Start]->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    setBatchRunning(false);
}

void WindowActions::setBatchRunning(bool running) const
{
    for (WindowCommand command : kLockedDuringBatch)
        (*this)[command]->setEnabled(!running);
    (*this)[Stop]->setEnabled(running);
}

std::optional<WindowCommand> WindowActions::toolbarSlot(int slot)
{
    switch (slot) {
    case 0: return AddFile;
    case 1: return RemoveMenu;
    case 2: return Options;
    case 3: return Help;
    case 4: return Exit;
    case 6: return AddFolder;
    default: return std::nullopt;
    }
}

std::optional<WindowCommand> WindowActions::commandButton(int index)
{
    // Each button stands for an image toolbar slot.
    static constexpr std::array<int, 6> kSlotOfButton{0, 6, 1, -1, 2, 4};
    if (index < 0 || index >= int(kSlotOfButton.size()))
        return std::nullopt;
    return toolbarSlot(kSlotOfButton[std::size_t(index)]);
}

std::optional<WindowCommand> WindowActions::commandWord(QStringView word)
{
    static constexpr std::array<std::pair<QStringView, WindowCommand>, 7> kWords{{
        {u"RemoveSelected", RemoveSelected},
        {u"A", About},
        {u"AddaFile", AddFile},
        {u"menuAddaFolder", AddFolder},
        {u"menuExit", Exit},
        {u"menuHelp", Help},
        {u"menuOption", Options},
    }};
    for (const auto &[text, command] : kWords) {
        if (word == text)
            return command;
    }
    return std::nullopt;
}

} // namespace sonvera
