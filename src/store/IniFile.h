#pragma once

#include "store/IniDocument.h"

#include <chrono>
#include <cstdint>
#include <functional>
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

} // namespace lanvex::store
