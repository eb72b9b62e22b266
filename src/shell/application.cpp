#include "application.h"

#include "apppaths.h"
#include "chromeicon.h"
#include "desktop.h"
#include "desktopbatchsession.h"
#include "mainwindow.h"
#include "settingsstore.h"
#include "singleinstance.h"
#include "stopsignals.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

// The positional arguments as the file system spells them: argv's own bytes,
// which a name that is not UTF-8 keeps, made absolute.
QByteArrayList rawPaths(int argc, char *argv[], const QStringList &arguments, const QStringList &positional)
{
    QByteArrayList out;
    qsizetype from = 1;
    for (const QString &wanted : positional) {
        while (from < arguments.size() && arguments.at(from) != wanted)
            ++from;
        QByteArray path = from < argc ? QByteArray(argv[from]) : QFile::encodeName(wanted);
        ++from;
        if (!path.startsWith('/'))
            path = QFile::encodeName(QDir::currentPath()) + '/' + path;
        out << path;
    }
    return out;
}

} // namespace

int runApplication(int argc, char *argv[], const std::function<void(MainWindow &)> &started)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Sonvera"_s);
    QApplication::setApplicationVersion(QStringLiteral(SONVERA_VERSION));
    QGuiApplication::setDesktopFileName(u"app.sonvera.Sonvera"_s);
    // The program ends when the main window has closed, and only then: a
    // close during a batch first waits for its encoder to stop.
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Sonvera, the batch media converter."_s);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(u"FILE|FOLDER"_s, u"Files to add to the list; folders are searched for .flv files."_s,
                                 u"[FILE|FOLDER...]"_s);
    // Writes a picture of the window and ends: for the README's screenshot.
    QCommandLineOption screenshot(u"screenshot"_s, u"Save a picture of the window to FILE and quit."_s, u"FILE"_s);
    screenshot.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(screenshot);
    parser.process(app);
    const QByteArrayList paths = rawPaths(argc, argv, QCoreApplication::arguments(), parser.positionalArguments());

    // One copy per user: a second launch hands its files to the first and ends.
    SingleInstance instance;
    if (!parser.isSet(screenshot) && !instance.claim()) {
        const QString failure = instance.forward(paths);
        if (failure.isEmpty())
            return 0;
        std::fprintf(stderr,
                     "sonvera: another copy of Sonvera is running, but it did not take the files: %s\n"
                     "Close the other copy (or end it: pkill -x sonvera) and start Sonvera again.\n",
                     qPrintable(failure));
        return 1;
    }

    applySkin(app);

    const QString programFolder = QCoreApplication::applicationDirPath();
    const std::unique_ptr<Desktop> desktop = makeSystemDesktop();
    ShellContext context;
    context.programFolder = programFolder;
    context.workFolder = prepareWorkFolder(defaultWorkFolderPath());
    context.location = locateSettings(programFolder);
    context.desktop = desktop.get();
    // The desktop's buses are reached now, before any batch, so that no call
    // during a batch waits for a connection.
    DesktopBatchSession session;
    context.session = &session;
    MainWindow window(context);
    QObject::connect(&window, &MainWindow::closed, &app, &QCoreApplication::quit);
    QObject::connect(&instance, &SingleInstance::pathsReceived, &window, [&window](const QByteArrayList &received) {
        window.addPaths(received);
        window.showNormal();
        window.raise();
        window.activateWindow();
    });
    // A plain kill, Ctrl-C in the terminal or a closed session: a close.
    StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &window, [&window] { window.close(); });

    window.show();
    window.startUp(paths);
    if (started)
        QTimer::singleShot(0, &window, [&window, started] { started(window); });

    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        QTimer::singleShot(1000, &window, [&window, file] {
            const bool saved = window.grab().save(file);
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}

} // namespace sonvera
