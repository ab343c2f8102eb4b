#pragma once

#include "net/nm/NmBus.h"
#include "net/nm/NmDevice.h"

#include <QList>
#include <QString>
#include <QVariantMap>
#include <compare>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace lanvex::net::nm {

// One IPv4 address with its prefix length, as NetworkManager stores it.
struct Address
{
    std::uint32_t address = 0;
    int prefix = 0;
    auto operator<=>(const Address&) const = default;
};

// What the kernel has, as NetworkManager reports it for the device.
struct DeviceState
{
    std::vector<Address> addresses;
    std::string gateway;
    std::vector<std::string> dns;
    std::vector<std::string> wins;
    std::string leaseAddress; // the address of the current DHCP lease, if any
    std::vector<std::string> leaseDns;
    std::vector<std::pair<std::string, std::int64_t>> defaultRoutes; // next hop and metric
    std::vector<std::string> searches; // DNS search domains
    std::string networkDomain; // the DNS domain the network gave: the lease's, else the first of Domains
    // IPv6: the method the device runs, its addresses other than link-local ("address/prefix",
    // canonical), the gateway and the name servers (canonical).
    QString ipv6Method;
    std::vector<std::string> ipv6Addresses;
    std::string ipv6Gateway;
    std::vector<std::string> ipv6Dns;
};

// The valid entries of an "address-data" list.
std::vector<Address> AddressesOf(const QList<QVariantMap>& addressData);

// An IPv6 text in the canonical form, or empty when it is none.
std::string CanonicalIPv6(const QString& text);

// The IPv4 part of the state behind the device's configuration objects, given their paths.
// Throws BusError.
DeviceState ReadIp4StateAt(NmBus& bus, const QString& configPath, const QString& dhcpPath);

// Adds the IPv6 configuration object's addresses, gateway and name servers to `state`. Throws BusError.
void ReadIp6Config(NmBus& bus, const QString& configPath, DeviceState& state);

// The device's whole state: IPv4, and IPv6 with the method it runs. Throws BusError.
DeviceState ReadDeviceState(NmBus& bus, const DeviceInfo& device);
DeviceState ReadDeviceState(NmBus& bus, const QString& devicePath);

} // namespace lanvex::net::nm
