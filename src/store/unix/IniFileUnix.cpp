#include "store/FileDescriptor.h"
#include "store/IniFile.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
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
    stamp.adminOnly = info.st_uid == 0 && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
    return stamp;
}

// Reads a regular file whole from an open descriptor into a buffer of its size: the bytes are
// held once, and a file that grows while it is read is refused once it passes the limit.
ReadStatus readAll(int fd, const std::string& path, std::string& bytes, Failure& error, FileStamp* stamp = nullptr,
                   std::int64_t maxBytes = IniFile::kMaxFileBytes)
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
    if (info.st_size > maxBytes)
        return tooLarge();
    if (stamp)
        *stamp = stampOf(info);
    // One byte more than the size shows whether the file grew meanwhile.
    bytes.assign(static_cast<std::size_t>(info.st_size) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() > static_cast<std::size_t>(maxBytes))
                return tooLarge();
            bytes.resize(std::min(bytes.size() * 2, static_cast<std::size_t>(maxBytes) + 1));
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

// Reads the file at `path` whole. Non-blocking open: a FIFO in its place must not hang the program.
ReadStatus readFile(const std::string& path, std::string& bytes, Failure& error, FileStamp* stamp = nullptr,
                    std::int64_t maxBytes = IniFile::kMaxFileBytes)
{
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid()) {
        error = describe("cannot read", path, errno);
        return error.code == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
    }
    return readAll(fd.get(), path, bytes, error, stamp, maxBytes);
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

// Hands `produce` a sink that gathers its pieces into blocks, so that content of many short pieces
// still takes few writes.
bool writeInBlocks(int fd, const std::function<bool(const ByteSink&)>& produce)
{
    static constexpr std::size_t kWriteBlock = std::size_t(1) << 16;
    std::string buffer;
    buffer.reserve(kWriteBlock);
    const bool produced = produce([&](std::string_view piece) {
        if (buffer.size() + piece.size() > kWriteBlock) {
            if (!writeAll(fd, buffer))
                return false;
            buffer.clear();
        }
        if (piece.size() >= kWriteBlock)
            return writeAll(fd, piece);
        buffer += piece;
        return true;
    });
    return produced && writeAll(fd, buffer);
}

std::string folderOf(const std::string& path)
{
    const auto parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

// The owner of what a link leads to: the file, or while there is none the folder it would be made
// in. Nothing when neither is there.
std::optional<uid_t> ownerOfLinkTarget(const std::string& next)
{
    struct stat info = {};
    if (::lstat(next.c_str(), &info) == 0 || ::stat(folderOf(next).c_str(), &info) == 0)
        return info.st_uid;
    return std::nullopt;
}

// Where the file really lies. A symbolic link is followed, so the replacement lands on its target
// and the link stays a link; a dangling link's target is where the file gets created. In a folder
// that is sticky and writable by everyone, a link is followed only when it belongs to this user or
// to the folder's owner, as the kernel itself does for links in such folders. Another user's link
// (root saving in a user's folder) is followed only to a file, or a folder, of that same user: it
// never leads this program to replace a file its owner could not.
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
        if (link.st_uid != ::geteuid() && ownerOfLinkTarget(target) != link.st_uid) {
            error = { "the settings file " + path + " is a link of another user to a file not theirs", EACCES };
            return false;
        }
    }
    error = describe("cannot follow the link", path, ELOOP);
    return false;
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

// A name for a new temporary file: the prefix, the writer's process id and six random letters.
std::string temporaryName(const std::string& folder, const std::string& prefix)
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 random { std::random_device {}() };
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string name = folder + "/" + prefix + std::to_string(::getpid()) + ".";
    for (int i = 0; i < 6; ++i)
        name += kLetters[pick(random)];
    return name;
}

// The file a change holds: locked, or, while it does not exist yet, its folder locked instead, so
// that the file is only ever created whole, by the rename.
struct LockedTarget
{
    FileDescriptor fd; // the file, or its folder while the file is missing
    bool exists = false;
    struct stat info = {};
};

bool notRegular(const struct stat& info, const std::string& target, Failure& error)
{
    if (S_ISDIR(info.st_mode)) {
        error = { "the settings file " + target + " is a folder", EISDIR };
        return true;
    }
    if (!S_ISREG(info.st_mode)) {
        error = { "the settings file " + target + " is not a regular file", EINVAL };
        return true;
    }
    return false;
}

