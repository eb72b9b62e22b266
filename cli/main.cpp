#include "clioptions.h"
#include "clirunner.h"
#include "pathtext.h"
#include "settingsstore.h"
#include "stopsignals.h"
#include "uilanguage.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"sonvera-cli"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(SONVERA_VERSION));
    // Before any text is made: SONVERA_LANG, else the locale, as the window chooses.
    installTranslations(chooseUiLanguage(LanguageEnvironment::current()));

    const QString programFolder = QCoreApplication::applicationDirPath();
    // Each argument's own bytes survive parsing, even when they are not UTF-8.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << nativeToEscaped(QByteArray(argv[i]));
    CliParseResult parsed = parseCliArguments(arguments, defaultOutputFolder(programFolder));
    if (!parsed.options) {
        QTextStream(parsed.exitCode == 0 ? stdout : stderr) << parsed.message << Qt::endl;
        return parsed.exitCode;
    }

    const bool dryRun = parsed.options->dryRun;
    CliRunner runner(std::move(*parsed.options), programFolder);
    if (!runner.collectInputs())
        return CliRunner::UsageOrNoInput;
    if (dryRun)
        return runner.dryRun();

    // Ctrl-C and a plain kill stop the batch the way the window's Stop does,
    // so no half-written output is left behind.
    StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &runner, [&runner] { runner.interrupt(); });
    QObject::connect(&runner, &CliRunner::finished, &app, [](int status) { QCoreApplication::exit(status); });
    runner.start();
    return QCoreApplication::exec();
}
