#include "net/nm/NmIPv6Settings.h"

#include "net/AdapterConfiguration.h"
#include "net/ExtraSettings.h"
#include "net/nm/NmDeviceState.h"
#include "net/nm/NmMethodArgs.h"
#include "net/nm/NmProfile.h"

#include <QByteArray>
#include <QList>
#include <algorithm>
#include <string>
#include <vector>

namespace lanvex::net::nm {

namespace {

// The profile's manual IPv6 addresses, canonical, with their prefixes.
std::vector<std::string> ProfileIPv6Addresses(const QVariantMap& ipv6)
{
    std::vector<std::string> addresses;
    for (const QVariantMap& entry : MapList(ipv6.value(QStringLiteral("address-data")))) {
        const std::string address = CanonicalIPv6(entry.value(QStringLiteral("address")).toString());
        if (!address.empty())
            addresses.push_back(address + "/" + std::to_string(entry.value(QStringLiteral("prefix")).toUInt()));
    }
    return addresses;
}

bool Holds(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

} // namespace

NmIPv6Settings::NmIPv6Settings(NmProfileChange& change)
    : m_change(change)
{ }

std::uint32_t NmIPv6Settings::Change(const SectionEdit& edit, const LiveCheck& live)
{
    return m_change.Apply(QStringLiteral("ipv6"), edit, live, m_change.Limits().staticMs);
}

// IPv6 off (disabled) or automatic: the manual addresses, gateway and servers go.
std::uint32_t NmIPv6Settings::SetIPv6Method(const QString& method)
{
    std::vector<std::string> stale;
    const SectionEdit edit = [&](QVariantMap& ipv6) {
        stale = ProfileIPv6Addresses(ipv6);
        ipv6.insert(QStringLiteral("method"), method);
        for (const char* key : { "addresses", "address-data", "gateway", "dns", "dns-data", "routes" })
            ipv6.remove(QString::fromLatin1(key));
        ipv6.insert(QStringLiteral("ignore-auto-dns"), false);
        return kSuccess;
    };
    const LiveCheck live = [&](const DeviceState& state) {
        if (state.ipv6Method != method)
            return false;
        if (method == kMethodDisabled && !state.ipv6Addresses.empty())
            return false;
        return std::none_of(stale.begin(), stale.end(),
                            [&](const std::string& a) { return Holds(state.ipv6Addresses, a); });
    };
    return Change(edit, live);
}

std::uint32_t NmIPv6Settings::SetIPv6Addresses(const Value& addressArg)
{
    const auto texts = TextsOf(addressArg);
    if (!texts || texts->empty())
        return kInvalidParameter;
    std::vector<std::string> wanted;
    QList<QVariantMap> data;
    for (const std::string& text : *texts) {
        const std::size_t slash = text.find('/');
        if (slash == std::string::npos || ExtraValueProblem({}, "IPv6Address", text))
            return kInvalidAddress;
        const std::string address = FormatIPv6(*ParseIPv6(text.substr(0, slash)));
        const uint prefix = static_cast<uint>(std::stoul(text.substr(slash + 1)));
        wanted.push_back(address + "/" + std::to_string(prefix));
        data.append(QVariantMap { { QStringLiteral("address"), QString::fromStdString(address) },
                                  { QStringLiteral("prefix"), QVariant::fromValue(prefix) } });
    }
    std::vector<std::string> stale;
    const SectionEdit edit = [&](QVariantMap& ipv6) {
        for (const std::string& before : ProfileIPv6Addresses(ipv6))
            if (!Holds(wanted, before))
                stale.push_back(before);
        ipv6.insert(QStringLiteral("method"), kMethodManual);
        ipv6.remove(QStringLiteral("addresses"));
        ipv6.insert(QStringLiteral("address-data"), QVariant::fromValue(data));
        return kSuccess;
    };
    const LiveCheck live = [&](const DeviceState& state) {
        const auto present = [&](const std::string& a) { return Holds(state.ipv6Addresses, a); };
        return state.ipv6Method == kMethodManual && std::all_of(wanted.begin(), wanted.end(), present)
            && std::none_of(stale.begin(), stale.end(), present);
    };
    return Change(edit, live);
}

std::uint32_t NmIPv6Settings::SetIPv6Gateway(const Value& gatewayArg)
{
    const auto* text = std::get_if<std::string>(&gatewayArg);
    if (!text || ExtraValueProblem({}, "IPv6Gateway", *text))
        return kInvalidGateway;
    const std::string gateway = text->empty() ? std::string() : FormatIPv6(*ParseIPv6(*text));
    const SectionEdit edit = [&](QVariantMap& ipv6) {
        if (gateway.empty())
            ipv6.remove(QStringLiteral("gateway"));
        else
            ipv6.insert(QStringLiteral("gateway"), QString::fromStdString(gateway));
        return kSuccess;
    };
    const LiveCheck live = [&](const DeviceState& state) { return state.ipv6Gateway == gateway; };
    return Change(edit, live);
}

std::uint32_t NmIPv6Settings::SetIPv6DNSServers(const Value& serverArg)
{
    const auto texts = TextsOf(serverArg);
    if (!texts || texts->size() > 2)
        return kInvalidParameter;
    std::vector<std::string> servers;
    QList<QByteArray> dns;
    for (const std::string& text : *texts) {
        const auto address = ParseIPv6(text);
        if (!address || ExtraValueProblem({}, "IPv6DNS", text))
            return kInvalidAddress;
        servers.push_back(FormatIPv6(*address));
        QByteArray bytes;
        for (const std::uint16_t group : *address) {
            bytes.append(static_cast<char>(group >> 8));
            bytes.append(static_cast<char>(group & 0xFF));
        }
        dns.append(bytes);
    }
    const SectionEdit edit = [&](QVariantMap& ipv6) {
        ipv6.remove(QStringLiteral("dns-data")); // the newer form of the same list, which would win
        ipv6.insert(QStringLiteral("dns"), QVariant::fromValue(dns));
        ipv6.insert(QStringLiteral("ignore-auto-dns"), !servers.empty());
        return kSuccess;
    };
    const LiveCheck live = [&](const DeviceState& state) { return servers.empty() || state.ipv6Dns == servers; };
    return Change(edit, live);
}
} // namespace lanvex::net::nm
