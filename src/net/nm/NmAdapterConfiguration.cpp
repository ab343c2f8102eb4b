#include "net/nm/NmAdapterConfiguration.h"

#include "net/AdapterConfiguration.h"
#include "net/nm/NmIPv4Settings.h"
#include "net/nm/NmIPv6Settings.h"
#include "net/nm/NmProfile.h"
#include "net/nm/NmProfileChange.h"

#include <string>
#include <utility>

namespace lanvex::net::nm {

NmAdapterConfiguration::NmAdapterConfiguration(std::shared_ptr<NmBus> bus, WaitLimits limits, DeviceInfo device,
                                               std::int64_t index)
    : m_bus(std::move(bus))
    , m_limits(limits)
    , m_device(std::move(device))
    , m_properties(ReadAdapterProperties(*m_bus, m_device, index))
{ }

Value NmAdapterConfiguration::Property(std::string_view name) const
{
    for (const auto& [key, value] : m_properties) {
        if (EqualsNoCase(key, name))
            return value;
    }
    return {};
}

std::uint32_t NmAdapterConfiguration::ExecMethod(std::string_view method, const std::vector<Value>& args)
{
    const auto known = FindAdapterMethod(method);
    if (!known)
        throw ServiceError("unknown method " + std::string(method));
    const Value none;
    const auto arg = [&](std::size_t i) -> const Value& { return i < args.size() ? args[i] : none; };
    NmProfileChange change(*m_bus, m_device.path, m_limits);
    NmIPv4Settings ipv4(change);
    NmIPv6Settings ipv6(change);
    try {
        switch (*known) {
        case AdapterMethod::EnableDHCP:
            return ipv4.EnableDHCP();
        case AdapterMethod::EnableStatic:
            return ipv4.EnableStatic(arg(0), arg(1));
        case AdapterMethod::SetGateways:
            return ipv4.SetGateways(arg(0), arg(1));
        case AdapterMethod::SetDNSServerSearchOrder:
            return ipv4.SetDNSServerSearchOrder(arg(0));
        case AdapterMethod::SetWINSServer:
            return kNotSupported; // NetworkManager has no setting for static WINS servers
        case AdapterMethod::SetDNSDomain:
            return ipv4.SetDNSDomain(arg(0));
        case AdapterMethod::DisableIPv6:
            return ipv6.SetIPv6Method(kMethodDisabled);
        case AdapterMethod::EnableIPv6:
            return ipv6.SetIPv6Method(kMethodAuto);
        case AdapterMethod::SetIPv6Addresses:
            return ipv6.SetIPv6Addresses(arg(0));
        case AdapterMethod::SetIPv6Gateway:
            return ipv6.SetIPv6Gateway(arg(0));
        case AdapterMethod::SetIPv6DNSServers:
            return ipv6.SetIPv6DNSServers(arg(0));
        case AdapterMethod::ConnectWiFi:
        case AdapterMethod::ActivateConnection:
        case AdapterMethod::DeactivateConnection:
        case AdapterMethod::SetFirewallZone:
        case AdapterMethod::SetHostname:
            return kNotSupported;
        }
    } catch (const BusError& error) {
        return MapBusError(error);
    }
    return kNotSupported;
}

} // namespace lanvex::net::nm
