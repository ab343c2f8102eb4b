#include "store/IniDocument.h"

#include "store/TextCodec.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace lanvex::store {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// End of the line that starts at `pos`, its terminator ("\r\n", "\r" or "\n") included.
std::size_t lineEnd(std::string_view text, std::size_t pos)
{
    std::size_t end = pos;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n')
        ++end;
    if (end < text.size())
        end += (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
    return end;
}

bool isQuote(char c)
{
    return c == '"' || c == '\'';
}

std::size_t terminatorLength(std::string_view raw)
{
    if (raw.size() >= 2 && raw.substr(raw.size() - 2) == "\r\n")
        return 2;
    if (!raw.empty() && (raw.back() == '\r' || raw.back() == '\n'))
        return 1;
    return 0;
}

// The stored value as the profile functions return it: one matching pair of quotes removed, and
// nothing from the first NUL on.
std::string_view unquote(std::string_view value)
{
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    const auto nul = value.find('\0');
    return nul == std::string_view::npos ? value : value.substr(0, nul);
}

// The longest prefix of `value` that takes at most `limit` bytes in code page 936, never ending
// inside a character.
std::string_view cutToCp936Bytes(std::string_view value, bool utf8File, std::size_t limit)
{
    std::size_t pos = 0;
    std::size_t width = 0;
    while (pos < value.size()) {
        std::size_t length = 1;
        std::size_t cost = 1;
        if (utf8File) {
            // Counted as the decoder reads it: a byte that starts no character stands alone.
            const std::size_t sequence = Utf8CharLength(value, pos);
            length = sequence == 0 ? 1 : sequence;
            cost = length > 1 ? 2 : 1;
        } else {
            length = Cp936CharLength(value, pos);
            cost = length;
        }
        if (width + cost > limit)
            break;
        width += cost;
        pos += length;
    }
    return value.substr(0, pos);
}

struct Classified
{
    bool header = false, key = false;
    std::size_t nameBegin = 0, nameEnd = 0, valueBegin = 0, valueEnd = 0;
};

// Finds what a line is: a section header (with its name's range), a key line (with the ranges
// of its key and value, blanks trimmed) or anything else. Its text starts at `contentBegin`.
Classified classifyLine(std::string_view raw, std::size_t contentBegin, bool cp936)
{
    Classified c;
    const std::size_t end = raw.size() - terminatorLength(raw);
    const std::string_view text = raw.substr(0, end);
    std::size_t pos = std::min(contentBegin, end);
    while (pos < end && isBlank(raw[pos]))
        ++pos;
    if (pos == end || raw[pos] == ';')
        return c;
    const auto trimmedRange = [&](std::size_t from, std::size_t to, std::size_t& begin, std::size_t& finish) {
        while (from < to && isBlank(raw[from]))
            ++from;
        while (to > from && isBlank(raw[to - 1]))
            --to;
        begin = from;
        finish = to;
    };
    if (raw[pos] == '[') {
        // The name runs to the last "]"; a bracket byte inside a two-byte character does not count.
        std::size_t close = std::string_view::npos;
        for (std::size_t i = pos + 1; i < end;) {
            const std::size_t length = cp936 ? Cp936CharLength(text, i) : 1;
            if (length == 1 && raw[i] == ']')
                close = i;
            i += length;
        }
        if (close == std::string_view::npos)
            return c;
        c.header = true;
        trimmedRange(pos + 1, close, c.nameBegin, c.nameEnd);
        return c;
    }
    const auto equals = text.find('=', pos);
    if (equals == std::string_view::npos)
        return c;
    c.key = true;
    trimmedRange(pos, equals, c.nameBegin, c.nameEnd);
    trimmedRange(equals + 1, end, c.valueBegin, c.valueEnd);
    return c;
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Spreads every input bit over the low bits that pick a slot (the splitmix64 finaliser), so that
// the same key in consecutive sections does not crowd into neighbouring slots.
std::uint64_t spread(std::uint64_t x)
{
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBULL;
    x ^= x >> 31;
    return x;
}

} // namespace

std::string_view IniDocument::raw(const Line& line) const
{
    return std::string_view(line.block == kParsed ? text_ : added_[line.block]).substr(line.begin, line.length);
}

std::string_view IniDocument::name(const Line& line) const
{
    const std::string_view text = raw(line);
    const Classified c = classifyLine(text, line.contentBegin, !utf8_);
    return text.substr(c.nameBegin, c.nameEnd - c.nameBegin);
}

IniDocument::Line IniDocument::lineAt(std::uint32_t block, std::size_t begin, std::size_t length,
                                      std::size_t contentBegin) const
{
    Line line;
    line.block = block;
    line.begin = static_cast<std::uint32_t>(begin);
    line.length = static_cast<std::uint32_t>(length);
    line.contentBegin = static_cast<std::uint8_t>(contentBegin);
    const Classified c = classifyLine(raw(line), contentBegin, !utf8_);
    line.kind = c.header ? LineKind::Header : c.key ? LineKind::Key : LineKind::Other;
    return line;
}

namespace {

// Lines an edit writes go into blocks that start small, for the many documents that take one
// site, and double up to this size; a longer line gets a block of its own.
constexpr std::size_t kFirstBlockBytes = 512;
constexpr std::size_t kBlockBytes = std::size_t(64) << 10;

} // namespace

IniDocument::Line IniDocument::addLine(std::string_view bytes)
{
    if (added_.empty() || added_.back().capacity() - added_.back().size() < bytes.size()) {
        const std::size_t size
            = added_.empty() ? kFirstBlockBytes : std::min(kBlockBytes, 2 * added_.back().capacity());
        added_.emplace_back();
        added_.back().reserve(std::max(size, bytes.size()));
    }
    std::string& block = added_.back();
    const std::size_t begin = block.size();
    block += bytes; // within the capacity reserved: the block's bytes never move
    return lineAt(static_cast<std::uint32_t>(added_.size() - 1), begin, bytes.size(), 0);
}

// Adds a key line to the run of key lines that ends the section, when that run is the last thing
// written and its block has room, so that the new line costs only its bytes.
bool IniDocument::appendToKeys(std::vector<Line>& lines, std::string_view bytes)
{
    Line& last = lines.back();
    if ((last.kind != LineKind::Key && last.kind != LineKind::Keys) || last.block == kParsed
        || last.block + 1 != added_.size() || terminatorLength(raw(last)) == 0)
        return false;
    std::string& block = added_.back();
    if (last.begin + last.length != block.size() || block.capacity() - block.size() < bytes.size())
        return false;
    block += bytes;
    last.length += static_cast<std::uint32_t>(bytes.size());
    last.kind = LineKind::Keys;
    return true;
}

// The key line with another value, keeping the key as it is spelled in the file and the line's end.
std::string IniDocument::rewrittenKeyLine(std::string_view line, std::string_view value) const
{
    const Classified c = classifyLine(line, 0, !utf8_);
    std::string replaced(line.substr(c.nameBegin, c.nameEnd - c.nameBegin));
    replaced += '=';
    replaced += value;
    replaced += line.substr(line.size() - terminatorLength(line));
    return replaced;
}

// Joins a replaced key line to the key line before it when their bytes lie one after the other, as
// they do when a save replaces a section's keys in turn: the section then costs one record again,
// not one a line.
void IniDocument::joinKeys(std::vector<Line>& lines, std::size_t i)
{
    const std::size_t last = i;
    for (; i > 1; --i) {
        const Line& before = lines[i - 1];
        if ((before.kind != LineKind::Key && before.kind != LineKind::Keys) || before.block != lines[i].block
            || before.block == kParsed || before.begin + before.length != lines[i].begin
            || terminatorLength(raw(before)) == 0)
            break;
    }
    if (i == last)
        return;
    // Lines i to last lie one after the other: they become one run.
    Line& run = lines[i];
    for (std::size_t j = i + 1; j <= last; ++j)
        run.length += lines[j].length;
    run.kind = LineKind::Keys;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i + 1),
                lines.begin() + static_cast<std::ptrdiff_t>(last + 1));
    if (lines.capacity() > 2 * lines.size() + 4)
        lines.shrink_to_fit();
}

