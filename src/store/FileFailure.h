#pragma once

#include <string>

namespace lanvex::store {

// Why reading or writing a file failed, in the program's own words and the user's language, from
// the errno value of a ReadResult, FileBytes or WriteResult. The system's English text stays in
// the logs; a cause without words of its own is named by its number.
std::string FileFailureText(int errorCode);

} // namespace lanvex::store
