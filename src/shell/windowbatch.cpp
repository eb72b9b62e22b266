// What the window shows of a batch's life, as its controller asks: the
// question that restores a list after a crash, the progress and the lock of
// a batch, the messages, the failure summary and the after-batch countdown.
#include "mainwindow.h"

#include "parameterpanel.h"
#include "powercountdowndialog.h"
#include "progressview.h"
#include "restorequestion.h"

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

void MainWindow::connectController()
{
    BatchController &controller = m_controller;
    BatchDriver &driver = controller.driver();
    controller.setWindowActiveProbe([this] { return isActiveWindow(); });
    connect(&driver, &BatchDriver::lockChanged, this, &MainWindow::setLocked);
    connect(&driver, &BatchDriver::progressChanged, m_progress, &ProgressView::show);
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

void MainWindow::showFailures(const BatchSummary &summary, const QString &note)
{
    // Window-modal and without a local event loop, like every message.
    auto *dialog = new FailureSummary(summary, note, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    m_failureSummary = dialog;
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

} // namespace sonvera
