#pragma once

#include "appoptions.h"
#include "conversionsettings.h"

#include <QString>

namespace sonvera {

// Where the settings files live and which folder an empty output folder text
// means. Decided once at start-up; loading and saving both use the result.
struct SettingsLocation {
    QString settingsFolder;      // holds setup.ini and options.ini; no trailing "/"
    QString defaultOutputFolder; // no trailing "/"

    friend bool operator==(const SettingsLocation &, const SettingsLocation &) = default;
};

// A portable copy (its program folder is writable, as in the build tree) keeps
// everything in the program folder: the files beside the executable, output in
// "<program folder>/output". An installed copy whose folder is not writable
// keeps the files in "<config home>/Sonvera" (~/.config/Sonvera) and writes
// output to "<Videos folder>/Sonvera".
SettingsLocation locateSettings(const QString &programFolder);
SettingsLocation locateSettings(const QString &programFolder, bool programFolderWritable);

// locateSettings(programFolder).defaultOutputFolder.
QString defaultOutputFolder(const QString &programFolder);

// Whether this user may create files in `folder` (permissions, read-only mounts).
bool isFolderWritable(const QString &folder);

// Reads and writes setup.ini and options.ini in one folder. Loading changes
// only what a file can give: a missing, short or unreadable file leaves the
// rest as it was. Saving replaces a file atomically, so a failed write keeps
// the previous file whole; failures are logged and returned, never shown,
// because the Exit command and the options dialog go on regardless.
class SettingsStore final {
public:
    explicit SettingsStore(QString settingsFolder);

    QString settingsFolder() const { return m_folder; }
    QString setupPath() const;
    QString optionsPath() const;

    // Applies setup.ini over `settings` (see SettingsText::applySetup), then
    // an empty output folder becomes `defaultOutputFolder`, also when there is
    // no file.
    void loadSetup(ConversionSettings &settings, const QString &defaultOutputFolder) const;
    bool saveSetup(const ConversionSettings &settings) const;

    // The options of options.ini; the defaults (sound on, cutter off, 0 to 0)
    // for whatever the file cannot give.
    AppOptions loadOptions() const;
    bool saveOptions(const AppOptions &options) const;

private:
    QString m_folder;
};

} // namespace sonvera
