// What the common dialogs pass to a dialog and take back from it, checked
// against a scripted backend.
#include "openfiledialog.h"
#include "commondialogs.h"
#include "fakebackend.h"
#include "filefilter.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

namespace {

// Every readable property, to prove that a call changed none of them.
struct Snapshot {
    QString fileName, fileTitle, path, filter, title, defExt, fontName;
    qint32 color;
    qint16 fontSize;
    bool bold, italic, underline;

    explicit Snapshot(const CommonDialogs &d)
        : fileName(d.fileName()), fileTitle(d.fileTitle()), path(d.path()), filter(d.filter()), title(d.title()),
          defExt(d.defaultExtension()), fontName(d.fontName()), color(d.color()), fontSize(d.fontSize()), bold(d.fontBold()),
          italic(d.fontItalic()), underline(d.fontUnderline())
    {
    }
    bool operator==(const Snapshot &) const = default;
};

void FillProperties(CommonDialogs &d)
{
    d.setFileName(u"/v/a.flv"_s);
    d.setFileTitle(u"a.flv"_s);
    d.setPath(u"/no/such/folder"_s);
    d.setFilter(u"所有格式文件(*.*)|*.*"_s);
    d.setTitle(u"Open Files"_s);
    d.setDefaultExtension(u"flv"_s);
    d.setColor(0x00336699);
    d.setFontName(u"Sans"_s);
    d.setFontSize(12);
    d.setFontBold(true);
    d.setFontItalic(false);
    d.setFontUnderline(true);
}

// Calls the Show method named `method`.
bool Show(CommonDialogs &d, QStringView method)
{
    if (method == u"showOpen")
        return d.showOpen();
    if (method == u"showSave")
        return d.showSave();
    if (method == u"showFolder")
        return d.showFolder();
    if (method == u"showColor")
        return d.showColor(false);
    if (method == u"showFont")
        return d.showFont();
    if (method == u"showPrinter")
        return d.showPrinter();
    if (method == u"showPrinterProperties")
        return d.showPrinterProperties();
    qFatal("no such method");
}

bool WildcardMatches(const QString &wildcard, const QString &name)
{
    return QRegularExpression(QRegularExpression::wildcardToRegularExpression(wildcard)).match(name).hasMatch();
}

} // namespace

