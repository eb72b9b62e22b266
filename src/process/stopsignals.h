#pragma once

#include <QObject>

class QSocketNotifier;

namespace sonvera {

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the event loop: the
// handler only writes the signal number into a close-on-exec pipe, so no
// child we start inherits it. SIGPIPE is ignored, so that a reader that went
// away (a closed terminal, `| head -1`) makes writes fail with EPIPE instead
// of killing the program before it has stopped its children and cleaned up.
// One instance per program; the dispositions are restored when it goes.
class StopSignals final : public QObject {
    Q_OBJECT

public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

    // False when the pipe could not be made: the signals then keep their
    // default action (the program ends at once).
    bool isWatching() const { return m_notifier != nullptr; }

    static QString name(int signal); // "SIGTERM"

Q_SIGNALS:
    void stopRequested(int signal);

private:
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace sonvera
