#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Text forms the adapter configuration class uses, checked strictly: the texts come from a settings
// file a user may have edited by hand, so anything that is not exactly an address is refused.
namespace lanvex::net::nm {

// A dotted quad of four decimal parts 0..255 (leading zeros read as decimal, surrounding blanks
// ignored), in host byte order.
std::optional<std::uint32_t> ParseIPv4(std::string_view text);
std::string FormatIPv4(std::uint32_t address);

// The prefix length of a dotted subnet mask; nothing for a text that is not an address or a mask
// whose one bits are not contiguous from the left.
std::optional<int> MaskToPrefix(std::string_view mask);
std::string PrefixToMask(int prefix);

// Whether `address` may be given to an interface in a subnet of `prefix` bits: not in 0/8,
// loopback, multicast or reserved space, and not the subnet's network or broadcast address.
bool IsHostAddress(std::uint32_t address, int prefix);
bool SameSubnet(std::uint32_t a, std::uint32_t b, int prefix);

// A hardware address as six upper-case hex pairs joined by ":"; nothing for other shapes.
std::optional<std::string> FormatMACAddress(std::string_view hardwareAddress);

// Whether `query` asks for the IP-enabled adapter configurations (letter case and spacing free).
bool IsAdapterQuery(std::string_view query);

// The Index of an object path "Win32_NetworkAdapterConfiguration.Index=N"; nothing for other paths.
std::optional<std::int64_t> ParseAdapterPath(std::string_view path);

// Equality ignoring ASCII letter case, as the service treats class, property and method names.
bool EqualsNoCase(std::string_view a, std::string_view b);

} // namespace lanvex::net::nm
