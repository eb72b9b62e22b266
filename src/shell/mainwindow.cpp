#include "mainwindow.h"

#include "centring.h"
#include "chromecursor.h"
#include "droptargets.h"
#include "edgeresize.h"
#include "filelistview.h"
#include "hotimage.h"
#include "linklabel.h"
#include "parameterpanel.h"
#include "progressview.h"
#include "surfacedrag.h"
#include "windowgeometry.h"
#include "windowmenus.h"
#include "windowposition.h"

#include <QApplication>
#include <QAction>
#include <QBoxLayout>
#include <QCursor>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSvgWidget>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

constexpr int kStatusShownMs = 4000;
// The size the window asks for, and the least it can be made, in
// device-independent pixels; on a smaller screen it takes what there is.
constexpr QSize kPreferredSize{1040, 660};
constexpr QSize kLeastSize{700, 470};
// The room between the window's edge and its surface that resizes it.
constexpr int kFrameWidth = 3;

// A hot image for a command: its tool tip and its name for screen readers
// are the command's.
HotImage *commandImage(const QString &icon, const QString &name, const QAction *action, QWidget *parent, int side)
{
    auto *image = new HotImage(icon, parent);
    image->setObjectName(name);
    image->setToolTip(action->toolTip());
    image->setAccessibleName(WindowActions::spokenText(action));
    image->setFixedSize(side, side);
    QObject::connect(image, &HotImage::clicked, action, &QAction::trigger);
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
    // Every dialog opens over the middle of the window, whoever places it.
    qApp->installEventFilter(new DialogCentring(this));
    // And Qt knows where every window really is, so lists open under their boxes.
    qApp->installEventFilter(new WindowPositionCheck(this));
    m_commonDialogs.setOwner(this);

    setWindowTitle(u"Sonvera "_s);
    setWindowIcon(QIcon(u":/app/sonvera.svg"_s));
    buildLayout();
    orderFocus();
    connectActions();
    connectController();
    showChoices();
    new SurfaceDrag(this);
    new EdgeResize(this, kFrameWidth);

    m_statusTimer.setSingleShot(true);
    m_statusTimer.setInterval(kStatusShownMs);
    connect(&m_statusTimer, &QTimer::timeout, m_statusLabel, &QLabel::clear);
    connect(&m_folderSearch, &FolderSearch::finished, this, &MainWindow::onSearchFinished);
}

MainWindow::~MainWindow() = default;

QString MainWindow::dropHintText()
{
    return tr("拖拽文件到这里开始转换");
}

// ---- layout -------------------------------------------------------------