// Locks the file at `target` or, while there is none, its folder. A writer that waited may find
// the name already replaced (or created) by the writer before it; then it locks anew, so every
// change starts from the last.
bool lockTarget(const std::string& target, const std::string& folder, std::chrono::milliseconds wait,
                LockedTarget& locked, Failure& error)
{
    for (int attempt = 0; attempt <= 1000; ++attempt) {
        FileDescriptor fd(::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        const bool exists = fd.valid();
        if (!exists && errno != ENOENT) {
            error = describe("cannot open", target, errno);
            return false;
        }
        if (!exists)
            fd = FileDescriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!fd.valid()) {
            error = describe("cannot write", target, errno);
            return false;
        }
        // The kind of file first: a folder has several links too, and a FIFO cannot be replaced.
        struct stat info = {};
        if (::fstat(fd.get(), &info) != 0) {
            error = describe("cannot read", target, errno);
            return false;
        }
        if (exists && notRegular(info, target, error))
            return false;
        if (!lockWithin(fd.get(), wait)) {
            error = errno == EWOULDBLOCK
                ? Failure { "the settings file " + target + " is locked by another program", EWOULDBLOCK }
                : describe("cannot lock", target, errno);
            return false;
        }
        struct stat onDisk = {};
        const bool existsNow = ::stat(target.c_str(), &onDisk) == 0;
        if (exists ? existsNow && onDisk.st_dev == info.st_dev && onDisk.st_ino == info.st_ino
                   : !existsNow && errno == ENOENT) {
            locked.fd = std::move(fd);
            locked.exists = exists;
            locked.info = info;
            return true;
        }
    }
    error = { "the settings file " + target + " keeps changing", EBUSY };
    return false;
}