void IniDocument::terminate(Line& line)
{
    if (terminatorLength(raw(line)) != 0)
        return;
    // A byte-order mark left alone at the top of the file is no line: what follows it joins it.
    if (utf8_ && raw(line) == kUtf8Bom && &line == firstLine())
        return;
    std::string bytes(raw(line));
    bytes += newline_;
    const Line old = line;
    line = addLine(bytes);
    // The same line with a line end: its kind stays, and so does the byte-order mark in front of
    // the file's first line, which classifying it afresh would miss.
    line.kind = old.kind;
    line.contentBegin = old.contentBegin;
}

// Ends the file's last line, if it has no line end, before lines are added after it.
void IniDocument::terminateLast()
{
    for (auto it = sections_.rbegin(); it != sections_.rend(); ++it) {
        if (!it->empty()) {
            terminate(it->back());
            return;
        }
    }
}

namespace {

// Counts the lines that head a section ("[" first after blanks) in bytes that may continue
// earlier ones: `lineStart` carries whether the next byte starts a line.
std::size_t countSectionLines(std::string_view bytes, bool& lineStart, std::size_t counted, std::size_t limit)
{
    for (const char c : bytes) {
        if (c == '\r' || c == '\n') {
            lineStart = true;
        } else if (lineStart && c != ' ' && c != '\t') {
            lineStart = false;
            if (c == '[' && ++counted > limit)
                return counted;
        }
    }
    return counted;
}

} // namespace

