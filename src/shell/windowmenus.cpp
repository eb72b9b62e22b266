#include "windowmenus.h"

#include "windowactions.h"

#include <QAction>
#include <QMenu>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

WindowMenus::WindowMenus(const WindowActions &actions, QWidget *window)
    : QObject(window)
    , m_menuFile(new QMenu(tr("文件"), window))
    , m_menuOptions(new QMenu(tr("选项"), window))
    , m_menuAbout(new QMenu(tr("关于"), window))
    , m_menuRemove(new QMenu(tr("移除"), window))
    , m_surface(new QMenu(window))
    , m_list(new QMenu(window))
{
    using enum WindowCommand;
    setObjectName(u"frmMenu"_s);
    m_menuFile->setObjectName(u"menuFile"_s);
    m_menuOptions->setObjectName(u"menuOptions"_s);
    m_menuAbout->setObjectName(u"menuAbout"_s);
    m_menuRemove->setObjectName(u"menuRemove"_s);

    m_menuFile->addActions({actions[AddFile], actions[AddFolder]});
    m_menuFile->addSeparator()->setObjectName(u"menuS"_s);
    m_menuFile->addAction(actions[Exit]);
    m_menuOptions->addAction(actions[Options]);
    m_menuAbout->addActions({actions[Help], actions[About]});
    m_menuRemove->addActions({actions[RemoveSelected], actions[RemoveAll]});
    m_surface->addMenu(m_menuFile);
    m_surface->addMenu(m_menuOptions);
    m_surface->addMenu(m_menuAbout);
    m_list->setObjectName(u"listMenu"_s);
    m_list->addActions({actions[PlayOutput], actions[ShowOutput], actions[OpenOutputFolder]});
    m_list->addSeparator();
    m_list->addActions({actions[RemoveSelected], actions[RemoveAll]});
}

} // namespace sonvera
