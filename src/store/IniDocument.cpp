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
    if (line.rewritten != kNotRewritten)
        return rewritten_[line.rewritten];
    return std::string_view(text_).substr(line.begin, line.length);
}

std::string_view IniDocument::name(const Line& line) const
{
    const std::string_view text = raw(line);
    const Classified c = classifyLine(text, line.contentBegin, !utf8_);
    return text.substr(c.nameBegin, c.nameEnd - c.nameBegin);
}

IniDocument::Line IniDocument::makeLine(std::size_t begin, std::size_t length, std::size_t contentBegin) const
{
    Line line;
    line.begin = static_cast<std::uint32_t>(begin);
    line.length = static_cast<std::uint32_t>(length);
    line.contentBegin = static_cast<std::uint8_t>(contentBegin);
    const Classified c = classifyLine(std::string_view(text_).substr(begin, length), contentBegin, !utf8_);
    line.kind = c.header ? LineKind::Header : c.key ? LineKind::Key : LineKind::Other;
    return line;
}

IniDocument::Line IniDocument::addLine(std::string bytes)
{
    Line line;
    const Classified c = classifyLine(bytes, 0, !utf8_);
    line.kind = c.header ? LineKind::Header : c.key ? LineKind::Key : LineKind::Other;
    line.rewritten = static_cast<std::uint32_t>(rewritten_.size());
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
    // The same line with a line end: its kind stays, and so does the byte-order mark in front of
    // the file's first line, which classifying it afresh would miss.
    line.kind = old.kind;
    line.contentBegin = old.contentBegin;
}

std::size_t IniDocument::sectionEnd(std::size_t section) const
{
    return section + 1 < sectionStart_.size() ? sectionStart_[section + 1] : lines_.size();
}

void IniDocument::shiftSectionsAfter(std::size_t section, std::ptrdiff_t lines)
{
    for (std::size_t s = section + 1; s < sectionStart_.size(); ++s)
        sectionStart_[s] = static_cast<std::uint32_t>(static_cast<std::ptrdiff_t>(sectionStart_[s]) + lines);
}

bool IniDocument::HasTooManySections(std::string_view fileBytes)
{
    std::size_t headers = 0;
    bool lineStart = true;
    for (const char c : fileBytes) {
        if (c == '\r' || c == '\n') {
            lineStart = true;
        } else if (lineStart && c != ' ' && c != '\t') {
            lineStart = false;
            if (c == '[' && ++headers > kMaxSections)
                return true;
        }
    }
    return false;
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
    doc.sectionStart_.push_back(0);

    const std::string_view text(doc.text_);
    const std::size_t firstEnd = text.find_first_of("\r\n");
    if (firstEnd != std::string_view::npos)
        doc.newline_ = text.compare(firstEnd, 2, "\r\n") == 0 ? std::string("\r\n") : std::string(1, text[firstEnd]);
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = lineEnd(text, pos);
        const std::size_t contentBegin = (pos == 0 && doc.utf8_) ? kUtf8Bom.size() : 0;
        Line line = doc.makeLine(pos, end - pos, contentBegin);
        pos = end;
        if (line.kind == LineKind::Header) {
            doc.sectionStart_.push_back(static_cast<std::uint32_t>(doc.lines_.size()));
            doc.lines_.push_back(line);
            continue;
        }
        // The last line so far belongs to the section being read.
        if (!doc.lines_.empty() && doc.lines_.back().kind == LineKind::Body) {
            doc.lines_.back().length += line.length;
        } else {
            line.kind = LineKind::Body;
            doc.lines_.push_back(line);
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
    return { static_cast<std::uint32_t>(spread(foldedHash(name(lines_[sectionStart_[section]])))), section };
}

// The index is sorted by hash and then by section, so of equal names the first section is found
// first, as with the profile functions.
void IniDocument::indexSection(std::uint32_t section)
{
    const Slot slot = slotOf(section);
    const auto after
        = std::upper_bound(sectionSlots_.begin(), sectionSlots_.end(), slot, [](const Slot& a, const Slot& b) {
              return a.hash != b.hash ? a.hash < b.hash : a.section < b.section;
          });
    sectionSlots_.insert(after, slot);
}

void IniDocument::rebuildIndex()
{
    sectionSlots_.clear();
    sectionSlots_.reserve(sectionStart_.size() - 1);
    for (std::uint32_t s = 1; s < sectionStart_.size(); ++s)
        sectionSlots_.push_back(slotOf(s));
    std::sort(sectionSlots_.begin(), sectionSlots_.end(),
              [](const Slot& a, const Slot& b) { return a.hash != b.hash ? a.hash < b.hash : a.section < b.section; });
}

// Takes the section's body apart into single lines, which an edit can replace or add to.
void IniDocument::materialize(std::size_t section)
{
    for (std::size_t i = sectionStart_[section]; i < sectionEnd(section); ++i) {
        if (lines_[i].kind != LineKind::Body)
            continue;
        const Line body = lines_[i];
        const bool inText = body.rewritten == kNotRewritten;
        // A rewritten body is copied: adding lines may move the strings that hold it.
        const std::string copy = inText ? std::string() : std::string(raw(body));
        const std::string_view text = inText ? raw(body) : std::string_view(copy);
        std::vector<Line> parsed;
        for (std::size_t pos = 0; pos < text.size();) {
            const std::size_t end = lineEnd(text, pos);
            const std::size_t at = body.begin + pos;
            Line line = inText ? makeLine(at, end - pos, (at == 0 && utf8_) ? kUtf8Bom.size() : 0)
                               : addLine(std::string(text.substr(pos, end - pos)));
            if (inText && line.kind == LineKind::Other && !parsed.empty() && parsed.back().kind == LineKind::Other)
                parsed.back().length += line.length;
            else
                parsed.push_back(line);
            pos = end;
        }
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(i), parsed.begin(), parsed.end());
        shiftSectionsAfter(section, static_cast<std::ptrdiff_t>(parsed.size()) - 1);
        return; // a section has one body
    }
}

