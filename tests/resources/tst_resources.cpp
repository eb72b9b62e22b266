// The program folder's own files (the user guides help.html and help_en.html,
// sound.wav), the pictures compiled into the programs and the desktop
// integration files.

#include "batchdriver.h"
#include "cjk.h"
#include "formats.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QSvgRenderer>
#include <QTest>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtEndian>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

namespace {

QString programFile(const QString &name)
{
    return qEnvironmentVariable("SONVERA_PROGRAM_DIR") + u'/' + name;
}

QString sourceFile(const QString &name)
{
    return qEnvironmentVariable("SONVERA_SOURCE_DIR") + u'/' + name;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

// A user guide's text, decoded strictly: invalid UTF-8 leaves it empty.
QString helpText(const QString &name = u"help.html"_s)
{
    const QByteArray bytes = readAll(programFile(name));
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    return decoder.hasError() ? QString() : text;
}

// The English of a text as the programs show it, from the translation
// compiled into them; empty when it has none.
QString english(const TranslatableText &text)
{
    static QTranslator translator;
    static const bool loaded = translator.load(u":/i18n/sonvera_en.qm"_s);
    return loaded ? translator.translate(text.context, text.source) : QString();
}

quint16 le16(const QByteArray &data, qsizetype at) { return qFromLittleEndian<quint16>(data.constData() + at); }
quint32 le32(const QByteArray &data, qsizetype at) { return qFromLittleEndian<quint32>(data.constData() + at); }

struct Wave {
    quint16 format = 0;
    quint16 channels = 0;
    quint32 sampleRate = 0;
    quint32 byteRate = 0;
    quint16 blockAlign = 0;
    quint16 bits = 0;
    QByteArray samples; // the data chunk
};

// Walks the RIFF chunks; an empty optional for anything that is not a whole,
// consistent RIFF/WAVE file with a fmt and a data chunk.
std::optional<Wave> parseWave(const QByteArray &file)
{
    if (file.size() < 12 || !file.startsWith("RIFF") || file.mid(8, 4) != "WAVE")
        return std::nullopt;
    if (le32(file, 4) != static_cast<quint32>(file.size() - 8))
        return std::nullopt;
    Wave wave;
    bool haveFormat = false;
    bool haveData = false;
    qsizetype at = 12;
    while (at + 8 <= file.size()) {
        const QByteArray id = file.mid(at, 4);
        const qsizetype size = le32(file, at + 4);
        const qsizetype body = at + 8;
        if (body + size > file.size())
            return std::nullopt;
        if (id == "fmt " && size >= 16) {
            wave.format = le16(file, body);
            wave.channels = le16(file, body + 2);
            wave.sampleRate = le32(file, body + 4);
            wave.byteRate = le32(file, body + 8);
            wave.blockAlign = le16(file, body + 12);
            wave.bits = le16(file, body + 14);
            haveFormat = true;
        } else if (id == "data") {
            wave.samples = file.mid(body, size);
            haveData = true;
        }
        at = body + size + (size & 1); // chunks are padded to even sizes
    }
    if (!haveFormat || !haveData)
        return std::nullopt;
    return wave;
}

} // namespace

class TestResources : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void helpIsSelfContainedUtf8_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("language");
        QTest::newRow("Chinese") << u"help.html"_s << u"zh-CN"_s;
        QTest::newRow("English") << u"help_en.html"_s << u"en"_s;
    }

    void helpIsSelfContainedUtf8()
    {
        QFETCH(QString, name);
        QFETCH(QString, language);
        const QString help = helpText(name);
        QVERIFY2(!help.isEmpty(), qPrintable(name + u" is missing, empty or not valid UTF-8"_s));
        QVERIFY(help.contains(u"<meta charset=\"utf-8\">"_s, Qt::CaseInsensitive));
        QVERIFY(help.contains(u"lang=\""_s + language + u'"'));
        QCOMPARE(hasCjk(help), language != u"en");
        // Opened offline from the program folder: nothing may be fetched.
        static const QRegularExpression external(
            uR"(<(link|script|img|iframe|object|embed)\b|\bsrc\s*=|url\s*\(|@import)"_s,
            QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch match = external.match(help);
        QVERIFY2(!match.hasMatch(), qPrintable(u"external resource: "_s + match.captured()));
    }

    // Each guide names every format exactly as the format list shows it in
    // its language, with the extension that format really writes.
    void helpNamesEveryFormat_data()
    {
        QTest::addColumn<QString>("listText");
        QTest::addColumn<QString>("englishText");
        QTest::addColumn<QString>("extension");
        for (const FormatInfo &format : formatCatalogue())
            QTest::newRow(qPrintable(format.cliName.toString()))
                << QString::fromUtf8(format.listText.source) << english(format.listText)
                << format.extension().toString();
    }

    void helpNamesEveryFormat()
    {
        QFETCH(QString, listText);
        QFETCH(QString, englishText);
        QFETCH(QString, extension);
        QVERIFY2(helpText().contains(u"<td>"_s + listText + u"</td><td>"_s + extension + u"</td>"_s),
                 qPrintable(listText + u" with "_s + extension));
        QVERIFY2(helpText(u"help_en.html"_s).contains(u"<td>"_s + englishText + u"</td><td>"_s + extension + u"</td>"_s),
                 qPrintable(englishText + u" with "_s + extension));
    }

    void helpListsTheCliFormatNames()
    {
        QStringList names;
        for (const FormatInfo &format : formatCatalogue())
            names << format.cliName.toString();
        QVERIFY2(helpText().contains(names.join(u"、"_s)), qPrintable(names.join(u"、"_s)));
        QVERIFY2(helpText(u"help_en.html"_s).contains(names.join(u", "_s)), qPrintable(names.join(u", "_s)));
    }

    // Captions appear whole (as the full text of an element), so "添加文件"
    // is not satisfied by "添加文件夹"; the English guide uses the English
    // the window shows.
    void helpUsesTheWindowsCaptions_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("englishCaption");
        const auto shown = [](const char *context, const char *source) { return TranslatableText{context, source}; };
        const char *window = "sonvera::MainWindow";
        const char *options = "sonvera::OptionsDialog";
        const char *panel = "sonvera::ParameterPanel";
        const std::initializer_list<TranslatableText> captions{
            shown(window, "立刻开始转换！"), shown(window, "添加文件"), shown(window, "添加文件夹"),
            shown(window, "移除文件"), shown(window, "提示设置"), shown(window, "退出程序"),
            shown("sonvera::WindowActions", "移除选择项"), shown("sonvera::WindowActions", "移除全部"),
            shown(panel, "浏览"), shown(options, "确定"), shown(options, "返回"),
            shown(panel, "输出格式："), shown(panel, "视频比特率："), shown(panel, "帧率："), shown(panel, "视频尺寸："),
            shown(panel, "声音频率："), shown(panel, "声音比特率："), shown(panel, "声道："), shown(panel, "输出路径："),
            shown(options, "选项设置"), shown(options, "转换完毕声音提示"), shown(options, "开"), shown(options, "关"),
            shown(options, "截取音乐"), shown(options, "同时转换的文件数"), shown(options, "自动"),
            shown(options, "转换完成后"), shown(options, "无"), shown(options, "关机"), shown(options, "睡眠"),
            shown(options, "界面语言"), shown(options, "中文"), shown("sonvera::PowerCountdownDialog", "取消"),
            shown(window, "拖拽文件到这里开始转换"), shown(window, "搜索文件..."), shown("sonvera::FileList", "转换中"),
            shown("Progress", "结束 100%"), shown("Progress", "完成 100%"),
            shown("sonvera::ParameterPanel", "打开输出文件夹"), shown("sonvera::CloseQuestion", "继续转换"),
            shown("sonvera::CloseQuestion", "停止并退出"), shown("sonvera::WindowActions", "播放"),
            shown("sonvera::WindowActions", "打开所在文件夹"),
            kKeepSourceSizeCaption, ParameterLists::channel()[0], ParameterLists::channel()[1],
            BatchTexts::kDone, BatchTexts::kStopped, BatchTexts::kEmptyListMessage, BatchTexts::kFailedTitle};
        for (const TranslatableText &caption : captions)
            QTest::newRow(caption.source) << QString::fromUtf8(caption.source) << english(caption);
        // Not a translated text: the language's own name.
        QTest::newRow("English") << u"English"_s << u"English"_s;
        // The progress captions of the second stage, in words.
        QTest::newRow("创建中") << u"创建中"_s << u"Encoding"_s;
    }

    void helpUsesTheWindowsCaptions()
    {
        QFETCH(QString, caption);
        QFETCH(QString, englishCaption);
        QVERIFY2(helpText().contains(u'>' + caption + u'<'), qPrintable(caption));
        QVERIFY2(!englishCaption.isEmpty(), "the English translation has no such text");
        QVERIFY2(helpText(u"help_en.html"_s).contains(u'>' + englishCaption + u'<'), qPrintable(englishCaption));
    }

    void helpShowsTheCliExample()
    {
        QVERIFY(helpText().contains(u"sonvera-cli -f mp3 -o ~/音乐 ~/视频/*.flv"_s));
        QVERIFY(helpText(u"help_en.html"_s).contains(u"sonvera-cli -f mp3 -o ~/Music ~/Videos/*.flv"_s));
        QVERIFY(helpText().contains(u"sonvera-cli --help"_s));
        QVERIFY(helpText(u"help_en.html"_s).contains(u"sonvera-cli --help"_s));
    }

    void soundIsAShortPcmChime()
    {
        const QByteArray file = readAll(programFile(u"sound.wav"_s));
        const std::optional<Wave> wave = parseWave(file);
        QVERIFY2(wave, "sound.wav is not a whole RIFF/WAVE file");
        QCOMPARE(wave->format, quint16(1)); // PCM
        QCOMPARE(wave->bits, quint16(16));
        QCOMPARE(wave->sampleRate, 44100u);
        QVERIFY(wave->channels == 1 || wave->channels == 2);
        QCOMPARE(wave->blockAlign, quint16(wave->channels * 2));
        QCOMPARE(wave->byteRate, wave->sampleRate * wave->blockAlign);
        QCOMPARE(wave->samples.size() % wave->blockAlign, 0);

        const double seconds = double(wave->samples.size()) / wave->byteRate;
        QVERIFY2(seconds > 0.2 && seconds < 1.5, qPrintable(QString::number(seconds)));

        // Audible but not clipped, and it starts and ends near silence (no click).
        const qsizetype count = wave->samples.size() / 2;
        auto sample = [&](qsizetype i) { return int(qFromLittleEndian<qint16>(wave->samples.constData() + 2 * i)); };
        int peak = 0;
        for (qsizetype i = 0; i < count; ++i)
            peak = std::max(peak, std::abs(sample(i)));
        QVERIFY2(peak > 3277 && peak < 32000, qPrintable(QString::number(peak))); // 10% .. just under full scale
        QVERIFY(std::abs(sample(0)) < 300);
        const qsizetype tail = wave->sampleRate * wave->channels / 100; // last 10 ms
        for (qsizetype i = count - tail; i < count; ++i)
            QVERIFY2(std::abs(sample(i)) < 300, qPrintable(QString::number(sample(i))));
    }

    void picturesRender_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("cursor");
        QTest::newRow("app") << u":/app/sonvera.svg"_s << false;
        QTest::newRow("exit") << u":/cursors/exit.svg"_s << true;
        QTest::newRow("help") << u":/cursors/help.svg"_s << true;
        QTest::newRow("min") << u":/cursors/min.svg"_s << true;
    }

    void picturesRender()
    {
        QFETCH(QString, path);
        QFETCH(bool, cursor);
        QSvgRenderer renderer(path);
        QVERIFY2(renderer.isValid(), qPrintable(path));
        QCOMPARE(renderer.defaultSize().width(), renderer.defaultSize().height());

        QImage image(32, 32, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        int painted = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                painted += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
        QVERIFY2(painted > 32 * 32 / 10, qPrintable(QString::number(painted)));

        if (cursor) {
            // The arrow tip, the hotspot the window uses, is at 4,2: painted
            // there, and nothing above or to the left of it.
            QCOMPARE(renderer.defaultSize(), QSize(32, 32));
            QVERIFY(qAlpha(image.pixel(4, 3)) > 128);
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x)
                    if (y < 1 || x < 3)
                        QVERIFY2(qAlpha(image.pixel(x, y)) < 64, qPrintable(u"%1,%2"_s.arg(x).arg(y)));
        }
    }

    // The desktop entry, the installed icon and the metainfo share one id.
    void desktopFilesShareTheAppId()
    {
        const QString id = u"app.sonvera.Sonvera"_s;
        const QString desktop = QString::fromUtf8(readAll(sourceFile(u"resources/desktop/"_s + id + u".desktop"_s)));
        const QStringList lines = desktop.split(u'\n');
        QVERIFY(lines.contains(u"Icon="_s + id));
        QVERIFY(lines.contains(u"Exec=sonvera %F"_s));
        QVERIFY(lines.contains(u"StartupWMClass=sonvera"_s));
        const QString cmake = QString::fromUtf8(readAll(sourceFile(u"resources/CMakeLists.txt"_s)));
        QVERIFY(cmake.contains(u"set(SONVERA_APP_ID "_s + id + u')'));
        QVERIFY(cmake.contains(u"RENAME ${SONVERA_APP_ID}.svg"_s));

        QXmlStreamReader xml(readAll(sourceFile(u"resources/desktop/"_s + id + u".metainfo.xml"_s)));
        QString componentId, launchable, newestRelease;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"id")
                componentId = xml.readElementText();
            else if (xml.name() == u"launchable")
                launchable = xml.readElementText();
            else if (xml.name() == u"release" && newestRelease.isEmpty())
                newestRelease = xml.attributes().value(u"version"_s).toString();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(componentId, id);
        QCOMPARE(launchable, id + u".desktop"_s);
        // A version bump needs its release entry.
        QCOMPARE(newestRelease, QString::fromLatin1(SONVERA_VERSION));
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
