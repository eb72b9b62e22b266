#include "feedbacksender.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

QUrl defaultFeedbackBase()
{
    return QUrl(u"https://www.sonvera.app/feedback.php?name="_s);
}

QUrl feedbackRequestUrl(const QUrl &base, const QString &name, const QString &email, const QString &comment)
{
    // Built on the encoded form so that QUrl cannot re-interpret the escapes:
    // every byte of the values outside the unreserved set is escaped, and the
    // fixed pieces are plain ASCII query text.
    const QByteArray encoded = base.toEncoded() + QUrl::toPercentEncoding(name) + "&age="
        + QUrl::toPercentEncoding(email) + "&comment=(MP4)" + QUrl::toPercentEncoding(comment);
    return QUrl::fromEncoded(encoded, QUrl::StrictMode);
}

FeedbackSender::FeedbackSender(QObject *parent)
    : QObject(parent)
    , m_manager(new QNetworkAccessManager(this))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &FeedbackSender::onTimeout);
}

FeedbackSender::~FeedbackSender()
{
    drop();
}

void FeedbackSender::send(const QUrl &url)
{
    drop();
    QNetworkRequest request(url);
    // Redirects are followed, but never from HTTPS down to HTTP.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    m_timedOut = false;
    m_reply = m_manager->get(request);
    connect(m_reply, &QNetworkReply::finished, this, &FeedbackSender::onFinished);
    m_timer.start(m_timeout);
}

void FeedbackSender::drop()
{
    m_timer.stop();
    if (!m_reply)
        return;
    QNetworkReply *reply = std::exchange(m_reply, nullptr);
    // abort() emits finished at once; nobody is listening any more.
    disconnect(reply, nullptr, this, nullptr);
    reply->abort();
    reply->deleteLater();
}

void FeedbackSender::onTimeout()
{
    if (!m_reply)
        return;
    m_timedOut = true;
    m_reply->abort(); // finishes the reply with OperationCanceledError, handled in onFinished
}

void FeedbackSender::onFinished()
{
    m_timer.stop();
    if (!m_reply)
        return;
    const QString reason = failureReason();
    QNetworkReply *reply = std::exchange(m_reply, nullptr);
    reply->deleteLater();
    if (reason.isEmpty())
        Q_EMIT succeeded();
    else
        Q_EMIT failed(reason);
}

// Empty when m_reply ended well.
QString FeedbackSender::failureReason() const
{
    if (m_timedOut) {
        return tr("服务器在 %1 秒内没有回应").arg(
            QString::number(static_cast<double>(m_timeout.count()) / 1000.0));
    }

    const QVariant statusAttribute = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int status = statusAttribute.isValid() ? statusAttribute.toInt() : 0;
    // A status outside 2xx is a failure even where Qt reports no error, e.g. a
    // redirect that was not followed.
    if (status != 0 && (status < 200 || status > 299)) {
        const QString phrase = m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        return tr("服务器返回 %1 %2").arg(QString::number(status), phrase).trimmed();
    }

    switch (m_reply->error()) {
    case QNetworkReply::NoError:
        return {};
    case QNetworkReply::ConnectionRefusedError:
        return tr("服务器拒绝连接");
    case QNetworkReply::HostNotFoundError:
        return tr("找不到服务器 %1").arg(m_reply->url().host());
    case QNetworkReply::TimeoutError:
        return tr("连接超时");
    case QNetworkReply::RemoteHostClosedError:
        return tr("服务器中断了连接");
    case QNetworkReply::SslHandshakeFailedError:
        return tr("无法建立安全连接");
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
        return tr("网络不可用");
    default:
        // Qt's own wording is the most precise thing we have for the rest.
        return tr("网络错误（%1）").arg(m_reply->errorString());
    }
}

} // namespace sonvera
