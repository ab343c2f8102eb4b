#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lanvex::store {

// A private-profile (INI) file held in memory with the semantics of the Windows profile
// functions. Every line keeps its original bytes, so an edit rewrites only the lines it touches.
// Names and values cross this interface as UTF-8; the bytes are code page 936 unless the file
// starts with a UTF-8 byte-order mark.
class IniDocument
{
public:
    static IniDocument Parse(std::string_view fileBytes);

    // The whole stored value (blanks and one pair of quotes stripped), or nullopt when the
    // section or key is missing.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    // Value cut to at most 143 bytes in the file's code page (never inside a character);
    // `fallback` when missing or empty.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback) const;
    // Leading blanks, optional sign, decimal digits; clamped to the 16-bit range.
    std::int16_t ReadInt(std::string_view section, std::string_view key, std::int32_t fallback) const;

    // Sets key=value. False (and no change) when the text cannot be stored faithfully: CR or LF
    // anywhere, "=" in the key, "]" in the section, empty section or key, or characters the file's
    // code page cannot represent.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInt(std::string_view section, std::string_view key, std::int32_t value);
    // Removes the first section of that name with its lines; true also when there was none.
    bool DeleteSection(std::string_view section);

    std::string Serialize() const;

private:
    struct Line;
    std::vector<std::string> lines_; // raw bytes of each line, terminator included
    bool utf8_ = false;
    // Implementation detail: an index built once per parse (section -> line ranges).
    // Filled in by the implementation.
};

} // namespace lanvex::store
