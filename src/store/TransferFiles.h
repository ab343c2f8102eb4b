#pragma once

#include "store/IniFile.h"
#include "store/SiteProfile.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lanvex::store {

// A file the user named, read whole, or why it could not be read.
struct FileBytes
{
    bool ok = false;
    bool missing = false; // there is no such file
    std::string bytes;
    std::string error; // with the path and the system's reason
    int errorCode = 0; // as ReadResult's
};

// Reads a file the user named (an import, the settings file of an export) by the settings file's
// rules: a regular file of at most IniFile::kMaxFileBytes, never waited on when it is a FIFO.
FileBytes ReadFileBytes(const std::string& path);

// Replaces the file at `path` by `bytes` by the settings file's rules: through a symbolic link, under
// the lock, keeping the owner and permissions, flushed before the rename; a read-only file or one
// with other names is refused. A FIFO or a character device (/dev/stdout) is written as a stream.
WriteResult ReplaceFile(const std::string& path, std::string_view bytes,
                        std::chrono::milliseconds lockWait = IniFile::kDefaultLockWait);

// The sites as a settings file of the Windows form: code page 936, CRLF line ends, Common/Sites
// and then one section per site with its twelve keys in their order. Nothing when a site holds
// text that code page 936 cannot store; `unstorable` then names that site.
std::optional<std::string> SettingsFileText(const std::vector<SiteProfile>& sites, std::string& unstorable);

// Whether all twelve keys of the site can be written, as they are, into a settings file of that
// encoding (UTF-8 with a byte-order mark, or code page 936).
bool SiteFitsSettingsFile(const SiteProfile& site, bool utf8File);

} // namespace lanvex::store
