#pragma once

#include "store/IniDocument.h"
#include "store/WriteResult.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace lanvex::store {

// Outcome of reading the settings file.
struct ReadResult
{
    IniDocument document; // empty when the file is missing or cannot be read
    bool ok = true; // false: the file is there but cannot be read as a settings file
    std::string error; // why, with the path
    int errorCode = 0; // EACCES, EISDIR, EINVAL (not a regular file), EFBIG (too large), ...
    FileStamp stamp; // the file as it was read
};

// The settings file on disk. Every change takes an exclusive lock, re-reads the file, applies the
// edit and replaces the file atomically (temporary file in the same folder, flushed, renamed), so
// the file is never half-written and two running copies never lose each other's keys.
// Reading takes no lock and never waits.
class IniFile
{
public:
    // The longest a change waits for another program's lock before it gives up.
    static constexpr std::chrono::milliseconds kDefaultLockWait { 3000 };
    // Larger files are refused: reading one costs memory in proportion to its size. No write
    // makes a file larger than this, so the program never shuts itself out of its own file.
    static constexpr std::int64_t kMaxFileBytes = std::int64_t(64) << 20;
    // How often a change reads the file again when another program rewrote it in place (without
    // the lock) while the change was being made, before it gives up.
    static constexpr int kMaxRereads = 8;

    explicit IniFile(std::string path, std::chrono::milliseconds lockWait = kDefaultLockWait);

    const std::string& Path() const { return path_; }
    // Reads and parses the whole file once.
    ReadResult Read() const;
    // The same, with any failure read as an empty document.
    IniDocument Load() const { return Read().document; }
    // The file as it is now, without reading it.
    FileStamp Stamp() const;
    // Applies `edit` to the current content. Nothing is written when `edit` returns false or the
    // write fails; the result says why. On success `written`, when given, receives the document
    // as the file now holds it.
    WriteResult Update(const std::function<bool(IniDocument&)>& edit, IniDocument* written = nullptr);

private:
    std::string path_;
    std::chrono::milliseconds lockWait_;
};

// For the two halves of IniFile::Read: parses the whole file's `bytes` into `result`, or marks the
// read failed (E2BIG) when the file has more sections than a settings file holds.
void ParseSettingsBytes(const std::string& path, std::string bytes, ReadResult& result);

// The one folder a save makes, with the folders above it, when it is missing: the user's config
// folder of an installed program. Set once at start-up; any other missing folder fails the save.
void MakeFolderOnFirstSave(std::string folder);
const std::string& FolderMadeOnFirstSave();

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
// rules: a regular file of at most `maxBytes`, never waited on when it is a FIFO.
FileBytes ReadFileBytes(const std::string& path, std::int64_t maxBytes = IniFile::kMaxFileBytes);

// Replaces the file at `path` by `bytes` by the settings file's rules: through a symbolic link (not
// another user's link to a file not theirs), under the lock, keeping the owner and permissions,
// flushed before the rename; a read-only file or one with other names is refused. A FIFO or a character device
// (/dev/stdout) is written as a stream.
WriteResult ReplaceFile(const std::string& path, std::string_view bytes,
                        std::chrono::milliseconds lockWait = IniFile::kDefaultLockWait);

// Takes the new content piece by piece; false when the piece could not be written.
using ByteSink = std::function<bool(std::string_view)>;
// The same replacement with content made while it is written, so that it never sits in memory
// whole: `produce` hands its pieces to the sink, and returns false to give up (nothing is replaced;
// the result's errorCode is then ECANCELED).
WriteResult ReplaceFileFrom(const std::string& path, const std::function<bool(const ByteSink&)>& produce,
                            std::chrono::milliseconds lockWait = IniFile::kDefaultLockWait);

} // namespace lanvex::store
