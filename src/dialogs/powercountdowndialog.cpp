#include "powercountdowndialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

PowerCountdownDialog::PowerCountdownDialog(AfterBatchAction action, QWidget *parent, int seconds,
                                           std::chrono::milliseconds tick)
    : QDialog(parent)
    , m_action(action)
    , m_secondsLeft(std::max(seconds, 1))
{
    setObjectName(u"powerCountdownDialog"_s);
    setWindowTitle(u"Sonvera"_s);
    setWindowModality(Qt::WindowModal);

    m_label = new QLabel(textFor(m_action, m_secondsLeft), this);
    m_label->setObjectName(u"countdownLabel"_s);
    auto *buttons = new QDialogButtonBox(this);
    m_cancel = buttons->addButton(tr("取消"), QDialogButtonBox::RejectRole);
    m_cancel->setObjectName(u"cancelButton"_s);
    m_cancel->setDefault(true);
    m_cancel->setFocus();
    connect(buttons, &QDialogButtonBox::rejected, this, &PowerCountdownDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(buttons);
    layout->setSpacing(12);
    layout->setContentsMargins(20, 16, 20, 12);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // PreciseTimer: a coarse timer may fire early, and the countdown must
    // never be shorter than it says. A late tick only makes it longer.
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(tick);
    connect(&m_timer, &QTimer::timeout, this, &PowerCountdownDialog::tick);
}

QString PowerCountdownDialog::textFor(AfterBatchAction action, int seconds)
{
    return action == AfterBatchAction::Suspend ? tr("转换已完成，%n 秒后睡眠。", nullptr, seconds)
                                               : tr("转换已完成，%n 秒后关机。", nullptr, seconds);
}

QString PowerCountdownDialog::text() const
{
    return m_label->text();
}

void PowerCountdownDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_finished && m_timer.interval() > 0 && !m_timer.isActive())
        m_timer.start();
}

void PowerCountdownDialog::tick()
{
    if (m_finished)
        return;
    m_secondsLeft = std::max(m_secondsLeft - 1, 0);
    m_label->setText(textFor(m_action, m_secondsLeft));
    if (m_secondsLeft > 0)
        return;
    m_finished = true;
    m_timer.stop();
    accept();
    Q_EMIT ranOut();
}

void PowerCountdownDialog::reject()
{
    if (m_finished)
        return;
    m_finished = true;
    m_timer.stop();
    QDialog::reject();
    Q_EMIT cancelled();
}

} // namespace sonvera
