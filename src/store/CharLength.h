#pragma once

#include <cstddef>
#include <string_view>

namespace lanvex::store {

// Length of the character that starts at `pos` of code page 936 bytes: 2 for a lead byte followed
// by a valid trail byte, else 1. A trail byte may be "[", "\", "]" or an ASCII letter, so every
// scan of such bytes must step by this.
std::size_t Cp936CharLength(std::string_view bytes, std::size_t pos);

// Length of the well-formed UTF-8 character that starts at `pos`, or 0 when none does there.
std::size_t Utf8CharLength(std::string_view text, std::size_t pos);

} // namespace lanvex::store
