#pragma once

#include <QString>

namespace sonvera {

// The two languages of the user interface. The source texts in the code are
// the Chinese ones; the English comes from translations/sonvera_en.ts,
// compiled into both programs.
enum class UiLanguage { Chinese, English };

// The option 界面语言 of the options dialog (自动 / 中文 / English), stored in
// preferences.ini.
enum class LanguageOption { Automatic, Chinese, English };

// What the language is chosen from: the environment variables, as given.
struct LanguageEnvironment {
    QString sonveraLang; // SONVERA_LANG: "zh" or "en" (or a locale name of either); any other value is ignored
    QString lcAll;       // LC_ALL
    QString lcMessages;  // LC_MESSAGES
    QString lang;        // LANG
    QString language;    // LANGUAGE: gettext's list of preferred languages, "de:en"; ignored under the C locale

    // This process's own environment.
    static LanguageEnvironment current();
};

// The language of the user interface, decided in this order:
//  1. SONVERA_LANG, when it names Chinese or English;
//  2. `option`, when it is not Automatic (the window's option; the CLI has none);
//  3. the locale of messages, the first of LC_ALL, LC_MESSAGES and LANG that is
//     set: Chinese for the C and POSIX locales (and none at all); otherwise the
//     first Chinese or English entry of LANGUAGE, else the locale itself:
//     Chinese for zh*, English for every other language.
UiLanguage chooseUiLanguage(const LanguageEnvironment &environment,
                            LanguageOption option = LanguageOption::Automatic);

// Qt's file dialog writes dates and sizes in the system locale, which Qt
// reads from the environment once, when the application is made. Points the
// locale categories of messages, dates and numbers that do not speak
// `language` (the C locale, an English window on a Chinese desktop) at a
// locale that does; the programs it starts inherit them. Call it before the
// QApplication is made; LC_ALL, when set, is left alone.
void prepareSystemLocale(UiLanguage language);

// Installs the translations of `language` on the running application, in
// place of those an earlier call installed: ours for English; Qt's own
// Chinese for Chinese, so that Qt's dialogs and buttons speak the window's
// language. Call it before any text is set: widgets look their texts up when
// they are built. Returns false (after a log line) when a
// translation could not be loaded; the texts then stay the source's.
bool installTranslations(UiLanguage language);
// The language installTranslations() was last asked for; Chinese, the
// source's, before any call. For the few places that show one of two
// controls by language.
UiLanguage installedUiLanguage();

// The user guide of `language`, a file of the program folder.
QString helpFileName(UiLanguage language);

} // namespace sonvera
