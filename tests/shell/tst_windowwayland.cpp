// The window on a Wayland desktop (scripts/under-weston.sh runs this under a
// headless Weston): natively on Qt's Wayland platform, it maps, its dialogs
// are attached to it (the compositor keeps them over it);
// and the window program there ends on SIGTERM. With SONVERA_SCREENSHOT set
// to a file name, the window with its options dialog is pictured there.
#include "chromeicon.h"
#include "optionsdialog.h"
#include "windowfixture.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWindow>

#include <csignal>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

class TestWindowWayland : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        applySkin(*qApp);
        QCOMPARE(QGuiApplication::platformName(), u"wayland"_s);
    }

    void theWindowMapsAndItsDialogsAttach()
    {
        WindowFixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        const QRect screen = f.window->screen()->availableGeometry();
        QVERIFY2(f.window->width() <= screen.width() && f.window->height() <= screen.height(),
                 qPrintable(u"%1x%2"_s.arg(f.window->width()).arg(f.window->height())));

        f.trigger(WindowCommand::Options);
        auto *dialog = f.window->findChild<OptionsDialog *>();
        QVERIFY(dialog);
        const QPointer<OptionsDialog> open = dialog;
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        // A transient of the window: the compositor keeps it over the window and with it.
        QCOMPARE(dialog->windowHandle()->transientParent(), f.window->windowHandle());
        QVERIFY(dialog->height() <= screen.height());
        // (No list is opened here: Qt 6.4's Wayland client crashes opening a
        // popup on a compositor without a seat, which headless Weston is.)

        if (const QString shot = qEnvironmentVariable("SONVERA_SCREENSHOT"); !shot.isEmpty()) {
            // weston-screenshooter writes into its working folder; the file is moved after.
            QTemporaryDir folder;
            QProcess tool;
            tool.setWorkingDirectory(folder.path());
            QSignalSpy finished(&tool, &QProcess::finished);
            tool.start(u"weston-screenshooter"_s, QStringList{});
            QVERIFY(finished.wait(20000));
            const QStringList taken = QDir(folder.path()).entryList({u"*.png"_s}, QDir::Files);
            QCOMPARE(taken.size(), 1);
            QFile::remove(shot);
            QVERIFY(QFile::copy(folder.filePath(taken.first()), shot));
        }
        dialog->reject();
        QTRY_VERIFY(open.isNull());
    }

    // The window program itself: on Wayland when the desktop is, shown, and
    // ended by SIGTERM as by a session's end.
    void theWindowProgramRunsAndEndsOnSigterm()
    {
        QTemporaryDir dir;
        const QString program = dir.filePath(u"Sonvera/sonvera"_s);
        for (const char *folder : {"Sonvera", "home", "tmp"})
            QVERIFY(QDir().mkpath(dir.filePath(QString::fromLatin1(folder))));
        QVERIFY(QFile::copy(QStringLiteral(WINDOW_HARNESS_PATH), program));
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcess window;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"SONVERA_HARNESS"_s, u"idle"_s);
        env.insert(u"HOME"_s, dir.filePath(u"home"_s));
        env.insert(u"TMPDIR"_s, dir.filePath(u"tmp"_s));
        // The client's protocol log says when the compositor has configured its window.
        env.insert(u"WAYLAND_DEBUG"_s, u"client"_s);
        window.setProcessEnvironment(env);
        window.start(program, QStringList{});
        QVERIFY(window.waitForStarted());
        QByteArray said;
        QByteArray protocol; // the log's last part only: it tells every frame
        bool toplevel = false;
        bool configured = false;
        const auto mapped = [&] {
            said += window.readAllStandardOutput();
            protocol = protocol.right(200) + window.readAllStandardError();
            toplevel = toplevel || protocol.contains("xdg_toplevel@");
            // Configured by the compositor and answered: the toplevel is on the desktop.
            configured = configured || (toplevel && protocol.contains("ack_configure("));
            return said.contains("shown") && configured;
        };
        QVERIFY2(QTest::qWaitFor(mapped, 20000), protocol.right(2000).constData());
        ::kill(pid_t(window.processId()), SIGTERM);
        QVERIFY2(window.waitForFinished(10000), "the window program did not end on SIGTERM");
        QCOMPARE(window.exitStatus(), QProcess::NormalExit);
        QCOMPARE(window.exitCode(), 0);
    }
};

QTEST_MAIN(TestWindowWayland)
#include "tst_windowwayland.moc"
