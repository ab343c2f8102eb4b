#pragma once

#include "net/nm/NmBus.h"
#include "net/nm/NmChangeWait.h"
#include "net/nm/NmDevice.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace lanvex::net::nm {

// The system's saved connections brought up and down by name, as a site asks around its apply:
// VPN and WireGuard connections anywhere, a Wi-Fi network on the adapter's device. Each call waits
// (bounded) until NetworkManager reports the connection up or down. Throws BusError.
class NmSystemConnections
{
public:
    NmSystemConnections(NmBus& bus, const WaitLimits& limits);

    // The saved connection whose connection.id is `name`, on the device NetworkManager picks.
    std::uint32_t Activate(const QString& name);
    std::uint32_t Deactivate(const QString& name);
    // The saved Wi-Fi connection for `ssid` that may run on `device`, when the network is in range.
    std::uint32_t ConnectWiFi(const DeviceInfo& device, const QByteArray& ssid);

private:
    QString ActiveOf(const QString& profile);
    std::uint32_t ActivateOn(const QString& profile, const QString& devicePath);
    std::uint32_t WaitForState(const QString& active, uint wanted, int timeoutMs);
    bool InRange(const DeviceInfo& device, const QByteArray& ssid);
    bool SeenNow(const DeviceInfo& device, const QByteArray& ssid);

    NmBus& m_bus;
    WaitLimits m_limits;
};

// The saved profiles, each with its settings, in the order NetworkManager made them. Throws BusError.
QList<QPair<QString, ConnectionSettings>> SavedProfiles(NmBus& bus);

} // namespace lanvex::net::nm
