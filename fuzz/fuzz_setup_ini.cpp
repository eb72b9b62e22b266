// setup.ini as the program finds it at start-up: written by any version of
// the program, edited by hand, or damaged.
#include "fuzzsupport.h"
#include "settingsstore.h"
#include "settingstext.h"

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QString defaultFolder = u"/home/user/Videos/Sonvera"_s;
    const SettingsStore store(fuzz::scratchFolder());
    fuzz::writeFile(store.setupPath(), fuzz::bytesOf(data, size));

    const ConversionSettings defaults = ConversionSettings::startupDefaults(defaultFolder);
    ConversionSettings loaded = defaults;
    store.loadSetup(loaded, defaultFolder);
    fuzz::require(!loaded.outputFolder.isEmpty(), "there is always an output folder");

    // Exit saves what start-up read (SettingsStore::saveSetup writes these
    // bytes); the next start reads it back unchanged, but for a folder that a
    // quoted line cannot hold, which becomes the default.
    ConversionSettings reloaded = defaults;
    SettingsText::applySetup(SettingsText::lines(SettingsText::decode(SettingsText::formatSetup(loaded))), reloaded,
                             defaultFolder);
    if (loaded.outputFolder.contains(u'"'))
        loaded.outputFolder = defaultFolder;
    fuzz::require(reloaded == loaded, "settings saved at exit come back the same at the next start");
    return 0;
}
