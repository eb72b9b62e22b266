#include "windowactions.h"

#include <QAction>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

using enum WindowCommand;

constexpr const char *kContext = "sonvera::WindowActions";

struct ActionRow {
  WindowCommand command;
  const char *name;
  const char *text;    // UTF-8, translated when the action is made
  const char *toolTip; // UTF-8, translated likewise
  QKeySequence shortcut;
};

// Every command's caption and tool tip, in the order of WindowCommand.
std::array<ActionRow, kWindowCommandCount> actionRows()
{
    return {{
        {AddFile, "menuAddaFile", QT_TRANSLATE_NOOP("sonvera::WindowActions", "添加文件(&A)"),
         QT_TRANSLATE_NOOP("sonvera::WindowActions", "添加文件到列表，可以一次选择多个"), QKeySequence::Open},
        {AddFolder, "menuAddaFolder", QT_TRANSLATE_NOOP("sonvera::WindowActions", "添加目录(&F)"),
         QT_TRANSLATE_NOOP("sonvera::WindowActions", "添加一个文件夹及其子文件夹中的 FLV 文件"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)},
        {AddFromDropZone, "actionAddFromDropZone", QT_TRANSLATE_NOOP("sonvera::WindowActions", "打开文件"),
         QT_TRANSLATE_NOOP("sonvera::WindowActions", "把文件拖到这里，或者点击这里选择文件"), {}},
        {RemoveMenu, "actionRemoveMenu", QT_TRANSLATE_NOOP("sonvera::WindowActions", "移除文件"),
         QT_TRANSLATE_NOOP("sonvera::WindowActions", "从列表中移除文件"), {}},
        {RemoveSelected, "menuRemoveSelected", QT_TRANSLATE_NOOP("sonvera::WindowActions", "移除选择项"),
         QT_TRANSLATE_NOOP("sonvera::WindowActions", "从列表中移除选中的文件"), QKeySequence::Delete},
        {RemoveAll, "menuRemoveAll", QT_TRANSLATE_NOOP("sonvera::WindowActions", "移除全部"),
         QT_TRANSLATE_NOOP("sonvera::WindowActions", "移除列表中的全部文件"), {}},
        {Options, "menuOption", QT_TRANSLATE_NOOP("sonvera::WindowActions", "设置(&O)"),
         QT_TRANSLATE_NOOP("sonvera::WindowActions", "提示音、音乐截取和其他选项"), QKeySequence(Qt::CTRL | Qt::Key_Comma)},
        {Help, "menuHelp", QT_TRANSLATE_NOOP("sonvera::WindowActions", "帮助(&H)"),
         QT_TRANSLATE_NOOP("sonvera::WindowActions", "帮助和教程"), QKeySequence::HelpContents},
        {About, "menuA", QT_TRANSLATE_NOOP("sonvera::WindowActions", "关于(&A)"),
         QT_TRANSLATE_NOOP("sonvera::WindowActions", "关于 Sonvera"), {}},
        {Exit, "menuExit", QT_TRANSLATE_NOOP("sonvera::WindowActions", "退出(&E)"),
         QT_TRANSLATE_NOOP("sonvera::WindowActions", "退出 Sonvera"), QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {Start, "actionStart", QT_TRANSLATE_NOOP("sonvera::WindowActions", "立刻开始转换！"),
         QT_TRANSLATE_NOOP("sonvera::WindowActions", "开始转换列表中的文件"), QKeySequence(Qt::CTRL | Qt::Key_Return)},
        {Stop, "actionStop", QT_TRANSLATE_NOOP("sonvera::WindowActions", "停止"),
         QT_TRANSLATE_NOOP("sonvera::WindowActions", "停止转换"), {}},
        {Feedback, "actionFeedback", QT_TRANSLATE_NOOP("sonvera::WindowActions", "意见反馈"),
         QT_TRANSLATE_NOOP("sonvera::WindowActions", "给我们提建议或问题"), {}},
        {WebPage, "actionWebPage", "Sonvera ", "https://www.sonvera.app/", {}},
        {Minimise, "actionMinimise", QT_TRANSLATE_NOOP("sonvera::WindowActions", "最小化"),
         QT_TRANSLATE_NOOP("sonvera::WindowActions", "最小化窗口"), {}},
        {ChooseOutputFolder, "actionChooseOutputFolder", QT_TRANSLATE_NOOP("sonvera::WindowActions", "请选择一个文件夹:"),
         QT_TRANSLATE_NOOP("sonvera::WindowActions", "选择输出文件夹"), {}},
        {OpenOutputFolder, "actionOpenOutputFolder", QT_TRANSLATE_NOOP("sonvera::WindowActions", "打开输出文件夹"),
         QT_TRANSLATE_NOOP("sonvera::WindowActions", "在文件管理器中打开输出文件夹"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F)},
        {PlayOutput, "actionPlayOutput", QT_TRANSLATE_NOOP("sonvera::WindowActions", "播放"),
         QT_TRANSLATE_NOOP("sonvera::WindowActions", "播放转换好的文件"), {}},
        {ShowOutput, "actionShowOutput", QT_TRANSLATE_NOOP("sonvera::WindowActions", "打开所在文件夹"),
         QT_TRANSLATE_NOOP("sonvera::WindowActions", "打开转换好的文件所在的文件夹"), {}},
    }};
}

} // namespace

WindowActions::WindowActions(QWidget *window) {
  for (const ActionRow &row : actionRows()) {
    auto *action =
        new QAction(QCoreApplication::translate(kContext, row.text), window);
    action->setObjectName(QString::fromLatin1(row.name));
    // The web page's tool tip is its address, the same in every language.
    action->setToolTip(row.command == WebPage ? QString::fromLatin1(row.toolTip)
                                              : QCoreApplication::translate(
                                                    kContext, row.toolTip));
    if (!row.shortcut.isEmpty()) {
      action->setShortcut(row.shortcut);
      action->setShortcutContext(Qt::WindowShortcut);
      window->addAction(action); // the shortcut works without a menu on screen
    }
    m_actions[std::size_t(row.command)] = action;
  }
  // Ctrl+Enter on the keypad starts too.
  (*this)[Start]->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return),
                                QKeySequence(Qt::CTRL | Qt::Key_Enter)});
  setBatchRunning(false);
}

void WindowActions::setBatchRunning(bool running) const {
  for (WindowCommand command : kLockedDuringBatch)
    (*this)[command]->setEnabled(!running);
  (*this)[Stop]->setEnabled(running);
}

std::optional<WindowCommand> WindowActions::commandWord(QStringView word) {
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

QString WindowActions::spokenText(const QAction *action) {
  static const QRegularExpression mnemonic(u"\\(&.\\)$"_s);
  QString text = action->text();
  text.remove(mnemonic);
  return text.remove(u'&').trimmed();
}

} // namespace sonvera
