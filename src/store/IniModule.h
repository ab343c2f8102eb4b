#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lanvex::store {

// Full path of the settings file: the program's folder, "/", its base name, ".ini".
extern std::string IniFileName;

// The settings file's path for a program at `executablePath`.
std::string SettingsPathForExecutable(std::string_view executablePath);

std::string ReadIniString(std::string_view section, std::string_view key, std::string_view fallback);
std::int16_t ReadIniInt(std::string_view section, std::string_view key, std::int32_t fallback);
// The writers never throw; they return false when the file was not written.
bool WriteIniString(std::string_view section, std::string_view key, std::string_view value);
bool WriteIniInt(std::string_view section, std::string_view key, std::int32_t value);
bool DeleteIniSection(std::string_view section);

} // namespace lanvex::store
