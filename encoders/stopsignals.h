#pragma once

#include <QObject>

class QSocketNotifier;

namespace sonvera::encoders {

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the event loop (the
// handler only writes the signal number to a socket pair), and ignores
// SIGPIPE, so that a reader that went away makes writes fail instead of
// killing the program before it has cleaned up. One instance per program.
class StopSignals final : public QObject {
    Q_OBJECT

public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

    static QString name(int signal); // "SIGTERM"

Q_SIGNALS:
    void stopRequested(int signal);

private:
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace sonvera::encoders
