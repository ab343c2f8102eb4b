#include "net/AdapterConfiguration.h"

#include "store/AnsiCodePage.h"
#include "store/TextCodec.h"

#include <array>
#include <utility>

namespace lanvex::net {

namespace {

constexpr std::array kMethods = {
    std::pair { AdapterMethod::EnableDHCP, std::string_view("EnableDHCP") },
    std::pair { AdapterMethod::EnableStatic, std::string_view("EnableStatic") },
    std::pair { AdapterMethod::SetGateways, std::string_view("SetGateways") },
    std::pair { AdapterMethod::SetDNSServerSearchOrder, std::string_view("SetDNSServerSearchOrder") },
    std::pair { AdapterMethod::SetWINSServer, std::string_view("SetWINSServer") },
    std::pair { AdapterMethod::SetDNSDomain, std::string_view("SetDNSDomain") },
    std::pair { AdapterMethod::DisableIPv6, std::string_view("MSFT_NetAdapterBindingSettingData.Disable") },
    std::pair { AdapterMethod::EnableIPv6, std::string_view("MSFT_NetAdapterBindingSettingData.Enable") },
    std::pair { AdapterMethod::SetIPv6Addresses, std::string_view("MSFT_NetIPAddress.Create") },
    std::pair { AdapterMethod::SetIPv6Gateway, std::string_view("MSFT_NetRoute.Create") },
    std::pair { AdapterMethod::SetIPv6DNSServers, std::string_view("MSFT_DNSClientServerAddress.Put") },
    std::pair { AdapterMethod::ConnectWiFi, std::string_view("ConnectWiFi") },
    std::pair { AdapterMethod::ActivateConnection, std::string_view("ActivateConnection") },
    std::pair { AdapterMethod::DeactivateConnection, std::string_view("DeactivateConnection") },
    std::pair { AdapterMethod::SetFirewallZone, std::string_view("SetFirewallZone") },
    std::pair { AdapterMethod::SetHostname, std::string_view("SetHostname") },
};

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::uint32_t PrefixBits(int prefix)
{
    return prefix <= 0 ? 0u : (prefix >= 32 ? 0xFFFFFFFFu : ~((1u << (32 - prefix)) - 1u));
}

// 0/8 ("this network"), and 224/4 multicast with the reserved 240/4 above it.
bool IsUnassignable(std::uint32_t address)
{
    const std::uint32_t first = address >> 24;
    return first == 0 || first >= 224;
}

} // namespace

std::optional<AdapterMethod> FindAdapterMethod(std::string_view name)
{
    for (const auto& [method, spelling] : kMethods) {
        if (EqualsNoCase(name, spelling))
            return method;
    }
    return std::nullopt;
}

std::string_view MethodName(AdapterMethod method)
{
    for (const auto& [known, spelling] : kMethods) {
        if (known == method)
            return spelling;
    }
    return {};
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    }
    return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::optional<std::uint32_t> ParseIPv4(std::string_view text)
{
    std::uint32_t address = 0;
    std::size_t pos = 0;
    for (int parts = 0; parts < 4; ++parts) {
        if (parts > 0) {
            if (pos >= text.size() || text[pos] != '.')
                return std::nullopt;
            ++pos;
        }
        std::size_t digits = 0;
        std::uint32_t value = 0;
        // Any number of leading zeros, as the site editor accepts them; the value check on every
        // digit also keeps the sum from overflowing.
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            ++digits;
            value = value * 10 + static_cast<std::uint32_t>(text[pos] - '0');
            if (value > 255)
                return std::nullopt;
            ++pos;
        }
        if (digits == 0 || value > 255)
            return std::nullopt;
        address = (address << 8) | value;
    }
    if (pos != text.size())
        return std::nullopt;
    return address;
}