bool IniDocument::HasTooManySections(std::string_view fileBytes)
{
    bool lineStart = true;
    return countSectionLines(fileBytes, lineStart, 0, kMaxSections) > kMaxSections;
}

bool IniDocument::HasTooManySectionLines() const
{
    bool lineStart = true;
    std::size_t counted = 0;
    WriteTo([&](std::string_view piece) {
        counted = countSectionLines(piece, lineStart, counted, kMaxSections);
        return counted <= kMaxSections;
    });
    return counted > kMaxSections;
}

std::size_t IniDocument::SerializedSize() const
{
    std::size_t size = 0;
    for (const std::vector<Line>& lines : sections_)
        for (const Line& line : lines)
            size += line.length;
    return size;
}

bool IniDocument::Unchanged() const
{
    if (SerializedSize() != text_.size())
        return false;
    std::size_t at = 0;
    return WriteTo([&](std::string_view piece) {
        const bool same = std::string_view(text_).substr(at, piece.size()) == piece;
        at += piece.size();
        return same;
    });
}

IniDocument IniDocument::Parse(std::string_view fileBytes)
{
    return ParseOwned(std::string(fileBytes));
}

IniDocument IniDocument::ParseOwned(std::string fileBytes)
{
    IniDocument doc;
    doc.text_ = std::move(fileBytes);
    doc.utf8_ = std::string_view(doc.text_).substr(0, kUtf8Bom.size()) == kUtf8Bom;
    doc.sections_.emplace_back();

    const std::string_view text(doc.text_);
    const std::size_t firstEnd = text.find_first_of("\r\n");
    if (firstEnd != std::string_view::npos)
        doc.newline_ = text.compare(firstEnd, 2, "\r\n") == 0 ? std::string("\r\n") : std::string(1, text[firstEnd]);
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = lineEnd(text, pos);
        const std::size_t contentBegin = (pos == 0 && doc.utf8_) ? kUtf8Bom.size() : 0;
        Line line = doc.lineAt(kParsed, pos, end - pos, contentBegin);
        pos = end;
        if (line.kind == LineKind::Header) {
            doc.sections_.emplace_back().reserve(2); // the header and, most often, one body
            doc.sections_.back().push_back(line);
            continue;
        }
        // The last line so far belongs to the section being read.
        std::vector<Line>& lines = doc.sections_.back();
        if (!lines.empty() && lines.back().kind == LineKind::Body) {
            lines.back().length += line.length;
        } else {
            line.kind = LineKind::Body;
            lines.push_back(line);
        }
    }
    doc.rebuildIndex();
    return doc;
}

