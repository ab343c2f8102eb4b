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
            const auto lead = static_cast<unsigned char>(value[pos]);
            if (lead >= 0xC0) {
                length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
                const std::size_t available = std::min(length, value.size() - pos);
                std::size_t valid = 1;
                while (valid < available && (static_cast<unsigned char>(value[pos + valid]) & 0xC0) == 0x80)
                    ++valid;
                length = valid;
                cost = length > 1 ? 2 : 1;
            }
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

} // namespace

IniDocument::Line IniDocument::makeLine(std::string raw, std::size_t contentBegin, bool cp936)
{
    Line line;
    line.raw = std::move(raw);
    const Classified c = classifyLine(line.raw, contentBegin, cp936);
    line.kind = c.header ? LineKind::Header : c.key ? LineKind::Key : LineKind::Other;
    line.keyBegin = c.nameBegin;
    line.keyEnd = c.nameEnd;
    line.valueBegin = c.valueBegin;
    line.valueEnd = c.valueEnd;
    return line;
}

IniDocument IniDocument::Parse(std::string_view fileBytes)
{
    IniDocument doc;
    doc.utf8_ = fileBytes.substr(0, kUtf8Bom.size()) == kUtf8Bom;
    doc.sections_.emplace_back();
    const auto firstEnd = fileBytes.find_first_of("\r\n");
    if (firstEnd != std::string_view::npos)
        doc.newline_ = fileBytes.substr(firstEnd, 2) == "\r\n" ? "\r\n" : std::string(1, fileBytes[firstEnd]);

    std::size_t pos = 0;
    while (pos < fileBytes.size()) {
        auto end = fileBytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = fileBytes.size();
        else if (fileBytes[end] == '\r' && end + 1 < fileBytes.size() && fileBytes[end + 1] == '\n')
            end += 2;
        else
            end += 1;
        const std::size_t contentBegin = (pos == 0 && doc.utf8_) ? kUtf8Bom.size() : 0;
        Line line = makeLine(std::string(fileBytes.substr(pos, end - pos)), contentBegin, !doc.utf8_);
        if (line.kind == LineKind::Header) {
            Section section;
            section.hasHeader = true;
            doc.sections_.push_back(std::move(section));
        }
        doc.sections_.back().lines.push_back(std::move(line));
        pos = end;
    }
    for (std::size_t i = 0; i < doc.sections_.size(); ++i)
        doc.indexSection(i);
    doc.rebuildIndex();
    return doc;
}

std::string IniDocument::fold(std::string_view fileBytes) const
{
    std::string folded(fileBytes);
    for (std::size_t i = 0; i < folded.size();) {
        const std::size_t length = utf8_ ? 1 : Cp936CharLength(folded, i);
        if (length == 1 && folded[i] >= 'A' && folded[i] <= 'Z')
            folded[i] = static_cast<char>(folded[i] - 'A' + 'a');
        i += length;
    }
    return folded;
}

std::optional<std::string> IniDocument::foldedName(std::string_view utf8Name) const
{
    auto encoded = EncodeFileText(trimBlanks(utf8Name), utf8_);
    if (!encoded)
        return std::nullopt;
    return fold(*encoded);
}

void IniDocument::indexSection(std::size_t sectionIndex)
{
    Section& section = sections_[sectionIndex];
    section.keys.clear();
    for (std::size_t i = 0; i < section.lines.size(); ++i) {
        const Line& line = section.lines[i];
        if (line.kind != LineKind::Key || line.keyEnd == line.keyBegin)
            continue;
        section.keys.emplace(fold(std::string_view(line.raw).substr(line.keyBegin, line.keyEnd - line.keyBegin)), i);
    }
}

void IniDocument::rebuildIndex()
{
    sectionIndex_.clear();
    for (std::size_t i = 1; i < sections_.size(); ++i) {
        const Line& header = sections_[i].lines.front();
        sectionIndex_.emplace(
            fold(std::string_view(header.raw).substr(header.keyBegin, header.keyEnd - header.keyBegin)), i);
    }
}

std::string_view IniDocument::newline() const
{
    return newline_;
}

const IniDocument::Line* IniDocument::findKey(std::string_view section, std::string_view key) const
{
    const auto foldedSection = foldedName(section);
    const auto foldedKey = foldedName(key);
    if (!foldedSection || !foldedKey || foldedKey->empty())
        return nullptr;
    const auto s = sectionIndex_.find(*foldedSection);
    if (s == sectionIndex_.end())
        return nullptr;
    const Section& found = sections_[s->second];
    const auto k = found.keys.find(*foldedKey);
    return k == found.keys.end() ? nullptr : &found.lines[k->second];
}

