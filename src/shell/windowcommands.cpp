// The commands of the main window: the command channel, the routes that add
// and remove files, the output folder and the converted files, help, about,
// options and feedback.
#include "mainwindow.h"

#include "desktop.h"
#include "dialogbackend.h"
#include "droptargets.h"
#include "feedbackform.h"
#include "filelistview.h"
#include "hotimage.h"
#include "openfiledialog.h"
#include "optionsdialog.h"
#include "parameterpanel.h"
#include "nativepath.h"
#include "pathtext.h"
#include "windowmenus.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QStandardPaths>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

// What the add-file dialogs offer: the video files ffmpeg reads, FLV first,
// then any file.
QString videoFileFilter()
{
    static constexpr const char *kPatterns =
        "*.flv;*.f4v;*.mp4;*.m4v;*.mov;*.avi;*.wmv;*.asf;*.mkv;*.webm;*.mpg;*.mpeg;*.m2v;*.vob;*.ts;*.m2ts;*.mts;"
        "*.3gp;*.3g2;*.rm;*.rmvb;*.ogv;*.dv;*.mxf;*.divx;*.xvid;*.nut;*.y4m";
    return MainWindow::tr("视频文件") + u'|' + QString::fromLatin1(kPatterns) + u'|' + MainWindow::tr("所有文件")
        + u"|*.*"_s;
}

} // namespace

DialogBackend &MainWindow::dialogs() const
{
    return m_context.dialogs ? *m_context.dialogs : defaultDialogBackend();
}

void MainWindow::runCommandWord()
{
    // A thin adapter from the words to the commands; after any word the channel
    // is emptied, which runs this once more with "" (matching nothing).
    if (const std::optional<WindowCommand> command = WindowActions::commandWord(m_commandChannel->text()))
        m_actions[*command]->trigger();
    m_commandChannel->setText(QString());
}

void MainWindow::popUpRemoveMenu(const QPoint &globalPos)
{
    m_menus->menuRemove()->popup(globalPos);
}

void MainWindow::popUpListMenu(const QPoint &globalPos)
{
    // A converted file's own commands first, then the output folder and removal.
    const bool done = !currentOutput().isEmpty();
    using enum WindowCommand;
    m_actions[PlayOutput]->setEnabled(done);
    m_actions[ShowOutput]->setEnabled(done);
    m_menus->listMenu()->popup(globalPos);
}

void MainWindow::contextMenuEvent(QContextMenuEvent *event)
{
    // The other menus, on the window's surface; popped up, never run in a loop of their own.
    m_menus->surfaceMenu()->popup(event->globalPos());
}

void MainWindow::removeSelectedRows()
{
    QList<int> rows;
    const QModelIndexList selected = m_listView->selectionModel()->selectedRows();
    for (const QModelIndex &index : selected)
        rows << index.row();
    if (rows.isEmpty() && m_listView->currentIndex().isValid())
        rows << m_listView->currentIndex().row();
    if (rows.isEmpty())
        rows << -1; // nothing chosen: the hint rule still applies
    m_list.removeRowsAt(rows);
}

// ---- adding files -------------------------------------------------------

void MainWindow::addRows(QList<NewRow> rows, bool trimForLabel, std::function<void()> then)
{
    m_controller.feeder().add(std::move(rows), trimForLabel, [this, then = std::move(then)] {
        m_list.updateHint();
        if (then)
            then();
    });
}

QString MainWindow::dialogFolder() const
{
    const QString last = m_controller.preferences().lastFolder;
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    return QFileInfo(videos).isDir() ? videos : QDir::homePath();
}

void MainWindow::rememberFolder(const QString &folder)
{
    m_controller.rememberFolder(folder);
}

void MainWindow::addFilesByDialog()
{
    m_commonDialogs.setTitle(tr("打开文件"));
    m_commonDialogs.setFilter(videoFileFilter());
    // Opens where the last dialog was answered: a name ending in "/" is a folder.
    m_commonDialogs.setFileName(withTrailingSlash(dialogFolder()));
    if (!m_commonDialogs.showOpenFiles())
        return;
    QList<NewRow> rows;
    for (const QString &file : m_commonDialogs.fileNames())
        rows.append({file.toUtf8(), {}});
    rememberFolder(m_commonDialogs.path());
    addRows(std::move(rows), true);
}

