#include "store/TextCodec.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace lanvex::store {

namespace {

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// One iconv descriptor per direction and thread; opening one costs far more than a conversion.
class Converter
{
public:
    Converter(const char* to, const char* from)
        : cd_(iconv_open(to, from))
    { }
    ~Converter()
    {
        if (valid())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts `in`. At a character that does not convert, `substitute(offset, out)` appends what
    // stands for it and returns the bytes it took, or 0 to give up.
    template <typename Substitute>
    bool convert(std::string_view in, std::string& out, bool strict, Substitute substitute)
    {
        if (!valid())
            return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        out.clear();
        out.reserve(in.size() * 2);
        char* inPtr = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t result = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (result != static_cast<std::size_t>(-1))
                continue;
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL (a sequence cut short at the end).
            const std::size_t length
                = std::min(inLeft, substitute(static_cast<std::size_t>(inPtr - const_cast<char*>(in.data())), out));
            if (length == 0)
                return false;
            inPtr += length;
            inLeft -= length;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        if (iconv(cd_, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1) && strict)
            return false;
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        return true;
    }

private:
    iconv_t cd_;
};

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The user-defined areas of code page 936, which Windows maps onto the private use area from
// U+E000 on and iconv leaves unmapped: lead bytes, trail bytes and the first code point of each.
struct UserArea
{
    unsigned char firstLead, lastLead;
    bool lowTrails; // trails 40-7E and 80-A0; else A1-FE
    char32_t first;
};
constexpr UserArea kUserAreas[] = {
    { 0xAA, 0xAF, false, 0xE000 },
    { 0xF8, 0xFE, false, 0xE234 },
    { 0xA1, 0xA7, true, 0xE4C6 },
};

// Position of a trail byte within its area's row, or -1 when the byte is no trail there.
int trailIndex(unsigned char trail, bool lowTrails)
{
    if (!lowTrails)
        return trail >= 0xA1 && trail <= 0xFE ? trail - 0xA1 : -1;
    if (trail >= 0x40 && trail <= 0x7E)
        return trail - 0x40;
    return trail >= 0x80 && trail <= 0xA0 ? trail - 0x80 + 63 : -1;
}

// The code point of a user-defined character at `pos`, or 0.
char32_t userCharFromCp936(std::string_view bytes, std::size_t pos)
{
    if (pos + 1 >= bytes.size())
        return 0;
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    const auto trail = static_cast<unsigned char>(bytes[pos + 1]);
    for (const UserArea& area : kUserAreas) {
        const int index = trailIndex(trail, area.lowTrails);
        if (lead >= area.firstLead && lead <= area.lastLead && index >= 0)
            return area.first + static_cast<char32_t>((lead - area.firstLead) * (area.lowTrails ? 96 : 94) + index);
    }
    return 0;
}

// The two bytes of a private-use code point that stands for a user-defined character, or "".
std::string userCharToCp936(char32_t code)
{
    for (const UserArea& area : kUserAreas) {
        const int perLead = area.lowTrails ? 96 : 94;
        const char32_t end = area.first + static_cast<char32_t>((area.lastLead - area.firstLead + 1) * perLead);
        if (code < area.first || code >= end)
            continue;
        const auto offset = static_cast<int>(code - area.first);
        const int index = offset % perLead;
        const int trail = !area.lowTrails ? 0xA1 + index : index < 63 ? 0x40 + index : 0x80 + index - 63;
        return { static_cast<char>(area.firstLead + offset / perLead), static_cast<char>(trail) };
    }
    return {};
}

Converter& toUtf8()
{
    thread_local Converter converter("UTF-8", "CP936");
    return converter;
}

Converter& fromUtf8()
{
    thread_local Converter converter("CP936", "UTF-8");
    return converter;
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
    std::string out;
    // An unknown character is skipped whole, as the reads cut the text: a cut text then always
    // decodes to the start of the whole one.
    if (toUtf8().convert(bytes, out, false, [&](std::size_t offset, std::string& text) {
            if (const char32_t code = userCharFromCp936(bytes, offset)) {
                text += static_cast<char>(0xE0 | (code >> 12));
                text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                text += static_cast<char>(0x80 | (code & 0x3F));
                return std::size_t(2);
            }
            text.append(kReplacement);
            return Cp936CharLength(bytes, offset);
        }))
        return out;
    // No converter on this system: keep what is plain ASCII and mark the rest as unreadable.
    out.clear();
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) < 0x80)
            out.push_back(c);
        else
            out.append(kReplacement);
    }
    return out;
}

std::optional<std::string> EncodeFileText(std::string_view utf8, bool utf8File)
{
    if (isAscii(utf8))
        return std::string(utf8);
    if (!IsValidUtf8(utf8))
        return std::nullopt;
    if (utf8File)
        return std::string(utf8);
    std::string out;
    const bool converted = fromUtf8().convert(utf8, out, true, [&](std::size_t offset, std::string& bytes) {
        if (Utf8CharLength(utf8, offset) != 3)
            return std::size_t(0);
        const auto byte
            = [&](std::size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(utf8[offset + i])); };
        const std::string pair = userCharToCp936(((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F));
        bytes += pair;
        return pair.empty() ? std::size_t(0) : std::size_t(3);
    });
    if (!converted)
        return std::nullopt;
    return out;
}

} // namespace lanvex::store
