#include "clioptions.h"
#include "clirunner.h"
#include "settingsstore.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

// Ctrl-C and a plain kill stop the batch the way the window's Stop does, so
// no half-written output is left behind.
void watchSignals(CliRunner &runner)
{
    if (::pipe(g_signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &runner);
    QObject::connect(notifier, &QSocketNotifier::activated, &runner, [&runner] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &byte, 1);
        runner.interrupt();
    });
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        std::signal(sig, onSignal);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"sonvera-cli"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(SONVERA_VERSION));

    const QString programFolder = QCoreApplication::applicationDirPath();
    CliParseResult parsed = ParseCliArguments(QCoreApplication::arguments(), defaultOutputFolder(programFolder));
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

    watchSignals(runner);
    QObject::connect(&runner, &CliRunner::finished, &app, [](int status) { QCoreApplication::exit(status); });
    runner.start();
    return QCoreApplication::exec();
}
