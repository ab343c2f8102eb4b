#pragma once

#include "net/ManagementService.h"
#include "net/nm/NmProfileChange.h"

#include <QString>
#include <cstdint>

namespace lanvex::net::nm {

// The IPv6 methods of one device: each checks its arguments, edits the profile's "ipv6" section and
// waits until the device shows the change. Each returns a method result; throws BusError.
class NmIPv6Settings
{
public:
    explicit NmIPv6Settings(NmProfileChange& change);

    // IPv6 off (kMethodDisabled) or automatic (kMethodAuto).
    std::uint32_t SetIPv6Method(const QString& method);
    std::uint32_t SetIPv6Addresses(const Value& addressArg);
    std::uint32_t SetIPv6Gateway(const Value& gatewayArg);
    std::uint32_t SetIPv6DNSServers(const Value& serverArg);

private:
    std::uint32_t Change(const SectionEdit& edit, const LiveCheck& live);

    NmProfileChange& m_change;
};

} // namespace lanvex::net::nm
