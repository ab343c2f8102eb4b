#pragma once

#include "store/SiteProfile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lanvex::transfer {

// Sites held compactly while an import reads and merges them: a record costs the bytes of its
// texts and a few more, where a SiteProfile costs nearly a kilobyte however short its texts are.
// Records go into large blocks that are never reallocated, so the list grows without copying.
class PackedSites
{
public:
    void Append(const store::SiteProfile& site);
    std::size_t size() const { return where_.size(); }
    bool empty() const { return where_.empty(); }
    // The record at `i`, whole; or only its name.
    store::SiteProfile At(std::size_t i) const;
    std::string NameAt(std::size_t i) const;

private:
    const char* record(std::size_t i) const;

    std::vector<std::string> blocks_;
    std::vector<std::uint64_t> where_; // the block of each record, shifted up 32 bits, and its offset
};

} // namespace lanvex::transfer
