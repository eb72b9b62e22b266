#pragma once

#include <QObject>

class QMenu;
class QWidget;

namespace sonvera {

class WindowActions;

// The window's four menus, kept on a never-shown menu object (`frmMenu`).
// Their items are the window's command actions. The window pops up the
// Remove menu itself; the other three come up from a right click on its
// surface. The list has a menu of its own: a converted file's commands, the
// output folder and the Remove menu's items.
class WindowMenus final : public QObject {
    Q_OBJECT

public:
    WindowMenus(const WindowActions &actions, QWidget *window);

    QMenu *menuFile() const { return m_menuFile; }
    QMenu *menuOptions() const { return m_menuOptions; }
    QMenu *menuAbout() const { return m_menuAbout; }
    QMenu *menuRemove() const { return m_menuRemove; }
    // The three menus of the right click on the window's surface.
    QMenu *surfaceMenu() const { return m_surface; }
    // The right click on the list.
    QMenu *listMenu() const { return m_list; }

private:
    QMenu *m_menuFile;
    QMenu *m_menuOptions;
    QMenu *m_menuAbout;
    QMenu *m_menuRemove;
    QMenu *m_surface;
    QMenu *m_list;
};

} // namespace sonvera
