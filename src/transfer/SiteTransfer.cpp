#include "transfer/SiteTransfer.h"

#include "editor/EditorRules.h"
#include "i18n/Translate.h"
#include "store/FileFailure.h"
#include "store/IniDocument.h"
#include "store/IniFile.h"
#include "store/IniModule.h"
#include "store/SiteStore.h"
#include "store/TransferFiles.h"
#include "store/Utf8Path.h"
#include "transfer/PackedSites.h"
#include "transfer/SiteFileReader.h"
#include "transfer/SiteJson.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>

namespace lanvex::transfer {

using i18n::Arg;
using i18n::Translate;

namespace {

constexpr const char* kContext = "SiteTransfer";

bool EndsWithJson(const std::string& path)
{
    static constexpr std::string_view suffix = ".json";
    if (path.size() < suffix.size())
        return false;
    return std::equal(
        suffix.begin(), suffix.end(), path.end() - static_cast<std::ptrdiff_t>(suffix.size()),
        [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : b); });
}

TransferReport Failure(const char* what, std::initializer_list<std::string_view> values)
{
    TransferReport report;
    report.failed = true;
    report.error = Arg(Translate(kContext, what), values);
    return report;
}

std::string ListCapacityText()
{
    return Arg(Translate(kContext, LANVEX_TR_NOOP("SiteTransfer", "办公位置列表最多容纳 %1 个办公位置。")),
               { std::to_string(store::kMaxSites) });
}

// Why an import file holds no sites to add.
std::string ProblemText(SitesOfFile::Problem problem)
{
    switch (problem) {
    case SitesOfFile::Problem::NotAList:
        return Translate(kContext, LANVEX_TR_NOOP("SiteTransfer", "文件不是办公位置列表。"));
    case SitesOfFile::Problem::NotARecord:
        return Translate(kContext, LANVEX_TR_NOOP("SiteTransfer", "文件中有一项不是办公位置记录。"));
    case SitesOfFile::Problem::TooMany:
    case SitesOfFile::Problem::None:
        break;
    }
    return ListCapacityText();
}

// Why the settings file was not written: a result too large to read again is named as such.
std::string WriteFailureText(const store::WriteResult& written)
{
    if (written.errorCode != EFBIG)
        return store::FileFailureText(written.errorCode);
    return Arg(
        Translate(kContext, LANVEX_TR_NOOP("SiteTransfer", "导入后配置文件将超过 %1 MiB，本程序将无法再读取它。")),
        { std::to_string(store::IniFile::kMaxFileBytes >> 20) });
}

// The saved sites of a settings file one at a time, in list order; an entry that shares an earlier
// one's section is read again under its own name.
bool VisitSites(const store::IniDocument& settings, const store::SiteVisitor& each)
{
    bool going = true;
    store::VisitSavedSites(
        settings,
        [&](store::SiteProfile&& site) {
            if (going)
                going = each(site, false);
        },
        [&](std::string&& name, std::size_t) {
            if (going)
                going = each(store::ReadSite(settings, name), true);
        });
    return going;
}

// The sites as the JSON array --list prints, one record at a time.
bool WriteSitesJson(const store::SiteSource& sites, const store::ByteSink& sink)
{
    bool first = true;
    const bool written = sink("[") && sites([&](const store::SiteProfile& site, bool) {
                             const bool ok = sink(first ? "\n" : ",\n") && sink(SiteListRecord(site, false));
                             first = false;
                             return ok;
                         });
    return written && sink(first ? "]\n" : "\n]\n");
}

// Names found by their section key, each held as a number that `keyOf` turns back into its key:
// a long list costs 16 bytes a name. Of equal keys, the lowest number is found.
class NameIndex
{
public:
    NameIndex(std::size_t count, std::function<std::optional<std::string>(std::size_t)> keyOf)
        : keyOf_(std::move(keyOf))
    {
        entries_.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            if (const std::optional<std::string> key = keyOf_(i))
                entries_.push_back({ std::hash<std::string> {}(*key), i });
        std::sort(entries_.begin(), entries_.end());
    }

