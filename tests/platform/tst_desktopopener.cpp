// The real desktop's openers on a display (Xvfb and openbox) and without a
// session bus: with no opener on PATH every open says it could not, so that
// the window can say where the thing is; with xdg-open there, the thing goes
// to it, and a file to be shown in its folder gets its folder opened.
#include "desktop.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

class TestDesktopOpener : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opensWithXdgOpenAndSaysWhenThereIsNone()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString bin = dir.filePath(u"bin"_s);
        QVERIFY(QDir().mkpath(bin));
        const QByteArray path = qgetenv("PATH");
        const auto restore = qScopeGuard([path] { qputenv("PATH", path); });
        const std::unique_ptr<Desktop> desktop = makeSystemDesktop();

        qputenv("PATH", QFile::encodeName(bin));
        QVERIFY(!desktop->openFolder(dir.path()));
        QVERIFY(!desktop->openFile(dir.filePath(u"clip.mp3"_s)));
        // No file manager on a bus: the file's folder is opened, which nothing can do either.
        QVERIFY(!desktop->showInFolder(dir.filePath(u"clip.mp3"_s)));

        // An xdg-open that notes what it was asked to open.
        const QString opened = dir.filePath(u"opened"_s);
        QFile script(bin + u"/xdg-open"_s);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + QFile::encodeName(opened) + "'\n");
        script.close();
        QVERIFY(script.setPermissions(script.permissions() | QFileDevice::ExeOwner));
        QVERIFY(desktop->openFolder(dir.path()));
        const QByteArray url = QUrl::fromLocalFile(dir.path()).toEncoded();
        const auto asked = [&opened] {
            QFile file(opened);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        QTRY_VERIFY_WITH_TIMEOUT(asked().contains(url), 20000);
        QVERIFY(desktop->showInFolder(dir.filePath(u"clip.mp3"_s)));
        QTRY_VERIFY_WITH_TIMEOUT(asked().count(url) == 2, 20000);
    }
};

QTEST_MAIN(TestDesktopOpener)
#include "tst_desktopopener.moc"
