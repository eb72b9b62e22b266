#include "batchfiles.h"
#include "fakeencoder.h"
#include "fakes.h"
#include "hotimage.h"
#include "linklabel.h"
#include "mainwindow.h"
#include "optionsdialog.h"
#include "windowmenus.h"
#include "parameterpanel.h"
#include "progressview.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QItemSelectionModel>
#include <QTreeView>
#include <QUrl>
#include <QWindow>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

namespace {

QByteArrayList native(const QStringList &paths)
{
    QByteArrayList out;
    for (const QString &path : paths)
        out << QFile::encodeName(path);
    return out;
}

QStringList rowPaths(const FileList &list)
{
    QStringList out;
    for (int i = 0; i < list.rowCount(); ++i)
        out << list.rowAt(i).path.shown();
    return out;
}

// Drops local files on a widget the way a file manager does.
void dropOn(QWidget *target, const QStringList &paths)
{
    auto *data = new QMimeData;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    delete data;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    // A window over temporary folders, a recording desktop, scripted dialogs
    // and the stand-in encoders.
    struct Fixture {
        Fixture()
        {
            context.programFolder = program.path();
            context.workFolder = dir.filePath(u"work"_s);
            QDir().mkpath(context.workFolder);
            context.location = {dir.filePath(u"settings"_s), dir.filePath(u"default-out"_s)};
            QDir().mkpath(context.location.settingsFolder);
            context.desktop = &desktop;
            context.dialogs = &dialogs;
            window = std::make_unique<MainWindow>(context);
            window->controller().driver().setStartDelay(1);
            window->controller().settings().outputFolder = dir.filePath(u"out"_s);
            window->panel()->showSettings();
        }

        QString source(const QString &name, const QByteArray &script = {})
        {
            QDir().mkpath(QFileInfo(dir.filePath(name)).path());
            return writeScript(dir.filePath(name), script);
        }

        QString setupIni() const { return context.location.settingsFolder + u"/setup.ini"_s; }

        QTemporaryDir dir;
        FakeProgramFolder program;
        RecordingDesktop desktop;
        ScriptedDialogs dialogs;
        ShellContext context;
        std::unique_ptr<MainWindow> window;
    };

    static QMessageBox *waitForMessage(MainWindow &window)
    {
        [[maybe_unused]] const bool shown = QTest::qWaitFor([&window] { return window.openMessageBox() != nullptr; }, 5000);
        return window.openMessageBox();
    }

private Q_SLOTS:
    void visibleTexts_data()
    {
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("toolTip");

        QTest::newRow("CmdToolsBar0") << u"CmdToolsBar0"_s << u"添加文件"_s << u"Add a File"_s;
        QTest::newRow("CmdToolsBar1") << u"CmdToolsBar1"_s << u"添加文件夹"_s << u"Add Files from a Folder"_s;
        QTest::newRow("CmdToolsBar2") << u"CmdToolsBar2"_s << u"移除文件"_s << u"Remove File(s) from List"_s;
        QTest::newRow("CmdToolsBar4") << u"CmdToolsBar4"_s << u"提示设置"_s << QString();
        QTest::newRow("CmdToolsBar5") << u"CmdToolsBar5"_s << u"退出程序"_s << u"Exit"_s;
        QTest::newRow("Command3") << u"Command3"_s << u"立刻开始转换！"_s << QString();
        QTest::newRow("cmdBrowse") << u"cmdBrowse"_s << u"浏览"_s << u"Select an Output Folder"_s;
        QTest::newRow("imgBrowse") << u"imgBrowse"_s << QString() << u"Select an Output Folder"_s;
        QTest::newRow("lblFeed") << u"lblFeed"_s << u"意见反馈"_s << u"Send us your suggestion or question"_s;
        QTest::newRow("lblWeb") << u"lblWeb"_s << u"Sonvera "_s << u"https://www.sonvera.app/"_s;
        QTest::newRow("lblText") << u"lblText"_s << u"拖拽文件到这里开始转换"_s << QString();
        QTest::newRow("lblPB") << u"lblPB"_s << u"0%"_s << QString();
        QTest::newRow("imgAdd") << u"imgAdd"_s << QString() << u"Add a new file to file list"_s;
        QTest::newRow("imgRemove") << u"imgRemove"_s << QString() << u"Remove a file from file list"_s;
        QTest::newRow("imgStart") << u"imgStart"_s << QString() << u"Start Converting"_s;
        QTest::newRow("imgMin") << u"imgMin"_s << QString() << u"Minimize Window"_s;
        QTest::newRow("imgHelp") << u"imgHelp"_s << QString() << u"Help & Tutorial"_s;
        QTest::newRow("picDrag") << u"picDrag"_s << QString() << u"Drag media files onto this DropZone"_s;
        QTest::newRow("cmbOF") << u"cmbOF"_s << QString() << u"Output Format"_s;
        QTest::newRow("cmbVB") << u"cmbVB"_s << QString() << u"Size"_s;
        QTest::newRow("cmbF") << u"cmbF"_s << QString() << u"Size"_s;
        QTest::newRow("cmbS") << u"cmbS"_s << QString() << u"Size"_s;
        QTest::newRow("cmbR") << u"cmbR"_s << QString() << u"Audio Rate"_s;
        QTest::newRow("cmbBR") << u"cmbBR"_s << QString() << u"Audio Bitrate"_s;
        QTest::newRow("cmbChannel") << u"cmbChannel"_s << QString() << u"Channel(Stereo or Mono)"_s;
        QTest::newRow("txtPath") << u"txtPath"_s << QString() << u"Select a Folder to Output"_s;
    }

    void visibleTexts()
    {
        QFETCH(QString, object);
        Fixture f;
        QWidget *widget = f.window->findChild<QWidget *>(object);
        QVERIFY2(widget, qPrintable(object));
        if (object.startsWith(u"cmb"_s)) {
            // A list says its own tip where the format uses it: RM with a size picked, MPG for the frame rate.
            f.window->panel()->cmbOF()->setCurrentIndex(object == u"cmbF"_s ? 2 : 1);
            f.window->panel()->cmbS()->setEditText(u"320x240"_s);
            QVERIFY(widget->isEnabled());
        }
        QFETCH(QString, text);
        if (!text.isNull()) {
            QString shown;
            if (auto *button = qobject_cast<QAbstractButton *>(widget))
                shown = button->text();
            else if (auto *label = qobject_cast<QLabel *>(widget))
                shown = label->text();
            QCOMPARE(shown, text);
        }
        QTEST(widget->toolTip(), "toolTip");
    }

    void captionsAndMenus()
    {
        Fixture f;
        QCOMPARE(f.window->windowTitle(), u"Sonvera "_s);
        QStringList labels;
        for (QLabel *label : f.window->panel()->findChildren<QLabel *>(u"caption"_s))
            labels << label->text();
        QCOMPARE(labels, (QStringList{u"输出格式："_s, u"视频比特率："_s, u"帧率："_s, u"视频尺寸："_s, u"声音频率："_s,
                                      u"声音比特率："_s, u"声道："_s, u"输出路径："_s}));
        const auto captions = [](QMenu *menu) {
            QStringList out;
            for (QAction *a : menu->actions())
                out << (a->isSeparator() ? u"-"_s : a->text());
            return out;
        };
        WindowMenus *menus = f.window->menus();
        QCOMPARE(captions(menus->menuFile()), (QStringList{u"添加文件(&A)"_s, u"添加目录(&F)"_s, u"-"_s, u"退出(&E)"_s}));
        QCOMPARE(captions(menus->menuOptions()), QStringList{u"设置(&O)"_s});
        QCOMPARE(captions(menus->menuAbout()), (QStringList{u"帮助(&H)"_s, u"关于(&A)"_s}));
        QCOMPARE(captions(menus->menuRemove()), (QStringList{u"移除选择项"_s, u"移除全部"_s}));
        QCOMPARE(f.window->listView()->model()->headerData(0, Qt::Horizontal).toString(), u"文件名"_s);
        QCOMPARE(f.window->listView()->model()->headerData(1, Qt::Horizontal).toString(), u"格式"_s);
    }

    void pickingAFormatAppliesItsPreset()
    {
        Fixture f;
        ParameterPanel *panel = f.window->panel();
        panel->cmbOF()->setCurrentIndex(6);
        panel->cmbOF()->setCurrentIndex(8);
        QCOMPARE(panel->cmbVB()->currentText(), u"128"_s);
        QCOMPARE(panel->cmbS()->currentText(), u"320x240"_s);
        QCOMPARE(panel->cmbR()->currentText(), u"48000"_s);
        QCOMPARE(panel->cmbBR()->currentText(), u"320"_s);
        QCOMPARE(panel->cmbChannel()->currentIndex(), 1);
        QCOMPARE(f.window->controller().settings().audioRate, u"48000"_s);

        // Typed texts are taken as they stand, and a preset replaces them.
        panel->cmbVB()->setEditText(u"700 "_s);
        QCOMPARE(f.window->controller().settings().videoBitrate, u"700 "_s);
        panel->cmbOF()->setCurrentIndex(2);
        QCOMPARE(panel->cmbVB()->currentText(), u"600"_s);
        QCOMPARE(panel->cmbF()->currentText(), u"24"_s); // not an entry, shown all the same
        QCOMPARE(panel->cmbR()->currentText(), u"28000"_s);
        panel->cmbChannel()->setCurrentIndex(0);
        QCOMPARE(f.window->controller().settings().channelCount(), 1);
    }

    void startWithAnEmptyList()
    {
        Fixture f;
        QSignalSpy lock(&f.window->controller().driver(), &BatchDriver::lockChanged);
        f.window->startBatch();
        QMessageBox *box = waitForMessage(*f.window);
        QVERIFY(box);
        QCOMPARE(box->text(), u"请先添加一个文件"_s);
        QCOMPARE(box->windowTitle(), u"添加"_s);
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(lock.count(), 0);
        // RMVB keeps the source's size at start: it uses neither the bitrates, the rates nor the channels.
        ParameterPanel *panel = f.window->panel();
        const QList<QWidget *> unused{panel->cmbVB(), panel->cmbF(), panel->cmbR(), panel->cmbBR(), panel->cmbChannel()};
        for (QWidget *w : f.window->lockSet())
            QVERIFY2(w->isEnabled() != unused.contains(w), qPrintable(w->objectName()));
        box->close();
    }

    void aBatchLocksTheWindowAndUnlocksIt()
    {
        Fixture f;
        f.window->controller().settings().selectFormat(8);
        f.window->addPaths(native({f.source(u"a.flv"_s, "coder print Duration: 00:00:10.00, \\ntime=5.00 \\r\ncoder sleep 300\ncoder exit 0\n"),
                            f.source(u"b.flv"_s)}));
        QSignalSpy finished(&f.window->controller().driver(), &BatchDriver::batchFinished);
        QSignalSpy started(&f.window->controller().driver(), &BatchDriver::fileStarted);
        f.window->startBatch();
        QVERIFY(started.wait(5000));
        for (QWidget *w : f.window->lockSet())
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        // The image toolbar and the menus stay live; the row under conversion stays put.
        QVERIFY(f.window->toolbarImage(0)->isEnabled());
        QVERIFY(f.window->findChild<QPushButton *>(u"cmdStop"_s)->isEnabled());
        f.window->listView()->setCurrentIndex(f.window->controller().list().index(0, 0));
        f.window->commandChannel()->setText(u"RemoveSelected"_s);
        QCOMPARE(f.window->controller().list().rowCount(), 2);
        QTRY_VERIFY(f.window->progressView()->lblPB()->text().startsWith(u"创建中"_s));

        QVERIFY(finished.wait(10000));
        // All enabled again, but the picture's lists, which MP3 does not use.
        ParameterPanel *panel = f.window->panel();
        const QList<QWidget *> unused{panel->cmbVB(), panel->cmbF(), panel->cmbS()};
        for (QWidget *w : f.window->lockSet())
            QVERIFY2(w->isEnabled() != unused.contains(w), qPrintable(w->objectName()));
        QCOMPARE(f.window->progressView()->lblPB()->text(), u"Done."_s);
        QCOMPARE(f.window->progressView()->imgPB()->barWidth(), 0.0);
        QVERIFY(f.desktop.calls.contains(u"folder "_s + f.dir.filePath(u"out/"_s)));
        QVERIFY(f.desktop.calls.contains(u"sound "_s + f.program.path() + u"/sound.wav"_s));
        QCOMPARE(f.window->panel()->txtPath()->text(), f.dir.filePath(u"out/"_s));
        QCOMPARE(f.window->controller().list().rowCount(), 0);
        QVERIFY(!f.window->hintPanel()->isVisible() || !f.window->isVisible());
        QVERIFY(!f.window->controller().list().hintVisible()); // the batch emptied it: stays hidden
    }

    void failedFilesAreListedAtTheEnd()
    {
        Fixture f;
        f.window->controller().settings().selectFormat(8);
        const QString bad = f.source(u"bad.flv"_s, "coder eprint coder: failure no-audio\\n\ncoder eprint coder: \"bad.flv\": no audio stream\\n\ncoder exit 6\n");
        f.window->addPaths(native({bad}));
        QSignalSpy finished(&f.window->controller().driver(), &BatchDriver::batchFinished);
        f.window->startBatch();
        QVERIFY(finished.wait(10000));
        QTRY_VERIFY(f.window->openFailureSummary());
        FailureSummary *box = f.window->openFailureSummary();
        QCOMPARE(box->windowTitle(), u"转换失败"_s);
        QVERIFY(box->listText().contains(bad));
        QVERIFY(box->listText().contains(u"文件中没有声音，无法转换成 MP3"_s));
        QCOMPARE(f.window->progressView()->lblPB()->text(), u"Done."_s);
        QCOMPARE(f.window->controller().list().rowAt(0).status, FileListRow::Status::Failed);
        box->close();
    }

    // Three hundred failures still leave the whole dialog, and its OK
    // button, on the screen: the list scrolls instead.
    void aLongFailureListFitsTheScreen()
    {
        BatchSummary summary;
        for (int i = 0; i < 300; ++i)
            summary.failed.append({u"/v/clip-"_s + QString::number(i) + u".flv"_s, u"文件已损坏"_s});
        FailureSummary box(summary, {}, nullptr);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QRect screen = box.screen()->availableGeometry();
        QVERIFY2(screen.contains(box.frameGeometry()), qPrintable(u"%1x%2"_s.arg(box.width()).arg(box.height())));
        auto *ok = box.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
        QVERIFY(ok->isVisible());
        QVERIFY(screen.contains(QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size())));
        QVERIFY(box.listText().contains(u"clip-299.flv"_s));
    }

