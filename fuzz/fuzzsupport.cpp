#include "fuzzsupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace sonvera::fuzz {

namespace {

void dropMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    // qFatal still ends the run (Qt aborts after the handler returns).
    if (type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

QByteArray bytesOf(const std::uint8_t *data, std::size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

QList<QByteArray> argumentsOf(QByteArrayView data)
{
    QList<QByteArray> arguments;
    qsizetype start = 0;
    for (qsizetype i = 0; i < data.size(); ++i) {
        if (data[i] == '\0') {
            arguments << data.sliced(start, i - start).toByteArray();
            start = i + 1;
        }
    }
    if (start < data.size())
        arguments << data.sliced(start).toByteArray();
    return arguments;
}

QStringList decodedArgumentsOf(QByteArrayView data)
{
    QStringList arguments;
    for (const QByteArray &argument : argumentsOf(data))
        arguments << QString::fromLocal8Bit(argument);
    return arguments;
}

QList<QByteArrayView> piecesOf(QByteArrayView data)
{
    // FNV-1a of the input seeds a xorshift generator.
    std::uint64_t state = 14695981039346656037ULL;
    for (const char c : data)
        state = (state ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    QList<QByteArrayView> pieces;
    for (qsizetype at = 0; at < data.size();) {
        // Mostly a few bytes, sometimes a whole pipe read.
        const std::uint64_t bound = next() % 4 == 0 ? 1024 : 8;
        const qsizetype size = std::min<qsizetype>(static_cast<qsizetype>(1 + next() % bound), data.size() - at);
        pieces << data.sliced(at, size);
        at += size;
    }
    return pieces;
}

QString scratchFolder()
{
    static const QTemporaryDir *folder = new QTemporaryDir; // left for run.sh to remove
    require(folder->isValid(), "a scratch folder can be made");
    return folder->path();
}

void writeFile(const QString &path, QByteArrayView data, const QDateTime &modified)
{
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the scratch file can be written");
    require(file.write(data.data(), data.size()) == data.size(), "the scratch file can be written");
    if (modified.isValid())
        file.setFileTime(modified, QFileDevice::FileModificationTime);
}

void require(bool condition, const char *promise)
{
    if (condition)
        return;
    std::fprintf(stderr, "broken promise: %s\n", promise);
    std::abort();
}

} // namespace sonvera::fuzz

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static int argc = 1;
    static char name[] = "sonvera-fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral("0.0.0"));
    qInstallMessageHandler(sonvera::fuzz::dropMessages);
    return 0;
}
