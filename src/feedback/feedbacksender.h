#pragma once

#include <QObject>
#include <QTimer>
#include <QUrl>

#include <chrono>

class QNetworkAccessManager;
class QNetworkReply;

namespace sonvera {

// The product's feedback service. It ends with the key of the first value, so
// the request is this address followed directly by the encoded name.
QUrl defaultFeedbackBase();

// How long one feedback request may take in all before it counts as failed.
inline constexpr std::chrono::milliseconds kFeedbackTimeout{15'000};

// The feedback request: `base`, the name, "&age=", the e-mail address,
// "&comment=(MP4)", the comment. Each of the three texts is percent-encoded as
// UTF-8 (everything but letters, digits and "-._~"), so "&", "=", "#", "+", "%",
// blanks, line breaks and Chinese text arrive at the service as typed.
QUrl feedbackRequestUrl(const QUrl &base, const QString &name, const QString &email, const QString &comment);

// Sends one GET request at a time and reports how it ended, exactly once per
// request: `succeeded` when a reply with a 2xx status has arrived completely,
// `failed` with a short Chinese reason (for the status line) on a network
// error, an HTTP error status or when the time limit runs out. Starting a new
// request drops the one still under way without a report.
class FeedbackSender final : public QObject {
    Q_OBJECT

public:
    explicit FeedbackSender(QObject *parent = nullptr);
    ~FeedbackSender() override;

    // Limit for the whole request, from sending to the end of the reply.
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    std::chrono::milliseconds timeout() const { return m_timeout; }

    void send(const QUrl &url);

Q_SIGNALS:
    void succeeded();
    void failed(const QString &reason);

private:
    void drop();
    void onFinished();
    void onTimeout();
    QString failureReason() const;

    QNetworkAccessManager *m_manager;  // owned (child)
    QNetworkReply *m_reply = nullptr;  // the request under way; deleted once finished or dropped
    QTimer m_timer;                    // single shot, the time limit of m_reply
    std::chrono::milliseconds m_timeout = kFeedbackTimeout;
    bool m_timedOut = false;           // m_reply was aborted by the time limit
};

} // namespace sonvera
