#include "restorequestion.h"

#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

RestoreQuestion::RestoreQuestion(int fileCount, QWidget *parent)
    : QMessageBox(QMessageBox::Question, u"Sonvera"_s, textFor(fileCount), QMessageBox::NoButton, parent)
{
    setObjectName(u"restoreQuestion"_s);
    setWindowModality(Qt::WindowModal);
    m_restore = addButton(tr("恢复"), QMessageBox::AcceptRole);
    m_restore->setObjectName(u"restoreButton"_s);
    m_discard = addButton(tr("不恢复"), QMessageBox::RejectRole);
    m_discard->setObjectName(u"discardButton"_s);
    setDefaultButton(m_restore);
    setEscapeButton(m_discard);
    // finished() comes once for every way the box closes; the clicked button
    // tells the answer (none, or 不恢复, means keep the list empty).
    connect(this, &QDialog::finished, this, [this] { Q_EMIT answered(clickedButton() == m_restore); });
}

RestoreQuestion *RestoreQuestion::ask(int fileCount, QWidget *parent)
{
    auto *question = new RestoreQuestion(fileCount, parent);
    question->setAttribute(Qt::WA_DeleteOnClose);
    question->open();
    return question;
}

QString RestoreQuestion::textFor(int fileCount)
{
    return tr("上次有 %n 个文件没有转换完，恢复到列表吗？", nullptr, fileCount);
}

} // namespace sonvera
