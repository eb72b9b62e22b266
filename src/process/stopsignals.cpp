#include "stopsignals.h"

#include <QSocketNotifier>

#include <array>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

constexpr std::array kStopSignals{SIGTERM, SIGINT, SIGHUP};
int g_pipe[2] = {-1, -1};
// What each signal did before us (kStopSignals, then SIGPIPE), put back when we go.
std::array<struct sigaction, kStopSignals.size() + 1> g_previous{};

extern "C" void onStopSignal(int signal)
{
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &number, 1);
    errno = saved;
}

} // namespace

StopSignals::StopSignals(QObject *parent) : QObject(parent)
{
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, &g_previous.back());
    for (std::size_t i = 0; i < kStopSignals.size(); ++i)
        ::sigaction(kStopSignals[i], nullptr, &g_previous[i]);
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return;
    }
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char number = 0;
        while (::read(g_pipe[0], &number, 1) == 1)
            Q_EMIT stopRequested(number);
    });
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kStopSignals)
        ::sigaction(signal, &action, nullptr);
}

StopSignals::~StopSignals()
{
    for (std::size_t i = 0; i < kStopSignals.size(); ++i)
        ::sigaction(kStopSignals[i], &g_previous[i], nullptr);
    ::sigaction(SIGPIPE, &g_previous.back(), nullptr);
    delete m_notifier;
    m_notifier = nullptr;
    for (int &fd : g_pipe) {
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
    case SIGKILL: return u"SIGKILL"_s;
    default: return u"signal "_s + QString::number(signal);
    }
}

} // namespace sonvera
