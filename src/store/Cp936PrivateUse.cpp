#include "store/Cp936PrivateUse.h"

namespace lanvex::store {

namespace {

// The user-defined areas: lead bytes, trail bytes and the first code point of each.
struct UserArea
{
    unsigned char firstLead, lastLead;
    bool lowTrails; // trails 40-7E and 80-A0; else A1-FE
    char32_t first;
};
constexpr UserArea kUserAreas[] = {
    { 0xAA, 0xAF, false, 0xE000 },
    { 0xF8, 0xFE, false, 0xE234 },
    { 0xA1, 0xA7, true, 0xE4C6 },
};

// Unassigned pairs between the areas, which Windows numbers on from U+E766: runs of consecutive
// trail bytes with consecutive characters.
struct Run
{
    unsigned char lead, firstTrail, lastTrail;
    char32_t first;
};
constexpr Run kRuns[] = {
#include "store/Cp936PrivateUseTable.inc"
};

// Position of a trail byte within its area's row, or -1 when the byte is no trail there.
int trailIndex(unsigned char trail, bool lowTrails)
{
    if (!lowTrails)
        return trail >= 0xA1 && trail <= 0xFE ? trail - 0xA1 : -1;
    if (trail >= 0x40 && trail <= 0x7E)
        return trail - 0x40;
    return trail >= 0x80 && trail <= 0xA0 ? trail - 0x80 + 63 : -1;
}

} // namespace

char32_t Cp936PrivateUseChar(unsigned char lead, unsigned char trail)
{
    for (const UserArea& area : kUserAreas) {
        const int index = trailIndex(trail, area.lowTrails);
        if (lead >= area.firstLead && lead <= area.lastLead && index >= 0)
            return area.first + static_cast<char32_t>((lead - area.firstLead) * (area.lowTrails ? 96 : 94) + index);
    }
    for (const Run& run : kRuns) {
        if (lead == run.lead && trail >= run.firstTrail && trail <= run.lastTrail)
            return run.first + (trail - run.firstTrail);
    }
    return 0;
}

std::string Cp936PrivateUseBytes(char32_t code)
{
    for (const UserArea& area : kUserAreas) {
        const int perLead = area.lowTrails ? 96 : 94;
        const char32_t end = area.first + static_cast<char32_t>((area.lastLead - area.firstLead + 1) * perLead);
        if (code < area.first || code >= end)
            continue;
        const auto offset = static_cast<int>(code - area.first);
        const int index = offset % perLead;
        const int trail = !area.lowTrails ? 0xA1 + index : index < 63 ? 0x40 + index : 0x80 + index - 63;
        return { static_cast<char>(area.firstLead + offset / perLead), static_cast<char>(trail) };
    }
    for (const Run& run : kRuns) {
        if (code >= run.first && code <= run.first + (run.lastTrail - run.firstTrail))
            return { static_cast<char>(run.lead), static_cast<char>(run.firstTrail + (code - run.first)) };
    }
    return {};
}

} // namespace lanvex::store