// Refuses a file the replacement must not touch. The replacement goes through the folder, which
// would bypass the file's own permission: a file the user may not write, or has made read-only,
// stays as it is. And it would part the file from its other names, which would keep the old content.
bool replaceable(const LockedTarget& locked, const std::string& target, Failure& error)
{
    if (!locked.exists)
        return true;
    if ((locked.info.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        error = describe("cannot write", target, (locked.info.st_mode & 0222) == 0 ? EACCES : errno);
        return false;
    }
    if (locked.info.st_nlink > 1) {
        error = { "the settings file " + target + " has other names (hard links) that a save would part from it",
                  EMLINK };
        return false;
    }
    return true;
}

// A temporary file beside the target, holding `bytes`, with the target's owner and permissions
// (a new file gets the usual ones under the user's umask), flushed to disk.
class Replacement
{
public:
    Replacement(const std::string& target, const std::string& folder)
        : target_(target)
        , folder_(folder)
    { }
    ~Replacement()
    {
        if (!name_.empty())
            ::unlink(name_.c_str());
    }
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;

    bool Write(std::string_view bytes, const LockedTarget& locked, Failure& error)
    {
        return Write([bytes](int fd) { return writeAll(fd, bytes); }, locked, error);
    }

    // The document's pieces, gathered into blocks so that a file of many short pieces still
    // takes few writes.
    bool Write(const IniDocument& doc, const LockedTarget& locked, Failure& error)
    {
        return Write(
            [&doc](int fd) { return writeInBlocks(fd, [&doc](const ByteSink& sink) { return doc.WriteTo(sink); }); },
            locked, error);
    }

    // A producer's pieces, the same way. False with ECANCELED when the producer gave up.
    bool Write(const std::function<bool(const ByteSink&)>& produce, const LockedTarget& locked, Failure& error)
    {
        bool gaveUp = false;
        const bool written = Write(
            [&](int fd) {
                return writeInBlocks(fd, [&](const ByteSink& sink) {
                    bool sinkFailed = false;
                    const bool done = produce([&](std::string_view piece) { return !(sinkFailed = !sink(piece)); });
                    gaveUp = !done && !sinkFailed;
                    return done;
                });
            },
            locked, error);
        if (gaveUp)
            error = { "the content of " + target_ + " was not made", ECANCELED };
        return written;
    }

private:
    bool Write(const std::function<bool(int)>& fill, const LockedTarget& locked, Failure& error)
    {
        const std::string prefix = temporaryPrefix(target_);
        removeLeftovers(folder_, prefix);
        FileDescriptor out;
        for (int attempt = 0; attempt < 100 && !out.valid(); ++attempt) {
            name_ = temporaryName(folder_, prefix);
            out.reset(::open(name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
            if (!out.valid() && errno != EEXIST)
                break;
        }
        if (!out.valid()) {
            const int code = errno;
            name_.clear();
            return failed(describe("cannot write in the folder", folder_, code), error);
        }
        // Held while it is written: a locked temporary file is never taken for a leftover.
        ::flock(out.get(), LOCK_EX | LOCK_NB);
        if (!fill(out.get()))
            return failed(describe("cannot write", target_, errno), error);
        if (locked.exists && !keepOwnerAndMode(out.get(), locked.info, error))
            return false;
        if (::fsync(out.get()) != 0)
            return failed(describe("cannot flush", target_, errno), error);
        if (::close(out.release()) != 0)
            return failed(describe("cannot write", target_, errno), error);
        return true;
    }

public:
    // Puts the temporary file in the target's place, and makes the new name itself durable.
    bool Rename(Failure& error)
    {
        if (::rename(name_.c_str(), target_.c_str()) != 0)
            return failed(describe("cannot replace", target_, errno), error);
        name_.clear();
        const FileDescriptor dir(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.valid())
            ::fsync(dir.get());
        return true;
    }

private:
    static bool failed(Failure reason, Failure& error)
    {
        error = std::move(reason);
        return false;
    }

    // The new file keeps the old one's owner where the system allows it (always for root), else at
    // least its group, and its permissions.
    bool keepOwnerAndMode(int fd, const struct stat& old, Failure& error)
    {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            if (::geteuid() == 0)
                return failed(describe("cannot set the owner of", target_, errno), error);
            [[maybe_unused]] const int groupKept = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
        }
        if (::fchmod(fd, old.st_mode & 07777) != 0)
            return failed(describe("cannot set the permissions of", target_, errno), error);
        return true;
    }

    std::string target_;
    std::string folder_;
    std::string name_;
};

// Whether the file is still the one that was read, `read` bytes long: an editor that saves in place
// (truncate, then write) ignores the lock, and its content must not be lost under ours.
bool unchangedSinceRead(const LockedTarget& locked, const std::string& target, const FileStamp& before,
                        std::size_t read)
{
    struct stat onDisk = {};
    if (!locked.exists)
        return ::lstat(target.c_str(), &onDisk) != 0 && errno == ENOENT;
    struct stat now = {};
    return ::fstat(locked.fd.get(), &now) == 0 && stampOf(now) == before
        && static_cast<std::int64_t>(read) == before.size && ::stat(target.c_str(), &onDisk) == 0
        && onDisk.st_dev == now.st_dev && onDisk.st_ino == now.st_ino;
}

// An editor that saves in place may be caught between its truncate and its write, or between two
// writes: then the file is empty or cut short of its final line end, and changed a moment ago.
// Such a file is given a moment to be finished before it is edited; a file this program writes
// always ends with a line end.
constexpr int kMaxPauses = 50;
constexpr std::chrono::milliseconds kPause { 10 };
constexpr std::chrono::milliseconds kRecentChange { 1000 };

bool midRewrite(const std::string& bytes, const FileStamp& stamp)
{
    const bool cut = bytes.empty() || (bytes.back() != '\n' && bytes.back() != '\r');
    const auto changed = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(std::chrono::nanoseconds(stamp.changedNs)));
    return cut && std::chrono::system_clock::now() - changed < kRecentChange;
}

// Where a change writes: the link's target, with the folder a first save makes.
bool prepareTarget(const std::string& path, std::string& target, std::string& folder, Failure& error)
{
    if (!resolveTarget(path, target, error))
        return false;
    folder = folderOf(target);
    if (folder == FolderMadeOnFirstSave()) {
        if (const int code = makeFolder(folder); code != 0) {
            error = describe("cannot make the folder", folder, code);
            return false;
        }
    }
    return true;
}

WriteResult failed(Failure reason)
{
    return WriteResult { false, std::move(reason.text), reason.code, {} };
}

WriteResult succeeded(const std::string& target)
{
    WriteResult result;
    struct stat now = {};
    if (::stat(target.c_str(), &now) == 0)
        result.stamp = stampOf(now);
    return result;
}

// Writes the produced content into a FIFO or a character device as a stream. A FIFO that nobody
// reads is reported, not waited for.
WriteResult streamTo(const std::string& path, const std::function<bool(const ByteSink&)>& produce)
{
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid())
        return failed(errno == ENXIO ? Failure { "no program reads from " + path, ENXIO }
                                     : describe("cannot write", path, errno));
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        return failed(describe("cannot write", path, errno));
    errno = ECANCELED;
    if (!writeInBlocks(fd.get(), produce))
        return failed(describe("cannot write", path, errno));
    return {};
}