void MainWindow::addFileFromDropZone()
{
    QString folder = dialogFolder();
    const QString file = showOpenFileDialog(dialogs(), this, tr("打开文件"), folder, videoFileFilter());
    if (file.isEmpty())
        return;
    rememberFolder(folderOf(file));
    addRows({{file.toUtf8(), {}}}, true);
}

void MainWindow::showSearching()
{
    // The hint shows the search's status until it is over.
    m_list.showHint();
    m_dropHintLabel->setText(tr("搜索文件..."));
}

void MainWindow::addFolder()
{
    if (m_folderSearch.isRunning()) {
        showStatus(tr("正在搜索文件夹，请等它结束后再添加。"));
        return;
    }
    const std::optional<QString> folder = dialogs().getExistingDirectory(this, tr("选择一个文件夹:"), dialogFolder());
    showSearching();
    if (folder && !folder->isEmpty())
        rememberFolder(*folder);
    if (!folder || folder->isEmpty() || !m_folderSearch.start(QFile::encodeName(*folder)))
        onSearchFinished({});
}

void MainWindow::onSearchFinished(const FolderSearchResult &result)
{
    QList<NewRow> rows;
    rows.reserve(result.files.size());
    // Each row remembers the folder it was found in, for the tree kept under the output folder.
    for (const QByteArray &path : result.files)
        rows.append({path, {}, result.folder});
    // The hint keeps saying "搜索文件..." until the last row is in.
    addRows(std::move(rows), true, [this, unreadable = result.unreadableFolders] {
        m_dropHintLabel->setText(dropHintText());
        if (!unreadable.isEmpty()) {
            // Told, not skipped in silence.
            QStringList names;
            for (const QByteArray &folder : unreadable.mid(0, 3))
                names << shownSafely(shownName(folder));
            const int count = int(unreadable.size());
            //: %1 lists up to three folder names; %2 is " 等" ("and more") when there are more.
            const QString text = tr("有 %n 个文件夹无法读取，其中的文件没有添加：%1%2", nullptr, count)
                                     .arg(names.join(tr("、")), count > 3 ? tr(" 等") : QString());
            showStatus(text);
        }
        searchPendingFolder();
    });
}

void MainWindow::addDroppedPaths(const QByteArrayList &paths)
{
    QList<NewRow> rows;
    for (const QByteArray &path : paths)
        rows.append({path, {}});
    // A drop of nothing leaves the hint as it is.
    m_controller.feeder().add(std::move(rows), false, [this] {
        if (m_list.rowCount() > 0)
            m_list.updateHint();
    });
}

void MainWindow::addPaths(const QByteArrayList &paths)
{
    QList<NewRow> rows;
    for (const QByteArray &given : paths) {
        const QByteArray path = NativePath(given).absolute().bytes();
        struct stat info {};
        if (::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode))
            m_pendingFolders << path;
        else
            rows.append({path, {}});
    }
    addRows(std::move(rows), true);
    searchPendingFolder();
}

void MainWindow::searchPendingFolder()
{
    // Folders from the command line wait for any search under way, then are searched in turn.
    if (m_folderSearch.isRunning() || m_pendingFolders.isEmpty())
        return;
    showSearching();
    m_folderSearch.start(m_pendingFolders.takeFirst());
}

// ---- the output folder and the converted files ------------------------------

void MainWindow::chooseOutputFolder()
{
    const QString current = withTildeExpanded(m_controller.settings().outputFolder);
    const std::optional<QString> folder =
        dialogs().getExistingDirectory(this, tr("请选择一个文件夹:"), QFileInfo(current).isDir() ? current : dialogFolder());
    // A cancel keeps the folder the panel shows.
    if (folder && !folder->isEmpty()) {
        m_panel->setOutputFolderText(*folder);
        m_controller.settingsEdited();
    }
    m_panel->clearBrowsePicture();
}

