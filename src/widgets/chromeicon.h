#pragma once

#include <QByteArray>
#include <QIcon>
#include <QString>

class QApplication;

namespace sonvera {

// The colours a chrome picture is drawn in; "none" for no fill.
struct ChromeColours {
    const char *fg;
    const char *bg;
};

namespace ChromePalette {
inline constexpr ChromeColours kNormal{"#3a5a86", "none"};
inline constexpr ChromeColours kLight{"#0a6cff", "#dbe9ff"};
inline constexpr ChromeColours kDark{"#0848a8", "#b7d0f5"};
inline constexpr ChromeColours kDisabled{"#aab4c2", "none"};
// For pictures on the dark title band.
inline constexpr ChromeColours kOnDark{"#e8f0fb", "none"};
} // namespace ChromePalette

// The SVG source of ":/icons/<name>.svg" with its "FG" and "BG" colours filled in.
QByteArray chromeSvg(const QString &name, ChromeColours colours);

// An icon drawn from ":/icons/<name>.svg" at whatever size and scale it is
// shown: normal, active (hover) and disabled colours.
QIcon chromeIcon(const QString &name);

// Puts Sonvera's skin (":/style/sonvera.qss") on the whole application.
void applySkin(QApplication &app);

} // namespace sonvera
