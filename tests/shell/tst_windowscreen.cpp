// The window fits its screen: where it opens and how large, for any screen
// (placeWindow), and the real window under a real window manager on the
// screen this test is run on (scripts/under-window-manager.sh runs it on a virtual
// screen of a given size and scale with openbox): on the screen whole,
// centred, resizable down to a size that still shows every control, and
// giving the list the room it gains.
#include "batchdriver.h"
#include "chromeicon.h"
#include "failuresummary.h"
#include "windowfixture.h"
#include "windowgeometry.h"

#include <QApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QWindow>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

namespace {

// The controls a user must always reach, and where the window's edges are.
const char *const kMustShow[] = {"CmdToolsBar0", "CmdToolsBar5", "LV",       "cmbOF",  "txtPath", "cmdBrowse",
                                 "imgPB",        "Command3",     "cmdStop",  "imgExit", "imgMin",  "imgHelp"};

QRect onScreen(const QWidget *widget)
{
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

QStringList hiddenControls(const WindowFixture &f, const QRect &screen)
{
    QStringList hidden;
    for (const char *name : kMustShow) {
        const QWidget *widget = f.child(name);
        if (!widget->isVisible() || widget->width() < 8 || widget->height() < 8 || !screen.contains(onScreen(widget))
            || !onScreen(f.window.get()).contains(onScreen(widget)))
            hidden << QString::fromLatin1(name) + u' ' + QString::number(onScreen(widget).x()) + u','
                    + QString::number(onScreen(widget).y()) + u' ' + QString::number(widget->width()) + u'x'
                    + QString::number(widget->height());
    }
    return hidden;
}

} // namespace

class TestWindowScreen : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { applySkin(*qApp); }

    void placeWindow_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QSize>("least");
        QTest::newRow("room to spare: centred") << QRect(0, 0, 1366, 768) << QRect(183, 84, 1000, 600) << QSize(700, 450);
        QTest::newRow("a panel on top") << QRect(0, 32, 1366, 736) << QRect(183, 100, 1000, 600) << QSize(700, 450);
        QTest::newRow("second screen") << QRect(1920, 0, 1280, 1024) << QRect(2060, 212, 1000, 600) << QSize(700, 450);
        // 1920x1080 at scale 2, less a panel: all of it, never more.
        QTest::newRow("scale 2") << QRect(0, 0, 960, 520) << QRect(0, 0, 960, 520) << QSize(700, 450);
        QTest::newRow("smaller than the least") << QRect(0, 0, 640, 400) << QRect(0, 0, 640, 400) << QSize(640, 400);
    }

    void placeWindow()
    {
        QFETCH(QRect, available);
        const WindowPlacement placement = sonvera::placeWindow(QSize(1000, 600), QSize(700, 450), available);
        QTEST(placement.geometry, "geometry");
        QTEST(placement.least, "least");
        QVERIFY(available.contains(placement.geometry));
    }

    // The window as it opens on this screen.
    void theWindowFitsThisScreen()
    {
        WindowFixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        const QRect screen = f.window->screen()->availableGeometry();
        // Placed by the window manager as asked: wait for its answer. The
        // window has no frame but its own (under openbox, Qt's frame
        // geometry of a frameless window is not to be trusted).
        const auto where = [&f] {
            const QRect frame = f.window->geometry();
            return u"%1,%2 %3x%4"_s.arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height());
        };
        const auto centred = [&f, &screen] {
            return (f.window->geometry().center() - screen.center()).manhattanLength() <= 2;
        };
        QTRY_VERIFY2(screen.contains(f.window->geometry()) && centred(), qPrintable(where()));
        QStringList hidden = hiddenControls(f, screen);
        QVERIFY2(hidden.isEmpty(), qPrintable(hidden.join(u'\n')));

        // Made as small as it goes, everything still shows.
        const QSize least = f.window->minimumSize();
        QVERIFY(least.width() <= screen.width() && least.height() <= screen.height());
        f.window->resize(least);
        QTRY_COMPARE(f.window->size(), least);
        hidden = hiddenControls(f, screen);
        QVERIFY2(hidden.isEmpty(), qPrintable(hidden.join(u'\n')));

        // Made larger, the list takes the room.
        const QSize larger = least + QSize(0, 100);
        if (screen.height() >= larger.height()) {
            const int listHeight = f.child("LV")->height();
            f.window->resize(larger);
            QTRY_COMPARE(f.window->size(), larger);
            QVERIFY2(f.child("LV")->height() >= listHeight + 90, qPrintable(QString::number(f.child("LV")->height())));
        }
    }

    // The list of failures at the end of a batch opens over the middle of
    // the window, not where the window manager would put it on its own.
    void theFailureListOpensOverTheWindow()
    {
        WindowFixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        f.selectFormat(8);
        const QString bad = f.source(u"bad.flv"_s, "coder exit 1\n");
        f.window->addPaths({QFile::encodeName(bad)});
        QSignalSpy finished(&f.window->controller().driver(), &BatchDriver::batchFinished);
        f.trigger(WindowCommand::Start);
        QVERIFY(finished.wait(10000));
        QTRY_VERIFY(f.window->findChild<FailureSummary *>());
        auto *box = f.window->findChild<FailureSummary *>();
        QVERIFY(QTest::qWaitForWindowExposed(box));
        const auto off = [&] { return (box->geometry().center() - f.window->geometry().center()).manhattanLength(); };
        // The title bar the manager adds moves it by its height at most.
        QTRY_VERIFY2(off() <= 60, qPrintable(QString::number(off())));
    }
};

QTEST_MAIN(TestWindowScreen)
#include "tst_windowscreen.moc"
