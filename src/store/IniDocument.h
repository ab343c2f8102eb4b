#pragma once

#include <cstddef>
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
//
// One parse builds an index of sections and keys, so a lookup costs O(1) on average and reading
// every key of a file costs about the size of the file.
class IniDocument
{
public:
    // Longest value a read returns, in bytes of code page 936.
    static constexpr std::size_t kMaxReadBytes = 143;

    static IniDocument Parse(std::string_view fileBytes);

    // The keys of one section, its name matched once: for reading many keys of a section.
    // Valid until the document changes.
    class SectionReader
    {
    public:
        std::optional<std::string> Value(std::string_view key) const;
        std::string ReadString(std::string_view key, std::string_view fallback) const;
        std::int16_t ReadInt(std::string_view key, std::int32_t fallback) const;

    private:
        friend class IniDocument;
        const IniDocument* doc_ = nullptr;
        std::size_t section_ = 0; // 0: no such section (or no document: a default-made reader)
    };
    SectionReader ReadSection(std::string_view section) const;

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
        // The line's bytes, terminator included: a range of the parsed text, or a whole string of
        // `rewritten_` once an edit has replaced or added the line.
        std::size_t begin = 0, length = 0;
        std::size_t rewritten = kNotRewritten;
        LineKind kind = LineKind::Other;
        // Ranges within the line: the trimmed section name of a header, or the trimmed key and
        // value of a key line.
        std::size_t nameBegin = 0, nameEnd = 0, valueBegin = 0, valueEnd = 0;
    };
    struct Section
    {
        // Lines of the section, its header first; the lines before the first header form
        // section 0, which has no header and which no name reaches.
        std::vector<Line> lines;
    };
    // One slot of the open-addressing tables that find sections (line unused) and keys.
    struct Slot
    {
        std::uint64_t hash = 0;
        std::uint32_t section = 0; // 0: empty slot
        std::uint32_t line = 0;
    };
    static constexpr std::size_t kNotRewritten = static_cast<std::size_t>(-1);

    std::string_view raw(const Line& line) const;
    std::string_view name(const Line& line) const;
    Line makeLine(std::size_t begin, std::size_t length, std::size_t contentBegin) const;
    Line addLine(std::string bytes);
    std::size_t findSection(std::string_view foldedName) const;
    const Line* findKey(std::size_t section, std::string_view key) const;
    std::optional<std::string> foldedName(std::string_view utf8Name) const;
    std::string fold(std::string_view fileBytes) const;
    std::uint64_t foldedHash(std::string_view fileBytes) const;
    bool sameFolded(std::string_view fileBytes, std::string_view folded) const;
    void indexSection(std::uint32_t section);
    void indexKey(std::uint32_t section, std::uint32_t line);
    void rebuildIndex();
    void terminate(Line& line);
    const Line* firstLine() const;

    std::string text_; // the parsed bytes
    std::vector<std::string> rewritten_; // lines an edit replaced or added
    std::vector<Section> sections_; // sections_[0] holds the lines before the first header
    std::vector<Slot> sectionSlots_, keySlots_;
    std::size_t sectionCount_ = 0, keyCount_ = 0;
    bool utf8_ = false;
    std::string newline_ = "\r\n"; // the file's own line end, used for added lines
};

} // namespace lanvex::store
