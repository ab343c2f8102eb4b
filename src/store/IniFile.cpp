#include "store/IniFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace lanvex::store {

namespace {

// A settings file this big is not ours; reading it whole could exhaust memory.
constexpr off_t kMaxFileBytes = off_t(512) << 20;

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1)
        : fd_(fd)
    { }
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept
        : fd_(std::exchange(other.fd_, -1))
    { }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    bool valid() const { return fd_ >= 0; }
    void reset()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// Why a read or write failed: a text for the log and message, and the errno value behind it.
struct Failure
{
    std::string text;
    int code = 0;
};

Failure describe(const std::string& what, const std::string& path, int error)
{
    return { what + " " + path + ": " + std::strerror(error), error };
}

enum class ReadStatus
{
    Ok,
    Missing,
    Failed
};

// Reads a regular file whole from an open descriptor.
ReadStatus readAll(int fd, const std::string& path, std::string& bytes, Failure& error)
{
    struct stat info = {};
    if (::fstat(fd, &info) != 0) {
        error = describe("cannot read", path, errno);
        return ReadStatus::Failed;
    }
    if (S_ISDIR(info.st_mode)) {
        error = { "the settings file " + path + " is a folder", EISDIR };
        return ReadStatus::Failed;
    }
    if (!S_ISREG(info.st_mode)) {
        error = { "the settings file " + path + " is not a regular file", EINVAL };
        return ReadStatus::Failed;
    }
    if (info.st_size > kMaxFileBytes) {
        error = { "the settings file " + path + " is too large", EFBIG };
        return ReadStatus::Failed;
    }
    bytes.clear();
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            return ReadStatus::Ok;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = describe("cannot read", path, errno);
            return ReadStatus::Failed;
        }
        if (bytes.size() + static_cast<std::size_t>(n) > static_cast<std::size_t>(kMaxFileBytes)) {
            error = { "the settings file " + path + " is too large", EFBIG };
            return ReadStatus::Failed;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Where the file really lies: a symbolic link is followed, so the replacement lands on its target
// instead of replacing the link.
std::string resolveTarget(const std::string& path)
{
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        const auto target = std::filesystem::weakly_canonical(path, ec);
        if (!ec)
            return target.string();
    }
    return path;
}

std::string folderOf(const std::string& path)
{
    const auto parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

// Temporary files of writers that were killed before their rename. Only called under the lock,
// when no other writer can be busy with one.
void removeLeftovers(const std::string& folder, const std::string& prefix)
{
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0)
            ::unlink(it->path().c_str());
    }
}

std::string& folderMadeOnSave()
{
    static std::string folder;
    return folder;
}

// Makes `folder` and any missing folder above it, private to the user as the XDG rules ask: a
// first save into ~/.config/lanvex may find neither there. Returns an errno value.
int makeFolder(const std::string& folder)
{
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec))
        return 0;
    const auto parent = std::filesystem::path(folder).parent_path();
    if (!parent.empty() && parent != std::filesystem::path(folder))
        if (const int error = makeFolder(parent.string()); error != 0)
            return error;
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST ? 0 : errno;
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
    // Non-blocking open: a FIFO in place of the file must not hang the start-up.
    FileDescriptor fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid())
        return IniDocument::Parse({});
    std::string bytes;
    Failure error;
    if (readAll(fd.get(), path_, bytes, error) != ReadStatus::Ok)
        return IniDocument::Parse({});
    return IniDocument::Parse(bytes);
}

WriteResult IniFile::Update(const std::function<bool(IniDocument&)>& edit)
{
    const std::string target = resolveTarget(path_);
    const std::string folder = folderOf(target);
    const auto fail = [](Failure reason) { return WriteResult { false, std::move(reason.text), reason.code }; };
    if (folder == folderMadeOnSave()) {
        if (const int error = makeFolder(folder); error != 0)
            return fail(describe("cannot make the folder", folder, error));
    }

    // Lock the file itself. A writer that waited may find the name already replaced by the
    // writer before it; then it locks the new file instead, so every change starts from the last.
    FileDescriptor locked;
    struct stat lockedInfo = {};
    bool created = false;
    for (int attempt = 0;; ++attempt) {
        if (attempt > 1000)
            return fail({ "the settings file " + target + " keeps changing", EBUSY });
        created = false;
        FileDescriptor fd(::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        if (!fd.valid() && errno == ENOENT) {
            fd = FileDescriptor(::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_CREAT | O_EXCL, 0666));
            created = fd.valid();
            if (!fd.valid() && errno == EEXIST)
                continue; // another copy created it just now
        }
        if (!fd.valid())
            return fail(describe("cannot open", target, errno));
        while (::flock(fd.get(), LOCK_EX) != 0) {
            if (errno != EINTR)
                return fail(describe("cannot lock", target, errno));
        }
        struct stat onDisk = {};
        if (::fstat(fd.get(), &lockedInfo) != 0)
            return fail(describe("cannot read", target, errno));
        if (::stat(target.c_str(), &onDisk) == 0 && onDisk.st_dev == lockedInfo.st_dev
            && onDisk.st_ino == lockedInfo.st_ino) {
            locked = std::move(fd);
            break;
        }
    }
    // A file this call created only to lock it goes again when nothing is written into it.
    const auto failLocked = [&](Failure reason) {
        if (created)
            ::unlink(target.c_str());
        return fail(std::move(reason));
    };

    // The replacement goes through the folder, which would bypass the file's own permission: a
    // file the user may not write, or has made read-only, stays as it is.
    if (!created && ((lockedInfo.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0))
        return fail(describe("cannot write", target, (lockedInfo.st_mode & 0222) == 0 ? EACCES : errno));

    std::string bytes;
    Failure error;
    if (readAll(locked.get(), target, bytes, error) != ReadStatus::Ok)
        return failLocked(error);
    IniDocument doc = IniDocument::Parse(bytes);
    if (!edit(doc))
        return failLocked({ "the text cannot be stored in the settings file", EILSEQ });
    const std::string updated = doc.Serialize();
    if (updated == bytes) {
        if (created)
            ::unlink(target.c_str());
        return {};
    }

    const std::string temporaryPrefix = "." + std::filesystem::path(target).filename().string() + ".tmp.";
    removeLeftovers(folder, temporaryPrefix);
    std::string temporary = folder + "/" + temporaryPrefix + "XXXXXX";
    FileDescriptor out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!out.valid())
        return failLocked(describe("cannot write in the folder", folder, errno));
    const auto abandon = [&](const std::string& what, int error) {
        out.reset();
        ::unlink(temporary.c_str());
        return failLocked(describe(what, target, error));
    };
    if (!writeAll(out.get(), updated))
        return abandon("cannot write", errno);
    // The new file keeps the old one's permissions and, where allowed, its owner.
    if (::fchmod(out.get(), lockedInfo.st_mode & 07777) != 0)
        return abandon("cannot set the permissions of", errno);
    if (::geteuid() == 0 && ::fchown(out.get(), lockedInfo.st_uid, lockedInfo.st_gid) != 0)
        return abandon("cannot set the owner of", errno);
    if (::fsync(out.get()) != 0)
        return abandon("cannot flush", errno);
    if (::close(out.release()) != 0)
        return abandon("cannot write", errno);
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        return abandon("cannot replace", errno);
    // Make the new name itself durable.
    const FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid())
        ::fsync(dir.get());
    return {};
}

} // namespace lanvex::store
