#pragma once

#include "net/nm/NmBus.h"
#include "net/nm/NmDeviceState.h"

#include <QString>
#include <functional>

namespace lanvex::net::nm {

// How long a method waits for its change to show in the live state, and for an answer to a call
// that changes something (the user may be answering an authorization prompt) or from a
// NetworkManager that stopped answering in the middle of a change.
struct WaitLimits
{
    int staticMs = 5000;
    int dhcpMs = 20000;
    int pollMs = 20;
    int answerMs = 150000;
};

// Whether a change shows in the device's state.
using LiveCheck = std::function<bool(const DeviceState&)>;

enum class Liveness
{
    Live,
    NotLive,
    Unknown, // NetworkManager did not answer again within the answer limit
};

// Watches one device's state for a change to go live.
class NmChangeWait
{
public:
    NmChangeWait(NmBus& bus, QString devicePath, const WaitLimits& limits);

    // One look at the state; false when it cannot be read.
    bool IsLiveNow(const LiveCheck& live) const;

    // Polls the live state. The time limit counts only while NetworkManager answers: after a stall
    // the change gets its full time again, since a stalled service may still carry it out.
    Liveness WaitUntil(const LiveCheck& live, int timeoutMs) const;

private:
    NmBus& m_bus;
    QString m_devicePath;
    WaitLimits m_limits;
};

} // namespace lanvex::net::nm
