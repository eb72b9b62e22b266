// Every window and dialog in English shows no Chinese and clips none of its
// captions; in the C locale the same windows keep their Chinese texts, and
// Qt's own buttons speak Chinese too. The translations are installed the way
// the programs install them.
#include "chromeicon.h"
#include "cjk.h"
#include "failuresummary.h"
#include "fakeencoder.h"
#include "fakes.h"
#include "feedbackform.h"
#include "mainwindow.h"
#include "optionsdialog.h"
#include "parameterpanel.h"
#include "powercountdowndialog.h"
#include "restorequestion.h"
#include "uilanguage.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
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
        const QAbstractItemModel *model = view->model();
        for (int column = 0; column < model->columnCount(); ++column) {
            texts << model->headerData(column, Qt::Horizontal).toString();
            for (int row = 0; row < model->rowCount(); ++row) {
                const QModelIndex index = model->index(row, column);
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

    // The window over temporary folders and the stand-in encoders, with a
    // batch run in which one file failed.
    struct Fixture {
        explicit Fixture(UiLanguage language)
        {
            context.programFolder = program.path();
            context.workFolder = dir.filePath(u"work"_s);
            context.location = {dir.filePath(u"settings"_s), dir.filePath(u"out"_s)};
            QDir().mkpath(context.workFolder);
            QDir().mkpath(context.location.settingsFolder);
            context.desktop = &desktop;
            context.dialogs = &dialogs;
            context.language = language;
            window = std::make_unique<MainWindow>(context);
            window->controller().driver().setStartDelay(1);
            window->show();
        }

        bool runBatchWithAFailure()
        {
            window->controller().settings().selectFormat(kMp3Format);
            window->panel()->showSettings();
            const QString good = writeScript(dir.filePath(u"good.flv"_s), {});
            const QString bad = writeScript(dir.filePath(u"bad.flv"_s),
                                            "coder eprint coder: failure no-audio\\n\ncoder eprint coder: \"bad.flv\": no audio stream\\n\ncoder exit 6\n");
            window->addPaths({QFile::encodeName(good), QFile::encodeName(bad)});
            QSignalSpy finished(&window->controller().driver(), &BatchDriver::batchFinished);
            window->startBatch();
            return finished.wait(10000) && QTest::qWaitFor([this] { return window->openFailureSummary(); }, 5000);
        }

        QTemporaryDir dir;
        FakeProgramFolder program;
        RecordingDesktop desktop;
        ScriptedDialogs dialogs;
        ShellContext context;
        std::unique_ptr<MainWindow> window;
    };

    // Each dialog of the program, open over `window`.
    static QList<QWidget *> openDialogs(MainWindow &window, AppOptions &options, Preferences &preferences)
    {
        window.showAbout();
        auto *settings = new OptionsDialog(options, {}, &window, &preferences);
        auto *feedback = new FeedbackForm(&window);
        auto *restore = new RestoreQuestion(3, &window);
        auto *countdown = new PowerCountdownDialog(AfterBatchAction::PowerOff, &window, 60, 0ms);
        const QList<QWidget *> dialogs{window.openMessageBox(), window.openFailureSummary(), settings, feedback,
                                       restore, countdown};
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

    void englishShowsNoChineseAndClipsNothing()
    {
        QVERIFY(installTranslations(UiLanguage::English));
        Fixture f(UiLanguage::English);
        QVERIFY(f.runBatchWithAFailure());
        AppOptions options;
        Preferences preferences;
        const QList<QWidget *> dialogs = openDialogs(*f.window, options, preferences);
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
        QCOMPARE(f.window->openFailureSummary()->windowTitle(), u"Conversion Failed"_s);

        f.window->showHelp();
        QCOMPARE(f.desktop.calls.last(), u"file "_s + f.program.path() + u"/help_en.html"_s);
    }

    void theCLocaleKeepsTheChineseTexts()
    {
        LanguageEnvironment c;
        c.lang = u"C"_s;
        QVERIFY(installTranslations(chooseUiLanguage(c)));
        Fixture f(UiLanguage::Chinese);
        QVERIFY(f.runBatchWithAFailure());
        AppOptions options;
        Preferences preferences;
        const QList<QWidget *> dialogs = openDialogs(*f.window, options, preferences);

        QCOMPARE(f.window->findChild<QPushButton *>(u"Command3"_s)->text(), u"立刻开始转换！"_s);
        QCOMPARE(f.window->findChild<QLabel *>(u"lblText"_s)->text(), u"拖拽文件到这里开始转换"_s);
        QCOMPARE(f.window->panel()->cmbOF()->itemText(3), u"AVI(Windows Media Player格式)"_s);
        QCOMPARE(f.window->openFailureSummary()->windowTitle(), u"转换失败"_s);
        QCOMPARE(dialogs.at(2)->windowTitle(), u"选项设置"_s);
        QCOMPARE(qobject_cast<RestoreQuestion *>(dialogs.at(4))->text(), u"上次有 3 个文件没有转换完，恢复到列表吗？"_s);
        QCOMPARE(qobject_cast<PowerCountdownDialog *>(dialogs.at(5))->text(), u"转换已完成，60 秒后关机。"_s);
        // Qt's own button of the failure list, from Qt's Chinese translation.
        const auto *buttons = f.window->openFailureSummary()->findChild<QDialogButtonBox *>();
        QCOMPARE(buttons->button(QDialogButtonBox::Ok)->text(), u"确定"_s);

        f.window->showHelp();
        QCOMPARE(f.desktop.calls.last(), u"file "_s + f.program.path() + u"/help.html"_s);
    }
};

QTEST_MAIN(TestWindowLanguage)
#include "tst_windowlanguage.moc"
