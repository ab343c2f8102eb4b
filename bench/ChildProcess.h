#pragma once

// What the memory benchmarks share: a piece of work run in a child process of its own, so its
// peak memory is its own, and the process's memory figures.

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <type_traits>
#include <unistd.h>

namespace lanvex::bench {

// A field of /proc/self/status in KiB: VmRSS now, VmHWM the peak so far.
inline std::int64_t StatusKiB(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string wanted = field + ":";
    while (std::getline(status, line))
        if (line.compare(0, wanted.size(), wanted) == 0)
            return std::atoll(line.c_str() + wanted.size());
    return 0;
}

// Runs `work` in a child process and hands back what it returned, a plain record copied byte for
// byte; a default record when the child failed.
template <typename Work> auto InChild(Work work) -> decltype(work())
{
    using Result = decltype(work());
    static_assert(std::is_trivially_copyable_v<Result>);
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        const Result result = work();
        const bool sent = ::write(pipeFds[1], &result, sizeof result) == sizeof result;
        ::_exit(sent ? 0 : 1);
    }
    ::close(pipeFds[1]);
    Result result {};
    const bool received = ::read(pipeFds[0], &result, sizeof result) == sizeof result;
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return received ? result : Result {};
}

} // namespace lanvex::bench
