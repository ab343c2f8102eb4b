#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lanvex::store {

// A private-profile (INI) file held in memory with the semantics of the Windows profile
// functions. Every line keeps its original bytes, so an edit rewrites only the lines it touches.
// Names and values cross this interface as UTF-8; the bytes are code page 936 unless the file
// starts with a UTF-8 byte-order mark.
//
// One parse builds an index of sections and keys, so a lookup costs O(1) on average and reading
// every key of a file costs about the size of the file.
class IniDocument
{
public:
    // Longest value a read returns, in bytes of code page 936.
    static constexpr std::size_t kMaxReadBytes = 143;

    static IniDocument Parse(std::string_view fileBytes);

    // The whole stored value (blanks and one pair of quotes stripped), or nullopt when the
    // section or key is missing.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    // Value cut to at most 143 bytes in the file's code page (never inside a character);
    // `fallback` when missing or empty.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback) const;
    // Leading blanks, optional sign, decimal digits; clamped to the 16-bit range.
    std::int16_t ReadInt(std::string_view section, std::string_view key, std::int32_t fallback) const;

    // Sets key=value. False (and no change) when the text cannot be stored faithfully: CR, LF or
    // NUL anywhere, "=" in the key or a key that would read as a comment or a section, "]" in the
    // section, empty section or key, or characters the file's code page cannot represent.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInt(std::string_view section, std::string_view key, std::int32_t value);
    // Removes the first section of that name with its lines; true also when there was none.
    bool DeleteSection(std::string_view section);

    bool HasSection(std::string_view section) const;
    bool IsUtf8() const { return utf8_; }

    std::string Serialize() const;

private:
    enum class LineKind : std::uint8_t
    {
        Other,
        Header,
        Key
    };
    struct Line
    {
        std::string raw; // the line's bytes, terminator included
        LineKind kind = LineKind::Other;
        // Byte ranges of `raw`: the trimmed section name of a header, or the trimmed key and value
        // of a key line.
        std::size_t keyBegin = 0, keyEnd = 0, valueBegin = 0, valueEnd = 0;
    };
    struct Section
    {
        // Lines of the section, its header first; the lines before the first header form a
        // section without a header that no name reaches.
        std::vector<Line> lines;
        bool hasHeader = false;
        std::unordered_map<std::string, std::size_t> keys; // folded key -> first line with it
    };

    static Line makeLine(std::string raw, std::size_t contentBegin, bool cp936);
    const Line* findKey(std::string_view section, std::string_view key) const;
    std::optional<std::string> foldedName(std::string_view utf8Name) const;
    std::string fold(std::string_view fileBytes) const;
    void indexSection(std::size_t sectionIndex);
    void rebuildIndex();
    std::string_view newline() const;

    std::vector<Section> sections_; // sections_[0] holds the lines before the first header
    std::unordered_map<std::string, std::size_t> sectionIndex_; // folded name -> first section
    bool utf8_ = false;
    std::string newline_ = "\r\n"; // the file's own line end, used for added lines
};

} // namespace lanvex::store
