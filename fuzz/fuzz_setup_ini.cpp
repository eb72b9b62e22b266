// setup.ini as the program finds it at start-up: written by any version of
// the program, edited by hand, or damaged.
#include "fuzzsupport.h"
#include "settingsstore.h"
#include "settingstext.h"

#include <QFile>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

namespace {
QTemporaryDir *folder = nullptr;
const QString kDefaultFolder = u"/home/user/Videos/Sonvera"_s;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::initialise();
    folder = new QTemporaryDir;
    fuzz::require(folder->isValid(), "a scratch folder can be made");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const SettingsStore store(folder->path());
    QFile file(store.setupPath());
    fuzz::require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the scratch file can be written");
    file.write(fuzz::bytesOf(data, size));
    file.close();

    const ConversionSettings defaults = ConversionSettings::startupDefaults(kDefaultFolder);
    ConversionSettings loaded = defaults;
    store.loadSetup(loaded, kDefaultFolder);
    fuzz::require(!loaded.outputFolder.isEmpty(), "there is always an output folder");

    // Exit saves what start-up read (SettingsStore::saveSetup writes these
    // bytes); the next start reads it back unchanged, but for a folder that a
    // quoted line cannot hold, which becomes the default.
    ConversionSettings reloaded = defaults;
    SettingsText::applySetup(SettingsText::lines(SettingsText::decode(SettingsText::formatSetup(loaded))), reloaded,
                             kDefaultFolder);
    if (loaded.outputFolder.contains(u'"'))
        loaded.outputFolder = kDefaultFolder;
    fuzz::require(reloaded == loaded, "settings saved at exit come back the same at the next start");
    return 0;
}
