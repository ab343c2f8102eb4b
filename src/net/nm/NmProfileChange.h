#pragma once

#include "net/nm/NmBus.h"
#include "net/nm/NmChangeWait.h"
#include "net/nm/NmDevice.h"
#include "net/nm/NmDeviceState.h"
#include "net/nm/NmProfile.h"

#include <QString>
#include <cstdint>

namespace lanvex::net::nm {

// The method result for a call NetworkManager refused.
std::uint32_t MapBusError(const BusError& error);

// Changes one device's saved profile and makes the change live.
class NmProfileChange
{
public:
    NmProfileChange(NmBus& bus, QString devicePath, const WaitLimits& limits);

    const WaitLimits& Limits() const { return m_limits; }

    // The device's state as it is now. Throws BusError.
    DeviceState ReadState() const;

    // Changes the section `section` of the device's saved profile, makes the change live without
    // taking the link down, and waits until NetworkManager reports it. A change counts as done only
    // when it is live; one that NetworkManager refused is taken back from the saved profile, unless
    // it is live after all. When NetworkManager stops answering, the device's state decides, once it
    // answers again. Throws BusError.
    std::uint32_t Apply(const QString& section, const SectionEdit& edit, const LiveCheck& live, int timeoutMs);

private:
    bool Restore(const QString& profile, bool created, const ConnectionSettings& before);
    void Reapply(const DeviceInfo& device);
    void MakeLive(const DeviceInfo& device, const QString& profile, bool active);

    NmBus& m_bus;
    QString m_devicePath;
    WaitLimits m_limits;
};

} // namespace lanvex::net::nm