std::string IniDocument::fold(std::string_view fileBytes) const
{
    std::string folded(fileBytes);
    for (std::size_t i = 0; i < folded.size();) {
        const std::size_t length = utf8_ ? 1 : Cp936CharLength(folded, i);
        if (length == 1)
            folded[i] = lowerAscii(folded[i]);
        i += length;
    }
    return folded;
}

// Hash of the folded form of `fileBytes`, without building it.
std::uint64_t IniDocument::foldedHash(std::string_view fileBytes) const
{
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (std::size_t i = 0; i < fileBytes.size();) {
        const std::size_t length = utf8_ ? 1 : Cp936CharLength(fileBytes, i);
        for (std::size_t j = 0; j < length; ++j) {
            const char c = length == 1 ? lowerAscii(fileBytes[i]) : fileBytes[i + j];
            hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ULL;
        }
        i += length;
    }
    return hash;
}

bool IniDocument::sameFolded(std::string_view fileBytes, std::string_view folded) const
{
    if (fileBytes.size() != folded.size())
        return false;
    for (std::size_t i = 0; i < fileBytes.size();) {
        const std::size_t length = utf8_ ? 1 : Cp936CharLength(fileBytes, i);
        if (length == 1 ? lowerAscii(fileBytes[i]) != folded[i]
                        : fileBytes.substr(i, length) != folded.substr(i, length))
            return false;
        i += length;
    }
    return true;
}

std::optional<std::string> IniDocument::foldedName(std::string_view utf8Name) const
{
    auto encoded = EncodeFileText(trimBlanks(utf8Name), utf8_);
    if (!encoded)
        return std::nullopt;
    return fold(*encoded);
}

IniDocument::Slot IniDocument::slotOf(std::uint32_t section) const
{
    return { static_cast<std::uint32_t>(spread(foldedHash(name(sections_[section].front())))), section };
}

// A section added after the last full index goes into the open-addressed table, which doubles
// before it is half full. Sections are added in order, so of equal hashes the earlier section
// always sits earlier on the probe path.
void IniDocument::indexSection(std::uint32_t section)
{
    if ((addedCount_ + 1) * 2 > addedSlots_.size()) {
        const std::vector<Slot> old
            = std::exchange(addedSlots_, std::vector<Slot>(std::max<std::size_t>(16, addedSlots_.size() * 2)));
        std::vector<Slot> placed;
        for (const Slot& slot : old)
            if (slot.section != 0)
                placed.push_back(slot);
        std::sort(placed.begin(), placed.end(), [](const Slot& a, const Slot& b) { return a.section < b.section; });
        for (const Slot& slot : placed)
            placeAdded(slot);
    }
    placeAdded(slotOf(section));
    ++addedCount_;
}

void IniDocument::placeAdded(const Slot& slot)
{
    const std::size_t mask = addedSlots_.size() - 1;
    std::size_t i = slot.hash & mask;
    while (addedSlots_[i].section != 0)
        i = (i + 1) & mask;
    addedSlots_[i] = slot;
}

// The index is sorted by hash and then by section, so of equal names the first section is found
// first, as with the profile functions.
void IniDocument::rebuildIndex()
{
    sectionSlots_.clear();
    sectionSlots_.reserve(sections_.size() - 1);
    for (std::uint32_t s = 1; s < sections_.size(); ++s)
        sectionSlots_.push_back(slotOf(s));
    std::sort(sectionSlots_.begin(), sectionSlots_.end(),
              [](const Slot& a, const Slot& b) { return a.hash != b.hash ? a.hash < b.hash : a.section < b.section; });
    std::vector<Slot>().swap(addedSlots_);
    addedCount_ = 0;
}

