#include "apppaths.h"
#include "chromeicon.h"
#include "desktop.h"
#include "mainwindow.h"
#include "settingsstore.h"
#include "singleinstance.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

namespace {

QStringList absolutePaths(const QStringList &paths)
{
    QStringList out;
    for (const QString &path : paths)
        out << QFileInfo(path).absoluteFilePath();
    return out;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Sonvera"_s);
    QApplication::setApplicationVersion(QStringLiteral(SONVERA_VERSION));
    QGuiApplication::setDesktopFileName(u"app.sonvera.Sonvera"_s);

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
    const QStringList paths = absolutePaths(parser.positionalArguments());

    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString workFolder = PrepareWorkFolder(DefaultWorkFolderPath());

    // One copy per user: a second launch hands its files to the first and ends.
    SingleInstance instance(workFolder, SingleInstance::defaultKey());
    if (!parser.isSet(screenshot) && !instance.claim()) {
        instance.forward(paths);
        return 0;
    }

    applySkin(app);

    const std::unique_ptr<Desktop> desktop = makeSystemDesktop();
    ShellContext context;
    context.programFolder = programFolder;
    context.workFolder = workFolder;
    context.location = locateSettings(programFolder);
    context.desktop = desktop.get();
    MainWindow window(context);
    QObject::connect(&instance, &SingleInstance::pathsReceived, &window, [&window](const QStringList &received) {
        window.addPaths(received);
        window.showNormal();
        window.raise();
        window.activateWindow();
    });
    window.addPaths(paths);
    window.show();

    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        QTimer::singleShot(1000, &window, [&window, file] {
            const bool saved = window.grab().save(file);
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}
