// libFuzzer target for the import's reading of a file (a JSON site list, or a settings file with
// its site list): any bytes must read without fault; sites read are within the list's capacity,
// each record whole with its name; and the sites written back as --export writes them read back
// the same.

#include "store/SiteListModel.h"
#include "transfer/SiteFileReader.h"
#include "transfer/SiteJson.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace lanvex;

namespace {

void fail(const char* condition, int line)
{
    std::fprintf(stderr, "invariant broken at line %d: %s\n", line, condition);
    std::abort();
}

#define check(condition) ((condition) ? void() : fail(#condition, __LINE__))

std::string exportedJson(const transfer::PackedSites& sites)
{
    std::string text = "[";
    for (std::size_t i = 0; i < sites.size(); ++i)
        text += (i ? ",\n" : "\n") + transfer::SiteListRecord(sites.At(i), false);
    return text + "\n]\n";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const transfer::SitesOfFile read
        = transfer::ReadSitesOfFile(std::string(reinterpret_cast<const char*>(data), size));
    if (read.problem != transfer::SitesOfFile::Problem::None)
        return 0;
    check(read.sites.size() <= store::kMaxSites);
    for (std::size_t i = 0; i < read.sites.size(); ++i)
        check(read.sites.At(i).Name == read.sites.NameAt(i));

    const transfer::SitesOfFile again = transfer::ReadSitesOfFile(exportedJson(read.sites));
    check(again.problem == transfer::SitesOfFile::Problem::None);
    check(again.sites.size() == read.sites.size());
    for (std::size_t i = 0; i < read.sites.size(); ++i) {
        store::SiteProfile site = read.sites.At(i);
        site.MACAddress.clear(); // an adapter's field, never exported
        check(again.sites.At(i) == site);
    }
    return 0;
}
