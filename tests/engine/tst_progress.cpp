#include "progress.h"
#include "textnumber.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <cstdlib>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

class TestProgress : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("percent") << u"42%"_s << 42.0;
        QTest::newRow("blank first") << u" 5%"_s << 5.0;
        QTest::newRow("letters") << u"abc"_s << 0.0;
        QTest::newRow("digit then letter") << u"1a"_s << 1.0;
        QTest::newRow("minus") << u"-5%"_s << -5.0;
        QTest::newRow("decimals") << u"12.48"_s << 12.48;
        QTest::newRow("clock form") << u"00:00:12.48"_s << 0.0;
        QTest::newRow("seconds with comma") << u"25.47,"_s << 25.47;
        QTest::newRow("exponent") << u"1e2x"_s << 100.0;
        QTest::newRow("lone e") << u"3e"_s << 3.0;
        QTest::newRow("empty") << u""_s << 0.0;
        QTest::newRow("plus") << u"+3"_s << 3.0;
        QTest::newRow("blanks, then text") << u"  42 sec"_s << 42.0;
        QTest::newRow("point first") << u".5"_s << 0.5;
        QTest::newRow("point last") << u"5."_s << 5.0;
        QTest::newRow("lone minus") << u"-"_s << 0.0;
        QTest::newRow("lone point") << u"."_s << 0.0;
        QTest::newRow("full-width digits do not count") << u"１２"_s << 0.0;
    }

    void leadingNumber()
    {
        QFETCH(QString, text);
        QTEST(sonvera::leadingNumber(text), "value");
    }

    // Under a locale whose decimal separator is a comma, C's strtod reads
    // "12.7" as 12; our numbers must not depend on the locale.
    void numbersIgnoreTheLocale()
    {
        QTemporaryDir locales;
        QProcess localedef;
        localedef.start(u"localedef"_s, {u"-i"_s, u"de_DE"_s, u"-f"_s, u"UTF-8"_s, locales.filePath(u"de_DE.UTF-8"_s)});
        QVERIFY2(localedef.waitForFinished(60000) && localedef.exitCode() <= 1, "localedef (Debian package locales) is needed");
        qputenv("LOCPATH", QFile::encodeName(locales.path()));
        QVERIFY(std::setlocale(LC_ALL, "de_DE.UTF-8"));
        const double cReading = std::strtod("12.7", nullptr);
        const double ours = sonvera::leadingNumber(u"12.7");
        std::setlocale(LC_ALL, "C");
        qunsetenv("LOCPATH");
        QCOMPARE(cReading, 12.0); // the locale really was in force
        QCOMPARE(ours, 12.7);
    }

    void halvesToEven()
    {
        QCOMPARE(roundHalfEven(0.5), 0.0);
        QCOMPARE(roundHalfEven(1.5), 2.0);
        QCOMPARE(roundHalfEven(2.5), 2.0);
        QCOMPARE(roundHalfEven(2.51), 3.0);
    }

    void spinnerCycles()
    {
        QCOMPARE(nextSpinnerGlyph(u'-'), QChar(u'\\'));
        QCOMPARE(nextSpinnerGlyph(u'\\'), QChar(u'|'));
        QCOMPARE(nextSpinnerGlyph(u'|'), QChar(u'/'));
        QCOMPARE(nextSpinnerGlyph(u'/'), QChar(u'-'));
        QCOMPARE(nextSpinnerGlyph(u'x'), QChar(u'-'));
    }

    void firstStage_data()
    {
        QTest::addColumn<QString>("chunk");
        QTest::addColumn<bool>("matched");
        QTest::addColumn<double>("fraction");
        QTest::addColumn<QString>("caption");

        // The spinner starts at "-" and steps before the caption is made.
        QTest::newRow("( 5%)") << u"Pos: 3.2s 80f ( 5%) 25fps"_s << true << 0.05 << u"转换中\\ 5%"_s;
        QTest::newRow("first match wins") << u"(42%) ... (43%)"_s << true << 0.42 << u"转换中\\ 42%"_s;
        QTest::newRow("(100%)") << u"Pos: 9.9s (100%)"_s << true << 1.0 << u"结束 100%"_s;
        QTest::newRow("(abc) is 0") << u"x (abc) y"_s << true << 0.0 << u"转换中\\ 0%"_s;
        QTest::newRow("(999) is held at 100") << u"(999)"_s << true << 1.0 << u"转换中\\ 100%"_s;
        QTest::newRow("(-5%) is held at 0") << u"(-5%)"_s << true << 0.0 << u"转换中\\ 0%"_s;
        QTest::newRow("no field") << u"Pos: 3.2s 80f"_s << false << 0.0 << QString();
        QTest::newRow("cut field") << u"Pos: 3.2s 80f ( 5"_s << false << 0.0 << QString();
        QTest::newRow("too wide") << u"(12345)"_s << false << 0.0 << QString();
    }

    void firstStage()
    {
        QFETCH(QString, chunk);
        QFETCH(bool, matched);
        ProgressState state;
        const auto display = readMencoderProgress(state, chunk);
        QCOMPARE(state.spinnerGlyph, QChar(u'\\')); // every chunk advances it
        QCOMPARE(display.has_value(), matched);
        if (!display)
            return;
        QFETCH(double, fraction);
        QVERIFY(qFuzzyCompare(display->fraction + 1, fraction + 1));
        QTEST(display->caption, "caption");
    }

    void ffmpegExample()
    {
        ProgressState state;
        QVERIFY(!readFfmpegProgress(state, u"  Duration: 00:03:25.47, start: 0.000000, bitrate: 354 kb/s\n"_s));
        QCOMPARE(state.durationSeconds, 205);
        QCOMPARE(state.spinnerGlyph, QChar(u'\\'));

        const auto display = readFfmpegProgress(state, u"size=  1024kB time=12.48 bitrate=1492.0kbits/s\r"_s);
        QVERIFY(display);
        // The caption takes the spinner as it stood, then it steps.
        QCOMPARE(display->caption, u"创建中\\ 5.85%"_s);
        QVERIFY(qAbs(display->fraction - 12.0 / 205) < 1e-9);
        QCOMPARE(state.spinnerGlyph, QChar(u'|'));

        const auto end = readFfmpegProgress(state, u"time=205.60 bitrate="_s);
        QVERIFY(end);
        QCOMPARE(end->caption, u"完成 100%"_s);
        QCOMPARE(end->fraction, 1.0);
    }

    // A row says which step of two a file is in; a file of one stage, MP3
    // made by the second stage's encoder, is converting.
    void rowText()
    {
        ProgressState state;
        readFfmpegProgress(state, u"  Duration: 00:00:10.00, start: 0.000000\n"_s);
        ProgressDisplay display = *readFfmpegProgress(state, u"time=5.00 bitrate="_s);
        display.stepCount = 1;
        display.step = 1;
        QCOMPARE(rowProgressText(display), u"转换中 50%"_s);
        display.stepCount = 2;
        display.step = 2;
        QCOMPARE(rowProgressText(display), u"第 2/2 步 创建中 50%"_s);
        display = *readMencoderProgress(state, u"Pos: 1.0s (42%)"_s);
        display.stepCount = 2;
        display.step = 1;
        QCOMPARE(rowProgressText(display), u"第 1/2 步 转换中 42%"_s);
        // One form of percentage whichever encoder reports: whole, rounded
        // down (never 100% before the end), so the text keeps its width.
        ProgressState twelve;
        readFfmpegProgress(twelve, u"  Duration: 00:00:12.00, start: 0.000000\n"_s);
        display = *readFfmpegProgress(twelve, u"time=7.00 bitrate="_s);
        QCOMPARE(display.percent, u"58.3"_s);
        display.stepCount = 2;
        display.step = 2;
        QCOMPARE(rowProgressText(display), u"第 2/2 步 创建中 58%"_s);
        QCOMPARE(wholePercentCaption(display), u"创建中 58%"_s);
    }

    void ffmpegEdges_data()
    {
        QTest::addColumn<QStringList>("chunks");
        QTest::addColumn<int>("duration");
        QTest::addColumn<QString>("lastCaption"); // empty: the last chunk shows nothing

        QTest::newRow("banner and status in one chunk")
            << QStringList{u"Duration: 00:00:10.00, start: 0\nframe=1 time=5.00 bitrate=1"_s} << 10 << u"创建中- 50%"_s;
        QTest::newRow("length unknown")
            << QStringList{u"Duration: N/A, start: 0\n"_s, u"time=3.00 "_s} << 0 << u"完成 100%"_s;
        QTest::newRow("clock form reads as 0")
            << QStringList{u"Duration: 00:00:10.00, "_s, u"time=00:00:05.00 "_s} << 10 << u"创建中\\ 0%"_s;
        QTest::newRow("line cut between chunks")
            << QStringList{u"Duration: 00:00:10.00, "_s, u"size=1kB ti"_s, u"me=7.20 bitrate"_s} << 10 << QString();
        // The banner's line is carried to the next chunk, and read whole.
        QTest::newRow("banner cut between chunks")
            << QStringList{u"Duration: 00:0"_s, u"0:10.00, start"_s, u"time=5.00 "_s} << 10 << u"创建中| 50%"_s;
        QTest::newRow("banner cut inside its seconds")
            << QStringList{u"  Duration: 00:00:1"_s, u"0.00, start: 0\n"_s, u"time=5.00 "_s} << 10 << u"创建中| 50%"_s;
        QTest::newRow("duration read once")
            << QStringList{u"Duration: 00:00:10.00, "_s, u"Duration: 00:00:20.00, time=5.00 "_s} << 10
            << u"创建中\\ 50%"_s;
        QTest::newRow("key at the very end") << QStringList{u"Duration: 00:00:10.00, "_s, u"time="_s} << 10 << QString();
        QTest::newRow("AMR banner without start")
            << QStringList{u"  Duration: 00:00:10.36, bitrate: 12 kb/s\n"_s, u"time=2.00 "_s} << 10 << u"创建中\\ 20%"_s;
        QTest::newRow("small share") << QStringList{u"Duration: 00:03:25.00, "_s, u"time=1.00 "_s} << 205
                                     << u"创建中\\ 0.48%"_s;
    }

    void ffmpegEdges()
    {
        QFETCH(QStringList, chunks);
        ProgressState state;
        std::optional<ProgressDisplay> last;
        for (const QString &chunk : chunks)
            last = readFfmpegProgress(state, chunk);
        QTEST(state.durationSeconds, "duration");
        QFETCH(QString, lastCaption);
        QCOMPARE(last.has_value(), !lastCaption.isEmpty());
        if (last)
            QCOMPARE(last->caption, lastCaption);
    }

    void fileCompleteClearsDuration()
    {
        ProgressState state;
        readFfmpegProgress(state, u"Duration: 00:00:10.00, "_s);
        QCOMPARE(state.durationSeconds, 10);
        state.fileComplete();
        QCOMPARE(state.durationSeconds, 0);
        readFfmpegProgress(state, u"Duration: 00:01:00.00, "_s);
        QCOMPARE(state.durationSeconds, 60);
    }

    void percentText_data()
    {
        QTest::addColumn<double>("percent");
        QTest::addColumn<QString>("text");
        QTest::newRow("12.345") << 12.345 << u"12.3"_s;
        QTest::newRow("5.85") << 100.0 * 12 / 205 << u"5.85"_s;
        QTest::newRow("0.48") << 100.0 / 205 << u"0.48"_s;
        QTest::newRow("0.005") << 0.005 << u"0.00"_s;
        QTest::newRow("0") << 0.0 << u"0"_s;
        QTest::newRow("50") << 50.0 << u"50"_s;
        QTest::newRow("99.99") << 99.99 << u"99.9"_s;
        QTest::newRow("tiny") << 0.000001 << u"0.00"_s;
    }

    void percentText()
    {
        QFETCH(double, percent);
        QTEST(sonvera::percentText(percent), "text");
    }
};

QTEST_GUILESS_MAIN(TestProgress)
#include "tst_progress.moc"
