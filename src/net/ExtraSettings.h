#pragma once

#include "store/SiteProfile.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The optional site keys after the twelve: their text forms, their checks and what the apply takes
// from them. A site may come from a file edited by hand, so every value is checked as strictly as
// the editor checks an address, and a value that fails is skipped whole, never applied in part.
namespace lanvex::net {

enum class IPv6Mode
{
    Keep, // IPv6 is left as it is
    Auto, // router advertisements and DHCPv6
    Static,
    Off,
};

// An IPv6 address as eight 16-bit groups, the first group first.
using IPv6Groups = std::array<std::uint16_t, 8>;

// Eight hex groups of one to four digits joined by ":", with at most one "::" standing for one or
// more zero groups and optionally a dotted quad in place of the last two; no zone, no blanks.
std::optional<IPv6Groups> ParseIPv6(std::string_view text);
// The canonical text (lower case, no leading zeros, the longest run of two or more zero groups as "::").
std::string FormatIPv6(const IPv6Groups& address);

inline constexpr std::uint32_t kDefaultRunTimeout = 60, kMaxRunTimeout = 3600;
inline constexpr std::uint32_t kDefaultVerifyTimeout = 10, kMaxVerifyTimeout = 120;

// A TCP check's target: "host:port" with a host name, an IPv4 address or "[IPv6 address]", and a
// port from 1 to 65535.
struct HostPort
{
    std::string host; // without the brackets
    std::uint16_t port = 0;
};
std::optional<HostPort> ParseHostPort(std::string_view text);

// A name check's target: "name", which must resolve, or "name=address", which must resolve to it.
struct NameCheck
{
    std::string name;
    std::string address; // empty: any address will do
};
std::optional<NameCheck> ParseNameCheck(std::string_view text);

// What the apply takes from a site's optional keys. Keys without a value give the defaults, which
// ask for no step the apply did not take before.
struct ExtraSettings
{
    // EnableStatic's arrays after the site's own address: from MoreIP.
    std::vector<std::string> MoreAddresses, MoreMasks;
    std::int64_t GatewayMetric = 1;
    // SetGateways' arrays after DefaultGateway: from MoreGateways.
    std::vector<std::string> MoreGateways;
    std::vector<std::int64_t> MoreMetrics;
    std::string DNSSuffix;
    IPv6Mode Mode = IPv6Mode::Keep;
    std::vector<std::string> IPv6Addresses; // "address/prefix", canonical
    std::string IPv6Gateway; // canonical, or empty
    std::vector<std::string> IPv6DNS; // canonical
    // How long a site's program may run before it is ended, with everything it started.
    std::uint32_t RunTimeoutSeconds = kDefaultRunTimeout;
    // The checks after the apply: "host:port" targets, "name" or "name=address" targets, the
    // default gateway, and the time they all have together.
    std::vector<std::string> VerifyTCP, VerifyDNS;
    bool VerifyGateway = false;
    std::uint32_t VerifyTimeoutSeconds = kDefaultVerifyTimeout;
    // The items of VerifyTCP and VerifyDNS that name nothing to check: skipped, never probed.
    std::vector<std::string> SkippedProbes;
    // The network around the adapter: whether a static site's addresses are probed on the link
    // before the change (unless CheckAddress is "0"), the Wi-Fi network joined first, the system
    // connections brought down before the change and up after it, the firewall zone and the
    // computer's name. Empty texts and lists ask for nothing.
    bool CheckAddress = false;
    std::string WiFi;
    std::vector<std::string> DisconnectOnApply, ConnectOnApply;
    std::string FirewallZone;
    std::string Hostname;
    // The keys whose values were refused and are skipped, in the order of the keys.
    std::vector<std::string> InvalidKeys;

    bool Verifies() const { return VerifyGateway || !VerifyTCP.empty() || !VerifyDNS.empty(); }
};

// The firewall zones that trust the network more than a public one does: a site that sets one, or
// that brings a connection down, lowers the computer's protection.
bool IsTrustingZone(std::string_view zone);

// Why the value of an optional key cannot be used, for the user; nothing when it can (an empty
// value always can). `site` gives the values the check depends on: the number of gateways.
std::optional<const char*> ExtraValueProblem(const store::SiteProfile& site, std::string_view key,
                                             std::string_view value);

// Where a list of pairs (MoreIP, MoreGateways, IPv6Address) first fails, for pointing at it: the
// item, counted from 0, and its part (0 before the separator, 1 after). An item whose parts both
// have their form but that repeats another or is one too many is the first part's fault. Nothing
// when the value passes, or for another key.
struct ListFault
{
    std::size_t item = 0;
    int part = 0;
};
std::optional<ListFault> FindListFault(const store::SiteProfile& site, std::string_view key, std::string_view value);

// The optional keys of a site as the apply uses them. The IPv6 keys count as one setting: one bad
// value among them skips the whole IPv6 step. IPv4 keys are taken only for a static site.
ExtraSettings ReadExtraSettings(const store::SiteProfile& site);

// The IPv6 mode a key's text names, letter case ignored; nothing for anything else.
std::optional<IPv6Mode> ParseIPv6Mode(std::string_view text);
std::string_view IPv6ModeName(IPv6Mode mode);

} // namespace lanvex::net
