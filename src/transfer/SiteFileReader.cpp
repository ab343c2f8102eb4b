#include "transfer/SiteFileReader.h"

#include "editor/EditorRules.h"
#include "store/IniDocument.h"
#include "store/SiteListModel.h"
#include "store/SiteStore.h"
#include "transfer/SiteJson.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>
#include <utility>

namespace lanvex::transfer {

namespace {

using Json = nlohmann::json;
using Problem = SitesOfFile::Problem;

// A record holds a few dozen values; far more is no record, and would cost memory unbounded.
constexpr std::size_t kMaxRecordValues = 1000;
// The longest text of a record: the program reads at most 143 bytes of a value, and a name is a
// line of the list. A longer one is no site's, and each copy the merge makes of it would cost its
// whole length again.
constexpr std::size_t kMaxTextBytes = 4096;

// Takes the JSON's events: the top level must be an array, each of its items an object, built
// alone and turned into a site before the next one starts.
class SiteArrayReader final : public nlohmann::json_sax<Json>
{
public:
    Problem problem = Problem::None;
    bool parseFailed = false;
    PackedSites sites;

    bool null() override { return value(nullptr); }
    bool boolean(bool on) override { return value(on); }
    bool number_integer(number_integer_t number) override { return value(number); }
    bool number_unsigned(number_unsigned_t number) override { return value(number); }
    bool number_float(number_float_t number, const string_t&) override { return value(number); }
    bool string(string_t& text) override
    {
        return text.size() <= kMaxTextBytes ? value(std::move(text)) : refuse(Problem::NotARecord);
    }
    bool binary(binary_t&) override { return refuse(Problem::NotARecord); }
    bool key(string_t& name) override
    {
        if (name.size() > kMaxTextBytes)
            return refuse(Problem::NotARecord);
        key_ = std::move(name);
        return true;
    }
    bool start_object(std::size_t) override
    {
        if (!inList_)
            return refuse(Problem::NotAList);
        if (open_.empty()) {
            record_ = Json::object();
            values_ = 0;
            open_.push_back(&record_);
            return true;
        }
        return open(Json::object());
    }
    bool start_array(std::size_t) override
    {
        if (!inList_ && !ended_) {
            inList_ = true;
            return true;
        }
        return open_.empty() ? refuse(Problem::NotARecord) : open(Json::array());
    }
    bool end_object() override { return close(); }
    bool end_array() override
    {
        if (open_.empty()) {
            inList_ = false;
            ended_ = true;
            return true;
        }
        return close();
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override
    {
        parseFailed = true;
        return false;
    }

private:
    bool refuse(Problem why)
    {
        problem = why;
        return false;
    }

    // Places a value in the record being built; a value outside a record is none.
    template <typename Value> Json* place(Value&& given)
    {
        if (open_.empty() || ++values_ > kMaxRecordValues)
            return nullptr;
        Json& parent = *open_.back();
        if (parent.is_object()) {
            Json& slot = parent[key_];
            slot = std::forward<Value>(given);
            return &slot;
        }
        parent.push_back(std::forward<Value>(given));
        return &parent.back();
    }

    template <typename Value> bool value(Value&& given)
    {
        if (!inList_)
            return refuse(Problem::NotAList);
        return place(std::forward<Value>(given)) != nullptr || refuse(Problem::NotARecord);
    }

    bool open(Json&& container)
    {
        Json* placed = place(std::move(container));
        if (!placed)
            return refuse(Problem::NotARecord);
        open_.push_back(placed);
        return true;
    }

    bool close()
    {
        open_.pop_back();
        if (!open_.empty())
            return true;
        std::optional<store::SiteProfile> site = SiteFromJson(record_);
        record_ = Json();
        if (!site)
            return refuse(Problem::NotARecord);
        if (!store::SiteListHasRoom(sites.size()))
            return refuse(Problem::TooMany);
        sites.Append(*site);
        return true;
    }

    bool inList_ = false;
    bool ended_ = false;
    Json record_;
    std::vector<Json*> open_;
    std::string key_;
    std::size_t values_ = 0;
};

// Whether the JSON text quotes a string so long that it cannot decode to a text a record holds
// (an escape of six bytes gives one byte at least). Checked before the parse, whose reader would
// first gather the whole string, growing its buffer to twice its length.
bool quotesOverlongText(std::string_view text)
{
    constexpr std::size_t kMaxQuoted = 6 * kMaxTextBytes;
    for (std::size_t pos = text.find('"'); pos != std::string_view::npos;) {
        std::size_t end = pos + 1;
        while (end < text.size() && text[end] != '"')
            end += text[end] == '\\' ? 2 : 1;
        if (end - pos - 1 > kMaxQuoted)
            return true;
        pos = end < text.size() ? text.find('"', end + 1) : std::string_view::npos;
    }
    return false;
}

// Whether the text opens as a JSON list of records, "[" then "{", which no settings file does.
bool opensAsRecordList(std::string_view text)
{
    const std::size_t open = text.find_first_not_of(" \t\r\n");
    if (open == std::string_view::npos || text[open] != '[')
        return false;
    const std::size_t next = text.find_first_not_of(" \t\r\n", open + 1);
    return next != std::string_view::npos && text[next] == '{';
}

bool sameKey(const std::string& a, const std::string& b)
{
    return editor::SectionNameKey(editor::TrimSiteName(a)) == editor::SectionNameKey(editor::TrimSiteName(b));
}

SitesOfFile sitesOfSettingsFile(std::string bytes)
{
    SitesOfFile result;
    if (store::IniDocument::HasTooManySections(bytes)) {
        result.problem = Problem::TooMany;
        return result;
    }
    const store::IniDocument settings = store::IniDocument::ParseOwned(std::move(bytes));
    if (!settings.Value("Common", "Sites")) {
        result.problem = Problem::NotAList;
        return result;
    }
    bool overlong = false;
    const auto keep = [&](const store::SiteProfile& site) {
        overlong = overlong || site.Name.size() > kMaxTextBytes;
        if (!overlong)
            result.sites.Append(site);
    };
    const std::optional<std::string> unlisted
        = store::VisitSavedSites(settings, keep, [&](std::string&& name, std::size_t earlier) {
              // A name the merge will skip as a repeat needs no record: one large section listed
              // many times over must not be held as many times.
              store::SiteProfile same;
              if (!overlong && !sameKey(name, result.sites.NameAt(earlier)))
                  same = result.sites.At(earlier);
              same.Name = std::move(name);
              keep(same);
          });
    if (unlisted || overlong) {
        result.sites = PackedSites();
        result.problem = unlisted ? Problem::TooMany : Problem::NotARecord;
    }
    return result;
}

} // namespace

SitesOfFile ReadSitesOfFile(std::string bytes)
{
    if (opensAsRecordList(bytes) && quotesOverlongText(bytes)) {
        SitesOfFile refused;
        refused.problem = Problem::NotARecord;
        return refused;
    }
    SiteArrayReader reader;
    const bool parsed = Json::sax_parse(bytes, &reader);
    if (parsed || !reader.parseFailed) {
        SitesOfFile result;
        result.problem = reader.problem;
        if (parsed)
            result.sites = std::move(reader.sites);
        return result;
    }
    // Not JSON: a settings file. A "[" opens both, so only the parse tells them apart.
    reader.sites = PackedSites();
    return sitesOfSettingsFile(std::move(bytes));
}

} // namespace lanvex::transfer
