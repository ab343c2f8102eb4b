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
// One parse builds an index of the sections, so finding a section costs O(1) on average; a key is
// found by reading its section's lines, and reading every key of a file costs about the size of
// the file.
class IniDocument
{
public:
    // Longest value a read returns, in bytes of code page 936.
    static constexpr std::size_t kMaxReadBytes = 143;

    // The most lines that may head a section ("[" first after blanks) in a file the program reads:
    // twice the most sites the list holds and room for other sections. Every section costs the
    // parsed file's index tens of bytes however short its header, so a file of nothing but headers
    // would otherwise cost ten times its size.
    static constexpr std::size_t kMaxSections = 200064;
    // Whether `fileBytes` has more such lines than kMaxSections; counted without parsing.
    static bool HasTooManySections(std::string_view fileBytes);

    static IniDocument Parse(std::string_view fileBytes);
    // The same, taking the bytes over instead of copying them.
    static IniDocument ParseOwned(std::string fileBytes);

    // A name or value given as the file's own bytes rather than as UTF-8: how a name that does not
    // decode is passed back, so that every rewrite keeps it byte for byte.
    struct FileBytes
    {
        std::string_view bytes;
    };

    // The keys of one section, its name matched once: for reading many keys of a section.
    // Valid until the document changes.
    class SectionReader
    {
    public:
        std::optional<std::string> Value(std::string_view key) const;
        std::string ReadString(std::string_view key, std::string_view fallback) const;
        std::int16_t ReadInt(std::string_view key, std::int32_t fallback) const;
        // The whole stored value as the file's bytes, undecoded.
        std::optional<std::string> StoredValue(std::string_view key) const;
        // The same without a copy, valid until the document changes.
        std::optional<std::string_view> StoredView(std::string_view key) const;
        // Which section the reader reads: equal for names of one section, 0 when there is none.
        std::size_t Identity() const { return section_; }

    private:
        friend class IniDocument;
        const IniDocument* doc_ = nullptr;
        std::size_t section_ = 0; // 0: no such section (or no document: a default-made reader)
    };
    SectionReader ReadSection(std::string_view section) const;
    SectionReader ReadSection(FileBytes section) const;

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
    // The same with the section named by its stored bytes; false also when those bytes would not
    // read back as that section's header.
    bool WriteString(FileBytes section, std::string_view key, std::string_view value);
    bool WriteInt(FileBytes section, std::string_view key, std::int32_t value);
    // Sets key to a value given as the file's bytes, written as they are.
    bool WriteStoredValue(std::string_view section, std::string_view key, FileBytes value);
    // Removes every line of the key from the first section of that name; true also when there was none.
    bool DeleteKey(std::string_view section, std::string_view key);
    bool DeleteKey(FileBytes section, std::string_view key);
    // Removes the first section of that name with its lines; true also when there was none.
    bool DeleteSection(std::string_view section);
    bool DeleteSection(FileBytes section);
    // Whether two names in the file's bytes name the same section (blanks and letter case ignored).
    bool SameSectionName(std::string_view a, std::string_view b) const;

    // The file's bytes as UTF-8 (an undecodable byte becomes U+FFFD), and back.
    std::string Decode(std::string_view fileBytes) const;
    std::optional<std::string> Encode(std::string_view utf8) const;

    bool HasSection(std::string_view section) const;
    bool IsUtf8() const { return utf8_; }

    std::string Serialize() const;
    // The same bytes in pieces, in order, without building them whole: `each` takes a piece and
    // returns false to stop, which makes WriteTo return false.
    template <typename Each> bool WriteTo(Each each) const;
    // The size Serialize would give.
    std::size_t SerializedSize() const;
    // Whether the edits left the bytes as they were parsed.
    bool Unchanged() const;
    // Whether the serialized bytes would have more section lines than kMaxSections.
    bool HasTooManySectionLines() const;
    // The bytes the document was parsed from, before any edit.
    const std::string& ParsedBytes() const { return text_; }

private:
    enum class LineKind : std::uint8_t
    {
        Other,
        Header,
        Key,
        // The lines of a section after its header, as one range, read line by line when a key is
        // looked up and taken apart into single lines only when an edit changes the section. The
        // document then costs little more than the file's bytes, whatever the file holds.
        Body,
        // Key lines an edit added one after the other at a section's end, kept as one range for
        // the same reason: an import adds a dozen to each of many new sections.
        Keys
    };
    struct Line
    {
        // The line's bytes, terminator included: a range of the parsed text, or of one block of
        // `added_` once an edit has replaced or added the line. 32 bits are plenty for a file the
        // program reads, and keep the record small; the ranges of a line's name and value are
        // found again when they are needed.
        std::uint32_t begin = 0, length = 0;
        std::uint32_t block = kParsed;
        LineKind kind = LineKind::Other;
        std::uint8_t contentBegin = 0; // 3 on the file's first line behind a byte-order mark
    };
    // One entry of the section index: the hash of a folded section name and the section.
    struct Slot
    {
        std::uint32_t hash = 0;
        std::uint32_t section = 0;
    };
    // A key line found in a section: its bytes and the range of its value.
    struct KeyLine
    {
        std::string_view raw;
        std::size_t valueBegin = 0, valueEnd = 0;
    };
    static constexpr std::uint32_t kParsed = static_cast<std::uint32_t>(-1);

