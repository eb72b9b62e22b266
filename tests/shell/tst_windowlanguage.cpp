// One language at a time: every window and dialog in English shows no
// Chinese and clips none of its captions; in the C locale the same windows,
// Qt's own dialogs among them, show no Latin words but format names, units,
// the product's name and the user's own file names. The translations are
// installed the way the programs install them.
#include "chromeicon.h"
#include "cjk.h"
#include "failuresummary.h"
#include "closequestion.h"
#include "feedbackform.h"
#include "optionsdialog.h"
#include "parameterpanel.h"
#include "powercountdowndialog.h"
#include "restorequestion.h"
#include "uilanguage.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QRegularExpression>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using namespace sonvera;

namespace {

QString nameOf(const QObject *object)
{
    return QString::fromLatin1(object->metaObject()->className()) + u' ' + object->objectName();
}

// Every text a widget can show: its title, tips, captions, entries, headers
// and cells, and the texts of its actions (menu items).
QStringList textsOf(const QWidget *widget)
{
    QStringList texts{widget->windowTitle(), widget->toolTip(), widget->statusTip(), widget->whatsThis()};
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        texts << label->text();
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        texts << button->text();
    if (const auto *edit = qobject_cast<const QLineEdit *>(widget))
        texts << edit->text() << edit->placeholderText();
    if (const auto *edit = qobject_cast<const QPlainTextEdit *>(widget))
        texts << edit->toPlainText() << edit->placeholderText();
    if (const auto *box = qobject_cast<const QMessageBox *>(widget))
        texts << box->text() << box->informativeText();
    if (const auto *menu = qobject_cast<const QMenu *>(widget))
        texts << menu->title();
    if (const auto *list = qobject_cast<const QComboBox *>(widget)) {
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
    }
    if (const auto *view = qobject_cast<const QAbstractItemView *>(widget); view && view->model()) {
        // The rows on show: those under the view's root.
        const QAbstractItemModel *model = view->model();
        const QModelIndex root = view->rootIndex();
        for (int column = 0; column < model->columnCount(root); ++column) {
            texts << model->headerData(column, Qt::Horizontal).toString();
            for (int row = 0; row < model->rowCount(root); ++row) {
                const QModelIndex index = model->index(row, column, root);
                texts << index.data(Qt::DisplayRole).toString() << index.data(Qt::ToolTipRole).toString();
            }
        }
    }
    const QList<QAction *> actions = widget->actions();
    for (const QAction *action : actions)
        texts << action->text() << action->toolTip() << action->statusTip();
    return texts;
}

// The texts of `root` and everything in it that hold Chinese, each with the
// widget that shows it.
QStringList chineseIn(const QWidget *root)
{
    QStringList found;
    QList<const QWidget *> widgets{root};
    for (const QWidget *child : root->findChildren<QWidget *>())
        widgets << child;
    for (const QWidget *widget : widgets) {
        for (const QString &text : textsOf(widget)) {
            if (hasCjk(text))
                found << nameOf(widget) + u": "_s + text;
        }
    }
    return found;
}

// The Latin words that texts on screen in `root` show, each with the widget
// that shows it, but those of format names, units and the product's name;
// paths, file names and web addresses (the user's own and ours) are left
// out, and so are the places of a file dialog's side bar (the user's home
// folder is named after the user).
QStringList latinWordsIn(const QWidget *root)
{
    static const QRegularExpression userData(
        u"\\S*[/@]\\S*|www\\.\\S+|[\\w.+-]+\\.(flv|mp3|mp4|rmvb|rm|avi|mov|3gp|mpg|html)\\b"_s,
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression word(u"[A-Za-z]{2,}"_s);
    static const QSet<QString> allowed{u"RMVB"_s,  u"RM"_s,     u"MPG"_s,    u"MPEG"_s,  u"MPEG2"_s, u"AVI"_s,
                                       u"MP4"_s,   u"MOV"_s,    u"GP"_s,     u"MP"_s,    u"FLV"_s,   u"RealPlayerRMVB"_s,
                                       u"RealPlayerRM"_s, u"Windows"_s, u"Media"_s, u"Player"_s, u"QuickTime"_s,
                                       u"Sonvera"_s, u"kbps"_s, u"Hz"_s, u"KB"_s, u"MB"_s, u"GB"_s, u"English"_s,
                                       u"Flash"_s};
    QStringList found;
    QList<const QWidget *> widgets{root};
    for (const QWidget *child : root->findChildren<QWidget *>())
        widgets << child;
    for (const QWidget *widget : widgets) {
        if (!widget->isVisible() || widget->objectName() == u"sidebar"_s)
            continue;
        for (QString text : textsOf(widget)) {
            text.remove(userData);
            for (const QRegularExpressionMatch &match : word.globalMatch(text)) {
                if (!allowed.contains(match.captured()))
                    found << nameOf(widget) + u": "_s + match.captured() + u" in "_s + textsOf(widget).join(u'|');
            }
        }
    }
    return found;
}

// Captions on screen narrower than their text: a label that does not wrap,
// a button.
QStringList clippedIn(const QWidget *root)
{
    QStringList clipped;
    for (const QWidget *widget : root->findChildren<QWidget *>()) {
        if (!widget->isVisible())
            continue;
        const auto *label = qobject_cast<const QLabel *>(widget);
        const auto *button = qobject_cast<const QAbstractButton *>(widget);
        const bool caption = (label && !label->wordWrap() && !label->text().isEmpty())
            || (button && !button->text().isEmpty());
        if (caption && widget->width() < widget->sizeHint().width())
            clipped << nameOf(widget) + u" \""_s + (label ? label->text() : button->text()) + u"\": "_s
                    + QString::number(widget->width()) + u" < "_s + QString::number(widget->sizeHint().width());
    }
    return clipped;
}

} // namespace

class TestWindowLanguage : public QObject {
    Q_OBJECT

