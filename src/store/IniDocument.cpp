#include "store/IniDocument.h"

#include "store/TextCodec.h"

#include <algorithm>
#include <limits>

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

std::uint64_t keyHash(std::uint64_t nameHash, std::uint32_t section)
{
    return spread(nameHash ^ (section * 0x9E3779B97F4A7C15ULL));
}

} // namespace

std::string_view IniDocument::raw(const Line& line) const
{
    if (line.rewritten != kNotRewritten)
        return rewritten_[line.rewritten];
    return std::string_view(text_).substr(line.begin, line.length);
}

std::string_view IniDocument::name(const Line& line) const
{
    return raw(line).substr(line.nameBegin, line.nameEnd - line.nameBegin);
}

IniDocument::Line IniDocument::makeLine(std::size_t begin, std::size_t length, std::size_t contentBegin) const
{
    Line line;
    line.begin = begin;
    line.length = length;
    const Classified c = classifyLine(std::string_view(text_).substr(begin, length), contentBegin, !utf8_);
    line.kind = c.header ? LineKind::Header : c.key ? LineKind::Key : LineKind::Other;
    line.nameBegin = c.nameBegin;
    line.nameEnd = c.nameEnd;
    line.valueBegin = c.valueBegin;
    line.valueEnd = c.valueEnd;
    return line;
}

IniDocument::Line IniDocument::addLine(std::string bytes)
{
    Line line;
    const Classified c = classifyLine(bytes, 0, !utf8_);
    line.kind = c.header ? LineKind::Header : c.key ? LineKind::Key : LineKind::Other;
    line.nameBegin = c.nameBegin;
    line.nameEnd = c.nameEnd;
    line.valueBegin = c.valueBegin;
    line.valueEnd = c.valueEnd;
    line.rewritten = rewritten_.size();
    rewritten_.push_back(std::move(bytes));
    return line;
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
    line = addLine(std::move(bytes));
    // The same line with a line end: its kind and ranges stay. (Classifying it afresh would miss
    // a byte-order mark in front of the file's first line.)
    line.kind = old.kind;
    line.nameBegin = old.nameBegin;
    line.nameEnd = old.nameEnd;
    line.valueBegin = old.valueBegin;
    line.valueEnd = old.valueEnd;
}

