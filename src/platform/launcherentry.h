#pragma once

#include "busservice.h"

namespace sonvera {

// The batch's progress on the dock or launcher icon, through the
// com.canonical.Unity.LauncherEntry signal for app.sonvera.Sonvera.desktop
// (read by Plasma, Dash to Dock, Unity and others). Signals only: nothing is
// waited for, and without a bus one line is logged.
class LauncherEntry final {
public:
    // `connection`: the session bus (tests: a private one).
    explicit LauncherEntry(const QDBusConnection &connection);

    // A batch starts: the bar shows 0, the count stays hidden until known.
    void begin();
    // `fraction` of the whole batch done (0..1) and the files still to convert.
    // The bar never moves back within a batch: a lower fraction keeps the
    // highest so far (parallel files finish out of order). Updates that change
    // nothing visible are not sent.
    void update(double fraction, int filesLeft);
    // The batch is over: bar and count are hidden.
    void clear();

    // The progress last shown, 0..1.
    double shownProgress() const { return m_progress; }

    static QString appUri(); // "application://app.sonvera.Sonvera.desktop"

private:
    void send(bool visible);

    BusService m_bus;
    double m_progress = 0;   // highest fraction of this batch, 0..1
    int m_filesLeft = -1;    // -1: not known yet
    bool m_visible = false;  // whether a batch is shown now
};

} // namespace sonvera