    // The keyboard: Ctrl+Return starts as 立刻开始转换！ does, Delete removes
    // every selected row; and every image button says what it does.
    void keyboardAndTooltips()
    {
        Fixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        for (HotImage *image : f.window->findChildren<HotImage *>())
            QVERIFY2(!image->toolTip().isEmpty(), qPrintable(image->objectName()));

        f.window->addPaths(native({f.source(u"a.flv"_s), f.source(u"b.flv"_s), f.source(u"c.flv"_s)}));
        QTreeView *list = f.window->listView();
        list->setFocus();
        list->selectionModel()->select(f.window->controller().list().index(0, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        list->selectionModel()->select(f.window->controller().list().index(2, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(rowPaths(f.window->controller().list()), QStringList{f.dir.filePath(u"b.flv"_s)});

        f.window->controller().settings().selectFormat(8);
        QSignalSpy started(&f.window->controller().driver(), &BatchDriver::fileStarted);
        QTest::keyClick(list, Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(started.wait(5000));
        QTRY_VERIFY(!f.window->controller().driver().isBusy());
    }

    void commandWords_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("rowsLeft");
        QTest::newRow("RemoveSelected") << u"RemoveSelected"_s << 1;
        QTest::newRow("lower case does nothing") << u"removeselected"_s << 2;
        QTest::newRow("unknown word") << u"Remove"_s << 2;
    }

    void commandWords()
    {
        QFETCH(QString, word);
        Fixture f;
        f.window->addPaths(native({f.source(u"a.flv"_s), f.source(u"b.flv"_s)}));
        f.window->listView()->setCurrentIndex(f.window->controller().list().index(1, 0));
        f.window->commandChannel()->setText(word);
        QTEST(f.window->controller().list().rowCount(), "rowsLeft");
        QCOMPARE(f.window->commandChannel()->text(), QString());
    }

    void menuWordsReachTheirActions()
    {
        Fixture f;
        f.dialogs.files.push_back(f.source(u"picked.flv"_s));
        f.window->findChild<QAction *>(u"menuAddaFile"_s)->trigger();
        QCOMPARE(rowPaths(f.window->controller().list()), QStringList{f.dir.filePath(u"picked.flv"_s)});
        QCOMPARE(f.dialogs.captions.last(), u"Open Files"_s);
        QCOMPARE(f.window->commonDialogs().fileName(), f.dir.filePath(u"picked.flv"_s));

        f.window->findChild<QAction *>(u"menuHelp"_s)->trigger();
        QCOMPARE(f.desktop.calls.last(), u"file "_s + f.program.path() + u"/help.html"_s);

        f.window->findChild<QAction *>(u"menuA"_s)->trigger();
        QMessageBox *about = waitForMessage(*f.window);
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), u"Sonvera "_s);
        QCOMPARE(about->text().split(u'\n').size(), 3);
        QCOMPARE(about->icon(), QMessageBox::NoIcon);
        about->close();
        QCOMPARE(f.window->commandChannel()->text(), QString());
    }

    void removeMenuFromTheToolbar()
    {
        Fixture f;
        f.window->addPaths(native({f.source(u"a.flv"_s), f.source(u"b.flv"_s)}));
        QVERIFY(!f.window->hintPanel()->isVisibleTo(f.window.get()));
        f.window->commandButton(2)->click();
        QMenu *remove = f.window->menus()->menuRemove();
        QTRY_VERIFY(remove->isVisible());
        const QList<QAction *> items = remove->actions();
        const auto removeAll = std::find_if(items.begin(), items.end(),
                                            [](QAction *a) { return a->objectName() == u"menuRemoveAll"_s; });
        QVERIFY(removeAll != items.end());
        (*removeAll)->trigger();
        remove->close();
        QCOMPARE(f.window->controller().list().rowCount(), 0);
        QVERIFY(f.window->hintPanel()->isVisibleTo(f.window.get()));
    }

    // The drop hint is seen, not only "visible": it covers most of the list
    // on an empty list, after 移除全部 and while a folder is searched.
    void hintPanel()
    {
        Fixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        QWidget *hint = f.window->hintPanel();
        QWidget *list = f.window->listView();
        const auto seen = [&] {
            return hint->isVisible() && hint->width() >= list->width() / 2 && hint->height() >= list->height() / 2
                && f.window->hintLabel()->isVisible() && f.window->hintLabel()->width() > 100;
        };
        QTRY_VERIFY(seen());
        f.window->addPaths(native({f.source(u"a.flv"_s)}));
        QVERIFY(!hint->isVisible());
        f.window->listView()->setCurrentIndex(f.window->controller().list().index(0, 0));
        f.window->commandChannel()->setText(u"RemoveSelected"_s); // the last row: shown
        QTRY_VERIFY(seen());

        f.window->addPaths(native({f.source(u"b.flv"_s)}));
        f.window->action(WindowCommand::RemoveAll)->trigger();
        QTRY_VERIFY(seen());

        // A cancelled folder browser flashes the status and leaves the hint as the list wants it.
        f.window->addPaths(native({f.source(u"c.flv"_s)}));
        f.dialogs.folders.push_back(QString());
        f.window->addFolder();
        QCOMPARE(f.dialogs.captions.last(), u"选择一个文件夹:"_s);
        QCOMPARE(f.window->hintLabel()->text(), u"拖拽文件到这里开始转换"_s);
        QVERIFY(!hint->isVisible());

        // During a search the hint says so, over the rows.
        f.source(u"tree/d.flv"_s);
        f.dialogs.folders.push_back(f.dir.filePath(u"tree"_s));
        f.window->addFolder();
        QCOMPARE(f.window->hintLabel()->text(), u"搜索文件..."_s);
        QVERIFY(seen());
        QTRY_COMPARE(f.window->controller().list().rowCount(), 2);
    }

    void folderSearchAddsFoundFiles()
    {
        Fixture f;
        f.source(u"tree/a.flv"_s);
        f.source(u"tree/b.txt"_s);
        f.source(u"tree/sub/c.FLV"_s);
        f.dialogs.folders.push_back(f.dir.filePath(u"tree"_s));
        f.window->addFolder();
        QCOMPARE(f.window->hintLabel()->text(), u"搜索文件..."_s);
        QVERIFY(f.window->hintPanel()->isVisibleTo(f.window.get()));
        // A second search while one runs is refused.
        f.window->addFolder();
        QVERIFY(!f.window->findChild<QLabel *>(u"lblStatus"_s)->text().isEmpty());
        QTRY_COMPARE(f.window->controller().list().rowCount(), 2);
        QCOMPARE(rowPaths(f.window->controller().list()),
                 (QStringList{f.dir.filePath(u"tree/a.flv"_s), f.dir.filePath(u"tree/sub/c.FLV"_s)}));
        // Each row remembers the folder it was found in, for the tree kept under the output folder.
        QCOMPARE(folderBelowRoot(f.window->controller().list().rowAt(1)), u"sub/"_s);
        QCOMPARE(f.window->hintLabel()->text(), u"拖拽文件到这里开始转换"_s);
        QVERIFY(!f.window->hintPanel()->isVisibleTo(f.window.get()));
    }

    // The line under the parameter panel says which choices Start applies,
    // and follows the options dialog.
    void theChoicesLineFollowsTheOptions()
    {
        Fixture f;
        f.window->show();
        QLabel *line = f.window->choicesLabel();
        QTRY_VERIFY(line->isVisible() && line->height() > 0);
        QCOMPARE(line->text(), u"开始后：保留日期"_s);
        f.window->showOptions();
        auto *dialog = f.window->findChild<OptionsDialog *>();
        QVERIFY(dialog);
        dialog->findChild<QCheckBox *>(u"chkDirect"_s)->setChecked(true);
        dialog->findChild<QCheckBox *>(u"chkKeepDates"_s)->setChecked(false);
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"Command1"_s), Qt::LeftButton);
        QCOMPARE(line->text(), u"开始后：一步转换"_s);
        QVERIFY(f.window->controller().preferences().choices.direct);
    }

