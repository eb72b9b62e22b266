#include "feedbackform.h"

#include "hotimage.h"
#include "surfacedrag.h"
#include "uilanguage.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

FeedbackForm::FeedbackForm(QWidget *parent, const QUrl &baseAddress)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_baseAddress(baseAddress)
    , m_sender(new FeedbackSender(this))
{
    setObjectName(u"frmSuggest"_s);
    setWindowTitle(tr("建议和意见"));
    buildUi();
    new SurfaceDrag(this);

    connect(m_sender, &FeedbackSender::succeeded, this, [this] { showStatus(tr("完毕."), false); });
    connect(m_sender, &FeedbackSender::failed, this, [this](const QString &reason) {
        showStatus(tr("发送失败：%1。请稍后重新发送。").arg(reason), true);
        setSendEnabled(true);
    });
}

FeedbackForm::~FeedbackForm() = default;

void FeedbackForm::buildUi()
{
    // Title band with the caption. Presses on it fall through to the dialog, so
    // it drags the window like the rest of the surface.
    auto *titleBar = new QWidget(this);
    titleBar->setObjectName(u"titleBar"_s);
    auto *caption = new QLabel(windowTitle(), titleBar);
    caption->setObjectName(u"titleBand"_s);
    auto *titleLayout = new QHBoxLayout(titleBar);
    titleLayout->setContentsMargins(4, 2, 6, 2);
    titleLayout->addWidget(caption);
    titleLayout->addStretch();

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(1, 1, 1, 1); // inside the one-pixel frame of the style sheet
    outer->setSpacing(0);
    outer->addWidget(titleBar);
    outer->addLayout(buildFields(), 1);
    outer->addLayout(buildButtons());
    setMinimumWidth(440);
}

QGridLayout *FeedbackForm::buildFields()
{
    auto *nameLabel = new QLabel(tr("姓名："), this);
    nameLabel->setObjectName(u"Label1"_s);
    m_nameField = new QLineEdit(tr("您的姓名"), this);
    m_nameField->setObjectName(u"txtName"_s);
    m_nameField->setMaxLength(kNameMaxLength);
    nameLabel->setBuddy(m_nameField);

    auto *emailLabel = new QLabel(tr("电子邮箱："), this);
    emailLabel->setObjectName(u"Label2"_s);
    m_emailField = new QLineEdit(tr("电子邮箱"), this);
    m_emailField->setObjectName(u"txtEMail"_s);
    m_emailField->setMaxLength(kEMailMaxLength);
    emailLabel->setBuddy(m_emailField);

    auto *commentLabel = new QLabel(tr("留言："), this);
    commentLabel->setObjectName(u"Label3"_s);
    m_commentField = new QPlainTextEdit(this);
    m_commentField->setObjectName(u"txtComment"_s);
    m_commentField->setTabChangesFocus(true);
    m_commentField->setMinimumHeight(110);
    commentLabel->setBuddy(m_commentField);
    connect(m_commentField->document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { m_commentEditEnd = position + added; });
    connect(m_commentField, &QPlainTextEdit::textChanged, this, &FeedbackForm::enforceCommentLimit);
    // Each field is named and explained by its label.
    for (const auto &[label, field] : {std::pair<QLabel *, QWidget *>{nameLabel, m_nameField}, {emailLabel, m_emailField},
                                       {commentLabel, m_commentField}}) {
        QString name = label->text();
        name.chop(1); // the colon
        field->setAccessibleName(name);
        field->setToolTip(name);
    }

    m_sendingLabel = new QLabel(this);
    m_sendingLabel->setObjectName(u"lblSending"_s);
    m_sendingLabel->setWordWrap(true);
    // Keeps its room while hidden, so the window does not jump when a prompt appears.
    QSizePolicy statusPolicy = m_sendingLabel->sizePolicy();
    statusPolicy.setRetainSizeWhenHidden(true);
    m_sendingLabel->setSizePolicy(statusPolicy);
    m_sendingLabel->hide();

    auto *fields = new QGridLayout;
    fields->setContentsMargins(16, 14, 16, 6);
    fields->setHorizontalSpacing(8);
    fields->setVerticalSpacing(8);
    fields->addWidget(nameLabel, 0, 0);
    fields->addWidget(m_nameField, 0, 1);
    fields->addWidget(emailLabel, 1, 0);
    fields->addWidget(m_emailField, 1, 1);
    fields->addWidget(commentLabel, 2, 0, Qt::AlignTop);
    fields->addWidget(m_commentField, 2, 1);
    fields->addWidget(m_sendingLabel, 3, 1);
    fields->setColumnStretch(1, 1);
    fields->setRowStretch(2, 1);
    return fields;
}