bool isStream(const std::string& path)
{
    struct stat info = {};
    return ::stat(path.c_str(), &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode));
}

} // namespace

IniFile::IniFile(std::string path, std::chrono::milliseconds lockWait)
    : path_(std::move(path))
    , lockWait_(lockWait)
{ }

ReadResult IniFile::Read() const
{
    ReadResult result;
    std::string bytes;
    Failure error;
    const ReadStatus status = readFile(path_, bytes, error, &result.stamp);
    if (status == ReadStatus::Failed) {
        result.ok = false;
        result.error = error.text;
        result.errorCode = error.code;
        result.stamp = Stamp();
        return result;
    }
    ParseSettingsBytes(path_, std::move(bytes), result);
    return result;
}

FileStamp IniFile::Stamp() const
{
    struct stat info = {};
    return ::stat(path_.c_str(), &info) == 0 ? stampOf(info) : FileStamp {};
}

WriteResult IniFile::Update(const std::function<bool(IniDocument&)>& edit, IniDocument* written)
{
    std::string target;
    std::string folder;
    Failure error;
    if (!prepareTarget(path_, target, folder, error))
        return failed(error);
    int rereads = 0;
    int pauses = 0;
    for (;;) {
        LockedTarget locked;
        if (!lockTarget(target, folder, lockWait_, locked, error) || !replaceable(locked, target, error))
            return failed(error);
        std::string bytes;
        FileStamp before;
        if (locked.exists && readAll(locked.fd.get(), target, bytes, error, &before) != ReadStatus::Ok)
            return failed(error);
        if (locked.exists && midRewrite(bytes, before) && pauses++ < kMaxPauses) {
            std::this_thread::sleep_for(kPause);
            continue;
        }
        if (IniDocument::HasTooManySections(bytes))
            return failed({ "the settings file " + target + " has too many sections", E2BIG });
        const std::size_t read = bytes.size();
        IniDocument doc = IniDocument::ParseOwned(std::move(bytes));
        if (!edit(doc))
            return failed({ "the text cannot be stored in the settings file", EILSEQ });
        // The document is written as it stands, never copied whole into one more buffer.
        const bool unchanged = doc.Unchanged();
        if (static_cast<std::int64_t>(doc.SerializedSize()) > kMaxFileBytes)
            return failed({ "the settings file " + target + " would become too large", EFBIG });
        if (doc.HasTooManySectionLines())
            return failed({ "the settings file " + target + " would have too many sections", E2BIG });
        Replacement replacement(target, folder);
        if (!unchanged && !replacement.Write(doc, locked, error))
            return failed(error);
        if (!unchangedSinceRead(locked, target, before, read)) {
            // Rewritten meanwhile: the edit starts again from what the file holds now.
            if (++rereads > kMaxRereads)
                return failed({ "the settings file " + target + " keeps changing", EBUSY });
            continue;
        }
        if (!unchanged && !replacement.Rename(error))
            return failed(error);
        if (written)
            *written = IniDocument::ParseOwned(doc.Serialize());
        return succeeded(target);
    }
}

FileBytes ReadFileBytes(const std::string& path, std::int64_t maxBytes)
{
    FileBytes result;
    Failure error;
    const ReadStatus status = readFile(path, result.bytes, error, nullptr, maxBytes);
    result.ok = status == ReadStatus::Ok;
    result.missing = status == ReadStatus::Missing;
    if (!result.ok) {
        result.bytes.clear();
        result.error = error.text;
        result.errorCode = error.code;
    }
    return result;
}

WriteResult ReplaceFile(const std::string& path, std::string_view bytes, std::chrono::milliseconds lockWait)
{
    return ReplaceFileFrom(
        path, [bytes](const ByteSink& sink) { return sink(bytes); }, lockWait);
}

WriteResult ReplaceFileFrom(const std::string& path, const std::function<bool(const ByteSink&)>& produce,
                            std::chrono::milliseconds lockWait)
{
    // Followed by the kernel, not by name: /dev/stdout leads to a descriptor, not always a path.
    if (isStream(path))
        return streamTo(path, produce);
    std::string target;
    std::string folder;
    Failure error;
    LockedTarget locked;
    if (!prepareTarget(path, target, folder, error) || !lockTarget(target, folder, lockWait, locked, error)
        || !replaceable(locked, target, error))
        return failed(error);
    Replacement replacement(target, folder);
    if (!replacement.Write(produce, locked, error) || !replacement.Rename(error))
        return failed(error);
    return succeeded(target);
}

} // namespace lanvex::store