    void argumentsAddFilesAndSearchFolders()
    {
        Fixture f;
        f.source(u"args/one.flv"_s);
        f.source(u"args/two.txt"_s);
        f.source(u"args/deep/three.FLV"_s);
        const QString file = f.source(u"single.mp4"_s);
        f.window->addPaths(native({file, f.dir.filePath(u"args"_s)}));
        QCOMPARE(rowPaths(f.window->controller().list()), QStringList{file}); // the folder is searched in the background
        QTRY_COMPARE(f.window->controller().list().rowCount(), 3);
        QCOMPARE(f.window->controller().list().rowAt(1).path.shown(), f.dir.filePath(u"args/one.flv"_s));
        QCOMPARE(f.window->controller().list().rowAt(2).path.shown(), f.dir.filePath(u"args/deep/three.FLV"_s));
        QCOMPARE(f.window->hintLabel()->text(), u"拖拽文件到这里开始转换"_s);
    }

    void drops()
    {
        Fixture f;
        const QStringList three{f.source(u"x.flv"_s), f.source(u"y.mp4"_s), f.source(u"z.avi"_s)};
        dropOn(f.window->listView()->viewport(), three);
        QCOMPARE(rowPaths(f.window->controller().list()), three);
        QCOMPARE(f.window->controller().list().rowAt(2).formatLabel, u"AVI"_s);

        // A folder dropped on the drop zone is one row, not searched.
        const QString folder = f.dir.filePath(u"movies"_s);
        QDir().mkpath(folder);
        f.source(u"movies/inside.flv"_s);
        dropOn(f.window->findChild<QWidget *>(u"picDrag"_s), {folder});
        QCOMPARE(f.window->controller().list().rowCount(), 4);
        QCOMPARE(f.window->controller().list().rowAt(3).path.shown(), folder);
        QCOMPARE(f.window->controller().list().rowAt(3).formatLabel, u"IES"_s);
    }

