#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The adapter configuration class as every backend presents it: its method names and result codes,
// and the text forms of the values it takes and gives. Address texts are checked strictly: they
// come from a settings file a user may have edited by hand, so anything that is not exactly an
// address is refused rather than guessed at.
namespace lanvex::net {

// Method results, numbered as the adapter configuration class numbers them.
enum MethodResult : std::uint32_t
{
    kSuccess = 0,
    kNotSupported = 64,
    kUnknownFailure = 65,
    kInvalidSubnetMask = 66,
    kInvalidParameter = 68,
    kTooManyGateways = 69,
    kInvalidAddress = 70,
    kInvalidGateway = 71,
    kUnableToConfigure = 80, // the change did not become live in time
    kLeaseNotObtained = 82,
    kAccessDenied = 91,
    kNotConfigurable = 95, // e.g. a Wi-Fi device without any profile to change
    // Not a code of the class: the service stopped answering, so whether the change took effect
    // cannot be known.
    kResultUnknown = 0x7FFF0001,
    // Not a code of the class either: the change is saved, but it did not become live (no link, no
    // lease); the system applies it when it can.
    kResultSavedNotLive = 0x7FFF0002,
    // Not codes of the class: the system holds no saved profile (Wi-Fi network, VPN connection) of
    // that name; the Wi-Fi network is not in range; the change is saved and takes effect when the
    // computer restarts (the computer's name on Windows).
    kProfileNotFound = 0x7FFF0003,
    kNetworkNotInRange = 0x7FFF0004,
    kResultAfterRestart = 0x7FFF0005,
};

// Limits of SetGateways: gateways per call, and the range of a gateway's cost metric.
constexpr std::size_t kMaxGateways = 5;
constexpr std::int64_t kMinGatewayMetric = 1;
constexpr std::int64_t kMaxGatewayMetric = 9999;

// The methods the adapter configuration class offers, and the IPv6 ones, which the adapter object
// takes under the names of the classes that do them on Windows (namespace root/StandardCimv2):
// - DisableIPv6 (): IPv6 off on the adapter.
// - EnableIPv6 (): IPv6 on and configured automatically (router advertisements, DHCPv6); manual
//   addresses, the manual default route and manual DNS servers removed.
// - SetIPv6Addresses (texts "address/prefix"): IPv6 on with exactly these manual addresses and no
//   automatic configuration.
// - SetIPv6Gateway (text): the default route's next hop; empty removes the manual default route.
// - SetIPv6DNSServers (texts): the IPv6 DNS servers (the instance's ServerAddresses, put back);
//   empty removes them.
// The read-back properties beside the class's own are "IPv6Mode" (auto, static or off),
// "IPv6Address" (texts "address/prefix"), "IPv6Gateway" and "IPv6DNS" (texts).
// The network the adapter is on adds "GatewayMAC" (the first IPv4 default gateway's MAC address
// from the neighbour table), "SSID" (the Wi-Fi network joined) and "DHCPDNSDomain" (the DNS domain
// the network's DHCP server gave; empty when it gave none). "DNSDomain" stays the connection's own
// suffix, the one SetDNSDomain sets; a service without "DHCPDNSDomain" has no better answer than it.
//
// The network around the adapter, taken by the adapter object too:
// - ConnectWiFi (text SSID): joins the Wi-Fi network with the profile the system holds for it;
//   kProfileNotFound without one, kNetworkNotInRange when the network cannot be seen.
// - ActivateConnection, DeactivateConnection (text name): brings a system connection (VPN,
//   WireGuard) up or down by its name; kProfileNotFound for a name the system does not know. A
//   connection already up (or down) is left so, with 0.
// - SetFirewallZone (text zone): the firewall zone of the adapter's connection, "public" or
//   "private" on Windows; empty gives the system's default back.
// - SetHostname (text name): the computer's name; kResultAfterRestart where it takes effect only
//   after a restart.
// Read back as "FirewallZone" (the zone; empty for the default) and "DNSHostName" (the computer's
// name, a property of the class itself).
enum class AdapterMethod
{
    EnableDHCP,
    EnableStatic,
    SetGateways,
    SetDNSServerSearchOrder,
    SetWINSServer,
    SetDNSDomain,
    DisableIPv6,
    EnableIPv6,
    SetIPv6Addresses,
    SetIPv6Gateway,
    SetIPv6DNSServers,
    ConnectWiFi,
    ActivateConnection,
    DeactivateConnection,
    SetFirewallZone,
    SetHostname,
};

// The method a name calls, letter case ignored as the service ignores it; nothing for other names.
std::optional<AdapterMethod> FindAdapterMethod(std::string_view name);
// The method's name as the class spells it.
std::string_view MethodName(AdapterMethod method);

// Equality ignoring ASCII letter case, as the service treats class, property and method names.
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// A dotted quad of exactly four decimal parts, each 0..255 with any number of leading zeros (read as
// decimal, never octal; no blanks, signs or other notations), in host byte order.
std::optional<std::uint32_t> ParseIPv4(std::string_view text);
std::string FormatIPv4(std::uint32_t address);

// The prefix length (1..32) of a subnet mask the service accepts: a dotted quad whose one bits are
// contiguous from the left and not all zero. Nothing for anything else.
std::optional<int> ParseSubnetMask(std::string_view mask);
// The dotted mask of a prefix length 0..32.
std::string PrefixToMask(int prefix);

// Whether `address` may be given to an interface in a subnet of `prefix` bits: not in 0/8,
// loopback, multicast or reserved space, and, for subnets of /30 or wider, not the subnet's network
// or broadcast address. A gateway is judged with prefix 32.
bool IsHostAddress(std::uint32_t address, int prefix);
// Whether `address` may name a server such as a DNS server: not in 0/8, multicast or reserved
// space. A loopback address is allowed: a resolver on the machine itself is a real setup.
bool IsServerAddress(std::uint32_t address);
bool SameSubnet(std::uint32_t a, std::uint32_t b, int prefix);

// A hardware address as six upper-case hex pairs joined by ":" (the form of the MACAddress
// property); accepts ":" or "-" between pairs and blanks around, nothing for other shapes.
std::optional<std::string> FormatMACAddress(std::string_view hardwareAddress);

// Whether two texts are the same hardware address, letter case and separators aside; an empty or
// malformed text is no address.
bool SameMACAddress(std::string_view a, std::string_view b);

// A Wi-Fi network's name as text. An SSID is bytes: UTF-8 is taken as it is, anything else is read
// in the system's ANSI code page (code page 936 on Chinese systems), as routers there name networks.
std::string SsidText(std::string_view ssid);

// Whether `moniker` names the management service ("winmgmts:" and whatever follows it).
bool IsServiceMoniker(std::string_view moniker);

// Whether `query` asks for the IP-enabled adapter configurations. Letter case and the amount of
// blank space between words are free, and blanks around "=" optional; the words themselves must
// stand as written.
bool IsAdapterQuery(std::string_view query);

// The Index of an object path "Win32_NetworkAdapterConfiguration.Index=N" (letter case free);
// nothing for other paths, including a sign, blanks or more than ten digits.
std::optional<std::int64_t> ParseAdapterPath(std::string_view path);

} // namespace lanvex::net
