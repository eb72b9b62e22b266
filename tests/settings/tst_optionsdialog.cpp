#include "optionsdialog.h"
#include "hotimage.h"
#include "settingsstore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEnterEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QStandardItemModel>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

Q_DECLARE_METATYPE(sonvera::AppOptions)

namespace {

const QStringList kFieldNames{u"txtFromH"_s, u"txtFromM"_s, u"txtFromS"_s, u"txtToH"_s, u"txtToM"_s, u"txtToS"_s};

// One dialog over a test's own options, counting the saves it asks for.
struct Harness {
    explicit Harness(const AppOptions &initial, bool saveSucceeds = true)
        : options(initial)
        , dialog(options, [this, saveSucceeds](const AppOptions &o) {
            saved << o;
            return saveSucceeds;
        })
    {
        dialog.show();
    }

    template<typename T = QWidget>
    T *child(const QString &name)
    {
        return dialog.findChild<T *>(name);
    }
    QLineEdit *field(int i) { return child<QLineEdit>(kFieldNames[i]); }
    QStringList texts()
    {
        QStringList t;
        for (int i = 0; i < 6; ++i)
            t << field(i)->text();
        return t;
    }
    void setTexts(const QStringList &t)
    {
        for (int i = 0; i < 6; ++i)
            field(i)->setText(t[i]);
    }
    void clickOK() { QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton); }

    AppOptions options;
    QList<AppOptions> saved;
    OptionsDialog dialog;
};

} // namespace

class TestOptionsDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // 界面语言 is kept in preferences.ini, where the next start reads it: it
    // wins over the locale.
    void theLanguageOptionIsKeptForTheNextStart()
    {
        QTemporaryDir folder;
        AppOptions options;
        Preferences preferences;
        OptionsDialog dialog(options, {}, nullptr, &preferences,
                             [&folder](const Preferences &p) { return p.save(folder.path()); });
        dialog.show();
        auto *language = dialog.findChild<QComboBox *>(u"cmbLanguage"_s);
        QVERIFY(language);
        QCOMPARE(language->currentText(), u"自动"_s);
        language->setCurrentIndex(language->findText(u"English"_s));
        QTest::mouseClick(dialog.findChild<QPushButton *>(u"Command1"_s), Qt::LeftButton);

        const Preferences next = Preferences::load(folder.path());
        QCOMPARE(next.language, LanguageOption::English);
        LanguageEnvironment chineseDesktop;
        chineseDesktop.lang = u"zh_CN.UTF-8"_s;
        QCOMPARE(chooseUiLanguage(chineseDesktop, next.language), UiLanguage::English);
    }

    // The conversion choices: shown as saved, kept by OK in preferences.ini
    // (not by Back), and read back by the next start. The note that a copy
    // takes no sizes or bitrates stands right under its option.
    void conversionChoicesAreKept()
    {
        QTemporaryDir folder;
        AppOptions options;
        Preferences preferences = Preferences::load(folder.path());
        const QStringList names{u"chkDirect"_s, u"chkRemux"_s, u"chkKeepDates"_s, u"chkKeepTree"_s};
        auto open = [&] {
            auto *dialog = OptionsDialog::openModal(options, {}, nullptr, &preferences,
                                                    [&folder](const Preferences &p) { return p.save(folder.path()); });
            QList<QCheckBox *> boxes;
            for (const QString &name : names)
                boxes << dialog->findChild<QCheckBox *>(name);
            return std::pair{dialog, boxes};
        };
        auto [dialog, boxes] = open();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QCOMPARE((QList<bool>{boxes[0]->isChecked(), boxes[1]->isChecked(), boxes[2]->isChecked(), boxes[3]->isChecked()}),
                 (QList<bool>{false, false, true, false}));
        const QLabel *note = dialog->findChild<QLabel *>(u"lblRemuxNote"_s);
        QVERIFY(note && note->isVisible() && !note->text().isEmpty());
        const QRect remux(boxes[1]->mapTo(dialog, QPoint()), boxes[1]->size());
        const QRect beside(note->mapTo(dialog, QPoint()), note->size());
        QVERIFY(beside.top() > remux.bottom() && beside.top() - remux.bottom() < remux.height()
                && beside.left() == remux.left());
        QVERIFY(boxes[2]->mapTo(dialog, QPoint()).y() > beside.bottom()); // before the next option

        for (QCheckBox *box : std::as_const(boxes))
            box->toggle();
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"Command2"_s), Qt::LeftButton); // Back keeps nothing
        QVERIFY(!QFileInfo::exists(Preferences::pathIn(folder.path())));
        std::tie(dialog, boxes) = open();
        for (QCheckBox *box : std::as_const(boxes))
            box->toggle();
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"Command1"_s), Qt::LeftButton);
        const ConversionChoices saved = Preferences::load(folder.path()).choices;
        QCOMPARE(saved, (ConversionChoices{true, true, false, true}));
        std::tie(dialog, boxes) = open();
        QVERIFY(boxes[0]->isChecked() && boxes[1]->isChecked() && !boxes[2]->isChecked() && boxes[3]->isChecked());
        dialog->close();

        // What is not a yes or a no keeps the default.
        QFile file(Preferences::pathIn(folder.path()));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[conversion]\ndirect=1\nkeepDates=false\nkeepTree=maybe\n");
        file.close();
        QCOMPARE(Preferences::load(folder.path()).choices, (ConversionChoices{false, false, false, false}));
    }

    void controls()
    {
        Harness h(AppOptions{});
        QCOMPARE(h.dialog.windowTitle(), u"选项设置"_s);
        QVERIFY(h.dialog.windowFlags() & Qt::FramelessWindowHint);
        auto *sound = h.child<QComboBox>(u"cmbSR"_s);
        QCOMPARE(sound->count(), 2);
        QCOMPARE(sound->itemText(0), u"开"_s);
        QCOMPARE(sound->itemText(1), u"关"_s);
        QVERIFY(!sound->isEditable());
        QCOMPARE(h.child<QCheckBox>(u"chkMC"_s)->text(), u"截取音乐"_s);
        QCOMPARE(h.child<QPushButton>(u"Command1"_s)->text(), u"确定"_s);
        QCOMPARE(h.child<QPushButton>(u"Command2"_s)->text(), u"返回"_s);
        const QList<QLabel *> labels = h.dialog.findChildren<QLabel *>();
        QVERIFY(std::any_of(labels.begin(), labels.end(),
                            [](QLabel *l) { return l->text() == u"转换完毕声音提示"_s; }));
        for (const QString &name : {u"imgOK"_s, u"imgBack"_s, u"imgExit"_s})
            QVERIFY2(h.child<HotImage>(name), qPrintable(name));
        for (int i = 0; i < 6; ++i)
            QVERIFY2(h.field(i), qPrintable(kFieldNames[i]));

        // Top to bottom: label and list, switch, start row, end row; rows left to right.
        const auto y = [&](const QString &n) { return h.child(n)->mapTo(&h.dialog, QPoint()).y(); };
        const auto x = [&](const QString &n) { return h.child(n)->mapTo(&h.dialog, QPoint()).x(); };
        QVERIFY(y(u"cmbSR"_s) < y(u"chkMC"_s));
        QVERIFY(y(u"chkMC"_s) < y(u"txtFromH"_s));
        QVERIFY(y(u"txtFromH"_s) < y(u"txtToH"_s));
        QCOMPARE(y(u"txtFromH"_s), y(u"txtFromS"_s));
        QVERIFY(x(u"txtFromH"_s) < x(u"txtFromM"_s));
        QVERIFY(x(u"txtFromM"_s) < x(u"txtFromS"_s));
    }

    void opens_data()
    {
        QTest::addColumn<AppOptions>("options");
        QTest::addColumn<int>("sound");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("first run") << AppOptions{} << 0 << false << QStringList(6, u"0"_s);
        QTest::newRow("cutter off hides stored times")
            << AppOptions{1, 0, 65, 130} << 1 << false << QStringList(6, u"0"_s);
        QTest::newRow("3725 s is 1, 2, 5")
            << AppOptions{0, 1, 3725, 130} << 0 << true
            << QStringList{u"1"_s, u"2"_s, u"5"_s, u"0"_s, u"2"_s, u"10"_s};
        QTest::newRow("negative start") << AppOptions{0, 1, -10, 100000} << 0 << true
                                        << QStringList{u"-1"_s, u"59"_s, u"50"_s, u"27"_s, u"46"_s, u"40"_s};
        QTest::newRow("no sound position") << AppOptions{-1, 0, 0, 0} << -1 << false << QStringList(6, u"0"_s);
    }

    void opens()
    {
        QFETCH(AppOptions, options);
        QFETCH(bool, ticked);
        Harness h(options);
        QTEST(h.child<QComboBox>(u"cmbSR"_s)->currentIndex(), "sound");
        QCOMPARE(h.child<QCheckBox>(u"chkMC"_s)->isChecked(), ticked);
        QTEST(h.texts(), "texts");
        for (int i = 0; i < 6; ++i)
            QCOMPARE(h.field(i)->isEnabled(), ticked);
    }

    void cutterSwitchEnablesTheFields()
    {
        Harness h(AppOptions{});
        h.field(1)->setText(u"7"_s);
        auto *cutter = h.child<QCheckBox>(u"chkMC"_s);
        cutter->click();
        for (int i = 0; i < 6; ++i)
            QVERIFY(h.field(i)->isEnabled());
        cutter->click();
        for (int i = 0; i < 6; ++i)
            QVERIFY(!h.field(i)->isEnabled());
        QCOMPARE(h.field(1)->text(), u"7"_s); // texts stay
    }

    void failedChecks_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("focus");
        const QString minutes = u"分钟必须小于60"_s;
        const QString seconds = u"秒必须小于60"_s;
        QTest::newRow("end minutes 75")
            << QStringList{u"1"_s, u"5"_s, u"30"_s, u"0"_s, u"75"_s, u"0"_s} << minutes << u"分钟"_s << u"txtToM"_s;
        QTest::newRow("start minutes 60")
            << QStringList{u"0"_s, u"60"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s} << minutes << u"分钟"_s << u"txtFromM"_s;
        QTest::newRow("start seconds 60")
            << QStringList{u"0"_s, u"0"_s, u"60"_s, u"0"_s, u"0"_s, u"0"_s} << seconds << u"秒"_s << u"txtFromS"_s;
        QTest::newRow("end seconds 59.5")
            << QStringList{u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"59.5"_s} << seconds << u"秒"_s << u"txtToS"_s;
        QTest::newRow("minutes are checked before seconds")
            << QStringList{u"0"_s, u"0"_s, u"99"_s, u"0"_s, u"60x"_s, u"0"_s} << minutes << u"分钟"_s << u"txtToM"_s;
    }

    void failedChecks()
    {
        QFETCH(QStringList, texts);
        const AppOptions before{1, 1, 10, 20};
        Harness h(before);
        h.setTexts(texts);
        h.child<QComboBox>(u"cmbSR"_s)->setCurrentIndex(0);
        h.clickOK();

        auto *box = h.dialog.findChild<QMessageBox *>();
        QVERIFY(box);
        QVERIFY(box->isVisible());
        QVERIFY(box->isModal());
        QTEST(box->text(), "message");
        QTEST(box->windowTitle(), "title");
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->standardButtons(), QMessageBox::Ok);
        box->button(QMessageBox::Ok)->click();

        QVERIFY(h.dialog.isVisible());
        QTEST(h.dialog.focusWidget()->objectName(), "focus");
        QCOMPARE(h.options, before);
        QVERIFY(h.saved.isEmpty());
        QCOMPARE(h.texts(), texts);
    }

    void passingChecks_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::newRow("59 and 59 pass")
            << QStringList{u"0"_s, u"59"_s, u"59"_s, u"1"_s, u"59"_s, u"59"_s} << 3599 << 7199;
        QTest::newRow("letters count 0") << QStringList{u"0"_s, u"abc"_s, u"5"_s, u"0"_s, u"1"_s, u"0"_s} << 5 << 60;
        QTest::newRow("1a counts 1") << QStringList{u"1a"_s, u"0"_s, u"0"_s, u"0"_s, u"1a"_s, u"0"_s} << 3600 << 60;
        QTest::newRow("minus honoured")
            << QStringList{u"1"_s, u"-1"_s, u"0"_s, u"0"_s, u"0"_s, u"-5"_s} << 3540 << -5;
        QTest::newRow("halves to even")
            << QStringList{u"0"_s, u"0"_s, u"0.5"_s, u"0"_s, u"0"_s, u"1.5"_s} << 0 << 2;
        QTest::newRow("hours without limit")
            << QStringList{u"596523"_s, u"0"_s, u"0"_s, u"99999999"_s, u"0"_s, u"0"_s} << 2147482800 << 2147483647;
    }

    void passingChecks()
    {
        QFETCH(QStringList, texts);
        QFETCH(int, start);
        QFETCH(int, end);
        Harness h(AppOptions{0, 1, 10, 20});
        h.setTexts(texts);
        h.child<QComboBox>(u"cmbSR"_s)->setCurrentIndex(1);
        h.clickOK();

        QVERIFY(!h.dialog.findChild<QMessageBox *>());
        QCOMPARE(h.dialog.result(), int(QDialog::Accepted));
        QVERIFY(!h.dialog.isVisible());
        const AppOptions expected{1, 1, start, end};
        QCOMPARE(h.options, expected);
        QCOMPARE(h.saved, QList<AppOptions>{expected});
    }

    void allZerosClearTheTick()
    {
        Harness h(AppOptions{0, 1, 65, 130});
        h.setTexts({u"0"_s, u"0"_s, u"0"_s, u"abc"_s, u"0"_s, u""_s});
        QTest::mouseClick(h.child<HotImage>(u"imgOK"_s), Qt::LeftButton);
        QVERIFY(!h.child<QCheckBox>(u"chkMC"_s)->isChecked());
        QVERIFY(!h.field(0)->isEnabled());
        QCOMPARE(h.options, (AppOptions{0, 0, 0, 0}));
        QCOMPARE(h.saved.size(), 1);
    }

    void cutterOffStoresZeros()
    {
        // The stored range is not shown while the cutter is off, so OK stores 0 to 0.
        Harness h(AppOptions{0, 0, 65, 130});
        h.clickOK();
        QCOMPARE(h.options, (AppOptions{0, 0, 0, 0}));
    }

    void failedSaveStillCloses()
    {
        Harness h(AppOptions{}, false);
        h.child<QComboBox>(u"cmbSR"_s)->setCurrentIndex(1);
        h.clickOK();
        QCOMPARE(h.dialog.result(), int(QDialog::Accepted));
        QCOMPARE(h.options.finishSoundIndex, qint16(1)); // kept for the rest of the run
    }

    void waysBackDiscard_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("Command2") << u"Command2"_s;
        QTest::newRow("imgBack") << u"imgBack"_s;
        QTest::newRow("imgExit") << u"imgExit"_s;
        QTest::newRow("Escape") << QString();
    }

    void waysBackDiscard()
    {
        QFETCH(QString, control);
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        const AppOptions stored{0, 1, 65, 130};
        QVERIFY(store.saveOptions(stored));
        const QByteArray fileBefore = [&] {
            QFile f(store.optionsPath());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();

        AppOptions options = stored;
        {
            OptionsDialog dialog(options, [&](const AppOptions &o) { return store.saveOptions(o); });
            dialog.show();
            dialog.findChild<QComboBox *>(u"cmbSR"_s)->setCurrentIndex(1);
            dialog.findChild<QCheckBox *>(u"chkMC"_s)->setChecked(false);
            dialog.findChild<QLineEdit *>(u"txtToM"_s)->setText(u"40"_s);
            if (control.isEmpty())
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else
                QTest::mouseClick(dialog.findChild<QAbstractButton *>(control), Qt::LeftButton);
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QVERIFY(!dialog.isVisible());
        }
        QCOMPARE(options, stored);
        QFile f(store.optionsPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), fileBefore);

        Harness again(options);
        QCOMPARE(again.texts(), (QStringList{u"0"_s, u"1"_s, u"5"_s, u"0"_s, u"2"_s, u"10"_s}));
    }

    void okWritesOptionsFile()
    {
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        AppOptions options;
        auto *dialog = OptionsDialog::openModal(options, [&](const AppOptions &o) { return store.saveOptions(o); },
                                             nullptr);
        QPointer<OptionsDialog> guard(dialog);
        QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
        QVERIFY(dialog->isVisible());
        dialog->findChild<QCheckBox *>(u"chkMC"_s)->setChecked(true);
        dialog->findChild<QLineEdit *>(u"txtFromM"_s)->setText(u"1"_s);
        dialog->findChild<QLineEdit *>(u"txtFromS"_s)->setText(u"5"_s);
        dialog->findChild<QLineEdit *>(u"txtToM"_s)->setText(u"2"_s);
        dialog->findChild<QLineEdit *>(u"txtToS"_s)->setText(u"10"_s);
        QTest::keyClick(dialog->findChild<QLineEdit *>(u"txtToS"_s), Qt::Key_Return); // the default button
        QTRY_VERIFY(guard.isNull()); // deleted after closing
        QCOMPARE(store.loadOptions(), (AppOptions{0, 1, 65, 130}));
        QCOMPARE(options, (AppOptions{0, 1, 65, 130}));
    }

    // 同时转换的文件数 and 转换完成后 live in preferences.ini beside
    // options.ini, which stays as it was; the clip range says what it is for.
    void preferences()
    {
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        AppOptions options;
        Preferences preferences = Preferences::load(dir.path()); // no file yet: the defaults
        QCOMPARE(preferences, Preferences());
        auto *dialog = OptionsDialog::openModal(
            options, [&](const AppOptions &o) { return store.saveOptions(o); }, nullptr, &preferences,
            [&](const Preferences &p) { return p.save(dir.path()); });
        QPointer<OptionsDialog> guard(dialog);
        QStringList labels;
        for (QLabel *label : dialog->findChildren<QLabel *>())
            labels << label->text();
        for (const QString &text : {u"开始"_s, u"结束"_s, u"时"_s, u"分"_s, u"秒"_s, u"同时转换的文件数"_s, u"转换完成后"_s})
            QVERIFY2(labels.contains(text), qPrintable(text));
        QVERIFY(labels.filter(u"MP3"_s).size() == 1);
        auto *jobs = dialog->findChild<QComboBox *>(u"cmbJobs"_s);
        QCOMPARE(jobs->currentText(), u"1"_s);
        jobs->setCurrentIndex(0); // 自动
        // 关机 only as far as the computer can: not offered, and the reason is told.
        auto *after = dialog->findChild<QComboBox *>(u"cmbAfter"_s);
        dialog->setAfterBatchSupport({{false, u"系统要求输入密码才能关机"_s}, {true, {}}});
        const auto *items = qobject_cast<QStandardItemModel *>(after->model());
        QVERIFY(!items->item(1)->isEnabled());
        QCOMPARE(items->item(1)->toolTip(), u"系统要求输入密码才能关机"_s);
        QVERIFY(items->item(2)->isEnabled());
        after->setCurrentIndex(1);
        QCOMPARE(after->toolTip(), u"系统要求输入密码才能关机"_s);
        after->setCurrentIndex(2); // 睡眠
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"Command1"_s), Qt::LeftButton);
        QTRY_VERIFY(guard.isNull());

        const Preferences saved = Preferences::load(dir.path());
        QCOMPARE(saved.parallelJobs, 0);
        QCOMPARE(saved.afterBatch, AfterBatchAction::Suspend);
        QVERIFY(saved.effectiveJobs() >= 1);
        QCOMPARE(store.loadOptions(), AppOptions{}); // options.ini holds its four numbers only
        QFile options_ini(store.optionsPath());
        QVERIFY(options_ini.open(QIODevice::ReadOnly));
        QCOMPARE(options_ini.readAll(), QByteArray("0\r\n0\r\n0\r\n0\r\n"));

        // A damaged file gives the defaults for what it cannot give.
        QFile file(Preferences::pathIn(dir.path()));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[conversion]\nparallelJobs=-3\nafterBatch=reboot\n");
        file.close();
        QCOMPARE(Preferences::load(dir.path()), Preferences());

        // A line that is no INI line at all does not make the next save fail.
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("J");
        file.close();
        const Preferences english{2, AfterBatchAction::None, LanguageOption::English, {}, {}};
        QVERIFY(english.save(dir.path()));
        QCOMPARE(Preferences::load(dir.path()), english);
    }

    void highlightsFollowThePointer()
    {
        Harness h(AppOptions{});
        QVERIFY(QTest::qWaitForWindowExposed(&h.dialog));
        auto *ok = h.child<HotImage>(u"imgOK"_s);
        auto *back = h.child<HotImage>(u"imgBack"_s);
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(ok, &enter);
        QCOMPARE(ok->picture(), HotImage::Picture::Light);
        QCoreApplication::sendEvent(ok, &leave);
        QCoreApplication::sendEvent(back, &enter);
        QCOMPARE(ok->picture(), HotImage::Picture::Normal);
        QCOMPARE(back->picture(), HotImage::Picture::Light);
    }

    void dragsByItsSurface()
    {
        Harness h(AppOptions{});
        h.dialog.move(100, 100);
        QVERIFY(QTest::qWaitForWindowExposed(&h.dialog));
        // A bare spot of the surface, just below the title bar at the right edge.
        QWidget *surface = h.child(u"surface"_s);
        const QPoint spot(surface->width() - 4, h.child(u"titleBar"_s)->height() + 2);
        QCOMPARE(surface->childAt(spot), nullptr);
        const QPoint before = h.dialog.pos();
        QTest::mousePress(surface, Qt::LeftButton, {}, spot);
        const QPoint to = spot + QPoint(30, 20);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), surface->mapToGlobal(QPointF(to)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(surface, &move);
        QTest::mouseRelease(surface, Qt::LeftButton, {}, to);
        QCOMPARE(h.dialog.pos(), before + QPoint(30, 20));
    }
};

QTEST_MAIN(TestOptionsDialog)
#include "tst_optionsdialog.moc"
