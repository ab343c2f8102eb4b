#include "store/TextCodec.h"

#include "store/AnsiCodePage.h"
#include "store/CharLength.h"

#include <algorithm>

namespace lanvex::store {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

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
