// The window fits its screen: where it opens and how large, for any screen
// (placeWindow), and the real window under a real window manager on the
// screen this test is run on (scripts/under-window-manager.sh runs it on a virtual
// screen of a given size and scale with openbox): on the screen whole,
// centred, resizable down to a size that still shows every control, and
// giving the list the room it gains. Under a real pointer (xdotool): a click
// never moves the window, a drag does; the options dialog fits the screen
// and every list opens whole under its box, however often it is opened.
// SONVERA_TEST_LANG=en runs it all in English.
#include "batchdriver.h"
#include "chromeicon.h"
#include "failuresummary.h"
#include "windowfixture.h"
#include "filelist.h"
#include "filelistview.h"
#include "optionsdialog.h"
#include "uilanguage.h"
#include "windowgeometry.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QBuffer>
#include <QHeaderView>
#include <QLabel>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
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

UiLanguage testLanguage()
{
    return qgetenv("SONVERA_TEST_LANG") == "en" ? UiLanguage::English : UiLanguage::Chinese;
}

// Runs xdotool (real pointer and keyboard input through the X server, which
// the window manager sees as a user's) and waits for it with the event loop
// running, so that the window answers meanwhile.
bool xdotool(const QStringList &arguments)
{
    QProcess tool;
    QSignalSpy finished(&tool, &QProcess::finished);
    tool.start(u"xdotool"_s, arguments);
    return tool.waitForStarted() && finished.wait(20000) && tool.exitCode() == 0;
}

// Where a widget's middle is on the X screen, in device pixels.
QStringList pointAt(const QWidget *widget, QPoint offset = {})
{
    const QPointF global = widget->mapToGlobal(QPointF(widget->rect().center() + offset)) * widget->devicePixelRatioF();
    return {QString::number(qRound(global.x())), QString::number(qRound(global.y()))};
}

// Counts the presses of one key that reach the application.
class KeyCounter final : public QObject {
public:
    explicit KeyCounter(int key)
        : m_key(key)
    {
        qApp->installEventFilter(this);
    }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == m_key
            && !static_cast<QKeyEvent *>(event)->isAutoRepeat())
            ++count;
        return false;
    }

private:
    int m_key;
};

// The window manager holds no grab: a key pressed now reaches the window.
// (A move the manager was left in swallows the keys and drags the window.)
bool keysReachTheWindow()
{
    KeyCounter shift(Qt::Key_Shift);
    return xdotool({u"key"_s, u"shift"_s}) && QTest::qWaitFor([&shift] { return shift.count > 0; }, 5000);
}

// Where the X server has a window, in the window's own pixels: what the user
// sees, whatever Qt believes (the two have differed).
QRect onXServer(const QWidget *window)
{
    QProcess tool;
    QSignalSpy finished(&tool, &QProcess::finished);
    tool.start(u"xdotool"_s, {u"getwindowgeometry"_s, u"--shell"_s, QString::number(window->winId())});
    if (!tool.waitForStarted() || !finished.wait(20000))
        return {};
    QMap<QByteArray, int> said; // X=, Y=, WIDTH=, HEIGHT=
    for (const QByteArray &line : tool.readAllStandardOutput().split('\n'))
        said[line.left(line.indexOf('='))] = line.mid(line.indexOf('=') + 1).toInt();
    const qreal ratio = window->devicePixelRatioF();
    return QRect(qRound(said["X"] / ratio), qRound(said["Y"] / ratio), qRound(said["WIDTH"] / ratio),
                 qRound(said["HEIGHT"] / ratio));
}

// The popup of `list` opens under it (above it only where the screen has no
// room below), lies on the screen and shows all its entries, as the X server
// has them both.
QString popupFault(QComboBox *list, const QRect &screen)
{
    list->showPopup();
    QWidget *popup = list->view()->window();
    if (!QTest::qWaitForWindowExposed(popup))
        return list->objectName() + u": no popup"_s;
    // Where the box is, read afresh: the window manager may still be placing the dialog.
    QRect box;
    QRect at;
    QString fault;
    const auto placed = [&] {
        box = QRect(onXServer(list->window()).topLeft() + list->mapTo(list->window(), QPoint(0, 0)), list->size());
        at = onXServer(popup);
        const bool under = std::abs(at.top() - box.bottom() - 1) <= 3;
        const bool above = std::abs(at.bottom() + 1 - box.top()) <= 3 && screen.bottom() - box.bottom() < at.height();
        return (under || above) && std::abs(at.left() - box.left()) <= 3 && screen.contains(at);
    };
    if (!QTest::qWaitFor(placed, 2000))
        fault = u"%1: popup at %2,%3 %4x%5 for the box at %6,%7 %8x%9"_s.arg(list->objectName())
                    .arg(at.x()).arg(at.y()).arg(at.width()).arg(at.height())
                    .arg(box.x()).arg(box.y()).arg(box.width()).arg(box.height());
    else if (list->count() <= 12 && list->view()->verticalScrollBar()->maximum() > 0)
        fault = u"%1: %2 entries, not all shown"_s.arg(list->objectName()).arg(list->count());
    list->hidePopup();
    if (!QTest::qWaitFor([popup] { return !popup->isVisible(); }, 2000))
        fault += list->objectName() + u": the popup stays open"_s;
    return fault;
}

} // namespace

