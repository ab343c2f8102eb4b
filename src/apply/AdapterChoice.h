#pragma once

#include "net/AdapterQuery.h"
#include "store/SiteListModel.h"
#include "store/SiteProfile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The one rule that names an adapter, for --adapter, a site's Adapter key and the window alike: its
// number counted from 1, its interface name, its MAC address (letter case and separators ignored)
// or its Windows GUID (braces and letter case ignored).
namespace lanvex::apply {

struct AdapterChoice
{
    enum class Kind
    {
        Number,
        NoSuchNumber, // digits too many for any adapter
        NotPositive, // 0
        Name, // an interface name, a MAC address or a GUID
    };
    Kind kind = Kind::Number;
    std::int32_t number = 1;
    std::string name;
};

AdapterChoice ParseAdapterChoice(std::string_view text);

// Whether `text` has the form of a name of an adapter: a number from 1, a MAC address, a Windows
// GUID (braces optional) or an interface name (1 to 15 bytes without blanks, "/" or ":"). Hex
// digits with "-" or ":" between are taken for a MAC address, "{" for a GUID. Whether such an adapter
// is present is another question.
bool CanNameAdapter(std::string_view text);

// Whether `text` names the adapter.
bool NamesAdapter(std::string_view text, const net::AdapterEntry& adapter);

// The position in `adapters` of the first adapter `text` names; nothing when none is listed.
std::optional<std::size_t> FindAdapter(std::string_view text, const std::vector<net::AdapterEntry>& adapters);

// What a site's Adapter key holds to name `adapter`: its Windows GUID where the service gives one
// (a dock's adapters can share a MAC address), else its MAC address, else its interface name.
std::string AdapterBinding(const net::AdapterEntry& adapter);

// The saved site named `name` (entries 1..); null when there is none.
const store::SiteProfile* FindSite(const store::SiteListModel& model, std::string_view name);

} // namespace lanvex::apply
