// The commands of the main window: the image toolbar's dispatcher, the
// command buttons, the command channel and the routes that add files.
#include "mainwindow.h"

#include "appoptions.h"
#include "comdlg.h"
#include "desktop.h"
#include "dialogbackend.h"
#include "feedbackform.h"
#include "frmoptions.h"
#include "hotimage.h"
#include "menuwindow.h"
#include "parameterpanel.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTreeView>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {
const QString kDropHint = u"拖拽文件到这里开始转换"_s;
const QString kSearching = u"搜索文件..."_s;
const QString kSearchBusy = u"正在搜索文件夹，请等它结束后再添加。"_s;
} // namespace

DialogBackend &MainWindow::dialogs() const
{
    return m_context.dialogs ? *m_context.dialogs : DefaultDialogBackend();
}

void MainWindow::imgToolbar_Click(int slot)
{
    switch (slot) {
    case 0:
        AddFileByDialog();
        break;
    case 1:
        popUpRemoveMenu(QCursor::pos());
        break;
    case 2:
        showOptions();
        break;
    case 3:
        showHelp();
        break;
    case 4:
        exitCommand();
        break;
    case 6:
        AddFolder();
        break;
    default:
        break;
    }
}

void MainWindow::CmdToolsBar_Click(int index)
{
    switch (index) {
    case 0:
        imgToolbar_Click(0);
        break;
    case 1:
        imgToolbar_Click(6);
        break;
    case 2:
        imgToolbar_Click(1);
        break;
    case 4:
        imgToolbar_Click(2);
        break;
    case 5:
        imgToolbar_Click(4);
        break;
    default:
        break;
    }
}

void MainWindow::txtAction_Change()
{
    // Each comparison reads the channel afresh; after any word it is emptied,
    // which runs this once more with "" (matching nothing).
    if (m_txtAction->text() == u"RemoveSelected"_s)
        m_list.RemoveSelectedRow(currentRow());
    else if (m_txtAction->text() == u"A"_s)
        showAbout();
    else if (m_txtAction->text() == u"AddaFile"_s)
        AddFileByDialog();
    else if (m_txtAction->text() == u"menuAddaFolder"_s)
        imgToolbar_Click(6);
    else if (m_txtAction->text() == u"menuExit"_s)
        exitCommand();
    else if (m_txtAction->text() == u"menuHelp"_s)
        showHelp();
    else if (m_txtAction->text() == u"menuOption"_s)
        imgToolbar_Click(2);
    m_txtAction->setText(QString());
}

void MainWindow::popUpRemoveMenu(const QPoint &globalPos)
{
    m_menus->menuRemove()->popup(globalPos);
}

void MainWindow::contextMenuEvent(QContextMenuEvent *event)
{
    // The other menus, on the window's surface.
    QMenu menu(this);
    menu.addMenu(m_menus->menuFile());
    menu.addMenu(m_menus->menuOptions());
    menu.addMenu(m_menus->menuAbout());
    menu.exec(event->globalPos());
}

// ---- adding files -------------------------------------------------------

void MainWindow::AddFileByDialog()
{
    m_commonDialogs.setTitle(u"Open Files"_s);
    m_commonDialogs.setFilter(u"所有格式文件(*.*)|*.*"_s);
    if (!m_commonDialogs.ShowOpen())
        return;
    const QString file = m_commonDialogs.FileName();
    if (!file.isEmpty())
        m_list.AppendRow(file, true);
    m_list.ReevaluateHint();
}

void MainWindow::AddFileFromDropZone()
{
    QString folder;
    const QString file =
        ShowOpenFile(dialogs(), this, u"打开文件"_s, folder, u"*.*|*.*"_s, OFN_LONGNAMES | OFN_NOCHANGEDIR);
    if (file.isEmpty())
        return;
    m_list.AppendRow(file, true);
    m_list.ReevaluateHint();
}

void MainWindow::AddFolder()
{
    if (m_search.isRunning()) {
        showStatus(kSearchBusy);
        return;
    }
    const std::optional<QString> folder = dialogs().getExistingDirectory(this, u"选择一个文件夹:"_s);
    // Chosen or not, the hint shows the search's status until it is over.
    m_list.ShowHint();
    m_lblText->setText(kSearching);
    if (!folder || folder->isEmpty() || !m_search.start(*folder))
        onSearchFinished({});
}

void MainWindow::onSearchFinished(const QStringList &found)
{
    for (const QString &path : found)
        m_list.AppendRow(path, true);
    m_lblText->setText(kDropHint);
    m_list.ReevaluateHint();
    searchPendingFolder();
}

void MainWindow::AddDroppedFiles(const QStringList &paths)
{
    for (const QString &path : paths)
        m_list.AppendRow(path, false);
    if (m_list.RowCount() > 0)
        m_list.ReevaluateHint();
}

void MainWindow::addPaths(const QStringList &paths)
{
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isDir())
            m_pendingFolders << QDir::cleanPath(info.absoluteFilePath());
        else
            m_list.AppendRow(info.absoluteFilePath(), true);
    }
    m_list.ReevaluateHint();
    searchPendingFolder();
}

void MainWindow::searchPendingFolder()
{
    // Folders from the command line wait for any search under way, then are searched in turn.
    if (m_search.isRunning() || m_pendingFolders.isEmpty())
        return;
    m_list.ShowHint();
    m_lblText->setText(kSearching);
    m_search.start(m_pendingFolders.takeFirst());
}

// ---- the output folder ----------------------------------------------------

void MainWindow::browseOutputFolder()
{
    const std::optional<QString> folder = dialogs().getExistingDirectory(this, u"请选择一个文件夹:"_s);
    // A cancel means the default folder, not the previous choice.
    m_panel->setOutputFolderText(folder && !folder->isEmpty() ? *folder : m_context.location.defaultOutputFolder);
    m_panel->imgBrowse()->clearPicture();
}

// ---- help, about, options, feedback, web ------------------------------------

void MainWindow::showHelp()
{
    m_context.desktop->openFile(m_context.programFolder + u"/help.html"_s);
    m_imgHelp->clearPicture();
}

void MainWindow::showAbout()
{
    showMessage(QMessageBox::NoIcon, windowTitle(),
                u"www.sonvera.app\nSonvera 是免费的批量视频转换工具。\n"_s + kHomePage.toString());
}

void MainWindow::showOptions()
{
    const SettingsStore store = m_store;
    frmOptions::openModal(
        AppOptions::program(), [store](const AppOptions &options) { return store.saveOptions(options); }, this);
}

void MainWindow::showFeedback()
{
    auto *form = new FeedbackForm(this);
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->open();
}

void MainWindow::openWebPage()
{
    m_context.desktop->openUrl(kHomePage.toString());
}

} // namespace sonvera