void MainWindow::buildLayout()
{
    auto *surface = new QWidget(this);
    surface->setObjectName(u"surface"_s);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(kFrameWidth, kFrameWidth, kFrameWidth, kFrameWidth);
    outer->addWidget(surface);

    auto *body = new QVBoxLayout(surface);
    body->setContentsMargins(0, 0, 0, 8);
    body->setSpacing(6);
    body->addWidget(buildTitleBar());
    body->addWidget(buildToolbars());

    auto *middle = new QHBoxLayout;
    middle->setContentsMargins(12, 0, 12, 0);
    middle->setSpacing(12);
    middle->addWidget(buildListArea(), 1);
    m_panel = new ParameterPanel(m_controller.settings());
    // Under the panel, the line that says which conversion choices Start applies.
    m_choicesLabel = new QLabel;
    m_choicesLabel->setObjectName(u"lblChoices"_s);
    m_choicesLabel->setWordWrap(true);
    auto *panelColumn = new QWidget;
    panelColumn->setObjectName(u"panelColumn"_s);
    auto *column = new QVBoxLayout(panelColumn);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_panel);
    column->addWidget(m_choicesLabel);
    column->addStretch();
    // On a short screen the panel scrolls rather than push Start off it.
    auto *panelArea = new QScrollArea(surface);
    panelArea->setObjectName(u"panelArea"_s);
    panelArea->setWidget(panelColumn);
    panelArea->setWidgetResizable(true);
    panelArea->setFrameShape(QFrame::NoFrame);
    panelArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    panelArea->setFocusPolicy(Qt::NoFocus);
    panelArea->setFixedWidth(340);
    middle->addWidget(panelArea);
    body->addLayout(middle, 1);

    m_progress = new ProgressView(surface);
    auto *progressRow = new QHBoxLayout;
    progressRow->setContentsMargins(12, 0, 12, 0);
    progressRow->addWidget(m_progress);
    body->addLayout(progressRow);
    body->addWidget(buildStartRow());

    // The command channel: a hidden text field whose words run their commands.
    m_commandChannel = new QLineEdit(this);
    m_commandChannel->setObjectName(u"txtAction"_s);
    m_commandChannel->hide();
    connect(m_commandChannel, &QLineEdit::textChanged, this, &MainWindow::runCommandWord);
    m_menus = new WindowMenus(m_actions, this);

    connect(m_panel, &ParameterPanel::browseRequested, m_actions[WindowCommand::ChooseOutputFolder], &QAction::trigger);
    connect(m_panel, &ParameterPanel::openFolderRequested, m_actions[WindowCommand::OpenOutputFolder],
            &QAction::trigger);
    setMinimumSize(kLeastSize);
    resize(kPreferredSize);
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

    using enum WindowCommand;
    m_helpImage = commandImage(u"help"_s, u"imgHelp"_s, m_actions[Help], bar, 26);
    m_minimiseImage = commandImage(u"min"_s, u"imgMin"_s, m_actions[Minimise], bar, 26);
    HotImage *exitImage = commandImage(u"exit"_s, u"imgExit"_s, m_actions[Exit], bar, 26);
    for (HotImage *image : {m_helpImage, m_minimiseImage, exitImage}) {
        image->setNormalColours(ChromePalette::kOnDark);
        // Help and Exit are toolbar buttons too: a screen reader tells them apart by place.
        image->setAccessibleName(tr("标题栏：%1").arg(image->accessibleName()));
        row->addWidget(image);
    }
    // Exit takes no keyboard focus: a stray Space must not end the program.
    m_helpImage->setFocusPolicy(Qt::TabFocus);
    m_minimiseImage->setFocusPolicy(Qt::TabFocus);
    m_helpImage->setCursor(chromeCursor(u"help"_s));
    m_minimiseImage->setCursor(chromeCursor(u"min"_s));
    exitImage->setCursor(chromeCursor(u"exit"_s));
    return bar;
}

QWidget *MainWindow::buildListArea()
{
    auto *area = new QWidget;
    auto *grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(6);

    m_listView = new FileListView(area);
    m_listView->setObjectName(u"LV"_s);
    m_listView->setModel(&m_list);
    m_listView->fitColumns();
    m_listView->setAccessibleName(tr("文件列表"));
    m_listView->setToolTip(tr("要转换的文件。双击转换好的文件可以播放它，右键点击可以打开它所在的文件夹或移除文件"));
    connect(m_listView, &FileListView::contextMenuWanted, this, &MainWindow::popUpListMenu);
    connect(m_listView, &FileListView::pathsDropped, this, &MainWindow::addDroppedPaths);
    connect(m_listView, &FileListView::doneRowActivated, m_actions[WindowCommand::PlayOutput], &QAction::trigger);
    grid->addWidget(m_listView, 0, 0, 1, 4);
    // It covers the whole list (its contents centred), so that it is seen.
    grid->addWidget(buildDropHint(area), 0, 0, 1, 4);

    using enum WindowCommand;
    m_addImage = commandImage(u"add"_s, u"imgAdd"_s, m_actions[AddFile], area, 28);
    m_removeImage = commandImage(u"remove"_s, u"imgRemove"_s, m_actions[RemoveSelected], area, 28);
    for (HotImage *image : {m_addImage, m_removeImage})
        image->setAccessibleName(tr("列表旁：%1").arg(image->accessibleName()));
    m_dropZone = new DropZone(area);
    exposeAsPressable(m_dropZone, QAccessible::Button); // before anything names it
    m_dropZone->setObjectName(u"picDrag"_s);
    m_dropZone->setToolTip(m_actions[AddFromDropZone]->toolTip());
    m_dropZone->setAccessibleName(WindowActions::spokenText(m_actions[AddFromDropZone]));
    m_dropZone->setFixedHeight(30);
    m_dropZone->setFocusPolicy(Qt::TabFocus);
    m_dropZone->setCursor(Qt::PointingHandCursor);
    auto *dropRow = new QHBoxLayout(m_dropZone);
    dropRow->setContentsMargins(6, 0, 6, 0);
    auto *dropPicture = new QSvgWidget(m_dropZone);
    dropPicture->load(chromeSvg(u"drop"_s, ChromePalette::kNormal));
    dropPicture->setFixedSize(22, 22);
    dropPicture->setAttribute(Qt::WA_TransparentForMouseEvents);
    dropRow->addStretch(1);
    dropRow->addWidget(dropPicture);
    dropRow->addStretch(1);
    connect(m_dropZone, &DropZone::pathsDropped, this, &MainWindow::addDroppedPaths);
    connect(m_dropZone, &DropZone::clicked, m_actions[AddFromDropZone], &QAction::trigger);
    m_workloadLabel = new QLabel(area);
    m_workloadLabel->setObjectName(u"lblWorkload"_s);
    m_workloadLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(m_addImage, 1, 0);
    grid->addWidget(m_removeImage, 1, 1);
    grid->addWidget(m_dropZone, 1, 2);
    grid->addWidget(m_workloadLabel, 1, 3);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(0, 1);
    return area;
}

