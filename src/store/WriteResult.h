#pragma once

#include <cstdint>
#include <string>

namespace lanvex::store {

// What the file system says about the settings file, to tell whether it changed since this
// program last read or wrote it. Equal stamps: as far as the file system tells, the same content.
struct FileStamp
{
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    // Owned by root (Windows: the administrators or the system) and writable by no one else: an
    // organisation's file that may name programs to run.
    bool adminOnly = false;
    bool operator==(const FileStamp&) const = default;
};

// Outcome of a write to the settings file.
struct WriteResult
{
    bool ok = true;
    std::string error; // what failed, with the path and the system's reason
    // The cause as an errno value: EACCES, ENOSPC, EISDIR, EILSEQ (text not storable), EWOULDBLOCK
    // (locked by someone else), EMLINK (a file with other names), ...
    int errorCode = 0;
    FileStamp stamp; // the file as this write left it
    explicit operator bool() const { return ok; }
};

} // namespace lanvex::store
