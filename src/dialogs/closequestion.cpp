#include "closequestion.h"

#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

CloseQuestion::CloseQuestion(QWidget *parent)
    : QMessageBox(QMessageBox::Question, u"Sonvera"_s, tr("正在转换，确定要停止并退出吗？"), QMessageBox::NoButton,
                  parent)
{
    setObjectName(u"closeQuestion"_s);
    setWindowModality(Qt::WindowModal);
    setInformativeText(tr("没有转换完的文件会留在列表中，下次启动时可以恢复。"));
    m_keep = addButton(tr("继续转换"), QMessageBox::RejectRole);
    m_keep->setObjectName(u"keepButton"_s);
    m_stop = addButton(tr("停止并退出"), QMessageBox::AcceptRole);
    m_stop->setObjectName(u"stopButton"_s);
    setDefaultButton(m_keep);
    setEscapeButton(m_keep);
    connect(this, &QDialog::finished, this, [this] { Q_EMIT answered(clickedButton() == m_stop); });
}

} // namespace sonvera
