#include "preferences.h"

#include "joblimits.h"
#include "settingsfile.h"
#include "settingslog.h"
#include "settingstext.h"

#include <QSettings>
#include <QThread>

#include <algorithm>
#include <array>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {
const QString kJobs = u"conversion/parallelJobs"_s;
const QString kAfterBatch = u"conversion/afterBatch"_s;
const QString kLanguage = u"interface/language"_s;
const QString kLastFolder = u"dialogs/lastFolder"_s;
// Each choice with its key; a value that is not a boolean keeps the default.
struct ChoiceKey {
    QString key;
    bool ConversionChoices::*member;
};
const std::array<ChoiceKey, 4> kChoiceKeys{{
    {u"conversion/direct"_s, &ConversionChoices::direct},
    {u"conversion/remux"_s, &ConversionChoices::remux},
    {u"conversion/keepDates"_s, &ConversionChoices::keepDates},
    {u"conversion/keepTree"_s, &ConversionChoices::keepTree},
}};
// A few short lines; anything much larger is not a file we wrote.
constexpr qint64 kMaxFileBytes = 64 * 1024;

QString afterBatchName(AfterBatchAction action)
{
    switch (action) {
    case AfterBatchAction::PowerOff: return u"poweroff"_s;
    case AfterBatchAction::Suspend: return u"suspend"_s;
    case AfterBatchAction::None: break;
    }
    return u"none"_s;
}

QString languageName(LanguageOption option)
{
    switch (option) {
    case LanguageOption::Chinese: return u"zh"_s;
    case LanguageOption::English: return u"en"_s;
    case LanguageOption::Automatic: break;
    }
    return u"auto"_s;
}
} // namespace

int Preferences::effectiveJobs() const
{
    return parallelJobs > 0 ? parallelJobs : std::max(QThread::idealThreadCount(), 1);
}

QString Preferences::pathIn(const QString &settingsFolder)
{
    return settingsFolder + u"/preferences.ini"_s;
}

Preferences Preferences::load(const QString &settingsFolder)
{
    Preferences preferences;
    // QSettings would open a FIFO or a device and wait on it: only a regular
    // file of a sane size is handed to it.
    const std::optional<SettingsFileBytes> bytes = readSettingsFile(pathIn(settingsFolder), kMaxFileBytes);
    if (!bytes)
        return preferences;
    if (!bytes->whole) {
        qCWarning(lcSettings) << "preferences.ini is too large to be ours; the defaults are used";
        return preferences;
    }
    const QSettings file(pathIn(settingsFolder), QSettings::IniFormat);
    bool ok = false;
    const int jobs = file.value(kJobs, preferences.parallelJobs).toInt(&ok);
    if (ok && jobs >= 0 && jobs <= kMostParallelJobs)
        preferences.parallelJobs = jobs;
    const QString after = file.value(kAfterBatch).toString();
    for (AfterBatchAction action : {AfterBatchAction::PowerOff, AfterBatchAction::Suspend}) {
        if (after == afterBatchName(action))
            preferences.afterBatch = action;
    }
    const QString language = file.value(kLanguage).toString();
    for (LanguageOption option : {LanguageOption::Chinese, LanguageOption::English}) {
        if (language == languageName(option))
            preferences.language = option;
    }
    // Only a folder a dialog can have given: an absolute path without control characters.
    const QString folder = file.value(kLastFolder).toString();
    if (folder.startsWith(u'/') && !SettingsText::holdsControlCharacters(folder))
        preferences.lastFolder = folder;
    for (const ChoiceKey &choice : kChoiceKeys) {
        const QString value = file.value(choice.key).toString();
        if (value == u"true" || value == u"false")
            preferences.choices.*choice.member = value == u"true";
    }
    return preferences;
}

bool Preferences::save(const QString &settingsFolder) const
{
    // QSettings reads the file it replaces first.
    if (!makeWayForSettingsFile(pathIn(settingsFolder)))
        return false;
    QSettings file(pathIn(settingsFolder), QSettings::IniFormat);
    file.setValue(kJobs, parallelJobs);
    file.setValue(kAfterBatch, afterBatchName(afterBatch));
    file.setValue(kLanguage, languageName(language));
    if (lastFolder.isEmpty())
        file.remove(kLastFolder);
    else
        file.setValue(kLastFolder, lastFolder);
    for (const ChoiceKey &choice : kChoiceKeys)
        file.setValue(choice.key, choices.*choice.member);
    file.sync();
    // A format error tells of the old file's lines, which this write has replaced.
    if (file.status() == QSettings::AccessError) {
        qCWarning(lcSettings) << "cannot write" << pathIn(settingsFolder);
        return false;
    }
    return true;
}

} // namespace sonvera
