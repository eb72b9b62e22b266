// options.ini as the program finds it at start-up.
#include "fuzzsupport.h"
#include "settingsstore.h"
#include "settingstext.h"

#include <QFile>
#include <QTemporaryDir>

using namespace sonvera;

namespace {
QTemporaryDir *folder = nullptr;
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
    QFile file(store.optionsPath());
    fuzz::require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the scratch file can be written");
    file.write(fuzz::bytesOf(data, size));
    file.close();

    const AppOptions loaded = store.loadOptions();
    // What SettingsStore::saveOptions writes at exit, the next start reads back.
    AppOptions reloaded;
    SettingsText::applyOptions(SettingsText::lines(SettingsText::decode(SettingsText::formatOptions(loaded))),
                               reloaded);
    fuzz::require(reloaded == loaded, "options saved at exit come back the same at the next start");
    return 0;
}