// Takes the section's bodies and runs of keys apart into single lines, which an edit can replace
// or add to. The pieces keep pointing at the same bytes.
void IniDocument::materialize(std::size_t section)
{
    std::vector<Line>& lines = sections_[section];
    const auto whole = [](const Line& line) { return line.kind == LineKind::Body || line.kind == LineKind::Keys; };
    if (std::none_of(lines.begin(), lines.end(), whole))
        return;
    std::size_t count = lines.size();
    for (const Line& line : lines)
        if (whole(line))
            count += std::count(raw(line).begin(), raw(line).end(), '\n');
    std::vector<Line> split;
    split.reserve(count);
    for (const Line& line : lines) {
        if (!whole(line)) {
            split.push_back(line);
            continue;
        }
        const std::string_view text = raw(line);
        const std::size_t first = split.size();
        for (std::size_t pos = 0; pos < text.size();) {
            const std::size_t end = lineEnd(text, pos);
            const std::size_t at = line.begin + pos;
            const std::size_t bom = (line.block == kParsed && at == 0 && utf8_) ? kUtf8Bom.size() : 0;
            const Line one = lineAt(line.block, at, end - pos, bom);
            if (one.kind == LineKind::Other && split.size() > first && split.back().kind == LineKind::Other)
                split.back().length += one.length;
            else
                split.push_back(one);
            pos = end;
        }
    }
    lines = std::move(split);
}

std::size_t IniDocument::findSection(std::string_view folded) const
{
    const auto hash = static_cast<std::uint32_t>(spread(foldedHash(folded)));
    auto it = std::lower_bound(sectionSlots_.begin(), sectionSlots_.end(), hash,
                               [](const Slot& slot, std::uint32_t h) { return slot.hash < h; });
    for (; it != sectionSlots_.end() && it->hash == hash; ++it) {
        if (sameFolded(name(sections_[it->section].front()), folded))
            return it->section;
    }
    return findAddedSection(hash, folded);
}

std::size_t IniDocument::findAddedSection(std::uint32_t hash, std::string_view folded) const
{
    if (addedSlots_.empty())
        return 0;
    const std::size_t mask = addedSlots_.size() - 1;
    for (std::size_t i = hash & mask; addedSlots_[i].section != 0; i = (i + 1) & mask) {
        const Slot& slot = addedSlots_[i];
        if (slot.hash == hash && sameFolded(name(sections_[slot.section].front()), folded))
            return slot.section;
    }
    return 0;
}

std::optional<IniDocument::KeyLine> IniDocument::findKey(std::size_t section, std::string_view key) const
{
    if (section == 0)
        return std::nullopt;
    const auto folded = foldedName(key);
    if (!folded || folded->empty())
        return std::nullopt;
    // The first line of the section with that key counts, as with the profile functions.
    const std::vector<Line>& lines = sections_[section];
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.kind == LineKind::Key) {
            const std::string_view text = raw(line);
            const Classified c = classifyLine(text, line.contentBegin, !utf8_);
            if (sameFolded(text.substr(c.nameBegin, c.nameEnd - c.nameBegin), *folded))
                return KeyLine { text, c.valueBegin, c.valueEnd };
        }
        if (line.kind != LineKind::Body && line.kind != LineKind::Keys)
            continue;
        const std::string_view text = raw(line);
        for (std::size_t pos = 0; pos < text.size();) {
            const std::size_t end = lineEnd(text, pos);
            const std::string_view one = text.substr(pos, end - pos);
            pos = end;
            const Classified c = classifyLine(one, 0, !utf8_);
            if (c.key && sameFolded(one.substr(c.nameBegin, c.nameEnd - c.nameBegin), *folded))
                return KeyLine { one, c.valueBegin, c.valueEnd };
        }
    }
    return std::nullopt;
}

IniDocument::SectionReader IniDocument::ReadSection(std::string_view section) const
{
    SectionReader reader;
    reader.doc_ = this;
    if (const auto folded = foldedName(section))
        reader.section_ = findSection(*folded);
    return reader;
}

IniDocument::SectionReader IniDocument::ReadSection(FileBytes section) const
{
    SectionReader reader;
    reader.doc_ = this;
    reader.section_ = findSection(fold(trimBlanks(section.bytes)));
    return reader;
}

