#include "store/TransferFiles.h"

#include "store/SiteStore.h"
#include "store/Utf8Path.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace lanvex::store {

namespace {

// A file of sites this big is not one; reading it whole could exhaust memory.
constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t(256) << 20;

std::string describe(const std::string& what, const std::string& path, int error)
{
    return what + " " + path + ": " + std::strerror(error);
}

std::string temporaryNameFor(const std::string& path)
{
    std::random_device random;
    std::ostringstream name;
    name << path << ".tmp-" << std::hex << random() << random();
    return name.str();
}

bool canHeadSection(const std::string& name)
{
    return name.find_first_not_of(" \t") != std::string::npos;
}

} // namespace

FileBytes ReadFileBytes(const std::string& path)
{
    FileBytes result;
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(Utf8Path(path), ec);
    if (status.type() == fs::file_type::not_found) {
        result.missing = true;
        result.error = describe("cannot read", path, ENOENT);
        return result;
    }
    if (fs::is_directory(status)) {
        result.error = describe("cannot read", path, EISDIR);
        return result;
    }
    if (fs::is_regular_file(status) && fs::file_size(Utf8Path(path), ec) > kMaxFileBytes) {
        result.error = describe("cannot read", path, EFBIG);
        return result;
    }
    errno = 0;
    std::ifstream in(Utf8Path(path), std::ios::binary);
    if (!in) {
        result.error = describe("cannot read", path, errno != 0 ? errno : EIO);
        return result;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) {
        result.error = describe("cannot read", path, errno != 0 ? errno : EIO);
        return result;
    }
    result.bytes = std::move(bytes).str();
    result.ok = true;
    return result;
}

WriteResult ReplaceFile(const std::string& path, std::string_view bytes)
{
    const std::string temporary = temporaryNameFor(path);
    const auto fail = [&temporary](const std::string& what, const std::string& where, int error) {
        std::error_code ignored;
        std::filesystem::remove(Utf8Path(temporary), ignored);
        return WriteResult { false, describe(what, where, error), error, {} };
    };
    errno = 0;
    std::ofstream out(Utf8Path(temporary), std::ios::binary | std::ios::trunc);
    if (!out)
        return fail("cannot write", path, errno != 0 ? errno : EIO);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        return fail("cannot write", path, errno != 0 ? errno : EIO);
    std::error_code ec;
    std::filesystem::rename(Utf8Path(temporary), Utf8Path(path), ec);
    if (ec)
        return fail("cannot replace", path, ec.value());
    return {};
}

std::optional<std::string> SettingsFileText(const std::vector<SiteProfile>& sites, std::string& unstorable)
{
    // A new document is code page 936 with CRLF line ends, as the Windows profile functions write.
    IniDocument settings = IniDocument::Parse({});
    std::vector<std::string> names { std::string(kCurrentSettingsName) };
    names.reserve(sites.size() + 1);
    for (const SiteProfile& site : sites)
        names.push_back(site.Name);
    if (!settings.WriteString("Common", "Sites", SiteListText(names, std::nullopt))) {
        unstorable = sites.empty() ? std::string() : sites.front().Name;
        for (const SiteProfile& site : sites) {
            if (!SiteFitsSettingsFile(site, false)) {
                unstorable = site.Name;
                break;
            }
        }
        return std::nullopt;
    }
    for (const SiteProfile& site : sites) {
        // An entry without a name has no section to write, in the source file as here.
        if (canHeadSection(site.Name) && !WriteSiteKeys(settings, site)) {
            unstorable = site.Name;
            return std::nullopt;
        }
    }
    return settings.Serialize();
}

bool SiteFitsSettingsFile(const SiteProfile& site, bool utf8File)
{
    // Written into an empty document of the same encoding, by the same rules as the real write.
    IniDocument scratch = IniDocument::Parse(utf8File ? std::string_view("\xEF\xBB\xBF") : std::string_view());
    return WriteSiteKeys(scratch, site);
}

} // namespace lanvex::store
