#include "net/sim/SimulationFile.h"
#include "store/FileDescriptor.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace lanvex::net::sim {

namespace {

using store::FileDescriptor;

// A simulated network file larger than this is not one; reading it could exhaust memory.
constexpr off_t kMaxFileBytes = off_t(64) << 20;
constexpr auto kLockWait = std::chrono::seconds(5);
// How often an update follows the name to a file that writers before it keep replacing.
constexpr int kLockAttempts = 100;

std::int64_t nanoseconds(const timespec& time)
{
    return std::int64_t(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

SimulationFile::Stamp stampOf(const struct stat& info)
{
    return { static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
             static_cast<std::int64_t>(info.st_size), nanoseconds(info.st_mtim), nanoseconds(info.st_ctim) };
}

FileDescriptor openForReading(const std::string& path)
{
    return FileDescriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
}

// Reads the open file whole; only a regular file of a sane size is read, so a FIFO or a device
// given as the file ends with an error instead of a hang or an endless read.
bool readText(int fd, std::string& text, SimulationFile::Stamp* stamp = nullptr)
{
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxFileBytes)
        return false;
    if (stamp)
        *stamp = stampOf(info);
    text.assign(static_cast<std::size_t>(info.st_size) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == text.size())
            return false; // grew while it was read
        const ssize_t n = ::read(fd, text.data() + filled, text.size() - filled);
        if (n == 0)
            break;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        filled += static_cast<std::size_t>(n);
    }
    text.resize(filled);
    return true;
}

bool lockWithin(int fd)
{
    const auto deadline = std::chrono::steady_clock::now() + kLockWait;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool isNamedFile(int fd, const std::string& path)
{
    struct stat mine = {}, named = {};
    return ::fstat(fd, &mine) == 0 && ::stat(path.c_str(), &named) == 0 && mine.st_dev == named.st_dev
        && mine.st_ino == named.st_ino;
}

// The file the name leads to, locked; invalid when it cannot be opened or locked in time.
FileDescriptor lockNamedFile(const std::string& path)
{
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        FileDescriptor fd = openForReading(path);
        if (!fd.valid() || !lockWithin(fd.get()))
            return FileDescriptor();
        // A writer before us may have replaced the file: lock the one the name leads to now.
        if (isNamedFile(fd.get(), path))
            return fd;
    }
    return FileDescriptor();
}

// The temporary files of the write-back: ".NAME.tmp.PID.XXXXXX" beside the file.
std::string temporaryPrefix(const std::string& path)
{
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about a literal added to a
    // temporary string at -O3.
    std::string prefix(1, '.');
    prefix.append(std::filesystem::path(path).filename().string()).append(".tmp.");
    return prefix;
}

// Removes temporary files that writers killed before their rename left behind: only names of
// our pattern whose writer is gone, plain files of this user. Called under the file's lock.
void removeLeftovers(const std::string& folder, const std::string& prefix)
{
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string rest = name.substr(prefix.size());
        const std::size_t dot = rest.find('.');
        if (dot == 0 || dot == std::string::npos || dot > 9 || rest.size() != dot + 7
            || rest.find_first_not_of("0123456789") != dot)
            continue;
        struct stat info = {};
        if (::lstat(it->path().c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())
            continue;
        const auto writer = static_cast<pid_t>(std::stol(rest.substr(0, dot)));
        if (::kill(writer, 0) != 0 && errno == ESRCH)
            ::unlink(it->path().c_str());
    }
}

bool writeAll(int fd, const std::string& text)
{
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += static_cast<std::size_t>(n);
    }
    return true;
}

// Writes the text beside the target and renames it into place, so a reader sees either the old
// file or the new one, never a part. Called under the file's lock.
bool writeAtomically(const std::string& path, const std::string& text)
{
    const std::filesystem::path target(path);
    const std::string folder = target.has_parent_path() ? target.parent_path().string() : std::string(".");
    const std::string prefix = temporaryPrefix(path);
    removeLeftovers(folder, prefix);
    std::string temp = (std::filesystem::path(folder) / prefix).string();
    temp += std::to_string(::getpid());
    temp += ".XXXXXX";
    FileDescriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd.valid())
        return false;
    struct stat original = {};
    if (::stat(path.c_str(), &original) == 0)
        ::fchmod(fd.get(), original.st_mode & 07777);
    bool ok = writeAll(fd.get(), text);
    ok = ok && ::fsync(fd.get()) == 0;
    ok = ::close(fd.release()) == 0 && ok;
    if (ok && std::rename(temp.c_str(), path.c_str()) == 0)
        return true;
    std::remove(temp.c_str());
    return false;
}

} // namespace

std::optional<std::string> SimulationFile::Read(Stamp* stamp) const
{
    const FileDescriptor fd = openForReading(path_);
    std::string text;
    if (!fd.valid() || !readText(fd.get(), text, stamp))
        return std::nullopt;
    return text;
}

bool SimulationFile::Unchanged(const Stamp& stamp) const
{
    struct stat info = {};
    return ::stat(path_.c_str(), &info) == 0 && stampOf(info) == stamp;
}

bool SimulationFile::Update(const Edit& edit) const
{
    // Held until the new file has replaced the old, so no other update reads the old one meanwhile.
    const FileDescriptor locked = lockNamedFile(path_);
    std::string text;
    if (!locked.valid() || !readText(locked.get(), text))
        return false;
    const std::optional<std::string> changed = edit(text);
    return changed && writeAtomically(path_, *changed);
}

} // namespace lanvex::net::sim
