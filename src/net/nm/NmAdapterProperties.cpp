#include "net/nm/NmAdapterProperties.h"

#include "net/AdapterConfiguration.h"
#include "net/nm/DeviceProduct.h"
#include "net/nm/NeighbourTable.h"
#include "net/nm/NmDeviceState.h"
#include "net/nm/NmIPv4Settings.h"
#include "net/nm/NmProfile.h"

#include <QByteArray>
#include <algorithm>
#include <climits>
#include <string_view>
#include <unistd.h>

namespace lanvex::net::nm {

namespace {

// The name of the Wi-Fi network a wireless device has joined; empty for other devices, or when it
// cannot be read.
std::string ReadSsid(NmBus& bus, const DeviceInfo& device)
{
    if (device.type != kDeviceTypeWifi)
        return {};
    try {
        const QString accessPoint
            = ObjectPath(bus.Property(device.path, kWirelessInterface, QStringLiteral("ActiveAccessPoint")));
        if (IsNoObject(accessPoint))
            return {};
        const QByteArray ssid = bus.Property(accessPoint, kAccessPointInterface, QStringLiteral("Ssid")).toByteArray();
        return SsidText(std::string_view(ssid.constData(), static_cast<std::size_t>(ssid.size())));
    } catch (const BusError&) {
        return {};
    }
}

// The IPv6 mode as the read-back names it; empty for a method it does not name.
std::string IPv6ModeOf(const QString& method)
{
    if (method == kMethodAuto || method == QLatin1String("dhcp"))
        return "auto";
    if (method == kMethodManual)
        return "static";
    if (method == kMethodDisabled || method == kMethodIgnore)
        return "off";
    return {};
}

// Sorts the device's addresses as the profile lists them, so the site's own address comes first;
// addresses the profile does not hold follow in the device's order.
void InProfileOrder(std::vector<Address>& addresses, const std::vector<Address>& profile)
{
    const auto rank = [&profile](const Address& entry) {
        return std::find(profile.begin(), profile.end(), entry) - profile.begin();
    };
    std::stable_sort(addresses.begin(), addresses.end(),
                     [&rank](const Address& a, const Address& b) { return rank(a) < rank(b); });
}

// The interface name, with the product where udev knows it, else the driver.
QString Description(const DeviceInfo& device)
{
    QString description = device.interfaceName;
    QString product
        = QString::fromStdString(DeviceProduct("/", device.udi.toStdString(), device.interfaceName.toStdString()));
    if (product.isEmpty())
        product = device.driver;
    if (!product.isEmpty())
        description += QStringLiteral(" (") + product + QLatin1Char(')');
    return description;
}

// The default gateway first, then the other default routes, each with its metric.
void GatewaysWithMetrics(const DeviceState& state, std::vector<std::string>& gateways,
                         std::vector<std::int64_t>& metrics)
{
    if (!state.gateway.empty()) {
        gateways.push_back(state.gateway);
        const auto own = std::find_if(state.defaultRoutes.begin(), state.defaultRoutes.end(),
                                      [&](const auto& route) { return route.first == state.gateway; });
        metrics.push_back(own == state.defaultRoutes.end() ? 0 : own->second);
    }
    for (const auto& [nextHop, metric] : state.defaultRoutes) {
        if (nextHop == state.gateway || nextHop.empty())
            continue;
        gateways.push_back(nextHop);
        metrics.push_back(metric);
    }
}

// The computer's name as the kernel has it now.
std::string HostName()
{
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

} // namespace

AdapterProperties ReadAdapterProperties(NmBus& bus, const DeviceInfo& device, std::int64_t index)
{
    const QString description = Description(device);
    // A half-read device still gets its line; what could not be read stays empty.
    DeviceState state;
    try {
        state = ReadIp4StateAt(bus, device.ip4Config, device.dhcp4Config);
        ReadIp6Config(bus, device.ip6Config, state);
    } catch (const BusError&) { }
    bool dhcp = false;
    QString zone;
    try {
        const ConnectionSettings live = LiveSettings(bus, device);
        zone = live.value(QStringLiteral("connection")).value(QStringLiteral("zone")).toString();
        const QVariantMap ipv4 = live.value(QStringLiteral("ipv4"));
        dhcp = ipv4.value(QStringLiteral("method")).toString() == kMethodAuto;
        state.ipv6Method = live.value(QStringLiteral("ipv6")).value(QStringLiteral("method")).toString();
        InProfileOrder(state.addresses, ProfileAddresses(ipv4));
    } catch (const BusError&) { }
    std::vector<std::string> addresses;
    std::vector<std::string> masks;
    for (const Address& entry : state.addresses) {
        addresses.push_back(FormatIPv4(entry.address));
        masks.push_back(PrefixToMask(entry.prefix));
    }
    const auto list = [](std::vector<std::string> texts) -> Value {
        if (texts.empty())
            return {};
        return texts;
    };
    const auto element = [](const std::vector<std::string>& texts, std::size_t i) -> Value {
        if (i < texts.size())
            return texts[i];
        return {};
    };
    std::vector<std::string> gateways;
    std::vector<std::int64_t> metrics;
    GatewaysWithMetrics(state, gateways, metrics);
    std::string searches;
    for (const std::string& domain : state.searches)
        searches += (searches.empty() ? "" : ",") + domain;
    const auto mac = FormatMACAddress(device.hardwareAddress.toStdString());
    const std::string gatewayMac
        = state.gateway.empty() ? std::string() : ReadNeighbourMAC(device.interfaceName.toStdString(), state.gateway);
    return {
        { "Index", index },
        { "Description", description.toStdString() },
        { "Caption", description.toStdString() },
        { "SettingID", device.interfaceName.toStdString() },
        { "InterfaceName", device.interfaceName.toStdString() },
        { "MACAddress", mac ? Value(*mac) : Value() },
        { "IPEnabled", true },
        { "DHCPEnabled", dhcp },
        { "IPAddress", list(addresses) },
        { "IPSubnet", list(masks) },
        { "DefaultIPGateway", list(gateways) },
        { "GatewayCostMetric", metrics.empty() ? Value() : Value(metrics) },
        { "DNSDomain", searches },
        { "DHCPDNSDomain", state.networkDomain },
        { "GatewayMAC", gatewayMac },
        { "SSID", ReadSsid(bus, device) },
        { "IPv6Mode", IPv6ModeOf(state.ipv6Method) },
        { "IPv6Address", list(state.ipv6Addresses) },
        { "IPv6Gateway", state.ipv6Gateway.empty() ? Value() : Value(std::vector<std::string> { state.ipv6Gateway }) },
        { "IPv6DNS", list(state.ipv6Dns) },
        { "DNSServerSearchOrder", list(state.dns) },
        { "WINSPrimaryServer", element(state.wins, 0) },
        { "WINSSecondaryServer", element(state.wins, 1) },
        { "FirewallZone", zone.toStdString() },
        { "DNSHostName", HostName() },
    };
}

} // namespace lanvex::net::nm
