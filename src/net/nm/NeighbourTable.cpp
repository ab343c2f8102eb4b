#include "net/nm/NeighbourTable.h"

#include "net/AdapterConfiguration.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>

namespace lanvex::net::nm {

namespace {

constexpr unsigned kArpComplete = 0x2; // ATF_COM
constexpr unsigned kRouteGateway = 0x2; // RTF_GATEWAY

std::vector<std::string_view> Fields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t start = line.find_first_not_of(" \t", at);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = std::min(line.find_first_of(" \t", start), line.size());
        fields.push_back(line.substr(start, end - start));
        at = end;
    }
    return fields;
}

// Each line after the heading, split into its fields.
template <typename Visit> void ForEachRow(std::string_view table, Visit visit)
{
    bool heading = true;
    while (!table.empty()) {
        const std::size_t end = std::min(table.find('\n'), table.size());
        const std::string_view line = table.substr(0, end);
        table.remove_prefix(std::min(end + 1, table.size()));
        if (!heading)
            visit(Fields(line));
        heading = false;
    }
}

// A number the tables print in hex, with or without "0x".
std::optional<std::uint32_t> Hex(std::string_view text)
{
    if (text.rfind("0x", 0) == 0)
        text.remove_prefix(2);
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The route table prints an address as the number whose bytes in memory are the address in network
// order.
std::string AddressOfRouteField(std::uint32_t value)
{
    unsigned char bytes[4];
    std::memcpy(bytes, &value, sizeof bytes);
    return FormatIPv4(std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 | std::uint32_t(bytes[2]) << 8
                      | bytes[3]);
}

std::string ReadAll(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {};
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

std::string NeighbourMACIn(std::string_view arpTable, std::string_view interfaceName, std::string_view address)
{
    // IP address, HW type, Flags, HW address, Mask, Device
    std::string mac;
    ForEachRow(arpTable, [&](const std::vector<std::string_view>& row) {
        if (!mac.empty() || row.size() < 6 || row[0] != address || row[5] != interfaceName)
            return;
        const auto flags = Hex(row[2]);
        const auto formatted = FormatMACAddress(row[3]);
        if (flags && (*flags & kArpComplete) && formatted && *formatted != "00:00:00:00:00:00")
            mac = *formatted;
    });
    return mac;
}

std::vector<std::pair<std::string, std::string>> DefaultGatewaysIn(std::string_view routeTable)
{
    // Iface, Destination, Gateway, Flags, RefCnt, Use, Metric, Mask, …
    std::vector<std::pair<std::string, std::string>> gateways;
    ForEachRow(routeTable, [&](const std::vector<std::string_view>& row) {
        if (row.size() < 8)
            return;
        const auto destination = Hex(row[1]);
        const auto gateway = Hex(row[2]);
        const auto flags = Hex(row[3]);
        const auto mask = Hex(row[7]);
        if (destination == 0u && mask == 0u && gateway && flags && (*flags & kRouteGateway))
            gateways.emplace_back(std::string(row[0]), AddressOfRouteField(*gateway));
    });
    return gateways;
}

std::string ReadNeighbourMAC(std::string_view interfaceName, std::string_view address)
{
    return NeighbourMACIn(ReadAll("/proc/net/arp"), interfaceName, address);
}

std::string ReadGatewayNeighbours()
{
    const std::string arp = ReadAll("/proc/net/arp");
    std::string lines;
    for (const auto& [interfaceName, gateway] : DefaultGatewaysIn(ReadAll("/proc/net/route")))
        lines += interfaceName + ' ' + gateway + ' ' + NeighbourMACIn(arp, interfaceName, gateway) + '\n';
    return lines;
}

} // namespace lanvex::net::nm
