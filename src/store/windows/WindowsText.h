#pragma once

#include <string>
#include <string_view>

namespace lanvex::store::windows {

// UTF-8 to the UTF-16 of the Windows API. The text must be valid UTF-8.
std::wstring Widen(std::string_view utf8);
// UTF-16 from the Windows API to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Narrow(std::wstring_view wide);

// The system's description of a Windows error code, in UTF-8.
std::string ErrorText(unsigned long error);

// The full path of the running program, from GetModuleFileNameW.
std::string ProgramPath();

} // namespace lanvex::store::windows
