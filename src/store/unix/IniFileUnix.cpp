#include "store/FileDescriptor.h"
#include "store/IniFile.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace lanvex::store {

namespace {

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

FileStamp stampOf(const struct stat& info)
{
    FileStamp stamp;
    stamp.exists = true;
    stamp.device = static_cast<std::uint64_t>(info.st_dev);
    stamp.file = static_cast<std::uint64_t>(info.st_ino);
    stamp.size = static_cast<std::int64_t>(info.st_size);
    stamp.modifiedNs = std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    stamp.changedNs = std::int64_t(info.st_ctim.tv_sec) * 1'000'000'000 + info.st_ctim.tv_nsec;
    return stamp;
}

// Reads a regular file whole from an open descriptor into a buffer of its size: the bytes are
// held once, and a file that grows while it is read is refused once it passes the limit.
ReadStatus readAll(int fd, const std::string& path, std::string& bytes, Failure& error, FileStamp* stamp = nullptr)
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
    const auto tooLarge = [&] {
        error = { "the settings file " + path + " is too large", EFBIG };
        return ReadStatus::Failed;
    };
    if (info.st_size > IniFile::kMaxFileBytes)
        return tooLarge();
    if (stamp)
        *stamp = stampOf(info);
    // One byte more than the size shows whether the file grew meanwhile.
    bytes.assign(static_cast<std::size_t>(info.st_size) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() > static_cast<std::size_t>(IniFile::kMaxFileBytes))
                return tooLarge();
            bytes.resize(std::min(bytes.size() * 2, static_cast<std::size_t>(IniFile::kMaxFileBytes) + 1));
        }
        const ssize_t n = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (n == 0) {
            bytes.resize(filled);
            return ReadStatus::Ok;
        }
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = describe("cannot read", path, errno);
            return ReadStatus::Failed;
        }
        filled += static_cast<std::size_t>(n);
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

// Where the file really lies. A symbolic link is followed, so the replacement lands on its target
// and the link stays a link; a dangling link's target is where the file gets created. In a folder
// that is sticky and writable by everyone, a link is followed only when it belongs to this user or
// to the folder's owner, as the kernel itself does for links in such folders.
bool resolveTarget(const std::string& path, std::string& target, Failure& error)
{
    target = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat link = {};
        if (::lstat(target.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
            return true; // a file, or nothing yet: open reports what is wrong with it
        const std::filesystem::path linkPath(target);
        const std::string folder = linkPath.has_parent_path() ? linkPath.parent_path().string() : std::string(".");
        struct stat dir = {};
        if (::stat(folder.c_str(), &dir) == 0 && (dir.st_mode & S_ISVTX) != 0 && (dir.st_mode & S_IWOTH) != 0
            && link.st_uid != ::geteuid() && link.st_uid != dir.st_uid) {
            error = { "the settings file " + path + " is a link of another user in a shared folder", EACCES };
            return false;
        }
        std::error_code ec;
        const std::filesystem::path next = std::filesystem::read_symlink(linkPath, ec);
        if (ec) {
            error = describe("cannot follow the link", target, ec.value());
            return false;
        }
        target = next.is_absolute() ? next.string() : (std::filesystem::path(folder) / next).string();
    }
    error = describe("cannot follow the link", path, ELOOP);
    return false;
}

std::string folderOf(const std::string& path)
{
    const auto parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

// The temporary file of a write: the file's name, the writer's process id and a random part, so
// that a leftover tells whose it was.
std::string temporaryPrefix(const std::string& target)
{
    std::string prefix(1, '.');
    prefix += std::filesystem::path(target).filename().string();
    prefix += ".tmp.";
    return prefix;
}

// The writer's process id in the name of one of our temporary files, or 0 for any other name.
pid_t writerOf(const std::string& name, const std::string& prefix)
{
    if (name.size() < prefix.size() + 8 || name.compare(0, prefix.size(), prefix) != 0)
        return 0;
    const std::string rest = name.substr(prefix.size());
    const std::size_t dot = rest.find('.');
    if (dot == 0 || dot == std::string::npos || rest.size() - dot - 1 != 6 || dot > 9)
        return 0;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const char c = rest[i];
        const bool digit = c >= '0' && c <= '9';
        const bool alnum = digit || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (i < dot ? !digit : (i > dot && !alnum))
            return 0;
    }
    return static_cast<pid_t>(std::stol(rest.substr(0, dot)));
}

// Temporary files of writers that were killed before their rename. Only called under the lock.
// A file goes only when it is beyond doubt one of ours: our exact name pattern, a plain file of
// this user, not locked (a writer keeps its temporary file locked), and either its writer is gone
// or it has been left untouched for a minute.
void removeLeftovers(const std::string& folder, const std::string& prefix)
{
    const FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid())
        return;
    const auto now = std::chrono::system_clock::now();
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const pid_t writer = writerOf(name, prefix);
        if (writer <= 0)
            continue;
        const FileDescriptor fd(::openat(dir.get(), name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
        struct stat info = {};
        if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())
            continue;
        const bool writerGone = ::kill(writer, 0) != 0 && errno == ESRCH;
        const bool stale = now - std::chrono::system_clock::from_time_t(info.st_mtim.tv_sec) >= std::chrono::minutes(1);
        if ((writerGone || stale) && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dir.get(), name.c_str(), 0);
    }
}

