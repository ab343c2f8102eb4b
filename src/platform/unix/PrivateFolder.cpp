#include "platform/unix/PrivateFolder.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lanvex::platform {

namespace {

// A folder of this user that nobody else may write in; `privateToo`: nor read.
bool ownFolder(const std::string& folder, bool followLinks, bool privateToo)
{
    struct stat info = {};
    const int status = followLinks ? ::stat(folder.c_str(), &info) : ::lstat(folder.c_str(), &info);
    const mode_t others = privateToo ? 077 : 022;
    return status == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & others) == 0;
}

// The user's cache folder. The account's home rather than $HOME, so that a program run with
// another user's environment (sudo -E) never uses that user's folder.
std::optional<std::string> cacheFolder()
{
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && cache[0] == '/')
        return std::string(cache);
    const passwd* account = ::getpwuid(::getuid());
    if (!account || !account->pw_dir || account->pw_dir[0] != '/')
        return std::nullopt;
    return std::string(account->pw_dir) + "/.cache";
}

} // namespace

std::optional<std::string> PrivateRuntimeFolder(bool create)
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/')
        if (ownFolder(runtime, true, true))
            return std::string(runtime);
    const std::optional<std::string> cache = cacheFolder();
    if (!cache)
        return std::nullopt;
    if (create && ::mkdir(cache->c_str(), 0700) != 0 && errno != EEXIST)
        return std::nullopt;
    if (!ownFolder(*cache, true, false))
        return std::nullopt;
    const std::string folder = *cache + "/lanvex";
    if (create && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return std::nullopt;
    if (!ownFolder(folder, false, true))
        return std::nullopt;
    return folder;
}

} // namespace lanvex::platform
