#pragma once

#include "settingsstore.h"
#include "uilanguage.h"

#include <QString>

namespace sonvera {

class Desktop;
class DesktopBatchSession;
class DialogBackend;

// What the window and its batch controller need from their surroundings;
// passed in so that tests can supply their own folders, desktop and dialogs.
struct ShellContext {
    QString programFolder;            // folder of the executable, no trailing "/"
    QString workFolder;               // the private work folder
    SettingsLocation location;        // settings folder and default output folder
    Desktop *desktop = nullptr;       // not owned; required
    DialogBackend *dialogs = nullptr; // not owned; nullptr: Qt's dialogs
    // Not owned; nullptr: the desktop hears nothing of the batches (no
    // notification, launcher progress, sleep inhibitor or after-batch action).
    DesktopBatchSession *session = nullptr;
    UiLanguage language = UiLanguage::Chinese; // of the texts; chooses the user guide
};

} // namespace sonvera
