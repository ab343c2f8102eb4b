#include "store/IniFile.h"
#include "store/Utf8Path.h"
#include "store/windows/WindowsFiles.h"

#include <cerrno>
#include <filesystem>
#include <utility>

namespace lanvex::store {

namespace {

WriteResult failure(std::string text, int code)
{
    return { false, std::move(text), code, {} };
}

} // namespace

IniFile::IniFile(std::string path, std::chrono::milliseconds lockWait)
    : path_(std::move(path))
    , lockWait_(lockWait)
{ }

ReadResult IniFile::Read() const
{
    ReadResult result;
    result.stamp = Stamp();
    std::string bytes;
    WriteResult error;
    switch (windows::ReadWholeFile(path_, bytes, error, kMaxFileBytes)) {
    case windows::ReadStatus::Missing:
        return result;
    case windows::ReadStatus::Failed:
        result.ok = false;
        result.error = error.error;
        result.errorCode = error.errorCode;
        return result;
    case windows::ReadStatus::Ok:
        break;
    }
    result.stamp.adminOnly = windows::WritableOnlyByAdministrators(path_);
    ParseSettingsBytes(path_, std::move(bytes), result);
    return result;
}

FileStamp IniFile::Stamp() const
{
    // Size and time of the last write: what Windows tells without opening the file.
    std::error_code error;
    const std::filesystem::path path = Utf8Path(path_);
    const auto size = std::filesystem::file_size(path, error);
    if (error)
        return {};
    const auto modified = std::filesystem::last_write_time(path, error);
    if (error)
        return {};
    FileStamp stamp;
    stamp.exists = true;
    stamp.size = static_cast<std::int64_t>(size);
    stamp.modifiedNs = std::chrono::duration_cast<std::chrono::nanoseconds>(modified.time_since_epoch()).count();
    return stamp;
}

WriteResult IniFile::Update(const std::function<bool(IniDocument&)>& edit, IniDocument* written)
{
    const std::string& folder = FolderMadeOnFirstSave();
    if (!folder.empty() && Utf8Path(path_).parent_path() == Utf8Path(folder)) {
        std::error_code error;
        std::filesystem::create_directories(Utf8Path(folder), error);
        if (error)
            return failure("cannot make the folder " + folder + ": " + error.message(), EACCES);
    }
    // The lock is a named mutex, not a handle on the file: Windows cannot replace a file that any
    // handle holds open.
    const windows::PathLock lock(path_, lockWait_);
    if (!lock.Status())
        return lock.Status();
    if (WriteResult writable = windows::CheckWritable(path_); !writable)
        return writable;

    for (int round = 0; round <= kMaxRereads; ++round) {
        const FileStamp before = Stamp();
        std::string bytes;
        WriteResult error;
        if (windows::ReadWholeFile(path_, bytes, error, kMaxFileBytes) == windows::ReadStatus::Failed)
            return error;
        if (IniDocument::HasTooManySections(bytes))
            return failure("the settings file " + path_ + " has too many sections", E2BIG);
        const auto read = static_cast<std::int64_t>(bytes.size());
        IniDocument doc = IniDocument::ParseOwned(std::move(bytes));
        if (!edit(doc))
            return failure("the text cannot be stored in the settings file", EILSEQ);
        if (static_cast<std::int64_t>(doc.SerializedSize()) > kMaxFileBytes)
            return failure("the settings file " + path_ + " would become too large", EFBIG);
        if (doc.HasTooManySectionLines())
            return failure("the settings file " + path_ + " would have too many sections", E2BIG);
        // Another program that rewrote the file in place meanwhile ignored the lock; the edit
        // starts again from what the file holds now.
        if (Stamp() != before || (before.exists && read != before.size))
            continue;
        const bool unchanged = doc.Unchanged();
        std::string updated = doc.Serialize();
        doc = IniDocument(); // the parsed bytes are no longer needed
        WriteResult result = unchanged ? WriteResult {} : windows::ReplaceFileContents(path_, updated);
        if (!result)
            return result;
        result.stamp = Stamp();
        if (written)
            *written = IniDocument::ParseOwned(std::move(updated));
        return result;
    }
    return failure("the settings file " + path_ + " keeps changing", EBUSY);
}

FileBytes ReadFileBytes(const std::string& path, std::int64_t maxBytes)
{
    FileBytes result;
    WriteResult error;
    switch (windows::ReadWholeFile(path, result.bytes, error, maxBytes)) {
    case windows::ReadStatus::Missing:
        result.missing = true;
        result.error = "cannot read " + path + ": no such file";
        result.errorCode = ENOENT;
        break;
    case windows::ReadStatus::Failed:
        result.bytes.clear();
        result.error = error.error;
        result.errorCode = error.errorCode;
        break;
    case windows::ReadStatus::Ok:
        result.ok = true;
        break;
    }
    return result;
}

WriteResult ReplaceFileFrom(const std::string& path, const std::function<bool(const ByteSink&)>& produce,
                            std::chrono::milliseconds lockWait)
{
    // ReplaceFileW takes a whole temporary file: the content is gathered first.
    std::string bytes;
    if (!produce([&bytes](std::string_view piece) {
            bytes += piece;
            return true;
        })) {
        WriteResult result;
        result.ok = false;
        result.error = "the content of " + path + " was not made";
        result.errorCode = ECANCELED;
        return result;
    }
    return ReplaceFile(path, bytes, lockWait);
}

WriteResult ReplaceFile(const std::string& path, std::string_view bytes, std::chrono::milliseconds lockWait)
{
    const windows::PathLock lock(path, lockWait);
    if (!lock.Status())
        return lock.Status();
    if (WriteResult writable = windows::CheckWritable(path); !writable)
        return writable;
    return windows::ReplaceFileContents(path, bytes);
}

} // namespace lanvex::store