bool IniDocument::HasSection(std::string_view section) const
{
    return ReadSection(section).section_ != 0;
}

std::optional<std::string> IniDocument::Value(std::string_view section, std::string_view key) const
{
    return ReadSection(section).Value(key);
}

std::string IniDocument::ReadString(std::string_view section, std::string_view key, std::string_view fallback) const
{
    return ReadSection(section).ReadString(key, fallback);
}

std::int16_t IniDocument::ReadInt(std::string_view section, std::string_view key, std::int32_t fallback) const
{
    return ReadSection(section).ReadInt(key, fallback);
}

namespace {

std::string_view storedValue(std::string_view raw, std::size_t begin, std::size_t end)
{
    return unquote(raw.substr(begin, end - begin));
}

} // namespace

std::optional<std::string> IniDocument::SectionReader::Value(std::string_view key) const
{
    const auto line = doc_ ? doc_->findKey(section_, key) : std::nullopt;
    if (!line)
        return std::nullopt;
    return DecodeFileText(storedValue(line->raw, line->valueBegin, line->valueEnd), doc_->utf8_);
}

std::optional<std::string_view> IniDocument::SectionReader::StoredView(std::string_view key) const
{
    const auto line = doc_ ? doc_->findKey(section_, key) : std::nullopt;
    if (!line)
        return std::nullopt;
    return storedValue(line->raw, line->valueBegin, line->valueEnd);
}

std::optional<std::string> IniDocument::SectionReader::StoredValue(std::string_view key) const
{
    const auto line = doc_ ? doc_->findKey(section_, key) : std::nullopt;
    if (!line)
        return std::nullopt;
    return std::string(storedValue(line->raw, line->valueBegin, line->valueEnd));
}

std::string IniDocument::SectionReader::ReadString(std::string_view key, std::string_view fallback) const
{
    const auto line = doc_ ? doc_->findKey(section_, key) : std::nullopt;
    if (!line)
        return std::string(fallback);
    const auto stored = storedValue(line->raw, line->valueBegin, line->valueEnd);
    if (stored.empty())
        return std::string(fallback);
    return DecodeFileText(cutToCp936Bytes(stored, doc_->utf8_, kMaxReadBytes), doc_->utf8_);
}

std::int16_t IniDocument::SectionReader::ReadInt(std::string_view key, std::int32_t fallback) const
{
    static constexpr std::int64_t lowest = std::numeric_limits<std::int16_t>::min();
    static constexpr std::int64_t highest = std::numeric_limits<std::int16_t>::max();
    const auto clamp = [](std::int64_t v) { return static_cast<std::int16_t>(std::clamp(v, lowest, highest)); };

    const auto line = doc_ ? doc_->findKey(section_, key) : std::nullopt;
    if (!line)
        return clamp(fallback);
    const auto stored = storedValue(line->raw, line->valueBegin, line->valueEnd);
    if (stored.empty())
        return clamp(fallback);
    std::size_t pos = 0;
    while (pos < stored.size() && isBlank(stored[pos]))
        ++pos;
    bool negative = false;
    if (pos < stored.size() && (stored[pos] == '-' || stored[pos] == '+'))
        negative = stored[pos++] == '-';
    std::int64_t magnitude = 0;
    // Beyond the 16-bit range the exact number no longer matters; stop growing so it cannot overflow.
    for (; pos < stored.size() && stored[pos] >= '0' && stored[pos] <= '9'; ++pos)
        magnitude = std::min<std::int64_t>(magnitude * 10 + (stored[pos] - '0'), 1'000'000);
    return clamp(negative ? -magnitude : magnitude);
}

namespace {

bool breaksLine(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
}

} // namespace

bool IniDocument::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string_view sectionName = trimBlanks(section);
    // "]" would end the header early.
    if (sectionName.find(']') != std::string_view::npos)
        return false;
    const auto encodedSection = EncodeFileText(sectionName, utf8_);
    return encodedSection && WriteString(FileBytes { *encodedSection }, key, value);
}

