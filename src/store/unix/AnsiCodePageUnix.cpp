// Code page 936 through glibc's iconv, with the table of the pairs Windows maps to private use.
#include "store/AnsiCodePage.h"
#include "store/CharLength.h"
#include "store/Cp936PrivateUse.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace lanvex::store {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

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

std::string AnsiToUtf8(std::string_view bytes)
{
    std::string out;
    // An unknown character is skipped whole, as the reads cut the text: a cut text then always
    // decodes to the start of the whole one.
    if (toUtf8().convert(bytes, out, false, [&](std::size_t offset, std::string& text) {
            if (const char32_t code = offset + 1 < bytes.size()
                    ? Cp936PrivateUseChar(static_cast<unsigned char>(bytes[offset]),
                                          static_cast<unsigned char>(bytes[offset + 1]))
                    : 0) {
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

std::optional<std::string> Utf8ToAnsi(std::string_view utf8)
{
    std::string out;
    const bool converted = fromUtf8().convert(utf8, out, true, [&](std::size_t offset, std::string& bytes) {
        if (Utf8CharLength(utf8, offset) != 3)
            return std::size_t(0);
        const auto byte
            = [&](std::size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(utf8[offset + i])); };
        const std::string pair
            = Cp936PrivateUseBytes(((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F));
        bytes += pair;
        return pair.empty() ? std::size_t(0) : std::size_t(3);
    });
    if (!converted)
        return std::nullopt;
    return out;
}

} // namespace lanvex::store
