#include "menuwindow.h"

#include <QLineEdit>
#include <QMenu>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

MenuWindow::MenuWindow(QLineEdit *channel, QWidget *parent)
    : QObject(parent)
    , m_channel(channel)
    , m_menuFile(new QMenu(u"File"_s, parent))
    , m_menuOptions(new QMenu(u"Options"_s, parent))
    , m_menuAbout(new QMenu(u"About"_s, parent))
    , m_menuRemove(new QMenu(u"Remove"_s, parent))
{
    setObjectName(u"frmMenu"_s);
    m_menuFile->setObjectName(u"menuFile"_s);
    m_menuOptions->setObjectName(u"menuOptions"_s);
    m_menuAbout->setObjectName(u"menuAbout"_s);
    m_menuRemove->setObjectName(u"menuRemove"_s);

    item(m_menuFile, "menuAddaFile", u"添加文件(&A)"_s, u"AddaFile"_s)->setShortcut(QKeySequence::Open);
    item(m_menuFile, "menuAddaFolder", u"添加目录(&F)"_s, u"menuAddaFolder"_s)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    m_menuFile->addSeparator()->setObjectName(u"menuS"_s);
    item(m_menuFile, "menuExit", u"退出(&E)"_s, u"menuExit"_s)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    item(m_menuOptions, "menuOption", u"设置(&O)"_s, u"menuOption"_s)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    item(m_menuAbout, "menuHelp", u"帮助(&H)"_s, u"menuHelp"_s)->setShortcut(QKeySequence::HelpContents);
    item(m_menuAbout, "menuA", u"关于(&A)"_s, u"A"_s);
    item(m_menuRemove, "menuRemoveSelected", u"移除选择项"_s, u"RemoveSelected"_s);
    QAction *removeAll = m_menuRemove->addAction(u"移除全部"_s);
    removeAll->setObjectName(u"menuRemoveAll"_s);
    connect(removeAll, &QAction::triggered, this, &MenuWindow::removeAllRequested);
}

MenuWindow::~MenuWindow() = default;

QAction *MenuWindow::item(QMenu *menu, const char *name, const QString &caption, const QString &word)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, [this, word] { m_channel->setText(word); });
    return action;
}

QList<QAction *> MenuWindow::shortcutActions() const
{
    QList<QAction *> actions;
    for (QMenu *menu : {m_menuFile, m_menuOptions, m_menuAbout}) {
        const QList<QAction *> items = menu->actions();
        for (QAction *action : items) {
            if (!action->shortcut().isEmpty())
                actions << action;
        }
    }
    return actions;
}

} // namespace sonvera
