#include "stopsignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace sonvera::encoders {

namespace {

int g_fds[2] = {-1, -1};

extern "C" void onStopSignal(int signal)
{
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(g_fds[0], &number, 1);
}

} // namespace

StopSignals::StopSignals(QObject *parent) : QObject(parent)
{
    ::signal(SIGPIPE, SIG_IGN);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_fds) != 0)
        return;
    m_notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char number = 0;
        if (::read(g_fds[1], &number, 1) == 1)
            Q_EMIT stopRequested(number);
    });
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

StopSignals::~StopSignals()
{
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::signal(signal, SIG_DFL);
    delete m_notifier;
    m_notifier = nullptr;
    for (int &fd : g_fds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

QString StopSignals::name(int signal)
{
    switch (signal) {
    case SIGTERM: return u"SIGTERM"_s;
    case SIGINT: return u"SIGINT"_s;
    case SIGHUP: return u"SIGHUP"_s;
    default: return u"signal "_s + QString::number(signal);
    }
}

} // namespace sonvera::encoders
