#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lanvex::store {

// The system's ANSI code page, the encoding of a settings file without a byte-order mark: on
// Windows the code page the profile functions use (936 on a Chinese system), elsewhere code page
// 936 as Windows defines it.

// Never fails: a character that does not decode becomes U+FFFD and is skipped whole.
std::string AnsiToUtf8(std::string_view bytes);

// nullopt when `utf8` holds a character the code page cannot represent exactly: no best-fit
// mapping, no "?". `utf8` must be valid UTF-8.
std::optional<std::string> Utf8ToAnsi(std::string_view utf8);

} // namespace lanvex::store
