#pragma once

#include <optional>
#include <string>

namespace lanvex::platform {

// The folder for this user's sockets and their locks, which no other user can make first, take or
// write in: the runtime folder ($XDG_RUNTIME_DIR) when it is the user's alone, else a folder of
// the program's in the user's own cache ($XDG_CACHE_HOME, else ~/.cache of the user's account),
// made private when `create` and missing. Nothing when neither is the user's alone.
std::optional<std::string> PrivateRuntimeFolder(bool create);

} // namespace lanvex::platform
