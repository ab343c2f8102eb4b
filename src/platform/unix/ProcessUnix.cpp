#include "platform/Process.h"

#include <csignal>
#include <filesystem>
#include <system_error>

namespace lanvex::platform {

std::string ProgramPath(const char* argv0)
{
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(argv0) : self.string();
}

void AttachParentConsole() { }

void IgnoreBrokenPipe()
{
    std::signal(SIGPIPE, SIG_IGN);
}

void PrepareConsoleOutput()
{
    // Without this, the first line after `ssh host lanvex ... | tee` lost its reader would end the
    // program before it restores what it changed.
    std::signal(SIGPIPE, SIG_IGN);
}

} // namespace lanvex::platform