QString MainWindow::currentOutput() const
{
    const QModelIndex current = m_listView->currentIndex();
    return current.isValid() ? current.data(FileList::OutputRole).toString() : QString();
}

void MainWindow::openOnDesktop(bool (Desktop::*open)(const QString &), const QString &path, const QString &what)
{
    if ((m_context.desktop->*open)(path))
        return;
    //: %1 says what could not be opened ("输出文件夹"), %2 is where it is.
    showMessage(QMessageBox::Information, windowTitle(),
                tr("这台电脑上没有可以打开%1的程序（例如 xdg-open，在 xdg-utils 软件包中）。\n它在这里：\n%2")
                    .arg(what, path));
}

void MainWindow::openOutputFolder()
{
    const QString folder = withTildeExpanded(m_controller.settings().outputFolder);
    const QString shown = folder.isEmpty() ? m_context.location.defaultOutputFolder : folder;
    if (!QFileInfo(shown).isDir()) {
        showMessage(QMessageBox::Information, windowTitle(),
                    tr("输出文件夹还不存在，开始转换时会建立它：\n%1").arg(shown));
        return;
    }
    openOnDesktop(&Desktop::openFolder, shown, tr("输出文件夹"));
}

void MainWindow::playOutput()
{
    if (const QString output = currentOutput(); !output.isEmpty())
        openOnDesktop(&Desktop::openFile, output, tr("转换好的文件"));
}

void MainWindow::showOutput()
{
    if (const QString output = currentOutput(); !output.isEmpty())
        openOnDesktop(&Desktop::showInFolder, output, tr("文件所在的文件夹"));
}

// ---- help, about, options, feedback, web ------------------------------------

void MainWindow::showHelp()
{
    openOnDesktop(&Desktop::openFile, m_context.programFolder + u'/' + helpFileName(m_context.language),
                  tr("帮助"));
    m_helpImage->clearPicture();
}

void MainWindow::showAbout()
{
    showMessage(QMessageBox::NoIcon, windowTitle(),
                tr("www.sonvera.app\nSonvera 是免费的批量视频转换工具。\n") + m_actions[WindowCommand::WebPage]->toolTip());
}

void MainWindow::showOptions()
{
    const SettingsStore store = m_controller.store();
    const QString folder = m_context.location.settingsFolder;
    OptionsDialog *dialog = OptionsDialog::openModal(
        m_controller.options(), [store](const AppOptions &options) { return store.saveOptions(options); }, this,
        &m_controller.preferences(), [folder](const Preferences &preferences) { return preferences.save(folder); });
    // 关机 and 睡眠 are offered only when the computer can do them; logind may answer while it is open.
    dialog->setAfterBatchSupport(m_controller.afterBatchSupport());
    // Opened from the image toolbar, which stays live during a batch.
    BatchDriver &driver = m_controller.driver();
    dialog->setBatchRunning(driver.state() != BatchDriver::State::Idle);
    connect(&driver, &BatchDriver::lockChanged, dialog, &OptionsDialog::setBatchRunning);
    connect(dialog, &QDialog::accepted, this, &MainWindow::showChoices);
    connect(&m_controller, &BatchController::afterBatchSupportChanged, dialog,
            [this, dialog] { dialog->setAfterBatchSupport(m_controller.afterBatchSupport()); });
}

void MainWindow::showChoices()
{
    const ConversionChoices &choices = m_controller.preferences().choices;
    QStringList on;
    if (choices.direct)
        on << tr("一步转换");
    if (choices.remux)
        on << tr("直接复制");
    if (choices.keepDates)
        on << tr("保留日期");
    if (choices.keepTree)
        on << tr("保留文件夹结构");
    m_choicesLabel->setText(on.isEmpty() ? QString() : tr("开始后：%1").arg(on.join(tr("、"))));
    m_choicesLabel->setVisible(!on.isEmpty());
}

void MainWindow::showFeedback()
{
    auto *form = new FeedbackForm(this);
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->open();
}

void MainWindow::openWebPage()
{
    openOnDesktop(&Desktop::openUrl, m_actions[WindowCommand::WebPage]->toolTip(), tr("网页"));
}

} // namespace sonvera
