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

    // Converts `in`; on a character that does not convert, either stops (strict) or writes
    // `replacement` and skips the character, `skip(offset)` bytes long.
    template <typename Skip>
    bool convert(std::string_view in, std::string& out, bool strict, std::string_view replacement, Skip skip)
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
            if (strict)
                return false;
            out.append(replacement);
            const std::size_t length
                = std::min(inLeft, skip(static_cast<std::size_t>(inPtr - const_cast<char*>(in.data()))));
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
    if (toUtf8().convert(bytes, out, false, kReplacement,
                         [&](std::size_t offset) { return Cp936CharLength(bytes, offset); }))
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
    if (!fromUtf8().convert(utf8, out, true, {}, [](std::size_t) { return std::size_t(1); }))
        return std::nullopt;
    return out;
}

} // namespace lanvex::store
