#pragma once

#include "net/nm/NmBus.h"

#include <QList>
#include <QString>

namespace lanvex::net::nm {

// The device types presented as adapters: Ethernet, Wi-Fi, and virtual Ethernet pairs.
constexpr uint kDeviceTypeEthernet = 1;
constexpr uint kDeviceTypeWifi = 2;
constexpr uint kDeviceTypeVeth = 20;

// A device's properties as one read gives them; the object paths are "/" where there is none.
struct DeviceInfo
{
    QString path;
    QString interfaceName;
    QString driver;
    QString udi;
    QString hardwareAddress;
    uint type = 0;
    bool managed = false;
    QString activeConnection;
    QString ip4Config;
    QString dhcp4Config;
    QString ip6Config;
};

// True for the empty path and for "/", NetworkManager's path for no object.
bool IsNoObject(const QString& path);

// Sorts object paths by the number they end with, the order NetworkManager made the objects in.
void SortByPathNumber(QList<QString>& paths);

// Throws BusError.
DeviceInfo ReadDevice(NmBus& bus, const QString& path);

// The connection the device runs: the applied one, else its saved profile; empty without one.
// Throws BusError.
ConnectionSettings LiveSettings(NmBus& bus, const DeviceInfo& device);

} // namespace lanvex::net::nm
