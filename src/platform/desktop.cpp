#include "desktop.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace sonvera {

namespace {

const QString kFileManager = QStringLiteral("org.freedesktop.FileManager1");
// Each question to the bus waits this long at most: the window must not.
constexpr int kBusQuestionMs = 25;

// Whether the session bus has a file manager that selects files (Nautilus,
// Dolphin, Nemo, Thunar and others offer one), running or startable.
bool fileManagerOnBus(QDBusConnection &bus)
{
    const auto ask = [&bus](const QString &method, const QVariantList &arguments) {
        QDBusMessage question = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), method);
        question.setArguments(arguments);
        const QDBusMessage reply = bus.call(question, QDBus::Block, kBusQuestionMs);
        return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0) : QVariant();
    };
    return ask(QStringLiteral("NameHasOwner"), {kFileManager}).toBool()
        || ask(QStringLiteral("ListActivatableNames"), {}).toStringList().contains(kFileManager);
}

class SystemDesktop final : public Desktop {
public:
    bool openFolder(const QString &folder) override
    {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    }

    bool showInFolder(const QString &file) override
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (bus.isConnected() && fileManagerOnBus(bus)) {
            QDBusMessage show = QDBusMessage::createMethodCall(kFileManager, QStringLiteral("/org/freedesktop/FileManager1"),
                                                               kFileManager, QStringLiteral("ShowItems"));
            show.setArguments({QStringList{QString::fromUtf8(QUrl::fromLocalFile(file).toEncoded())}, QString()});
            // Not waited for: the file manager may take a while to start.
            if (bus.send(show))
                return true;
        }
        return openFolder(QFileInfo(file).absolutePath());
    }

    bool openFile(const QString &path) override
    {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }

    bool openUrl(const QString &url) override
    {
        return QDesktopServices::openUrl(QUrl(url));
    }

    void playSound(const QString &wavPath) override
    {
        if (!QFileInfo::exists(wavPath))
            return;
        // Made on first use: the audio back end costs start-up time.
        if (!m_effect)
            m_effect = std::make_unique<QSoundEffect>();
        m_effect->setSource(QUrl::fromLocalFile(wavPath));
        m_effect->play();
    }

private:
    std::unique_ptr<QSoundEffect> m_effect;
};

} // namespace

std::unique_ptr<Desktop> makeSystemDesktop()
{
    return std::make_unique<SystemDesktop>();
}

} // namespace sonvera
