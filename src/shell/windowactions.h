#pragma once

#include <QObject>

#include <array>
#include <optional>

class QAction;
class QWidget;

namespace sonvera {

// The window's commands. Every surface that offers one (a command button, an
// image of the toolbar, a menu item, a shortcut, a command word) triggers the
// same QAction.
enum class WindowCommand {
    AddFile,            // files from the open dialog
    AddFolder,          // the .flv files of a folder and the folders below it
    AddFromDropZone,    // a file from the drop zone's own open dialog
    RemoveMenu,         // pops up the Remove menu at the pointer
    RemoveSelected,     // the selected rows
    RemoveAll,          // every row but those being converted
    Options,
    Help,
    About,
    Exit,
    Start,
    Stop,
    Feedback,
    WebPage,
    Minimise,
    ChooseOutputFolder,
    OpenOutputFolder,   // the output folder in the file manager
    PlayOutput,         // the current row's converted file, in its player
    ShowOutput,         // the folder that holds the current row's converted file
};
inline constexpr int kWindowCommandCount = int(WindowCommand::ShowOutput) + 1;

// One QAction per command, owned by the window, with its caption, its tool
// tip (which every surface of the command shows) and its shortcut. The
// actions that appear in the menus carry the menus' captions and item names
// ("添加文件(&A)", `menuAddaFile`); the others are named "action" + the command.
class WindowActions final {
public:
    explicit WindowActions(QWidget *window);

    QAction *operator[](WindowCommand command) const { return m_actions[std::size_t(command)]; }

    // The commands a batch disables, and Stop, which only a batch enables.
    static constexpr std::array kLockedDuringBatch{WindowCommand::Start, WindowCommand::Feedback,
                                                   WindowCommand::ChooseOutputFolder};
    void setBatchRunning(bool running) const;

    // The command of a word of the hidden command channel; nothing for a word
    // that names none. Words are compared exactly, letter case included.
    static std::optional<WindowCommand> commandWord(QStringView word);

    // The action's caption as a screen reader should say it: without the
    // mnemonic ("添加文件(&A)" gives "添加文件").
    static QString spokenText(const QAction *action);

private:
    std::array<QAction *, kWindowCommandCount> m_actions{};
};

} // namespace sonvera
