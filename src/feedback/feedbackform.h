#pragma once

#include "feedbacksender.h"

#include <QDialog>
#include <QUrl>

#include <chrono>

class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace sonvera {

class HotImage;

// The feedback window "frmSuggest": the user's name, e-mail address and a
// comment, sent as the query values of one GET request to the feedback
// service (see feedbackRequestUrl). A frameless dialog with a title band,
// dragged by its surface; open it modally:
//
//     FeedbackForm form(this);
//     form.exec();
//
// Sending checks name, e-mail and comment in that order; the first empty one
// (no characters at all; blanks count as content) is asked for in the status
// line and gets the focus. Then the status line shows "正在发送...", Command1
// and imgSend are disabled and the request goes out. A completed reply shows
// "完毕." and leaves them disabled; a failure shows "发送失败：" with the reason
// and enables them again. Command3 always stays enabled and sends again.
//
// Of the two pairs of buttons, "Send" and "Back" (Command1, Command2) show in
// English, "发送" and "返回" (Command3, Command4) in Chinese.
//
// Child object names are those of the window's design (txtName, txtEMail,
// txtComment, lblSending, imgSend, backImage, closeImage, Command1..Command4,
// Label1..Label3) so that the style sheet and the tests find them.
class FeedbackForm final : public QDialog {
    Q_OBJECT

public:
    static constexpr int kNameMaxLength = 50;     // characters (UTF-16 units, as QLineEdit counts)
    static constexpr int kEMailMaxLength = 100;   // characters
    static constexpr int kCommentMaxLength = 256; // characters

    // `baseAddress` is the service address that the encoded name is appended to;
    // tests point it at a local server.
    explicit FeedbackForm(QWidget *parent = nullptr, const QUrl &baseAddress = defaultFeedbackBase());
    ~FeedbackForm() override;

    QUrl baseAddress() const { return m_baseAddress; }

    // Time limit of one request (kFeedbackTimeout unless set).
    void setTimeout(std::chrono::milliseconds timeout) { m_sender->setTimeout(timeout); }

    // Validates the three texts and sends them: what Command1, Command3 and
    // imgSend do.
    void send();

private:
    void buildUi();
    QGridLayout *buildFields();
    QHBoxLayout *buildButtons();
    void prompt(const QString &text, QWidget *field);
    void showStatus(const QString &text, bool failure);
    void setSendEnabled(bool enabled);
    void enforceCommentLimit();

    QUrl m_baseAddress;
    FeedbackSender *m_sender;       // owned (child)
    QLineEdit *m_nameField = nullptr; // widgets below are owned by the dialog
    QLineEdit *m_emailField = nullptr;
    QPlainTextEdit *m_commentField = nullptr;
    QLabel *m_sendingLabel = nullptr;
    HotImage *m_sendImage = nullptr;
    QPushButton *m_englishSendButton = nullptr;
    int m_commentEditEnd = 0; // document position where the last edit of txtComment ended
};

} // namespace sonvera
