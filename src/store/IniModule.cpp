#include "store/IniModule.h"

#include "store/IniFile.h"
#include "store/Utf8Path.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace lanvex::store {

std::string IniFileName;

namespace {

std::string& folderMadeOnSave()
{
    static std::string folder;
    return folder;
}

} // namespace

void MakeFolderOnFirstSave(std::string folder)
{
    folderMadeOnSave() = std::move(folder);
}

const std::string& FolderMadeOnFirstSave()
{
    return folderMadeOnSave();
}

namespace {

// Names match the way the file matches them: blanks around them and ASCII letter case ignored.
bool sameAsciiName(std::string_view name, std::string_view expected)
{
    const auto first = name.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return expected.empty();
    name = name.substr(first, name.find_last_not_of(" \t") - first + 1);
    return std::equal(name.begin(), name.end(), expected.begin(), expected.end(), [](char a, char b) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(a) == lower(b);
    });
}

} // namespace

std::string SettingsPathForExecutable(std::string_view executablePath)
{
    const std::filesystem::path program = Utf8Path(executablePath);
    const std::filesystem::path folder = program.has_parent_path() ? program.parent_path() : std::filesystem::path(".");
    return Utf8Text(folder / program.stem()) + ".ini";
}

std::string ReadIniString(std::string_view section, std::string_view key, std::string_view fallback)
{
    const IniDocument doc = IniFile(IniFileName).Load();
    // The site list is read whole: a save writes every name, and a list cut at 143 bytes would
    // lose the later sites on the next save.
    if (sameAsciiName(section, "common") && sameAsciiName(key, "sites")) {
        auto value = doc.Value(section, key);
        return value && !value->empty() ? *value : std::string(fallback);
    }
    return doc.ReadString(section, key, fallback);
}

std::int16_t ReadIniInt(std::string_view section, std::string_view key, std::int32_t fallback)
{
    return IniFile(IniFileName).Load().ReadInt(section, key, fallback);
}

bool WriteIniString(std::string_view section, std::string_view key, std::string_view value)
{
    return IniFile(IniFileName).Update([&](IniDocument& doc) { return doc.WriteString(section, key, value); }).ok;
}

bool WriteIniInt(std::string_view section, std::string_view key, std::int32_t value)
{
    return IniFile(IniFileName).Update([&](IniDocument& doc) { return doc.WriteInt(section, key, value); }).ok;
}

bool DeleteIniSection(std::string_view section)
{
    return IniFile(IniFileName).Update([&](IniDocument& doc) { return doc.DeleteSection(section); }).ok;
}

} // namespace lanvex::store
