#include "manymachines.h"

#include "encodertestkit.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera::testkit;

namespace sonvera::manymachines {

QString docsFolder()
{
    return qEnvironmentVariable("SONVERA_SOURCE_DIR") + u"/docs"_s;
}

QString documentedBlock(const QString &testFile, int index)
{
    QFile file(docsFolder() + u"/many-machines.md"_s);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    const QString comment = u"<!-- tests/cli/"_s + testFile + u" runs this block"_s;
    qsizetype marker = -1;
    for (int i = 0; i <= index; ++i) {
        marker = text.indexOf(comment, marker + 1);
        if (marker < 0)
            return {};
    }
    const qsizetype begin = text.indexOf(u"```sh\n"_s, marker);
    const qsizetype end = begin < 0 ? -1 : text.indexOf(u"```"_s, begin + 6);
    if (end < 0)
        return {};
    return text.mid(begin + 6, end - begin - 6);
}

bool makeClip(const QString &path, int seconds, const QString &size)
{
    const QString length = QString::number(seconds);
    return makeSource(path, {u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=size="_s + size + u":rate=15:duration="_s + length,
                             u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=duration="_s + length, u"-c:v"_s, u"flv1"_s,
                             u"-c:a"_s, u"libmp3lame"_s, u"-shortest"_s});
}

bool makeBroken(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("not a video\n") > 0;
}

QProcessEnvironment shellEnvironment(const QString &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"PATH"_s, programFolder() + u':' + env.value(u"PATH"_s));
    env.insert(u"HOME"_s, home);
    return env;
}

int runShell(const QString &folder, const QStringList &arguments, const QStringList &extra, int timeoutMs,
             QString *output)
{
    QProcessEnvironment env = shellEnvironment(folder);
    for (const QString &pair : extra)
        env.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    QProcess shell;
    shell.setProcessEnvironment(env);
    shell.setWorkingDirectory(folder);
    shell.setStandardInputFile(QProcess::nullDevice());
    shell.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    shell.start(u"bash"_s, arguments);
    if (!shell.waitForFinished(timeoutMs)) {
        shell.kill();
        shell.waitForFinished();
        return -1;
    }
    if (output)
        *output = QString::fromUtf8(shell.readAllStandardOutput());
    return shell.exitStatus() == QProcess::NormalExit ? shell.exitCode() : -1;
}

int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), size) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

QStringList jobExits(const QString &joblog)
{
    QFile file(joblog);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList exits;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : lines.mid(1)) { // the first is the header
        const QStringList fields = line.split(u'\t');
        exits << fields.value(0) + u':' + fields.value(6);
    }
    std::sort(exits.begin(), exits.end()); // jobs end in any order
    return exits;
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

QStringList checkedOutputs(const QString &folder, double seconds)
{
    const QStringList outputs = filesIn(folder);
    for (const QString &name : outputs) {
        const Probe p = probe(folder + u'/' + name);
        if (!p.ok || qAbs(p.duration - seconds) > 0.3) {
            qWarning().noquote() << name << "does not decode as a" << seconds << "s file:" << p.duration;
            return {};
        }
    }
    return outputs;
}

void checkMp3s(const QString &folder, int expected, double seconds)
{
    const QStringList outputs = filesIn(folder);
    QCOMPARE(outputs.size(), expected);
    for (const QString &name : outputs) {
        const Probe p = probe(folder + u'/' + name);
        QVERIFY2(p.ok && p.audioCodec == u"mp3"_s && qAbs(p.duration - seconds) < 0.3, qPrintable(name));
    }
}

} // namespace sonvera::manymachines