QHBoxLayout *FeedbackForm::buildButtons()
{
    const QString sendTip = tr("发送你的意见");
    const QString backTip = tr("不发送，关闭");
    const auto makeImage = [this](const QString &icon, const QString &name, const QString &tip) {
        auto *image = new HotImage(icon, this);
        image->setObjectName(name);
        image->setToolTip(tip);
        image->setAccessibleName(tip);
        return image;
    };
    m_sendImage = makeImage(u"send"_s, u"imgSend"_s, sendTip);
    HotImage *backImage = makeImage(u"back"_s, u"imgBack"_s, backTip);
    // Beside the other two rather than on the dark title band, where the
    // pictures' colours would not stand out.
    HotImage *closeImage = makeImage(u"exit"_s, u"imgExit"_s, tr("关闭"));

    const auto makeButton = [this](const QString &name, const QString &text, const QString &tip) {
        auto *button = new QPushButton(text, this);
        button->setObjectName(name);
        button->setToolTip(tip);
        // Return in a text box must not send or close by accident.
        button->setAutoDefault(false);
        return button;
    };
    m_englishSendButton = makeButton(u"Command1"_s, tr("Send"), sendTip);
    QPushButton *chineseSendButton = makeButton(u"Command3"_s, tr("发送"), sendTip);
    QPushButton *englishBackButton = makeButton(u"Command2"_s, tr("Back"), backTip);
    QPushButton *chineseBackButton = makeButton(u"Command4"_s, tr("返回"), backTip);
    // One pair of buttons, in the window's language: "Send" and "Back" in
    // English, "发送" and "返回" in Chinese.
    const bool english = installedUiLanguage() == UiLanguage::English;
    m_englishSendButton->setVisible(english);
    englishBackButton->setVisible(english);
    chineseSendButton->setVisible(!english);
    chineseBackButton->setVisible(!english);

    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(16, 4, 16, 14);
    buttons->setSpacing(6);
    for (QWidget *widget : std::initializer_list<QWidget *>{m_sendImage, backImage, closeImage})
        buttons->addWidget(widget);
    buttons->addStretch();
    for (QWidget *widget : std::initializer_list<QWidget *>{m_englishSendButton, chineseSendButton, englishBackButton, chineseBackButton})
        buttons->addWidget(widget);

    for (QAbstractButton *sendButton : std::initializer_list<QAbstractButton *>{m_englishSendButton, chineseSendButton, m_sendImage})
        connect(sendButton, &QAbstractButton::clicked, this, &FeedbackForm::send);
    for (QAbstractButton *closeButton :
         std::initializer_list<QAbstractButton *>{englishBackButton, chineseBackButton, backImage, closeImage})
        connect(closeButton, &QAbstractButton::clicked, this, &QDialog::reject);
    return buttons;
}

void FeedbackForm::send()
{
    const QString name = m_nameField->text();
    const QString email = m_emailField->text();
    const QString comment = m_commentField->toPlainText();
    if (name.isEmpty()) {
        prompt(tr("您的姓名？"), m_nameField);
        return;
    }
    if (email.isEmpty()) {
        prompt(tr("您的电子邮箱？"), m_emailField);
        return;
    }
    if (comment.isEmpty()) {
        prompt(tr("您的意见？"), m_commentField);
        return;
    }
    showStatus(tr("正在发送..."), false);
    setSendEnabled(false);
    m_sender->send(feedbackRequestUrl(m_baseAddress, name, email, comment));
}

void FeedbackForm::prompt(const QString &text, QWidget *field)
{
    showStatus(text, false);
    field->setFocus(Qt::OtherFocusReason);
}

void FeedbackForm::showStatus(const QString &text, bool failure)
{
    m_sendingLabel->setText(text);
    // The style sheet colours a failure differently; a dynamic property needs a re-polish.
    if (m_sendingLabel->property("failure").toBool() != failure) {
        m_sendingLabel->setProperty("failure", failure);
        m_sendingLabel->style()->unpolish(m_sendingLabel);
        m_sendingLabel->style()->polish(m_sendingLabel);
    }
    m_sendingLabel->show();
}

void FeedbackForm::setSendEnabled(bool enabled)
{
    m_englishSendButton->setEnabled(enabled);
    m_sendImage->setEnabled(enabled);
}

// QPlainTextEdit has no length limit of its own. Whatever an edit (typing,
// pasting, dropping) brought in beyond the limit is cut from the end of that
// edit, so the text before and after it stays as it was.
void FeedbackForm::enforceCommentLimit()
{
    QTextDocument *document = m_commentField->document();
    const int length = document->characterCount() - 1; // without the closing paragraph separator
    const int excess = length - kCommentMaxLength;
    if (excess <= 0)
        return;
    int end = std::clamp(m_commentEditEnd, excess, length);
    int start = end - excess;
    // Never leave half of a surrogate pair behind.
    if (start > 0 && document->characterAt(start - 1).isHighSurrogate())
        --start;
    if (end < length && document->characterAt(end).isLowSurrogate())
        ++end;
    QTextCursor cursor(document);
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText(); // comes back here once with the text within the limit
}

} // namespace sonvera
