#pragma once

#include "net/ManagementService.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reading the management service's values the way its scripting layer converts them, and the
// queries the adapter list and the apply send.
namespace lanvex::net {

// The adapter query reads from the default namespace; the apply addresses cimv2 explicitly. Each
// sends its own query text unchanged, because a backend may see the difference.
inline constexpr std::string_view kQueryMoniker = "winmgmts:";
inline constexpr std::string_view kQueryText = "Select * From Win32_NetworkAdapterConfiguration Where IPEnabled=TRUE";
inline constexpr std::string_view kApplyMoniker = "winmgmts:\\\\.\\root\\cimv2";
inline constexpr std::string_view kApplyQueryText
    = "SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True";
inline constexpr std::string_view kQueryLanguage = "WQL";
inline constexpr std::int32_t kReturnImmediately = 16;
// An adapter configuration's object path, before its Index.
inline constexpr std::string_view kPathPrefix = "Win32_NetworkAdapterConfiguration.Index=";

// A property value as text. Arrays and nulls have no text.
std::optional<std::string> TextOf(const Value& value);

// One element of an array property as text; nothing when the value is no array or too short.
// A plain text counts as holding itself at element 0, so MACAddress reads either way.
std::optional<std::string> ElementOf(const Value& value, std::size_t index);

std::optional<bool> BooleanOf(const Value& value);
std::optional<std::int64_t> IntegerOf(const Value& value);

// A list property as texts or numbers; a single value counts as a list of one.
std::vector<std::string> TextsOf(const Value& value);
std::vector<std::int64_t> IntegersOf(const Value& value);

// Reads a property; a failing read gives null, so whatever depends on it is skipped.
Value ReadProperty(const ManagementObject& object, std::string_view name);
// Sets `target` to the property's text, or leaves it as it was when there is none.
void ReadText(const ManagementObject& object, std::string_view name, std::string& target);
void ReadElement(const ManagementObject& object, std::string_view name, std::size_t index, std::string& target);

// Whether the configuration's Index is `adapterNumber`; one whose Index cannot be read is none.
bool HasIndex(const ManagementObject& object, std::int32_t adapterNumber);

} // namespace lanvex::net