IniDocument IniDocument::Parse(std::string_view fileBytes)
{
    IniDocument doc;
    doc.text_.assign(fileBytes);
    doc.utf8_ = fileBytes.substr(0, kUtf8Bom.size()) == kUtf8Bom;
    doc.sections_.emplace_back();

    const char* const data = doc.text_.data();
    const std::size_t size = doc.text_.size();
    bool newlineSeen = false;
    std::size_t pos = 0;
    while (pos < size) {
        std::size_t end = pos;
        while (end < size && data[end] != '\r' && data[end] != '\n')
            ++end;
        if (end < size) {
            const bool crlf = data[end] == '\r' && end + 1 < size && data[end + 1] == '\n';
            if (!newlineSeen) {
                doc.newline_ = crlf ? "\r\n" : std::string(1, data[end]);
                newlineSeen = true;
            }
            end += crlf ? 2 : 1;
        }
        const std::size_t contentBegin = (pos == 0 && doc.utf8_) ? kUtf8Bom.size() : 0;
        const Line line = doc.makeLine(pos, end - pos, contentBegin);
        if (line.kind == LineKind::Header)
            doc.sections_.emplace_back();
        doc.sections_.back().lines.push_back(line);
        pos = end;
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

namespace {

// Inserts into an open-addressing table kept at most half full.
template <typename Slot, typename Same>
bool insertSlot(std::vector<Slot>& slots, std::size_t& count, Slot slot, Same same)
{
    if ((count + 1) * 2 > slots.size()) {
        std::vector<Slot> bigger(std::max<std::size_t>(16, slots.size() * 2));
        for (const Slot& old : slots) {
            if (old.section == 0)
                continue;
            std::size_t i = old.hash & (bigger.size() - 1);
            while (bigger[i].section != 0)
                i = (i + 1) & (bigger.size() - 1);
            bigger[i] = old;
        }
        slots.swap(bigger);
    }
    std::size_t i = slot.hash & (slots.size() - 1);
    for (; slots[i].section != 0; i = (i + 1) & (slots.size() - 1)) {
        if (slots[i].hash == slot.hash && same(slots[i]))
            return false; // the first of equal names keeps the slot
    }
    slots[i] = slot;
    ++count;
    return true;
}

} // namespace

void IniDocument::indexSection(std::uint32_t section)
{
    const std::string_view header = name(sections_[section].lines.front());
    const Slot slot { spread(foldedHash(header)), section, 0 };
    insertSlot(sectionSlots_, sectionCount_, slot, [&](const Slot& other) {
        return sameFolded(name(sections_[other.section].lines.front()), fold(header));
    });
}

void IniDocument::indexKey(std::uint32_t section, std::uint32_t line)
{
    const std::string_view key = name(sections_[section].lines[line]);
    if (key.empty())
        return;
    const Slot slot { keyHash(foldedHash(key), section), section, line };
    insertSlot(keySlots_, keyCount_, slot, [&](const Slot& other) {
        return other.section == section && sameFolded(name(sections_[section].lines[other.line]), fold(key));
    });
}

void IniDocument::rebuildIndex()
{
    sectionSlots_.clear();
    keySlots_.clear();
    sectionCount_ = keyCount_ = 0;
    for (std::uint32_t s = 1; s < sections_.size(); ++s) {
        indexSection(s);
        const auto& lines = sections_[s].lines;
        for (std::uint32_t l = 1; l < lines.size(); ++l) {
            if (lines[l].kind == LineKind::Key)
                indexKey(s, l);
        }
    }
}

std::size_t IniDocument::findSection(std::string_view folded) const
{
    if (sectionSlots_.empty())
        return 0;
    const std::uint64_t hash = spread(foldedHash(folded));
    for (std::size_t i = hash & (sectionSlots_.size() - 1); sectionSlots_[i].section != 0;
         i = (i + 1) & (sectionSlots_.size() - 1)) {
        const Slot& slot = sectionSlots_[i];
        if (slot.hash == hash && sameFolded(name(sections_[slot.section].lines.front()), folded))
            return slot.section;
    }
    return 0;
}

const IniDocument::Line* IniDocument::findKey(std::size_t section, std::string_view key) const
{
    if (section == 0 || keySlots_.empty())
        return nullptr;
    const auto folded = foldedName(key);
    if (!folded || folded->empty())
        return nullptr;
    const std::uint64_t hash = keyHash(foldedHash(*folded), static_cast<std::uint32_t>(section));
    for (std::size_t i = hash & (keySlots_.size() - 1); keySlots_[i].section != 0;
         i = (i + 1) & (keySlots_.size() - 1)) {
        const Slot& slot = keySlots_[i];
        if (slot.hash == hash && slot.section == section) {
            const Line& line = sections_[section].lines[slot.line];
            if (sameFolded(name(line), *folded))
                return &line;
        }
    }
    return nullptr;
}

IniDocument::SectionReader IniDocument::ReadSection(std::string_view section) const
{
    SectionReader reader;
    reader.doc_ = this;
    if (const auto folded = foldedName(section))
        reader.section_ = findSection(*folded);
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
    const Line* line = doc_ ? doc_->findKey(section_, key) : nullptr;
    if (!line)
        return std::nullopt;
    return DecodeFileText(storedValue(doc_->raw(*line), line->valueBegin, line->valueEnd), doc_->utf8_);
}

std::string IniDocument::SectionReader::ReadString(std::string_view key, std::string_view fallback) const
{
    const Line* line = doc_ ? doc_->findKey(section_, key) : nullptr;
    if (!line)
        return std::string(fallback);
    const auto stored = storedValue(doc_->raw(*line), line->valueBegin, line->valueEnd);
    if (stored.empty())
        return std::string(fallback);
    return DecodeFileText(cutToCp936Bytes(stored, doc_->utf8_, kMaxReadBytes), doc_->utf8_);
}

std::int16_t IniDocument::SectionReader::ReadInt(std::string_view key, std::int32_t fallback) const
{
    static constexpr std::int64_t lowest = std::numeric_limits<std::int16_t>::min();
    static constexpr std::int64_t highest = std::numeric_limits<std::int16_t>::max();
    const auto clamp = [](std::int64_t v) { return static_cast<std::int16_t>(std::clamp(v, lowest, highest)); };

    const Line* line = doc_ ? doc_->findKey(section_, key) : nullptr;
    if (!line)
        return clamp(fallback);
    const auto stored = storedValue(doc_->raw(*line), line->valueBegin, line->valueEnd);
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

bool IniDocument::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    const auto breaksLine = [](std::string_view text) {
        return std::any_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
    };
    const std::string_view sectionName = trimBlanks(section);
    const std::string_view keyName = trimBlanks(key);
    if (sectionName.empty() || keyName.empty() || breaksLine(sectionName) || breaksLine(keyName) || breaksLine(value))
        return false;
    // Each of these would write a line that reads back as something else.
    if (sectionName.find(']') != std::string_view::npos || keyName.find('=') != std::string_view::npos
        || keyName.front() == ';' || keyName.front() == '[')
        return false;
    const auto encodedSection = EncodeFileText(sectionName, utf8_);
    const auto encodedKey = EncodeFileText(keyName, utf8_);
    auto encodedValue = EncodeFileText(value, utf8_);
    if (!encodedSection || !encodedKey || !encodedValue)
        return false;
    // Reads drop blanks around a value and one pair of quotes; an extra pair keeps them.
    const std::string& v = *encodedValue;
    if (!v.empty()
        && (isBlank(v.front()) || isBlank(v.back()) || (v.size() >= 2 && isQuote(v.front()) && v.back() == v.front())))
        encodedValue = '"' + v + '"';

    const std::size_t found = findSection(fold(*encodedSection));
    if (found != 0) {
        const auto s = static_cast<std::uint32_t>(found);
        if (const Line* existing = findKey(found, key)) {
            // Replace the value where it stands, keeping the key as it is spelled in the file.
            const std::string_view old = raw(*existing);
            std::string replaced(name(*existing));
            replaced += '=';
            replaced += *encodedValue;
            replaced += old.substr(old.size() - terminatorLength(old));
            const std::size_t index = static_cast<std::size_t>(existing - sections_[found].lines.data());
            sections_[found].lines[index] = addLine(std::move(replaced));
            return true;
        }
        auto& lines = sections_[found].lines;
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
        const std::string_view end = above.substr(above.size() - terminatorLength(above));
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                     addLine(*encodedKey + "=" + *encodedValue + std::string(end)));
        // Every other key line lies before the new one, so the positions in the index stand.
        indexKey(s, static_cast<std::uint32_t>(insertAt));
        return true;
    }

    for (auto it = sections_.rbegin(); it != sections_.rend(); ++it) {
        if (!it->lines.empty()) {
            terminate(it->lines.back());
            break;
        }
    }
    Section added;
    added.lines.push_back(addLine("[" + *encodedSection + "]" + newline_));
    added.lines.push_back(addLine(*encodedKey + "=" + *encodedValue + newline_));
    sections_.push_back(std::move(added));
    const auto s = static_cast<std::uint32_t>(sections_.size() - 1);
    indexSection(s);
    indexKey(s, 1);
    return true;
}

bool IniDocument::WriteInt(std::string_view section, std::string_view key, std::int32_t value)
{
    return WriteString(section, key, std::to_string(value));
}

bool IniDocument::DeleteSection(std::string_view section)
{
    const auto folded = foldedName(section);
    if (!folded)
        return true; // a name the file cannot hold names no section in it
    const std::size_t found = findSection(*folded);
    if (found == 0)
        return true;
    // The byte-order mark sits in front of the file's first line; it says how the rest is encoded
    // and stays when that line goes.
    const bool keepBom = utf8_ && found == 1 && sections_[0].lines.empty();
    sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(found));
    if (keepBom)
        sections_[0].lines.push_back(addLine(std::string(kUtf8Bom)));
    // Added lines take the line end of the file's first line: that may now be another one.
    newline_ = "\r\n";
    for (const Section& s : sections_) {
        const auto line = std::find_if(s.lines.begin(), s.lines.end(),
                                       [&](const Line& l) { return terminatorLength(raw(l)) != 0; });
        if (line != s.lines.end()) {
            const std::string_view r = raw(*line);
            newline_.assign(r.substr(r.size() - terminatorLength(r)));
            break;
        }
    }
    rebuildIndex();
    return true;
}

const IniDocument::Line* IniDocument::firstLine() const
{
    for (const Section& s : sections_) {
        if (!s.lines.empty())
            return &s.lines.front();
    }
    return nullptr;
}

std::string IniDocument::Serialize() const
{
    std::size_t size = 0;
    for (const Section& section : sections_)
        for (const Line& line : section.lines)
            size += raw(line).size();
    std::string bytes;
    bytes.reserve(size);
    for (const Section& section : sections_)
        for (const Line& line : section.lines)
            bytes += raw(line);
    return bytes;
}

} // namespace lanvex::store
