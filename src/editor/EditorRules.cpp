#include "editor/EditorRules.h"

#include "store/TextCodec.h"

#include <algorithm>
#include <array>

namespace lanvex::editor {

namespace {

bool IsDecimalPartUpTo255(std::string_view part)
{
    if (part.empty())
        return false;
    int value = 0;
    for (char c : part) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
        // Parts are at most 15 characters long, so leading zeros cannot overflow this.
        if (value > 255)
            return false;
    }
    return true;
}

std::string_view TrimBlanks(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

char FoldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether two names open the same section of the settings file: the file matches section names
// with their blanks trimmed and ASCII letter case ignored, and every other byte as it is.
bool SameSectionName(std::string_view a, std::string_view b)
{
    a = TrimBlanks(a);
    b = TrimBlanks(b);
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

bool MatchesAnyEntry(const std::string& name, const std::vector<std::string>& siteNames, int except)
{
    for (std::size_t i = 0; i < siteNames.size(); ++i) {
        if (static_cast<int>(i) != except && SameSectionName(name, siteNames[i]))
            return true;
    }
    return false;
}

} // namespace

bool IsValidIPText(std::string_view text)
{
    if (text.empty() || text.size() > 15)
        return false;
    std::array<std::string_view, 4> parts;
    std::size_t count = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = text.find('.', start);
        if (count == parts.size())
            return false;
        parts[count++] = text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        if (dot == std::string_view::npos)
            break;
        start = dot + 1;
    }
    if (count != parts.size())
        return false;
    for (std::string_view part : parts) {
        if (!IsDecimalPartUpTo255(part))
            return false;
    }
    return true;
}

std::optional<AddressFailure> CheckSiteAddresses(const AddressInputs& in)
{
    if (!in.staticChosen)
        return std::nullopt;
    struct Row
    {
        AddressField field;
        const std::string& text;
        bool checked;
        const char* message;
    };
    const Row rows[] = {
        { AddressField::IP, in.IP, true, LANVEX_TR_NOOP("EditorRules", "IP地址的格式不正确!") },
        { AddressField::SubNetMask, in.SubNetMask, true, LANVEX_TR_NOOP("EditorRules", "IP子网掩码的格式不正确!") },
        { AddressField::Gateway, in.Gateway, true, LANVEX_TR_NOOP("EditorRules", "IP默认网关的格式不正确!") },
        { AddressField::DNS, in.DNS, in.dnsBox == 0, LANVEX_TR_NOOP("EditorRules", "DNS的格式不正确!") },
        { AddressField::AuxDNS, in.AuxDNS, in.dnsBox == 0, LANVEX_TR_NOOP("EditorRules", "备用DNS的格式不正确!") },
        { AddressField::WINS, in.WINS, in.winsBox == 0, LANVEX_TR_NOOP("EditorRules", "主WINS服务器的格式不正确!") },
        { AddressField::AuxWINS, in.AuxWINS, in.winsBox == 0,
          LANVEX_TR_NOOP("EditorRules", "从WINS服务器的格式不正确!") },
    };
    for (const Row& row : rows) {
        if (row.checked && !IsValidIPText(row.text))
            return AddressFailure { row.field, row.message };
    }
    return std::nullopt;
}

EnabledStates EnablingFor(bool staticChosen, int dnsBox, int winsBox, int printerBox)
{
    EnabledStates states;
    states.addressFields = staticChosen;
    states.boxes = staticChosen;
    // The governed fields follow their box in both modes: in DHCP mode the caption labels can
    // still untick a locked box.
    states.dnsFields = dnsBox == 0;
    states.winsFields = winsBox == 0;
    states.printerList = printerBox == 0;
    return states;
}

int ToggledBoxValue(int value)
{
    return value == 1 ? 0 : 1;
}

std::string TrimSiteName(std::string_view name)
{
    const std::size_t first = name.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = name.find_last_not_of(' ');
    return std::string(name.substr(first, last - first + 1));
}

bool RepresentableInCodePage936(std::string_view utf8)
{
    return store::EncodeFileText(utf8, false).has_value();
}

std::string SectionNameKey(std::string_view name)
{
    std::string key(TrimBlanks(name));
    std::transform(key.begin(), key.end(), key.begin(), FoldAscii);
    return key;
}

std::optional<std::string> SiteNameFormProblem(const std::string& trimmedName)
{
    if (trimmedName.empty())
        return std::string(LANVEX_TR_NOOP("EditorRules", "名称不能为空!"));
    if (trimmedName.find_first_of(",[]=") != std::string::npos)
        return std::string(LANVEX_TR_NOOP("EditorRules", "名称不能包含逗号、方括号或等号!"));
    bool control = false;
    for (unsigned char c : trimmedName)
        control = control || c < 0x20 || c == 0x7f;
    if (control || !RepresentableInCodePage936(trimmedName))
        return std::string(LANVEX_TR_NOOP("EditorRules", "名称中含有无法保存的字符!"));
    return std::nullopt;
}

std::optional<std::string> SiteNameProblem(const std::string& trimmedName, const std::vector<std::string>& siteNames,
                                           int selIndex)
{
    if (auto problem = SiteNameFormProblem(trimmedName))
        return problem;
    if (MatchesAnyEntry(trimmedName, siteNames, selIndex))
        return std::string(LANVEX_TR_NOOP("EditorRules", "已有同名的办公位置!"));
    return std::nullopt;
}

std::string NextNewSiteName(int& newSiteCounter, const std::vector<std::string>& siteNames, const std::string& prefix)
{
    std::string name;
    do {
        ++newSiteCounter;
        name = prefix + std::to_string(newSiteCounter);
    } while (MatchesAnyEntry(name, siteNames, -1));
    return name;
}

} // namespace lanvex::editor
