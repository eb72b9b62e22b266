#pragma once

#include "batchcontroller.h"
#include "commondialogs.h"
#include "failuresummary.h"
#include "foldersearch.h"
#include "shellcontext.h"
#include "windowactions.h"

#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QTreeView;

namespace sonvera {

class DialogBackend;
class DropZone;
class FileListView;
class HotImage;
class LinkLabel;
class ParameterPanel;
class ProgressView;
class WindowMenus;

// The main window: the file list, the parameter panel, the progress display
// and every command surface. Each command is one QAction (see WindowActions)
// that every surface offering it triggers. The batch's life (start, stop,
// journal, what follows its end, the desktop session, the settings files) is
// its BatchController's; the window shows what the controller asks for.
class MainWindow final : public QWidget {
    Q_OBJECT

public:
    // The product's web page.
    static constexpr QStringView kHomePage = u"https://www.sonvera.app/";

    explicit MainWindow(const ShellContext &context, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Adds files and folders given on the command line or by a second launch,
    // as the file system spells them: files as rows at once, folders searched
    // for .flv files in the background.
    void addPaths(const QByteArrayList &paths);
    // The start of the program: when the last run left a list behind (a
    // crash, a kill, a power cut), asks whether to restore it first, then
    // adds `paths` after the restored rows.
    void startUp(const QByteArrayList &paths);

    QAction *action(WindowCommand command) const { return m_actions[command]; }

    // The commands.
    void startBatch();
    void stopBatch();
    void exitCommand();
    void addFileByDialog();
    void addFileFromDropZone();
    void addFolder();
    void addDroppedPaths(const QByteArrayList &paths);
    void removeSelectedRows();
    void chooseOutputFolder();
    void showHelp();
    void showAbout();
    void showOptions();
    void showFeedback();
    void openWebPage();
    void popUpRemoveMenu(const QPoint &globalPos);

    BatchController &controller() { return m_controller; }

    // Parts of the view, for the front end and tests.
    CommonDialogs &commonDialogs() { return m_commonDialogs; }
    ParameterPanel *panel() const { return m_panel; }
    ProgressView *progressView() const { return m_progress; }
    QTreeView *listView() const;
    QLineEdit *commandChannel() const { return m_txtAction; }
    WindowMenus *menus() const { return m_menus; }
    QWidget *hintPanel() const { return m_picText; }
    QLabel *hintLabel() const { return m_lblText; }
    // The line under the parameter panel that says how Start converts.
    QLabel *choicesLabel() const { return m_lblChoices; }
    QToolButton *commandButton(int index) const;
    HotImage *toolbarImage(int slot) const;
    // The controls a batch disables, in the order they are disabled.
    QList<QWidget *> lockSet() const;
    // The last message box shown, while it is open.
    QMessageBox *openMessageBox() const { return m_messageBox; }
    // The list of files a batch left unconverted, while it is open.
    FailureSummary *openFailureSummary() const { return m_failureSummary; }

Q_SIGNALS:
    // The window has closed for good (after any batch was stopped): the
    // program may end.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void buildLayout();
    QWidget *buildTitleBar();
    QWidget *buildToolbars();
    QWidget *buildListArea();
    QWidget *buildStartRow();
    void connectActions();
    void connectController();
    void showPowerCountdown(AfterBatchAction action);
    void showFailures(const BatchSummary &summary, const QString &note);
    void askAboutLeftOver(int fileCount);
    void runCommandWord();
    void setLocked(bool locked);
    void onSearchFinished(const FolderSearchResult &result);
    void searchPendingFolder();
    void showSearching();
    void showMessage(int icon, const QString &title, const QString &text);
    void showStatus(const QString &text);
    // Says in the choices line which of the conversion choices are on.
    void showChoices();
    // Adds rows after those handed over before; then the hint follows the list.
    void addRows(QList<NewRow> rows, bool trimForLabel, std::function<void()> then = {});
    static QString dropHintText();
    // The context's dialogs, else Qt's.
    DialogBackend &dialogs() const;

    ShellContext m_context;
    BatchController m_controller;
    FileList &m_list; // the controller's
    CommonDialogs m_commonDialogs;
    FolderSearch m_search;
    WindowActions m_actions;
    QList<QByteArray> m_pendingFolders; // folders given as arguments, still to be searched
    QByteArrayList m_startPaths;        // given at start-up, added once the journal is settled
    QTimer m_statusTimer;

    ParameterPanel *m_panel = nullptr;
    ProgressView *m_progress = nullptr;
    FileListView *m_lv = nullptr;
    QWidget *m_picText = nullptr;
    QLabel *m_lblText = nullptr;
    DropZone *m_picDrag = nullptr;
    std::array<QToolButton *, 6> m_cmdToolsBar{}; // index 3 is not used
    std::array<HotImage *, 7> m_imgToolbar{};     // slot 5 is not used
    HotImage *m_imgHelp = nullptr;
    HotImage *m_imgMin = nullptr;
    HotImage *m_imgExit = nullptr;
    HotImage *m_imgAdd = nullptr;
    HotImage *m_imgRemove = nullptr;
    HotImage *m_imgStart = nullptr;
    HotImage *m_imgConvert = nullptr;
    QPushButton *m_command3 = nullptr;
    QPushButton *m_cmdStop = nullptr;
    LinkLabel *m_lblFeed = nullptr;
    LinkLabel *m_lblWeb = nullptr;
    QLabel *m_lblStatus = nullptr;
    QLabel *m_lblChoices = nullptr;
    QLineEdit *m_txtAction = nullptr;
    WindowMenus *m_menus = nullptr;
    QPointer<QMessageBox> m_messageBox;
    QPointer<FailureSummary> m_failureSummary;
};

} // namespace sonvera