    // The lowest number below `before` whose key is `key`.
    std::optional<std::size_t> Find(const std::string& key, std::size_t before = SIZE_MAX) const
    {
        const std::size_t hash = std::hash<std::string> {}(key);
        for (auto it = std::lower_bound(entries_.begin(), entries_.end(), Entry { hash, 0 });
             it != entries_.end() && it->hash == hash && it->id < before; ++it) {
            if (keyOf_(it->id) == key)
                return it->id;
        }
        return std::nullopt;
    }

private:
    struct Entry
    {
        std::size_t hash;
        std::size_t id;
        bool operator<(const Entry& other) const { return hash != other.hash ? hash < other.hash : id < other.id; }
    };
    std::vector<Entry> entries_;
    std::function<std::optional<std::string>(std::size_t)> keyOf_;
};

// An incoming site as it would be saved: its name trimmed, the adapter's fields left out.
store::SiteProfile IncomingSite(const PackedSites& incoming, std::size_t i)
{
    store::SiteProfile site = incoming.At(i);
    site.Name = editor::TrimSiteName(site.Name);
    site.Description.clear();
    site.MACAddress.clear();
    return site;
}

// The site list as the file stores it, and where each name lies in it.
struct StoredList
{
    std::string text;
    std::vector<std::string_view> names;
};

StoredList ReadStoredList(const store::IniDocument& settings)
{
    StoredList list;
    list.text = settings.ReadSection("Common").StoredValue("Sites").value_or(std::string());
    if (list.text.empty())
        return list;
    const std::string_view text(list.text);
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        list.names.push_back(
            text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos)
            return list;
        start = comma + 1;
    }
}

// Adds (or, with `replace`, overwrites) the incoming sites in an open settings document and
// records what happened to each. Names are matched through sorted tables of their hashes, and
// each site is unpacked only while it is written, so a long list costs little more than the
// bytes it adds to the file.
bool MergeSites(store::IniDocument& settings, const PackedSites& incoming, bool replace, TransferReport& report,
                bool& full)
{
    // A new file gets its site list first, as a save writes it, so the sections follow it.
    if (!settings.Value("Common", "Sites") && !settings.WriteString("Common", "Sites", ""))
        return false;
    StoredList list = ReadStoredList(settings);
    // The names the list shows (those past the cap are kept but not shown), after entry 0, which
    // stands for the adapter and is never a saved site.
    const std::size_t listed = std::min(list.names.size(), store::kMaxSites);
    const NameIndex saved(listed + 1, [&](std::size_t i) -> std::optional<std::string> {
        return editor::SectionNameKey(i == 0 ? std::string(store::kCurrentSettingsName)
                                             : settings.Decode(list.names[i - 1]));
    });
    const NameIndex given(incoming.size(), [&](std::size_t i) -> std::optional<std::string> {
        const std::string name = editor::TrimSiteName(incoming.NameAt(i));
        if (editor::SiteNameFormProblem(name))
            return std::nullopt;
        return editor::SectionNameKey(name);
    });
    std::string added;

    for (std::size_t i = 0; i < incoming.size(); ++i) {
        store::SiteProfile site = IncomingSite(incoming, i);
        const auto skip = [&report, &site](std::string reason) {
            report.skipped.push_back({ site.Name, std::move(reason) });
        };
        if (const std::optional<std::string> problem = editor::SiteNameFormProblem(site.Name)) {
            skip(Translate("EditorRules", problem->c_str()));
            continue;
        }
        const std::string key = editor::SectionNameKey(site.Name);
        if (given.Find(key, i)) {
            skip(Translate("SiteTransfer", "文件中已有同名的办公位置"));
            continue;
        }
        const std::optional<std::size_t> found = saved.Find(key);
        if (found && (*found == 0 || !replace)) {
            skip(Translate("SiteTransfer", "已有同名的办公位置"));
            continue;
        }
        if (!store::SiteFitsSettingsFile(site, settings.IsUtf8())) {
            skip(Translate("SiteTransfer", "含有配置文件无法保存的字符"));
            continue;
        }
        if (found) {
            // Overwritten where it stands in the list, under its saved spelling.
            site.Name = settings.Decode(list.names[*found - 1]);
            if (!store::WriteSiteKeys(settings, site))
                return false;
            report.replaced.push_back(site.Name);
            continue;
        }
        // Refused whole: a report of sites the list then leaves out would be false.
        if (!store::SiteListHasRoom(listed + report.added.size())) {
            full = true;
            return false;
        }
        // The new names join the list as the file stores it: the names already there keep their
        // bytes, also those the file's code page cannot decode.
        const std::optional<std::string> stored = settings.Encode(site.Name);
        if (!stored || !store::WriteSiteKeys(settings, site))
            return false;
        if (!list.text.empty() || !added.empty())
            added += ',';
        added += *stored;
        report.added.push_back(site.Name);
    }
    if (added.empty())
        return true;
    list.names.clear();
    list.text += added;
    return settings.WriteStoredValue("Common", "Sites", store::IniDocument::FileBytes { list.text });
}

} // namespace

