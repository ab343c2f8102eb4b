#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lanvex::store {

// Conversions between the UTF-8 text the program works with and the bytes of the settings file:
// code page 936 (GBK), or UTF-8 when the file says so with a byte-order mark.

// File bytes to UTF-8. Never fails: a byte that does not decode becomes U+FFFD.
std::string DecodeFileText(std::string_view bytes, bool utf8File);

// UTF-8 to file bytes; nullopt when the text is not valid UTF-8 or holds a character the
// file's encoding cannot represent. Never substitutes "?".
std::optional<std::string> EncodeFileText(std::string_view utf8, bool utf8File);

bool IsValidUtf8(std::string_view text);

} // namespace lanvex::store
