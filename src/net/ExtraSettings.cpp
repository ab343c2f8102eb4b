#include "net/ExtraSettings.h"

#include "i18n/Translatable.h"
#include "net/AdapterConfiguration.h"
#include "net/CommandText.h"

#include <algorithm>
#include <charconv>

namespace lanvex::net {

namespace {

std::string_view trimBlanks(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The items of a comma-separated list, blanks around each removed. Nothing when an item is empty.
std::optional<std::vector<std::string_view>> splitList(std::string_view text)
{
    std::vector<std::string_view> items;
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        const std::string_view item
            = trimBlanks(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (item.empty())
            return std::nullopt;
        items.push_back(item);
        if (comma == std::string_view::npos)
            return items;
        start = comma + 1;
    }
}

// Plain decimal digits with a value from `low` to `high`.
std::optional<std::int64_t> parseNumber(std::string_view text, std::int64_t low, std::int64_t high)
{
    if (text.empty() || text.size() > 6
        || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    std::int64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

// "before<separator>after", split at the only separator.
std::optional<std::pair<std::string_view, std::string_view>> splitPair(std::string_view item, char separator)
{
    const std::size_t at = item.find(separator);
    if (at == std::string_view::npos || item.find(separator, at + 1) != std::string_view::npos)
        return std::nullopt;
    return std::make_pair(item.substr(0, at), item.substr(at + 1));
}

std::optional<std::uint16_t> hexGroup(std::string_view text)
{
    if (text.empty() || text.size() > 4)
        return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        const int digit = c >= '0' && c <= '9' ? c - '0'
            : c >= 'a' && c <= 'f'             ? c - 'a' + 10
            : c >= 'A' && c <= 'F'             ? c - 'A' + 10
                                               : -1;
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<std::uint16_t>(value);
}

// The groups of one side of "::" (or of the whole text); the last one may be a dotted quad.
bool parseGroups(std::string_view text, bool lastSide, std::vector<std::uint16_t>& groups)
{
    if (text.empty())
        return true;
    for (std::size_t start = 0;;) {
        const std::size_t colon = text.find(':', start);
        const std::string_view part
            = text.substr(start, colon == std::string_view::npos ? std::string_view::npos : colon - start);
        if (colon == std::string_view::npos && lastSide && part.find('.') != std::string_view::npos) {
            const auto quad = ParseIPv4(part);
            if (!quad)
                return false;
            groups.push_back(static_cast<std::uint16_t>(*quad >> 16));
            groups.push_back(static_cast<std::uint16_t>(*quad & 0xFFFF));
            return true;
        }
        const auto group = hexGroup(part);
        if (!group)
            return false;
        groups.push_back(*group);
        if (colon == std::string_view::npos)
            return true;
        start = colon + 1;
    }
}

bool isUnspecified(const IPv6Groups& a)
{
    return std::all_of(a.begin(), a.end(), [](std::uint16_t g) { return g == 0; });
}

bool isLoopback(const IPv6Groups& a)
{
    return std::all_of(a.begin(), a.end() - 1, [](std::uint16_t g) { return g == 0; }) && a[7] == 1;
}

bool isMulticast(const IPv6Groups& a)
{
    return (a[0] & 0xFF00) == 0xFF00;
}

// An address an interface or a gateway may have.
std::optional<IPv6Groups> hostIPv6(std::string_view text)
{
    const auto address = ParseIPv6(text);
    if (!address || isUnspecified(*address) || isLoopback(*address) || isMulticast(*address))
        return std::nullopt;
    return address;
}

// Whether `text` is a DNS domain: dot-separated labels of letters, digits and inner hyphens.
bool isDomainName(std::string_view text)
{
    if (text.empty() || text.size() > 253)
        return false;
    for (std::size_t start = 0;;) {
        const std::size_t dot = text.find('.', start);
        const std::string_view label
            = text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
            return false;
        const auto allowed = [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
        };
        if (!std::all_of(label.begin(), label.end(), allowed))
            return false;
        if (dot == std::string_view::npos)
            return true;
        start = dot + 1;
    }
}

struct AddressList
{
    std::vector<std::string> addresses, masks;
};

// The site's own address may not come again.
std::optional<AddressList> parseMoreIP(std::string_view text, const std::string& own)
{
    const auto items = splitList(text);
    if (!items)
        return std::nullopt;
    AddressList list;
    for (std::string_view item : *items) {
        const auto pair = splitPair(item, '/');
        const auto prefix = pair ? ParseSubnetMask(pair->second) : std::nullopt;
        const auto address = pair ? ParseIPv4(pair->first) : std::nullopt;
        if (!prefix || !address || !IsHostAddress(*address, *prefix))
            return std::nullopt;
        const std::string shown(pair->first);
        if (shown == own || std::find(list.addresses.begin(), list.addresses.end(), shown) != list.addresses.end())
            return std::nullopt;
        list.addresses.push_back(shown);
        list.masks.emplace_back(pair->second);
    }
    return list;
}

struct GatewayList
{
    std::vector<std::string> gateways;
    std::vector<std::int64_t> metrics;
};

std::optional<GatewayList> parseMoreGateways(std::string_view text, std::size_t room)
{
    const auto items = splitList(text);
    if (!items || items->size() > room)
        return std::nullopt;
    GatewayList list;
    for (std::string_view item : *items) {
        const auto pair = splitPair(item, ':');
        const auto gateway = pair ? ParseIPv4(pair->first) : std::nullopt;
        const auto metric = pair ? parseNumber(pair->second, kMinGatewayMetric, kMaxGatewayMetric) : std::nullopt;
        if (!gateway || !IsHostAddress(*gateway, 32) || !metric)
            return std::nullopt;
        list.gateways.emplace_back(pair->first);
        list.metrics.push_back(*metric);
    }
    return list;
}

std::optional<std::vector<std::string>> parseIPv6Addresses(std::string_view text)
{
    const auto items = splitList(text);
    if (!items)
        return std::nullopt;
    std::vector<std::string> list;
    for (std::string_view item : *items) {
        const auto pair = splitPair(item, '/');
        const auto address = pair ? hostIPv6(pair->first) : std::nullopt;
        const auto prefix = pair ? parseNumber(pair->second, 1, 128) : std::nullopt;
        if (!address || !prefix)
            return std::nullopt;
        std::string canonical = FormatIPv6(*address) + "/" + std::to_string(*prefix);
        if (std::find(list.begin(), list.end(), canonical) != list.end())
            return std::nullopt;
        list.push_back(std::move(canonical));
    }
    return list;
}

std::optional<std::vector<std::string>> parseIPv6Servers(std::string_view text)
{
    const auto items = splitList(text);
    if (!items || items->size() > 2)
        return std::nullopt;
    std::vector<std::string> list;
    for (std::string_view item : *items) {
        const auto address = ParseIPv6(item);
        if (!address || isUnspecified(*address) || isMulticast(*address))
            return std::nullopt;
        list.push_back(FormatIPv6(*address));
    }
    return list;
}

// Whether the text is a host a check can reach: a name, an IPv4 address or a bracketed IPv6 one.
std::optional<std::string> checkHost(std::string_view text)
{
    if (text.size() > 2 && text.front() == '[' && text.back() == ']') {
        const auto address = ParseIPv6(text.substr(1, text.size() - 2));
        return address ? std::optional<std::string>(FormatIPv6(*address)) : std::nullopt;
    }
    if (ParseIPv4(text) || isDomainName(text))
        return std::string(text);
    return std::nullopt;
}

// The items of a list of checks, and those that are no check at all.
template <typename Parse>
void readChecks(std::string_view text, Parse parse, std::vector<std::string>& valid, std::vector<std::string>& skipped)
{
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view item = trimBlanks(text.substr(start, comma - start));
        if (parse(item))
            valid.emplace_back(item);
        else
            skipped.emplace_back(item);
        start = comma + 1;
    }
}

bool listAllValid(std::string_view text, bool (*valid)(std::string_view))
{
    std::vector<std::string> good, bad;
    readChecks(text, valid, good, bad);
    return bad.empty();
}

bool isHostPort(std::string_view item)
{
    return ParseHostPort(item).has_value();
}

bool isNameCheck(std::string_view item)
{
    return ParseNameCheck(item).has_value();
}

// Whether a program's text begins with a program.
bool namesProgram(std::string_view text)
{
    const std::vector<std::string> arguments = SplitCommandText(text);
    return !arguments.empty() && !arguments.front().empty();
}

// A Wi-Fi network's name: 1 to 32 bytes, as the standard allows, with no control characters.
bool isSsid(std::string_view text)
{
    return !text.empty() && text.size() <= 32
        && std::none_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

// A system connection's name, as the system lists it: anything but control characters.
bool isConnectionName(std::string_view text)
{
    return !text.empty() && text.size() <= 255
        && std::none_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

bool isLetterOrDigit(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// A firewall zone's name as firewalld allows it: up to 17 letters, digits, "-" and "_".
bool isZoneName(std::string_view text)
{
    return !text.empty() && text.size() <= 17
        && std::all_of(text.begin(), text.end(), [](char c) { return isLetterOrDigit(c) || c == '-' || c == '_'; });
}

// A computer's name: one DNS label (letters, digits, inner hyphens, up to 63), not all digits.
bool isHostname(std::string_view text)
{
    return !text.empty() && text.size() <= 63 && text.front() != '-' && text.back() != '-'
        && std::all_of(text.begin(), text.end(), [](char c) { return isLetterOrDigit(c) || c == '-'; })
        && !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Connection names joined by ","; no empty item, no name twice.
std::optional<std::vector<std::string>> parseConnectionNames(std::string_view text)
{
    const auto items = splitList(text);
    if (!items)
        return std::nullopt;
    std::vector<std::string> names;
    for (const std::string_view item : *items) {
        if (!isConnectionName(item) || std::find(names.begin(), names.end(), item) != names.end())
            return std::nullopt;
        names.emplace_back(item);
    }
    return names;
}

// How many more gateways fit beside DefaultGateway into one SetGateways call.
std::size_t gatewayRoom(const store::SiteProfile& site)
{
    return kMaxGateways - (site.DefaultGateway.empty() ? 0 : 1);
}

} // namespace

std::optional<IPv6Groups> ParseIPv6(std::string_view text)
{
    std::vector<std::uint16_t> head, tail;
    const std::size_t gap = text.find("::");
    if (gap == std::string_view::npos) {
        if (!parseGroups(text, true, head) || head.size() != 8)
            return std::nullopt;
    } else {
        const std::string_view before = text.substr(0, gap), after = text.substr(gap + 2);
        // A third colon next to the gap, or a second gap, is no address.
        if (after.find("::") != std::string_view::npos || (!after.empty() && after.front() == ':')
            || (!before.empty() && before.back() == ':'))
            return std::nullopt;
        if (!parseGroups(before, false, head) || !parseGroups(after, true, tail) || head.size() + tail.size() > 7)
            return std::nullopt;
    }
    IPv6Groups groups {};
    std::copy(head.begin(), head.end(), groups.begin());
    std::copy(tail.begin(), tail.end(), groups.end() - static_cast<std::ptrdiff_t>(tail.size()));
    return groups;
}

std::string FormatIPv6(const IPv6Groups& address)
{
    // The longest run of zero groups (the first of equal ones), if two or more long, becomes "::".
    std::size_t bestStart = 8, bestLength = 1;
    for (std::size_t i = 0; i < 8;) {
        std::size_t j = i;
        while (j < 8 && address[j] == 0)
            ++j;
        if (j - i > bestLength) {
            bestStart = i;
            bestLength = j - i;
        }
        i = j == i ? i + 1 : j;
    }
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < 8; ++i) {
        if (i == bestStart) {
            text += "::";
            i += bestLength - 1;
            continue;
        }
        if (!text.empty() && text.back() != ':')
            text += ':';
        bool started = false;
        for (int shift = 12; shift >= 0; shift -= 4) {
            const unsigned digit = (address[i] >> shift) & 0xF;
            if (digit != 0 || started || shift == 0) {
                text += digits[digit];
                started = true;
            }
        }
    }
    return text;
}

std::optional<HostPort> ParseHostPort(std::string_view text)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const auto host = checkHost(text.substr(0, colon));
    const auto port = parseNumber(text.substr(colon + 1), 1, 65535);
    if (!host || !port)
        return std::nullopt;
    return HostPort { *host, static_cast<std::uint16_t>(*port) };
}

std::optional<NameCheck> ParseNameCheck(std::string_view text)
{
    const std::size_t equals = text.find('=');
    const std::string_view name = trimBlanks(text.substr(0, equals));
    if (!isDomainName(name))
        return std::nullopt;
    if (equals == std::string_view::npos)
        return NameCheck { std::string(name), {} };
    const std::string_view address = trimBlanks(text.substr(equals + 1));
    if (ParseIPv4(address))
        return NameCheck { std::string(name), std::string(address) };
    if (const auto v6 = ParseIPv6(address))
        return NameCheck { std::string(name), FormatIPv6(*v6) };
    return std::nullopt;
}

std::optional<IPv6Mode> ParseIPv6Mode(std::string_view text)
{
    for (const IPv6Mode mode : { IPv6Mode::Keep, IPv6Mode::Auto, IPv6Mode::Static, IPv6Mode::Off })
        if (EqualsNoCase(text, IPv6ModeName(mode)))
            return mode;
    return std::nullopt;
}

std::string_view IPv6ModeName(IPv6Mode mode)
{
    switch (mode) {
    case IPv6Mode::Auto:
        return "auto";
    case IPv6Mode::Static:
        return "static";
    case IPv6Mode::Off:
        return "off";
    case IPv6Mode::Keep:
        break;
    }
    return "keep";
}

std::optional<const char*> ExtraValueProblem(const store::SiteProfile& site, std::string_view key,
                                             std::string_view value)
{
    if (value.empty())
        return std::nullopt;
    if (key == "MoreIP" && !parseMoreIP(value, site.IP))
        return LANVEX_TR_NOOP("net", "更多IP地址有误：每项应为“IP地址/子网掩码”，各项以逗号分隔，且不能重复。");
    if (key == "GatewayMetric" && !parseNumber(value, kMinGatewayMetric, kMaxGatewayMetric))
        return LANVEX_TR_NOOP("net", "网关跃点数应为1到9999之间的整数。");
    if (key == "MoreGateways" && !parseMoreGateways(value, gatewayRoom(site)))
        return LANVEX_TR_NOOP("net", "更多网关有误：每项应为“网关:跃点数”，各项以逗号分隔，连同默认网关最多5个。");
    if (key == "DNSSuffix" && !isDomainName(value))
        return LANVEX_TR_NOOP("net", "DNS后缀不是有效的域名。");
    if (key == "IPv6Mode" && !ParseIPv6Mode(value))
        return LANVEX_TR_NOOP("net", "IPv6方式应为keep、auto、static或off。");
    if (key == "IPv6Address" && !parseIPv6Addresses(value))
        return LANVEX_TR_NOOP("net", "IPv6地址有误：每项应为“IPv6地址/前缀长度”，各项以逗号分隔，且不能重复。");
    if (key == "IPv6Gateway" && !hostIPv6(value))
        return LANVEX_TR_NOOP("net", "IPv6网关不是有效的IPv6地址。");
    if (key == "IPv6DNS" && !parseIPv6Servers(value))
        return LANVEX_TR_NOOP("net", "IPv6 DNS服务器有误：最多两个IPv6地址，以逗号分隔。");
    if ((key == "RunOnApply" || key == "RunOnLeave") && !namesProgram(value))
        return LANVEX_TR_NOOP("net", "程序设置有误：没有给出要运行的程序。");
    if (key == "RunTimeout" && !parseNumber(value, 1, kMaxRunTimeout))
        return LANVEX_TR_NOOP("net", "程序时限应为1到3600之间的秒数。");
    if (key == "VerifyTCP" && !listAllValid(value, isHostPort))
        return LANVEX_TR_NOOP("net", "核对连接有误：每项应为“主机:端口”，端口为1到65535，各项以逗号分隔。");
    if (key == "VerifyDNS" && !listAllValid(value, isNameCheck))
        return LANVEX_TR_NOOP("net", "核对域名有误：每项应为“域名”或“域名=IP地址”，各项以逗号分隔。");
    if (key == "VerifyGateway" && value != "0" && value != "1")
        return LANVEX_TR_NOOP("net", "核对网关应为0或1。");
    if (key == "VerifyTimeout" && !parseNumber(value, 1, kMaxVerifyTimeout))
        return LANVEX_TR_NOOP("net", "核对时限应为1到120之间的秒数。");
    if (key == "CheckAddress" && value != "0" && value != "1")
        return LANVEX_TR_NOOP("net", "检查地址应为0或1。");
    if (key == "WiFi" && !isSsid(value))
        return LANVEX_TR_NOOP("net", "Wi-Fi网络名称应为1到32个字节，且不能含控制字符。");
    if ((key == "ConnectOnApply" || key == "DisconnectOnApply") && !parseConnectionNames(value))
        return LANVEX_TR_NOOP("net", "连接名称有误：各项以逗号分隔，不能为空，也不能重复。");
    if (key == "FirewallZone" && !isZoneName(value))
        return LANVEX_TR_NOOP("net", "防火墙区域应为1到17个字母、数字、“-”或“_”。");
    if (key == "Hostname" && !isHostname(value))
        return LANVEX_TR_NOOP("net", "计算机名应为1到63个字母、数字或“-”，不能以“-”开头或结尾，也不能全是数字。");
    if (key == "MatchGateway" && !ParseIPv4(value))
        return LANVEX_TR_NOOP("net", "用于识别网络的网关不是有效的IPv4地址。");
    if (key == "MatchGatewayMAC" && !FormatMACAddress(value))
        return LANVEX_TR_NOOP("net", "用于识别网络的网关MAC地址有误：应为六组两位十六进制数，以“:”或“-”分隔。");
    return std::nullopt;
}

namespace {

// Which part of one item of a list of pairs is at fault; see FindListFault.
int partAtFault(std::string_view key, std::string_view item, char separator)
{
    const auto pair = splitPair(item, separator);
    if (!pair)
        return item.find(separator) == std::string_view::npos ? 1 : 0;
    const auto [first, second] = *pair;
    bool firstOk = false, secondOk = false;
    if (key == "MoreIP") {
        firstOk = ParseIPv4(first).has_value();
        secondOk = ParseSubnetMask(second).has_value();
    } else if (key == "MoreGateways") {
        const auto gateway = ParseIPv4(first);
        firstOk = gateway && IsHostAddress(*gateway, 32);
        secondOk = parseNumber(second, kMinGatewayMetric, kMaxGatewayMetric).has_value();
    } else {
        firstOk = hostIPv6(first).has_value();
        secondOk = parseNumber(second, 1, 128).has_value();
    }
    return firstOk && !secondOk ? 1 : 0;
}

} // namespace

std::optional<ListFault> FindListFault(const store::SiteProfile& site, std::string_view key, std::string_view value)
{
    if (key != "MoreIP" && key != "MoreGateways" && key != "IPv6Address")
        return std::nullopt;
    const char separator = key == "MoreGateways" ? ':' : '/';
    // The first item whose list up to it fails: a repeat or one too many fails there too.
    std::size_t item = 0;
    for (std::size_t start = 0;; ++item) {
        const std::size_t comma = value.find(',', start);
        const std::size_t end = comma == std::string_view::npos ? value.size() : comma;
        if (ExtraValueProblem(site, key, value.substr(0, end)))
            return ListFault { item, partAtFault(key, trimBlanks(value.substr(start, end - start)), separator) };
        if (comma == std::string_view::npos)
            return std::nullopt;
        start = comma + 1;
    }
}

namespace {

void readIPv4Extras(const store::SiteProfile& site, ExtraSettings& settings)
{
    const store::SiteExtras& extras = site.Extras;
    if (!extras.MoreIP.empty()) {
        if (auto list = parseMoreIP(extras.MoreIP, site.IP)) {
            settings.MoreAddresses = std::move(list->addresses);
            settings.MoreMasks = std::move(list->masks);
        } else {
            settings.InvalidKeys.emplace_back("MoreIP");
        }
    }
    if (!extras.GatewayMetric.empty()) {
        if (const auto metric = parseNumber(extras.GatewayMetric, kMinGatewayMetric, kMaxGatewayMetric))
            settings.GatewayMetric = *metric;
        else
            settings.InvalidKeys.emplace_back("GatewayMetric");
    }
    if (!extras.MoreGateways.empty()) {
        if (auto list = parseMoreGateways(extras.MoreGateways, gatewayRoom(site))) {
            settings.MoreGateways = std::move(list->gateways);
            settings.MoreMetrics = std::move(list->metrics);
        } else {
            settings.InvalidKeys.emplace_back("MoreGateways");
        }
    }
}

void readIPv6Extras(const store::SiteExtras& extras, ExtraSettings& settings)
{
    if (extras.IPv6Mode.empty())
        return;
    const auto mode = ParseIPv6Mode(extras.IPv6Mode);
    if (!mode) {
        settings.InvalidKeys.emplace_back("IPv6Mode");
        return;
    }
    if (*mode != IPv6Mode::Static) {
        settings.Mode = *mode;
        return;
    }
    // Static: the addresses are required, and one bad value keeps the whole step from running.
    const std::size_t before = settings.InvalidKeys.size();
    auto addresses = parseIPv6Addresses(extras.IPv6Address);
    if (!addresses)
        settings.InvalidKeys.emplace_back("IPv6Address");
    const auto gateway = extras.IPv6Gateway.empty() ? std::optional<IPv6Groups>() : hostIPv6(extras.IPv6Gateway);
    if (!extras.IPv6Gateway.empty() && !gateway)
        settings.InvalidKeys.emplace_back("IPv6Gateway");
    auto servers = extras.IPv6DNS.empty() ? std::optional<std::vector<std::string>>(std::vector<std::string>())
                                          : parseIPv6Servers(extras.IPv6DNS);
    if (!servers)
        settings.InvalidKeys.emplace_back("IPv6DNS");
    if (settings.InvalidKeys.size() != before)
        return;
    settings.Mode = IPv6Mode::Static;
    settings.IPv6Addresses = std::move(*addresses);
    settings.IPv6Gateway = gateway ? FormatIPv6(*gateway) : std::string();
    settings.IPv6DNS = std::move(*servers);
}

// A number of seconds; a value out of range is skipped and the default stands.
void readSeconds(const std::string& text, const char* key, std::uint32_t most, std::uint32_t& seconds,
                 ExtraSettings& settings)
{
    if (text.empty())
        return;
    if (const auto value = parseNumber(text, 1, most))
        seconds = static_cast<std::uint32_t>(*value);
    else
        settings.InvalidKeys.emplace_back(key);
}

void readVerifyExtras(const store::SiteExtras& extras, ExtraSettings& settings)
{
    readSeconds(extras.RunTimeout, "RunTimeout", kMaxRunTimeout, settings.RunTimeoutSeconds, settings);
    readSeconds(extras.VerifyTimeout, "VerifyTimeout", kMaxVerifyTimeout, settings.VerifyTimeoutSeconds, settings);
    if (!extras.VerifyTCP.empty())
        readChecks(extras.VerifyTCP, isHostPort, settings.VerifyTCP, settings.SkippedProbes);
    if (!extras.VerifyDNS.empty())
        readChecks(extras.VerifyDNS, isNameCheck, settings.VerifyDNS, settings.SkippedProbes);
    if (extras.VerifyGateway == "1")
        settings.VerifyGateway = true;
    else if (!extras.VerifyGateway.empty() && extras.VerifyGateway != "0")
        settings.InvalidKeys.emplace_back("VerifyGateway");
}

// A text key taken whole when `valid`, else skipped.
void readText(const std::string& text, const char* key, bool (*valid)(std::string_view), std::string& target,
              ExtraSettings& settings)
{
    if (text.empty())
        return;
    if (valid(text))
        target = text;
    else
        settings.InvalidKeys.emplace_back(key);
}

void readConnections(const std::string& text, const char* key, std::vector<std::string>& target,
                     ExtraSettings& settings)
{
    if (text.empty())
        return;
    if (auto names = parseConnectionNames(text))
        target = std::move(*names);
    else
        settings.InvalidKeys.emplace_back(key);
}

void readNetworkAround(const store::SiteProfile& site, ExtraSettings& settings)
{
    const store::SiteExtras& extras = site.Extras;
    // Only "0" turns the check off: a value that cannot be read leaves on what guards against
    // taking another host's address.
    if (!extras.CheckAddress.empty() && extras.CheckAddress != "0" && extras.CheckAddress != "1")
        settings.InvalidKeys.emplace_back("CheckAddress");
    settings.CheckAddress = !site.DHCPEnabled && extras.CheckAddress != "0";
    readText(extras.WiFi, "WiFi", isSsid, settings.WiFi, settings);
    readConnections(extras.ConnectOnApply, "ConnectOnApply", settings.ConnectOnApply, settings);
    readConnections(extras.DisconnectOnApply, "DisconnectOnApply", settings.DisconnectOnApply, settings);
    readText(extras.FirewallZone, "FirewallZone", isZoneName, settings.FirewallZone, settings);
    readText(extras.Hostname, "Hostname", isHostname, settings.Hostname, settings);
}

} // namespace

bool IsTrustingZone(std::string_view zone)
{
    for (const std::string_view trusting : { "trusted", "home", "work", "private" })
        if (EqualsNoCase(zone, trusting))
            return true;
    return false;
}

ExtraSettings ReadExtraSettings(const store::SiteProfile& site)
{
    ExtraSettings settings;
    if (!site.DHCPEnabled)
        readIPv4Extras(site, settings);
    if (!site.Extras.DNSSuffix.empty()) {
        if (isDomainName(site.Extras.DNSSuffix))
            settings.DNSSuffix = site.Extras.DNSSuffix;
        else
            settings.InvalidKeys.emplace_back("DNSSuffix");
    }
    readIPv6Extras(site.Extras, settings);
    readVerifyExtras(site.Extras, settings);
    readNetworkAround(site, settings);
    return settings;
}

} // namespace lanvex::net