std::size_t IniDocument::findSection(std::string_view folded) const
{
    const auto hash = static_cast<std::uint32_t>(spread(foldedHash(folded)));
    auto it = std::lower_bound(sectionSlots_.begin(), sectionSlots_.end(), hash,
                               [](const Slot& slot, std::uint32_t h) { return slot.hash < h; });
    for (; it != sectionSlots_.end() && it->hash == hash; ++it) {
        if (sameFolded(name(lines_[sectionStart_[it->section]]), folded))
            return it->section;
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
    for (std::size_t i = sectionStart_[section] + 1; i < sectionEnd(section); ++i) {
        const Line& line = lines_[i];
        if (line.kind == LineKind::Key) {
            const std::string_view text = raw(line);
            const Classified c = classifyLine(text, line.contentBegin, !utf8_);
            if (sameFolded(text.substr(c.nameBegin, c.nameEnd - c.nameBegin), *folded))
                return KeyLine { text, c.valueBegin, c.valueEnd };
        }
        if (line.kind != LineKind::Body)
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
        materialize(found);
        const std::size_t first = sectionStart_[found];
        const std::size_t end = sectionEnd(found);
        const std::string foldedKey = fold(*encodedKey);
        for (std::size_t i = first + 1; i < end; ++i) {
            if (lines_[i].kind != LineKind::Key || !sameFolded(name(lines_[i]), foldedKey))
                continue;
            // Replace the value where it stands, keeping the key as it is spelled in the file.
            const std::string_view old = raw(lines_[i]);
            std::string replaced(name(lines_[i]));
            replaced += '=';
            replaced += *encodedValue;
            replaced += old.substr(old.size() - terminatorLength(old));
            lines_[i] = addLine(std::move(replaced));
            return true;
        }
        std::size_t insertAt = first + 1;
        for (std::size_t i = end; i-- > first + 1;) {
            if (lines_[i].kind == LineKind::Key) {
                insertAt = i + 1;
                break;
            }
        }
        terminate(lines_[insertAt - 1]);
        // The line end of the line above: what followed that line without joining it also follows
        // this one (a bare CR before a blank LF line would read back as one CRLF).
        const std::string_view above = raw(lines_[insertAt - 1]);
        const std::string lineEnd(above.substr(above.size() - terminatorLength(above)));
        const Line added = addLine(*encodedKey + "=" + *encodedValue + lineEnd);
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), added);
        shiftSectionsAfter(found, 1);
        return true;
    }

    if (!lines_.empty())
        terminate(lines_.back());
    sectionStart_.push_back(static_cast<std::uint32_t>(lines_.size()));
    lines_.push_back(addLine("[" + *encodedSection + "]" + newline_));
    lines_.push_back(addLine(*encodedKey + "=" + *encodedValue + newline_));
    indexSection(static_cast<std::uint32_t>(sectionStart_.size() - 1));
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
    for (std::size_t i = sectionEnd(found); i-- > sectionStart_[found] + 1;) {
        if (lines_[i].kind != LineKind::Key || !sameFolded(name(lines_[i]), foldedKey))
            continue;
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
        shiftSectionsAfter(found, -1);
    }
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
    const bool keepBom = utf8_ && found == 1 && sectionEnd(0) == 0;
    const std::size_t first = sectionStart_[found];
    const std::size_t count = sectionEnd(found) - first;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(first),
                 lines_.begin() + static_cast<std::ptrdiff_t>(first + count));
    shiftSectionsAfter(found, -static_cast<std::ptrdiff_t>(count));
    sectionStart_.erase(sectionStart_.begin() + static_cast<std::ptrdiff_t>(found));
    if (keepBom) {
        lines_.insert(lines_.begin(), addLine(std::string(kUtf8Bom)));
        shiftSectionsAfter(0, 1);
    }
    // Added lines take the line end of the file's first line: that may now be another one.
    newline_ = "\r\n";
    const auto ended
        = std::find_if(lines_.begin(), lines_.end(), [&](const Line& l) { return terminatorLength(raw(l)) != 0; });
    if (ended != lines_.end()) {
        // A record may hold several lines: the first line end in it is the one.
        const std::string_view r = raw(*ended);
        const std::size_t at = r.find_first_of("\r\n");
        newline_ = r.compare(at, 2, "\r\n") == 0 ? std::string("\r\n") : std::string(1, r[at]);
    }
    rebuildIndex();
    return true;
}

const IniDocument::Line* IniDocument::firstLine() const
{
    return lines_.empty() ? nullptr : &lines_.front();
}

std::string IniDocument::Serialize() const
{
    std::size_t size = 0;
    for (const Line& line : lines_)
        size += raw(line).size();
    std::string bytes;
    bytes.reserve(size);
    for (const Line& line : lines_)
        bytes += raw(line);
    return bytes;
}

} // namespace lanvex::store