bool IniDocument::WriteString(FileBytes section, std::string_view key, std::string_view value)
{
    if (breaksLine(value))
        return false;
    auto encodedValue = EncodeFileText(value, utf8_);
    return encodedValue && writeEncoded(section.bytes, key, std::move(*encodedValue));
}

bool IniDocument::WriteInt(FileBytes section, std::string_view key, std::int32_t value)
{
    return WriteString(section, key, std::to_string(value));
}

bool IniDocument::WriteStoredValue(std::string_view section, std::string_view key, FileBytes value)
{
    const std::string_view sectionName = trimBlanks(section);
    if (sectionName.find(']') != std::string_view::npos || breaksLine(value.bytes))
        return false;
    const auto encodedSection = EncodeFileText(sectionName, utf8_);
    return encodedSection && writeEncoded(*encodedSection, key, std::string(value.bytes));
}

// Writes key=value with the section name and the value already in the file's bytes.
bool IniDocument::writeEncoded(std::string_view section, std::string_view key, std::string value)
{
    const std::string_view sectionName = trimBlanks(section);
    const std::string_view keyName = trimBlanks(key);
    if (sectionName.empty() || keyName.empty() || breaksLine(sectionName) || breaksLine(keyName) || breaksLine(value))
        return false;
    // Each of these would write a line that reads back as something else.
    if (keyName.find('=') != std::string_view::npos || keyName.front() == ';' || keyName.front() == '[')
        return false;
    std::string header(1, '[');
    header += sectionName;
    header += ']';
    const Classified headerLine = classifyLine(header, 0, !utf8_);
    if (!headerLine.header
        || header.substr(headerLine.nameBegin, headerLine.nameEnd - headerLine.nameBegin) != sectionName)
        return false;
    const std::optional<std::string> encodedKey = EncodeFileText(keyName, utf8_);
    if (!encodedKey)
        return false;
    const std::optional<std::string> encodedSection = std::string(sectionName);
    std::optional<std::string> encodedValue = std::move(value);
    // Reads drop blanks around a value and one pair of quotes; an extra pair keeps them.
    const std::string& v = *encodedValue;
    if (!v.empty()
        && (isBlank(v.front()) || isBlank(v.back()) || (v.size() >= 2 && isQuote(v.front()) && v.back() == v.front())))
        encodedValue = '"' + v + '"';

    const std::size_t found = findSection(fold(*encodedSection));
    if (found != 0) {
        std::vector<Line>& lines = sections_[found];
        if (const std::optional<KeyLine> existing = findKey(found, keyName)) {
            // The value as it stands already: the section stays as it was read, whole.
            if (rewrittenKeyLine(existing->raw, *encodedValue) == existing->raw)
                return true;
        } else {
            // A key new to a section whose keys were just added goes on the end of their run.
            const std::string_view above = raw(lines.back());
            const std::string keyLine
                = *encodedKey + "=" + *encodedValue + std::string(above.substr(above.size() - terminatorLength(above)));
            if (appendToKeys(lines, keyLine))
                return true;
        }
        materialize(found);
        const std::string foldedKey = fold(*encodedKey);
        for (std::size_t i = 1; i < lines.size(); ++i) {
            Line& line = lines[i];
            if (line.kind != LineKind::Key || !sameFolded(name(line), foldedKey))
                continue;
            // Replaced where it stands.
            line = addLine(rewrittenKeyLine(raw(line), *encodedValue));
            joinKeys(lines, i);
            return true;
        }
        std::size_t insertAt = 1;
        for (std::size_t i = lines.size(); i-- > 1;) {
            if (lines[i].kind == LineKind::Key) {
                insertAt = i + 1;
                break;
            }
        }
        terminate(lines[insertAt - 1]);
        // The line end of the line above: what followed that line without joining it also follows
        // this one (a bare CR before a blank LF line would read back as one CRLF).
        const std::string_view above = raw(lines[insertAt - 1]);
        const std::string lineEnd(above.substr(above.size() - terminatorLength(above)));
        const Line added = addLine(*encodedKey + "=" + *encodedValue + lineEnd);
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), added);
        return true;
    }

    terminateLast();
    const Line opening = addLine("[" + *encodedSection + "]" + newline_);
    const Line firstKey = addLine(*encodedKey + "=" + *encodedValue + newline_);
    sections_.push_back(std::vector<Line> { opening, firstKey });
    indexSection(static_cast<std::uint32_t>(sections_.size() - 1));
    return true;
}

