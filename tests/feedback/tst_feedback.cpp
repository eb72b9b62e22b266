#include "feedbackform.h"
#include "hotimage.h"

#include <QLabel>
#include <QLineEdit>
#include <QNetworkProxy>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using namespace sonvera;

namespace {

// A feedback service on 127.0.0.1 with a port of the system's choice. It
// records the target (path and query) of every request and answers it as the
// current mode says.
class FakeService final : public QObject {
    Q_OBJECT

public:
    enum class Mode { Ok, ServerError, Silent };

    FakeService()
    {
        m_listening = m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, &FakeService::accept);
    }

    bool isListening() const { return m_listening; }
    QUrl base() const { return QUrl(u"http://127.0.0.1:%1/feedback.php?name="_s.arg(m_server.serverPort())); }

    Mode mode = Mode::Ok;
    QList<QByteArray> methods;
    QList<QByteArray> targets;

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            auto buffer = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
                *buffer += socket->readAll();
                if (!buffer->contains("\r\n\r\n"))
                    return;
                const QList<QByteArray> requestLine = buffer->left(buffer->indexOf("\r\n")).split(' ');
                buffer->clear();
                methods.append(requestLine.value(0));
                targets.append(requestLine.value(1));
                answer(socket);
            });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    void answer(QTcpSocket *socket)
    {
        QByteArray status;
        QByteArray body;
        switch (mode) {
        case Mode::Silent:
            return;
        case Mode::Ok:
            status = "200 OK";
            body = "<html><body>Thank you</body></html>";
            break;
        case Mode::ServerError:
            status = "500 Internal Server Error";
            body = "<html><body>Internal Server Error</body></html>";
            break;
        }
        socket->write("HTTP/1.1 " + status + "\r\nContent-Type: text/html\r\nContent-Length: "
                      + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    bool m_listening = false;
};

// An address on 127.0.0.1 where nothing listens: a port the system just gave
// out and took back.
QUrl refusingBase()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return {};
    const quint16 port = server.serverPort();
    server.close();
    return QUrl(u"http://127.0.0.1:%1/feedback.php?name="_s.arg(port));
}

// The query of a request target as (key, decoded value) pairs in order.
QList<std::pair<QByteArray, QString>> decodedQuery(const QByteArray &target)
{
    QList<std::pair<QByteArray, QString>> pairs;
    const qsizetype question = target.indexOf('?');
    if (question < 0)
        return pairs;
    for (const QByteArray &item : target.mid(question + 1).split('&')) {
        const qsizetype equals = item.indexOf('=');
        pairs.append({item.left(equals), QUrl::fromPercentEncoding(item.mid(equals + 1))});
    }
    return pairs;
}

template<typename T>
T *child(const QWidget &form, const char *name)
{
    return form.findChild<T *>(QString::fromLatin1(name));
}

} // namespace

