#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

// What every fuzz target shares. Each target is one LLVMFuzzerTestOneInput()
// over one reader of bytes that come from outside the program (a file, a
// child's output, a command line); a crash, a sanitizer report, a hang or a
// broken promise of the reader (require()) is a finding.
//
// The support library also defines LLVMFuzzerInitialize(): it creates the
// one QCoreApplication (translations and the version need it) and drops
// Qt's log messages, which the readers write for every damaged input.
namespace sonvera::fuzz {

// libFuzzer's input as bytes; no copy is made.
QByteArray bytesOf(const std::uint8_t *data, std::size_t size);

// The input read as a command line in the form of /proc/<pid>/cmdline: each
// argument ends in a NUL, and text after the last NUL is one more argument.
// "a\0\0b" gives "a", "", "b": an empty argument is a real case.
QList<QByteArray> argumentsOf(QByteArrayView data);
// The same as an encoder gets them from QCoreApplication::arguments().
QStringList decodedArgumentsOf(QByteArrayView data);

// The input cut into pieces as a pipe may deliver it: anywhere, in runs of
// 1 to 1024 bytes. The cuts follow from the input's own bytes, so that one
// input always gives the same pieces.
QList<QByteArrayView> piecesOf(QByteArrayView data);

// A folder of this run's own for files the readers open (in $TMPDIR, which
// fuzz/run.sh points at a scratch folder it removes).
QString scratchFolder();
// Replaces the file at `path` with the input; with `modified`, gives it
// that modification time.
void writeFile(const QString &path, QByteArrayView data, const QDateTime &modified = {});

// Ends the run with a finding when a reader breaks what it promises.
void require(bool condition, const char *promise);

} // namespace sonvera::fuzz