    // A batch in which one file failed (the encoder found no sound), over a
    // window on screen.
    static bool runBatchWithAFailure(WindowFixture &f)
    {
        f.window->show();
        f.selectFormat(kMp3Format);
        const QString good = f.source(u"good.flv"_s);
        const QString bad = f.source(u"bad.flv"_s, "coder eprint coder: failure no-audio\\n\ncoder eprint coder: "
                                                   "\"bad.flv\": no audio stream\\n\ncoder exit 6\n");
        f.window->addPaths({QFile::encodeName(good), QFile::encodeName(bad)});
        QSignalSpy finished(&f.window->controller().driver(), &BatchDriver::batchFinished);
        f.trigger(WindowCommand::Start);
        return finished.wait(10000)
            && QTest::qWaitFor([&f] { return f.window->findChild<FailureSummary *>() != nullptr; }, 5000);
    }

    // Each dialog of the program, open over `window`.
    static QList<QWidget *> openDialogs(WindowFixture &f, AppOptions &options, Preferences &preferences)
    {
        MainWindow &window = *f.window;
        f.trigger(WindowCommand::About);
        auto *settings = new OptionsDialog(options, {}, &window, &preferences);
        auto *feedback = new FeedbackForm(&window);
        auto *restore = new RestoreQuestion(3, &window);
        auto *countdown = new PowerCountdownDialog(AfterBatchAction::PowerOff, &window, 60, 0ms);
        auto *question = new CloseQuestion(&window);
        const QList<QWidget *> dialogs{f.message(), window.findChild<FailureSummary *>(), settings, feedback,
                                       restore, countdown, question};
        for (QWidget *dialog : dialogs) {
            dialog->setAttribute(Qt::WA_DeleteOnClose);
            dialog->show();
        }
        // The feedback form's prompt for a missing name, a text of its own.
        feedback->findChild<QLineEdit *>(u"txtName"_s)->clear();
        feedback->send();
        return dialogs;
    }

private Q_SLOTS:
    // Captions are measured in the program's own fonts and paddings.
    void initTestCase() { applySkin(*qApp); }