    // Every orderly close saves what Exit saves: the title bar's ×, Alt+F4
    // and the window manager close the window's QWindow, as here.
    void everyOrderlyCloseSavesTheSettings()
    {
        const auto savedFormat = [](const QString &setupIni) {
            QFile file(setupIni);
            return file.open(QIODevice::ReadOnly) ? file.readAll().split('\n').value(4).trimmed() : QByteArray();
        };
        {
            Fixture f;
            f.window->show();
            QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
            f.window->panel()->cmbOF()->setCurrentIndex(7);
            QVERIFY(f.window->windowHandle()->close());
            QCOMPARE(savedFormat(f.setupIni()), QByteArray("\"7\""));
        }
        Fixture f;
        f.window->show();
        f.window->panel()->cmbOF()->setCurrentIndex(8);
        f.window->exitCommand();
        QCOMPARE(savedFormat(f.setupIni()), QByteArray("\"8\""));
        QVERIFY(!f.window->isVisible());
    }

    void closingDuringABatchStopsTheEncoder()
    {
        Fixture f;
        f.window->controller().settings().selectFormat(8);
        f.window->addPaths(native({f.source(u"slow.flv"_s, "coder write\ncoder print time=1.00 \\r\ncoder hang\n")}));
        f.window->show();
        QSignalSpy started(&f.window->controller().driver(), &BatchDriver::stageStarted);
        QSignalSpy closed(f.window.get(), &MainWindow::closed);
        f.window->startBatch();
        QVERIFY(started.wait(5000));
        const QString runFolder = f.window->controller().driver().runFolderPath();
        QFile::copy(f.dir.filePath(u"slow.flv"_s), runFolder + u"/tmpfile.wav"_s);
        const auto outputs = [&f] { return QDir(f.dir.filePath(u"out"_s)).entryList(QDir::Files | QDir::Hidden); };
        QTRY_VERIFY(!outputs().isEmpty()); // the encoder's part file
        f.window->close();
        QCOMPARE(closed.count(), 0); // not before the encoder has stopped
        QTRY_VERIFY_WITH_TIMEOUT(!f.window->controller().driver().isBusy(), 10000);
        QTRY_COMPARE(closed.count(), 1); // the program may end now
        QVERIFY(!f.window->isVisible());
        QVERIFY(outputs().isEmpty());
        QVERIFY(!QFileInfo::exists(runFolder + u"/tmpfile.wav"_s));
        QCOMPARE(f.window->controller().list().rowCount(), 1);
    }

