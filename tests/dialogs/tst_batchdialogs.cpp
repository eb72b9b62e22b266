// The start-up restore question and the after-batch countdown, as the user
// meets them over a window (offscreen).
#include "powercountdowndialog.h"
#include "restorequestion.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using namespace sonvera;

class TestBatchDialogs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theRestoreQuestionAnswersByKey_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("restore");
        QTest::newRow("Return restores") << int(Qt::Key_Return) << true;
        QTest::newRow("Escape keeps the list empty") << int(Qt::Key_Escape) << false;
    }
    void theRestoreQuestionAnswersByKey()
    {
        QFETCH(int, key);
        QFETCH(bool, restore);
        QWidget window;
        window.resize(400, 300);
        window.show();
        RestoreQuestion *question = RestoreQuestion::ask(3, &window);
        const QPointer<RestoreQuestion> alive(question);
        QSignalSpy answered(question, &RestoreQuestion::answered);
        QVERIFY(question->isVisible());
        QCOMPARE(question->windowModality(), Qt::WindowModal);
        QCOMPARE(question->text(), u"上次有 3 个文件没有转换完，恢复到列表吗？"_s);
        QCOMPARE(question->defaultButton(), question->restoreButton());

        QTest::keyClick(question, Qt::Key(key));
        QCOMPARE(answered.size(), 1);
        QCOMPARE(answered.first().first().toBool(), restore);
        QTRY_VERIFY(alive.isNull()); // deleted once answered
    }

    void theCountdownRunsOutOnceAfterItsLastSecond()
    {
        QWidget window;
        PowerCountdownDialog dialog(AfterBatchAction::PowerOff, &window, 60, 0ms);
        QSignalSpy ranOut(&dialog, &PowerCountdownDialog::ranOut);
        QSignalSpy cancelled(&dialog, &PowerCountdownDialog::cancelled);
        dialog.open();
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.windowModality(), Qt::WindowModal);
        QCOMPARE(dialog.text(), u"转换已完成，60 秒后关机。"_s);
        for (int i = 0; i < 59; ++i)
            dialog.tick();
        QCOMPARE(dialog.text(), u"转换已完成，1 秒后关机。"_s);
        QCOMPARE(ranOut.size(), 0);
        dialog.tick();
        QCOMPARE(ranOut.size(), 1);
        QVERIFY(!dialog.isVisible());
        dialog.tick();
        dialog.reject();
        QCOMPARE(ranOut.size(), 1);
        QCOMPARE(cancelled.size(), 0);
    }

    void returnCancelsTheCountdown()
    {
        QWidget window;
        PowerCountdownDialog dialog(AfterBatchAction::Suspend, &window, 60, 0ms);
        QSignalSpy ranOut(&dialog, &PowerCountdownDialog::ranOut);
        QSignalSpy cancelled(&dialog, &PowerCountdownDialog::cancelled);
        dialog.open();
        QCOMPARE(dialog.text(), u"转换已完成，60 秒后睡眠。"_s);
        QVERIFY(dialog.cancelButton()->isDefault());
        QVERIFY(dialog.cancelButton()->width() > 0);
        QTest::keyClick(&dialog, Qt::Key_Return);
        QCOMPARE(cancelled.size(), 1);
        for (int i = 0; i < 60; ++i)
            dialog.tick();
        QCOMPARE(ranOut.size(), 0);
    }

    void theRealTimerCountsWholeSeconds()
    {
        QWidget window;
        PowerCountdownDialog dialog(AfterBatchAction::PowerOff, &window, 1); // the default one-second tick
        QSignalSpy ranOut(&dialog, &PowerCountdownDialog::ranOut);
        QElapsedTimer clock;
        clock.start();
        dialog.open();
        QVERIFY(ranOut.wait(3000));
        QVERIFY(clock.elapsed() >= 990); // a whole second, give or take the clock's grain
        QCOMPARE(dialog.secondsLeft(), 0);
    }
};

QTEST_MAIN(TestBatchDialogs)
#include "tst_batchdialogs.moc"
