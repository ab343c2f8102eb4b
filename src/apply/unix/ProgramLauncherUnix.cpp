#include "apply/ProgramLauncher.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace lanvex::apply {

namespace {

using Clock = std::chrono::steady_clock;

// How long a program that was asked to end may take before it is killed.
constexpr std::chrono::seconds kEndGrace { 2 };

// This program's environment with the launch's variables put in place of any of the same name.
std::vector<std::string> environmentFor(const ProgramLaunch& launch)
{
    std::vector<std::string> entries;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string_view text(*entry);
        const std::string_view name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const auto& [added, value] : launch.environment)
            replaced = replaced || name == added;
        if (!replaced)
            entries.emplace_back(text);
    }
    for (const auto& [name, value] : launch.environment)
        entries.push_back(name + "=" + value);
    return entries;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    pointers.reserve(texts.size() + 1);
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// No input; the output to standard error or nowhere.
void redirectStreams(posix_spawn_file_actions_t& actions, bool outputToStderr)
{
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (outputToStderr) {
        posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
}

// A process group of its own, so that it ends with everything it started; every signal as the
// system sets it, whatever this program ignores or blocks.
void ownGroupAndSignals(posix_spawnattr_t& attributes)
{
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
}

// Waits for the process until `deadline`; its wait status, or nothing when the time ran out.
std::optional<int> waitUntil(pid_t pid, Clock::time_point deadline)
{
    const int pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) {
            if (pidFd >= 0)
                ::close(pidFd);
            return done == pid ? status : 0;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            if (pidFd >= 0)
                ::close(pidFd);
            return std::nullopt;
        }
        if (pidFd >= 0) {
            pollfd ready { pidFd, POLLIN, 0 };
            ::poll(&ready, 1, static_cast<int>(std::min<std::int64_t>(left.count(), 60'000)));
        } else {
            // Kernels before 5.3 have no process descriptor to wait on.
            std::this_thread::sleep_for(std::min(left, std::chrono::milliseconds(20)));
        }
    }
}

// Asks the whole group to end, then makes it.
void endGroup(pid_t pid)
{
    ::kill(-pid, SIGTERM);
    if (!waitUntil(pid, Clock::now() + kEndGrace))
        ::kill(-pid, SIGKILL);
    ::kill(-pid, SIGKILL); // what it started, should it have outlived it
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
}

} // namespace

ProgramEnd RunProgram(const ProgramLaunch& launch)
{
    if (launch.arguments.empty() || launch.arguments.front().empty())
        return { ProgramEnd::Kind::NotStarted, 0, std::strerror(ENOENT) };
    std::vector<std::string> arguments = launch.arguments;
    std::vector<std::string> environment = environmentFor(launch);
    const std::vector<char*> argv = pointersTo(arguments);
    const std::vector<char*> envp = pointersTo(environment);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    redirectStreams(actions, launch.outputToStderr);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    ownGroupAndSignals(attributes);
    pid_t pid = 0;
    const int failed = ::posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        return { ProgramEnd::Kind::NotStarted, 0, std::strerror(failed) };

    const std::optional<int> status = waitUntil(pid, Clock::now() + launch.timeout);
    if (!status) {
        endGroup(pid);
        return { ProgramEnd::Kind::TimedOut, 0, {} };
    }
    if (WIFEXITED(*status))
        return { ProgramEnd::Kind::Exited, WEXITSTATUS(*status), {} };
    // Ended by a signal: a failure like a non-zero exit, told apart by the shells' 128 + signal.
    return { ProgramEnd::Kind::Exited, 128 + (WIFSIGNALED(*status) ? WTERMSIG(*status) : 0), {} };
}

} // namespace lanvex::apply