class TestCommonDialogs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nameFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");

        // The label is kept whole; the dialog shows only the part before the
        // last parentheses, so "所有格式文件(*.*)" is not doubled.
        QTest::newRow("all formats") << u"所有格式文件(*.*)|*.*"_s << QStringList{u"所有格式文件(*.*) (*)"_s};
        QTest::newRow("two pairs, several patterns")
            << u"视频|*.flv;*.MP4|所有文件|*.*"_s
            << QStringList{u"视频 (*.flv *.MP4)"_s, u"所有文件 (*)"_s};
        QTest::newRow("empty") << QString() << QStringList{};
        QTest::newRow("label without pattern") << u"Video"_s << QStringList{};
        QTest::newRow("trailing separator") << u"A|*.a|"_s << QStringList{u"A (*.a)"_s};
        QTest::newRow("empty pattern means every file") << u"A||B|*.b"_s
                                                         << QStringList{u"A (*)"_s, u"B (*.b)"_s};
        QTest::newRow("empty pair skipped") << u"A|*.a|||B|*.b"_s << QStringList{u"A (*.a)"_s, u"B (*.b)"_s};
        QTest::newRow("blank and duplicate patterns") << u"A| *.a ; ;*.a"_s << QStringList{u"A (*.a)"_s};
        QTest::newRow("NUL ends the list") << u"A|*.a\0|B|*.b"_s << QStringList{u"A (*.a)"_s};
        QTest::newRow("line break in label") << u"A\nB|*.*"_s << QStringList{u"A B (*)"_s};
        QTest::newRow("awkward pattern characters")
            << u"x|a b(1)[2].视频"_s << QStringList{u"x (a?b?1?[[]2[]].?" "?)"_s};
    }
    void nameFilters()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(qtNameFilters(filter), expected);
    }

    // The wildcards match as the stored patterns always did: "*.*" for every
    // file, brackets literally, awkward characters still matched.
    void wildcardMatching_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");

        QTest::newRow("*.* no dot") << u"*.*"_s << u"README"_s << true;
        QTest::newRow("*.* dotted") << u"*.*"_s << u"a.flv"_s << true;
        QTest::newRow("suffix only") << u"*.flv"_s << u"x.flv.bak"_s << false;
        QTest::newRow("question mark") << u"a?.txt"_s << u"ab.txt"_s << true;
        QTest::newRow("bracket literal") << u"[x].txt"_s << u"[x].txt"_s << true;
        QTest::newRow("bracket not a class") << u"[x].txt"_s << u"x.txt"_s << false;
        QTest::newRow("blank") << u"my file.txt"_s << u"my file.txt"_s << true;
        QTest::newRow("parentheses") << u"*(1).mp4"_s << u"clip(1).mp4"_s << true;
        QTest::newRow("non-ASCII") << u"*.视频"_s << u"a.视频"_s << true;
        QTest::newRow("other extension") << u"*.mp4"_s << u"a.flv"_s << false;
    }
    void wildcardMatching()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        QFETCH(bool, matches);
        QCOMPARE(WildcardMatches(QtWildcard(pattern), name), matches);
    }

    void propertiesStartEmptyAndReadUpToNul()
    {
        FakeBackend backend;
        CommonDialogs d(&backend, &backend);
        QVERIFY(d.fileName().isEmpty() && d.fileTitle().isEmpty() && d.path().isEmpty() && d.filter().isEmpty());
        QVERIFY(d.title().isEmpty() && d.defaultExtension().isEmpty() && d.fontName().isEmpty());
        QCOMPARE(d.color(), 0);
        QCOMPARE(d.fontSize(), qint16(0));
        QVERIFY(!d.fontBold() && !d.fontItalic() && !d.fontUnderline());

        const QString withNul = u"ab\0cd"_s;
        d.setFileName(withNul);
        d.setFileTitle(withNul);
        d.setPath(withNul);
        d.setTitle(withNul);
        d.setFilter(withNul);
        d.setDefaultExtension(withNul);
        d.setFontName(withNul);
        QCOMPARE(d.fileName(), u"ab"_s);
        QCOMPARE(d.fileTitle(), u"ab"_s);
        QCOMPARE(d.path(), u"ab"_s);
        QCOMPARE(d.title(), u"ab"_s);
        QCOMPARE(d.filter(), withNul);
        QCOMPARE(d.defaultExtension(), withNul);
        QCOMPARE(d.fontName(), withNul);
    }

    void showOpenConfirmed_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("fileTitle");
        QTest::newRow("plain") << u"/v/a.flv"_s << u"/v"_s << u"a.flv"_s;
        QTest::newRow("root folder") << u"/a.flv"_s << u"/"_s << u"a.flv"_s;
        QTest::newRow("backslash is a name character") << u"/v/x\\y.flv"_s << u"/v"_s << u"x\\y.flv"_s;
        QTest::newRow("dots in folder") << u"/v.d/a"_s << u"/v.d"_s << u"a"_s;
    }
    void showOpenConfirmed()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, path);
        QFETCH(QString, fileTitle);

        FakeBackend backend;
        QWidget owner;
        CommonDialogs d(&backend, &backend);
        d.setOwner(&owner);
        d.setTitle(u"Open Files"_s);
        d.setFilter(u"所有格式文件(*.*)|*.*"_s);
        d.setDefaultExtension(u"flv"_s);
        backend.fileAnswer = chosen;

        QVERIFY(d.showOpen());
        QCOMPARE(backend.lastMethod, u"open"_s);
        QCOMPARE(backend.lastParent, &owner);
        const FileDialogRequest &r = backend.lastFileRequest;
        QCOMPARE(r.caption, u"Open Files"_s);
        QCOMPARE(r.nameFilters, QStringList{u"所有格式文件(*.*) (*)"_s});
        QCOMPARE(r.defaultSuffix, u"flv"_s);
        QCOMPARE(r.fileMode, QFileDialog::ExistingFile);
        QCOMPARE(r.directory, QDir::currentPath()); // nothing chosen before
        QVERIFY(r.selectedFile.isEmpty());

        QCOMPARE(d.fileName(), chosen);
        QCOMPARE(d.path(), path);
        QCOMPARE(d.fileTitle(), fileTitle);
    }

    void showOpenStartsOnTheLastFile()
    {
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        QVERIFY(QDir(tmp.path()).mkdir(u"v"_s));
        const QString folder = tmp.filePath(u"v"_s);

        FakeBackend backend;
        QWidget owner;
        CommonDialogs d(&backend, &backend);
        d.setOwner(&owner);
        backend.fileAnswer = folder + u"/a.flv"_s;
        QVERIFY(d.showOpen());

        backend.fileAnswer.reset();
        QVERIFY(!d.showOpen());
        QCOMPARE(backend.lastFileRequest.directory, folder);
        QCOMPARE(backend.lastFileRequest.selectedFile, u"a.flv"_s);

        // Its folder is gone: start in the working folder, name still offered.
        QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(!d.showOpen());
        QCOMPARE(backend.lastFileRequest.directory, QDir::currentPath());
        QCOMPARE(backend.lastFileRequest.selectedFile, u"a.flv"_s);
    }

    void cancelChangesNothing_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("dialog"); // what the backend was asked for
        QTest::newRow("open") << u"showOpen"_s << u"open"_s;
        QTest::newRow("save") << u"showSave"_s << u"save"_s;
        QTest::newRow("folder") << u"showFolder"_s << u"folder"_s;
        QTest::newRow("color") << u"showColor"_s << u"color"_s;
        QTest::newRow("font") << u"showFont"_s << u"font"_s;
        QTest::newRow("printer") << u"showPrinter"_s << u"print"_s;
        QTest::newRow("printer properties") << u"showPrinterProperties"_s << u"pageSetup"_s;
    }
    void cancelChangesNothing()
    {
        QFETCH(QString, method);
        QFETCH(QString, dialog);
        FakeBackend backend; // every answer is "cancelled"
        backend.printerAvailable = true;
        QWidget owner;
        CommonDialogs d(&backend, &backend);
        d.setOwner(&owner);
        FillProperties(d);
        const Snapshot before(d);

        QVERIFY(!Show(d, method));
        QCOMPARE(backend.calls, 1);
        QCOMPARE(backend.lastMethod, dialog);
        QVERIFY(Snapshot(d) == before);
    }

    void showSave_data()
    {
        QTest::addColumn<QString>("path");       // "<tmp>" stands for an existing folder
        QTest::addColumn<QString>("startsIn");   // "<app>" for the program folder
        QTest::newRow("empty") << QString() << u"<app>"_s;
        QTest::newRow("blank") << u"   "_s << u"<app>"_s;
        QTest::newRow("existing") << u"<tmp>"_s << u"<tmp>/"_s;
        QTest::newRow("existing with slash") << u"<tmp>/"_s << u"<tmp>/"_s;
        QTest::newRow("existing within spaces") << u"  <tmp> "_s << u"<tmp>/"_s;
        QTest::newRow("hidden folder") << u"<tmp>/.hidden"_s << u"<tmp>/.hidden/"_s;
        QTest::newRow("missing") << u"<tmp>/missing"_s << u"<app>"_s;
        QTest::newRow("a file") << u"<tmp>/file.txt"_s << u"<app>"_s;
    }
    void showSave()
    {
        QFETCH(QString, path);
        QFETCH(QString, startsIn);
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        QVERIFY(QDir(tmp.path()).mkdir(u".hidden"_s));
        QFile file(tmp.filePath(u"file.txt"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        path.replace(u"<tmp>"_s, tmp.path());
        startsIn.replace(u"<tmp>"_s, tmp.path()).replace(u"<app>"_s, QCoreApplication::applicationDirPath());

        FakeBackend backend;
        QWidget owner;
        CommonDialogs d(&backend, &backend);
        d.setOwner(&owner);
        d.setTitle(u"Open Files"_s);
        d.setDefaultExtension(u"flv"_s);
        d.setPath(path);
        backend.fileAnswer = u"/out/b.mp4"_s;

        QVERIFY(d.showSave());
        const FileDialogRequest &r = backend.lastFileRequest;
        QCOMPARE(backend.lastMethod, u"save"_s);
        QCOMPARE(backend.lastParent, &owner);
        QCOMPARE(r.caption, u"Save"_s);
        QCOMPARE(r.directory, startsIn);
        QVERIFY(r.defaultSuffix.isEmpty());
        QVERIFY(r.selectedFile.isEmpty());
        QCOMPARE(r.nameFilters, QStringList{u"*.* (*)"_s}); // blank Filter
        QCOMPARE(d.fileName(), u"/out/b.mp4"_s);
        QCOMPARE(d.path(), u"/out"_s);
        QCOMPARE(d.fileTitle(), u"b.mp4"_s);
    }

    void showSaveUsesFilter()
    {
        FakeBackend backend;
        CommonDialogs d(&backend, &backend);
        d.setOwner(nullptr);
        d.setFilter(u"MP4|*.mp4|所有文件|*.*"_s);
        QVERIFY(!d.showSave());
        QCOMPARE(backend.lastFileRequest.nameFilters, (QStringList{u"MP4 (*.mp4)"_s, u"所有文件 (*)"_s}));
        QCOMPARE(backend.lastParent, nullptr);
    }

    void showFolder()
    {
        FakeBackend backend;
        QWidget owner;
        CommonDialogs d(&backend, &backend);
        d.setOwner(&owner);
        FillProperties(d);
        d.setTitle(u"选择一个文件夹:"_s);
        backend.folderAnswer = u"/media/clips"_s;

        QVERIFY(d.showFolder());
        QCOMPARE(backend.lastCaption, u"选择一个文件夹:"_s);
        QCOMPARE(backend.lastParent, &owner);
        QCOMPARE(d.path(), u"/media/clips"_s);
        QVERIFY(d.fileName().isEmpty());
        QVERIFY(d.fileTitle().isEmpty());
    }

    void colorRoundTrip_data()
    {
        QTest::addColumn<qint32>("stored");
        QTest::addColumn<QColor>("shown");
        QTest::addColumn<QColor>("chosen");
        QTest::addColumn<qint32>("takenBack");
        QTest::newRow("BGR order") << qint32(0x00336699) << QColor(0x99, 0x66, 0x33) << QColor(0x12, 0x34, 0x56)
                                   << qint32(0x00563412);
        QTest::newRow("top byte ignored") << qint32(0x7F0000FF) << QColor(0xFF, 0, 0) << QColor(Qt::white)
                                          << qint32(0x00FFFFFF);
        QTest::newRow("negative value") << qint32(-1) << QColor(Qt::white) << QColor(Qt::black) << qint32(0);
        QTest::newRow("HSV colour") << qint32(0) << QColor(Qt::black) << QColor::fromHsv(240, 255, 255)
                                    << qint32(0x00FF0000);
    }
    void colorRoundTrip()
    {
        QFETCH(qint32, stored);
        QFETCH(QColor, shown);
        QFETCH(QColor, chosen);
        QFETCH(qint32, takenBack);

        FakeBackend backend;
        QWidget owner;
        CommonDialogs d(&backend, &backend);
        d.setOwner(&owner);
        d.setColor(stored);
        backend.colorAnswer = chosen;
        QVERIFY(d.showColor(true));
        QCOMPARE(backend.lastInitialColor, shown);
        QVERIFY(backend.lastFullOpen);
        QCOMPARE(d.color(), takenBack);

        QVERIFY(d.showColor(false));
        QVERIFY(!backend.lastFullOpen);
        QCOMPARE(backend.lastInitialColor, colorFromBgr(takenBack));
    }

    void fontRoundTrip()
    {
        FakeBackend backend;
        QWidget owner;
        CommonDialogs d(&backend, &backend);
        d.setOwner(&owner);
        d.setFontName(u"DejaVu Sans"_s);
        d.setFontSize(12);
        d.setFontBold(true);
        d.setFontItalic(false);
        d.setFontUnderline(true);
        d.setColor(0x000000FF);

        QFont answer(u"Noto Serif"_s);
        answer.setPointSizeF(10.7);
        answer.setBold(false);
        answer.setItalic(true);
        answer.setUnderline(false);
        backend.fontAnswer = answer;

        QVERIFY(d.showFont());
        QCOMPARE(backend.lastParent, &owner);
        const QFont &shown = backend.lastInitialFont;
        QCOMPARE(shown.family(), u"DejaVu Sans"_s);
        QCOMPARE(shown.pointSize(), 12);
        QVERIFY(shown.bold());
        QVERIFY(!shown.italic());
        QVERIFY(shown.underline());

        QCOMPARE(d.fontName(), u"Noto Serif"_s);
        QCOMPARE(d.fontSize(), qint16(10)); // truncated, not rounded
        QVERIFY(!d.fontBold());
        QVERIFY(d.fontItalic());
        QVERIFY(d.fontUnderline());         // not taken back
        QCOMPARE(d.color(), 0x000000FF);    // not taken back

        // A font sized in pixels has no point size: FontSize stays.
        QFont pixels(u"Noto Sans"_s);
        pixels.setPixelSize(20);
        backend.fontAnswer = pixels;
        QVERIFY(d.showFont());
        QCOMPARE(d.fontName(), u"Noto Sans"_s);
        QCOMPARE(d.fontSize(), qint16(10));
    }

    void fontWithoutSizeOrName()
    {
        FakeBackend backend;
        CommonDialogs d(&backend, &backend);
        d.setOwner(nullptr);
        QVERIFY(!d.showFont());
        // Nothing stored: the dialog starts from the application's font.
        QCOMPARE(backend.lastInitialFont.family(), QFont().family());
        QCOMPARE(backend.lastInitialFont.pointSizeF(), QFont().pointSizeF());
    }

    void printer()
    {
        FakeBackend backend;
        QWidget owner;
        CommonDialogs d(&backend, &backend);
        d.setOwner(&owner);
        backend.printAnswer = true;
        QVERIFY(d.showPrinter());
        QCOMPARE(backend.lastParent, &owner);
        const auto hidden = QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintSelection
            | QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintCurrentPage;
        QVERIFY(!(backend.lastPrintOptions & hidden));
    }

    void printerProperties()
    {
        FakeBackend backend;
        QWidget owner;
        CommonDialogs d(&backend, &backend);
        d.setOwner(&owner);
        backend.pageSetupAnswer = true;

        backend.printerAvailable = false;
        QVERIFY(!d.showPrinterProperties());
        QCOMPARE(backend.calls, 0); // nothing shown

        backend.printerAvailable = true;
        QVERIFY(d.showPrinterProperties());
        QCOMPARE(backend.lastMethod, u"pageSetup"_s);
        QCOMPARE(backend.lastParent, &owner);
    }

    void withoutInit_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<bool>("shown"); // shown without a parent instead
        for (const char *m : {"showOpen", "showSave", "showFolder", "showColor", "showPrinter"})
            QTest::newRow(m) << QString::fromLatin1(m) << false;
        QTest::newRow("showFont") << u"showFont"_s << true;
        QTest::newRow("showPrinterProperties") << u"showPrinterProperties"_s << true;
    }
    void withoutInit()
    {
        QFETCH(QString, method);
        QFETCH(bool, shown);

        for (const bool ownerDestroyed : {false, true}) {
            FakeBackend backend;
            backend.fileAnswer = u"/v/a.flv"_s;
            backend.folderAnswer = u"/v"_s;
            backend.colorAnswer = QColor(Qt::red);
            backend.fontAnswer = QFont(u"Sans"_s);
            backend.printAnswer = true;
            backend.printerAvailable = true;
            backend.pageSetupAnswer = true;
            CommonDialogs d(&backend, &backend);
            if (ownerDestroyed) {
                auto *owner = new QWidget;
                d.setOwner(owner);
                delete owner;
            }
            const Snapshot before(d);

            const QString reason = ownerDestroyed ? u"the owner window no longer exists"_s
                                                  : u"setOwner() was not called"_s;
            QTest::ignoreMessage(QtWarningMsg, qPrintable(u"CommonDialogs::%1: %2"_s.arg(method, reason)));
            QCOMPARE(Show(d, method), shown);
            QCOMPARE(backend.calls, shown ? 1 : 0);
            if (shown)
                QCOMPARE(backend.lastParent, nullptr);
            else
                QVERIFY(Snapshot(d) == before);
        }
    }

    void showOpenFileInitialFolder_data()
    {
        QTest::addColumn<QString>("initial");  // "<tmp>" stands for an existing folder
        QTest::addColumn<QString>("rewritten"); // "<app>" for the program folder
        QTest::newRow("existing") << u"<tmp>"_s << u"<tmp>/"_s;
        QTest::newRow("existing with slash") << u"<tmp>/"_s << u"<tmp>/"_s;
        QTest::newRow("existing within spaces") << u" <tmp>  "_s << u"<tmp>/"_s;
        QTest::newRow("missing") << u"<tmp>/missing"_s << u"<app>"_s;
        QTest::newRow("empty") << QString() << u"<app>"_s;
        QTest::newRow("blank") << u"    "_s << u"<app>"_s;
    }
    void showOpenFileInitialFolder()
    {
        QFETCH(QString, initial);
        QFETCH(QString, rewritten);
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        initial.replace(u"<tmp>"_s, tmp.path());
        rewritten.replace(u"<tmp>"_s, tmp.path()).replace(u"<app>"_s, QCoreApplication::applicationDirPath());

        FakeBackend backend;
        QWidget owner;
        QString folder = initial;
        QCOMPARE(showOpenFileDialog(backend, &owner, u"打开文件"_s, folder, u"*.*|*.*"_s, false),
                 QString());
        QCOMPARE(folder, rewritten);
        QCOMPARE(backend.lastFileRequest.directory, rewritten);
        QCOMPARE(backend.lastParent, &owner);
    }

    void showOpenFileRequest_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("onlyExisting");
        QTest::addColumn<QStringList>("nameFilters");
        QTest::addColumn<QFileDialog::FileMode>("fileMode");
        QTest::newRow("drop zone") << u"*.*|*.*"_s << false
                                   << QStringList{u"*.* (*)"_s} << QFileDialog::AnyFile;
        QTest::newRow("no filter") << QString() << false << QStringList{u"*.* (*)"_s} << QFileDialog::AnyFile;
        QTest::newRow("blank filter") << u"  "_s << false << QStringList{u"*.* (*)"_s} << QFileDialog::AnyFile;
        QTest::newRow("must exist") << u"FLV|*.flv"_s << true
                                    << QStringList{u"FLV (*.flv)"_s} << QFileDialog::ExistingFile;
    }
    void showOpenFileRequest()
    {
        QFETCH(QString, filter);
        QFETCH(bool, onlyExisting);
        QFETCH(QStringList, nameFilters);
        QFETCH(QFileDialog::FileMode, fileMode);

        FakeBackend backend;
        backend.fileAnswer = u"/v/a.flv"_s;
        QString folder;
        QCOMPARE(showOpenFileDialog(backend, nullptr, u"打开文件"_s, folder, filter, onlyExisting), u"/v/a.flv"_s);
        const FileDialogRequest &r = backend.lastFileRequest;
        QCOMPARE(backend.lastMethod, u"open"_s);
        QCOMPARE(r.caption, u"打开文件"_s);
        QCOMPARE(r.nameFilters, nameFilters);
        QCOMPARE(r.fileMode, fileMode);
        QVERIFY(r.selectedFile.isEmpty());
        QVERIFY(r.defaultSuffix.isEmpty());
    }

};

QTEST_MAIN(TestCommonDialogs)
#include "tst_commondialogs.moc"
