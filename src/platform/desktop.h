#pragma once

#include <QString>

#include <memory>

namespace sonvera {

// The desktop services the window uses, behind one interface so that tests
// can stand in for the desktop: nothing opens or plays while tests run.
//
// The open methods return false when nothing on this computer could be asked
// to open the thing (no xdg-open, no desktop's own opener), so that the
// window can say so and show where it is; true once an opener was started.
class Desktop {
public:
    virtual ~Desktop() = default;
    // Shows a folder in the file manager.
    virtual bool openFolder(const QString &folder) = 0;
    // Shows the folder that holds `file` with the file selected, where the
    // file manager offers that (org.freedesktop.FileManager1); else opens
    // the folder as openFolder() does.
    virtual bool showInFolder(const QString &file) = 0;
    // Opens a local file (the help, a converted file) or a web address in
    // its default program.
    virtual bool openFile(const QString &path) = 0;
    virtual bool openUrl(const QString &url) = 0;
    // Plays a short sound without waiting for it; silent where no sound works.
    virtual void playSound(const QString &wavPath) = 0;
};

// The real desktop: xdg-open through QDesktopServices, sound through Qt Multimedia.
std::unique_ptr<Desktop> makeSystemDesktop();

} // namespace sonvera