std::string FormatIPv4(std::uint32_t address)
{
    return std::to_string(address >> 24) + '.' + std::to_string((address >> 16) & 0xFF) + '.'
        + std::to_string((address >> 8) & 0xFF) + '.' + std::to_string(address & 0xFF);
}

std::optional<int> ParseSubnetMask(std::string_view mask)
{
    const auto bits = ParseIPv4(mask);
    if (!bits || *bits == 0)
        return std::nullopt;
    int prefix = 0;
    while (prefix < 32 && (*bits & (0x80000000u >> prefix)) != 0)
        ++prefix;
    if (*bits != PrefixBits(prefix))
        return std::nullopt;
    return prefix;
}

std::string PrefixToMask(int prefix)
{
    return FormatIPv4(PrefixBits(prefix));
}

bool IsHostAddress(std::uint32_t address, int prefix)
{
    if (IsUnassignable(address) || (address >> 24) == 127)
        return false;
    if (prefix >= 31)
        return true; // point-to-point subnets have no network or broadcast address
    const std::uint32_t hostBits = ~PrefixBits(prefix);
    const std::uint32_t host = address & hostBits;
    return host != 0 && host != hostBits;
}

bool IsServerAddress(std::uint32_t address)
{
    return !IsUnassignable(address);
}

bool SameSubnet(std::uint32_t a, std::uint32_t b, int prefix)
{
    return (a & PrefixBits(prefix)) == (b & PrefixBits(prefix));
}

std::optional<std::string> FormatMACAddress(std::string_view hardwareAddress)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    hardwareAddress = Trim(hardwareAddress);
    if (hardwareAddress.size() != 17)
        return std::nullopt;
    std::string result;
    for (std::size_t i = 0; i < hardwareAddress.size(); ++i) {
        const char c = hardwareAddress[i];
        if (i % 3 == 2) {
            if (c != ':' && c != '-')
                return std::nullopt;
            result += ':';
            continue;
        }
        const char lower = Lower(c);
        const bool hex = (lower >= '0' && lower <= '9') || (lower >= 'a' && lower <= 'f');
        if (!hex)
            return std::nullopt;
        result += kHex[lower <= '9' ? lower - '0' : lower - 'a' + 10];
    }
    return result;
}

bool SameMACAddress(std::string_view a, std::string_view b)
{
    const auto first = FormatMACAddress(a);
    return first && first == FormatMACAddress(b);
}

std::string SsidText(std::string_view ssid)
{
    if (store::IsValidUtf8(ssid))
        return std::string(ssid);
    return store::AnsiToUtf8(ssid);
}

bool IsServiceMoniker(std::string_view moniker)
{
    return StartsWithNoCase(moniker, "winmgmts:");
}

bool IsAdapterQuery(std::string_view query)
{
    // Lower-case, one blank between words, none around "=".
    std::string normal;
    for (const char c : query) {
        if (IsBlank(c) || c == '\r' || c == '\n') {
            if (!normal.empty() && normal.back() != ' ')
                normal += ' ';
            continue;
        }
        if (c == '=' && !normal.empty() && normal.back() == ' ')
            normal.pop_back();
        if (normal.size() >= 2 && normal.back() == ' ' && normal[normal.size() - 2] == '=')
            normal.pop_back();
        normal += Lower(c);
    }
    if (!normal.empty() && normal.back() == ' ')
        normal.pop_back();
    return normal == "select * from win32_networkadapterconfiguration where ipenabled=true";
}

std::optional<std::int64_t> ParseAdapterPath(std::string_view path)
{
    static constexpr std::string_view kPrefix = "Win32_NetworkAdapterConfiguration.Index=";
    if (path.size() <= kPrefix.size() || !StartsWithNoCase(path, kPrefix))
        return std::nullopt;
    const std::string_view digits = path.substr(kPrefix.size());
    if (digits.size() > 10)
        return std::nullopt;
    std::int64_t index = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        index = index * 10 + (c - '0');
    }
    return index;
}

} // namespace lanvex::net
