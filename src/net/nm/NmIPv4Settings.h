#pragma once

#include "net/ManagementService.h"
#include "net/nm/NmDeviceState.h"
#include "net/nm/NmProfileChange.h"

#include <QVariantMap>
#include <cstdint>
#include <vector>

namespace lanvex::net::nm {

// The profile's static addresses.
std::vector<Address> ProfileAddresses(const QVariantMap& ipv4);

// The IPv4 methods of one device: each checks its arguments, edits the profile's "ipv4" section and
// waits until the device shows the change. Each returns a method result; throws BusError.
class NmIPv4Settings
{
public:
    explicit NmIPv4Settings(NmProfileChange& change);

    std::uint32_t EnableDHCP();
    std::uint32_t EnableStatic(const Value& addressArg, const Value& maskArg);
    std::uint32_t SetGateways(const Value& gatewayArg, const Value& metricArg);
    std::uint32_t SetDNSServerSearchOrder(const Value& serverArg);
    std::uint32_t SetDNSDomain(const Value& suffixArg);

private:
    std::uint32_t Change(const SectionEdit& edit, const LiveCheck& live, int timeoutMs);

    NmProfileChange& m_change;
};

} // namespace lanvex::net::nm
