#include "apply/AdapterChoice.h"

#include "net/AdapterConfiguration.h"

#include <algorithm>
#include <charconv>

namespace lanvex::apply {

namespace {

// A GUID without its braces; letter case is left to the comparison.
std::string_view bareGuid(std::string_view text)
{
    if (text.size() >= 2 && text.front() == '{' && text.back() == '}')
        return text.substr(1, text.size() - 2);
    return text;
}

bool allDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Eight, four, four, four and twelve hex digits joined by "-".
bool isGuid(std::string_view text)
{
    if (text.size() != 36)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != '-' : !isHex(text[i]))
            return false;
    }
    return true;
}

bool isInterfaceName(std::string_view text)
{
    // Linux's rule for a device's name (IFNAMSIZ less its terminator).
    constexpr std::size_t kMaxInterfaceName = 15;
    if (text.empty() || text.size() > kMaxInterfaceName || text == "." || text == "..")
        return false;
    return std::none_of(text.begin(), text.end(), [](char c) {
        return c == '/' || c == ':' || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    });
}

} // namespace

bool CanNameAdapter(std::string_view text)
{
    if (allDigits(text))
        return ParseAdapterChoice(text).kind == AdapterChoice::Kind::Number;
    if (net::FormatMACAddress(text))
        return true;
    if (!text.empty() && text.front() == '{')
        return isGuid(bareGuid(text));
    if (isGuid(text))
        return true;
    const bool macLike = text.find_first_of("-:") != std::string_view::npos
        && std::all_of(text.begin(), text.end(), [](char c) { return isHex(c) || c == '-' || c == ':'; });
    return !macLike && isInterfaceName(text);
}

AdapterChoice ParseAdapterChoice(std::string_view text)
{
    AdapterChoice choice;
    if (!allDigits(text)) {
        choice.kind = AdapterChoice::Kind::Name;
        choice.name = std::string(text);
        return choice;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), choice.number);
    (void)end;
    if (error == std::errc::result_out_of_range)
        choice.kind = AdapterChoice::Kind::NoSuchNumber;
    else if (choice.number < 1)
        choice.kind = AdapterChoice::Kind::NotPositive;
    return choice;
}

bool NamesAdapter(std::string_view text, const net::AdapterEntry& adapter)
{
    if (text.empty())
        return false;
    if (allDigits(text)) {
        const AdapterChoice choice = ParseAdapterChoice(text);
        return choice.kind == AdapterChoice::Kind::Number && choice.number == adapter.Index;
    }
    if (net::SameMACAddress(text, adapter.Info.MACAddress))
        return true;
    if (!adapter.InterfaceName.empty() && text == adapter.InterfaceName)
        return true;
    return !adapter.SettingID.empty() && net::EqualsNoCase(bareGuid(text), bareGuid(adapter.SettingID));
}

std::optional<std::size_t> FindAdapter(std::string_view text, const std::vector<net::AdapterEntry>& adapters)
{
    for (std::size_t i = 0; i < adapters.size(); ++i)
        if (NamesAdapter(text, adapters[i]))
            return i;
    return std::nullopt;
}

std::string AdapterBinding(const net::AdapterEntry& adapter)
{
    if (!adapter.SettingID.empty())
        return adapter.SettingID;
    if (const auto mac = net::FormatMACAddress(adapter.Info.MACAddress))
        return *mac;
    return adapter.InterfaceName;
}

const store::SiteProfile* FindSite(const store::SiteListModel& model, std::string_view name)
{
    const std::size_t count = std::min(
        { static_cast<std::size_t>(std::max(model.SiteCount, 0)), model.SiteNames.size(), model.SiteProfiles.size() });
    for (std::size_t i = 1; i < count; ++i)
        if (model.SiteNames[i] == name)
            return &model.SiteProfiles[i];
    return nullptr;
}

} // namespace lanvex::apply
