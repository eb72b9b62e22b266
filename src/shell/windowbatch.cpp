// What the window shows of a batch's life, as its controller asks: the
// question that restores a list after a crash, the progress and the lock of
// a batch, the files to convert and their length, the messages, the failure
// summary, the after-batch countdown and the question before closing during
// a batch.
#include "mainwindow.h"

#include "closequestion.h"
#include "droptargets.h"
#include "failuresummary.h"
#include "hotimage.h"
#include "linklabel.h"
#include "parameterpanel.h"
#include "powercountdowndialog.h"
#include "progressview.h"
#include "restorequestion.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

void MainWindow::connectController()
{
    BatchController &controller = m_controller;
    BatchDriver &driver = controller.driver();
    controller.setWindowActiveProbe([this] { return isActiveWindow(); });
    connect(&driver, &BatchDriver::lockChanged, this, &MainWindow::setLocked);
    connect(&driver, &BatchDriver::progressChanged, m_progress, &ProgressView::show);
    connect(&driver, &BatchDriver::fileStarted, m_progress, &ProgressView::fileStarted);
    connect(&driver, &BatchDriver::timingChanged, m_progress, &ProgressView::showTiming);
    connect(&driver, &BatchDriver::outputFolderChanged, m_panel, &ParameterPanel::setOutputFolderText);
    connect(m_panel, &ParameterPanel::settingsEdited, &controller, &BatchController::settingsEdited);
    connect(&controller, &BatchController::settingsReplaced, m_panel, &ParameterPanel::showSettings);
    connect(&controller, &BatchController::leftOverFound, this, &MainWindow::askAboutLeftOver);
    connect(&controller, &BatchController::readyForFiles, this, [this] { addPaths(std::exchange(m_startPaths, {})); });
    connect(&controller, &BatchController::messageRequested, this,
            [this](BatchController::Severity severity, const QString &text) {
                showMessage(severity == BatchController::Severity::Critical ? QMessageBox::Critical
                                                                            : QMessageBox::Warning,
                            windowTitle(), text);
            });
    connect(&controller, &BatchController::failureSummaryRequested, this, &MainWindow::showFailures);
    connect(&controller, &BatchController::powerCountdownRequested, this, &MainWindow::showPowerCountdown);
    connect(&controller, &BatchController::readyToClose, this, &QWidget::close);
    connect(&controller, &BatchController::folderNotOpened, this, [this](const QString &folder) {
        //: The output folder could not be opened at the end of a batch; %1 is the folder.
        showStatus(tr("没有可以打开文件夹的程序。转换好的文件在：%1").arg(folder), false);
    });
    // The files to convert and their length, as the list and the probe change.
    for (auto changed : {&FileList::statusChanged, &FileList::mediaChanged})
        connect(&m_list, changed, this, &MainWindow::showWorkload);
    connect(&m_list, &QAbstractItemModel::rowsInserted, this, &MainWindow::showWorkload);
    connect(&m_list, &FileList::failedRowsRetried, this, &MainWindow::showWorkload);
    connect(&m_list, &QAbstractItemModel::rowsRemoved, this, &MainWindow::showWorkload);
    connect(&m_list, &QAbstractItemModel::modelReset, this, &MainWindow::showWorkload);
}

void MainWindow::startUp(const QByteArrayList &paths)
{
    // The files given go after whatever the question restores.
    m_startPaths = paths;
    m_controller.startUp();
}

void MainWindow::askAboutLeftOver(int fileCount)
{
    RestoreQuestion *question = RestoreQuestion::ask(fileCount, this);
    connect(question, &RestoreQuestion::answered, &m_controller, &BatchController::answerLeftOver);
}

void MainWindow::showWorkload()
{
    const FileList::Workload load = m_list.workload();
    if (load.files == 0) {
        m_workloadLabel->clear();
        return;
    }
    const QString length = clockText(std::llround(load.knownSeconds));
    if (load.unknownDurations == 0)
        //: %n files to convert, %1 their total length ("1:02:03").
        m_workloadLabel->setText(tr("%n 个文件，共 %1", nullptr, load.files).arg(length));
    else if (load.unknownDurations < load.files)
        //: Some lengths are not known (yet): %1 is the length of the others.
        m_workloadLabel->setText(tr("%n 个文件，至少 %1", nullptr, load.files).arg(length));
    else
        m_workloadLabel->setText(tr("%n 个文件", nullptr, load.files));
}

// ---- the batch ----------------------------------------------------------