class TestWindowScreen : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        applySkin(*qApp);
        QVERIFY(installTranslations(testLanguage()));
    }

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
        WindowFixture f(testLanguage());
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

    // Where the list is narrow the names keep a readable part (thumbnails go
    // first, then the sizes), and a thumbnail never strays into 格式.
    void namesKeepRoomAndThumbnailsTheirColumn()
    {
        FileList list;
        const quint64 id = list.append(u"/videos/a rather long folder/holiday by the sea, the second day.flv"_s, false);
        QImage red(88, 52, QImage::Format_RGB32);
        red.fill(Qt::red);
        MediaInfo media;
        QBuffer png(&media.thumbnailPng);
        QVERIFY(png.open(QIODevice::WriteOnly) && red.save(&png, "PNG"));
        list.setMedia(id, media);
        QWidget holder;
        holder.resize(800, 200);
        auto *view = new FileListView(&holder);
        view->setModel(&list);
        view->fitColumns();
        holder.show();
        QVERIFY(QTest::qWaitForWindowExposed(&holder));
        const int readable = 16 * view->fontMetrics().averageCharWidth();
        for (int width : {800, 480, 320}) {
            view->setGeometry(0, 0, width, 150);
            QTRY_COMPARE(view->width(), width);
            const int nameWidth = view->header()->sectionSize(FileList::FileNameColumn);
            if (width >= 480)
                QVERIFY2(nameWidth >= readable, qPrintable(u"%1: %2"_s.arg(width).arg(nameWidth)));
            const QImage shown = view->viewport()->grab().toImage();
            const int formatAt = qRound(view->header()->sectionViewportPosition(FileList::FormatColumn)
                                        * shown.devicePixelRatio());
            int strays = 0;
            for (int y = 0; y < shown.height(); ++y) {
                for (int x = formatAt; x < shown.width(); ++x) {
                    const QColor c = shown.pixelColor(x, y);
                    strays += c.red() > 200 && c.green() < 60 && c.blue() < 60;
                }
            }
            QVERIFY2(strays == 0, qPrintable(u"%1: %2 red pixels past the name"_s.arg(width).arg(strays)));
        }
        // Wide enough, the thumbnail is drawn.
        view->setGeometry(0, 0, 800, 150);
        QTRY_COMPARE(view->width(), 800);
        QVERIFY(view->viewport()->grab().toImage().pixelColor(QPoint(12, 16) * view->devicePixelRatioF()).red() > 200);
    }

    // Quick clicks on the title, the drop zone and a link leave the window
    // where it is and the keyboard with it (the window manager is never left
    // in a move).
    void quickClicksLeaveTheWindowWhereItIs()
    {
        WindowFixture f(testLanguage());
        f.window->show();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        const QRect screen = f.window->screen()->availableGeometry();
        // Made smaller than the screen, so that it has room to move.
        f.window->resize(f.window->minimumSize());
        QTRY_COMPARE(f.window->size(), f.window->minimumSize());
        const QPoint start = f.window->geometry().topLeft();
        QVERIFY(keysReachTheWindow());

        const int urlsBefore = int(f.desktop.calls.size());
        for (const char *name : {"titleBar", "picDrag", "lblWeb"}) {
            QVERIFY(xdotool(QStringList{u"mousemove"_s, u"--sync"_s} + pointAt(f.child(name))));
            QVERIFY(xdotool({u"click"_s, u"--repeat"_s, u"10"_s, u"--delay"_s, u"120"_s, u"1"_s}));
            // Then the pointer goes elsewhere: a window left in a move would follow it.
            QVERIFY(xdotool({u"mousemove_relative"_s, u"--sync"_s, u"--"_s, u"60"_s, u"40"_s}));
            QVERIFY2(keysReachTheWindow(), name);
            QCOMPARE(f.window->geometry().topLeft(), start);
        }
        // The clicks did reach their controls: ten file dialogs asked for, ten web pages.
        QTRY_COMPARE(f.dialogs.captions.size(), 10);
        QCOMPARE(f.desktop.calls.size() - urlsBefore, 10);

        QVERIFY(screen.intersects(f.window->geometry()));
    }

    // A press and a drag past the platform's drag distance moves the window
    // (the window manager's own move follows the pointer), and the release
    // ends the move: the keyboard reaches the window again.
    void aDragMovesTheWindow()
    {
        WindowFixture f(testLanguage());
        f.window->show();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.window->resize(f.window->minimumSize());
        QTRY_COMPARE(f.window->size(), f.window->minimumSize());
        const QPoint start = onXServer(f.window.get()).topLeft();
        QVERIFY(xdotool(QStringList{u"mousemove"_s, u"--sync"_s} + pointAt(f.child("titleBar"))));
        QVERIFY(xdotool({u"mousedown"_s, u"1"_s}));
        // Step by step, as a hand moves, until the window follows (40 steps at most).
        const int step = QApplication::startDragDistance();
        QPoint now = start;
        for (int i = 0; i < 40 && now == start; ++i) {
            QVERIFY(xdotool({u"mousemove_relative"_s, u"--sync"_s, u"--"_s, QString::number(step),
                             QString::number(step)}));
            now = onXServer(f.window.get()).topLeft();
        }
        QVERIFY(xdotool({u"mouseup"_s, u"1"_s}));
        QVERIFY2(now != start, qPrintable(u"still at %1,%2"_s.arg(start.x()).arg(start.y())));
        QVERIFY(keysReachTheWindow());
        // Qt knows where the window went, and it stayed there.
        QTRY_COMPARE(f.window->geometry().topLeft(), onXServer(f.window.get()).topLeft());
    }

    // The options dialog lies on the screen with OK and Back, and each of its
    // lists (and the format list) opens whole under its box, however often
    // the dialog is opened.
    void theOptionsDialogFitsAndItsListsOpenUnderTheirBoxes()
    {
        WindowFixture f(testLanguage());
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        const QRect screen = f.window->screen()->availableGeometry();
        QStringList faults;
        for (int opening = 1; opening <= 4; ++opening) {
            f.trigger(WindowCommand::Options);
            auto *dialog = f.window->findChild<OptionsDialog *>();
            QVERIFY(dialog);
            const QPointer<OptionsDialog> open = dialog;
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            QTRY_VERIFY2(screen.contains(dialog->geometry()) && screen.contains(onScreen(dialog)),
                         qPrintable(u"%1,%2 %3x%4"_s.arg(dialog->x()).arg(dialog->y()).arg(dialog->width())
                                        .arg(dialog->height())));
            for (const char *name : {"Command1", "Command2"}) {
                auto *button = dialog->findChild<QPushButton *>(QString::fromLatin1(name));
                // Both where the window system has them (its geometry() may lag behind).
                QTRY_VERIFY2(button->isVisible() && onScreen(dialog).contains(onScreen(button)),
                         qPrintable(QString::fromLatin1(name) + u" %1,%2 %3x%4 in %5,%6 %7x%8"_s.arg(onScreen(button).x())
                                        .arg(onScreen(button).y()).arg(button->width()).arg(button->height())
                                        .arg(onScreen(dialog).x()).arg(onScreen(dialog).y()).arg(dialog->width()).arg(dialog->height())));
            }
            // The settings lie between the title band and the buttons, not piled in a corner.
            auto *scroll = dialog->findChild<QWidget *>(u"settingsScroll"_s);
            QVERIFY(scroll && scroll->height() > 100);
            QVERIFY2(onScreen(scroll).bottom() < onScreen(dialog->findChild<QPushButton *>(u"Command1"_s)).top()
                         && onScreen(scroll).top() > onScreen(dialog).top() + 20,
                     qPrintable(u"settings at %1,%2"_s.arg(onScreen(scroll).y()).arg(onScreen(scroll).bottom())));
            for (QComboBox *list : dialog->findChildren<QComboBox *>()) {
                if (const QString fault = popupFault(list, screen); !fault.isEmpty())
                    faults << u"opening %1: "_s.arg(opening) + fault;
            }
            dialog->reject();
            QTRY_VERIFY(open.isNull());
        }
        if (const QString fault = popupFault(f.child<QComboBox>("cmbOF"), screen); !fault.isEmpty())
            faults << fault;
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }
};

int main(int argc, char *argv[])
{
    prepareSystemLocale(testLanguage());
    QApplication app(argc, argv);
    TestWindowScreen test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_windowscreen.moc"
