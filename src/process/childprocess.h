#pragma once

class QProcess;

namespace sonvera {

// Makes the child that `process` starts next die with this process: the
// kernel sends it `deathSignal` when the thread that started it ends, however
// that happens (a crash, SIGKILL). A parent that died before the child could
// ask for that makes the child end at once. The child also gets SIGPIPE's
// default action back, which StopSignals ignores in this process.
//
// Encoders get SIGTERM, so they stop their own children and delete their
// unfinished output; the ffmpeg children of an encoder get SIGKILL.
void bindChildToParent(QProcess &process, int deathSignal);

} // namespace sonvera
