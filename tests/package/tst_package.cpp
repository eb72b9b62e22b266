// The Debian package that cpack builds (the package_build test, run first):
// its control fields, its files, and the converter it installs, run from a
// copy unpacked with dpkg -x as an installed copy would run from /usr.
#include "encodertestkit.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera::testkit;

namespace {

// The package names of a Depends field, alternatives kept together:
// "a (>= 1), b | c" gives {{"a"}, {"b", "c"}}.
QList<QStringList> dependencyGroups(const QString &depends)
{
    static const QRegularExpression kVersion(u"\\s*\\(.*?\\)"_s);
    QList<QStringList> groups;
    for (const QString &group : depends.split(u',', Qt::SkipEmptyParts)) {
        QStringList names;
        for (const QString &alternative : group.split(u'|'))
            names << QString(alternative).remove(kVersion).trimmed();
        groups << names;
    }
    return groups;
}

bool dependsOnAnyOf(const QList<QStringList> &groups, const QStringList &wanted)
{
    for (const QStringList &group : groups) {
        for (const QString &name : group) {
            if (wanted.contains(name))
                return true;
        }
    }
    return false;
}

} // namespace

class TestPackage : public QObject {
    Q_OBJECT

    QString m_deb;
    QTemporaryDir m_root; // the package unpacked: usr/bin, usr/lib/sonvera, ...

    QString field(const QString &name) const
    {
        const Run run = runProgram(u"dpkg-deb"_s, {u"--field"_s, m_deb, name}, 30000);
        return run.exitCode == 0 ? run.output.trimmed() : QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QStringList debs = QDir(QStringLiteral(SONVERA_DEB_DIR))
                                     .entryList({u"sonvera_"_s + QStringLiteral(SONVERA_VERSION) + u"_*.deb"_s},
                                                QDir::Files);
        QCOMPARE(debs.size(), 1);
        m_deb = QStringLiteral(SONVERA_DEB_DIR) + u'/' + debs.first();
        QVERIFY(m_root.isValid());
        const Run unpack = runProgram(u"dpkg"_s, {u"-x"_s, m_deb, m_root.path()}, 30000);
        QVERIFY2(unpack.exitCode == 0, qPrintable(unpack.output));
    }

    // The fields apt needs to install a working program on a fresh desktop:
    // the linked libraries come from dpkg-shlibdeps, the rest is named by hand.
    void controlFields()
    {
        QCOMPARE(field(u"Version"_s), QStringLiteral(SONVERA_VERSION));
        // The changelog's newest entry is this version (a bump needs its entry).
        QFile changelog(qEnvironmentVariable("SONVERA_SOURCE_DIR") + u"/resources/debian/changelog"_s);
        QVERIFY(changelog.open(QIODevice::ReadOnly));
        QCOMPARE(changelog.readLine().split(' ').value(1), QByteArray("(" SONVERA_VERSION ")"));

        const QString depends = field(u"Depends"_s);
        const QList<QStringList> groups = dependencyGroups(depends);
        QVERIFY2(dependsOnAnyOf(groups, {u"ffmpeg"_s}), qPrintable(depends));
        QVERIFY2(dependsOnAnyOf(groups, {u"fonts-wqy-microhei"_s, u"fonts-wqy-zenhei"_s, u"fonts-noto-cjk"_s}),
                 qPrintable(depends));
        QVERIFY2(dependsOnAnyOf(groups, {u"qt6-translations-l10n"_s}), qPrintable(depends));
        // Linked, so found by dpkg-shlibdeps; libqt6svg6 also holds the SVG icon plugins.
        QVERIFY2(dependsOnAnyOf(groups, {u"libopencore-amrnb0"_s}), qPrintable(depends));
        QVERIFY2(dependsOnAnyOf(groups, {u"libqt6svg6"_s}), qPrintable(depends));
        // Native on a Wayland desktop; X11 stays the fallback without it.
        QVERIFY2(dependsOnAnyOf(dependencyGroups(field(u"Recommends"_s)), {u"qt6-wayland"_s}),
                 qPrintable(field(u"Recommends"_s)));
    }

    // Everything lies under /usr, belongs to root and is writable by root
    // alone; no file carries a path of the machine that built it.
    void contents()
    {
        const Run listing = runProgram(u"dpkg-deb"_s, {u"--contents"_s, m_deb}, 30000);
        QCOMPARE(listing.exitCode, 0);
        const QStringList lines = listing.lines();
        QVERIFY(!lines.isEmpty());
        for (const QString &line : lines) {
            const QStringList fields = line.simplified().split(u' ');
            QVERIFY2(fields.size() >= 6, qPrintable(line));
            const QString &mode = fields.at(0);
            QCOMPARE(fields.at(1), u"root/root"_s);
            QVERIFY2(fields.at(5).startsWith(u"./usr/"_s), qPrintable(line));
            if (!mode.startsWith(u'l'))
                QVERIFY2(mode.at(5) != u'w' && mode.at(8) != u'w', qPrintable(line));
        }

        // A leak names a file inside those trees (debug information, a
        // run path, __FILE__), so look for the folders with their slash.
        const QByteArray buildDir = QByteArrayLiteral(SONVERA_BUILD_DIR "/");
        const QByteArray sourceDir = qgetenv("SONVERA_SOURCE_DIR") + '/';
        QVERIFY(sourceDir.size() > 1);
        int files = 0;
        QDirIterator it(m_root.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (it.fileInfo().isSymLink())
                continue;
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
            const QByteArray bytes = file.readAll();
            QVERIFY2(!bytes.contains(buildDir) && !bytes.contains(sourceDir), qPrintable(file.fileName()));
            ++files;
        }
        QVERIFY(files > 0);
    }

