#include "mainwindow.h"

#include "chromecursor.h"
#include "desktop.h"
#include "dialogbackend.h"
#include "failuresummary.h"
#include "droptargets.h"
#include "hotimage.h"
#include "linklabel.h"
#include "windowmenus.h"
#include "parameterpanel.h"
#include "progressview.h"
#include "surfacedrag.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSvgWidget>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

constexpr int kStatusShownMs = 4000;

HotImage *hotImage(const QString &icon, const QString &name, const QString &toolTip, QWidget *parent, int side = 28)
{
    auto *image = new HotImage(icon, parent);
    image->setObjectName(name);
    image->setToolTip(toolTip);
    image->setFixedSize(side, side);
    return image;
}

} // namespace

MainWindow::MainWindow(const ShellContext &context, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_context(context)
    , m_controller(context)
    , m_list(m_controller.list())
    , m_commonDialogs(context.dialogs)
    , m_actions(this)
{
    // Start-up, in order: the dialogs bound to the window, the settings (the
    // controller's), the title, the view.
    setObjectName(u"frmMain"_s);
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_commonDialogs.setOwner(this);

    setWindowTitle(u"Sonvera "_s);
    setWindowIcon(QIcon(u":/app/sonvera.svg"_s));
    buildLayout();
    connectActions();
    connectController();
    showChoices();
    new SurfaceDrag(this);

    m_statusTimer.setSingleShot(true);
    m_statusTimer.setInterval(kStatusShownMs);
    connect(&m_statusTimer, &QTimer::timeout, m_lblStatus, &QLabel::clear);
    connect(&m_search, &FolderSearch::finished, this, &MainWindow::onSearchFinished);
}

MainWindow::~MainWindow() = default;

QString MainWindow::dropHintText()
{
    return tr("拖拽文件到这里开始转换");
}

QTreeView *MainWindow::listView() const
{
    return m_lv;
}

QToolButton *MainWindow::commandButton(int index) const
{
    return index >= 0 && index < 6 ? m_cmdToolsBar[static_cast<std::size_t>(index)] : nullptr;
}

HotImage *MainWindow::toolbarImage(int slot) const
{
    return slot >= 0 && slot < 7 ? m_imgToolbar[static_cast<std::size_t>(slot)] : nullptr;
}

// ---- layout -------------------------------------------------------------

void MainWindow::buildLayout()
{
    auto *surface = new QWidget(this);
    surface->setObjectName(u"surface"_s);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(surface);

    auto *body = new QVBoxLayout(surface);
    body->setContentsMargins(0, 0, 0, 10);
    body->setSpacing(8);
    body->addWidget(buildTitleBar());
    body->addWidget(buildToolbars());

    auto *middle = new QHBoxLayout;
    middle->setContentsMargins(12, 0, 12, 0);
    middle->setSpacing(12);
    middle->addWidget(buildListArea(), 1);
    m_panel = new ParameterPanel(m_controller.settings(), surface);
    m_panel->setFixedWidth(330);
    m_lblChoices = new QLabel(surface);
    m_lblChoices->setObjectName(u"lblChoices"_s);
    m_lblChoices->setWordWrap(true);
    m_lblChoices->setFixedWidth(330);
    auto *panelColumn = new QVBoxLayout;
    panelColumn->addWidget(m_panel);
    panelColumn->addWidget(m_lblChoices);
    panelColumn->addStretch();
    middle->addLayout(panelColumn);
    body->addLayout(middle, 1);

    m_progress = new ProgressView(surface);
    auto *progressRow = new QHBoxLayout;
    progressRow->setContentsMargins(12, 0, 12, 0);
    progressRow->addWidget(m_progress);
    body->addLayout(progressRow);
    body->addWidget(buildStartRow());

    // The command channel: a hidden text field whose words run their commands.
    m_txtAction = new QLineEdit(this);
    m_txtAction->setObjectName(u"txtAction"_s);
    m_txtAction->hide();
    connect(m_txtAction, &QLineEdit::textChanged, this, &MainWindow::runCommandWord);
    m_menus = new WindowMenus(m_actions, this);

    connect(m_panel, &ParameterPanel::browseRequested, m_actions[WindowCommand::ChooseOutputFolder], &QAction::trigger);
    resize(920, 600);
    setMinimumSize(820, 540);
}

QWidget *MainWindow::buildTitleBar()
{
    auto *bar = new QWidget;
    bar->setObjectName(u"titleBar"_s);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(10, 4, 8, 4);
    row->setSpacing(6);
    auto *logo = new QSvgWidget(u":/app/sonvera.svg"_s, bar);
    logo->setFixedSize(22, 22);
    row->addWidget(logo);
    auto *title = new QLabel(u"Sonvera "_s, bar);
    title->setObjectName(u"titleBand"_s);
    row->addWidget(title);
    row->addStretch(1);

    m_imgHelp = hotImage(u"help"_s, u"imgHelp"_s, tr("Help & Tutorial"), bar, 26);
    m_imgMin = hotImage(u"min"_s, u"imgMin"_s, tr("Minimize Window"), bar, 26);
    m_imgExit = hotImage(u"exit"_s, u"imgExit"_s, tr("Exit"), bar, 26);
    for (HotImage *image : {m_imgHelp, m_imgMin, m_imgExit}) {
        image->setNormalColours(ChromePalette::kOnDark);
        row->addWidget(image);
    }
    m_imgHelp->setCursor(chromeCursor(u"help"_s));
    m_imgMin->setCursor(chromeCursor(u"min"_s));
    m_imgExit->setCursor(chromeCursor(u"exit"_s));
    connect(m_imgHelp, &HotImage::clicked, m_actions[WindowCommand::Help], &QAction::trigger);
    connect(m_imgMin, &HotImage::clicked, m_actions[WindowCommand::Minimise], &QAction::trigger);
    connect(m_imgExit, &HotImage::clicked, m_actions[WindowCommand::Exit], &QAction::trigger);
    return bar;
}

QWidget *MainWindow::buildToolbars()
{
    auto *strip = new QWidget;
    strip->setObjectName(u"toolStrip"_s);
    auto *row = new QHBoxLayout(strip);
    row->setContentsMargins(12, 0, 12, 0);
    row->setSpacing(4);

    struct Command {
        int index;
        QString caption;
        QString icon;
        QString toolTip;
    };
    const std::array<Command, 5> commands{{{0, tr("添加文件"), u"add"_s, tr("Add a File")},
                                           {1, tr("添加文件夹"), u"addfolder"_s, tr("Add Files from a Folder")},
                                           {2, tr("移除文件"), u"remove"_s, tr("Remove File(s) from List")},
                                           {4, tr("提示设置"), u"options"_s, QString()},
                                           {5, tr("退出程序"), u"exit"_s, tr("Exit")}}};
    for (const Command &command : commands) {
        auto *button = new QToolButton(strip);
        button->setObjectName(u"CmdToolsBar"_s + QString::number(command.index));
        button->setText(command.caption);
        button->setIcon(chromeIcon(command.icon));
        button->setIconSize(QSize(26, 26));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setToolTip(command.toolTip);
        button->setAutoRaise(true);
        button->setMinimumWidth(76);
        connect(button, &QToolButton::clicked, m_actions[*WindowActions::commandButton(command.index)], &QAction::trigger);
        m_cmdToolsBar[static_cast<std::size_t>(command.index)] = button;
        row->addWidget(button);
    }
    row->addStretch(1);

    // The image toolbar: quick commands that stay live during a batch.
    struct Slot {
        int slot;
        QString icon;
        QString toolTip;
    };
    const std::array<Slot, 6> slots{{{0, u"add"_s, tr("添加文件")},
                                     {6, u"addfolder"_s, tr("添加文件夹")},
                                     {1, u"remove"_s, tr("移除文件")},
                                     {2, u"options"_s, tr("提示设置")},
                                     {3, u"help"_s, tr("帮助")},
                                     {4, u"exit"_s, tr("退出程序")}}};
    for (const Slot &s : slots) {
        HotImage *image = hotImage(s.icon, u"imgToolbar"_s + QString::number(s.slot), s.toolTip, strip, 26);
        connect(image, &HotImage::pressed, this, [this] {
            for (HotImage *other : m_imgToolbar) {
                if (other)
                    other->clearPicture();
            }
        });
        connect(image, &HotImage::clicked, m_actions[*WindowActions::toolbarSlot(s.slot)], &QAction::trigger);
        m_imgToolbar[static_cast<std::size_t>(s.slot)] = image;
        row->addWidget(image);
    }
    return strip;
}

QWidget *MainWindow::buildListArea()
{
    auto *area = new QWidget;
    auto *grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(6);

    m_lv = new FileListView(area);
    m_lv->setObjectName(u"LV"_s);
    m_lv->setModel(&m_list);
    QHeaderView *header = m_lv->header();
    header->setSectionResizeMode(FileList::FileNameColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(FileList::FormatColumn, QHeaderView::Fixed);
    header->setSectionResizeMode(FileList::StatusColumn, QHeaderView::Fixed);
    header->resizeSection(FileList::FormatColumn, 64);
    header->resizeSection(FileList::StatusColumn, 104);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_lv->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_lv, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { popUpRemoveMenu(m_lv->viewport()->mapToGlobal(at)); });
    connect(m_lv, &FileListView::pathsDropped, this, &MainWindow::addDroppedPaths);
    grid->addWidget(m_lv, 0, 0, 1, 4);

    // The hint panel lies over the list while it is empty; drops on it count as drops on the list.
    auto *hint = new DropZone(area);
    hint->setObjectName(u"picText"_s);
    hint->setAlignment(Qt::AlignCenter);
    auto *hintLayout = new QVBoxLayout(hint);
    hintLayout->addStretch(1);
    auto *hintPicture = new QSvgWidget(hint);
    hintPicture->load(chromeSvg(u"drop"_s, ChromePalette::kNormal));
    hintPicture->setFixedSize(56, 56);
    hintLayout->addWidget(hintPicture, 0, Qt::AlignHCenter);
    m_lblText = new QLabel(dropHintText(), hint);
    m_lblText->setObjectName(u"lblText"_s);
    m_lblText->setAlignment(Qt::AlignCenter);
    hintLayout->addWidget(m_lblText);
    hintLayout->addStretch(1);
    m_picText = hint;
    connect(hint, &DropZone::pathsDropped, this, &MainWindow::addDroppedPaths);
    // It covers the whole list (its contents centred), so that it is seen.
    grid->addWidget(hint, 0, 0, 1, 4);
    hint->setVisible(m_list.hintVisible());
    connect(&m_list, &FileList::hintVisibleChanged, hint, &QWidget::setVisible);

    m_imgAdd = hotImage(u"add"_s, u"imgAdd"_s, tr("Add a new file to file list"), area);
    m_imgRemove = hotImage(u"remove"_s, u"imgRemove"_s, tr("Remove a file from file list"), area);
    connect(m_imgAdd, &HotImage::clicked, m_actions[WindowCommand::AddFile], &QAction::trigger);
    connect(m_imgRemove, &HotImage::clicked, m_actions[WindowCommand::RemoveSelected], &QAction::trigger);
    m_picDrag = new DropZone(area);
    m_picDrag->setObjectName(u"picDrag"_s);
    m_picDrag->setToolTip(tr("Drag media files onto this DropZone"));
    m_picDrag->setFixedHeight(30);
    m_picDrag->setCursor(Qt::PointingHandCursor);
    auto *dropRow = new QHBoxLayout(m_picDrag);
    dropRow->setContentsMargins(6, 0, 6, 0);
    auto *dropPicture = new QSvgWidget(m_picDrag);
    dropPicture->load(chromeSvg(u"drop"_s, ChromePalette::kNormal));
    dropPicture->setFixedSize(22, 22);
    dropPicture->setAttribute(Qt::WA_TransparentForMouseEvents);
    dropRow->addStretch(1);
    dropRow->addWidget(dropPicture);
    dropRow->addStretch(1);
    connect(m_picDrag, &DropZone::pathsDropped, this, &MainWindow::addDroppedPaths);
    connect(m_picDrag, &DropZone::clicked, m_actions[WindowCommand::AddFromDropZone], &QAction::trigger);
    grid->addWidget(m_imgAdd, 1, 0);
    grid->addWidget(m_imgRemove, 1, 1);
    grid->addWidget(m_picDrag, 1, 2, 1, 2);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(0, 1);
    return area;
}

QWidget *MainWindow::buildStartRow()
{
    auto *row = new QWidget;
    row->setObjectName(u"startRow"_s);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(12, 0, 12, 0);
    layout->setSpacing(8);
    m_imgStart = hotImage(u"start"_s, u"imgStart"_s, tr("Start Converting"), row, 36);
    m_command3 = new QPushButton(tr("立刻开始转换！"), row);
    m_command3->setObjectName(u"Command3"_s);
    m_imgConvert = hotImage(u"convert"_s, u"imgConvert"_s, tr("Start Converting"), row, 30);
    m_cmdStop = new QPushButton(tr("停止"), row);
    m_cmdStop->setObjectName(u"cmdStop"_s);
    m_cmdStop->setToolTip(tr("Stop Converting"));
    m_cmdStop->setEnabled(false);
    m_lblStatus = new QLabel(row);
    m_lblStatus->setObjectName(u"lblStatus"_s);
    m_lblFeed = new LinkLabel(tr("意见反馈"), row);
    m_lblFeed->setObjectName(u"lblFeed"_s);
    m_lblFeed->setToolTip(tr("Send us your suggestion or question"));
    m_lblWeb = new LinkLabel(u"Sonvera "_s, row);
    m_lblWeb->setObjectName(u"lblWeb"_s);
    m_lblWeb->setToolTip(kHomePage.toString());

    layout->addWidget(m_imgStart);
    layout->addWidget(m_command3);
    layout->addWidget(m_imgConvert);
    layout->addWidget(m_cmdStop);
    layout->addSpacing(12);
    layout->addWidget(m_lblStatus, 1);
    layout->addWidget(m_lblFeed);
    layout->addSpacing(8);
    layout->addWidget(m_lblWeb);

    const WindowActions &a = m_actions;
    for (HotImage *image : {m_imgStart, m_imgConvert})
        connect(image, &HotImage::clicked, a[WindowCommand::Start], &QAction::trigger);
    connect(m_command3, &QPushButton::clicked, a[WindowCommand::Start], &QAction::trigger);
    connect(m_cmdStop, &QPushButton::clicked, a[WindowCommand::Stop], &QAction::trigger);
    connect(m_lblFeed, &LinkLabel::clicked, a[WindowCommand::Feedback], &QAction::trigger);
    connect(m_lblWeb, &LinkLabel::clicked, a[WindowCommand::WebPage], &QAction::trigger);
    return row;
}

void MainWindow::connectActions()
{
    using enum WindowCommand;
    const auto on = [this](WindowCommand command, auto handler) {
        connect(m_actions[command], &QAction::triggered, this, handler);
    };
    on(AddFile, &MainWindow::addFileByDialog);
    on(AddFolder, &MainWindow::addFolder);
    on(AddFromDropZone, &MainWindow::addFileFromDropZone);
    on(RemoveMenu, [this] { popUpRemoveMenu(QCursor::pos()); });
    on(RemoveSelected, &MainWindow::removeSelectedRows);
    on(RemoveAll, [this] { m_list.removeAllRows(); });
    on(Options, &MainWindow::showOptions);
    on(Help, &MainWindow::showHelp);
    on(About, &MainWindow::showAbout);
    on(Exit, &MainWindow::exitCommand);
    on(Start, &MainWindow::startBatch);
    on(Stop, &MainWindow::stopBatch);
    on(Feedback, &MainWindow::showFeedback);
    on(WebPage, &MainWindow::openWebPage);
    on(Minimise, [this] {
        showMinimized();
        m_imgMin->clearPicture();
    });
    on(ChooseOutputFolder, &MainWindow::chooseOutputFolder);
}

// ---- the batch ----------------------------------------------------------

QList<QWidget *> MainWindow::lockSet() const
{
    QList<QWidget *> set;
    for (QToolButton *button : m_cmdToolsBar) {
        if (button)
            set << button;
    }
    set << m_command3 << m_panel->cmbOF() << m_panel->cmbR() << m_panel->cmbBR() << m_panel->cmbS()
        << m_panel->cmbVB() << m_panel->cmbF() << m_panel->cmbChannel() << m_imgConvert << m_lblFeed << m_imgAdd
        << m_imgRemove << m_imgStart << m_panel->imgBrowse()
        // The folder field and its button too: the folder is made once per
        // batch, so a folder changed halfway would not exist.
        << m_panel->txtPath() << m_panel->cmdBrowse();
    return set;
}

void MainWindow::setLocked(bool locked)
{
    m_actions.setBatchRunning(locked);
    if (locked) {
        for (QWidget *widget : lockSet())
            widget->setEnabled(false);
    } else {
        m_picDrag->setVisible(true);
        // Enabled again in this order: Start first, the lists last.
        QList<QWidget *> order{m_command3, m_lblFeed, m_imgAdd, m_imgRemove, m_imgStart, m_panel->imgBrowse(),
                               m_imgConvert};
        for (QToolButton *button : m_cmdToolsBar) {
            if (button)
                order << button;
        }
        order << m_panel->cmbOF() << m_panel->cmbR() << m_panel->cmbBR() << m_panel->cmbS() << m_panel->cmbVB()
              << m_panel->cmbF() << m_panel->cmbChannel() << m_panel->txtPath() << m_panel->cmdBrowse();
        for (QWidget *widget : order)
            widget->setEnabled(true);
        m_panel->showWhatApplies(); // but the lists the format does not use
    }
    m_cmdStop->setEnabled(locked);
}

void MainWindow::startBatch()
{
    if (m_list.rowCount() == 0) {
        showMessage(QMessageBox::Warning, BatchTexts::kEmptyListTitle.toString(),
                    BatchTexts::kEmptyListMessage.toString());
        return;
    }
    m_progress->clearTiming();
    m_controller.start();
}

void MainWindow::stopBatch()
{
    m_controller.stop();
}

// ---- messages -----------------------------------------------------------

void MainWindow::showMessage(int icon, const QString &title, const QString &text)
{
    // Window-modal and without a local event loop: the batch goes on behind it.
    auto *box = new QMessageBox(static_cast<QMessageBox::Icon>(icon), title, text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    m_messageBox = box;
    box->open();
}

void MainWindow::showStatus(const QString &text)
{
    m_lblStatus->setText(text);
    m_statusTimer.start();
}

// ---- closing ------------------------------------------------------------

void MainWindow::exitCommand()
{
    close();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Every orderly close comes here (Exit, the title bar, Alt+F4, the window
    // manager, SIGTERM): the controller saves what Exit saves, after stopping
    // a running batch first.
    if (!m_controller.prepareToClose()) {
        hide();
        event->ignore();
        return;
    }
    m_search.cancel();
    event->accept();
    Q_EMIT closed();
}

} // namespace sonvera
