#include "net/nm/NmChangeWait.h"

#include <QDeadlineTimer>
#include <QThread>
#include <utility>

namespace lanvex::net::nm {

NmChangeWait::NmChangeWait(NmBus& bus, QString devicePath, const WaitLimits& limits)
    : m_bus(bus)
    , m_devicePath(std::move(devicePath))
    , m_limits(limits)
{ }

bool NmChangeWait::IsLiveNow(const LiveCheck& live) const
{
    try {
        return live(ReadDeviceState(m_bus, m_devicePath));
    } catch (const BusError&) {
        return false;
    }
}

Liveness NmChangeWait::WaitUntil(const LiveCheck& live, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    const QDeadlineTimer answerDeadline(m_limits.answerMs);
    while (true) {
        bool answered = true;
        try {
            if (live(ReadDeviceState(m_bus, m_devicePath)))
                return Liveness::Live;
        } catch (const BusError& error) {
            // The device's configuration objects come and go while it changes; that is an answer.
            answered = !IsLostAnswer(error);
        }
        if (!answered)
            deadline = QDeadlineTimer(timeoutMs);
        else if (deadline.hasExpired())
            return Liveness::NotLive;
        if (answerDeadline.hasExpired())
            return Liveness::Unknown;
        QThread::msleep(static_cast<unsigned long>(m_limits.pollMs));
    }
}

} // namespace lanvex::net::nm
