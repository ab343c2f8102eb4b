#include "net/nm/NmDeviceState.h"

#include "net/AdapterConfiguration.h"
#include "net/ExtraSettings.h"

namespace lanvex::net::nm {

namespace {

bool IsLinkLocal(const std::string& canonical)
{
    const auto address = ParseIPv6(canonical);
    return address && ((*address)[0] & 0xFFC0) == 0xFE80;
}

} // namespace

std::vector<Address> AddressesOf(const QList<QVariantMap>& addressData)
{
    std::vector<Address> result;
    for (const QVariantMap& entry : addressData) {
        const auto address = ParseIPv4(entry.value(QStringLiteral("address")).toString().toStdString());
        bool ok = false;
        const uint prefix = entry.value(QStringLiteral("prefix")).toUInt(&ok);
        if (address && ok && prefix <= 32)
            result.push_back({ *address, static_cast<int>(prefix) });
    }
    return result;
}

std::string CanonicalIPv6(const QString& text)
{
    const auto address = ParseIPv6(text.toStdString());
    return address ? FormatIPv6(*address) : std::string();
}

void ReadIp6Config(NmBus& bus, const QString& configPath, DeviceState& state)
{
    if (IsNoObject(configPath))
        return;
    const QVariantMap config = bus.Properties(configPath, kIp6ConfigInterface);
    for (const QVariantMap& entry : MapList(config.value(QStringLiteral("AddressData")))) {
        const std::string address = CanonicalIPv6(entry.value(QStringLiteral("address")).toString());
        if (!address.empty() && !IsLinkLocal(address))
            state.ipv6Addresses.push_back(address + "/"
                                          + std::to_string(entry.value(QStringLiteral("prefix")).toUInt()));
    }
    state.ipv6Gateway = CanonicalIPv6(config.value(QStringLiteral("Gateway")).toString());
    for (const QByteArray& server : BytesList(config.value(QStringLiteral("Nameservers")))) {
        if (server.size() != 16)
            continue;
        IPv6Groups groups {};
        for (std::size_t i = 0; i < groups.size(); ++i)
            groups[i] = static_cast<std::uint16_t>((static_cast<unsigned char>(server[int(2 * i)]) << 8)
                                                   | static_cast<unsigned char>(server[int(2 * i + 1)]));
        state.ipv6Dns.push_back(FormatIPv6(groups));
    }
}

DeviceState ReadIp4StateAt(NmBus& bus, const QString& configPath, const QString& dhcpPath)
{
    DeviceState state;
    if (!IsNoObject(configPath)) {
        const QVariantMap config = bus.Properties(configPath, kIp4ConfigInterface);
        state.addresses = AddressesOf(MapList(config.value(QStringLiteral("AddressData"))));
        state.gateway = config.value(QStringLiteral("Gateway")).toString().toStdString();
        for (const QVariantMap& entry : MapList(config.value(QStringLiteral("NameserverData"))))
            state.dns.push_back(entry.value(QStringLiteral("address")).toString().toStdString());
        for (const QString& server : TextList(config.value(QStringLiteral("WinsServerData"))))
            state.wins.push_back(server.toStdString());
        for (const QVariantMap& route : MapList(config.value(QStringLiteral("RouteData")))) {
            if (route.value(QStringLiteral("dest")).toString() == QLatin1String("0.0.0.0")
                && route.value(QStringLiteral("prefix")).toUInt() == 0)
                state.defaultRoutes.emplace_back(route.value(QStringLiteral("next-hop")).toString().toStdString(),
                                                 route.value(QStringLiteral("metric")).toLongLong());
        }
        for (const QString& domain : TextList(config.value(QStringLiteral("Searches"))))
            state.searches.push_back(domain.toStdString());
        const QStringList domains = TextList(config.value(QStringLiteral("Domains")));
        if (!domains.isEmpty())
            state.networkDomain = domains.front().toStdString();
    }
    if (!IsNoObject(dhcpPath)) {
        const QVariantMap options = ToMap(bus.Property(dhcpPath, kDhcp4ConfigInterface, QStringLiteral("Options")));
        state.leaseAddress = options.value(QStringLiteral("ip_address")).toString().toStdString();
        const QString servers = options.value(QStringLiteral("domain_name_servers")).toString();
        for (const QString& server : servers.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            state.leaseDns.push_back(server.toStdString());
        // Some servers send more than one name in the option; the first is the network's own.
        const QStringList domain
            = options.value(QStringLiteral("domain_name")).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (!domain.isEmpty())
            state.networkDomain = domain.front().toStdString();
    }
    return state;
}

DeviceState ReadDeviceState(NmBus& bus, const DeviceInfo& device)
{
    DeviceState state = ReadIp4StateAt(bus, device.ip4Config, device.dhcp4Config);
    // IPv6 that cannot be read leaves the IPv6 part empty, and no method known, so no change that
    // sets IPv6 counts as live on it; the IPv4 changes do not depend on it.
    try {
        ReadIp6Config(bus, device.ip6Config, state);
        state.ipv6Method
            = LiveSettings(bus, device).value(QStringLiteral("ipv6")).value(QStringLiteral("method")).toString();
    } catch (const BusError&) {
        state.ipv6Addresses.clear();
        state.ipv6Gateway.clear();
        state.ipv6Dns.clear();
        state.ipv6Method.clear();
    }
    return state;
}

DeviceState ReadDeviceState(NmBus& bus, const QString& devicePath)
{
    return ReadDeviceState(bus, ReadDevice(bus, devicePath));
}

} // namespace lanvex::net::nm
