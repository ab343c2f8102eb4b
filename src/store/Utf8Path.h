#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace lanvex::store {

// A file path from UTF-8 text, and back. A path built from a narrow string would be read in the
// ANSI code page on Windows, which breaks every name it cannot represent.
inline std::filesystem::path Utf8Path(std::string_view utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8Text(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace lanvex::store
