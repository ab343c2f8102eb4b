#include "net/nm/NmAdapterConfiguration.h"

#include "net/AdapterConfiguration.h"
#include "net/nm/NmIPv4Settings.h"
#include "net/nm/NmIPv6Settings.h"
#include "net/nm/NmProfile.h"
#include "net/nm/NmProfileChange.h"
#include "net/nm/NmSystemConnections.h"

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace lanvex::net::nm {

namespace {

// The one text argument of the methods around the adapter; nothing for anything else.
std::optional<QString> TextArgument(const std::vector<Value>& args)
{
    const auto* text = args.size() == 1 ? std::get_if<std::string>(&args.front()) : nullptr;
    if (!text)
        return std::nullopt;
    return QString::fromStdString(*text);
}

// The zone in the profile the device runs now.
QString AppliedZone(NmBus& bus, const QString& devicePath)
{
    try {
        const ConnectionSettings live = LiveSettings(bus, ReadDevice(bus, devicePath));
        return live.value(QStringLiteral("connection")).value(QStringLiteral("zone")).toString();
    } catch (const BusError&) {
        return {};
    }
}

// connection.zone of the device's profile, reapplied like the address changes; an empty zone is none,
// which leaves the firewall's default zone to the device.
std::uint32_t SetFirewallZone(NmBus& bus, NmProfileChange& change, const QString& devicePath, const QString& zone)
{
    const SectionEdit edit = [&](QVariantMap& connection) {
        if (zone.isEmpty())
            connection.remove(QStringLiteral("zone"));
        else
            connection.insert(QStringLiteral("zone"), zone);
        return kSuccess;
    };
    const LiveCheck applied = [&](const DeviceState&) { return AppliedZone(bus, devicePath) == zone; };
    return change.Apply(QStringLiteral("connection"), edit, applied, change.Limits().staticMs);
}

// The computer's static name through systemd-hostnamed, which asks polkit as the user may be asked.
std::uint32_t SetHostname(NmBus& bus, const QString& name)
{
    bus.ChangeOn(QStringLiteral("org.freedesktop.hostname1"), QStringLiteral("/org/freedesktop/hostname1"),
                 QStringLiteral("org.freedesktop.hostname1"), QStringLiteral("SetStaticHostname"), { name, true });
    return kSuccess;
}

} // namespace

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
            return ExecAround(*known, args, change);
        }
    } catch (const BusError& error) {
        return MapBusError(error);
    }
    return kNotSupported;
}

std::uint32_t NmAdapterConfiguration::ExecAround(AdapterMethod method, const std::vector<Value>& args,
                                                 NmProfileChange& change)
{
    const auto text = TextArgument(args);
    if (!text)
        return kInvalidParameter;
    NmSystemConnections connections(*m_bus, m_limits);
    switch (method) {
    case AdapterMethod::ConnectWiFi:
        return connections.ConnectWiFi(ReadDevice(*m_bus, m_device.path), text->toUtf8());
    case AdapterMethod::ActivateConnection:
        return connections.Activate(*text);
    case AdapterMethod::DeactivateConnection:
        return connections.Deactivate(*text);
    case AdapterMethod::SetFirewallZone:
        return SetFirewallZone(*m_bus, change, m_device.path, *text);
    case AdapterMethod::SetHostname:
        return text->isEmpty() ? kInvalidParameter : SetHostname(*m_bus, *text);
    default:
        return kNotSupported;
    }
}

} // namespace lanvex::net::nm
