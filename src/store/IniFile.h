#pragma once

#include "store/IniDocument.h"

#include <functional>
#include <string>

namespace lanvex::store {

// Outcome of a write to the settings file.
struct WriteResult
{
    bool ok = true;
    std::string error; // what failed, with the path and the system's reason
    int errorCode = 0; // the cause as an errno value: EACCES, ENOSPC, EISDIR, EILSEQ (text not storable), ...
    explicit operator bool() const { return ok; }
};

// The settings file on disk. Every change takes an exclusive lock, re-reads the file, applies the
// edit and replaces the file atomically (temporary file in the same folder, flushed, renamed), so
// the file is never half-written and two running copies never lose each other's keys.
class IniFile
{
public:
    explicit IniFile(std::string path);

    const std::string& Path() const { return path_; }
    // Reads and parses the whole file once. A missing or unreadable file gives an empty document.
    IniDocument Load() const;
    // Applies `edit` to the current content. Nothing is written when `edit` returns false or the
    // write fails; the result says why.
    WriteResult Update(const std::function<bool(IniDocument&)>& edit);

private:
    std::string path_;
};

// The one folder a save makes, with the folders above it, when it is missing: the user's config
// folder of an installed program. Set once at start-up; any other missing folder fails the save.
void MakeFolderOnFirstSave(std::string folder);

} // namespace lanvex::store