bool IniDocument::HasSection(std::string_view section) const
{
    const auto folded = foldedName(section);
    return folded && sectionIndex_.count(*folded) > 0;
}

std::optional<std::string> IniDocument::Value(std::string_view section, std::string_view key) const
{
    const Line* line = findKey(section, key);
    if (!line)
        return std::nullopt;
    const auto stored = std::string_view(line->raw).substr(line->valueBegin, line->valueEnd - line->valueBegin);
    return DecodeFileText(unquote(stored), utf8_);
}

std::string IniDocument::ReadString(std::string_view section, std::string_view key, std::string_view fallback) const
{
    const Line* line = findKey(section, key);
    if (!line)
        return std::string(fallback);
    const auto stored
        = unquote(std::string_view(line->raw).substr(line->valueBegin, line->valueEnd - line->valueBegin));
    if (stored.empty())
        return std::string(fallback);
    return DecodeFileText(cutToCp936Bytes(stored, utf8_, kMaxReadBytes), utf8_);
}

std::int16_t IniDocument::ReadInt(std::string_view section, std::string_view key, std::int32_t fallback) const
{
    static constexpr std::int64_t lowest = std::numeric_limits<std::int16_t>::min();
    static constexpr std::int64_t highest = std::numeric_limits<std::int16_t>::max();
    const auto clamp = [](std::int64_t v) { return static_cast<std::int16_t>(std::clamp(v, lowest, highest)); };

    const Line* line = findKey(section, key);
    if (!line)
        return clamp(fallback);
    const auto stored
        = unquote(std::string_view(line->raw).substr(line->valueBegin, line->valueEnd - line->valueBegin));
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
        return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
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

    const auto newLine = [this](std::string raw) { return makeLine(std::move(raw), 0, !utf8_); };
    const auto terminate = [this](Line& line) {
        if (terminatorLength(line.raw) == 0)
            line.raw.append(newline());
    };

    const std::string foldedSection = fold(*encodedSection);
    const std::string foldedKey = fold(*encodedKey);
    const auto s = sectionIndex_.find(foldedSection);
    if (s != sectionIndex_.end()) {
        Section& target = sections_[s->second];
        const auto k = target.keys.find(foldedKey);
        if (k != target.keys.end()) {
            // Replace the value where it stands, keeping the key as it is spelled in the file.
            Line& line = target.lines[k->second];
            const std::string_view raw = line.raw;
            std::string replaced(raw.substr(line.keyBegin, line.keyEnd - line.keyBegin));
            replaced += '=';
            replaced += *encodedValue;
            replaced += raw.substr(raw.size() - terminatorLength(raw));
            line = newLine(std::move(replaced));
            return true;
        }
        std::size_t insertAt = 1;
        for (std::size_t i = target.lines.size(); i-- > 1;) {
            if (target.lines[i].kind == LineKind::Key) {
                insertAt = i + 1;
                break;
            }
        }
        terminate(target.lines[insertAt - 1]);
        target.lines.insert(target.lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                            newLine(*encodedKey + "=" + *encodedValue + std::string(newline())));
        // Every other key line lies before the new one, so their positions stand.
        target.keys.emplace(foldedKey, insertAt);
        return true;
    }

    for (auto it = sections_.rbegin(); it != sections_.rend(); ++it) {
        if (!it->lines.empty()) {
            terminate(it->lines.back());
            break;
        }
    }
    Section added;
    added.hasHeader = true;
    added.lines.push_back(newLine("[" + *encodedSection + "]" + std::string(newline())));
    added.lines.push_back(newLine(*encodedKey + "=" + *encodedValue + std::string(newline())));
    added.keys.emplace(foldedKey, 1);
    sections_.push_back(std::move(added));
    sectionIndex_.emplace(foldedSection, sections_.size() - 1);
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
    const auto s = sectionIndex_.find(*folded);
    if (s == sectionIndex_.end())
        return true;
    sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(s->second));
    rebuildIndex();
    return true;
}

std::string IniDocument::Serialize() const
{
    std::size_t size = 0;
    for (const Section& section : sections_)
        for (const Line& line : section.lines)
            size += line.raw.size();
    std::string bytes;
    bytes.reserve(size);
    for (const Section& section : sections_)
        for (const Line& line : section.lines)
            bytes += line.raw;
    return bytes;
}

} // namespace lanvex::store