// Takes the exclusive lock, waiting at most `wait` for another holder to let go.
bool lockWithin(int fd, std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (std::chrono::steady_clock::now() >= deadline) {
            errno = EWOULDBLOCK;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
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

IniFile::IniFile(std::string path, std::chrono::milliseconds lockWait)
    : path_(std::move(path))
    , lockWait_(lockWait)
{ }

ReadResult IniFile::Read() const
{
    ReadResult result;
    // Non-blocking open: a FIFO in place of the file must not hang the start-up.
    FileDescriptor fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid()) {
        if (errno != ENOENT) {
            const Failure failure = describe("cannot read", path_, errno);
            result.ok = false;
            result.error = failure.text;
            result.errorCode = failure.code;
        }
        return result;
    }
    std::string bytes;
    Failure error;
    if (readAll(fd.get(), path_, bytes, error, &result.stamp) != ReadStatus::Ok) {
        result.ok = false;
        result.error = error.text;
        result.errorCode = error.code;
        result.stamp = Stamp();
        return result;
    }
    result.document = IniDocument::ParseOwned(std::move(bytes));
    return result;
}

FileStamp IniFile::Stamp() const
{
    struct stat info = {};
    return ::stat(path_.c_str(), &info) == 0 ? stampOf(info) : FileStamp {};
}

WriteResult IniFile::Update(const std::function<bool(IniDocument&)>& edit, IniDocument* written)
{
    const auto fail = [](Failure reason) { return WriteResult { false, std::move(reason.text), reason.code, {} }; };
    std::string target;
    Failure unresolved;
    if (!resolveTarget(path_, target, unresolved))
        return fail(unresolved);
    const std::string folder = folderOf(target);
    if (folder == FolderMadeOnFirstSave()) {
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
        if (!lockWithin(fd.get(), lockWait_)) {
            const int error = errno;
            if (created)
                ::unlink(target.c_str());
            if (error == EWOULDBLOCK)
                return fail({ "the settings file " + target + " is locked by another program", EWOULDBLOCK });
            return fail(describe("cannot lock", target, error));
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
    // A replacement would part the file from its other names, which would keep the old content.
    if (lockedInfo.st_nlink > 1)
        return fail(
            { "the settings file " + target + " has other names (hard links) that a save would part from it", EMLINK });

    std::string bytes;
    Failure error;
    if (readAll(locked.get(), target, bytes, error) != ReadStatus::Ok)
        return failLocked(error);
    IniDocument doc = IniDocument::ParseOwned(std::move(bytes));
    if (!edit(doc))
        return failLocked({ "the text cannot be stored in the settings file", EILSEQ });
    std::string updated = doc.Serialize();
    const auto finish = [&](WriteResult result) {
        struct stat now = {};
        if (::stat(target.c_str(), &now) == 0)
            result.stamp = stampOf(now);
        if (written)
            *written = IniDocument::ParseOwned(std::move(updated));
        return result;
    };
    if (updated == doc.ParsedBytes()) {
        if (created)
            ::unlink(target.c_str());
        return finish({});
    }
    doc = IniDocument(); // its bytes are no longer needed

    const std::string prefix = temporaryPrefix(target);
    removeLeftovers(folder, prefix);
    std::string temporary = folder + "/" + prefix + std::to_string(::getpid()) + ".XXXXXX";
    FileDescriptor out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!out.valid())
        return failLocked(describe("cannot write in the folder", folder, errno));
    // Held while it is written: a locked temporary file is never taken for a leftover.
    ::flock(out.get(), LOCK_EX | LOCK_NB);
    const auto abandon = [&](const std::string& what, int error) {
        out.reset();
        ::unlink(temporary.c_str());
        return failLocked(describe(what, target, error));
    };
    if (!writeAll(out.get(), updated))
        return abandon("cannot write", errno);
    // The new file keeps the old one's owner where the system allows it (always for root), else
    // at least its group, and its permissions.
    if (::fchown(out.get(), lockedInfo.st_uid, lockedInfo.st_gid) != 0) {
        if (::geteuid() == 0)
            return abandon("cannot set the owner of", errno);
        [[maybe_unused]] const int groupKept = ::fchown(out.get(), static_cast<uid_t>(-1), lockedInfo.st_gid);
    }
    if (::fchmod(out.get(), lockedInfo.st_mode & 07777) != 0)
        return abandon("cannot set the permissions of", errno);
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
    return finish({});
}

} // namespace lanvex::store
