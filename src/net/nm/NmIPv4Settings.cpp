#include "net/nm/NmIPv4Settings.h"

#include "net/AdapterConfiguration.h"
#include "net/ExtraSettings.h"
#include "net/nm/NmMethodArgs.h"
#include "net/nm/NmProfile.h"

#include <QList>
#include <QStringList>
#include <QtEndian>
#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <variant>

namespace lanvex::net::nm {

namespace {

// NetworkManager's "dns" key holds each address as a 32-bit number in network order.
uint ToNetworkOrder(std::uint32_t address)
{
    return qToBigEndian<quint32>(address);
}

std::vector<std::string> WithoutEmpty(const std::vector<std::string>& texts)
{
    std::vector<std::string> result;
    for (const std::string& text : texts) {
        if (text.find_first_not_of(" \t") != std::string::npos)
            result.push_back(text);
    }
    return result;
}

QList<QVariantMap> ToAddressData(const std::vector<Address>& addresses)
{
    QList<QVariantMap> data;
    for (const Address& entry : addresses) {
        data.append(QVariantMap { { QStringLiteral("address"), QString::fromStdString(FormatIPv4(entry.address)) },
                                  { QStringLiteral("prefix"), QVariant::fromValue(uint(entry.prefix)) } });
    }
    return data;
}

// The profile's routes without its default routes: those are the gateways of a site.
QList<QVariantMap> WithoutDefaultRoutes(const QVariantMap& ipv4)
{
    QList<QVariantMap> routes;
    for (const QVariantMap& route : MapList(ipv4.value(QStringLiteral("route-data")))) {
        if (route.value(QStringLiteral("dest")).toString() != QLatin1String("0.0.0.0")
            || route.value(QStringLiteral("prefix")).toUInt() != 0)
            routes.append(route);
    }
    return routes;
}

} // namespace

std::vector<Address> ProfileAddresses(const QVariantMap& ipv4)
{
    return AddressesOf(MapList(ipv4.value(QStringLiteral("address-data"))));
}

NmIPv4Settings::NmIPv4Settings(NmProfileChange& change)
    : m_change(change)
{ }

std::uint32_t NmIPv4Settings::Change(const SectionEdit& edit, const LiveCheck& live, int timeoutMs)
{
    return m_change.Apply(QStringLiteral("ipv4"), edit, live, timeoutMs);
}

std::uint32_t NmIPv4Settings::EnableDHCP()
{
    std::vector<Address> before;
    const SectionEdit edit = [&](QVariantMap& ipv4) {
        before = ProfileAddresses(ipv4);
        ipv4.insert(QStringLiteral("method"), kMethodAuto);
        ipv4.remove(QStringLiteral("addresses"));
        ipv4.remove(QStringLiteral("address-data"));
        ipv4.remove(QStringLiteral("gateway"));
        if (ipv4.contains(QStringLiteral("route-data"))) {
            ipv4.remove(QStringLiteral("routes"));
            ipv4.insert(QStringLiteral("route-data"), QVariant::fromValue(WithoutDefaultRoutes(ipv4)));
        }
        return kSuccess;
    };
    // Live once the lease's address is on the device and the old static ones are gone.
    const LiveCheck leased = [&](const DeviceState& state) {
        const auto lease = ParseIPv4(state.leaseAddress);
        if (!lease)
            return false;
        bool hasLease = false;
        for (const Address& entry : state.addresses) {
            if (entry.address == *lease)
                hasLease = true;
            else if (std::find(before.begin(), before.end(), entry) != before.end())
                return false;
        }
        return hasLease;
    };
    return Change(edit, leased, m_change.Limits().dhcpMs);
}

std::uint32_t NmIPv4Settings::EnableStatic(const Value& addressArg, const Value& maskArg)
{
    const auto addresses = TextsOf(addressArg);
    const auto masks = TextsOf(maskArg);
    if (!addresses || !masks)
        return kInvalidParameter;
    if (addresses->empty())
        return kInvalidAddress;
    if (masks->size() != addresses->size())
        return kInvalidSubnetMask;
    std::vector<Address> wanted;
    for (std::size_t i = 0; i < addresses->size(); ++i) {
        const auto prefix = ParseSubnetMask((*masks)[i]);
        const auto address = ParseIPv4((*addresses)[i]);
        if (!address)
            return kInvalidAddress;
        if (!prefix)
            return kInvalidSubnetMask;
        if (!IsHostAddress(*address, *prefix))
            return kInvalidAddress;
        wanted.push_back({ *address, *prefix });
    }
    // What must disappear: the addresses the profile held and the address of a running lease.
    // Addresses put on the device by others are not ours to wait for.
    std::vector<Address> stale;
    try {
        const DeviceState previous = m_change.ReadState();
        if (const auto lease = ParseIPv4(previous.leaseAddress)) {
            for (const Address& entry : previous.addresses) {
                if (entry.address == *lease)
                    stale.push_back(entry);
            }
        }
    } catch (const BusError&) {
        // nothing known to be stale
    }
    const SectionEdit edit = [&](QVariantMap& ipv4) {
        for (const Address& entry : ProfileAddresses(ipv4))
            stale.push_back(entry);
        ipv4.insert(QStringLiteral("method"), kMethodManual);
        ipv4.remove(QStringLiteral("addresses"));
        ipv4.insert(QStringLiteral("address-data"), QVariant::fromValue(ToAddressData(wanted)));
        // A gateway left from before that the new subnets cannot reach would make the change fail.
        const auto gateway = ParseIPv4(ipv4.value(QStringLiteral("gateway")).toString().toStdString());
        const bool reachable = gateway && std::any_of(wanted.begin(), wanted.end(), [&](const Address& a) {
                                   return SameSubnet(a.address, *gateway, a.prefix) && a.address != *gateway;
                               });
        if (!reachable)
            ipv4.remove(QStringLiteral("gateway"));
        return kSuccess;
    };
    const LiveCheck live = [&](const DeviceState& state) {
        const std::set<Address> have(state.addresses.begin(), state.addresses.end());
        const std::set<Address> want(wanted.begin(), wanted.end());
        const auto present = [&](const Address& entry) { return have.count(entry) != 0; };
        const auto leftOver = [&](const Address& entry) { return want.count(entry) == 0 && present(entry); };
        return std::all_of(want.begin(), want.end(), present) && std::none_of(stale.begin(), stale.end(), leftOver);
    };
    return Change(edit, live, m_change.Limits().staticMs);
}

// The first gateway is the profile's own, with its metric as the profile's route metric where
// the site gives one (1 leaves the profile's as it is); the others are default routes of their
// own, with their metrics.
std::uint32_t NmIPv4Settings::SetGateways(const Value& gatewayArg, const Value& metricArg)
{
    const auto texts = TextsOf(gatewayArg);
    if (!texts)
        return kInvalidParameter;
    std::vector<std::int64_t> metrics(texts->size(), 1);
    if (const auto* given = std::get_if<std::vector<std::int64_t>>(&metricArg)) {
        if (given->size() != texts->size())
            return kInvalidParameter;
        for (const std::int64_t metric : *given) {
            if (metric < kMinGatewayMetric || metric > kMaxGatewayMetric)
                return kInvalidParameter;
        }
        metrics = *given;
    } else if (!std::holds_alternative<std::monostate>(metricArg)) {
        return kInvalidParameter;
    }
    std::vector<std::pair<std::uint32_t, std::int64_t>> gateways;
    for (std::size_t i = 0; i < texts->size(); ++i) {
        if ((*texts)[i].find_first_not_of(" \t") == std::string::npos)
            continue;
        const auto gateway = ParseIPv4((*texts)[i]);
        if (!gateway || !IsHostAddress(*gateway, 32))
            return kInvalidGateway;
        gateways.emplace_back(*gateway, metrics[i]);
    }
    if (gateways.size() > kMaxGateways)
        return kTooManyGateways;
    const SectionEdit edit = [&](QVariantMap& ipv4) -> std::uint32_t {
        // The profile's other default routes were the gateways of an earlier site.
        QList<QVariantMap> routes = WithoutDefaultRoutes(ipv4);
        ipv4.remove(QStringLiteral("routes"));
        if (gateways.empty()) {
            ipv4.remove(QStringLiteral("gateway"));
            ipv4.insert(QStringLiteral("route-data"), QVariant::fromValue(routes));
            return kSuccess;
        }
        // With static addresses the gateway must sit in one of their subnets, else no route reaches it.
        if (ipv4.value(QStringLiteral("method")).toString() == kMethodManual) {
            const std::vector<Address> own = ProfileAddresses(ipv4);
            for (const auto& [gateway, metric] : gateways) {
                const bool reachable = std::any_of(own.begin(), own.end(), [&](const Address& a) {
                    return SameSubnet(a.address, gateway, a.prefix) && a.address != gateway
                        && IsHostAddress(gateway, a.prefix);
                });
                if (!reachable)
                    return kInvalidGateway;
            }
        }
        ipv4.insert(QStringLiteral("gateway"), QString::fromStdString(FormatIPv4(gateways.front().first)));
        if (gateways.front().second != 1)
            ipv4.insert(QStringLiteral("route-metric"), QVariant::fromValue(qlonglong(gateways.front().second)));
        for (std::size_t i = 1; i < gateways.size(); ++i) {
            routes.append(
                QVariantMap { { QStringLiteral("dest"), QStringLiteral("0.0.0.0") },
                              { QStringLiteral("prefix"), QVariant::fromValue(uint { 0 }) },
                              { QStringLiteral("next-hop"), QString::fromStdString(FormatIPv4(gateways[i].first)) },
                              { QStringLiteral("metric"), QVariant::fromValue(uint(gateways[i].second)) } });
        }
        ipv4.insert(QStringLiteral("route-data"), QVariant::fromValue(routes));
        return kSuccess;
    };
    const std::string expected = gateways.empty() ? std::string() : FormatIPv4(gateways.front().first);
    const LiveCheck live = [&](const DeviceState& state) {
        if (state.gateway != expected)
            return false;
        for (std::size_t i = 0; i < gateways.size(); ++i) {
            const std::string hop = FormatIPv4(gateways[i].first);
            const bool metricKnown = i > 0 || gateways[i].second != 1;
            const bool found = std::any_of(state.defaultRoutes.begin(), state.defaultRoutes.end(), [&](const auto& r) {
                return r.first == hop && (!metricKnown || r.second == gateways[i].second);
            });
            if (!found && (i > 0 || metricKnown))
                return false;
        }
        return true;
    };
    return Change(edit, live, m_change.Limits().staticMs);
}

std::uint32_t NmIPv4Settings::SetDNSDomain(const Value& suffixArg)
{
    const auto* suffix = std::get_if<std::string>(&suffixArg);
    if (!suffix || ExtraValueProblem({}, "DNSSuffix", *suffix))
        return kInvalidParameter;
    const SectionEdit edit = [&](QVariantMap& ipv4) {
        if (suffix->empty())
            ipv4.remove(QStringLiteral("dns-search"));
        else
            ipv4.insert(QStringLiteral("dns-search"), QStringList { QString::fromStdString(*suffix) });
        return kSuccess;
    };
    const LiveCheck live = [&](const DeviceState& state) {
        return suffix->empty()
            || std::find(state.searches.begin(), state.searches.end(), *suffix) != state.searches.end();
    };
    return Change(edit, live, m_change.Limits().staticMs);
}

std::uint32_t NmIPv4Settings::SetDNSServerSearchOrder(const Value& serverArg)
{
    const auto texts = TextsOf(serverArg);
    if (!texts)
        return kInvalidParameter;
    std::vector<std::string> servers;
    QList<uint> dns;
    for (const std::string& text : WithoutEmpty(*texts)) {
        const auto server = ParseIPv4(text);
        if (!server || !IsServerAddress(*server))
            return kInvalidAddress;
        servers.push_back(FormatIPv4(*server));
        dns.append(ToNetworkOrder(*server));
    }
    bool manual = false;
    const SectionEdit edit = [&](QVariantMap& ipv4) {
        manual = ipv4.value(QStringLiteral("method")).toString() == kMethodManual;
        ipv4.insert(QStringLiteral("dns"), QVariant::fromValue(dns));
        // No servers given means: use what DHCP supplies again.
        ipv4.insert(QStringLiteral("ignore-auto-dns"), !servers.empty());
        return kSuccess;
    };
    const LiveCheck live = [&](const DeviceState& state) {
        if (servers.empty() && !manual)
            return state.dns == state.leaseDns; // back to what DHCP supplies
        return state.dns == servers;
    };
    return Change(edit, live, m_change.Limits().staticMs);
}

} // namespace lanvex::net::nm
