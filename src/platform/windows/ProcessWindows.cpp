#include "platform/Process.h"
#include "store/windows/WindowsText.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace lanvex::platform {

namespace {

bool IsOpen(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

} // namespace

std::string ProgramPath(const char*)
{
    return store::windows::ProgramPath();
}

void AttachParentConsole()
{
    // Handles given by the parent (a pipe, a file) are already the C runtime's streams.
    const bool outputOpen = IsOpen(GetStdHandle(STD_OUTPUT_HANDLE));
    const bool errorsOpen = IsOpen(GetStdHandle(STD_ERROR_HANDLE));
    if (outputOpen && errorsOpen)
        return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!outputOpen)
        std::freopen("CONOUT$", "w", stdout);
    if (!errorsOpen)
        std::freopen("CONOUT$", "w", stderr);
}

void PrepareConsoleOutput()
{
    SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

} // namespace lanvex::platform