TransferReport ExportSites(const std::string& settingsPath, const std::string& exportPath)
{
    // The settings file changes only under its lock, through the store.
    std::error_code ec;
    if (std::filesystem::equivalent(store::Utf8Path(settingsPath), store::Utf8Path(exportPath), ec))
        return Failure(LANVEX_TR_NOOP("SiteTransfer", "不能导出到配置文件本身：%1"), { exportPath });
    store::FileBytes read = store::ReadFileBytes(settingsPath);
    if (!read.ok && !read.missing)
        return Failure(LANVEX_TR_NOOP("SiteTransfer", "无法读取配置文件 %1：%2"),
                       { settingsPath, store::FileFailureText(read.errorCode) });
    const store::IniDocument settings = store::IniDocument::ParseOwned(std::move(read.bytes));

    // The sites are read one at a time and written as they come: the export never holds them all.
    std::size_t exported = 0;
    const store::SiteSource sites = [&](const store::SiteVisitor& each) {
        exported = 0;
        return VisitSites(settings, [&](const store::SiteProfile& site, bool repeat) {
            ++exported;
            return each(site, repeat);
        });
    };
    const bool json = EndsWithJson(exportPath);
    std::string unstorable;
    bool sinkFailed = false;
    const store::WriteResult written = store::ReplaceFileFrom(exportPath, [&](const store::ByteSink& sink) {
        const store::ByteSink watched = [&](std::string_view piece) { return !(sinkFailed = !sink(piece)); };
        return json ? WriteSitesJson(sites, watched) : store::WriteSettingsFileText(sites, watched, unstorable);
    });
    if (!written && !json && !sinkFailed && written.errorCode == ECANCELED)
        return Failure(LANVEX_TR_NOOP("SiteTransfer", "办公位置“%1”含有代码页936无法保存的字符。"), { unstorable });
    if (!written)
        return Failure(LANVEX_TR_NOOP("SiteTransfer", "无法写入文件 %1：%2"),
                       { exportPath, store::FileFailureText(written.errorCode) });
    TransferReport report;
    report.exported = exported;
    return report;
}

TransferReport ImportSites(const std::string& settingsPath, const std::string& importPath, bool replace)
{
    store::FileBytes read = store::ReadFileBytes(importPath);
    if (!read.ok)
        return Failure(LANVEX_TR_NOOP("SiteTransfer", "无法读取文件 %1：%2"),
                       { importPath, store::FileFailureText(read.errorCode) });
    const SitesOfFile incoming = ReadSitesOfFile(std::move(read.bytes));
    if (incoming.problem != SitesOfFile::Problem::None)
        return Failure(LANVEX_TR_NOOP("SiteTransfer", "无法导入文件 %1：%2"),
                       { importPath, ProblemText(incoming.problem) });

    TransferReport report;
    bool full = false;
    const store::WriteResult written = store::IniFile(settingsPath).Update([&](store::IniDocument& settings) {
        report = TransferReport {};
        full = false;
        return MergeSites(settings, incoming.sites, replace, report, full);
    });
    if (full)
        return Failure(LANVEX_TR_NOOP("SiteTransfer", "无法导入文件 %1：%2"), { importPath, ListCapacityText() });
    if (!written)
        return Failure(LANVEX_TR_NOOP("SiteTransfer", "无法写入配置文件 %1：%2"),
                       { settingsPath, WriteFailureText(written) });
    return report;
}

std::vector<std::string> ImportReportLines(const TransferReport& report, std::size_t maxSiteLines)
{
    std::vector<std::string> lines;
    if (report.failed) {
        lines.push_back(report.error);
        lines.push_back(Translate("SiteTransfer", "配置文件没有改变。"));
        return lines;
    }
    const std::size_t siteLines = report.added.size() + report.replaced.size() + report.skipped.size();
    const auto room = [&] { return maxSiteLines == 0 || lines.size() < maxSiteLines; };
    for (const std::string& name : report.added) {
        if (room())
            lines.push_back(Arg(Translate("SiteTransfer", "已添加：%1"), { name }));
    }
    for (const std::string& name : report.replaced) {
        if (room())
            lines.push_back(Arg(Translate("SiteTransfer", "已替换：%1"), { name }));
    }
    for (const TransferReport::Skipped& skipped : report.skipped) {
        if (room())
            lines.push_back(Arg(Translate("SiteTransfer", "已跳过：%1（%2）"), { skipped.name, skipped.reason }));
    }
    if (lines.size() < siteLines)
        lines.push_back(Arg(Translate("SiteTransfer", "……另有 %1 项"), { std::to_string(siteLines - lines.size()) }));
    lines.push_back(Arg(Translate("SiteTransfer", "共添加 %1 个，替换 %2 个，跳过 %3 个。"),
                        { std::to_string(report.added.size()), std::to_string(report.replaced.size()),
                          std::to_string(report.skipped.size()) }));
    return lines;
}

std::string ExportReportText(const TransferReport& report, const std::string& exportPath)
{
    if (report.failed)
        return Arg(Translate("SiteTransfer", "导出失败：%1"), { report.error });
    return Arg(Translate("SiteTransfer", "已导出 %1 个办公位置到 %2。"),
               { std::to_string(report.exported), exportPath });
}

} // namespace lanvex::transfer
