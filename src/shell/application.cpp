#include "application.h"

#include "apppaths.h"
#include "nativepath.h"
#include "chromeicon.h"
#include "desktop.h"
#include "busconnector.h"
#include "desktopbatchsession.h"
#include "mainwindow.h"
#include "preferences.h"
#include "settingsstore.h"
#include "singleinstance.h"
#include "stopsignals.h"
#include "uilanguage.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

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
        // Made absolute here: the copy that receives them may work elsewhere.
        out << NativePath(from < argc ? QByteArray(argv[from]) : QFile::encodeName(wanted)).absolute().bytes();
        ++from;
    }
    return out;
}

// On X11 Qt's own platform code (its theme, the accessibility bridge) asks
// the session bus on the GUI thread, and a bus that accepts and never answers
// holds it, and the window, for ever. So the bus is asked first, briefly;
// one that does not answer is left out for this process: an address that
// fails at once (libdbus knows no "disabled" transport), where an unset one
// would fall back to $XDG_RUNTIME_DIR/bus, the same silent bus. The window
// then goes without notifications and launcher progress, as without a bus.
void leaveSilentSessionBus()
{
    constexpr int kStartupBusAnswerMs = 1000;
    const QString address = BusConnector::addressOf(BusConnector::Bus::Session);
    if (!address.isEmpty() && !BusConnector::answersWithin(address, kStartupBusAnswerMs)) {
        std::fprintf(stderr, "sonvera: the session bus does not answer; going on without it\n");
        ::setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    }
}

int runWindowProgram(int argc, char *argv[], const std::function<void(MainWindow &)> &started)
{
    // The language first, before the application reads the system locale:
    // every text is looked up when it is set, and the dates and sizes of
    // Qt's dialogs speak the same language. The option lives beside the
    // other settings of this copy, in the folder of the executable.
    const QString programFolder = QFileInfo(u"/proc/self/exe"_s).canonicalFilePath().section(u'/', 0, -2);
    const SettingsLocation location = locateSettings(programFolder);
    const UiLanguage language =
        chooseUiLanguage(LanguageEnvironment::current(), Preferences::load(location.settingsFolder).language);
    prepareSystemLocale(language);
    leaveSilentSessionBus();

    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Sonvera"_s);
    QApplication::setApplicationVersion(QStringLiteral(SONVERA_VERSION));
    QGuiApplication::setDesktopFileName(u"app.sonvera.Sonvera"_s);
    // The program ends when the main window has closed, and only then: a
    // close during a batch first waits for its encoder to stop.
    QApplication::setQuitOnLastWindowClosed(false);
    installTranslations(language);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate("sonvera::Application", "Sonvera，批量视频转换工具。"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        u"FILE|FOLDER"_s,
        QCoreApplication::translate("sonvera::Application", "要加入列表的文件；文件夹会被搜索其中的 .flv 文件。"),
        u"[FILE|FOLDER...]"_s);
    parser.process(app);
    const QByteArrayList paths = rawPaths(argc, argv, QCoreApplication::arguments(), parser.positionalArguments());

    // One copy per user: a second launch hands its files to the first and ends.
    SingleInstance instance;
    if (!instance.claim()) {
        const QString failure = instance.forward(paths);
        if (failure.isEmpty())
            return 0;
        const QString message =
            QCoreApplication::translate("sonvera::Application",
                                        "sonvera: 另一个 Sonvera 正在运行，但它没有接收这些文件：%1\n"
                                        "请关闭另一个 Sonvera（或者结束它：pkill -x sonvera），然后重新启动 Sonvera。\n")
                .arg(failure);
        std::fputs(message.toLocal8Bit().constData(), stderr);
        return 1;
    }

    applySkin(app);

    const std::unique_ptr<Desktop> desktop = makeSystemDesktop();
    ShellContext context;
    context.programFolder = programFolder;
    context.workFolder = prepareWorkFolder(defaultWorkFolderPath());
    context.location = location;
    context.language = language;
    context.desktop = desktop.get();
    // The desktop's buses are reached in the background from now on, before
    // any batch; a bus that does not answer holds nothing up.
    DesktopBatchSession session;
    context.session = &session;
    MainWindow window(context);
    QObject::connect(&window, &MainWindow::closed, &app, &QCoreApplication::quit);
    // Logging out: the settings are saved first, whatever ends the program
    // then, and a close asks nothing.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, [&window] {
        window.controller().saveSettings();
        window.setAskBeforeClosing(false);
    });
    QObject::connect(&instance, &SingleInstance::pathsReceived, &window, [&window](const QByteArrayList &received) {
        window.addPaths(received);
        window.showNormal();
        window.raise();
        window.activateWindow();
    });
    // A plain kill, Ctrl-C in the terminal or a closed session: a close that asks nothing.
    StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &window, [&window] {
        window.setAskBeforeClosing(false);
        window.close();
    });

    window.show();
    window.startUp(paths);
    if (started)
        QTimer::singleShot(0, &window, [&window, started] { started(window); });

    return QApplication::exec();
}

} // namespace

int runApplication(int argc, char *argv[], const std::function<void(MainWindow &)> &started)
{
    const int status = runWindowProgram(argc, argv, started);
    // Everything of ours has ended. A D-Bus connect still waiting on its
    // thread for a bus that stalled would keep QtDBus from ever letting the
    // process end: end it without waiting.
    if (BusConnector::anyConnectPending()) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}

} // namespace sonvera
