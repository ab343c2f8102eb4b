#include "transfer/PackedSites.h"

#include <algorithm>
#include <iterator>

namespace lanvex::transfer {

namespace {

using store::SiteProfile;

// The texts of a record in the order they are packed; the name comes first, so it can be read alone.
constexpr std::string SiteProfile::*kTexts[] = {
    &SiteProfile::Name,           &SiteProfile::Description, &SiteProfile::IP,         &SiteProfile::SubNetMask,
    &SiteProfile::DefaultGateway, &SiteProfile::DNS,         &SiteProfile::AuxDNS,     &SiteProfile::WINS,
    &SiteProfile::AuxWINS,        &SiteProfile::PrinterName, &SiteProfile::MACAddress,
};
constexpr bool SiteProfile::*kSwitches[] = {
    &SiteProfile::DHCPEnabled,
    &SiteProfile::ChangeDNS,
    &SiteProfile::ChangeWINS,
    &SiteProfile::ChangePrinter,
};

constexpr std::size_t kBlockBytes = std::size_t(1) << 20;

// A length in seven-bit groups, low first, the high bit set on every group but the last.
void putLength(std::string& out, std::size_t length)
{
    while (length >= 0x80) {
        out += static_cast<char>((length & 0x7F) | 0x80);
        length >>= 7;
    }
    out += static_cast<char>(length);
}

std::size_t takeLength(const char*& at)
{
    std::size_t length = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*at++);
        length |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0)
            return length;
    }
}

std::string takeText(const char*& at)
{
    const std::size_t length = takeLength(at);
    std::string text(at, length);
    at += length;
    return text;
}

void putText(std::string& out, const std::string& text)
{
    putLength(out, text.size());
    out += text;
}

} // namespace

void PackedSites::Append(const SiteProfile& site)
{
    std::string packed;
    for (const auto text : kTexts)
        putText(packed, site.*text);
    for (const store::ExtraKey& key : store::kExtraKeys)
        putText(packed, site.Extras.*key.member);
    char switches = 0;
    for (std::size_t i = 0; i < std::size(kSwitches); ++i)
        switches = static_cast<char>(switches | ((site.*kSwitches[i] ? 1 : 0) << i));
    packed += switches;

    if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < packed.size()) {
        blocks_.emplace_back();
        blocks_.back().reserve(std::max(kBlockBytes, packed.size()));
    }
    std::string& block = blocks_.back();
    where_.push_back((static_cast<std::uint64_t>(blocks_.size() - 1) << 32) | block.size());
    block += packed; // within the capacity reserved: earlier records never move
}

const char* PackedSites::record(std::size_t i) const
{
    return blocks_[where_[i] >> 32].data() + (where_[i] & 0xFFFFFFFFU);
}

SiteProfile PackedSites::At(std::size_t i) const
{
    SiteProfile site;
    const char* at = record(i);
    for (const auto text : kTexts)
        site.*text = takeText(at);
    for (const store::ExtraKey& key : store::kExtraKeys)
        site.Extras.*key.member = takeText(at);
    const auto switches = static_cast<unsigned char>(*at);
    for (std::size_t s = 0; s < std::size(kSwitches); ++s)
        site.*kSwitches[s] = (switches >> s) & 1U;
    return site;
}

std::string PackedSites::NameAt(std::size_t i) const
{
    const char* at = record(i);
    return takeText(at);
}

} // namespace lanvex::transfer
