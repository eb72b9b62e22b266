#include "launcherentry.h"

#include <QDBusMessage>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {
// Docks draw a bar a few hundred pixels wide at most: finer steps are noise on the bus.
constexpr double kSmallestStep = 0.001;
} // namespace

LauncherEntry::LauncherEntry(const QDBusConnection &connection)
    : m_bus(connection, QString(), u"launcher progress"_s)
{
}

QString LauncherEntry::appUri()
{
    return u"application://app.sonvera.Sonvera.desktop"_s;
}

void LauncherEntry::begin()
{
    m_progress = 0;
    m_filesLeft = -1;
    m_visible = true;
    send(true);
}

void LauncherEntry::update(double fraction, int filesLeft)
{
    if (!m_visible || std::isnan(fraction))
        return;
    const double progress = std::max(m_progress, std::clamp(fraction, 0.0, 1.0));
    const int left = std::max(filesLeft, 0);
    if (progress - m_progress < kSmallestStep && left == m_filesLeft)
        return;
    m_progress = progress;
    m_filesLeft = left;
    send(true);
}

void LauncherEntry::clear()
{
    if (!m_visible)
        return;
    m_visible = false;
    send(false);
}

void LauncherEntry::send(bool visible)
{
    if (!m_bus.busAvailable())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(u"/app/sonvera/Sonvera/LauncherEntry"_s,
                                                     u"com.canonical.Unity.LauncherEntry"_s, u"Update"_s);
    const QVariantMap properties{
        {u"progress"_s, m_progress},
        {u"progress-visible"_s, visible},
        {u"count"_s, qint64(std::max(m_filesLeft, 0))},
        {u"count-visible"_s, visible && m_filesLeft >= 0},
    };
    signal << appUri() << properties;
    m_bus.connection().send(signal); // queued by QtDBus; never waits
}

} // namespace sonvera