bool IniDocument::WriteInt(std::string_view section, std::string_view key, std::int32_t value)
{
    return WriteString(section, key, std::to_string(value));
}

bool IniDocument::DeleteSection(std::string_view section)
{
    const auto encoded = EncodeFileText(trimBlanks(section), utf8_);
    if (!encoded)
        return true; // a name the file cannot hold names no section in it
    return DeleteSection(FileBytes { *encoded });
}

bool IniDocument::DeleteKey(std::string_view section, std::string_view key)
{
    const auto encoded = EncodeFileText(trimBlanks(section), utf8_);
    if (!encoded)
        return true; // a name the file cannot hold names no section in it
    return DeleteKey(FileBytes { *encoded }, key);
}

bool IniDocument::DeleteKey(FileBytes section, std::string_view key)
{
    const std::size_t found = findSection(fold(trimBlanks(section.bytes)));
    const auto encodedKey = EncodeFileText(trimBlanks(key), utf8_);
    if (found == 0 || !encodedKey || !findKey(found, key))
        return true;
    materialize(found);
    // Every line of the key goes: removing only the first would bring a later one to light.
    const std::string foldedKey = fold(*encodedKey);
    std::vector<Line>& lines = sections_[found];
    lines.erase(std::remove_if(
                    lines.begin() + 1, lines.end(),
                    [&](const Line& line) { return line.kind == LineKind::Key && sameFolded(name(line), foldedKey); }),
                lines.end());
    return true;
}

bool IniDocument::SameSectionName(std::string_view a, std::string_view b) const
{
    return sameFolded(trimBlanks(a), fold(trimBlanks(b)));
}

std::string IniDocument::Decode(std::string_view fileBytes) const
{
    return DecodeFileText(fileBytes, utf8_);
}

std::optional<std::string> IniDocument::Encode(std::string_view utf8) const
{
    return EncodeFileText(utf8, utf8_);
}

bool IniDocument::DeleteSection(FileBytes section)
{
    const std::size_t found = findSection(fold(trimBlanks(section.bytes)));
    if (found == 0)
        return true;
    // The byte-order mark sits in front of the file's first line; it says how the rest is encoded
    // and stays when that line goes.
    const bool keepBom = utf8_ && found == 1 && sections_[0].empty();
    sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(found));
    if (keepBom)
        sections_[0].insert(sections_[0].begin(), addLine(kUtf8Bom));
    // Added lines take the line end of the file's first line: that may now be another one.
    newline_ = "\r\n";
    for (const std::vector<Line>& lines : sections_) {
        const auto ended
            = std::find_if(lines.begin(), lines.end(), [&](const Line& l) { return terminatorLength(raw(l)) != 0; });
        if (ended == lines.end())
            continue;
        // A record may hold several lines: the first line end in it is the one.
        const std::string_view r = raw(*ended);
        const std::size_t at = r.find_first_of("\r\n");
        newline_ = r.compare(at, 2, "\r\n") == 0 ? std::string("\r\n") : std::string(1, r[at]);
        break;
    }
    rebuildIndex();
    return true;
}

const IniDocument::Line* IniDocument::firstLine() const
{
    for (const std::vector<Line>& lines : sections_)
        if (!lines.empty())
            return &lines.front();
    return nullptr;
}

std::string IniDocument::Serialize() const
{
    std::string bytes;
    bytes.reserve(SerializedSize());
    WriteTo([&bytes](std::string_view piece) {
        bytes += piece;
        return true;
    });
    return bytes;
}

} // namespace lanvex::store