    // Lines and their bytes (IniDocument.cpp).
    std::string_view raw(const Line& line) const;
    std::string_view name(const Line& line) const;
    Line lineAt(std::uint32_t block, std::size_t begin, std::size_t length, std::size_t contentBegin) const;
    Line addLine(std::string_view bytes);
    void addParsedLine(Line line);
    void terminate(Line& line);
    void terminateLast();
    const Line* firstLine() const;

    // Names, the section index and finding keys (IniDocumentLookup.cpp).
    std::size_t findSection(std::string_view foldedName) const;
    std::size_t findAddedSection(std::uint32_t hash, std::string_view folded) const;
    std::optional<KeyLine> findKey(std::size_t section, std::string_view key) const;
    std::optional<KeyLine> findKeyInRange(std::string_view text, std::string_view folded) const;
    std::optional<std::string> foldedName(std::string_view utf8Name) const;
    std::string fold(std::string_view fileBytes) const;
    std::uint64_t foldedHash(std::string_view fileBytes) const;
    bool sameFolded(std::string_view fileBytes, std::string_view folded) const;
    Slot slotOf(std::uint32_t section) const;
    void indexSection(std::uint32_t section);
    void placeAdded(const Slot& slot);
    void rebuildIndex();

    // Edits (IniDocumentEdit.cpp).
    bool appendToKeys(std::vector<Line>& lines, std::string_view bytes);
    void joinKeys(std::vector<Line>& lines, std::size_t i);
    std::string rewrittenKeyLine(std::string_view line, std::string_view value) const;
    void materialize(std::size_t section);
    void splitInto(std::vector<Line>& split, const Line& line) const;
    bool headerReadsBack(std::string_view sectionName) const;
    bool writeEncoded(std::string_view section, std::string_view key, std::string value);
    bool writeInSection(std::size_t section, std::string_view keyName, const std::string& encodedKey,
                        const std::string& value);
    bool replaceKey(std::vector<Line>& lines, const std::string& foldedKey, std::string_view value);
    void insertKey(std::vector<Line>& lines, const std::string& keyLine);
    void appendSection(std::string_view sectionName, const std::string& keyLine);
    std::string firstNewline() const;

    std::string text_; // the parsed bytes
    // The bytes of lines an edit replaced or added, in blocks that are never reallocated, so a
    // line's range stays valid and many small lines cost no more than their bytes.
    std::vector<std::string> added_;
    // Every line in file order, by section: section 0 holds the lines before the first header, has
    // no header and no name reaches it; every other section starts with its header.
    std::vector<std::vector<Line>> sections_;
    // The sections there were at the last full index, sorted by hash and then by section; the
    // sections added since are in an open-addressed table, so adding many costs no sorting.
    std::vector<Slot> sectionSlots_;
    std::vector<Slot> addedSlots_;
    std::size_t addedCount_ = 0;

    bool utf8_ = false;
    std::string newline_ = "\r\n"; // the file's own line end, used for added lines
};

template <typename Each> bool IniDocument::WriteTo(Each each) const
{
    // Lines that lie one after the other in the same bytes go out as one piece.
    std::uint32_t block = kParsed;
    std::size_t begin = 0, end = 0;
    for (const std::vector<Line>& lines : sections_) {
        for (const Line& line : lines) {
            if (line.block == block && line.begin == end && end != begin) {
                end += line.length;
                continue;
            }
            if (end != begin
                && !each(std::string_view(block == kParsed ? text_ : added_[block]).substr(begin, end - begin)))
                return false;
            block = line.block;
            begin = line.begin;
            end = begin + line.length;
        }
    }
    return end == begin || each(std::string_view(block == kParsed ? text_ : added_[block]).substr(begin, end - begin));
}

} // namespace lanvex::store
