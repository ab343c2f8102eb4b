#pragma once

#include "i18n/Translatable.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lanvex::editor {

// A dotted-quad IPv4 text: 1 to 15 characters, exactly four parts, each plain decimal digits
// (leading zeros allowed) with a value up to 255. Signs, blanks and other notations are refused
// because the text reaches the network service unchanged.
bool IsValidIPText(std::string_view text);

// The seven address fields in the order they are checked.
enum class AddressField
{
    IP,
    SubNetMask,
    Gateway,
    DNS,
    AuxDNS,
    WINS,
    AuxWINS,
};

// The editor's values that decide which addresses are checked. Box values: 0 unticked,
// 1 ticked, 2 greyed; only 0 asks for the pair of fields to be checked.
struct AddressInputs
{
    bool staticChosen = true;
    int dnsBox = 0;
    int winsBox = 0;
    std::string IP, SubNetMask, Gateway, DNS, AuxDNS, WINS, AuxWINS;
};

struct AddressFailure
{
    AddressField field;
    const char* message; // UTF-8
};

// The first field that fails, or nothing when every checked field passes (or none is checked,
// as in DHCP mode).
std::optional<AddressFailure> CheckSiteAddresses(const AddressInputs& inputs);

// Which controls are enabled for a given option and box values. The name field is always enabled.
struct EnabledStates
{
    bool addressFields = true; // txtIP, txtSubNetMask, txtGateway
    bool boxes = true; // chkDNS, chkWINS, chkPrinter
    bool dnsFields = true; // txtDNS, txtAuxDNS
    bool winsFields = true; // txtWINS, txtAuxWINS
    bool printerList = true; // cboPrinter
};
EnabledStates EnablingFor(bool staticChosen, int dnsBox, int winsBox, int printerBox);

// What a label click makes of its box: 1 becomes 0, anything else becomes 1.
int ToggledBoxValue(int value);

// The name as saved: leading and trailing spaces removed, inner spaces kept.
std::string TrimSiteName(std::string_view name);

// True when every character of the UTF-8 text has a code page 936 form.
bool RepresentableInCodePage936(std::string_view utf8);

// Why a trimmed name can never be a site's name, whatever the other names are: empty, holding a
// list or section delimiter, or not storable in the file's code page. Nothing when it can.
std::optional<std::string> SiteNameFormProblem(const std::string& trimmedName);

// The form in which the settings file tells section names apart: blanks trimmed, ASCII letters
// folded. Two names with the same key share one section.
std::string SectionNameKey(std::string_view name);

// Why a trimmed name cannot be saved for entry `selIndex` of `siteNames`, or nothing when it can.
// A name is a section of the settings file and an item of its comma-separated list, so it must be
// non-empty, free of the list and section delimiters, storable in the file's code page, and differ
// (ignoring letter case) from every other entry's name.
std::optional<std::string> SiteNameProblem(const std::string& trimmedName, const std::vector<std::string>& siteNames,
                                           int selIndex);

// What the names of new sites start with, before the window's language is applied.
inline constexpr const char* kNewSiteName = LANVEX_TR_NOOP("EditorRules", "新位置");

// The name of the next new site: `prefix` ("新位置") and the counter, raising the counter first and
// then as long as the name matches an existing entry (ignoring letter case).
std::string NextNewSiteName(int& newSiteCounter, const std::vector<std::string>& siteNames,
                            const std::string& prefix = kNewSiteName);

} // namespace lanvex::editor