    void chineseShowsNoEnglish()
    {
        LanguageEnvironment c;
        c.lang = u"C"_s;
        QVERIFY(installTranslations(chooseUiLanguage(c)));
        WindowFixture f(UiLanguage::Chinese);
        QVERIFY(runBatchWithAFailure(f));
        AppOptions options;
        Preferences preferences;
        const QList<QWidget *> dialogs = openDialogs(f, options, preferences);
        // Qt's own file dialog, as the add-file command shows it.
        // Over a folder of the user's, whose names are the user's own (Chinese here).
        QDir().mkpath(f.dir.filePath(u"对话框/视频"_s));
        f.source(u"对话框/旅行.flv"_s, "film");
        QFileDialog files(f.window.get(), u"打开文件"_s, f.dir.filePath(u"对话框"_s));
        files.setOption(QFileDialog::DontUseNativeDialog);
        files.setViewMode(QFileDialog::Detail);
        files.show();
        QVERIFY(QTest::qWaitForWindowExposed(&files));

        QTRY_VERIFY(!files.findChild<QAbstractItemView *>(u"treeView"_s)->model()->index(0, 0).data().toString().isEmpty());
        QStringList latin = latinWordsIn(f.window.get()) + latinWordsIn(&files);
        for (QWidget *dialog : dialogs)
            latin << latinWordsIn(dialog);
        QVERIFY2(latin.isEmpty(), qPrintable(latin.join(u'\n')));
        // The texts stay those of the window's design.
        QCOMPARE(f.window->findChild<QPushButton *>(u"Command3"_s)->text(), u"立刻开始转换！"_s);
        QCOMPARE(f.window->findChild<QLabel *>(u"lblText"_s)->text(), u"拖拽文件到这里开始转换"_s);
        QCOMPARE(f.child<QComboBox>("cmbOF")->itemText(3), u"AVI(Windows Media Player格式)"_s);
        QCOMPARE(f.window->findChild<FailureSummary *>()->windowTitle(), u"转换失败"_s);
        QCOMPARE(dialogs.at(2)->windowTitle(), u"选项设置"_s);
        QCOMPARE(qobject_cast<RestoreQuestion *>(dialogs.at(4))->text(), u"上次有 3 个文件没有转换完，恢复到列表吗？"_s);
        QCOMPARE(qobject_cast<PowerCountdownDialog *>(dialogs.at(5))->text(), u"转换已完成，60 秒后关机。"_s);
        // Qt's own button of the failure list, from Qt's Chinese translation.
        const auto *buttons = f.window->findChild<FailureSummary *>()->findChild<QDialogButtonBox *>();
        QCOMPARE(buttons->button(QDialogButtonBox::Ok)->text(), u"确定"_s);

        f.trigger(WindowCommand::Help);
        QCOMPARE(f.desktop.calls.last(), u"file "_s + f.program.path() + u"/help.html"_s);
    }

    void englishShowsNoChineseAndClipsNothing()
    {
        QVERIFY(installTranslations(UiLanguage::English));
        WindowFixture f(UiLanguage::English);
        QVERIFY(runBatchWithAFailure(f));
        AppOptions options;
        Preferences preferences;
        const QList<QWidget *> dialogs = openDialogs(f, options, preferences);
        QVERIFY(QTest::qWaitForWindowExposed(dialogs.last()));

        QStringList chinese = chineseIn(f.window.get());
        QStringList clipped = clippedIn(f.window.get());
        for (QWidget *dialog : dialogs) {
            QVERIFY(dialog);
            chinese << chineseIn(dialog);
            clipped << clippedIn(dialog);
        }
        QVERIFY2(chinese.isEmpty(), qPrintable(chinese.join(u'\n')));
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(u'\n')));
        // Spot checks that the English is ours, not the source left as it was.
        QCOMPARE(f.window->findChild<QPushButton *>(u"Command3"_s)->text(), u"Start Converting!"_s);
        QCOMPARE(f.window->findChild<FailureSummary *>()->windowTitle(), u"Conversion Failed"_s);
        QCOMPARE(f.child<QLabel>("lblPB")->text(), u"Done."_s);

        f.trigger(WindowCommand::Help);
        QCOMPARE(f.desktop.calls.last(), u"file "_s + f.program.path() + u"/help_en.html"_s);
    }
};

int main(int argc, char *argv[])
{
    // As the window program does before its application is made, for its
    // Chinese window under the C locale of the tests.
    prepareSystemLocale(UiLanguage::Chinese);
    QApplication app(argc, argv);
    TestWindowLanguage test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_windowlanguage.moc"
