#include "windowmenus.h"

#include "windowactions.h"

#include <QAction>
#include <QMenu>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

WindowMenus::WindowMenus(const WindowActions &actions, QWidget *window)
    : QObject(window)
    , m_menuFile(new QMenu(tr("File"), window))
    , m_menuOptions(new QMenu(tr("Options"), window))
    , m_menuAbout(new QMenu(tr("About"), window))
    , m_menuRemove(new QMenu(tr("Remove"), window))
    , m_surface(new QMenu(window))
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
}

} // namespace sonvera
