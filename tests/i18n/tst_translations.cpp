// The English translation against the code as it stands, the choice of the
// language, and the real converter speaking the language of its locale.
#include "cjk.h"
#include "uilanguage.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

namespace {

struct Message {
    QString context;
    QString source;
    QString type;         // the translation's type: "", "unfinished", "vanished", "obsolete"
    QStringList forms;    // the translation, or each plural form
};

QList<Message> readTs(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<Message> messages;
    QString context;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            messages.append({context, {}, {}, {}});
        } else if (xml.name() == u"source" && !messages.isEmpty()) {
            messages.last().source = xml.readElementText();
        } else if (xml.name() == u"translation" && !messages.isEmpty()) {
            Message &message = messages.last();
            message.type = xml.attributes().value(u"type"_s).toString();
            // Plain text, or a numerusform element for each plural form.
            QString text;
            while (!(xml.isEndElement() && xml.name() == u"translation") && !xml.atEnd()) {
                xml.readNext();
                if (xml.isCharacters())
                    text += xml.text();
                else if (xml.isStartElement() && xml.name() == u"numerusform")
                    message.forms << xml.readElementText();
            }
            if (message.forms.isEmpty())
                message.forms << text;
        }
    }
    return xml.hasError() ? QList<Message>() : messages;
}