QWidget *MainWindow::buildDropHint(QWidget *parent)
{
    // Drops on the hint count as drops on the list.
    auto *hint = new DropZone(parent);
    hint->setObjectName(u"picText"_s);
    hint->setAlignment(Qt::AlignCenter);
    auto *hintLayout = new QVBoxLayout(hint);
    hintLayout->addStretch(1);
    auto *hintPicture = new QSvgWidget(hint);
    hintPicture->load(chromeSvg(u"drop"_s, ChromePalette::kNormal));
    hintPicture->setFixedSize(56, 56);
    hintLayout->addWidget(hintPicture, 0, Qt::AlignHCenter);
    m_dropHintLabel = new QLabel(dropHintText(), hint);
    m_dropHintLabel->setObjectName(u"lblText"_s);
    m_dropHintLabel->setAlignment(Qt::AlignCenter);
    m_dropHintLabel->setWordWrap(true);
    hintLayout->addWidget(m_dropHintLabel);
    hintLayout->addStretch(1);
    m_dropHint = hint;
    connect(hint, &DropZone::pathsDropped, this, &MainWindow::addDroppedPaths);
    hint->setVisible(m_list.hintVisible());
    connect(&m_list, &FileList::hintVisibleChanged, hint, &QWidget::setVisible);
    return hint;
}

QWidget *MainWindow::buildStartRow()
{
    auto *row = new QWidget;
    row->setObjectName(u"startRow"_s);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(12, 0, 12, 0);
    layout->setSpacing(8);
    using enum WindowCommand;
    m_startImage = commandImage(u"start"_s, u"imgStart"_s, m_actions[Start], row, 36);
    m_startButton = new QPushButton(tr("立刻开始转换！"), row);
    m_startButton->setObjectName(u"Command3"_s);
    m_startButton->setToolTip(m_actions[Start]->toolTip());
    m_convertImage = commandImage(u"convert"_s, u"imgConvert"_s, m_actions[Start], row, 30);
    // Three controls start a batch; a screen reader tells them apart.
    m_startButton->setAccessibleName(m_startButton->text());
    m_startImage->setAccessibleName(tr("开始图标：立刻开始转换"));
    m_convertImage->setAccessibleName(tr("转换图标：立刻开始转换"));
    m_stopButton = new QPushButton(tr("停止"), row);
    m_stopButton->setObjectName(u"cmdStop"_s);
    m_stopButton->setToolTip(m_actions[Stop]->toolTip());
    m_stopButton->setEnabled(false);
    m_statusLabel = new QLabel(row);
    m_statusLabel->setObjectName(u"lblStatus"_s);
    m_statusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_statusLabel->setMinimumWidth(0);
    m_statusLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_feedbackLink = new LinkLabel(tr("意见反馈"), row);
    m_feedbackLink->setObjectName(u"lblFeed"_s);
    m_feedbackLink->setToolTip(m_actions[Feedback]->toolTip());
    auto *webLink = new LinkLabel(u"Sonvera "_s, row);
    webLink->setObjectName(u"lblWeb"_s);
    webLink->setToolTip(m_actions[WebPage]->toolTip());
    webLink->setAccessibleName(tr("Sonvera 网站"));

    layout->addWidget(m_startImage);
    layout->addWidget(m_startButton);
    layout->addWidget(m_convertImage);
    layout->addWidget(m_stopButton);
    layout->addSpacing(12);
    layout->addWidget(m_statusLabel, 1);
    layout->addWidget(m_feedbackLink);
    layout->addSpacing(8);
    layout->addWidget(webLink);

    connect(m_startButton, &QPushButton::clicked, m_actions[Start], &QAction::trigger);
    connect(m_stopButton, &QPushButton::clicked, m_actions[Stop], &QAction::trigger);
    connect(m_feedbackLink, &LinkLabel::clicked, m_actions[Feedback], &QAction::trigger);
    connect(webLink, &LinkLabel::clicked, m_actions[WebPage], &QAction::trigger);
    return row;
}

