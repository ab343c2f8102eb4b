#include "store/AnsiCodePage.h"
#include "store/windows/WindowsText.h"

#include <windows.h>

namespace lanvex::store {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Decodes `bytes` whole; nullopt when any character does not decode.
std::optional<std::wstring> decodeStrict(std::string_view bytes)
{
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (length <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), length) != length)
        return std::nullopt;
    return wide;
}

std::size_t ansiCharLength(std::string_view bytes, std::size_t pos)
{
    return pos + 1 < bytes.size() && IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(bytes[pos])) ? 2 : 1;
}

} // namespace

std::string AnsiToUtf8(std::string_view bytes)
{
    if (bytes.empty())
        return {};
    if (const auto wide = decodeStrict(bytes))
        return windows::Narrow(*wide);
    // Some character does not decode: convert one character at a time and mark the bad ones, each
    // skipped whole, as the reads cut the text.
    std::string out;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t length = ansiCharLength(bytes, pos);
        if (const auto wide = decodeStrict(bytes.substr(pos, length)))
            out += windows::Narrow(*wide);
        else
            out.append(kReplacement);
        pos += length;
    }
    return out;
}

std::optional<std::string> Utf8ToAnsi(std::string_view utf8)
{
    if (GetACP() == CP_UTF8)
        return std::string(utf8);
    const std::wstring wide = windows::Widen(utf8);
    if (wide.empty())
        return std::string();
    const int size = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int length
        = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault)
        return std::nullopt;
    std::string out(static_cast<std::size_t>(length), '\0');
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, out.data(), length, nullptr, &usedDefault)
            != length
        || usedDefault)
        return std::nullopt;
    return out;
}

} // namespace lanvex::store
