#include "store/TextCodec.h"

#include "store/AnsiCodePage.h"

#include <algorithm>

namespace lanvex::store {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

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

bool IsValidUtf8(std::string_view text)
{
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = Utf8CharLength(text, pos);
        if (length == 0)
            return false;
        pos += length;
    }
    return true;
}

std::string DecodeFileText(std::string_view bytes, bool utf8File)
{
    if (isAscii(bytes))
        return std::string(bytes);
    if (utf8File) {
        std::string out;
        out.reserve(bytes.size());
        for (std::size_t pos = 0; pos < bytes.size();) {
            const std::size_t length = Utf8CharLength(bytes, pos);
            if (length == 0) {
                out.append(kReplacement);
                ++pos;
            } else {
                out.append(bytes.substr(pos, length));
                pos += length;
            }
        }
        return out;
    }
    return AnsiToUtf8(bytes);
}

std::optional<std::string> EncodeFileText(std::string_view utf8, bool utf8File)
{
    if (isAscii(utf8))
        return std::string(utf8);
    if (!IsValidUtf8(utf8))
        return std::nullopt;
    if (utf8File)
        return std::string(utf8);
    return Utf8ToAnsi(utf8);
}

} // namespace lanvex::store
