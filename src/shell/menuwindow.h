#pragma once

#include <QObject>

class QAction;
class QLineEdit;
class QMenu;
class QWidget;

namespace sonvera {

// The menus of the window, kept apart from it as one never-shown menu window.
// Its items post command words into the command channel, a hidden text field
// whose change the window dispatches; "移除全部" alone calls its action directly.
class MenuWindow final : public QObject {
    Q_OBJECT

public:
    // `channel` receives the command words; it must outlive the menus.
    MenuWindow(QLineEdit *channel, QWidget *parent);
    ~MenuWindow() override;

    QMenu *menuFile() const { return m_menuFile; }
    QMenu *menuOptions() const { return m_menuOptions; }
    QMenu *menuAbout() const { return m_menuAbout; }
    QMenu *menuRemove() const { return m_menuRemove; }
    // The items that carry keyboard shortcuts, to be added to the window.
    QList<QAction *> shortcutActions() const;

Q_SIGNALS:
    void removeAllRequested();

private:
    QAction *item(QMenu *menu, const char *name, const QString &caption, const QString &word);

    QLineEdit *m_channel;
    QMenu *m_menuFile;
    QMenu *m_menuOptions;
    QMenu *m_menuAbout;
    QMenu *m_menuRemove;
};

} // namespace sonvera
