#pragma once

#include <QString>

namespace lanvex::platform {

// A locale variable (LANGUAGE, LC_ALL, LC_MESSAGES, LANG) as the translation lookup reads it.
// Windows sets none of them: there the user's interface language stands for LANG.
QString LocaleVariable(const char* name);

} // namespace lanvex::platform
