#include "store/CharLength.h"
#include "store/IniDocument.h"
#include "store/IniLineText.h"
#include "store/TextCodec.h"

#include <algorithm>
#include <utility>

// Finding a section by its name and a key in its section: names folded as the profile functions
// fold them (ASCII letter case ignored, never inside a two-byte character), and the index of the
// sections by the hash of their folded names.
namespace lanvex::store {

using namespace ini;

namespace {

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

bool IniDocument::SameSectionName(std::string_view a, std::string_view b) const
{
    return sameFolded(trimBlanks(a), fold(trimBlanks(b)));
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
        if (auto found = findKeyInRange(raw(line), *folded))
            return found;
    }
    return std::nullopt;
}

// The first key line of that folded name in a range of several lines.
std::optional<IniDocument::KeyLine> IniDocument::findKeyInRange(std::string_view text, std::string_view folded) const
{
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = lineEnd(text, pos);
        const std::string_view one = text.substr(pos, end - pos);
        pos = end;
        const Classified c = classifyLine(one, 0, !utf8_);
        if (c.key && sameFolded(one.substr(c.nameBegin, c.nameEnd - c.nameBegin), folded))
            return KeyLine { one, c.valueBegin, c.valueEnd };
    }
    return std::nullopt;
}

} // namespace lanvex::store
