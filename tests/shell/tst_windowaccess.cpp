// The window as a keyboard and screen-reader user meets it: Tab in reading
// order, the focus seen on every control, no way for a stray key to end the
// program, a tool tip and a spoken name on every control, dialogs over the
// window, and a close during a batch that asks first.
#include "batchjournal.h"
#include "chromeicon.h"
#include "closequestion.h"
#include "failuresummary.h"
#include "feedbackform.h"
#include "hotimage.h"
#include "linklabel.h"
#include "optionsdialog.h"
#include "powercountdowndialog.h"
#include "restorequestion.h"
#include "windowfixture.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

namespace {

// What a user operates: buttons, lists, fields, links, drop targets (not
// the parts of a list box).
bool isControl(const QWidget *widget)
{
    if (qobject_cast<const QComboBox *>(widget->parentWidget())
        || qobject_cast<const QAbstractItemView *>(widget->parentWidget()))
        return false;
    return qobject_cast<const QAbstractButton *>(widget) || qobject_cast<const QComboBox *>(widget)
        || qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QAbstractItemView *>(widget)
        || qobject_cast<const QPlainTextEdit *>(widget) || qobject_cast<const LinkLabel *>(widget)
        || widget->objectName() == u"picDrag"_s;
}

// The controls on screen in `root` without a tool tip or a name a screen reader says.
QStringList unexplainedControls(const QWidget *root)
{
    QStringList missing;
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        if (!widget->isVisible() || !isControl(widget))
            continue;
        QAccessibleInterface *spoken = QAccessible::queryAccessibleInterface(widget);
        const QString name = spoken ? spoken->text(QAccessible::Name) : QString();
        if (widget->toolTip().isEmpty() || name.isEmpty())
            missing << QString::fromLatin1(widget->metaObject()->className()) + u' ' + widget->objectName() + u" tip=\""_s + widget->toolTip() + u"\" name=\""_s + name + u'"';
    }
    return missing;
}

// Whether `b` comes after `a` as the eye reads `dialog`: on a row further
// down, or on the same row further right.
bool readsAfter(const QWidget *a, const QWidget *b, const QWidget *dialog)
{
    const QRect ra(a->mapTo(dialog, QPoint()), a->size());
    const QRect rb(b->mapTo(dialog, QPoint()), b->size()); // both in `dialog`
    const auto within = [](int y, const QRect &r) { return y >= r.top() && y <= r.bottom(); };
    if (within(ra.center().y(), rb) || within(rb.center().y(), ra))
        return rb.left() > ra.left();
    return rb.top() > ra.top();
}

// The controls Tab visits in `dialog`, from the one with the focus once round.
QList<QWidget *> tabRound(QWidget *dialog)
{
    QList<QWidget *> round;
    for (int i = 0; i < 40 && QApplication::focusWidget() && dialog->isAncestorOf(QApplication::focusWidget())
                    && !round.contains(QApplication::focusWidget());
         ++i) {
        round << QApplication::focusWidget();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // Begun where the eye begins.
    const auto first = std::min_element(round.begin(), round.end(), [dialog](QWidget *a, QWidget *b) {
        return readsAfter(a, b, dialog);
    });
    std::rotate(round.begin(), first, round.end());
    return round;
}

} // namespace