class TestFeedback : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Requests go straight to the local service, whatever proxy the machine has.
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    }

    void initialWindow()
    {
        FeedbackForm form;
        QCOMPARE(form.objectName(), u"frmSuggest"_s);
        QCOMPARE(form.windowTitle(), u"建议和意见"_s);
        QVERIFY(form.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(child<QLabel>(form, "titleBand")->text(), u"建议和意见"_s);
        QCOMPARE(form.baseAddress(), QUrl(u"https://www.sonvera.app/feedback.php?name="_s));

        QCOMPARE(child<QLineEdit>(form, "txtName")->text(), u"您的姓名"_s);
        QCOMPARE(child<QLineEdit>(form, "txtName")->maxLength(), 50);
        QCOMPARE(child<QLineEdit>(form, "txtEMail")->text(), u"电子邮箱"_s);
        QCOMPARE(child<QLineEdit>(form, "txtEMail")->maxLength(), 100);
        QVERIFY(child<QPlainTextEdit>(form, "txtComment")->toPlainText().isEmpty());
        QCOMPARE(child<QLabel>(form, "Label1")->text(), u"姓名："_s);
        QCOMPARE(child<QLabel>(form, "Label2")->text(), u"电子邮箱："_s);
        QCOMPARE(child<QLabel>(form, "Label3")->text(), u"留言："_s);
        QCOMPARE(child<QPushButton>(form, "Command1")->text(), u"Send"_s);
        QCOMPARE(child<QPushButton>(form, "Command2")->text(), u"Back"_s);
        QCOMPARE(child<QPushButton>(form, "Command3")->text(), u"发送"_s);
        QCOMPARE(child<QPushButton>(form, "Command4")->text(), u"返回"_s);
        for (const char *name : {"imgSend", "imgBack", "imgExit"})
            QVERIFY2(child<HotImage>(form, name), name);

        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(!child<QLabel>(form, "lblSending")->isVisible());
        // One pair of buttons, in the window's language (Chinese here).
        QVERIFY(child<QPushButton>(form, "Command3")->isVisible() && child<QPushButton>(form, "Command4")->isVisible());
        QVERIFY(!child<QPushButton>(form, "Command1")->isVisible() && !child<QPushButton>(form, "Command2")->isVisible());
    }

    void emptyFieldIsAskedFor_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("field");
        QTest::newRow("all empty") << QString() << QString() << QString() << u"您的姓名？"_s << u"txtName"_s;
        QTest::newRow("name empty") << QString() << u"a@b.c"_s << u"hi"_s << u"您的姓名？"_s << u"txtName"_s;
        QTest::newRow("e-mail empty") << u"Li"_s << QString() << QString() << u"您的电子邮箱？"_s << u"txtEMail"_s;
        QTest::newRow("comment empty") << u"Li"_s << u"a@b.c"_s << QString() << u"您的意见？"_s << u"txtComment"_s;
    }

    void emptyFieldIsAskedFor()
    {
        QFETCH(QString, name);
        QFETCH(QString, email);
        QFETCH(QString, comment);
        QFETCH(QString, prompt);
        QFETCH(QString, field);
        FakeService service;
        QVERIFY(service.isListening());
        FeedbackForm form(nullptr, service.base());
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        child<QLineEdit>(form, "txtName")->setText(name);
        child<QLineEdit>(form, "txtEMail")->setText(email);
        child<QPlainTextEdit>(form, "txtComment")->setPlainText(comment);
        child<QPushButton>(form, "Command4")->setFocus(); // away from every field

        QTest::mouseClick(child<QPushButton>(form, "Command1"), Qt::LeftButton);

        auto *status = child<QLabel>(form, "lblSending");
        QVERIFY(status->isVisible());
        QCOMPARE(status->text(), prompt);
        QTRY_COMPARE(QApplication::focusWidget(), form.findChild<QWidget *>(field));
        QVERIFY(child<QPushButton>(form, "Command1")->isEnabled());
        QVERIFY(child<HotImage>(form, "imgSend")->isEnabled());
    }

    // The exact request for each kind of text, and its values decoded back.
    void requestCarriesTheTexts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QByteArray>("target");
        QTest::newRow("plain") << u"LiLei"_s << u"lilei@example.com"_s << u"Nice tool"_s
                               << QByteArray("/feedback.php?name=LiLei&age=lilei%40example.com&comment=(MP4)Nice%20tool");
        QTest::newRow("initial texts") << u"Your Name"_s << u"Email"_s << u"x"_s
                                       << QByteArray("/feedback.php?name=Your%20Name&age=Email&comment=(MP4)x");
        QTest::newRow("query delimiters")
            << u"a&b=c"_s << u"x#y+z%20"_s << u"50% off & more"_s
            << QByteArray("/feedback.php?name=a%26b%3Dc&age=x%23y%2Bz%2520&comment=(MP4)50%25%20off%20%26%20more");
        QTest::newRow("chinese")
            << u"张三"_s << u"张三@例子.中国"_s << u"很好用！"_s
            << QByteArray("/feedback.php?name=%E5%BC%A0%E4%B8%89&age=%E5%BC%A0%E4%B8%89%40%E4%BE%8B%E5%AD%90.%E4%B8%AD"
                          "%E5%9B%BD&comment=(MP4)%E5%BE%88%E5%A5%BD%E7%94%A8%EF%BC%81");
        QTest::newRow("blanks and lines")
            << u"   "_s << u" "_s << u"line one\nline two\t end "_s
            << QByteArray("/feedback.php?name=%20%20%20&age=%20&comment=(MP4)line%20one%0Aline%20two%09%20end%20");
        QTest::newRow("outside the BMP") << u"Ann"_s << u"a@b.c"_s << u"👍"_s
                                         << QByteArray("/feedback.php?name=Ann&age=a%40b.c&comment=(MP4)%F0%9F%91%8D");
    }

    void requestCarriesTheTexts()
    {
        QFETCH(QString, name);
        QFETCH(QString, email);
        QFETCH(QString, comment);
        QFETCH(QByteArray, target);
        FakeService service;
        QVERIFY(service.isListening());
        FeedbackForm form(nullptr, service.base());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        child<QLineEdit>(form, "txtName")->setText(name);
        child<QLineEdit>(form, "txtEMail")->setText(email);
        child<QPlainTextEdit>(form, "txtComment")->setPlainText(comment);

        QTest::mouseClick(child<QPushButton>(form, "Command1"), Qt::LeftButton);
        QCOMPARE(child<QLabel>(form, "lblSending")->text(), u"正在发送..."_s);
        QTRY_COMPARE(service.targets.size(), 1);
        QCOMPARE(service.methods.at(0), QByteArray("GET"));
        QCOMPARE(service.targets.at(0), target);
        const QList<std::pair<QByteArray, QString>> expected{
            {"name", name}, {"age", email}, {"comment", u"(MP4)"_s + comment}};
        QCOMPARE(decodedQuery(service.targets.at(0)), expected);
    }

    void completedSendAndSendingAgain()
    {
        FakeService service;
        QVERIFY(service.isListening());
        FeedbackForm form(nullptr, service.base());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        child<QPlainTextEdit>(form, "txtComment")->setPlainText(u"good"_s);
        auto *status = child<QLabel>(form, "lblSending");
        auto *command1 = child<QPushButton>(form, "Command1");
        auto *command3 = child<QPushButton>(form, "Command3");
        auto *imgSend = child<HotImage>(form, "imgSend");

        QTest::mouseClick(imgSend, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(status->isVisible());
        QCOMPARE(status->text(), u"正在发送..."_s);
        QVERIFY(!command1->isEnabled());
        QVERIFY(!imgSend->isEnabled());
        QVERIFY(command3->isEnabled());
        QTRY_COMPARE(status->text(), u"完毕."_s);
        QCOMPARE(service.targets.size(), 1);

        // The disabled controls stay disabled and do not send.
        QVERIFY(!command1->isEnabled());
        QVERIFY(!imgSend->isEnabled());
        QTest::mouseClick(command1, Qt::LeftButton);
        QTest::mouseClick(imgSend, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(status->text(), u"完毕."_s);

        // Command3 still sends, with the texts as they are now.
        child<QPlainTextEdit>(form, "txtComment")->setPlainText(u"better"_s);
        QTest::mouseClick(command3, Qt::LeftButton);
        QCOMPARE(status->text(), u"正在发送..."_s);
        QTRY_COMPARE(status->text(), u"完毕."_s);
        QCOMPARE(service.targets.size(), 2);
        QCOMPARE(decodedQuery(service.targets.at(1)).value(2).second, u"(MP4)better"_s);
    }

    void failureIsReportedAndSendingCanBeRetried_data()
    {
        QTest::addColumn<int>("mode"); // FakeService::Mode, or -1 for a refused connection
        QTest::addColumn<QString>("reason");
        QTest::newRow("HTTP 500") << int(FakeService::Mode::ServerError) << u"服务器返回 500 Internal Server Error"_s;
        QTest::newRow("no answer") << int(FakeService::Mode::Silent) << u"服务器在 0.3 秒内没有回应"_s;
        QTest::newRow("connection refused") << -1 << u"服务器拒绝连接"_s;
    }

    void failureIsReportedAndSendingCanBeRetried()
    {
        QFETCH(int, mode);
        QFETCH(QString, reason);
        FakeService service;
        QVERIFY(service.isListening());
        const QUrl base = mode < 0 ? refusingBase() : service.base();
        QVERIFY(base.isValid());
        if (mode >= 0)
            service.mode = static_cast<FakeService::Mode>(mode);
        FeedbackForm form(nullptr, base);
        // Short only where it is waited for, so a slow machine cannot turn the other cases into time-outs.
        const bool silent = mode == int(FakeService::Mode::Silent);
        form.setTimeout(silent ? 300ms : kFeedbackTimeout);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        child<QPlainTextEdit>(form, "txtComment")->setPlainText(u"hello"_s);
        auto *status = child<QLabel>(form, "lblSending");
        auto *command1 = child<QPushButton>(form, "Command1");
        auto *imgSend = child<HotImage>(form, "imgSend");

        QTest::mouseClick(command1, Qt::LeftButton);
        QCOMPARE(status->text(), u"正在发送..."_s);
        QTRY_VERIFY(command1->isEnabled());
        QCOMPARE(status->text(), u"发送失败："_s + reason + u"。请稍后重新发送。"_s);
        QVERIFY(status->isVisible());
        QVERIFY(imgSend->isEnabled());
        if (mode >= 0)
            QCOMPARE(service.targets.size(), 1);
        else
            return;

        // Once the service answers, the same controls send successfully.
        service.mode = FakeService::Mode::Ok;
        form.setTimeout(kFeedbackTimeout);
        QTest::mouseClick(command1, Qt::LeftButton);
        QTRY_COMPARE(status->text(), u"完毕."_s);
        QCOMPARE(service.targets.size(), 2);
        QCOMPARE(service.targets.at(1), service.targets.at(0));
    }

    void backAndExitClose_data()
    {
        QTest::addColumn<QString>("control");
        for (const char *name : {"Command2", "Command4", "imgBack", "imgExit"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void backAndExitClose()
    {
        QFETCH(QString, control);
        FeedbackForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSignalSpy finished(&form, &QDialog::finished);
        QTest::mouseClick(form.findChild<QAbstractButton *>(control), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(finished.count(), 1);
        QVERIFY(!form.isVisible());
    }

    void commentIsLimited()
    {
        FeedbackForm form;
        auto *comment = child<QPlainTextEdit>(form, "txtComment");

        comment->setPlainText(QString(300, u'a'));
        QCOMPARE(comment->toPlainText(), QString(256, u'a'));

        // A paste in the middle loses its own end, not the text around it.
        comment->setPlainText(QString(100, u'a') + QString(100, u'b'));
        QTextCursor cursor = comment->textCursor();
        cursor.setPosition(100);
        comment->setTextCursor(cursor);
        comment->insertPlainText(QString(100, u'x'));
        QCOMPARE(comment->toPlainText(), QString(100, u'a') + QString(56, u'x') + QString(100, u'b'));

        // Typing at the limit changes nothing.
        comment->moveCursor(QTextCursor::End);
        QTest::keyClicks(comment, u"zz"_s);
        QCOMPARE(comment->toPlainText().size(), 256);
        QVERIFY(!comment->toPlainText().contains(u'z'));

        // A character outside the BMP is kept whole or not at all.
        comment->setPlainText(QString(254, u'a'));
        comment->moveCursor(QTextCursor::End);
        comment->insertPlainText(u"👍👍"_s);
        QCOMPARE(comment->toPlainText(), QString(254, u'a') + u"👍"_s);
        comment->setPlainText(QString(255, u'a'));
        comment->moveCursor(QTextCursor::End);
        comment->insertPlainText(u"👍"_s);
        QCOMPARE(comment->toPlainText(), QString(255, u'a'));
    }

    void draggedByTheTitleBand()
    {
        FeedbackForm form;
        form.move(100, 100);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto *band = child<QLabel>(form, "titleBand");
        const QPoint before = form.pos();
        QTest::mousePress(band, Qt::LeftButton, {}, QPoint(5, 5));
        QMouseEvent move(QEvent::MouseMove, QPointF(35, 25), band->mapToGlobal(QPointF(35, 25)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(band, &move);
        QTest::mouseRelease(band, Qt::LeftButton, {}, QPoint(35, 25));
        QCOMPARE(form.pos(), before + QPoint(30, 20));
    }
};

QTEST_MAIN(TestFeedback)
#include "tst_feedback.moc"