// The placeholders of a text, "%1" ... "%9" and "%n", each once.
QSet<QString> placeholders(const QString &text)
{
    static const QRegularExpression marker(u"%(\\d|n)"_s);
    QSet<QString> found;
    for (const QRegularExpressionMatch &m : marker.globalMatch(text))
        found << m.captured();
    return found;
}

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run runCli(const QStringList &arguments, const QString &lang)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"SONVERA_LANG", "LC_ALL", "LC_MESSAGES", "LANGUAGE"})
        env.remove(QString::fromLatin1(name));
    env.insert(u"LANG"_s, lang);
    process.setProcessEnvironment(env);
    process.start(qEnvironmentVariable("SONVERA_PROGRAM_DIR") + u"/sonvera-cli"_s, arguments);
    process.waitForFinished(20000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

class TestTranslations : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // lupdate over today's code, on a copy of the committed translation: a
    // text the code gained shows as unfinished, one it lost as vanished.
    void theEnglishTranslationIsComplete()
    {
        const QString sourceDir = qEnvironmentVariable("SONVERA_SOURCE_DIR");
        QTemporaryDir dir;
        const QString ts = dir.filePath(u"sonvera_en.ts"_s);
        QVERIFY(QFile::copy(sourceDir + u"/translations/sonvera_en.ts"_s, ts));
        QFile::setPermissions(ts, QFile::ReadOwner | QFile::WriteOwner);
        QProcess lupdate;
        lupdate.start(QStringLiteral(LUPDATE_PATH), {u"-silent"_s, u"-locations"_s, u"none"_s, u"-source-language"_s,
                                                     u"zh_CN"_s, sourceDir + u"/src"_s, sourceDir + u"/cli"_s,
                                                     u"-ts"_s, ts});
        QVERIFY(lupdate.waitForFinished(60000));
        QVERIFY2(lupdate.exitCode() == 0, lupdate.readAllStandardError().constData());

        const QList<Message> messages = readTs(ts);
        QVERIFY2(messages.size() > 100, qPrintable(QString::number(messages.size())));
        QStringList problems;
        for (const Message &m : messages) {
            const QString where = m.context + u": \""_s + m.source + u'"';
            if (m.type == u"unfinished")
                problems << u"untranslated "_s + where;
            else if (!m.type.isEmpty())
                problems << u"no longer in the code ("_s + m.type + u") "_s + where;
            for (const QString &form : m.forms) {
                if (m.type.isEmpty() && hasCjk(form))
                    problems << u"Chinese in the English of "_s + where;
                // A lost "%1" would lose what it stands for (a file, a reason).
                if (m.type.isEmpty() && placeholders(form) != placeholders(m.source))
                    problems << u"placeholders differ in "_s + where + u" -> \""_s + form + u'"';
            }
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }

    void theLanguageIsChosen_data()
    {
        QTest::addColumn<QString>("sonveraLang");
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("lcAll");
        QTest::addColumn<QString>("lcMessages");
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("language");
        QTest::addColumn<UiLanguage>("expected");
        using enum UiLanguage;
        const int automatic = int(LanguageOption::Automatic);
        QTest::newRow("zh_CN") << u""_s << automatic << u""_s << u""_s << u"zh_CN.UTF-8"_s << u""_s << Chinese;
        QTest::newRow("zh_TW") << u""_s << automatic << u""_s << u""_s << u"zh_TW.UTF-8"_s << u""_s << Chinese;
        QTest::newRow("C") << u""_s << automatic << u""_s << u""_s << u"C"_s << u""_s << Chinese;
        QTest::newRow("POSIX") << u""_s << automatic << u""_s << u""_s << u"POSIX"_s << u""_s << Chinese;
        QTest::newRow("C.UTF-8") << u""_s << automatic << u""_s << u""_s << u"C.UTF-8"_s << u""_s << Chinese;
        QTest::newRow("no locale at all") << u""_s << automatic << u""_s << u""_s << u""_s << u""_s << Chinese;
        QTest::newRow("en_US") << u""_s << automatic << u""_s << u""_s << u"en_US.UTF-8"_s << u""_s << English;
        QTest::newRow("de_DE") << u""_s << automatic << u""_s << u""_s << u"de_DE.UTF-8"_s << u""_s << English;
        QTest::newRow("zu_ZA is not Chinese") << u""_s << automatic << u""_s << u""_s << u"zu_ZA"_s << u""_s << English;
        QTest::newRow("LC_ALL before LANG") << u""_s << automatic << u"de_DE.UTF-8"_s << u""_s << u"zh_CN.UTF-8"_s
                                            << u""_s << English;
        QTest::newRow("LC_MESSAGES before LANG") << u""_s << automatic << u""_s << u"zh_CN.UTF-8"_s
                                                 << u"en_US.UTF-8"_s << u""_s << Chinese;
        QTest::newRow("LANGUAGE's first known") << u""_s << automatic << u""_s << u""_s << u"de_DE.UTF-8"_s
                                                << u"fr:zh_CN:en"_s << Chinese;
        QTest::newRow("LANGUAGE not under C") << u""_s << automatic << u""_s << u""_s << u"C"_s << u"en_US:en"_s
                                              << Chinese;
        QTest::newRow("option English") << u""_s << int(LanguageOption::English) << u""_s << u""_s
                                        << u"zh_CN.UTF-8"_s << u""_s << English;
        QTest::newRow("option Chinese") << u""_s << int(LanguageOption::Chinese) << u""_s << u""_s
                                        << u"en_US.UTF-8"_s << u""_s << Chinese;
        QTest::newRow("SONVERA_LANG first") << u"en"_s << int(LanguageOption::Chinese) << u"zh_CN.UTF-8"_s << u""_s
                                            << u""_s << u""_s << English;
        QTest::newRow("SONVERA_LANG zh") << u"zh"_s << automatic << u""_s << u""_s << u"en_US.UTF-8"_s << u""_s
                                         << Chinese;
        QTest::newRow("SONVERA_LANG unknown") << u"fr"_s << automatic << u""_s << u""_s << u"en_US.UTF-8"_s
                                              << u""_s << English;
    }

    void theLanguageIsChosen()
    {
        QFETCH(QString, sonveraLang);
        QFETCH(int, option);
        QFETCH(QString, lcAll);
        QFETCH(QString, lcMessages);
        QFETCH(QString, lang);
        QFETCH(QString, language);
        QFETCH(UiLanguage, expected);
        const LanguageEnvironment environment{sonveraLang, lcAll, lcMessages, lang, language};
        QCOMPARE(chooseUiLanguage(environment, LanguageOption(option)), expected);
    }

    // The real converter, as a user's shell starts it. Qt's own texts (the
    // help's "Usage:") follow the language too.
    void theConverterSpeaksItsLocale_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");
        QTest::newRow("en_US") << u"en_US.UTF-8"_s << QStringList{} << u"sonvera-cli: no input file given"_s;
        QTest::newRow("C") << u"C"_s << QStringList{} << u"sonvera-cli: 没有给出输入文件"_s;
        QTest::newRow("zh_CN") << u"zh_CN.UTF-8"_s << QStringList{} << u"sonvera-cli: 没有给出输入文件"_s;
        QTest::newRow("help en_US") << u"en_US.UTF-8"_s << QStringList{u"--help"_s} << u"Usage: "_s;
        QTest::newRow("help C") << u"C"_s << QStringList{u"--help"_s} << u"用法："_s;
    }

    void theConverterSpeaksItsLocale()
    {
        QFETCH(QString, lang);
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        const Run run = runCli(arguments, lang);
        const QString shown = run.out + run.err;
        QVERIFY2(shown.contains(expected), qPrintable(shown));
        QCOMPARE(hasCjk(shown), lang != u"en_US.UTF-8");
    }
};

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"
