#include "store/CharLength.h"

namespace lanvex::store {

std::size_t Utf8CharLength(std::string_view text, std::size_t pos)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char b0 = byte(pos);
    const std::size_t left = text.size() - pos;
    if (b0 < 0x80)
        return 1;
    const auto cont = [&](std::size_t i) { return pos + i < text.size() && (byte(pos + i) & 0xC0) == 0x80; };
    if (b0 >= 0xC2 && b0 <= 0xDF)
        return left >= 2 && cont(1) ? 2 : 0;
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (left < 3 || !cont(1) || !cont(2))
            return 0;
        const unsigned char b1 = byte(pos + 1);
        if ((b0 == 0xE0 && b1 < 0xA0) || (b0 == 0xED && b1 > 0x9F))
            return 0; // overlong or surrogate
        return 3;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (left < 4 || !cont(1) || !cont(2) || !cont(3))
            return 0;
        const unsigned char b1 = byte(pos + 1);
        if ((b0 == 0xF0 && b1 < 0x90) || (b0 == 0xF4 && b1 > 0x8F))
            return 0;
        return 4;
    }
    return 0;
}

std::size_t Cp936CharLength(std::string_view bytes, std::size_t pos)
{
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    if (lead < 0x81 || lead > 0xFE || pos + 1 >= bytes.size())
        return 1;
    const auto trail = static_cast<unsigned char>(bytes[pos + 1]);
    const bool validTrail = (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFE);
    return validTrail ? 2 : 1;
}

} // namespace lanvex::store
