#include "store/CharLength.h"
#include "store/IniDocument.h"
#include "store/IniLineText.h"
#include "store/TextCodec.h"

#include <algorithm>
#include <limits>

// Reading values as the profile functions return them: quotes stripped, strings cut to what their
// buffer holds, numbers clamped to 16 bits.
namespace lanvex::store {

using namespace ini;

namespace {

// The stored value as the profile functions return it: one matching pair of quotes removed, and
// nothing from the first NUL on.
std::string_view unquote(std::string_view value)
{
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    const auto nul = value.find('\0');
    return nul == std::string_view::npos ? value : value.substr(0, nul);
}

std::string_view storedValue(std::string_view raw, std::size_t begin, std::size_t end)
{
    return unquote(raw.substr(begin, end - begin));
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

std::int16_t clampToInt16(std::int64_t v)
{
    static constexpr std::int64_t lowest = std::numeric_limits<std::int16_t>::min();
    static constexpr std::int64_t highest = std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(std::clamp(v, lowest, highest));
}

// Leading blanks, optional sign, decimal digits, clamped to the 16-bit range.
std::int16_t parseInt16(std::string_view stored)
{
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
    return clampToInt16(negative ? -magnitude : magnitude);
}

} // namespace

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
    const auto line = doc_ ? doc_->findKey(section_, key) : std::nullopt;
    if (!line)
        return clampToInt16(fallback);
    const auto stored = storedValue(line->raw, line->valueBegin, line->valueEnd);
    if (stored.empty())
        return clampToInt16(fallback);
    return parseInt16(stored);
}

} // namespace lanvex::store
