#include "settingsstore.h"

#include "settingsfile.h"
#include "settingslog.h"
#include "settingstext.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

Q_LOGGING_CATEGORY(lcSettings, "sonvera.settings")

namespace {

// Far more than five short lines ever need; a stray huge file is not read whole.
constexpr qint64 kMaxFileBytes = 64 * 1024;

// The lines of a settings file; empty when it is missing or cannot be read.
QStringList readLines(const QString &path)
{
    std::optional<SettingsFileBytes> file = readSettingsFile(path, kMaxFileBytes);
    if (!file)
        return {};
    if (!file->whole) {
        // Keep whole lines only, so that a character cut in two cannot make
        // the text look like another encoding.
        file->bytes.truncate(file->bytes.lastIndexOf('\n') + 1);
    }
    return SettingsText::lines(SettingsText::decode(file->bytes));
}

} // namespace

SettingsLocation locateSettings(const QString &programFolder, bool programFolderWritable)
{
    if (programFolderWritable)
        return {programFolder, programFolder + u"/output"_s};

    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        config = QDir::homePath() + u"/.config"_s;
    QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    if (videos.isEmpty())
        videos = QDir::homePath() + u"/Videos"_s;
    return {config + u"/Sonvera"_s, videos + u"/Sonvera"_s};
}

SettingsLocation locateSettings(const QString &programFolder)
{
    return locateSettings(programFolder, isFolderWritable(programFolder));
}

QString defaultOutputFolder(const QString &programFolder)
{
    return locateSettings(programFolder).defaultOutputFolder;
}

bool isFolderWritable(const QString &folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

SettingsStore::SettingsStore(QString settingsFolder)
    : m_folder(std::move(settingsFolder))
{
}

QString SettingsStore::setupPath() const
{
    return m_folder + u"/setup.ini"_s;
}

QString SettingsStore::optionsPath() const
{
    return m_folder + u"/options.ini"_s;
}

void SettingsStore::loadSetup(ConversionSettings &settings, const QString &defaultOutputFolder) const
{
    SettingsText::applySetup(readLines(setupPath()), settings, defaultOutputFolder);
}

bool SettingsStore::saveSetup(const ConversionSettings &settings) const
{
    return writeSettingsFile(setupPath(), SettingsText::formatSetup(settings));
}

AppOptions SettingsStore::loadOptions() const
{
    AppOptions options;
    SettingsText::applyOptions(readLines(optionsPath()), options);
    return options;
}

bool SettingsStore::saveOptions(const AppOptions &options) const
{
    return writeSettingsFile(optionsPath(), SettingsText::formatOptions(options));
}

} // namespace sonvera