void MainWindow::startBatch()
{
    if (m_controller.isBusy())
        return;
    // A batch the disks cannot hold is started only when the user says so;
    // the question is window-modal and opened, so no event loop nests.
    if (const QList<SpaceShortfall> shortfalls = m_controller.spaceShortfalls(); !shortfalls.isEmpty()) {
        QStringList lines;
        for (const SpaceShortfall &shortfall : shortfalls)
            lines << spaceShortfallText(shortfall);
        auto *question = new QMessageBox(QMessageBox::Question, windowTitle(),
                                         tr("磁盘空间可能不够：\n%1\n仍然开始转换吗？").arg(lines.join(u'\n')),
                                         QMessageBox::NoButton, this);
        question->setObjectName(u"spaceQuestion"_s);
        question->setWindowModality(Qt::WindowModal);
        question->setAttribute(Qt::WA_DeleteOnClose);
        QPushButton *start = question->addButton(tr("仍然开始"), QMessageBox::AcceptRole);
        question->setEscapeButton(question->addButton(tr("取消"), QMessageBox::RejectRole));
        connect(question, &QDialog::finished, this, [this, question, start] {
            if (question->clickedButton() == start)
                startBatchNow();
        });
        question->open();
        return;
    }
    startBatchNow();
}

void MainWindow::startBatchNow()
{
    if (m_controller.isBusy())
        return;
    m_progress->clearTiming();
    // The files done in the last batch leave the list first; with nothing
    // left to convert there is nothing to start.
    if (!m_controller.start())
        showMessage(QMessageBox::Warning, BatchTexts::kEmptyListTitle.toString(),
                    BatchTexts::kEmptyListMessage.toString());
}

void MainWindow::setLocked(bool locked)
{
    // The command buttons, Start and its images, the feedback link, the
    // list's add and remove images and the panel; the image toolbar, the
    // menus and the drop targets stay live.
    m_actions.setBatchRunning(locked);
    QList<QWidget *> controls{m_startButton, m_feedbackLink, m_addImage, m_removeImage, m_startImage, m_convertImage};
    for (QToolButton *button : std::as_const(m_commandButtons))
        controls << button;
    for (QWidget *control : std::as_const(controls))
        control->setEnabled(!locked);
    m_panel->setLocked(locked);
    m_choicesLabel->setEnabled(!locked); // the choices are the batch's until it ends
    m_stopButton->setEnabled(locked);
    if (!locked)
        m_dropZone->setVisible(true);
}

// ---- messages -----------------------------------------------------------

void MainWindow::showMessage(int icon, const QString &title, const QString &text)
{
    // Window-modal and without a local event loop: the batch goes on behind it.
    auto *box = new QMessageBox(static_cast<QMessageBox::Icon>(icon), title, text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    // Paths in a message can be copied.
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->open();
}

void MainWindow::showStatus(const QString &text, bool passing)
{
    m_statusLabel->setText(text);
    m_statusLabel->setToolTip(text);
    if (passing)
        m_statusTimer.start();
    else
        m_statusTimer.stop();
}

void MainWindow::showFailures(const BatchSummary &summary, const QString &note)
{
    // Window-modal and without a local event loop, like every message.
    auto *dialog = new FailureSummary(summary, note, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->open();
}

void MainWindow::showPowerCountdown(AfterBatchAction action)
{
    auto *countdown = new PowerCountdownDialog(action, this);
    countdown->setAttribute(Qt::WA_DeleteOnClose);
    countdown->setWindowModality(Qt::WindowModal);
    connect(countdown, &PowerCountdownDialog::ranOut, &m_controller, &BatchController::confirmPowerAction);
    connect(countdown, &PowerCountdownDialog::cancelled, &m_controller, &BatchController::cancelPowerAction);
    countdown->open();
}

// ---- closing ------------------------------------------------------------

void MainWindow::askBeforeClosing()
{
    // One question at a time; it does not hold up the batch.
    if (m_closeQuestion) {
        m_closeQuestion->raise();
        return;
    }
    auto *question = new CloseQuestion(this);
    question->setAttribute(Qt::WA_DeleteOnClose);
    connect(question, &CloseQuestion::answered, this, [this](bool stopAndClose) {
        if (stopAndClose) {
            m_askBeforeClosing = false;
            close();
        }
    });
    m_closeQuestion = question;
    question->open();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Every orderly close comes here (Exit, the title bar, Alt+F4, the window
    // manager, SIGTERM, logout). During a batch the user is asked first; then
    // the controller saves what Exit saves, after stopping the batch.
    if (m_controller.isBusy() && m_askBeforeClosing) {
        event->ignore();
        askBeforeClosing();
        return;
    }
    if (!m_controller.prepareToClose()) {
        hide();
        event->ignore();
        return;
    }
    m_folderSearch.cancel();
    event->accept();
    Q_EMIT closed();
}

} // namespace sonvera
