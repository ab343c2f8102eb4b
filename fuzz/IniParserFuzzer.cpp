// libFuzzer target for the settings-file engine: any bytes must parse, serialize back unchanged,
// read without fault, take a write that reads back exactly (or refuse it and stay unchanged), and
// give the same bytes for a delete and a write made together as for the two made one by one.

#include "store/IniDocument.h"
#include "store/SiteStore.h"
#include "store/TextCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace lanvex::store;

namespace {

void fail(const char* condition, int line)
{
    std::fprintf(stderr, "invariant broken at line %d: %s\n", line, condition);
    std::abort();
}

#define check(condition) ((condition) ? void() : fail(#condition, __LINE__))

std::vector<std::string_view> lines(std::string_view bytes)
{
    std::vector<std::string_view> result;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        auto end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = bytes.size();
        result.push_back(bytes.substr(pos, end - pos));
        pos = end + 1;
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    IniDocument doc = IniDocument::Parse(input);
    check(doc.Serialize() == input);

    // Names and a value taken from the input itself, so that the writes hit existing sections and keys.
    std::string section = "Common", key = "Sites", value = "a";
    for (const std::string_view line : lines(input)) {
        const auto open = line.find('[');
        const auto close = line.rfind(']');
        const auto equals = line.find('=');
        if (open != std::string_view::npos && close != std::string_view::npos && close > open && section == "Common")
            section = DecodeFileText(line.substr(open + 1, close - open - 1), doc.IsUtf8());
        if (equals != std::string_view::npos) {
            key = DecodeFileText(line.substr(0, equals), doc.IsUtf8());
            if (value == "a")
                value = DecodeFileText(line.substr(equals + 1), doc.IsUtf8());
        }
    }

    for (const auto& [s, k] :
         { std::pair { section, key }, std::pair { std::string("Common"), std::string("Sites") } }) {
        const std::string cut = doc.ReadString(s, k, "");
        check(IsValidUtf8(cut));
        check(cut.size() <= IniDocument::kMaxReadBytes * 3);
        const auto whole = doc.Value(s, k);
        check(!whole || IsValidUtf8(*whole));
        check(!whole || whole->compare(0, cut.size(), cut) == 0);
        const int number = doc.ReadInt(s, k, 0);
        check(number >= -32768 && number <= 32767);
    }
    const SiteListModel model = LoadSiteModel(doc, std::nullopt);
    check(model.SiteCount >= 1 && model.SiteNames.size() == static_cast<std::size_t>(model.SiteCount));
    check(model.SiteProfiles.size() == model.SiteNames.size());
    check(model.SiteCount == 1 || SiteListText(model) == doc.Value("Common", "Sites").value_or(""));

    if (doc.WriteString(section, key, value)) {
        const std::string written = doc.Serialize();
        const IniDocument reread = IniDocument::Parse(written);
        check(reread.Serialize() == written);
        check(reread.Value(section, key) == value);
    } else {
        check(doc.Serialize() == input);
    }

    doc.DeleteSection(section);
    const std::string afterDelete = doc.Serialize();
    IniDocument separate = IniDocument::Parse(afterDelete);
    check(separate.Serialize() == afterDelete);
    check(separate.IsUtf8() == doc.IsUtf8());

    // A delete and a write in one change of the file leave the bytes of two separate writes.
    const bool joined = doc.WriteString("Common", "Sites", value);
    check(separate.WriteString("Common", "Sites", value) == joined);
    check(separate.Serialize() == doc.Serialize());
    return 0;
}
