#include "uilanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QPointer>
#include <QStringList>
#include <QTranslator>

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

Q_LOGGING_CATEGORY(lcLanguage, "sonvera.language")

// A locale or language name of `code` ("zh", "zh_CN.UTF-8", "zh-Hans",
// "en@quot"), but not of a language whose code merely starts alike.
bool isLanguage(QStringView name, QStringView code)
{
    if (!name.startsWith(code, Qt::CaseInsensitive))
        return false;
    if (name.size() == code.size())
        return true;
    const QChar next = name[code.size()];
    return next == u'_' || next == u'-' || next == u'.' || next == u'@';
}

std::optional<UiLanguage> named(QStringView name)
{
    if (isLanguage(name, u"zh"))
        return UiLanguage::Chinese;
    if (isLanguage(name, u"en"))
        return UiLanguage::English;
    return std::nullopt;
}

// The C locale is what a system without a configured language runs under
// (servers, scripts, containers): the texts stay the source's.
bool isCLocale(QStringView name)
{
    return name.isEmpty() || name == u"C" || name == u"POSIX" || name.startsWith(u"C.");
}

} // namespace

LanguageEnvironment LanguageEnvironment::current()
{
    return {qEnvironmentVariable("SONVERA_LANG"), qEnvironmentVariable("LC_ALL"),
            qEnvironmentVariable("LC_MESSAGES"), qEnvironmentVariable("LANG"), qEnvironmentVariable("LANGUAGE")};
}

UiLanguage chooseUiLanguage(const LanguageEnvironment &environment, LanguageOption option)
{
    if (const std::optional<UiLanguage> forced = named(environment.sonveraLang.trimmed()))
        return *forced;
    if (option == LanguageOption::Chinese)
        return UiLanguage::Chinese;
    if (option == LanguageOption::English)
        return UiLanguage::English;

    // As gettext reads them: the first variable that is set decides, and an
    // empty one counts as unset.
    QString locale = environment.lcAll;
    if (locale.isEmpty())
        locale = environment.lcMessages;
    if (locale.isEmpty())
        locale = environment.lang;
    if (isCLocale(locale))
        return UiLanguage::Chinese;
    const QStringList preferred = environment.language.split(u':', Qt::SkipEmptyParts);
    for (const QString &entry : preferred) {
        if (const std::optional<UiLanguage> language = named(entry))
            return *language;
    }
    return named(locale).value_or(UiLanguage::English);
}

namespace {
UiLanguage g_installedLanguage = UiLanguage::Chinese;
} // namespace

void prepareSystemLocale(UiLanguage language)
{
    // LC_ALL, when set, is left as the user set it.
    if (!qEnvironmentVariableIsEmpty("LC_ALL"))
        return;
    for (const char *category : {"LC_MESSAGES", "LC_TIME", "LC_NUMERIC"}) {
        QString current = qEnvironmentVariable(category);
        if (current.isEmpty())
            current = qEnvironmentVariable("LANG");
        if (named(current) != language)
            qputenv(category, language == UiLanguage::English ? "en_US.UTF-8" : "zh_CN.UTF-8");
    }
}

UiLanguage installedUiLanguage()
{
    return g_installedLanguage;
}

bool installTranslations(UiLanguage language)
{
    // The texts of the language are asked for from now on, whether or not its translation loads.
    g_installedLanguage = language;
    // What Qt formats with the default locale (the kinds of files its dialog names) follows.
    const QLocale wanted = language == UiLanguage::English ? QLocale(QLocale::English, QLocale::UnitedStates)
                                                           : QLocale(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(QLocale::system().language() == wanted.language() ? QLocale::system() : wanted);
    // Those of an earlier call give way: one language at a time.
    static QList<QPointer<QTranslator>> installed;
    for (const QPointer<QTranslator> &old : std::as_const(installed)) {
        if (old) {
            QCoreApplication::removeTranslator(old);
            delete old.data();
        }
    }
    installed.clear();

    auto *translator = new QTranslator(QCoreApplication::instance());
    bool loaded = false;
    if (language == UiLanguage::English) {
        loaded = translator->load(u":/i18n/sonvera_en.qm"_s);
    } else {
        // Qt's own texts: the buttons and titles of its dialogs and message
        // boxes, and the few its translation lacks, from ours.
        loaded = translator->load(QLocale(QLocale::Chinese, QLocale::China), u"qtbase"_s, u"_"_s,
                                  QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        auto *supplement = new QTranslator(QCoreApplication::instance());
        if (supplement->load(u":/i18n/qt_supplement_zh_CN.qm"_s)) {
            QCoreApplication::installTranslator(supplement);
            installed << supplement;
        } else {
            delete supplement;
        }
    }
    if (!loaded) {
        qCWarning(lcLanguage) << (language == UiLanguage::English
                                      ? "the English translation is missing from the program"
                                      : "Qt's Chinese translation (qtbase_zh_CN.qm) was not found; "
                                        "install the Debian package qt6-translations-l10n");
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed << translator;
    return true;
}

QString helpFileName(UiLanguage language)
{
    return language == UiLanguage::English ? u"help_en.html"_s : u"help.html"_s;
}

} // namespace sonvera
