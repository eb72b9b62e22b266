#include "failuresummary.h"

#include "pathtext.h"

#include "batchdriver.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyle>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

FailureSummary::FailureSummary(const BatchSummary &summary, const QString &note, QWidget *parent)
    : QDialog(parent)
    , m_list(new QPlainTextEdit(this))
    , m_note(new QLabel(note, this))
{
    setObjectName(u"failureSummary"_s);
    setWindowTitle(BatchTexts::kFailedTitle.toString());

    auto *icon = new QLabel(this);
    const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(side, side));
    auto *intro = new QLabel(BatchTexts::kFailedIntro.toString(), this);
    intro->setWordWrap(true);
    auto *header = new QHBoxLayout;
    header->addWidget(icon, 0, Qt::AlignTop);
    header->addWidget(intro, 1);

    // The first few hundred: tens of thousands of lines would take the text
    // box seconds to lay out, and each row of the list keeps its own reason.
    constexpr qsizetype kListed = 500;
    QString text;
    for (const FailedFile &file : summary.failed.first(std::min(kListed, summary.failed.size())))
        text += shownSafely(file.path) + u"\n    "_s + shownSafely(file.reason) + u"\n\n"_s;
    if (summary.failed.size() > kListed)
        //: After the first files that failed; %1 is how many more failed.
        text += tr("还有 %1 个文件没有转换成功；文件列表中每一行的提示说明了原因。").arg(summary.failed.size() - kListed);
    m_list->setObjectName(u"failedFiles"_s);
    m_list->setReadOnly(true);
    m_list->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_list->setPlainText(text.trimmed());

    m_note->setObjectName(u"failureNote"_s);
    m_note->setWordWrap(true);
    m_note->setVisible(!note.isEmpty());

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_note);
    layout->addWidget(buttons);

    // Tall enough for a few files, never taller than the screen.
    const QRect screen = (parent ? parent->screen() : this->screen())->availableGeometry();
    const int lines = int(summary.failed.size()) * 3;
    const int wanted = m_list->fontMetrics().lineSpacing() * std::min(lines, 24) + 160;
    resize(std::min(640, screen.width() * 9 / 10), std::min(wanted, screen.height() * 3 / 4));
}

QString FailureSummary::listText() const
{
    return m_list->toPlainText();
}

QString FailureSummary::noteText() const
{
    return m_note->text();
}

} // namespace sonvera