class TestWindowAccess : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Focus is drawn by the program's skin.
    void initTestCase() { applySkin(*qApp); }

    // Tab goes as the eye reads: toolbar, list, format, parameters, folder, Start, Stop.
    void tabFollowsTheReadingOrder()
    {
        WindowFixture f;
        f.useMostParameters();
        f.window->show();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        // Stop is enabled only during a batch, which would disable the panel: enabled here alone.
        f.child("cmdStop")->setEnabled(true);
        f.child("CmdToolsBar0")->setFocus(Qt::TabFocusReason);
        QStringList visited;
        for (int i = 0; i < 60 && QApplication::focusWidget()
                        && !visited.contains(QApplication::focusWidget()->objectName());
             ++i) {
            visited << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        // A list the format does without is disabled, and Tab passes it by.
        const char *const order[]{"CmdToolsBar0", "LV",  "cmbOF",      "cmbVB",   "cmbF",     "cmbS",   "cmbR",
                                  "cmbBR",        "cmbChannel", "txtPath", "Command3", "cmdStop"};
        qsizetype at = -1;
        for (const char *name : order) {
            const qsizetype next = visited.indexOf(QString::fromLatin1(name));
            if (!f.child(name)->isEnabled()) {
                QVERIFY2(next < 0, name);
                continue;
            }
            QVERIFY2(next > at, qPrintable(QString::fromLatin1(name) + u" out of order in "_s + visited.join(u' ')));
            at = next;
        }
        // Nothing that ends the program sits in the chain, where Space would press it.
        for (const char *exit : {"CmdToolsBar5", "imgToolbar4", "imgExit"})
            QVERIFY2(!visited.contains(QString::fromLatin1(exit)), exit);
    }

    // Every control that takes the focus looks different with it.
    void theFocusIsSeen()
    {
        WindowFixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        QStringList unseen;
        for (QWidget *widget : f.window->findChildren<QWidget *>()) {
            if (!widget->isVisible() || !widget->isEnabled() || !(widget->focusPolicy() & Qt::TabFocus)
                || !isControl(widget))
                continue;
            f.child("LV")->setFocus(Qt::TabFocusReason);
            if (widget == f.child("LV"))
                f.child("cmbOF")->setFocus(Qt::TabFocusReason);
            const QImage without = widget->grab().toImage();
            widget->setFocus(Qt::TabFocusReason);
            if (widget->grab().toImage() == without)
                unseen << widget->objectName();
        }
        QVERIFY2(unseen.isEmpty(), qPrintable(unseen.join(u' ')));
    }

    // A tool tip and a spoken name on every control of the window and its
    // dialogs; the parameters each say what they are, and a command says
    // the same on each of its surfaces.
    void everyControlExplainsItself()
    {
        WindowFixture f;
        f.useMostParameters();
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        AppOptions options;
        Preferences preferences;
        OptionsDialog settings(options, {}, f.window.get(), &preferences);
        FeedbackForm feedback(f.window.get());
        settings.show();
        feedback.show();
        QStringList missing = unexplainedControls(f.window.get());
        missing << unexplainedControls(&settings) << unexplainedControls(&feedback);
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u'\n')));

        QSet<QString> parameterTips;
        for (const char *name : {"cmbOF", "cmbVB", "cmbF", "cmbS", "cmbR", "cmbBR", "cmbChannel", "txtPath"})
            parameterTips.insert(f.child(name)->toolTip());
        QCOMPARE(parameterTips.size(), 8);
        QCOMPARE(f.child("cmdBrowse")->toolTip(), f.child("imgBrowse")->toolTip());
        QCOMPARE(f.child("Command3")->toolTip(), f.child("imgStart")->toolTip());
        QVERIFY(f.child("CmdToolsBar4")->toolTip() != f.child("CmdToolsBar0")->toolTip());
    }

    // In the options dialog too: down the left column, down the right, then OK and Back.
    void theOptionsDialogTabsInReadingOrder()
    {
        WindowFixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        f.trigger(WindowCommand::Options);
        auto *dialog = f.window->findChild<OptionsDialog *>();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        dialog->findChild<QCheckBox *>(u"chkMC"_s)->setChecked(true); // the times take the focus then
        // The chain Tab follows, from the first control on, as far as it goes round.
        QStringList visited;
        QWidget *at = dialog->findChild<QWidget *>(u"cmbSR"_s);
        for (int i = 0; i < 200 && !visited.contains(at->objectName()); ++i, at = at->nextInFocusChain()) {
            if ((at->focusPolicy() & Qt::TabFocus) && at->isEnabled() && at->isVisibleTo(dialog))
                visited << at->objectName();
        }
        const QStringList order{u"cmbSR"_s,     u"chkMC"_s,       u"txtFromH"_s,  u"txtFromM"_s,   u"txtFromS"_s,
                                u"txtToH"_s,    u"txtToM"_s,      u"txtToS"_s,    u"cmbJobs"_s,    u"cmbAfter"_s,
                                u"cmbLanguage"_s, u"chkDirect"_s, u"chkRemux"_s,  u"chkKeepDates"_s, u"chkKeepTree"_s,
                                u"Command1"_s,  u"Command2"_s};
        QCOMPARE(visited.mid(0, order.size()), order);
        dialog->reject();
    }

    // Tab goes round every other dialog the program shows as the eye reads
    // it, and reaches each of its controls.
    void everyDialogTabsInReadingOrder()
    {
        WindowFixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        BatchSummary failures;
        failures.failed = {{u"/videos/a.flv"_s, u"无法读取"_s}, {u"/videos/b.flv"_s, u"无法读取"_s}};
        const std::function<QDialog *()> dialogs[]{
            [&] { return new FeedbackForm(f.window.get()); },
            [&] { return new RestoreQuestion(3, f.window.get()); },
            [&] { return new CloseQuestion(f.window.get()); },
            [&] { return new PowerCountdownDialog(AfterBatchAction::PowerOff, f.window.get(), 60); },
            [&] { return new FailureSummary(failures, u"转换完成后不关机"_s, f.window.get()); },
        };
        for (const auto &make : dialogs) {
            std::unique_ptr<QDialog> dialog(make());
            dialog->open();
            QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
            QTRY_VERIFY(dialog->isActiveWindow());
            const QString name = dialog->objectName();
            const QList<QWidget *> round = tabRound(dialog.get());
            QVERIFY2(!round.isEmpty(), qPrintable(name + u": no control has the focus"_s));
            QStringList visited;
            for (QWidget *widget : round)
                visited << widget->objectName() + u'/' + QString::fromLatin1(widget->metaObject()->className());
            for (qsizetype i = 1; i < round.size(); ++i)
                QVERIFY2(readsAfter(round[i - 1], round[i], dialog.get()), qPrintable(name + u": "_s + visited.join(u' ')));
            for (QWidget *widget : dialog->findChildren<QWidget *>()) {
                if (widget->isVisible() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus)
                    && isControl(widget))
                    QVERIFY2(round.contains(widget), qPrintable(name + u": Tab never reaches "_s + widget->objectName()));
            }
            dialog->reject();
        }
    }

    // A screen reader meets the links as links and the drop zone as a
    // button it can press, tells apart the three controls that start a
    // batch, and names Browse by its visible word.
    void controlsHaveRolesAndDistinctNames()
    {
        WindowFixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        const auto spoken = [&f](const char *name) { return QAccessible::queryAccessibleInterface(f.child(name)); };
        QCOMPARE(spoken("lblFeed")->role(), QAccessible::Link);
        QCOMPARE(spoken("lblWeb")->role(), QAccessible::Link);
        QCOMPARE(spoken("picDrag")->role(), QAccessible::Button);
        QAccessibleActionInterface *press = spoken("lblWeb")->actionInterface();
        QVERIFY(press && press->actionNames().contains(QAccessibleActionInterface::pressAction()));
        press->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(!f.desktop.calls.isEmpty() && f.desktop.calls.last().startsWith(u"url "_s));
        spoken("picDrag")->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(f.dialogs.captions.size(), 1);

        QSet<QString> names;
        for (const char *name : {"lblFeed", "lblWeb", "picDrag", "Command3", "imgStart", "imgConvert"})
            names.insert(spoken(name)->text(QAccessible::Name));
        QCOMPARE(names.size(), 6);
        QVERIFY(spoken("cmdBrowse")->text(QAccessible::Name).contains(f.child<QPushButton>("cmdBrowse")->text()));
    }

    // A disabled menu item (播放 on a row that failed) looks unlike an enabled one.
    void disabledMenuItemsLookDisabled()
    {
        QMenu menu; // in the program's skin (initTestCase)
        QAction *play = menu.addAction(u"播放"_s);
        menu.ensurePolished();
        const QImage enabled = menu.grab().toImage();
        play->setEnabled(false);
        QVERIFY(menu.grab().toImage() != enabled);

        // The window's own list menu, opened by the menu key on a failed row.
        WindowFixture f;
        f.window->addPaths({QFile::encodeName(f.source(u"failed.flv"_s))});
        f.list().setFailed(f.list().rowAt(0).id, u"无法读取"_s);
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        auto *list = f.child<QAbstractItemView>("LV");
        list->setCurrentIndex(list->model()->index(0, 0));
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        QApplication::sendEvent(list, &key);
        auto *listMenu = f.window->findChild<QMenu *>(u"listMenu"_s);
        QTRY_VERIFY(listMenu->isVisible());
        QAction *playOutput = listMenu->actions().first();
        QVERIFY(!playOutput->isEnabled());
        const QImage greyed = listMenu->grab().toImage();
        playOutput->setEnabled(true);
        QVERIFY(listMenu->grab().toImage() != greyed);
        listMenu->close();
    }

    // Dialogs open over the middle of the window, wherever the window is.
    void dialogsOpenOverTheWindow()
    {
        WindowFixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        // Away from the middle of the screen across, and small enough that a
        // dialog over it fits the screen (the options dialog is nearly as tall).
        const QRect screen = f.window->screen()->availableGeometry();
        f.window->setGeometry(screen.left() + 30, screen.top() + (screen.height() - 500) / 2, 720, 500);
        f.trigger(WindowCommand::Options);
        auto *options = f.window->findChild<OptionsDialog *>();
        QVERIFY(options);
        QVERIFY(QTest::qWaitForWindowExposed(options));
        const QPoint off = options->frameGeometry().center() - f.window->frameGeometry().center();
        QVERIFY2(off.manhattanLength() <= 4, qPrintable(u"%1,%2"_s.arg(off.x()).arg(off.y())));
        options->reject();
    }

    // Closing during a batch asks first (keep converting is the default),
    // then stops the encoder; the files not converted wait in the journal
    // for the next start. Nothing outlives the close.
    void closingDuringABatchAsksAndKeepsTheRest()
    {
        WindowFixture f;
        f.selectFormat(8);
        f.window->startUp({});
        const QString slow = f.source(u"slow.flv"_s, "coder write\ncoder print time=1.00 \\r\ncoder hang\n");
        f.window->addPaths({QFile::encodeName(slow), QFile::encodeName(f.source(u"next.flv"_s))});
        f.window->show();
        QSignalSpy started(&f.window->controller().driver(), &BatchDriver::stageStarted);
        QSignalSpy closed(f.window.get(), &MainWindow::closed);
        f.trigger(WindowCommand::Start);
        QVERIFY(started.wait(5000));
        const auto outputs = [&f] { return QDir(f.dir.filePath(u"out"_s)).entryList(QDir::Files | QDir::Hidden); };
        QTRY_VERIFY(!outputs().isEmpty()); // the encoder's part file
        const QString runFolder = f.window->controller().driver().runFolderPath();
        QVERIFY(QFile::copy(slow, runFolder + u"/tmpfile.wav"_s)); // a temporary file of this run

        f.window->close();
        QTRY_VERIFY(f.window->findChild<CloseQuestion *>());
        auto *question = f.window->findChild<CloseQuestion *>();
        QCOMPARE(question->text(), u"正在转换，确定要停止并退出吗？"_s);
        QCOMPARE(question->defaultButton(), question->keepButton());
        QTest::keyClick(question, Qt::Key_Escape);
        QTRY_VERIFY(!f.window->findChild<CloseQuestion *>());
        QVERIFY(f.window->isVisible());
        QVERIFY(f.window->controller().isBusy());

        f.window->close();
        QTRY_VERIFY(f.window->findChild<CloseQuestion *>());
        f.window->findChild<CloseQuestion *>()->stopButton()->click();
        QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 1, 10000);
        QVERIFY(!f.window->isVisible());
        QVERIFY(outputs().isEmpty());
        QVERIFY(!QFileInfo::exists(runFolder + u"/tmpfile.wav"_s));
        const JournalContents kept = BatchJournal(f.window->controller().journal().filePath()).load();
        QCOMPARE(kept.entries.size(), 2);
        QCOMPARE(kept.entries.first().path, QFile::encodeName(slow));
    }
};

QTEST_MAIN(TestWindowAccess)
#include "tst_windowaccess.moc"
