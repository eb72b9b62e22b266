#include "desktop.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace sonvera {

namespace {

class SystemDesktop final : public Desktop {
public:
    bool openFolder(const QString &folder) override
    {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
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