    // As a desktop finds them once installed: the entry's command and icon
    // exist, and the metainfo's launchable names the installed entry.
    void desktopIntegration()
    {
        QFile entry(m_root.filePath(u"usr/share/applications/app.sonvera.Sonvera.desktop"_s));
        QVERIFY(entry.open(QIODevice::ReadOnly | QIODevice::Text));
        QString exec, icon;
        for (const QString &line : QString::fromUtf8(entry.readAll()).split(u'\n')) {
            if (line.startsWith(u"Exec="_s))
                exec = line.mid(5).section(u' ', 0, 0);
            else if (line.startsWith(u"Icon="_s))
                icon = line.mid(5);
        }
        QVERIFY2(QFileInfo(m_root.filePath(u"usr/bin/"_s + exec)).isExecutable(), qPrintable(exec));
        QVERIFY2(QFileInfo::exists(m_root.filePath(u"usr/share/icons/hicolor/scalable/apps/"_s + icon + u".svg"_s)),
                 qPrintable(icon));

        if (QStandardPaths::findExecutable(u"appstreamcli"_s).isEmpty())
            QSKIP("appstreamcli is not installed (Debian package appstream, see scripts/install-deps.sh)");
        const Run tree = runProgram(u"appstreamcli"_s, {u"validate-tree"_s, u"--no-net"_s, m_root.path()}, 30000);
        QVERIFY2(tree.exitCode == 0, qPrintable(tree.output));
    }

    // The many-machines guide comes with its scripts, ready to copy:
    // the resubmit script runs as a program and finds the array script
    // beside it.
    void manyMachinesExamples()
    {
        const QString examples = m_root.filePath(u"usr/share/doc/sonvera/examples/"_s);
        QVERIFY(QFileInfo(examples + u"many-machines.md"_s).isFile());
        QVERIFY(QFileInfo(examples + u"sonvera-array.sbatch"_s).isFile());
        const Run usage = runProgram(examples + u"sonvera-array-resubmit"_s, {}, 30000);
        QCOMPARE(usage.exitCode, 2);
        QVERIFY2(usage.output.contains(u"usage: sonvera-array-resubmit JOBID"_s), qPrintable(usage.output));
        const Run group = runProgram(examples + u"sonvera-group"_s, {}, 30000);
        QCOMPARE(group.exitCode, 2);
        QVERIFY2(group.output.contains(u"usage: sonvera-group RECORD"_s), qPrintable(group.output));
    }

    // The launcher on PATH is a link into the program folder; through it the
    // converter finds its encoders in usr/lib/sonvera/data and converts.
    void unpackedCliConvertsAClip()
    {
        const QFileInfo launcher(m_root.filePath(u"usr/bin/sonvera-cli"_s));
        QVERIFY(launcher.isSymLink());
        QCOMPARE(launcher.canonicalFilePath(), QFileInfo(m_root.filePath(u"usr/lib/sonvera/sonvera-cli"_s)).canonicalFilePath());

        QTemporaryDir work;
        QVERIFY(work.isValid());
        const QString clip = work.filePath(u"clip.flv"_s);
        QVERIFY(makeSource(clip, {u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=size=320x240:rate=25:duration=3"_s,
                                  u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=frequency=440:duration=3"_s, u"-shortest"_s}));
        const Probe source = probe(clip);
        QVERIFY(source.ok);

        const QString out = work.filePath(u"out"_s);
        const Run run = runProgram(launcher.filePath(), {u"-q"_s, u"-f"_s, u"mp3"_s, u"-o"_s, out, clip}, 60000);
        QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.output));

        const QStringList outputs = QDir(out).entryList({u"clip-*.mp3"_s}, QDir::Files);
        QCOMPARE(outputs.size(), 1);
        const QString mp3 = out + u'/' + outputs.first();
        const Probe result = probe(mp3);
        QVERIFY(result.ok);
        QCOMPARE(result.audioCodec, u"mp3"_s);
        QVERIFY2(qAbs(result.duration - source.duration) < 0.2,
                 qPrintable(u"%1 s from a %2 s clip"_s.arg(result.duration).arg(source.duration)));
        // Every frame decodes.
        const Run decode = runProgram(u"ffmpeg"_s, {u"-nostdin"_s, u"-v"_s, u"error"_s, u"-i"_s, mp3, u"-f"_s,
                                                    u"null"_s, u"-"_s});
        QCOMPARE(decode.exitCode, 0);
        QVERIFY2(decode.output.trimmed().isEmpty(), qPrintable(decode.output));
    }
};

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
