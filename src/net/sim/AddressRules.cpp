#include "net/sim/AddressRules.h"

namespace lanvex::net::sim {

std::optional<std::uint32_t> ParseDottedQuad(std::string_view text)
{
    std::uint32_t address = 0;
    int parts = 0;
    std::size_t pos = 0;
    while (true) {
        std::size_t digits = 0;
        std::uint32_t part = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            if (++digits > 3)
                return std::nullopt;
            part = part * 10 + static_cast<std::uint32_t>(text[pos] - '0');
            ++pos;
        }
        if (digits == 0 || part > 255)
            return std::nullopt;
        address = (address << 8) | part;
        if (++parts == 4)
            break;
        if (pos >= text.size() || text[pos] != '.')
            return std::nullopt;
        ++pos;
    }
    if (pos != text.size())
        return std::nullopt;
    return address;
}

std::optional<std::uint32_t> ParseSubnetMask(std::string_view text)
{
    const auto mask = ParseDottedQuad(text);
    if (!mask || *mask == 0)
        return std::nullopt;
    // Contiguous: the inverted mask plus one is a power of two (or wraps to zero for /32).
    const std::uint32_t hostBits = ~*mask;
    if ((hostBits & (hostBits + 1)) != 0)
        return std::nullopt;
    return mask;
}

bool IsUsableHostAddress(std::string_view text, std::optional<std::uint32_t> mask)
{
    const auto address = ParseDottedQuad(text);
    if (!address)
        return false;
    const std::uint32_t first = *address >> 24;
    if (first == 0 || first == 127 || first >= 224)
        return false;
    if (mask) {
        const std::uint32_t hostBits = ~*mask;
        // /31 and /32 nets have no network or broadcast address of their own.
        if (hostBits >= 3) {
            const std::uint32_t host = *address & hostBits;
            if (host == 0 || host == hostBits)
                return false;
        }
    }
    return true;
}

} // namespace lanvex::net::sim
