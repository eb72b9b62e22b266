#pragma once

// What the tests of docs/many-machines.md share: the document's own shell
// blocks, small clips, shells with sonvera-cli on the PATH.
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace sonvera::manymachines {

// The docs folder of the source tree.
QString docsFolder();

// The shell block that follows the `index`-th comment
// "<!-- tests/cli/NAME runs this block ... -->" in many-machines.md (NAME: the
// test's file name); empty when there is none.
QString documentedBlock(const QString &testFile, int index = 0);

// A 1-second FLV clip with sound (64x48, 15 fps); `seconds` and `size` make
// longer or larger ones.
bool makeClip(const QString &path, int seconds = 1, const QString &size = QStringLiteral("64x48"));
// A file that is not media at all.
bool makeBroken(const QString &path);

// The environment of a shell that finds the built sonvera-cli, with HOME in
// `home` (GNU parallel and ssh keep their files there).
QProcessEnvironment shellEnvironment(const QString &home);

// Runs `bash ARGUMENTS` in `folder` with that environment plus `extra`
// ("NAME=value"); its exit status, -1 when it did not end within `timeoutMs`.
// Its standard output goes to `output` when given.
int runShell(const QString &folder, const QStringList &arguments, const QStringList &extra = {},
             int timeoutMs = 120000, QString *output = nullptr);

// Each file of `folder` (hidden ones too) decodes and lasts about `seconds`;
// the names, sorted.
QStringList checkedOutputs(const QString &folder, double seconds = 1.0);

// A port on 127.0.0.1 that nothing listens on now.
int freePort();

// The Exitval of each job in a GNU parallel joblog, sorted, as "seq:exit".
QStringList jobExits(const QString &joblog);

// The files in `folder` (hidden ones too), sorted.
QStringList filesIn(const QString &folder);

// Checks that `folder` holds `expected` files, each an MP3 of about `seconds`.
void checkMp3s(const QString &folder, int expected, double seconds = 1.0);

} // namespace sonvera::manymachines
