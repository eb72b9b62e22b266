#pragma once

#include <functional>

namespace sonvera {

class MainWindow;

// The window program, as `sonvera` runs it: one copy per user (a later launch
// hands its files over and ends), the window, and SIGTERM, SIGINT and SIGHUP
// handled like a close, so a batch is stopped cleanly first. Returns the
// process's exit status once the window has closed.
//
// `started` is called with the window once it shows; a test harness uses it
// to drive the real program.
int runApplication(int argc, char *argv[], const std::function<void(MainWindow &)> &started = {});

} // namespace sonvera
