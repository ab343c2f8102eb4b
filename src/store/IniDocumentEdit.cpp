#include "store/IniDocument.h"
#include "store/IniLineText.h"
#include "store/TextCodec.h"

#include <algorithm>
#include <utility>

// Writing and deleting keys and sections. An edit takes apart only the section it changes and
// writes only the lines it replaces or adds; the rest of the file keeps its bytes.
namespace lanvex::store {

using namespace ini;

namespace {

bool breaksLine(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
}

// Whether "key=..." reads back with this key: "=" would end it early, and ";" or "[" in front
// would make the line a comment or a header.
bool keyReadsBack(std::string_view keyName)
{
    return keyName.find('=') == std::string_view::npos && keyName.front() != ';' && keyName.front() != '[';
}

// Reads drop blanks around a value and one pair of quotes; an extra pair keeps them.
std::string quotedForReading(std::string value)
{
    if (!value.empty()
        && (isBlank(value.front()) || isBlank(value.back())
            || (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front())))
        return '"' + value + '"';
    return value;
}

// The line end of a line, empty when it has none.
std::string_view terminatorOf(std::string_view line)
{
    return line.substr(line.size() - terminatorLength(line));
}

} // namespace

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
    replaced += terminatorOf(line);
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
        if (whole(line))
            splitInto(split, line);
        else
            split.push_back(line);
    }
    lines = std::move(split);
}

// Appends the single lines of a body or run of keys; lines that are neither header nor key stay
// together as one.
void IniDocument::splitInto(std::vector<Line>& split, const Line& line) const
{
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

bool IniDocument::WriteInt(std::string_view section, std::string_view key, std::int32_t value)
{
    return WriteString(section, key, std::to_string(value));
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

// Whether "[name]" reads back as the header of the section `sectionName`.
bool IniDocument::headerReadsBack(std::string_view sectionName) const
{
    std::string header(1, '[');
    header += sectionName;
    header += ']';
    const Classified headerLine = classifyLine(header, 0, !utf8_);
    return headerLine.header
        && header.substr(headerLine.nameBegin, headerLine.nameEnd - headerLine.nameBegin) == sectionName;
}

// Writes key=value with the section name and the value already in the file's bytes.
bool IniDocument::writeEncoded(std::string_view section, std::string_view key, std::string value)
{
    const std::string_view sectionName = trimBlanks(section);
    const std::string_view keyName = trimBlanks(key);
    if (sectionName.empty() || keyName.empty() || breaksLine(sectionName) || breaksLine(keyName) || breaksLine(value))
        return false;
    // Each of these would write a line that reads back as something else.
    if (!keyReadsBack(keyName) || !headerReadsBack(sectionName))
        return false;
    const std::optional<std::string> encodedKey = EncodeFileText(keyName, utf8_);
    if (!encodedKey)
        return false;
    const std::string stored = quotedForReading(std::move(value));

    const std::size_t found = findSection(fold(sectionName));
    if (found != 0)
        return writeInSection(found, keyName, *encodedKey, stored);
    appendSection(sectionName, *encodedKey + "=" + stored);
    return true;
}

// Sets the key in the section found: its line replaced where it stands, else a line added after
// the section's last key.
bool IniDocument::writeInSection(std::size_t section, std::string_view keyName, const std::string& encodedKey,
                                 const std::string& value)
{
    std::vector<Line>& lines = sections_[section];
    if (const std::optional<KeyLine> existing = findKey(section, keyName)) {
        // The value as it stands already: the section stays as it was read, whole.
        if (rewrittenKeyLine(existing->raw, value) == existing->raw)
            return true;
    } else {
        // A key new to a section whose keys were just added goes on the end of their run.
        const std::string keyLine = encodedKey + "=" + value + std::string(terminatorOf(raw(lines.back())));
        if (appendToKeys(lines, keyLine))
            return true;
    }
    materialize(section);
    if (!replaceKey(lines, fold(encodedKey), value))
        insertKey(lines, encodedKey + "=" + value);
    return true;
}

// Replaces the first line of the key in a section taken apart into lines; false when there is none.
bool IniDocument::replaceKey(std::vector<Line>& lines, const std::string& foldedKey, std::string_view value)
{
    for (std::size_t i = 1; i < lines.size(); ++i) {
        Line& line = lines[i];
        if (line.kind != LineKind::Key || !sameFolded(name(line), foldedKey))
            continue;
        line = addLine(rewrittenKeyLine(raw(line), value));
        joinKeys(lines, i);
        return true;
    }
    return false;
}

// Adds a key line after the last key of a section taken apart into lines, or after its header.
void IniDocument::insertKey(std::vector<Line>& lines, const std::string& keyLine)
{
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
    const std::string lineEnd(terminatorOf(raw(lines[insertAt - 1])));
    const Line added = addLine(keyLine + lineEnd);
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), added);
}

// A new section at the end of the file with its first key line.
void IniDocument::appendSection(std::string_view sectionName, const std::string& keyLine)
{
    terminateLast();
    // Appended piece by piece: GCC 12 warns falsely of overlapping copies (-Wrestrict) on "[" + name.
    std::string header;
    header.reserve(sectionName.size() + 2 + newline_.size());
    header.append(1, '[').append(sectionName).append(1, ']').append(newline_);
    const Line opening = addLine(header);
    const Line firstKey = addLine(keyLine + newline_);
    sections_.push_back(std::vector<Line> { opening, firstKey });
    indexSection(static_cast<std::uint32_t>(sections_.size() - 1));
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

bool IniDocument::DeleteSection(std::string_view section)
{
    const auto encoded = EncodeFileText(trimBlanks(section), utf8_);
    if (!encoded)
        return true; // a name the file cannot hold names no section in it
    return DeleteSection(FileBytes { *encoded });
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
    newline_ = firstNewline();
    rebuildIndex();
    return true;
}

// Added lines take the line end of the file's first line, "\r\n" when no line has one.
std::string IniDocument::firstNewline() const
{
    for (const std::vector<Line>& lines : sections_) {
        const auto ended
            = std::find_if(lines.begin(), lines.end(), [&](const Line& l) { return terminatorLength(raw(l)) != 0; });
        if (ended == lines.end())
            continue;
        // A record may hold several lines: the first line end in it is the one.
        const std::string_view r = raw(*ended);
        return lineEndAt(r, r.find_first_of("\r\n"));
    }
    return "\r\n";
}

} // namespace lanvex::store
