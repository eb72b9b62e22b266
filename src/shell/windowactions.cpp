#include "windowactions.h"

#include <QAction>
#include <QCoreApplication>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

using enum WindowCommand;

constexpr const char *kContext = "sonvera::WindowActions";

struct ActionRow {
    WindowCommand command;
    const char *name;
    const char *text; // UTF-8, translated when the action is made
    QKeySequence shortcut;
};

} // namespace

WindowActions::WindowActions(QWidget *window)
{
    const std::array<ActionRow, kWindowCommandCount> rows{{
        {AddFile, "menuAddaFile", QT_TRANSLATE_NOOP("sonvera::WindowActions", "添加文件(&A)"), QKeySequence::Open},
        {AddFolder, "menuAddaFolder", QT_TRANSLATE_NOOP("sonvera::WindowActions", "添加目录(&F)"),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)},
        {AddFromDropZone, "actionAddFromDropZone", QT_TRANSLATE_NOOP("sonvera::WindowActions", "打开文件"), {}},
        {RemoveMenu, "actionRemoveMenu", QT_TRANSLATE_NOOP("sonvera::WindowActions", "移除文件"), {}},
        {RemoveSelected, "menuRemoveSelected", QT_TRANSLATE_NOOP("sonvera::WindowActions", "移除选择项"),
          QKeySequence::Delete},
        {RemoveAll, "menuRemoveAll", QT_TRANSLATE_NOOP("sonvera::WindowActions", "移除全部"), {}},
        {Options, "menuOption", QT_TRANSLATE_NOOP("sonvera::WindowActions", "设置(&O)"),
          QKeySequence(Qt::CTRL | Qt::Key_Comma)},
        {Help, "menuHelp", QT_TRANSLATE_NOOP("sonvera::WindowActions", "帮助(&H)"), QKeySequence::HelpContents},
        {About, "menuA", QT_TRANSLATE_NOOP("sonvera::WindowActions", "关于(&A)"), {}},
        {Exit, "menuExit", QT_TRANSLATE_NOOP("sonvera::WindowActions", "退出(&E)"), QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {Start, "actionStart", QT_TRANSLATE_NOOP("sonvera::WindowActions", "立刻开始转换！"),
          QKeySequence(Qt::CTRL | Qt::Key_Return)},
        {Stop, "actionStop", QT_TRANSLATE_NOOP("sonvera::WindowActions", "停止"), {}},
        {Feedback, "actionFeedback", QT_TRANSLATE_NOOP("sonvera::WindowActions", "意见反馈"), {}},
        {WebPage, "actionWebPage", "Sonvera ", {}},
        {Minimise, "actionMinimise", QT_TRANSLATE_NOOP("sonvera::WindowActions", "Minimize Window"), {}},
        {ChooseOutputFolder, "actionChooseOutputFolder", QT_TRANSLATE_NOOP("sonvera::WindowActions", "请选择一个文件夹:"),
          {}},
    }};
    for (const ActionRow &row : rows) {
        auto *action = new QAction(QCoreApplication::translate(kContext, row.text), window);
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
