// The main window's commands, its list and its batches, driven through its
// actions and widgets with the stand-in encoders; the probe columns with
// the real probe helper.
#include "batchfiles.h"
#include "failuresummary.h"
#include "hotimage.h"
#include "linklabel.h"
#include "optionsdialog.h"
#include "progressview.h"
#include "windowfixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QToolButton>
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

// The controls a batch disables.
const char *const kLockedDuringBatch[] = {
    "CmdToolsBar0", "CmdToolsBar1", "CmdToolsBar2", "CmdToolsBar4", "CmdToolsBar5", "Command3", "imgStart",
    "imgConvert", "imgAdd", "imgRemove", "lblFeed", "cmbOF", "cmbVB", "cmbF", "cmbS", "cmbR", "cmbBR",
    "cmbChannel", "txtPath", "cmdBrowse", "imgBrowse"};

QString lblPB(const WindowFixture &f)
{
    return f.child<QLabel>("lblPB")->text();
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The captions of the window's design, as its users know them.
    void captionsAndMenus()
    {
        WindowFixture f;
        QCOMPARE(f.window->windowTitle(), u"Sonvera "_s);
        const QList<std::pair<const char *, QString>> captions{
            {"CmdToolsBar0", u"添加文件"_s}, {"CmdToolsBar1", u"添加文件夹"_s}, {"CmdToolsBar2", u"移除文件"_s},
            {"CmdToolsBar4", u"提示设置"_s}, {"CmdToolsBar5", u"退出程序"_s},   {"Command3", u"立刻开始转换！"_s},
            {"cmdBrowse", u"浏览"_s},        {"lblFeed", u"意见反馈"_s},         {"lblWeb", u"Sonvera "_s},
            {"lblText", u"拖拽文件到这里开始转换"_s}, {"lblPB", u"0%"_s}};
        for (const auto &[name, caption] : captions) {
            QWidget *widget = f.child(name);
            QVERIFY2(widget, name);
            const auto *button = qobject_cast<QAbstractButton *>(widget);
            QCOMPARE(button ? button->text() : qobject_cast<QLabel *>(widget)->text(), caption);
        }
        QStringList labels;
        for (QLabel *label : f.window->findChildren<QLabel *>(u"caption"_s))
            labels << label->text();
        QCOMPARE(labels, (QStringList{u"输出格式："_s, u"视频比特率："_s, u"帧率："_s, u"视频尺寸："_s, u"声音频率："_s,
                                      u"声音比特率："_s, u"声道："_s, u"输出路径："_s}));
        const auto items = [&f](const char *menu) {
            QStringList out;
            for (QAction *a : f.child<QMenu>(menu)->actions())
                out << (a->isSeparator() ? u"-"_s : a->text());
            return out;
        };
        QCOMPARE(items("menuFile"), (QStringList{u"添加文件(&A)"_s, u"添加目录(&F)"_s, u"-"_s, u"退出(&E)"_s}));
        QCOMPARE(items("menuOptions"), QStringList{u"设置(&O)"_s});
        QCOMPARE(items("menuAbout"), (QStringList{u"帮助(&H)"_s, u"关于(&A)"_s}));
        QCOMPARE(items("menuRemove"), (QStringList{u"移除选择项"_s, u"移除全部"_s}));
        QCOMPARE(f.list().headerData(0, Qt::Horizontal).toString(), u"文件名"_s);
        QCOMPARE(f.list().headerData(1, Qt::Horizontal).toString(), u"格式"_s);
    }

    void pickingAFormatAppliesItsPreset()
    {
        WindowFixture f;
        const auto list = [&f](const char *name) { return f.child<QComboBox>(name); };
        list("cmbOF")->setCurrentIndex(6);
        list("cmbOF")->setCurrentIndex(8);
        QCOMPARE(list("cmbVB")->currentText(), u"128"_s);
        QCOMPARE(list("cmbS")->currentText(), u"320x240"_s);
        QCOMPARE(list("cmbR")->currentText(), u"48000"_s);
        QCOMPARE(list("cmbBR")->currentText(), u"320"_s);
        QCOMPARE(list("cmbChannel")->currentIndex(), 1);
        QCOMPARE(f.window->controller().settings().audioRate, u"48000"_s);

        // Typed texts are taken as they stand, and a preset replaces them.
        list("cmbVB")->setEditText(u"700 "_s);
        QCOMPARE(f.window->controller().settings().videoBitrate, u"700 "_s);
        list("cmbOF")->setCurrentIndex(2);
        QCOMPARE(list("cmbVB")->currentText(), u"600"_s);
        QCOMPARE(list("cmbF")->currentText(), u"24"_s); // not an entry, shown all the same
        QCOMPARE(list("cmbR")->currentText(), u"28000"_s);
        list("cmbChannel")->setCurrentIndex(0);
        QCOMPARE(f.window->controller().settings().channelCount(), 1);
    }

    void startWithAnEmptyList()
    {
        WindowFixture f;
        QSignalSpy lock(&f.window->controller().driver(), &BatchDriver::lockChanged);
        f.trigger(WindowCommand::Start);
        QMessageBox *box = f.waitForMessage();
        QVERIFY(box);
        QCOMPARE(box->text(), u"请先添加一个文件"_s);
        QCOMPARE(box->windowTitle(), u"添加"_s);
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(lock.count(), 0);
        // RMVB keeps the source's size at start: it uses neither the bitrates, the rates nor the channels.
        const QList<QByteArray> unused{"cmbVB", "cmbF", "cmbR", "cmbBR", "cmbChannel"};
        for (const char *name : kLockedDuringBatch)
            QVERIFY2(f.child(name)->isEnabled() != unused.contains(name), name);
        box->close();
    }

    // A batch locks the window, converts head first and leaves its rows done,
    // with their outputs, until the next start.
    void aBatchLocksTheWindowAndKeepsWhatItMade()
    {
        WindowFixture f;
        f.selectFormat(8);
        f.window->addPaths(native({f.source(u"a.flv"_s, "coder print Duration: 00:00:10.00, \\ntime=5.00 \\r\ncoder sleep 300\ncoder exit 0\n"),
                                   f.source(u"b.flv"_s)}));
        QSignalSpy finished(&f.window->controller().driver(), &BatchDriver::batchFinished);
        QSignalSpy started(&f.window->controller().driver(), &BatchDriver::fileStarted);
        f.trigger(WindowCommand::Start);
        QVERIFY(started.wait(5000));
        for (const char *name : kLockedDuringBatch)
            QVERIFY2(!f.child(name)->isEnabled(), name);
        // The image toolbar and the menus stay live; the row under conversion stays put.
        QVERIFY(f.child("imgToolbar0")->isEnabled());
        QVERIFY(f.child("cmdStop")->isEnabled());
        f.child<QTreeView>("LV")->setCurrentIndex(f.list().index(0, 0));
        f.child<QLineEdit>("txtAction")->setText(u"RemoveSelected"_s);
        QCOMPARE(f.list().rowCount(), 2);
        QTRY_VERIFY(lblPB(f).startsWith(u"创建中"_s));
        // The row has no spinner glyph, and an MP3 of one stage is converting.
        QCOMPARE(f.list().rowAt(0).progress(), u"转换中 50%"_s);

        QVERIFY(finished.wait(10000));
        // All enabled again, but the picture's lists, which MP3 does not use.
        const QList<QByteArray> unused{"cmbVB", "cmbF", "cmbS"};
        for (const char *name : kLockedDuringBatch)
            QVERIFY2(f.child(name)->isEnabled() != unused.contains(name), name);
        QCOMPARE(lblPB(f), BatchTexts::kDone.toString());
        QCOMPARE(f.child<ProgressBarImage>("imgPB")->barWidth(), 0.0);
        QVERIFY(f.desktop.calls.contains(u"folder "_s + f.dir.filePath(u"out/"_s)));
        QVERIFY(f.desktop.calls.contains(u"sound "_s + f.program.path() + u"/sound.wav"_s));
        QCOMPARE(f.child<QLineEdit>("txtPath")->text(), f.dir.filePath(u"out/"_s));

        // Both rows stay, done, each with its own output; the hint stays hidden.
        QCOMPARE(f.list().rowCount(), 2);
        const QStringList outputs = finished.first().first().value<BatchSummary>().outputs;
        for (int i = 0; i < 2; ++i) {
            const FileListRow &row = f.list().rowAt(i);
            QCOMPARE(row.status, FileListRow::Status::Done);
            QVERIFY(outputs.contains(row.outputPath()));
            QVERIFY(f.list().index(i, FileList::StatusColumn).data().toString().contains(QFileInfo(row.outputPath()).fileName()));
        }
        QVERIFY(!f.list().hintVisible());

        // Double-click (Return) plays it; the list's menu shows it in its folder.
        QTreeView *view = f.child<QTreeView>("LV");
        view->setCurrentIndex(f.list().index(1, 0));
        Q_EMIT view->activated(f.list().index(1, 0));
        QCOMPARE(f.desktop.calls.last(), u"file "_s + f.list().rowAt(1).outputPath());
        f.trigger(WindowCommand::ShowOutput);
        QCOMPARE(f.desktop.calls.last(), u"show "_s + f.list().rowAt(1).outputPath());
        f.trigger(WindowCommand::OpenOutputFolder);
        QCOMPARE(f.desktop.calls.last(), u"folder "_s + f.dir.filePath(u"out/"_s));

        // The next start lets them go and converts what was added since, only that.
        const QString c = f.source(u"c.flv"_s);
        f.window->addPaths(native({c}));
        f.trigger(WindowCommand::Start);
        QCOMPARE(rowPaths(f.list()), QStringList{c});
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.last().first().value<BatchSummary>().converted, 1);
    }

    // Without an opener (no xdg-open) the window says so and where the thing is.
    void withoutAnOpenerTheWindowShowsThePath()
    {
        WindowFixture f;
        f.desktop.canOpen = false;
        QDir().mkpath(f.dir.filePath(u"out"_s));
        f.trigger(WindowCommand::OpenOutputFolder);
        QMessageBox *box = f.waitForMessage();
        QVERIFY(box);
        QVERIFY2(box->text().contains(f.dir.filePath(u"out"_s)), qPrintable(box->text()));
        QVERIFY(box->text().contains(u"xdg-open"_s));
        box->close();

        // At the end of a batch the folder that did not open is named in the status line.
        f.selectFormat(8);
        f.window->addPaths(native({f.source(u"a.flv"_s)}));
        QSignalSpy finished(&f.window->controller().driver(), &BatchDriver::batchFinished);
        f.trigger(WindowCommand::Start);
        QVERIFY(finished.wait(10000));
        QVERIFY(f.child<QLabel>("lblStatus")->text().contains(f.dir.filePath(u"out/"_s)));
    }

    void failedFilesAreListedAtTheEnd()
    {
        WindowFixture f;
        f.selectFormat(8);
        const QString bad = f.source(u"bad.flv"_s, "coder eprint coder: failure no-audio\\n\ncoder eprint coder: "
                                                   "\"bad.flv\": no audio stream\\n\ncoder exit 6\n");
        f.window->addPaths(native({bad}));
        QSignalSpy finished(&f.window->controller().driver(), &BatchDriver::batchFinished);
        f.trigger(WindowCommand::Start);
        QVERIFY(finished.wait(10000));
        QTRY_VERIFY(f.window->findChild<FailureSummary *>());
        FailureSummary *box = f.window->findChild<FailureSummary *>();
        QCOMPARE(box->windowTitle(), u"转换失败"_s);
        QVERIFY(box->listText().contains(bad));
        QVERIFY(box->listText().contains(u"文件中没有声音，无法转换成 MP3"_s));
        QCOMPARE(lblPB(f), BatchTexts::kDone.toString());
        QCOMPARE(f.list().rowAt(0).status, FileListRow::Status::Failed);
        box->close();
    }

    // Many failures still leave the whole dialog, and its OK button, on the
    // screen: the list scrolls, and names the first 500 and how many more.
    void aLongFailureListFitsTheScreen()
    {
        BatchSummary summary;
        for (int i = 0; i < 1200; ++i)
            summary.failed.append({u"/v/clip-"_s + QString::number(i) + u".flv"_s, u"文件已损坏"_s});
        FailureSummary box(summary, {}, nullptr);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QRect screen = box.screen()->availableGeometry();
        QVERIFY2(screen.contains(box.frameGeometry()), qPrintable(u"%1x%2"_s.arg(box.width()).arg(box.height())));
        auto *ok = box.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
        QVERIFY(ok->isVisible());
        QVERIFY(screen.contains(QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size())));
        QVERIFY(box.listText().contains(u"clip-499.flv"_s));
        QVERIFY(!box.listText().contains(u"clip-500.flv"_s));
        QVERIFY(box.listText().endsWith(u"还有 700 个文件没有转换成功；文件列表中每一行的提示说明了原因。"_s));
    }

    // The keyboard: Ctrl+Return starts as 立刻开始转换！ does, Delete removes
    // every selected row.
    void keyboardCommands()
    {
        WindowFixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        f.window->addPaths(native({f.source(u"a.flv"_s), f.source(u"b.flv"_s), f.source(u"c.flv"_s)}));
        auto *list = f.child<QTreeView>("LV");
        list->setFocus();
        for (int row : {0, 2})
            list->selectionModel()->select(f.list().index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(rowPaths(f.list()), QStringList{f.dir.filePath(u"b.flv"_s)});

        f.selectFormat(8);
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
        WindowFixture f;
        f.window->addPaths(native({f.source(u"a.flv"_s), f.source(u"b.flv"_s)}));
        f.child<QTreeView>("LV")->setCurrentIndex(f.list().index(1, 0));
        f.child<QLineEdit>("txtAction")->setText(word);
        QTEST(f.list().rowCount(), "rowsLeft");
        QCOMPARE(f.child<QLineEdit>("txtAction")->text(), QString());
    }

    // The add-file dialog takes several files at once, offers video files
    // (FLV first) and opens where the last dialog was answered.
    void menuWordsReachTheirActions()
    {
        WindowFixture f;
        const QString one = f.source(u"picked/one.flv"_s);
        const QString two = f.source(u"picked/two.mp4"_s);
        f.dialogs.files.push_back(one + u'\n' + two);
        f.child<QAction>("menuAddaFile")->trigger();
        QCOMPARE(rowPaths(f.list()), (QStringList{one, two}));
        QCOMPARE(f.dialogs.captions.last(), u"打开文件"_s);
        const FileDialogRequest request = f.dialogs.requests.last();
        QVERIFY2(request.nameFilters.first().contains(u"(*.flv "_s), qPrintable(request.nameFilters.first()));
        QVERIFY(request.directory != f.program.path());
        // The next dialogs open in the folder the files came from.
        f.dialogs.files.push_back(QString());
        f.child<QAction>("menuAddaFile")->trigger();
        QCOMPARE(QDir(f.dialogs.requests.last().directory).absolutePath(), f.dir.filePath(u"picked"_s));
        f.dialogs.folders.push_back(QString());
        f.trigger(WindowCommand::AddFolder);
        QCOMPARE(f.dialogs.startFolders.last(), f.dir.filePath(u"picked"_s));

        f.child<QAction>("menuHelp")->trigger();
        QCOMPARE(f.desktop.calls.last(), u"file "_s + f.program.path() + u"/help.html"_s);

        f.child<QAction>("menuA")->trigger();
        QMessageBox *about = f.waitForMessage();
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), u"Sonvera "_s);
        QCOMPARE(about->text().split(u'\n').size(), 3);
        QCOMPARE(about->icon(), QMessageBox::NoIcon);
        about->close();
    }

    void removeMenuFromTheToolbar()
    {
        WindowFixture f;
        f.window->addPaths(native({f.source(u"a.flv"_s), f.source(u"b.flv"_s)}));
        QWidget *hint = f.child("picText");
        QVERIFY(!hint->isVisibleTo(f.window.get()));
        f.child<QToolButton>("CmdToolsBar2")->click();
        auto *remove = f.child<QMenu>("menuRemove");
        QTRY_VERIFY(remove->isVisible());
        f.child<QAction>("menuRemoveAll")->trigger();
        remove->close();
        QCOMPARE(f.list().rowCount(), 0);
        QVERIFY(hint->isVisibleTo(f.window.get()));
    }

    // The drop hint is seen, not only "visible": it covers most of the list
    // on an empty list, after 移除全部 and while a folder is searched.
    void hintPanel()
    {
        WindowFixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        QWidget *hint = f.child("picText");
        QWidget *list = f.child("LV");
        auto *label = f.child<QLabel>("lblText");
        const auto seen = [&] {
            return hint->isVisible() && hint->width() >= list->width() / 2 && hint->height() >= list->height() / 2
                && label->isVisible() && label->width() > 100;
        };
        QTRY_VERIFY(seen());
        f.window->addPaths(native({f.source(u"a.flv"_s)}));
        QVERIFY(!hint->isVisible());
        f.child<QTreeView>("LV")->setCurrentIndex(f.list().index(0, 0));
        f.child<QLineEdit>("txtAction")->setText(u"RemoveSelected"_s); // the last row: shown
        QTRY_VERIFY(seen());

        f.window->addPaths(native({f.source(u"b.flv"_s)}));
        f.trigger(WindowCommand::RemoveAll);
        QTRY_VERIFY(seen());

        // A cancelled folder browser flashes the status and leaves the hint as the list wants it.
        f.window->addPaths(native({f.source(u"c.flv"_s)}));
        f.dialogs.folders.push_back(QString());
        f.trigger(WindowCommand::AddFolder);
        QCOMPARE(f.dialogs.captions.last(), u"选择一个文件夹:"_s);
        QCOMPARE(label->text(), u"拖拽文件到这里开始转换"_s);
        QVERIFY(!hint->isVisible());

        // During a search the hint says so, over the rows.
        f.source(u"tree/d.flv"_s);
        f.dialogs.folders.push_back(f.dir.filePath(u"tree"_s));
        f.trigger(WindowCommand::AddFolder);
        QCOMPARE(label->text(), u"搜索文件..."_s);
        QVERIFY(seen());
        QTRY_COMPARE(f.list().rowCount(), 2);
    }

    void folderSearchAddsFoundFiles()
    {
        WindowFixture f;
        f.source(u"tree/a.flv"_s);
        f.source(u"tree/b.txt"_s);
        f.source(u"tree/sub/c.FLV"_s);
        f.dialogs.folders.push_back(f.dir.filePath(u"tree"_s));
        f.trigger(WindowCommand::AddFolder);
        auto *label = f.child<QLabel>("lblText");
        QCOMPARE(label->text(), u"搜索文件..."_s);
        QVERIFY(f.child("picText")->isVisibleTo(f.window.get()));
        // A second search while one runs is refused.
        f.trigger(WindowCommand::AddFolder);
        QVERIFY(!f.child<QLabel>("lblStatus")->text().isEmpty());
        QTRY_COMPARE(f.list().rowCount(), 2);
        QCOMPARE(rowPaths(f.list()), (QStringList{f.dir.filePath(u"tree/a.flv"_s), f.dir.filePath(u"tree/sub/c.FLV"_s)}));
        // Each row remembers the folder it was found in, for the tree kept under the output folder.
        QCOMPARE(folderBelowRoot(f.list().rowAt(1)), u"sub/"_s);
        QCOMPARE(label->text(), u"拖拽文件到这里开始转换"_s);
        QVERIFY(!f.child("picText")->isVisibleTo(f.window.get()));
    }

    // The line under the parameter panel says which choices Start applies,
    // and follows the options dialog.
    void theChoicesLineFollowsTheOptions()
    {
        WindowFixture f;
        f.window->show();
        auto *line = f.child<QLabel>("lblChoices");
        QTRY_VERIFY(line->isVisible() && line->height() > 0);
        QCOMPARE(line->text(), u"开始后：保留日期"_s);
        f.trigger(WindowCommand::Options);
        auto *dialog = f.window->findChild<OptionsDialog *>();
        QVERIFY(dialog);
        dialog->findChild<QCheckBox *>(u"chkDirect"_s)->setChecked(true);
        dialog->findChild<QCheckBox *>(u"chkKeepDates"_s)->setChecked(false);
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"Command1"_s), Qt::LeftButton);
        QCOMPARE(line->text(), u"开始后：一步转换"_s);
        QVERIFY(f.window->controller().preferences().choices.direct);
    }

    // During a batch the settings it uses are shown disabled, saying why,
    // in the options dialog the image toolbar still opens; the rest stays open.
    void theBatchSettingsAreLockedWhileItRuns()
    {
        WindowFixture f;
        f.selectFormat(8);
        f.window->addPaths(native({f.source(u"a.flv"_s, "coder sleep 300\ncoder exit 0\n")}));
        QSignalSpy finished(&f.window->controller().driver(), &BatchDriver::batchFinished);
        QSignalSpy started(&f.window->controller().driver(), &BatchDriver::fileStarted);
        f.trigger(WindowCommand::Start);
        QVERIFY(started.wait(5000));
        f.trigger(WindowCommand::Options);
        auto *dialog = f.window->findChild<OptionsDialog *>();
        QVERIFY(dialog);
        const char *const locked[]{"chkDirect", "chkRemux", "chkKeepDates", "chkKeepTree", "chkMC", "txtFromH", "cmbJobs"};
        const QString why = dialog->findChild<QWidget *>(u"chkDirect"_s)->toolTip();
        for (const char *name : locked) {
            const QWidget *control = dialog->findChild<QWidget *>(QString::fromLatin1(name));
            QVERIFY2(!control->isEnabled() && control->toolTip() == why, name);
        }
        for (const char *name : {"cmbSR", "cmbAfter", "cmbLanguage", "Command1", "Command2"})
            QVERIFY2(dialog->findChild<QWidget *>(QString::fromLatin1(name))->isEnabled(), name);
        QVERIFY(dialog->findChild<QLabel *>(u"lblLocked"_s)->isVisibleTo(dialog));
        QVERIFY(!f.child("lblChoices")->isEnabled());

        QVERIFY(finished.wait(10000));
        const auto *direct = dialog->findChild<QWidget *>(u"chkDirect"_s);
        QVERIFY(direct->isEnabled() && !direct->toolTip().isEmpty() && direct->toolTip() != why);
        QVERIFY(dialog->findChild<QWidget *>(u"chkMC"_s)->isEnabled());
        QVERIFY(!dialog->findChild<QLabel *>(u"lblLocked"_s)->isVisibleTo(dialog));
        QVERIFY(f.child("lblChoices")->isEnabled());
        dialog->reject();
    }

    // Each new file starts the progress line afresh: never the last step and
    // 100% of the file before beside a row that says 转换中.
    void eachFileStartsTheProgressLineAfresh()
    {
        WindowFixture f;
        f.selectFormat(0); // RMVB: two steps
        f.window->addPaths(native({f.source(u"a.flv"_s, "coder print Duration: 00:00:10.00, \\ntime=10.00 \\r\n"),
                                   f.source(u"b.flv"_s)}));
        BatchDriver &driver = f.window->controller().driver();
        bool secondStepShown = false;
        connect(&driver, &BatchDriver::progressChanged, f.window.get(),
                [&](const ProgressDisplay &display) { secondStepShown = secondStepShown || display.step == 2; });
        QStringList atSecondFile;
        connect(&driver, &BatchDriver::fileStarted, f.window.get(), [&](quint64, const QString &, int number) {
            if (number == 2)
                atSecondFile << f.child<QLabel>("lblStep")->text() + u'|' + lblPB(f);
        });
        QSignalSpy finished(&driver, &BatchDriver::batchFinished);
        f.trigger(WindowCommand::Start);
        QVERIFY(finished.wait(10000));
        QVERIFY(secondStepShown);
        QCOMPARE(atSecondFile, QStringList{u"|转换中 0%"_s});
    }

    void argumentsAddFilesAndSearchFolders()
    {
        WindowFixture f;
        f.source(u"args/one.flv"_s);
        f.source(u"args/two.txt"_s);
        f.source(u"args/deep/three.FLV"_s);
        const QString file = f.source(u"single.mp4"_s);
        f.window->addPaths(native({file, f.dir.filePath(u"args"_s)}));
        QCOMPARE(rowPaths(f.list()), QStringList{file}); // the folder is searched in the background
        QTRY_COMPARE(f.list().rowCount(), 3);
        QCOMPARE(f.list().rowAt(1).path.shown(), f.dir.filePath(u"args/one.flv"_s));
        QCOMPARE(f.list().rowAt(2).path.shown(), f.dir.filePath(u"args/deep/three.FLV"_s));
        QCOMPARE(f.child<QLabel>("lblText")->text(), u"拖拽文件到这里开始转换"_s);
    }

    void drops()
    {
        WindowFixture f;
        const QStringList three{f.source(u"x.flv"_s), f.source(u"y.mp4"_s), f.source(u"z.avi"_s)};
        dropOn(f.child<QTreeView>("LV")->viewport(), three);
        QCOMPARE(rowPaths(f.list()), three);
        QCOMPARE(f.list().rowAt(2).formatLabel(), u"AVI"_s);

        // A folder dropped on the drop zone is one row, not searched.
        const QString folder = f.dir.filePath(u"movies"_s);
        QDir().mkpath(folder);
        f.source(u"movies/inside.flv"_s);
        dropOn(f.child("picDrag"), {folder});
        QCOMPARE(f.list().rowCount(), 4);
        QCOMPARE(f.list().rowAt(3).path.shown(), folder);
        QCOMPARE(f.list().rowAt(3).formatLabel(), u"IES"_s);
    }

    // The list shows each file's length, picture size, size on disk and a
    // thumbnail of each row on show before any conversion, from the real probe
    // helper; the files' total length is under the list.
    void theProbeFillsTheColumns()
    {
        WindowFixture f;
        f.window->controller().probe().setHelper(QStringLiteral(PROBE_HELPER_PATH));
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        const QString clip = f.dir.filePath(u"片段 one.flv"_s);
        QProcess ffmpeg;
        ffmpeg.start(u"ffmpeg"_s, {u"-v"_s, u"error"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                                   u"testsrc=size=160x120:rate=15:duration=2"_s, u"-c:v"_s, u"flv1"_s, clip});
        QVERIFY(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0);
        const QString junk = f.source(u"notes.flv"_s, "not a video");
        f.window->addPaths(native({clip, junk}));
        QTRY_VERIFY_WITH_TIMEOUT(f.list().rowAt(0).media.state == MediaInfo::State::Known
                                     && f.list().rowAt(1).media.state != MediaInfo::State::Unknown,
                                 30000);
        const auto cell = [&f](int row, int column) { return f.list().index(row, column).data().toString(); };
        QCOMPARE(cell(0, FileList::DurationColumn), u"0:02"_s);
        QCOMPARE(cell(0, FileList::PictureSizeColumn), u"160×120"_s);
        QCOMPARE(cell(0, FileList::FileSizeColumn), fileSizeText(QFileInfo(clip).size()));
        QTRY_VERIFY_WITH_TIMEOUT(!QImage::fromData(f.list().rowAt(0).media.thumbnailPng).isNull(), 30000);
        QCOMPARE(f.list().rowAt(1).media.state, MediaInfo::State::Unreadable);
        QCOMPARE(cell(1, FileList::DurationColumn), QString());
        QCOMPARE(f.child<QLabel>("lblWorkload")->text(), u"2 个文件，至少 0:02"_s);
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
            WindowFixture f;
            f.window->show();
            QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
            f.child<QComboBox>("cmbOF")->setCurrentIndex(7);
            QVERIFY(f.window->windowHandle()->close());
            QCOMPARE(savedFormat(f.setupIni()), QByteArray("\"7\""));
        }
        WindowFixture f;
        f.window->show();
        f.child<QComboBox>("cmbOF")->setCurrentIndex(8);
        f.trigger(WindowCommand::Exit);
        QCOMPARE(savedFormat(f.setupIni()), QByteArray("\"8\""));
        QVERIFY(!f.window->isVisible());
    }

    void browseCancelKeepsTheFolder()
    {
        WindowFixture f;
        f.dialogs.folders.push_back(f.dir.filePath(u"chosen"_s));
        f.child<QPushButton>("cmdBrowse")->click();
        QCOMPARE(f.child<QLineEdit>("txtPath")->text(), f.dir.filePath(u"chosen"_s));
        QCOMPARE(f.window->controller().settings().outputFolder, f.dir.filePath(u"chosen"_s));
        QCOMPARE(f.dialogs.captions.last(), u"请选择一个文件夹:"_s);
        f.dialogs.folders.push_back(QString());
        f.trigger(WindowCommand::ChooseOutputFolder);
        QCOMPARE(f.window->controller().settings().outputFolder, f.dir.filePath(u"chosen"_s));
        QCOMPARE(f.child<QLineEdit>("txtPath")->text(), f.dir.filePath(u"chosen"_s));
    }

    void stopFromTheWindow()
    {
        WindowFixture f;
        f.selectFormat(8);
        f.window->addPaths(native({f.source(u"slow.flv"_s, "coder print time=1.00 \\r\ncoder hang\n")}));
        QSignalSpy started(&f.window->controller().driver(), &BatchDriver::stageStarted);
        QSignalSpy finished(&f.window->controller().driver(), &BatchDriver::batchFinished);
        f.trigger(WindowCommand::Start);
        QVERIFY(started.wait(5000));
        f.child<QPushButton>("cmdStop")->click();
        QVERIFY(finished.wait(10000));
        QCOMPARE(lblPB(f), BatchTexts::kStopped.toString());
        QVERIFY(f.desktop.calls.filter(u"folder "_s).isEmpty());
        QVERIFY(f.child("Command3")->isEnabled());
        QVERIFY(!f.child("cmdStop")->isEnabled());
    }

    void webLinkAndMinimise()
    {
        WindowFixture f;
        Q_EMIT f.child<LinkLabel>("lblWeb")->clicked();
        QCOMPARE(f.desktop.calls.last(), u"url https://www.sonvera.app/"_s);
        auto *help = f.child<HotImage>("imgHelp");
        help->setPicture(HotImage::Picture::Light);
        help->click();
        QCOMPARE(help->picture(), HotImage::Picture::Normal);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
