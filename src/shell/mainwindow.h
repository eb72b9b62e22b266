#pragma once

#include "batchcontroller.h"
#include "commondialogs.h"
#include "foldersearch.h"
#include "shellcontext.h"
#include "windowactions.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QMessageBox;
class QPushButton;
class QToolButton;

namespace sonvera {

class DialogBackend;
class DropZone;
class FileListView;
class HotImage;
class LinkLabel;
class ParameterPanel;
class ProgressView;
class WindowMenus;

// The main window: a view of its BatchController. It shows the file list,
// the parameter panel and the progress, and offers every command. Each
// command is one QAction (see WindowActions) that every surface offering it
// triggers; the batch's life (start, stop, journal, what follows its end, the
// desktop session, the settings files) is the controller's, and the window
// shows what the controller asks for.
//
// Widgets carry the object names of the window's design (`LV`, `cmbOF`,
// `Command3`, ...), by which tests and the style sheet find them.
class MainWindow final : public QWidget {
    Q_OBJECT

public:
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
    // Whether a close during a batch asks the user first (it does unless the
    // desktop ends the program: SIGTERM, logging out).
    void setAskBeforeClosing(bool ask) { m_askBeforeClosing = ask; }

    QAction *action(WindowCommand command) const { return m_actions[command]; }
    BatchController &controller() { return m_controller; }

Q_SIGNALS:
    // The window has closed for good (after any batch was stopped): the
    // program may end.
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    // The view (mainwindow.cpp, windowtoolbars.cpp).
    void buildLayout();
    QWidget *buildTitleBar();
    QWidget *buildToolbars();
    QWidget *buildCommandButtons();
    QWidget *buildToolbarImages();
    QWidget *buildListArea();
    QWidget *buildDropHint(QWidget *parent);
    QWidget *buildStartRow();
    // Focus order as the eye reads: toolbar, list, format, parameters, folder, Start, Stop.
    void orderFocus();
    // Sizes the window to its screen and centres it there.
    void placeOnScreen();
    void connectActions();

    // The batch (windowbatch.cpp).
    void connectController();
    void startBatch();
    // Starts the batch, the space question answered (or not needed).
    void startBatchNow();
    void setLocked(bool locked);
    void showPowerCountdown(AfterBatchAction action);
    void showFailures(const BatchSummary &summary, const QString &note);
    void askAboutLeftOver(int fileCount);
    void askBeforeClosing();
    void showWorkload();

    // The commands (windowcommands.cpp).
    void runCommandWord();
    void popUpRemoveMenu(const QPoint &globalPos);
    void popUpListMenu(const QPoint &globalPos);
    void removeSelectedRows();
    void addFilesByDialog();
    void addFileFromDropZone();
    void addFolder();
    void addDroppedPaths(const QByteArrayList &paths);
    void onSearchFinished(const FolderSearchResult &result);
    void searchPendingFolder();
    void showSearching();
    void chooseOutputFolder();
    void openOutputFolder();
    void playOutput();
    void showOutput();
    void showHelp();
    void showAbout();
    void showOptions();
    void showFeedback();
    void openWebPage();
    // Says in the choices line which of the conversion choices are on.
    void showChoices();
    // Adds rows after those handed over before; then the hint follows the list.
    void addRows(QList<NewRow> rows, bool trimForLabel, std::function<void()> then = {});
    // The current row's output file, or "" when it is not a done row.
    QString currentOutput() const;
    // Where a file dialog opens: the folder used last, else the Videos folder.
    QString dialogFolder() const;
    void rememberFolder(const QString &folder);
    // Opens `path` with `open` (a Desktop method); says so in the window when
    // nothing on this computer can open it.
    void openOnDesktop(bool (Desktop::*open)(const QString &), const QString &path, const QString &what);

    void showMessage(int icon, const QString &title, const QString &text);
    // A passing status goes after a few seconds; another stays until replaced.
    void showStatus(const QString &text, bool passing = true);
    static QString dropHintText();
    // The context's dialogs, else Qt's.
    DialogBackend &dialogs() const;

    ShellContext m_context;
    BatchController m_controller;
    FileList &m_list; // the controller's
    CommonDialogs m_commonDialogs;
    FolderSearch m_folderSearch;
    WindowActions m_actions;
    QList<QByteArray> m_pendingFolders; // folders given as arguments, still to be searched
    QByteArrayList m_startPaths;        // given at start-up, added once the journal is settled
    QTimer m_statusTimer;               // clears a passing status message
    bool m_placed = false;              // sized and centred on its screen
    bool m_askBeforeClosing = true;     // a close during a batch asks first

    ParameterPanel *m_panel = nullptr;
    ProgressView *m_progress = nullptr;
    FileListView *m_listView = nullptr;
    QWidget *m_dropHint = nullptr;       // lies over the list while it is empty
    QLabel *m_dropHintLabel = nullptr;
    DropZone *m_dropZone = nullptr;
    QList<QToolButton *> m_commandButtons; // disabled during a batch
    QList<HotImage *> m_toolbarImages;     // live during a batch
    HotImage *m_helpImage = nullptr;
    HotImage *m_minimiseImage = nullptr;
    HotImage *m_addImage = nullptr;
    HotImage *m_removeImage = nullptr;
    HotImage *m_startImage = nullptr;
    HotImage *m_convertImage = nullptr;
    QPushButton *m_startButton = nullptr;
    QPushButton *m_stopButton = nullptr;
    LinkLabel *m_feedbackLink = nullptr;
    QLabel *m_statusLabel = nullptr;   // passing messages
    QLabel *m_workloadLabel = nullptr; // the files to convert and their total length
    QLabel *m_choicesLabel = nullptr;  // the conversion choices Start applies; hidden when none
    QLineEdit *m_commandChannel = nullptr;
    WindowMenus *m_menus = nullptr;
    QPointer<QMessageBox> m_closeQuestion;
};

} // namespace sonvera
