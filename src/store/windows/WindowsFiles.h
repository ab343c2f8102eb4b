#pragma once

#include "store/WriteResult.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace lanvex::store::windows {

// Files on Windows. Paths are UTF-8 here and UTF-16 at the Windows API. Every call retries for a
// while when another program (a virus scanner, a backup) holds the file open without sharing.

enum class ReadStatus
{
    Ok,
    Missing,
    Failed
};
// Reads the whole file; Failed (EFBIG) when it holds more than `maxBytes`, which spares reading
// a file too large to be the caller's.
ReadStatus ReadWholeFile(const std::string& path, std::string& bytes, WriteResult& error, std::int64_t maxBytes);

// Replaces the file's content atomically: a temporary file in the same folder, written and flushed,
// then ReplaceFileW, which keeps the file's security and attributes (MoveFileExW for a new file).
// The caller keeps other writers of the same file out, for example with a PathLock.
WriteResult ReplaceFileContents(const std::string& path, std::string_view bytes);

// Refuses with a clear reason when the file exists but may not be written: read-only, denied, a
// folder.
WriteResult CheckWritable(const std::string& path);

// Whether the file is owned by the administrators, the system or the installer service, and no one
// else may change it, replace its security or delete it.
bool WritableOnlyByAdministrators(const std::string& path);

// Mutual exclusion between writers of one file, across processes, that leaves the file itself
// closed, so it can be replaced: a named mutex derived from the file's full path.
class PathLock
{
public:
    PathLock(const std::string& path, std::chrono::milliseconds timeout);
    ~PathLock();
    PathLock(const PathLock&) = delete;
    PathLock& operator=(const PathLock&) = delete;

    // Empty when the lock is held; else why not.
    const WriteResult& Status() const { return status_; }

private:
    void* mutex_ = nullptr;
    bool owned_ = false;
    WriteResult status_;
};

} // namespace lanvex::store::windows