void MainWindow::orderFocus()
{
    // The duplicates of a command that a button already offers (the start
    // images, the list's own add and remove images) stay out of the chain.
    QList<QWidget *> chain;
    for (QToolButton *button : std::as_const(m_commandButtons))
        chain << button;
    for (HotImage *image : std::as_const(m_toolbarImages))
        chain << image;
    chain << m_listView << m_dropZone;
    chain << m_panel->focusOrder();
    chain << m_startButton << m_stopButton << m_feedbackLink << findChild<QWidget *>(u"lblWeb"_s) << m_helpImage
          << m_minimiseImage;
    // Qt leaves out of the order what takes no focus (the exit buttons).
    chain.removeIf([](const QWidget *widget) { return !(widget->focusPolicy() & Qt::TabFocus); });
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
    // The keyboard starts on the list: arrows, Delete, Return.
    m_listView->setFocus(Qt::OtherFocusReason);
}

void MainWindow::showEvent(QShowEvent *event)
{
    // Before the first show maps the window: the window manager sees it at
    // its place and size at once.
    if (!m_placed) {
        m_placed = true;
        placeOnScreen();
    }
    QWidget::showEvent(event);
}

void MainWindow::placeOnScreen()
{
    // The screen it starts on is the one the pointer is on.
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = this->screen();
    if (!screen)
        return;
    const WindowPlacement placement = placeWindow(kPreferredSize, kLeastSize, screen->availableGeometry());
    setMinimumSize(placement.least);
    setGeometry(placement.geometry);
}

void MainWindow::connectActions()
{
    using enum WindowCommand;
    const auto on = [this](WindowCommand command, auto handler) {
        connect(m_actions[command], &QAction::triggered, this, handler);
    };
    on(AddFile, &MainWindow::addFilesByDialog);
    on(AddFolder, &MainWindow::addFolder);
    on(AddFromDropZone, &MainWindow::addFileFromDropZone);
    on(RemoveMenu, [this] { popUpRemoveMenu(QCursor::pos()); });
    on(RemoveSelected, &MainWindow::removeSelectedRows);
    on(RemoveAll, [this] { m_list.removeAllRows(); });
    on(Options, &MainWindow::showOptions);
    on(Help, &MainWindow::showHelp);
    on(About, &MainWindow::showAbout);
    on(Exit, &QWidget::close);
    on(Start, &MainWindow::startBatch);
    on(Stop, [this] { m_controller.stop(); });
    on(Feedback, &MainWindow::showFeedback);
    on(WebPage, &MainWindow::openWebPage);
    on(Minimise, [this] {
        showMinimized();
        m_minimiseImage->clearPicture();
    });
    on(ChooseOutputFolder, &MainWindow::chooseOutputFolder);
    on(OpenOutputFolder, &MainWindow::openOutputFolder);
    on(PlayOutput, &MainWindow::playOutput);
    on(ShowOutput, &MainWindow::showOutput);
}

} // namespace sonvera