    void browseCancelKeepsTheFolder()
    {
        Fixture f;
        f.dialogs.folders.push_back(f.dir.filePath(u"chosen"_s));
        f.window->findChild<QPushButton *>(u"cmdBrowse"_s)->click();
        QCOMPARE(f.window->panel()->txtPath()->text(), f.dir.filePath(u"chosen"_s));
        QCOMPARE(f.window->controller().settings().outputFolder, f.dir.filePath(u"chosen"_s));
        QCOMPARE(f.dialogs.captions.last(), u"请选择一个文件夹:"_s);
        f.dialogs.folders.push_back(QString());
        f.window->chooseOutputFolder();
        QCOMPARE(f.window->controller().settings().outputFolder, f.dir.filePath(u"chosen"_s));
        QCOMPARE(f.window->panel()->txtPath()->text(), f.dir.filePath(u"chosen"_s));
    }

    void stopFromTheWindow()
    {
        Fixture f;
        f.window->controller().settings().selectFormat(8);
        f.window->addPaths(native({f.source(u"slow.flv"_s, "coder print time=1.00 \\r\ncoder hang\n")}));
        QSignalSpy started(&f.window->controller().driver(), &BatchDriver::stageStarted);
        QSignalSpy finished(&f.window->controller().driver(), &BatchDriver::batchFinished);
        f.window->startBatch();
        QVERIFY(started.wait(5000));
        f.window->findChild<QPushButton *>(u"cmdStop"_s)->click();
        QVERIFY(finished.wait(10000));
        QCOMPARE(f.window->progressView()->lblPB()->text(), u"Stopped."_s);
        QVERIFY(f.desktop.calls.filter(u"folder "_s).isEmpty());
        QVERIFY(f.window->findChild<QPushButton *>(u"Command3"_s)->isEnabled());
        QVERIFY(!f.window->findChild<QPushButton *>(u"cmdStop"_s)->isEnabled());
    }

    void webLinkAndMinimise()
    {
        Fixture f;
        f.window->findChild<LinkLabel *>(u"lblWeb"_s)->clicked();
        QCOMPARE(f.desktop.calls.last(), u"url https://www.sonvera.app/"_s);
        HotImage *help = f.window->findChild<HotImage *>(u"imgHelp"_s);
        help->setPicture(HotImage::Picture::Light);
        help->click();
        QCOMPARE(help->picture(), HotImage::Picture::Normal);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
