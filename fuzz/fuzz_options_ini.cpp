// options.ini as the program finds it at start-up.
#include "fuzzsupport.h"
#include "settingsstore.h"
#include "settingstext.h"

using namespace sonvera;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const SettingsStore store(fuzz::scratchFolder());
    fuzz::writeFile(store.optionsPath(), fuzz::bytesOf(data, size));
    const AppOptions loaded = store.loadOptions();

    // What SettingsStore::saveOptions writes at exit, the next start reads back.
    AppOptions reloaded;
    SettingsText::applyOptions(SettingsText::lines(SettingsText::decode(SettingsText::formatOptions(loaded))),
                               reloaded);
    fuzz::require(reloaded == loaded, "options saved at exit come back the same at the next start");
    return 0;
}
