#include "store/IniFile.h"
#include "store/Utf8Path.h"
#include "store/WindowsFiles.h"

#include <cerrno>
#include <filesystem>
#include <utility>

namespace lanvex::store {

namespace {

// Longest wait for another copy of the program that is writing the same file.
constexpr std::chrono::seconds kLockTimeout { 10 };

std::string& folderMadeOnSave()
{
    static std::string folder;
    return folder;
}

} // namespace

void MakeFolderOnFirstSave(std::string folder)
{
    folderMadeOnSave() = std::move(folder);
}

IniFile::IniFile(std::string path)
    : path_(std::move(path))
{ }

IniDocument IniFile::Load() const
{
    std::string bytes;
    WriteResult error;
    if (windows::ReadWholeFile(path_, bytes, error) != windows::ReadStatus::Ok)
        return IniDocument::Parse({});
    return IniDocument::Parse(bytes);
}

WriteResult IniFile::Update(const std::function<bool(IniDocument&)>& edit)
{
    // The lock is a named mutex, not a handle on the file: Windows cannot replace a file that any
    // handle holds open.
    const std::string& folder = folderMadeOnSave();
    if (!folder.empty() && Utf8Path(path_).parent_path() == Utf8Path(folder)) {
        std::error_code error;
        std::filesystem::create_directories(Utf8Path(folder), error);
        if (error)
            return { false, "cannot make the folder " + folder + ": " + error.message(), EACCES };
    }
    const windows::PathLock lock(path_, kLockTimeout);
    if (!lock.Status())
        return lock.Status();
    if (WriteResult writable = windows::CheckWritable(path_); !writable)
        return writable;

    std::string bytes;
    WriteResult error;
    if (windows::ReadWholeFile(path_, bytes, error) == windows::ReadStatus::Failed)
        return error;
    IniDocument doc = IniDocument::Parse(bytes);
    if (!edit(doc))
        return { false, "the text cannot be stored in the settings file", EILSEQ };
    const std::string updated = doc.Serialize();
    if (updated == bytes)
        return {};
    return windows::ReplaceFileContents(path_, updated);
}

} // namespace lanvex::store
