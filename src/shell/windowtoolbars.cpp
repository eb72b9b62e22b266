// The window's two toolbars, built from tables keyed by the command each
// surface triggers: the command buttons `CmdToolsBar` (captions under icons,
// disabled during a batch) and the image toolbar `imgToolbar` (pictures only,
// live during a batch). Tool tips and spoken names are the commands' own.
#include "mainwindow.h"

#include "chromeicon.h"
#include "hotimage.h"

#include <QAction>
#include <QBoxLayout>
#include <QCoreApplication>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

using enum WindowCommand;

struct CommandButtonRow {
    WindowCommand command;
    int index;           // of `CmdToolsBar<index>`
    const char *caption; // UTF-8, translated in MainWindow's context
    const char *icon;
};

// Index 3 has never been a button.
constexpr std::array<CommandButtonRow, 5> kCommandButtons{{
    {AddFile, 0, QT_TRANSLATE_NOOP("sonvera::MainWindow", "添加文件"), "add"},
    {AddFolder, 1, QT_TRANSLATE_NOOP("sonvera::MainWindow", "添加文件夹"), "addfolder"},
    {RemoveMenu, 2, QT_TRANSLATE_NOOP("sonvera::MainWindow", "移除文件"), "remove"},
    {Options, 4, QT_TRANSLATE_NOOP("sonvera::MainWindow", "提示设置"), "options"},
    {Exit, 5, QT_TRANSLATE_NOOP("sonvera::MainWindow", "退出程序"), "exit"},
}};

struct ToolbarImageRow {
    WindowCommand command;
    int slot; // of `imgToolbar<slot>`
    const char *icon;
};

// In the order shown; slot 5 has never been an image.
constexpr std::array<ToolbarImageRow, 6> kToolbarImages{{
    {AddFile, 0, "add"},
    {AddFolder, 6, "addfolder"},
    {RemoveMenu, 1, "remove"},
    {Options, 2, "options"},
    {Help, 3, "help"},
    {Exit, 4, "exit"},
}};

} // namespace

QWidget *MainWindow::buildToolbars()
{
    auto *strip = new QWidget;
    strip->setObjectName(u"toolStrip"_s);
    auto *row = new QHBoxLayout(strip);
    row->setContentsMargins(12, 0, 12, 0);
    row->setSpacing(4);
    row->addWidget(buildCommandButtons());
    row->addStretch(1);
    row->addWidget(buildToolbarImages());
    return strip;
}

QWidget *MainWindow::buildCommandButtons()
{
    auto *bar = new QWidget;
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    for (const CommandButtonRow &entry : kCommandButtons) {
        const QAction *action = m_actions[entry.command];
        auto *button = new QToolButton(bar);
        button->setObjectName(u"CmdToolsBar"_s + QString::number(entry.index));
        button->setText(QCoreApplication::translate("sonvera::MainWindow", entry.caption));
        button->setIcon(chromeIcon(QString::fromLatin1(entry.icon)));
        button->setIconSize(QSize(24, 24));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setToolTip(action->toolTip());
        // Raised by the style sheet (on hover and with the focus), never by the style.
        button->setAutoRaise(false);
        button->setMinimumWidth(72);
        // Exit takes no keyboard focus: a stray Space must not end the program.
        button->setFocusPolicy(entry.command == Exit ? Qt::NoFocus : Qt::StrongFocus);
        connect(button, &QToolButton::clicked, action, &QAction::trigger);
        m_commandButtons << button;
        row->addWidget(button);
    }
    return bar;
}

QWidget *MainWindow::buildToolbarImages()
{
    auto *bar = new QWidget;
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    for (const ToolbarImageRow &entry : kToolbarImages) {
        QAction *action = m_actions[entry.command];
        auto *image = new HotImage(QString::fromLatin1(entry.icon), bar);
        image->setObjectName(u"imgToolbar"_s + QString::number(entry.slot));
        image->setToolTip(action->toolTip());
        // The same commands as the toolbar's buttons: named by their place too.
        image->setAccessibleName(tr("图标栏：%1").arg(WindowActions::spokenText(action)));
        image->setFixedSize(26, 26);
        image->setFocusPolicy(entry.command == Exit ? Qt::NoFocus : Qt::TabFocus);
        // A press on one slot clears the highlight of every slot, its own too.
        connect(image, &HotImage::pressed, this, [this] {
            for (HotImage *other : std::as_const(m_toolbarImages))
                other->clearPicture();
        });
        connect(image, &HotImage::clicked, action, &QAction::trigger);
        m_toolbarImages << image;
        row->addWidget(image);
    }
    return bar;
}

} // namespace sonvera
