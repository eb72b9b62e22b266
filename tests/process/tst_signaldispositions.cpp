// StopSignals turns the stop signals into a Qt signal while it lives, and
// leaves every disposition as it found it: a program started under nohup
// keeps ignoring SIGHUP, and SIGPIPE kills again, as it did before.
#include "stopsignals.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>

using namespace sonvera;

namespace {

extern "C" void ownHandler(int) {}

void (*handlerOf(int signal))(int)
{
    struct sigaction current = {};
    ::sigaction(signal, nullptr, &current);
    return current.sa_handler;
}

} // namespace

class TestSignalDispositions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theDispositionsFoundAreRestored()
    {
        ::signal(SIGHUP, SIG_IGN); // as nohup leaves it
        ::signal(SIGTERM, ownHandler);
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGPIPE, SIG_DFL);
        {
            StopSignals stops;
            QVERIFY(stops.isWatching());
            QVERIFY(handlerOf(SIGPIPE) == SIG_IGN);
            QSignalSpy requested(&stops, &StopSignals::stopRequested);
            ::raise(SIGTERM);
            QVERIFY(requested.wait(5000));
            QCOMPARE(requested.first().first().toInt(), SIGTERM);
        }
        QVERIFY(handlerOf(SIGHUP) == SIG_IGN);
        QVERIFY(handlerOf(SIGTERM) == &ownHandler);
        QVERIFY(handlerOf(SIGINT) == SIG_DFL);
        QVERIFY(handlerOf(SIGPIPE) == SIG_DFL);
    }
};

QTEST_GUILESS_MAIN(TestSignalDispositions)
#include "tst_signaldispositions.moc"
